// The sound file readers and the decoded-sound cache: each format decodes
// to the samples it holds, damaged files fail cleanly, and compressed sounds
// are decoded once and then read back from the cache until their source
// changes.
#include "framework/base/PathUtils.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioDecoder.h"
#include "tests/framework/sound/SoundScene.h"

#include <chrono>
#include <cstring>
#include <filesystem>

namespace sound_test {
namespace {

using Zolt::DSoundManager;

class SoundReaders : public SoundScene {
protected:
    // Moves the file's modification time by `seconds`.
    void Touch(const std::string& path, int seconds)
    {
        auto t = std::filesystem::last_write_time(path);
        std::filesystem::last_write_time(path, t + std::chrono::seconds(seconds));
    }
    bool Exists(const std::string& path) { return platform::FileExists(path); }
};

TEST_F(SoundReaders, AWavFileKeepsItsFormatAndSamples)
{
    std::vector<int16_t> samples = Sine(1000, 2, 44100, 440.0);
    WavLayout layout;
    layout.channels = 2;
    layout.rate = 44100;
    WriteGameFile("sounds/click.wav", WavFile(Bytes(samples), layout));
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(3, "sounds/click"));
    EXPECT_EQ(manager->DataSize(3), 4000u);
    EXPECT_EQ(SampleBytes(*manager, 3), Bytes(samples));
    platform::WAVEFORMATEX format{};
    ASSERT_EQ(manager->SoundBuffer(3)->GetFormat(&format, sizeof format, nullptr), platform::DS_OK);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_FALSE(Exists(AppDataPath("sounds/click"))) << "plain WAV sounds are never cached";

    // Chunks the reader does not know are skipped; without "fmt " the sound
    // is 16-bit mono at 22050.
    WavLayout bare;
    bare.withFormat = false;
    bare.extraChunks = Chunk("LIST", "whatever") + Chunk("junk", std::string(3, 'x'));
    WriteGameFile("bare.wav", WavFile(Bytes(samples), bare));
    ASSERT_TRUE(manager->ReadWavFile(4, "bare.wav"));
    ASSERT_EQ(manager->SoundBuffer(4)->GetFormat(&format, sizeof format, nullptr), platform::DS_OK);
    EXPECT_EQ(format.nChannels, 1);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
}

TEST_F(SoundReaders, DamagedWavFilesFailWithoutAnyBuffer)
{
    auto manager = MakeManager();
    std::string samples = Bytes(Sine(500, 1, 22050, 300.0));
    WavLayout floating;
    floating.formatTag = 3;
    floating.bits = 32;
    WriteGameFile("float.wav", WavFile(samples, floating));
    EXPECT_FALSE(manager->ReadWavFile(1, "float.wav"));

    std::string good = WavFile(samples, WavLayout{});
    WriteGameFile("truncated.wav", good.substr(0, good.size() - 10));
    EXPECT_FALSE(manager->ReadWavFile(1, "truncated.wav"));
    WavLayout huge;
    huge.declaredDataSize = 0xFFFFFFF0;
    WriteGameFile("huge.wav", WavFile(samples, huge));
    EXPECT_FALSE(manager->ReadWavFile(1, "huge.wav"));
    WavLayout odd;
    odd.bits = 24;
    WriteGameFile("odd.wav", WavFile(samples, odd));
    EXPECT_FALSE(manager->ReadWavFile(1, "odd.wav"));
    WriteGameFile("riff.wav", "RIFX" + good.substr(4));
    EXPECT_FALSE(manager->ReadWavFile(1, "riff.wav"));
    WriteGameFile("nodata.wav", good.substr(0, 12 + 24));
    EXPECT_FALSE(manager->ReadWavFile(1, "nodata.wav"));
    EXPECT_FALSE(manager->ReadWavFile(1, "missing.wav"));
    EXPECT_EQ(manager->SoundBuffer(1), nullptr);

    platform::testing::FailNext("DirectSoundBuffer::Lock", platform::DSERR_BUFFERLOST);
    WriteGameFile("good.wav", good);
    EXPECT_FALSE(manager->ReadWavFile(1, "good.wav"));
    EXPECT_EQ(manager->SoundBuffer(1), nullptr) << "a buffer that could not be filled is not kept";
    EXPECT_TRUE(manager->ReadWavFile(1, "good.wav"));
}

TEST_F(SoundReaders, AnOggSoundIsDecodedOnceAndThenReadFromTheCache)
{
    WriteGameFile("sounds/music1.ogg", SilentOggVorbis(2, 44100, 9));
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(10, "sounds/music1"));
    EXPECT_EQ(manager->DataSize(10), 8u * 128 * 4);
    EXPECT_EQ(SampleBytes(*manager, 10), std::string(8 * 128 * 4, '\0'));

    std::string cache = platform::testing::ReadTestFile(AppDataPath("sounds/music1"));
    ASSERT_NE(cache, "<missing>");
    std::string source = "sounds/music1.ogg";
    EXPECT_EQ(cache.substr(0, 4), "RIFF");
    EXPECT_NE(cache.find("dep "), std::string::npos);
    EXPECT_NE(cache.find(source), std::string::npos);
    size_t data = cache.find("data");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(static_cast<uint8_t>(cache[data + 8]), DSoundManager::kCacheKey) << "silence, scrambled";

    // The cache answers now: a source that no longer decodes is not opened.
    std::string ogg = platform::testing::ReadTestFile(GamePath(source));
    auto time = std::filesystem::last_write_time(GamePath(source));
    platform::testing::WriteTestFile(GamePath(source), std::string(ogg.size(), 'x'));
    std::filesystem::last_write_time(GamePath(source), time);
    EXPECT_TRUE(manager->LoadSoundFile(11, "sounds/music1"));
    EXPECT_EQ(SampleBytes(*manager, 11), SampleBytes(*manager, 10));

    // Once the source changes, the cache is stale and the source is read.
    Touch(GamePath(source), 10);
    EXPECT_FALSE(manager->LoadSoundFile(12, "sounds/music1"));
    platform::testing::WriteTestFile(GamePath(source), SilentOggVorbis(1, 22050, 5));
    Touch(GamePath(source), 20);
    ASSERT_TRUE(manager->LoadSoundFile(12, "sounds/music1"));
    EXPECT_EQ(manager->DataSize(12), 4u * 128 * 2);
    EXPECT_TRUE(manager->LoadSoundFile(13, "sounds/music1"));
    EXPECT_EQ(manager->DataSize(13), 4u * 128 * 2) << "the rewritten cache";
}

TEST_F(SoundReaders, AnOggStreamShorterThanItsLengthSaysFails)
{
    WriteGameFile("short.ogg", SilentOggVorbis(1, 22050, 9, 1000));
    WriteGameFile("garbage.ogg", std::string(5000, 'g'));
    WriteGameFile("empty.ogg", "");
    auto manager = MakeManager();
    EXPECT_FALSE(manager->ReadOggFile(7, "short.ogg"));
    EXPECT_EQ(manager->SoundBuffer(7), nullptr);
    EXPECT_FALSE(manager->ReadOggFile(7, "garbage.ogg"));
    EXPECT_FALSE(manager->ReadOggFile(7, "empty.ogg"));
    EXPECT_FALSE(manager->ReadOggFile(7, "missing.ogg"));
}

TEST_F(SoundReaders, ATinyOggClaimingHundredsOfMegabytesGetsNoBufferOfThatSize)
{
    // Nine packets of silence whose last page says 60 million frames.
    const std::string tiny = SilentOggVorbis(2, 44100, 9, 60'000'000);
    ASSERT_LT(tiny.size(), 4096u);
    WriteGameFile("claims.ogg", tiny);
    auto manager = MakeManager();
    EXPECT_FALSE(manager->ReadOggFile(7, "claims.ogg"));
    EXPECT_EQ(manager->SoundBuffer(7), nullptr);
    EXPECT_LT(platform::dsound::testing::LargestBufferBytes(), 1u << 20);
}

TEST_F(SoundReaders, ACacheKeepsWorkingForSourcesOnlyInAnArchive)
{
    // A source not on disk has time 0 when written and when checked.
    std::vector<int16_t> samples = Sine(300, 1, 8000, 200.0);
    std::string cacheFile = AppDataPath("gone");
    auto manager = MakeManager();
    WriteGameFile("a.wav", WavFile(Bytes(samples), WavLayout{}));
    ASSERT_TRUE(manager->ReadWavFile(1, "a.wav"));
    ASSERT_TRUE(manager->WriteCachedWav(1, cacheFile, "only/in/the/archive.ogg"));
    ASSERT_TRUE(manager->ReadWavFile(2, cacheFile));
    EXPECT_EQ(SampleBytes(*manager, 2), Bytes(samples));

    EXPECT_FALSE(manager->WriteCachedWav(1, "", "x.ogg"));
    EXPECT_FALSE(manager->WriteCachedWav(256, cacheFile, "x.ogg"));
    EXPECT_FALSE(manager->WriteCachedWav(9, cacheFile, "x.ogg")) << "no sound under that id";
}

// Cutting the stored name at 255 bytes would make its source never match, so
// the sound would be decoded and its cache rewritten at every load.
TEST_F(SoundReaders, ADependencyNameOver255BytesIsReadWholeSoItsCacheIsUsedInsteadOfRewrittenAtEveryLoad)
{
    std::string sound = "sounds/";
    while (sound.size() < 300)
        sound += "folder_name/";
    sound += "bell";
    const std::string source = sound + ".ogg";
    WriteGameFile(source, SilentOggVorbis(1, 22050, 5));
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(1, sound));
    ASSERT_TRUE(Exists(AppDataPath(sound)));

    // A source that no longer decodes, with its time unchanged: only the
    // cache can answer.
    auto time = std::filesystem::last_write_time(GamePath(source));
    platform::testing::WriteTestFile(GamePath(source), "no longer a sound");
    std::filesystem::last_write_time(GamePath(source), time);
    ASSERT_TRUE(manager->LoadSoundFile(2, sound));
    EXPECT_EQ(SampleBytes(*manager, 2), SampleBytes(*manager, 1));
}

TEST_F(SoundReaders, AFailedCacheWriteLeavesNoFileAndTheSoundLoaded)
{
    WriteGameFile("sounds/hit.ogg", SilentOggVorbis(1, 22050, 5));
    auto manager = MakeManager();
    platform::testing::FailNext("WriteFileAtomic.Rename", 28);
    ASSERT_TRUE(manager->LoadSoundFile(1, "sounds/hit"));
    EXPECT_NE(manager->SoundBuffer(1), nullptr);
    EXPECT_FALSE(Exists(AppDataPath("sounds/hit")));
    EXPECT_TRUE(platform::FindFiles(AppDataPath("sounds/*")).empty()) << "no temporary file left behind";

    // A damaged cache file is passed over and replaced.
    platform::testing::WriteTestFile(AppDataPath("sounds/hit"), "RIFF\x10\0\0\0WAVEdata\xff\xff\xff\xff");
    ASSERT_TRUE(manager->LoadSoundFile(2, "sounds/hit"));
    EXPECT_EQ(manager->DataSize(2), 4u * 128 * 2);
    EXPECT_EQ(platform::testing::ReadTestFile(AppDataPath("sounds/hit")).substr(0, 4), "RIFF");
    EXPECT_TRUE(manager->ReadWavFile(3, AppDataPath("sounds/hit")));
}

TEST_F(SoundReaders, MuLawExpandsBySegmentsFromSilenceUpwards)
{
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0xFF), 0);
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0x7F), 0);
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0xF0), 120);
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0x70), -120);
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0x81), 30592);
    for (int b = 0x81; b < 0xFF; ++b)
        EXPECT_GT(DSoundManager::ExpandMuLaw(static_cast<uint8_t>(b)),
                  DSoundManager::ExpandMuLaw(static_cast<uint8_t>(b + 1)))
            << b;

    auto manager = MakeManager();
    WriteGameFile("law.au", AuFile(std::string("\xFF\xF0\x81", 3), 1, 8000, 1));
    ASSERT_TRUE(manager->ReadAuFile(1, "law.au"));
    std::vector<int16_t> expected = {0, 120, 30592};
    EXPECT_EQ(SampleBytes(*manager, 1), Bytes(expected));
}

// 0x80 and 0x00 continue their segment to full scale; a magnitude of 255
// (1020 once scaled) would make the loudest code of each sign nearly silent.
TEST_F(SoundReaders, MuLawLoudestCodesDecodeToFullScaleNotTo1020WhichWouldMakeThemQuiet)
{
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0x80), 31616);
    EXPECT_EQ(DSoundManager::ExpandMuLaw(0x00), -31616);
    EXPECT_GT(DSoundManager::ExpandMuLaw(0x80), DSoundManager::ExpandMuLaw(0x81));
    auto manager = MakeManager();
    WriteGameFile("loud.au", AuFile(std::string("\x80\x00", 2), 1, 8000, 1));
    ASSERT_TRUE(manager->ReadAuFile(1, "loud.au"));
    std::vector<int16_t> expected = {31616, -31616};
    EXPECT_EQ(SampleBytes(*manager, 1), Bytes(expected));
}

// AU's 8-bit linear samples are signed; an 8-bit sound buffer holds
// unsigned ones (silence at 0x80), so copied unchanged they would play
// inverted around a full-scale offset.
TEST_F(SoundReaders, LinearAuBecomesUnsignedBecauseEightBitSoundBuffersAreUnsigned)
{
    auto manager = MakeManager();
    WriteGameFile("linear.au", AuFile(std::string("\x00\x7F\x80\xFF", 4), 2, 8000, 2));
    ASSERT_TRUE(manager->ReadAuFile(2, "linear.au"));
    EXPECT_EQ(SampleBytes(*manager, 2), std::string("\x80\xFF\x00\x7F", 4));
}

TEST_F(SoundReaders, AnAuOfUnknownSizeIsReadToTheEndAndDamagedOnesFail)
{
    auto manager = MakeManager();
    WriteGameFile("long.au", AuFile("\x10\x20\x30\x40\x50\x60", 2, 8000, 1, 0xFFFFFFFFu));
    ASSERT_TRUE(manager->ReadAuFile(3, "long.au")) << "size unknown: to the end";
    EXPECT_EQ(manager->DataSize(3), 6u);

    WriteGameFile("cut.au", AuFile("\x10\x20", 2, 8000, 1, 100));
    EXPECT_FALSE(manager->ReadAuFile(4, "cut.au"));
    WriteGameFile("pcm16.au", AuFile("\x10\x20", 3, 8000, 1));
    EXPECT_FALSE(manager->ReadAuFile(4, "pcm16.au"));
    WriteGameFile("wide.au", AuFile("\x10\x20", 2, 8000, 65537));
    EXPECT_FALSE(manager->ReadAuFile(4, "wide.au"));
    WriteGameFile("header.au", AuFile("", 2, 8000, 1).substr(0, 14));
    EXPECT_FALSE(manager->ReadAuFile(4, "header.au"));
    EXPECT_EQ(manager->SoundBuffer(4), nullptr);
}

TEST_F(SoundReaders, Mp3SoundsLoadThroughTheMusicLibraryOnlyWhenItRuns)
{
    std::string mp3 = SilentMp3(12);
    WriteGameFile("sounds/bell.mp3", mp3);
    platform::libs::audio::DecodedSound direct;
    auto decoder = platform::libs::audio::OpenMp3(platform::libs::audio::Bytes(mp3.begin(), mp3.end()));
    ASSERT_TRUE(decoder && platform::libs::audio::DecodeWhole(*decoder, direct));
    EXPECT_EQ(direct.channels, 1);
    EXPECT_EQ(direct.rate, 44100);

    {
        auto manager = MakeManager(false);
        EXPECT_FALSE(manager->LoadSoundFile(1, "sounds/bell")) << "MP3 needs the music library";
    }
    FakeFmod fmod;
    auto manager = MakeManager(true);
    ASSERT_TRUE(manager->LoadSoundFile(1, "sounds/bell"));
    EXPECT_EQ(manager->DataSize(1), direct.pcm.size());
    EXPECT_TRUE(Exists(AppDataPath("sounds/bell")));
    EXPECT_TRUE(manager->LoadSoundFile(2, "sounds/bell"));
    int loads = 0;
    for (const std::string& call : FakeFmod::Calls())
        loads += call.rfind("Sample_Load", 0) == 0;
    EXPECT_EQ(loads, 1) << "the second load came from the cache";
}

} // namespace
} // namespace sound_test
