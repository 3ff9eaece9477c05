#include "platform/dsound/DSoundTesting.h"

#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/HeadlessAudioDevice.h"
#include "platform/dsound/SoundDevice.h"
#include "platform/dsound/WaveMixer.h"

namespace platform::dsound::testing {

void ResetAudio()
{
    AudioOutput::Instance().WithHeadlessDevice([](HeadlessAudioDevice& device) { device.Reset(); });
    platform::testing::ResetWaveOutVolume();
    ForgetBufferSizes();
}

void CloseAudioOutput() { AudioOutput::Instance().CloseDevice(); }

void StartCapture()
{
    AudioOutput& output = AudioOutput::Instance();
    output.CatchUp(); // what played before is not kept
    output.WithHeadlessDevice([](HeadlessAudioDevice& device) { device.SetCapture(true); });
}

std::vector<int16_t> TakeMixedSamples()
{
    AudioOutput& output = AudioOutput::Instance();
    output.CatchUp();
    std::vector<int16_t> taken;
    output.WithHeadlessDevice([&](HeadlessAudioDevice& device) { taken = device.TakeCaptured(); });
    return taken;
}

uint64_t FramesMixed()
{
    AudioOutput& output = AudioOutput::Instance();
    output.CatchUp();
    uint64_t frames = 0;
    output.WithHeadlessDevice([&](HeadlessAudioDevice& device) { frames = device.FramesMixed(); });
    return frames;
}

uint32_t LargestBufferBytes() { return LargestBufferSize(); }

} // namespace platform::dsound::testing
