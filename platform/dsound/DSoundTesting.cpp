#include "platform/dsound/DSoundTesting.h"

#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/WaveMixer.h"

namespace platform::dsound::testing {

void ResetAudio()
{
    AudioOutput::Instance().ResetHeadless();
    platform::testing::ResetWaveOutVolume();
}

void StartCapture() { AudioOutput::Instance().SetCapture(true); }

std::vector<int16_t> TakeMixedSamples() { return AudioOutput::Instance().TakeCaptured(); }

uint64_t FramesMixed() { return AudioOutput::Instance().FramesMixed(); }

} // namespace platform::dsound::testing
