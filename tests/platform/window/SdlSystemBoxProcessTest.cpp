// SDL's own box runs in a process SDL forks, which goes on in SDL's code and
// calls setlocale first. Had another thread of ours held one of the C
// library's locks at that fork (opening the sound device takes the
// locale's dozens of times while SDL probes its back ends), the box's
// process would wait for it forever, and the program for the box. Here the
// opening is held in the middle of its work when the box is asked for: the
// box's process must not start before the opening has ended. No display is
// named, so the box's process ends at once after its setlocale and nothing
// shows, wherever the test runs.
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/dsound/SdlAudioDevice.h"
#include "platform/window/SdlSystemBox.h"
#include "platform/window/WindowTypes.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace platform {
namespace {

using test_support::WaitUntil;

// What each process forked while one stands found as it started: a letter
// each, 'H' where the fork-unsafe work was held (in the middle of its work)
// at the fork, 'f' where it was not. Written by a fork handler in the child,
// before the child goes on in the forking library's code.
class ForkedStarts {
public:
    ForkedStarts()
    {
        static std::once_flag installed;
        std::call_once(installed, [] { pthread_atfork(nullptr, nullptr, &NoteInChild); });
        if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) == 0)
            gNoteFd.store(fds_[1]);
    }
    ~ForkedStarts()
    {
        gNoteFd.store(-1);
        close(fds_[0]);
        close(fds_[1]);
    }
    ForkedStarts(const ForkedStarts&) = delete;
    ForkedStarts& operator=(const ForkedStarts&) = delete;

    bool Ready() const { return fds_[1] >= 0; }
    // What the children have written so far.
    std::string Take()
    {
        std::string notes;
        char buffer[64];
        ssize_t n = 0;
        while ((n = read(fds_[0], buffer, sizeof buffer)) > 0)
            notes.append(buffer, static_cast<size_t>(n));
        return notes;
    }

private:
    // In the child: async-signal-safe calls only.
    static void NoteInChild()
    {
        const int fd = gNoteFd.load();
        if (fd < 0)
            return;
        const char note = testing::ForkUnsafeWorkHeld() ? 'H' : 'f';
        [[maybe_unused]] const ssize_t written = write(fd, &note, 1);
    }

    static inline std::atomic<int> gNoteFd{-1};
    int fds_[2] = {-1, -1};
};

class CountingSource final : public dsound::MixSource {
public:
    void MixInto(float*, int frames, int) override { pulled_ += frames; }
    long Pulled() const { return pulled_.load(); }

private:
    std::atomic<long> pulled_{0};
};

// The environment as the test found it, given back when it ends.
class KeptEnvironment {
public:
    void Set(const std::string& name, const std::optional<std::string>& value)
    {
        kept_.try_emplace(name, GetEnvironmentVariable(name));
        SetEnvironmentVariable(name, value);
    }
    ~KeptEnvironment()
    {
        for (const auto& [name, value] : kept_)
            SetEnvironmentVariable(name, value);
    }

private:
    std::map<std::string, std::optional<std::string>> kept_;
};

TEST(SdlSystemBoxProcess, NeverStartsWhileTheSoundDeviceIsBeingOpened)
{
    KeptEnvironment environment;
    environment.Set("SDL_AUDIODRIVER", std::string("dummy"));
    environment.Set("DISPLAY", std::nullopt);
    environment.Set("WAYLAND_DISPLAY", std::nullopt);
    dsound::testing::CloseAudioOutput();
    UseHeadlessBackend(false);

    testing::HoldForkUnsafeWork(dsound::SdlAudioDevice::kOpeningWork);
    dsound::AudioOutput& output = dsound::AudioOutput::Instance();
    CountingSource source;
    ASSERT_TRUE(output.AddSource(&source));
    ASSERT_TRUE(WaitUntil([] { return testing::ForkUnsafeWorkHeld(); }))
        << "the sound device's opening never reached its work";

    ForkedStarts starts;
    ASSERT_TRUE(starts.Ready());
    const std::optional<int> answer =
        ShowSdlSystemBox(SystemBoxForMessage("The settings could not be kept.", "Settings", MB_OK | MB_ICONWARNING));
    const std::string notes = starts.Take();
    testing::ReleaseForkUnsafeWork();

    EXPECT_FALSE(answer) << "no display is named: SDL's box cannot show";
    EXPECT_NE(notes.find_first_of("Hf"), std::string::npos) << "SDL started no process for its box";
    EXPECT_EQ(notes.find('H'), std::string::npos)
        << "SDL's box process started while the sound device was being opened, in the middle of work that takes "
           "the C library's locks (processes started: \""
        << notes << "\")";
    EXPECT_TRUE(WaitUntil([&] { return source.Pulled() >= 1024; })) << "the sound device's opening did not go on";

    output.RemoveSource(&source);
    dsound::testing::CloseAudioOutput();
    UseHeadlessBackend(true);
}

} // namespace
} // namespace platform
