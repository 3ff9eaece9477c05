// Damaged files given to every decoder: cut short anywhere, or with bytes
// changed in their headers. Each must refuse them or decode what is there,
// never read outside the bytes it was given (the sanitizer build watches)
// and never run on without end.
#include "platform/libs/audio/AudioDecoder.h"
#include "tests/platform/libs/AudioFixtures.h"

#include <gtest/gtest.h>

using namespace platform::libs::audio;
using namespace audio_fixtures;

namespace {

// Decodes at most `limit` frames from whatever decoder takes the bytes.
void DecodeSome(const Bytes& bytes, int limit = 20000)
{
    for (auto open : {&OpenWav, &OpenVorbis, &OpenMp3}) {
        if (auto decoder = open(bytes)) {
            std::vector<int16_t> buffer(4096 * 2);
            int total = 0;
            for (int got = 1; got > 0 && total < limit; total += got)
                got = decoder->Read(buffer.data(), 4096);
            decoder->Seek(0);
            decoder->Read(buffer.data(), 100);
        }
    }
    if (auto module = OpenModule(bytes)) {
        std::vector<int16_t> buffer(4096 * 2);
        int total = 0;
        for (int got = 1; got > 0 && total < limit; total += got)
            got = module->Read(buffer.data(), 4096);
        module->SetOrder(module->OrderCount() - 1);
        module->Read(buffer.data(), 100);
    }
}

void CutAndChange(const Bytes& whole, size_t headerBytes)
{
    for (size_t cut = 0; cut < whole.size(); cut += 1 + cut / 8)
        DecodeSome(Bytes(whole.begin(), whole.begin() + ptrdiff_t(cut)));
    for (size_t at = 0; at < std::min(headerBytes, whole.size()); ++at) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(whole[at] ^ 0x5A)}) {
            Bytes changed = whole;
            changed[at] = value;
            DecodeSome(changed);
        }
    }
}

TEST(DamagedAudio, WavFilesCutShortOrWithChangedHeaders)
{
    CutAndChange(SineWav(22050, 2, 16, 500), 44);
    CutAndChange(SineWav(8000, 1, 8, 300), 44);
}

TEST(DamagedAudio, Mp3FramesCutShortOrWithChangedHeaders)
{
    Bytes mp3 = SilentMp3(8);
    CutAndChange(mp3, 40);
}

TEST(DamagedAudio, TrackerModulesCutShortOrWithChangedHeaders)
{
    // The song length, order list and the first sample's header.
    const Bytes module = TinyModule(3);
    CutAndChange(module, 20 + 30);
    for (size_t at : {size_t(950), size_t(951), size_t(1080), size_t(1081)}) {
        Bytes changed = module;
        changed[at] = 0xFF;
        DecodeSome(changed);
    }
}

TEST(DamagedAudio, OggPagesWithDamagedBytesAreRefused)
{
    Bytes page{'O', 'g', 'g', 'S', 0, 2};
    page.resize(400, 0);
    for (size_t at = 4; at < 60; ++at) {
        Bytes changed = page;
        changed[at] = 0xFF;
        EXPECT_FALSE(OpenVorbis(changed));
    }
}

} // namespace
