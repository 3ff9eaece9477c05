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

// Vorbis packs its headers least significant bit first.
class BitWriter {
public:
    void Put(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            if (used_ == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1u)
                bytes_.back() = static_cast<char>(bytes_.back() | (1 << used_));
            used_ = (used_ + 1) % 8;
        }
    }
    void PutText(const char* text)
    {
        for (; *text; ++text)
            Put(static_cast<uint8_t>(*text), 8);
    }
    std::string Take() { return bytes_; }

private:
    std::string bytes_;
    int used_ = 0;
};

uint32_t OggCrc(const std::string& page)
{
    uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= static_cast<uint32_t>(c) << 24;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::string OggPage(const std::vector<std::string>& packets, uint8_t flags, int64_t granule, uint32_t sequence)
{
    std::string lacing;
    std::string body;
    for (const std::string& p : packets) {
        size_t n = p.size();
        while (n >= 255) {
            lacing.push_back(static_cast<char>(255));
            n -= 255;
        }
        lacing.push_back(static_cast<char>(n));
        body += p;
    }
    std::string page = "OggS";
    page.push_back(0);
    page.push_back(static_cast<char>(flags));
    PutLittle<uint64_t>(page, static_cast<uint64_t>(granule));
    PutLittle<uint32_t>(page, 0x50454C4C); // serial
    PutLittle<uint32_t>(page, sequence);
    PutLittle<uint32_t>(page, 0); // checksum, filled below
    page.push_back(static_cast<char>(lacing.size()));
    page += lacing;
    page += body;
    uint32_t crc = OggCrc(page);
    for (int i = 0; i < 4; ++i)
        page[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    return page;
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
    BitWriter id;
    id.Put(1, 8);
    id.PutText("vorbis");
    id.Put(0, 32);
    id.Put(static_cast<uint32_t>(channels), 8);
    id.Put(static_cast<uint32_t>(rate), 32);
    id.Put(0, 32);
    id.Put(0, 32);
    id.Put(0, 32);
    id.Put(8, 4);  // short blocks of 256
    id.Put(11, 4); // long blocks of 2048
    id.Put(1, 1);

    BitWriter comment;
    comment.Put(3, 8);
    comment.PutText("vorbis");
    comment.Put(1, 32);
    comment.PutText("t");
    comment.Put(0, 32);
    comment.Put(1, 1);

    BitWriter setup;
    setup.Put(5, 8);
    setup.PutText("vorbis");
    setup.Put(0, 8); // one codebook: one dimension, two entries of length 1
    setup.Put(0x564342, 24);
    setup.Put(1, 16);
    setup.Put(2, 24);
    setup.Put(0, 1);
    setup.Put(0, 1);
    setup.Put(0, 5);
    setup.Put(0, 5);
    setup.Put(0, 4);
    setup.Put(0, 6); // one time-domain placeholder
    setup.Put(0, 16);
    setup.Put(0, 6); // one floor of type 1: one partition of class 0
    setup.Put(1, 16);
    setup.Put(1, 5);
    setup.Put(0, 4);
    setup.Put(0, 3); // class dimension 1
    setup.Put(0, 2); // no subclasses
    setup.Put(0, 8); // its one book unused
    setup.Put(0, 2); // multiplier 1
    setup.Put(8, 4); // range bits
    setup.Put(128, 8);
    setup.Put(0, 6); // one residue of type 0, empty
    setup.Put(0, 16);
    setup.Put(0, 24);
    setup.Put(0, 24);
    setup.Put(0, 24);
    setup.Put(0, 6);
    setup.Put(0, 8);
    setup.Put(0, 3);
    setup.Put(0, 1);
    setup.Put(0, 6); // one mapping: one submap, no coupling
    setup.Put(0, 16);
    setup.Put(0, 1);
    setup.Put(0, 1);
    setup.Put(0, 2);
    setup.Put(0, 8);
    setup.Put(0, 8);
    setup.Put(0, 8);
    setup.Put(0, 6); // one mode: short blocks, mapping 0
    setup.Put(0, 1);
    setup.Put(0, 16);
    setup.Put(0, 16);
    setup.Put(0, 8);
    setup.Put(1, 1);

    // An audio packet whose every channel's floor is unused: silence.
    std::string audio(1, '\0');
    std::string out = OggPage({id.Take()}, 0x02, 0, 0);
    out += OggPage({comment.Take(), setup.Take()}, 0x00, 0, 1);
    int first = packets / 2;
    int second = packets - first;
    out += OggPage(std::vector<std::string>(static_cast<size_t>(first), audio), 0x00, (first - 1) * 128, 2);
    out += OggPage(std::vector<std::string>(static_cast<size_t>(second), audio), 0x04,
                   (packets - 1) * 128 + extraGranule, 3);
    return out;
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
