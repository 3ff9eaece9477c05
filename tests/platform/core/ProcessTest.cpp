#include "platform/core/Process.h"

#include "platform/core/FileSystem.h"
#include "tests/support/PlatformTesting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

using namespace platform;
using platform::testing::ScopedTempFolder;

namespace {
// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
public:
    void Set(const std::string& name, const std::optional<std::string>& value)
    {
        saved_.emplace_back(name, GetEnvironmentVariable(name));
        SetEnvironmentVariable(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetEnvironmentVariable(it->first, it->second);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

void ArgumentsOf(std::vector<const char*> argv) { SetCommandLineArguments(static_cast<int>(argv.size()), argv.data()); }
} // namespace

TEST(Process, ExitCanBeInterceptedByATest)
{
    platform::testing::ScopedExitInterception intercept;
    try {
        ExitProcess(3);
        FAIL() << "ExitProcess returned";
    } catch (const platform::testing::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 3u);
    }
}

TEST(Process, ExitWithoutInterceptionEndsTheProcessWithTheCode)
{
    EXPECT_EXIT(ExitProcess(7), ::testing::ExitedWithCode(7), "");
}

// A fatal error met while the program starts ends it from deep inside the
// start-up: tearing down the program's static objects there would run its
// shutdown on a half-made state (and did hang). Buffered output still
// reaches its file.
TEST(Process, ExitAndTerminateFlushOutputButDestroyNoStaticObject)
{
    struct Noisy {
        ~Noisy() { std::fputs(" destroyed", stderr); }
    };
    for (void (*end)(UINT) : {&ExitProcess, &TerminateProcess}) {
        EXPECT_EXIT(
            {
                static Noisy noisy;
                static char buffer[256];
                std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
                std::fputs("flushed", stderr);
                end(5);
            },
            ::testing::ExitedWithCode(5), ::testing::StrEq("flushed"));
    }
}

TEST(Process, CommandLineQuotesLikeWindows)
{
    std::vector<std::string> saved = GetArguments();
    ArgumentsOf({"/opt/My Game/pellucor", "-play", "-demofile=C:\\demos\\a b.dmo", "", "say \"hi\"", "trail\\"});
    EXPECT_EQ(GetArguments().size(), 6u);
    EXPECT_EQ(GetArguments()[2], "-demofile=C:\\demos\\a b.dmo");
    EXPECT_EQ(GetCommandLine(),
              "\"/opt/My Game/pellucor\" -play \"-demofile=C:\\demos\\a b.dmo\" \"\" \"say \\\"hi\\\"\" trail\\");
    ArgumentsOf({"p", "with space\\"});
    EXPECT_EQ(GetCommandLine(), "p \"with space\\\\\""); // a closing quote must not be escaped
    std::vector<const char*> restore;
    for (const std::string& s : saved)
        restore.push_back(s.c_str());
    ArgumentsOf(restore);
}

TEST(Process, ProgramPathNamesThisTestProgram)
{
    std::string path = GetProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(GetProgramFolder() + "/" + path.substr(path.find_last_of('/') + 1), path);
}

TEST(Process, UserDataFolderFollowsXdgDataHomeElseHome)
{
    ScopedEnvironment env;
    env.Set("XDG_DATA_HOME", "/data/home");
    env.Set("HOME", "/home/player");
    EXPECT_EQ(GetUserDataFolder(), "/data/home");
    env.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(GetUserDataFolder(), "/home/player/.local/share");
    env.Set("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(GetUserDataFolder(), "/home/player/.local/share");
    env.Set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(GetConfigFolder(), "/home/player/.config");
}

TEST(SingleInstance, SecondInstanceIsRefusedAndCanNotifyTheFirst)
{
    ScopedTempFolder runtime;
    ScopedEnvironment env;
    env.Set("XDG_RUNTIME_DIR", runtime.Path());
    SingleInstance first("Pellucor Test");
    SingleInstance second("Pellucor Test");
    SingleInstance other("Another Product");
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.LockFilePath(), runtime / "Pellucor_Test.lock");
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.IsFirst());
    EXPECT_TRUE(other.Acquire());

    EXPECT_EQ(first.TakeNotifications(), 0);
    EXPECT_TRUE(second.NotifyFirstInstance());
    EXPECT_TRUE(second.NotifyFirstInstance());
    EXPECT_EQ(first.TakeNotifications(), 2);
    EXPECT_EQ(first.TakeNotifications(), 0);
    EXPECT_EQ(other.TakeNotifications(), 0);

    first.Release();
    EXPECT_FALSE(second.NotifyFirstInstance()); // nobody listens any more
    EXPECT_TRUE(second.Acquire());              // the lock is free again
}
