// The sound service as the sound manager relies on it: buffers that play
// their samples exactly, duplicates that share data, volume, pan and
// frequency as heard in the mixed output, lock regions that wrap, and the
// failures a test can arrange.
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/dsound/DirectSound.h"
#include "platform/dsound/WaveMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

struct Released {
    void operator()(IUnknown* object) const { object->Release(); }
};
using DevicePtr = std::unique_ptr<DirectSound, Released>;
using BufferPtr = std::unique_ptr<DirectSoundBuffer, Released>;

WAVEFORMATEX Pcm(int channels, int rate, int bits)
{
    WORD align = static_cast<WORD>(channels * bits / 8);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, static_cast<WORD>(channels), static_cast<DWORD>(rate),
                        static_cast<DWORD>(align * rate), align, static_cast<WORD>(bits), 0};
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::ClearFailures();
        testing::ClearModuleHiding();
        dsound::testing::ResetAudio();
        window_ = ddraw::testing::CreateWindow(0, 0, 100, 100);
        DirectSound* raw = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &raw, nullptr), DS_OK);
        device_.reset(raw);
        ASSERT_EQ(device_->SetCooperativeLevel(window_, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override { testing::ClearFailures(); }

    // A secondary buffer holding `samples` (16-bit) or `bytes` (8-bit).
    BufferPtr MakeBuffer(const WAVEFORMATEX& format, const void* data, DWORD size,
                         DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY)
    {
        WAVEFORMATEX f = format;
        DSBUFFERDESC desc{sizeof(DSBUFFERDESC), flags, size, 0, &f};
        DirectSoundBuffer* raw = nullptr;
        EXPECT_EQ(device_->CreateSoundBuffer(&desc, &raw, nullptr), DS_OK);
        BufferPtr buffer(raw);
        if (buffer) {
            void* p = nullptr;
            DWORD n = 0;
            EXPECT_EQ(buffer->Lock(0, size, &p, &n, nullptr, nullptr, 0), DS_OK);
            std::memcpy(p, data, n);
            EXPECT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
        }
        return buffer;
    }
    BufferPtr MakeBuffer16(int channels, int rate, const std::vector<int16_t>& samples)
    {
        return MakeBuffer(Pcm(channels, rate, 16), samples.data(), static_cast<DWORD>(samples.size() * 2));
    }

    // Advances the clock and returns what was mixed meanwhile.
    std::vector<int16_t> Listen(int ms)
    {
        dsound::testing::StartCapture();
        dsound::testing::TakeMixedSamples();
        clock_.AdvanceMilliseconds(static_cast<uint64_t>(ms));
        return dsound::testing::TakeMixedSamples();
    }

    static std::vector<int16_t> Ramp(int count, int step = 7)
    {
        std::vector<int16_t> v(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            v[static_cast<size_t>(i)] = static_cast<int16_t>((i * step) % 30000 - 15000);
        return v;
    }

    ManualClock clock_{0};
    ScopedClock scoped_{clock_};
    HWND window_ = nullptr;
    DevicePtr device_;
};

TEST_F(DirectSoundTest, TheLibraryIsFoundByNameAndCreationFailuresCanBeArranged)
{
    HMODULE module = LoadModule("DSOUND.DLL");
    ASSERT_NE(module, nullptr);
    auto create = GetEntryAs<LPDIRECTSOUNDCREATE>(module, "DirectSoundCreate");
    ASSERT_NE(create, nullptr);
    testing::FailNext("DirectSoundCreate", DSERR_NODRIVER);
    DirectSound* device = nullptr;
    EXPECT_EQ(create(nullptr, &device, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(create(nullptr, &device, nullptr), DS_OK);
    device->Release();
    FreeModule(module);
}

TEST_F(DirectSoundTest, BuffersAreRefusedForBadDescriptionsAndFormats)
{
    DirectSound* raw = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &raw, nullptr), DS_OK);
    DevicePtr fresh(raw);
    WAVEFORMATEX f = Pcm(2, 44100, 16);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 4096, 0, &f};
    DirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(fresh->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_PRIOLEVELNEEDED) << "no cooperative level yet";

    DSBUFFERDESC primary{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 4096, 0, nullptr};
    EXPECT_EQ(device_->CreateSoundBuffer(&primary, &buffer, nullptr), DSERR_INVALIDPARAM);
    WAVEFORMATEX floating = f;
    floating.wFormatTag = 3;
    desc.lpwfxFormat = &floating;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_BADFORMAT);
    WAVEFORMATEX wrongAlign = f;
    wrongAlign.nBlockAlign = 3;
    desc.lpwfxFormat = &wrongAlign;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_BADFORMAT);
    desc.lpwfxFormat = &f;
    desc.dwBufferBytes = 2;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    desc.dwBufferBytes = DSBSIZE_MAX + 1;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    desc.dwSize = 20;
    desc.dwBufferBytes = 4096;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(DirectSoundTest, ThePrimaryFormatNeedsPriorityLevel)
{
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
    DirectSoundBuffer* raw = nullptr;
    ASSERT_EQ(device_->CreateSoundBuffer(&desc, &raw, nullptr), DS_OK);
    BufferPtr primary(raw);
    WAVEFORMATEX f = Pcm(1, 22050, 8);
    f.cbSize = 18;
    EXPECT_EQ(primary->SetFormat(&f), DS_OK);
    WAVEFORMATEX got{};
    EXPECT_EQ(primary->GetFormat(&got, sizeof got, nullptr), DS_OK);
    EXPECT_EQ(got.nSamplesPerSec, 22050u);
    EXPECT_EQ(got.wBitsPerSample, 8);
    ASSERT_EQ(device_->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(primary->SetFormat(&f), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, AFullVolumeBufferAtTheOutputRateIsHeardSampleForSample)
{
    std::vector<int16_t> samples = Ramp(2 * 44100); // one second, stereo
    BufferPtr buffer = MakeBuffer16(2, 44100, samples);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> heard = Listen(100);
    ASSERT_EQ(heard.size(), 2u * 4410);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), samples.begin()));
    DWORD play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 4410u * 4);
}

TEST_F(DirectSoundTest, AOneShotBufferStopsAtItsEndAndALoopWrapsAround)
{
    std::vector<int16_t> samples = Ramp(441); // 10 ms, mono
    BufferPtr once = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    ASSERT_EQ(once->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    std::vector<int16_t> heard = Listen(20);
    ASSERT_EQ(once->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(heard[2 * 440], samples[440]);
    EXPECT_EQ(heard[2 * 441], 0) << "nothing after the end";

    ASSERT_EQ(once->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    heard = Listen(20);
    ASSERT_EQ(once->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(heard[2 * 441], samples[0]);
    EXPECT_EQ(heard[2 * 500 + 1], samples[500 - 441]);
}

TEST_F(DirectSoundTest, VolumeAndPanAreHeardAsDecibels)
{
    std::vector<int16_t> samples(2000, 10000);
    BufferPtr buffer = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(buffer->SetVolume(-600), DS_OK);
    ASSERT_EQ(buffer->SetPan(DSBPAN_LEFT), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> heard = Listen(10);
    EXPECT_NEAR(heard[100], 10000 * std::pow(10.0, -0.3), 1.0) << "left, 6 dB down";
    EXPECT_EQ(heard[101], 0) << "right, panned away";

    ASSERT_EQ(buffer->SetPan(1000), DS_OK);
    ASSERT_EQ(buffer->SetVolume(DSBVOLUME_MIN), DS_OK);
    heard = Listen(10);
    EXPECT_EQ(heard[100], 0) << "the minimum is silence";
    ASSERT_EQ(buffer->SetVolume(0), DS_OK);
    heard = Listen(10);
    EXPECT_NEAR(heard[100], 10000 * std::pow(10.0, -0.5), 1.0);
    EXPECT_EQ(heard[101], 10000);

    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    BufferPtr plain = MakeBuffer(Pcm(1, 44100, 16), samples.data(), 400, DSBCAPS_STATIC);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
}

TEST_F(DirectSoundTest, FrequencyChangesHowFastTheBufferIsPlayed)
{
    std::vector<int16_t> samples = Ramp(44100);
    BufferPtr buffer = MakeBuffer16(1, 22050, samples);
    DWORD frequency = 0;
    ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 22050u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> heard = Listen(100);
    DWORD play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 2205u * 2) << "half the output rate: half as many frames";
    EXPECT_EQ(heard[2 * 10], samples[5]);
    EXPECT_NEAR(heard[2 * 11], (samples[5] + samples[6]) / 2.0, 0.5) << "in between, interpolated";

    ASSERT_EQ(buffer->SetFrequency(44100), DS_OK);
    Listen(100);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, (2205u + 4410u) * 2);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 22050u);
}

TEST_F(DirectSoundTest, DuplicatesShareSamplesButPlayOnTheirOwn)
{
    std::vector<int16_t> samples(4410, 1000);
    BufferPtr original = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(original->SetVolume(-1000), DS_OK);
    DirectSoundBuffer* raw = nullptr;
    ASSERT_EQ(device_->DuplicateSoundBuffer(original.get(), &raw), DS_OK);
    BufferPtr copy(raw);
    LONG volume = 0;
    ASSERT_EQ(copy->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -1000);
    ASSERT_EQ(copy->SetVolume(0), DS_OK);

    // New samples written through the original are what the copy plays.
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(original->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    std::vector<int16_t> louder(4410, 2000);
    std::memcpy(p, louder.data(), n);
    ASSERT_EQ(original->Unlock(p, n, nullptr, 0), DS_OK);

    ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> heard = Listen(10);
    EXPECT_EQ(heard[0], 2000);
    DWORD status = 0;
    ASSERT_EQ(original->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u) << "the original was not started";

    // The copy keeps the data alive after the original is gone.
    original.reset();
    ASSERT_EQ(copy->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    heard = Listen(10);
    EXPECT_EQ(heard[0], 2000);

    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
    ASSERT_EQ(device_->CreateSoundBuffer(&desc, &raw, nullptr), DS_OK);
    BufferPtr primary(raw);
    EXPECT_EQ(device_->DuplicateSoundBuffer(primary.get(), &raw), DSERR_INVALIDCALL);
    testing::FailNext("DirectSound::DuplicateSoundBuffer", DSERR_ALLOCATED);
    EXPECT_EQ(device_->DuplicateSoundBuffer(copy.get(), &raw), DSERR_ALLOCATED);
}

TEST_F(DirectSoundTest, ALockPastTheEndWrapsToTheStartAndUnlockChecksTheRegions)
{
    std::vector<int16_t> samples(100, 0);
    BufferPtr buffer = MakeBuffer16(1, 44100, samples);
    void* first = nullptr;
    void* second = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(buffer->Lock(190, 20, &first, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM)
        << "a wrap needs the second pointer";
    ASSERT_EQ(buffer->Lock(190, 20, &first, &n1, &second, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 10u);
    EXPECT_EQ(n2, 10u);
    EXPECT_EQ(static_cast<char*>(first) - static_cast<char*>(second), 190);

    // While locked the buffer plays silence rather than half-written data.
    std::memset(first, 0x11, n1);
    std::memset(second, 0x11, n2);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> heard = Listen(5);
    EXPECT_EQ(heard[0], 0);

    char elsewhere[4];
    EXPECT_EQ(buffer->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(first, n1 + 1, second, n2), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Unlock(first, n1, second, n2), DS_OK);
    EXPECT_EQ(buffer->Unlock(first, n1, second, n2), DSERR_INVALIDPARAM) << "already given back";
    buffer->SetCurrentPosition(0);
    heard = Listen(5);
    EXPECT_EQ(heard[0], 0x1111);

    EXPECT_EQ(buffer->Lock(200, 4, &first, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 201, &first, &n1, &second, &n2, 0), DSERR_INVALIDPARAM);
    testing::FailNext("DirectSoundBuffer::Lock", DSERR_BUFFERLOST);
    EXPECT_EQ(buffer->Lock(0, 4, &first, &n1, nullptr, nullptr, 0), DSERR_BUFFERLOST);
}

TEST_F(DirectSoundTest, EightBitSamplesAreCentredOn128)
{
    std::vector<uint8_t> bytes(441, 128 + 64);
    BufferPtr buffer = MakeBuffer(Pcm(1, 44100, 8), bytes.data(), static_cast<DWORD>(bytes.size()));
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> heard = Listen(5);
    EXPECT_EQ(heard[0], 64 * 256);
    EXPECT_EQ(heard[1], 64 * 256);
}

TEST_F(DirectSoundTest, BuffersOutlivingTheirDeviceGoQuiet)
{
    std::vector<int16_t> samples(4410, 3000);
    BufferPtr buffer = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    device_.reset();
    std::vector<int16_t> heard = Listen(10);
    EXPECT_EQ(heard[0], 0);
    EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_UNINITIALIZED);
}

TEST_F(DirectSoundTest, AnotherClockTakingOverDoesNotMixTheJumpBetweenThem)
{
    std::vector<int16_t> samples(4410, 100);
    BufferPtr buffer = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    clock_.AdvanceMilliseconds(10);
    uint64_t before = dsound::testing::FramesMixed();
    EXPECT_EQ(before, 441u);
    {
        ManualClock later(1000000000000ull);
        ScopedClock scoped(later);
        EXPECT_EQ(dsound::testing::FramesMixed(), before);
        later.AdvanceMilliseconds(10);
        EXPECT_EQ(dsound::testing::FramesMixed(), before + 441);
    }
}

TEST_F(DirectSoundTest, TheWaveOutVolumeIsTheOutputsMasterGain)
{
    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_MIXER), MMSYSERR_NOERROR);
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    ASSERT_EQ(mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE),
              MMSYSERR_NOERROR);
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    ASSERT_EQ(mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE),
              MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {{65535 / 2}, {0}};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 2;
    details.cbDetails = sizeof values[0];
    details.paDetails = values;
    ASSERT_EQ(mixerSetControlDetails(mixer, &details, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);

    std::vector<int16_t> samples(4410, 10000);
    BufferPtr buffer = MakeBuffer16(1, 44100, samples);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> heard = Listen(10);
    EXPECT_NEAR(heard[0], 5000, 1);
    EXPECT_EQ(heard[1], 0);

    details.cChannels = 1;
    values[0].dwValue = 0;
    ASSERT_EQ(mixerGetControlDetailsA(mixer, &details, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
    EXPECT_EQ(values[0].dwValue, 65535u / 2);
    EXPECT_EQ(mixerClose(mixer), MMSYSERR_NOERROR);
    EXPECT_EQ(mixerClose(mixer), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mixerOpen(&mixer, 1, 0, 0, MIXER_OBJECTF_MIXER), MMSYSERR_BADDEVICEID);
}

} // namespace
} // namespace platform
