// The decoders behind our music libraries: what they accept, what they
// deliver, and that damaged files are refused without reading past them.
#include "platform/libs/audio/AudioDecoder.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform::libs::audio;
using namespace audio_fixtures;

namespace {

std::vector<int16_t> ReadAll(Decoder& decoder, int block = 1000)
{
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(size_t(block) * size_t(decoder.Channels()));
    for (int guard = 0; guard < 100000; ++guard) {
        const int got = decoder.Read(buffer.data(), block);
        if (got <= 0)
            break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * decoder.Channels());
    }
    return all;
}

TEST(WavDecoding, SixteenBitStereoComesOutAsWritten)
{
    auto decoder = OpenWav(SineWav(22050, 2, 16, 1000));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->Rate(), 22050);
    EXPECT_EQ(decoder->LengthFrames(), 1000u);
    const std::vector<int16_t> samples = ReadAll(*decoder, 333);
    ASSERT_EQ(samples.size(), 2000u);
    EXPECT_EQ(samples[0], 0);
    // A quarter period of 441 Hz at 22050 Hz is 12.5 frames: near the crest.
    EXPECT_NEAR(samples[2 * 12], 16383, 400);
    EXPECT_EQ(samples[2 * 12], samples[2 * 12 + 1]);
}

TEST(WavDecoding, EightBitSamplesAreCentredAndWidened)
{
    Bytes wav = WavHeader(8000, 1, 8, 3);
    for (uint8_t b : {0x80, 0xFF, 0x00})
        wav.push_back(b);
    auto decoder = OpenWav(wav);
    ASSERT_TRUE(decoder);
    const std::vector<int16_t> samples = ReadAll(*decoder);
    EXPECT_EQ(samples, (std::vector<int16_t>{0, 127 << 8, -128 << 8}));
}

TEST(WavDecoding, RefusesWhatIsNotPlainPcm)
{
    EXPECT_FALSE(OpenWav(WavHeader(44100, 2, 32, 0, 3))) << "floating point";
    EXPECT_FALSE(OpenWav(WavHeader(44100, 6, 16, 0))) << "six channels";
    EXPECT_FALSE(OpenWav(WavHeader(44100, 2, 24, 0))) << "24 bits";
    Bytes noFormat;
    Tag(noFormat, "RIFF");
    Le32(noFormat, 12);
    Tag(noFormat, "WAVE");
    Tag(noFormat, "data");
    Le32(noFormat, 4);
    Le32(noFormat, 0);
    EXPECT_FALSE(OpenWav(noFormat)) << "data before any format";
    EXPECT_FALSE(OpenWav(Bytes{'R', 'I', 'F', 'F'}));
}

TEST(WavDecoding, DataChunkLongerThanTheFileIsCutToWholeFrames)
{
    Bytes wav = WavHeader(44100, 2, 16, 1000000);
    for (int i = 0; i < 11; ++i)
        wav.push_back(uint8_t(i)); // two whole frames and three stray bytes
    auto decoder = OpenWav(wav);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->LengthFrames(), 2u);
    EXPECT_EQ(ReadAll(*decoder).size(), 4u);
}

TEST(WavDecoding, SeekGoesToAFrameAndNotPastTheEnd)
{
    auto decoder = OpenWav(ConstantWav(44100, 1, 100, 7));
    ASSERT_TRUE(decoder);
    EXPECT_TRUE(decoder->Seek(90));
    EXPECT_EQ(ReadAll(*decoder).size(), 10u);
    EXPECT_FALSE(decoder->Seek(101));
    EXPECT_TRUE(decoder->Seek(0));
    EXPECT_EQ(ReadAll(*decoder).size(), 100u);
}

TEST(Mp3Decoding, SilentFramesDecodeToTheirLengthAtTheirRate)
{
    auto decoder = OpenMp3(SilentMp3(20));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Channels(), 1);
    EXPECT_EQ(decoder->Rate(), 44100);
    const std::vector<int16_t> samples = ReadAll(*decoder);
    EXPECT_GE(samples.size(), 19u * 1152u);
    EXPECT_LE(samples.size(), 20u * 1152u);
    EXPECT_EQ(Peak(samples), 0);
}

TEST(Mp3Decoding, ZerosAndACutOffHeaderAreNotMp3)
{
    EXPECT_FALSE(OpenMp3(Bytes(5000, 0)));
    EXPECT_FALSE(OpenMp3(Bytes{0xFF, 0xFB}));
}

TEST(ModuleDecoding, PlaysItsOrdersAndThenEnds)
{
    auto decoder = OpenModule(TinyModule(2));
    ASSERT_TRUE(decoder);
    EXPECT_TRUE(decoder->IsModule());
    EXPECT_EQ(decoder->OrderCount(), 2);
    EXPECT_EQ(decoder->Channels(), 2);
    const std::vector<int16_t> samples = ReadAll(*decoder);
    // Two orders of two ticks at 125 BPM: 80 ms, give or take a tick.
    EXPECT_GT(samples.size(), size_t(44100 * 2 * 0.05));
    EXPECT_LT(samples.size(), size_t(44100 * 2 * 0.2));
    EXPECT_GT(Peak(samples), 1000) << "the square wave is heard";
    EXPECT_TRUE(decoder->Seek(0));
    EXPECT_EQ(ReadAll(*decoder).size(), samples.size()) << "a restart plays the same again";
}

TEST(ModuleDecoding, OrderPositionsOutsideTheListAreRefused)
{
    auto decoder = OpenModule(TinyModule(3));
    ASSERT_TRUE(decoder);
    const size_t whole = ReadAll(*decoder).size();
    ASSERT_TRUE(decoder->Seek(0));
    EXPECT_TRUE(decoder->SetOrder(2));
    const size_t fromLast = ReadAll(*decoder).size();
    EXPECT_LT(fromLast, whole * 2 / 3);
    EXPECT_FALSE(decoder->SetOrder(3));
    EXPECT_FALSE(decoder->SetOrder(-1));
}

TEST(ChoosingADecoder, ByContentNotByName)
{
    EXPECT_FALSE(OpenAny(SineWav(8000, 1, 16, 10))->IsModule());
    EXPECT_TRUE(OpenAny(TinyModule())->IsModule());
    EXPECT_EQ(OpenAny(SilentMp3(10))->Rate(), 44100);
    EXPECT_FALSE(OpenStream(TinyModule())) << "a stream is never a module";
    EXPECT_FALSE(OpenAny(Bytes(100, 0)));
}

TEST(ReadingAudioFiles, ThroughTheFileLayerWholeOrNotAtAll)
{
    platform::testing::ScopedTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder / "tone.wav", SineWav(8000, 1, 8, 50)));
    Bytes bytes;
    EXPECT_TRUE(ReadWholeFile(folder / "tone.wav", bytes));
    EXPECT_EQ(bytes.size(), 44u + 50u);
    EXPECT_FALSE(ReadWholeFile(folder / "missing.wav", bytes));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(WriteBytes(folder / "empty.wav", Bytes{}));
    EXPECT_FALSE(ReadWholeFile(folder / "empty.wav", bytes));

    DecodedSound sound;
    ASSERT_TRUE(DecodeFileWhole(folder / "tone.wav", sound));
    EXPECT_EQ(sound.bits, 8) << "an 8-bit WAV stays 8-bit";
    EXPECT_EQ(sound.pcm.size(), 50u);
    ASSERT_TRUE(WriteBytes(folder / "song.mod", TinyModule()));
    EXPECT_FALSE(DecodeFileWhole(folder / "song.mod", sound)) << "modules are not decoded whole";
}

// A stream whose header claims far more than it holds, as a few bytes of
// Ogg can.
class ClaimingDecoder : public Decoder {
public:
    int Read(int16_t* out, int frames) override
    {
        const int n = std::min(frames, left_);
        std::fill(out, out + size_t(n) * 2, int16_t(100));
        left_ -= n;
        return n;
    }
    bool Seek(uint64_t) override { return false; }
    uint64_t LengthFrames() const override { return uint64_t(1) << 26; }

private:
    int left_ = 5000;
};

TEST(DecodingWhole, KeepsWhatIsDeliveredNotWhatTheStreamClaims)
{
    ClaimingDecoder decoder;
    DecodedSound sound;
    ASSERT_TRUE(DecodeWhole(decoder, sound));
    EXPECT_EQ(sound.pcm.size(), 5000u * 4);
    EXPECT_LE(sound.pcm.capacity(), size_t(4) << 20) << "no room set aside for the 256 MB claimed";
}

} // namespace
