// The real audio device under SDL's dummy audio driver: SDL's own thread
// pulls the output's mix, and a source removed from the output is never
// called again. Real threads, so the test waits on a condition with a
// generous deadline instead of a manual clock.
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/DSoundTesting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform::dsound {
namespace {

class CountingSource final : public MixSource {
public:
    void MixInto(float* accumulator, int frames, int) override
    {
        for (int i = 0; i < frames * kOutputChannels; ++i)
            accumulator[i] += 1000.0f;
        std::lock_guard<std::mutex> lock(mutex_);
        framesPulled_ += frames;
        pulled_.notify_all();
    }

    bool WaitForFrames(long frames)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return pulled_.wait_for(lock, std::chrono::seconds(20), [&] { return framesPulled_ >= frames; });
    }
    long FramesPulled()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return framesPulled_;
    }

private:
    std::mutex mutex_;
    std::condition_variable pulled_;
    long framesPulled_ = 0; // guarded by mutex_
};

TEST(SdlAudioDevice, TheDriversThreadPullsTheMixUntilTheSourceIsRemoved)
{
    SetEnvironmentVariable("SDL_AUDIODRIVER", std::string("dummy"));
    // The output opens its device on first use: an earlier test of the same
    // process may have opened the headless one.
    testing::CloseAudioOutput();
    UseHeadlessBackend(false);
    AudioOutput& output = AudioOutput::Instance();
    CountingSource source;
    ASSERT_TRUE(output.AddSource(&source)) << "the dummy driver opens";
    EXPECT_FALSE(output.WithHeadlessDevice([](HeadlessAudioDevice&) {})) << "the real device is in force";
    EXPECT_TRUE(source.WaitForFrames(4 * 1024)) << "SDL's thread pulled the mix";
    output.RemoveSource(&source);
    const long pulled = source.FramesPulled();
    CountingSource later;
    ASSERT_TRUE(output.AddSource(&later));
    EXPECT_TRUE(later.WaitForFrames(4 * 1024)) << "SDL's thread went on pulling";
    EXPECT_EQ(source.FramesPulled(), pulled) << "but not from the removed source";
    output.RemoveSource(&later);
    testing::CloseAudioOutput();
    UseHeadlessBackend(true);
}

// A test that closes the output for the next one leaves nothing of the old
// device's opening behind: the next use opens the real device anew.
TEST(SdlAudioDevice, TheOutputClosedBetweenTestsOpensTheRealDeviceAnew)
{
    SetEnvironmentVariable("SDL_AUDIODRIVER", std::string("dummy"));
    testing::CloseAudioOutput();
    UseHeadlessBackend(false);
    AudioOutput& output = AudioOutput::Instance();
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening == 0 ? "first opening" : "after the close");
        CountingSource source;
        ASSERT_TRUE(output.AddSource(&source));
        EXPECT_TRUE(source.WaitForFrames(1024)) << "no device pulled the mix";
        output.RemoveSource(&source);
        testing::CloseAudioOutput();
    }
    UseHeadlessBackend(true);
}

} // namespace
} // namespace platform::dsound
