// What the program finds on disk at start: the game's own archive, which it
// cannot run without, and things in the player's "save/" folder that are no
// profile files.
#include "platform/core/FileSystem.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PipeWatch.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/WalkMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using walk::ScriptedPlayer;

TEST(StartFilesWalk, AGameArchiveThatCannotBeUsedEndsTheProgramNamingIt)
{
    std::string archive;
    ASSERT_TRUE(platform::ReadWholeFile(walk::WalkMachine::BuildFolder() + "/data.pak", &archive));
    const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
        {"missing", [](const std::string&) {}},
        {"empty", [](const std::string& path) { platform::testing::WriteTestFile(path, ""); }},
        {"cut short", [&](const std::string& path) { platform::testing::WriteTestFile(path, archive.substr(0, 9000)); }},
        {"damaged", [](const std::string& path) { platform::testing::WriteTestFile(path, "not an archive"); }},
        {"a folder", [](const std::string& path) { ASSERT_TRUE(platform::MakeDirectories(path)); }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        ScriptedPlayer player;
        if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
            GTEST_SKIP() << "the error box would wait for a person; the real program's end is "
                            "ui.FatalErrorsAndToolUsageReachTheTerminal's";
        const std::string path = player.ProgramFolder() + "/data.pak";
        ASSERT_TRUE(platform::DeleteFile(path));
        make(path);
        player.LaunchExpectingAFatalEnd();
        ASSERT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 1);
        const std::vector<platform::testing::RecordedBox> boxes = player.TakeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
        EXPECT_NE(boxes[0].text.find("Cannot use the program's archive (data.pak: "), std::string::npos)
            << boxes[0].text;
    }
}

TEST(StartFilesWalk, APipeNamedLikeAProfileIsNeverOpenedAndTheGameStarts)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    const std::string annBytes = walk::PutProfile(player, ann);
    // Opened, it would hold the start until something was written to it.
    platform::testing::PipeWatch pipe(walk::ProfilePath(player, "Bob"));
    player.Launch();
    EXPECT_TRUE(player.WaitToSee(walk::sights::PlayerLine("Ann")));
    player.Screenshot("the start screen, a pipe in save");
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(pipe.Stop(), 0) << "the pipe was opened";
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), annBytes);
    struct stat bob {};
    ASSERT_EQ(lstat(walk::ProfilePath(player, "Bob").c_str(), &bob), 0);
    EXPECT_TRUE(S_ISFIFO(bob.st_mode)) << "what is not the game's is left as it is";
}

} // namespace
