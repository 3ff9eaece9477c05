// The state behind one DirectSound object: its cooperative level, the
// primary format, and the voices of its buffers, which it mixes into the
// process's audio output.
//
// A voice is one buffer's playing state (position, volume, pan, frequency,
// looping) over sample data that duplicates share. Sample data keeps the
// outstanding locks; a voice whose data is locked plays silence (its position
// still moves), so the mixer never reads memory the program is writing.
//
// Threads: the program's thread calls the buffers; the audio thread (or a
// headless catch-up on any thread) mixes. One mutex guards every voice field,
// the set of playing voices, the sample data's lock records and the device
// fields; buffer operations take it through Guard(). Taken after the audio
// output's mutex, never before it.
#pragma once

#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/DSoundTypes.h"

#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::dsound {

struct SampleData {
    WAVEFORMATEX format{};
    std::vector<uint8_t> bytes;
    // Regions handed out by Lock and not yet unlocked (pointer, length).
    std::vector<std::pair<const uint8_t*, DWORD>> locks;
};

struct Voice {
    std::shared_ptr<SampleData> data;
    bool playing = false;
    bool looping = false;
    uint64_t position = 0; // frames, 32.32 fixed point
    LONG volume = 0;
    LONG pan = 0;
    DWORD frequency = 0;
};

// DS_OK for a PCM format the mixer plays (8 or 16 bits, one or two channels,
// a rate from DSBFREQUENCY_MIN to DSBFREQUENCY_MAX, consistent block align
// and byte rate); otherwise DSERR_BADFORMAT (DSERR_INVALIDPARAM for null).
HRESULT CheckPcmFormat(const WAVEFORMATEX* format);

// DS_OK, or the failure a test arranged for `operation` (platform/core/
// Testing.h; a code of 0 stands for DSERR_GENERIC).
HRESULT InjectedFailure(std::string_view operation);

// Keeps the largest sample buffer asked for, for the test hook
// LargestBufferBytes (a size a file claims must never reach it unproved).
void NoteBufferSize(DWORD bytes);
DWORD LargestBufferSize();
void ForgetBufferSizes();

class SoundDevice final : public MixSource {
public:
    SoundDevice();
    ~SoundDevice() override;

    // Joins the output; false when no output device can be opened.
    bool Open();
    // Leaves the output and silences every voice; later plays fail.
    void Close();
    bool IsOpen() const { return open_; }

    std::unique_lock<std::mutex> Guard() { return std::unique_lock<std::mutex>(mutex_); }
    // With the guard held:
    void StartLocked(Voice* voice);
    void StopLocked(Voice* voice);
    void ForgetLocked(Voice* voice);

    DWORD cooperativeLevel = 0; // guarded by the mutex
    HWND window = nullptr;      // guarded by the mutex
    WAVEFORMATEX primaryFormat{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0}; // guarded by the mutex

    void MixInto(float* accumulator, int frames, int rate) override;

    // Linear gain of a volume in hundredths of a decibel (0 at the minimum).
    static float VolumeGain(LONG volume);

private:
    void MixVoice(Voice& voice, float* accumulator, int frames, int rate);

    std::mutex mutex_;
    std::set<Voice*> playing_; // guarded by mutex_
    bool open_ = false;        // guarded by mutex_ (written before and after the output knows us)
};

} // namespace platform::dsound
