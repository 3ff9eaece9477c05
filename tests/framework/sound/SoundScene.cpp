#include "tests/framework/sound/SoundScene.h"

#include "framework/base/PathUtils.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioDecoder.h"
#include "tests/platform/libs/AudioFixtures.h"

#include <cmath>
#include <cstring>

namespace sound_test {

namespace {

template <class T>
void PutLittle(std::string& out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF));
}

void PutBig32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

} // namespace

std::vector<int16_t> Sine(int frames, int channels, int rate, double hertz, double amplitude)
{
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames * channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hertz * i / rate + c))));
    return out;
}

std::string Bytes(const std::vector<int16_t>& samples)
{
    std::string out(samples.size() * 2, '\0');
    std::memcpy(out.data(), samples.data(), out.size());
    return out;
}

std::string Chunk(const char tag[4], const std::string& body)
{
    std::string out(tag, 4);
    PutLittle<uint32_t>(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

std::string WavFile(const std::string& sampleBytes, const WavLayout& layout)
{
    std::string body = "WAVE";
    if (layout.withFormat) {
        std::string fmt;
        int align = layout.channels * layout.bits / 8;
        PutLittle<uint16_t>(fmt, static_cast<uint16_t>(layout.formatTag));
        PutLittle<uint16_t>(fmt, static_cast<uint16_t>(layout.channels));
        PutLittle<uint32_t>(fmt, static_cast<uint32_t>(layout.rate));
        PutLittle<uint32_t>(fmt, static_cast<uint32_t>(align * layout.rate));
        PutLittle<uint16_t>(fmt, static_cast<uint16_t>(align));
        PutLittle<uint16_t>(fmt, static_cast<uint16_t>(layout.bits));
        body += Chunk("fmt ", fmt);
    }
    body += layout.extraChunks;
    body += "data";
    PutLittle<uint32_t>(body, layout.declaredDataSize >= 0 ? static_cast<uint32_t>(layout.declaredDataSize)
                                                           : static_cast<uint32_t>(sampleBytes.size()));
    body += sampleBytes;
    std::string out = "RIFF";
    PutLittle<uint32_t>(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

std::string AuFile(const std::string& data, uint32_t encoding, uint32_t rate, uint32_t channels, uint32_t declaredSize)
{
    std::string out = ".snd";
    PutBig32(out, 24);
    PutBig32(out, declaredSize == 0xFFFFFFFEu ? static_cast<uint32_t>(data.size()) : declaredSize);
    PutBig32(out, encoding);
    PutBig32(out, rate);
    PutBig32(out, channels);
    return out + data;
}

std::string SilentOggVorbis(int channels, int rate, int packets, int extraGranule)
{
    const audio_fixtures::Bytes bytes = audio_fixtures::SilentOggVorbis(channels, rate, packets, extraGranule);
    return std::string(bytes.begin(), bytes.end());
}

std::string SilentMp3(int frames)
{
    const audio_fixtures::Bytes bytes = audio_fixtures::SilentMp3(frames);
    return std::string(bytes.begin(), bytes.end());
}

// ------------------------------------------------------------- fake fmod --

namespace {

// Decoded by the same decoders as our own fmod.dll uses.
struct FakeSample {
    platform::libs::audio::DecodedSound sound;
};

const Zolt::FmodSoundFunctions* gFake = nullptr;

void Record(std::string call) { FakeFmod::Calls().push_back(std::move(call)); }

signed char FakeSetBufferSize(int ms)
{
    Record("SetBufferSize " + std::to_string(ms));
    return 1;
}
signed char FakeSetHWND(void*)
{
    Record("SetHWND");
    return 1;
}
signed char FakeInit(int rate, int channels, unsigned int flags)
{
    Record("Init " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(flags));
    return 1;
}
void FakeClose() { Record("Close"); }
Zolt::FSOUND_SAMPLE* FakeLoad(int, const char* name, unsigned int, int)
{
    Record(std::string("Sample_Load ") + name);
    auto sample = std::make_unique<FakeSample>();
    if (!platform::libs::audio::DecodeFileWhole(name, sample->sound))
        return nullptr;
    return reinterpret_cast<Zolt::FSOUND_SAMPLE*>(sample.release());
}
FakeSample* Of(Zolt::FSOUND_SAMPLE* s) { return reinterpret_cast<FakeSample*>(s); }
void FakeFree(Zolt::FSOUND_SAMPLE* s)
{
    Record("Sample_Free");
    delete Of(s);
}
signed char FakeLock(Zolt::FSOUND_SAMPLE* s, int offset, int length, void** first, void** second, unsigned int* n1,
                     unsigned int* n2)
{
    auto& data = Of(s)->sound.pcm;
    size_t bytes = data.size();
    if (offset < 0 || static_cast<size_t>(offset) > bytes)
        return 0;
    *first = data.data() + offset;
    *n1 = static_cast<unsigned int>(std::min<size_t>(bytes - static_cast<size_t>(offset), static_cast<size_t>(length)));
    *second = nullptr;
    *n2 = 0;
    return 1;
}
signed char FakeUnlock(Zolt::FSOUND_SAMPLE*, void*, void*, unsigned int, unsigned int) { return 1; }
unsigned int FakeLength(Zolt::FSOUND_SAMPLE* s)
{
    const auto& sound = Of(s)->sound;
    return static_cast<unsigned int>(sound.pcm.size() / static_cast<size_t>(sound.channels * sound.bits / 8));
}
signed char FakeDefaults(Zolt::FSOUND_SAMPLE* s, int* frequency, int* volume, int* pan, int* priority)
{
    *frequency = static_cast<int>(Of(s)->sound.rate);
    *volume = 255;
    *pan = 128;
    *priority = 128;
    return 1;
}
unsigned int FakeMode(Zolt::FSOUND_SAMPLE* s)
{
    const auto& sound = Of(s)->sound;
    return (sound.bits == 8 ? Zolt::kFsound8Bits : Zolt::kFsound16Bits) |
           (sound.channels == 1 ? Zolt::kFsoundMono : Zolt::kFsoundStereo);
}

const Zolt::FmodSoundFunctions kFakeTable{&FakeSetBufferSize, &FakeSetHWND, &FakeInit, &FakeClose, &FakeLoad,
                                          &FakeFree, &FakeLock, &FakeUnlock, &FakeLength, &FakeDefaults,
                                          &FakeMode};

const Zolt::FmodSoundFunctions* AcquireFake()
{
    Record("acquire");
    return gFake;
}
void ReleaseFake() { Record("release"); }

} // namespace

FakeFmod::FakeFmod()
{
    Calls().clear();
    gFake = &kFakeTable;
    previous_ = Zolt::SetFmodSoundProvider(&AcquireFake, &ReleaseFake);
}

FakeFmod::~FakeFmod()
{
    Zolt::SetFmodSoundProvider(previous_.acquire, previous_.release);
    gFake = nullptr;
}

std::vector<std::string>& FakeFmod::Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

// ----------------------------------------------------------------- scene --

void SoundScene::SetUp()
{
    platform::testing::ClearFailures();
    platform::testing::ClearScriptedAnswers();
    platform::testing::ClearModuleHiding();
    scopedClock_ = std::make_unique<platform::ScopedClock>(clock_);
    platform::dsound::testing::ResetAudio();
    platform::MakeDirectories(temp_ / "game");
    platform::MakeDirectories(temp_ / "appdata");
    SetAppDataFolder(temp_ / "appdata");
    savedDirectory_ = platform::GetCurrentDirectory();
    platform::SetCurrentDirectory(temp_ / "game");
    window_ = platform::ddraw::testing::CreateWindow(0, 0, 640, 480);
}

void SoundScene::TearDown()
{
    platform::SetCurrentDirectory(savedDirectory_);
    SetAppDataFolder("");
    platform::testing::ClearFailures();
    platform::testing::ClearModuleHiding();
    scopedClock_.reset();
}

void SoundScene::WriteGameFile(const std::string& relative, const std::string& contents)
{
    platform::MakeDirectories(PathDirectory(GamePath(relative), false));
    platform::testing::WriteTestFile(GamePath(relative), contents);
}

std::unique_ptr<Zolt::DSoundManager> SoundScene::MakeManager(bool useFmod)
{
    return std::make_unique<Zolt::DSoundManager>(window_, useFmod);
}

std::string SoundScene::SampleBytes(Zolt::DSoundManager& manager, int id)
{
    platform::DirectSoundBuffer* buffer = manager.SoundBuffer(id);
    if (!buffer)
        return "<no buffer>";
    void* data = nullptr;
    platform::DWORD size = 0;
    if (platform::FAILED(buffer->Lock(0, manager.DataSize(id), &data, &size, nullptr, nullptr, 0)))
        return "<no lock>";
    std::string bytes(static_cast<const char*>(data), size);
    buffer->Unlock(data, size, nullptr, 0);
    return bytes;
}

std::vector<int16_t> SoundScene::Listen(int ms)
{
    platform::dsound::testing::StartCapture();
    platform::dsound::testing::TakeMixedSamples();
    clock_.AdvanceMilliseconds(static_cast<uint64_t>(ms));
    return platform::dsound::testing::TakeMixedSamples();
}

} // namespace sound_test
