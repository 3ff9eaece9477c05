// Test hooks of the sound service (headless back end): the output as mixed
// samples on the platform clock. Install the test's clock first, then call
// ResetAudio, so that frame 0 is the clock's present; from then on every
// buffer call and every hook below mixes what the clock says has played
// (44100 stereo frames a second). Failures of named calls are arranged with
// platform::testing::FailNext (names in DirectSound.h, DirectSoundBuffer.h
// and WaveMixer.h).
//
// Threads: the test's main thread.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::dsound::testing {

// Frame 0 at the clock's present, nothing captured, full wave-out volume.
void ResetAudio();
// Closes the output's device, which has no sources left: the next use opens
// one anew, of the back end then in force, as the first use in a process
// does.
void CloseAudioOutput();
// From now on keep every mixed frame.
void StartCapture();
// The frames mixed and kept since StartCapture or the last take, as
// interleaved left, right samples.
std::vector<int16_t> TakeMixedSamples();
// Frames mixed since ResetAudio (after mixing up to the present).
uint64_t FramesMixed();
// The largest sample buffer asked of any DirectSound object since
// ResetAudio, in bytes.
uint32_t LargestBufferBytes();

} // namespace platform::dsound::testing
