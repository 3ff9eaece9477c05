// The JPEG 2000 codec library as its callers see it: taken from the module
// registry by name, fed through stream callbacks or a file name.
#include "platform/core/ModuleRegistry.h"
#include "platform/libs/j2k/J2kCodec.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform::libs::j2k;

namespace {

struct MemoryFile {
    const fixtures::Bytes* bytes;
    size_t position = 0;
    bool doneCalled = false;
};

int SeekMemory(void* file, long offset)
{
    auto* f = static_cast<MemoryFile*>(file);
    if (offset < 0 || size_t(offset) > f->bytes->size())
        return -1;
    f->position = size_t(offset);
    return 0;
}

int ReadMemory(void* buffer, int count, void* file)
{
    auto* f = static_cast<MemoryFile*>(file);
    const size_t n = std::min(size_t(count), f->bytes->size() - f->position);
    std::memcpy(buffer, f->bytes->data() + f->position, n);
    f->position += n;
    return int(n);
}

void Done(void* file) { static_cast<MemoryFile*>(file)->doneCalled = true; }

class J2kCodec : public testing::Test {
protected:
    void SetUp() override
    {
        EnsureJ2kCodecRegistered();
        module = platform::LoadModule(kJ2kModuleName);
        ASSERT_TRUE(module);
        openCustom = platform::GetEntryAs<J2kOpenCustomFn>(module, kJ2kOpenCustomEntry);
        openFile = platform::GetEntryAs<J2kOpenFileFn>(module, kJ2kOpenFileEntry);
        close = platform::GetEntryAs<J2kCloseFn>(module, kJ2kCloseEntry);
        getInfo = platform::GetEntryAs<J2kGetInfoFn>(module, kJ2kGetInfoEntry);
        dimensions = platform::GetEntryAs<J2kGetResolutionDimensionsFn>(module, kJ2kGetResolutionDimensionsEntry);
        decode = platform::GetEntryAs<J2kDecodeFn>(module, kJ2kDecodeEntry);
        lastError = platform::GetEntryAs<J2kGetLastErrorFn>(module, kJ2kGetLastErrorEntry);
        errorText = platform::GetEntryAs<J2kGetErrorStrFn>(module, kJ2kGetErrorStrEntry);
        ASSERT_TRUE(openCustom && openFile && close && getInfo && dimensions && decode && lastError && errorText);
    }
    void TearDown() override { platform::FreeModule(module); }

    J2kImage Open(const fixtures::Bytes& bytes, MemoryFile& file)
    {
        file.bytes = &bytes;
        const J2kStreamCallbacks callbacks {SeekMemory, ReadMemory, Done};
        return openCustom(&file, &callbacks);
    }

    platform::HMODULE module = nullptr;
    J2kOpenCustomFn openCustom = nullptr;
    J2kOpenFileFn openFile = nullptr;
    J2kCloseFn close = nullptr;
    J2kGetInfoFn getInfo = nullptr;
    J2kGetResolutionDimensionsFn dimensions = nullptr;
    J2kDecodeFn decode = nullptr;
    J2kGetLastErrorFn lastError = nullptr;
    J2kGetErrorStrFn errorText = nullptr;
};

std::vector<uint8_t> GreyRamp(int width, int height)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            samples.push_back(uint8_t((x * 8 + y) & 0xFF));
    return samples;
}

} // namespace

TEST_F(J2kCodec, ReportsSizeComponentsAndReducedResolutions)
{
    const auto bytes = fixtures::MakeJ2k(33, 17, 1, GreyRamp(33, 17), false);
    MemoryFile file;
    J2kImage image = Open(bytes, file);
    ASSERT_TRUE(image);
    EXPECT_TRUE(file.doneCalled);
    int w = 0, h = 0, c = 0;
    ASSERT_EQ(getInfo(image, &w, &h, &c), 0);
    EXPECT_EQ(w, 33);
    EXPECT_EQ(h, 17);
    EXPECT_EQ(c, 1);
    ASSERT_EQ(dimensions(image, 1, &w, &h), 0);
    EXPECT_EQ(w, 17);
    EXPECT_EQ(h, 9);
    EXPECT_NE(dimensions(image, -1, &w, &h), 0);
    close(image);
}

TEST_F(J2kCodec, DecodesBlueGreenRedAlphaRowsAtTheCallersPitch)
{
    const auto grey = GreyRamp(6, 4);
    const auto bytes = fixtures::MakeJ2k(6, 4, 1, grey, true);
    MemoryFile file;
    J2kImage image = Open(bytes, file);
    ASSERT_TRUE(image);
    const int pitch = 6 * 4 + 8; // padded rows
    std::vector<unsigned char> buffer(size_t(pitch * 4), 0xEE);
    unsigned char* out = buffer.data();
    int size = int(buffer.size());
    int p = pitch;
    ASSERT_EQ(decode(image, &out, &size, "bpp=4,rl=0", &p), 0) << errorText(lastError());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const unsigned char* px = &buffer[size_t(y * pitch + x * 4)];
            const uint8_t g = grey[size_t(y * 6 + x)];
            EXPECT_EQ(px[0], g);
            EXPECT_EQ(px[1], g);
            EXPECT_EQ(px[2], g);
            EXPECT_EQ(px[3], 0xFF);
        }
        EXPECT_EQ(buffer[size_t(y * pitch + 24)], 0xEE) << "the padding is left alone";
    }
    close(image);
}

TEST_F(J2kCodec, RefusesBadArgumentsAndSmallBuffers)
{
    const auto bytes = fixtures::MakeJ2k(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 9), false);
    MemoryFile file;
    J2kImage image = Open(bytes, file);
    ASSERT_TRUE(image);
    std::vector<unsigned char> buffer(8 * 8 * 4);
    unsigned char* out = buffer.data();
    int size = int(buffer.size()) - 1;
    int pitch = 32;
    EXPECT_EQ(decode(image, &out, &size, "bpp=4,rl=0", &pitch), kJ2kBufferTooSmall);
    EXPECT_EQ(lastError(), kJ2kBufferTooSmall);
    size = int(buffer.size());
    EXPECT_EQ(decode(image, &out, &size, "bpp=5", &pitch), kJ2kBadArgument);
    EXPECT_EQ(decode(image, &out, &size, "colour=yes", &pitch), kJ2kBadArgument);
    pitch = 16;
    EXPECT_EQ(decode(image, &out, &size, "bpp=4", &pitch), kJ2kBufferTooSmall);
    pitch = 32;
    EXPECT_EQ(decode(image, &out, &size, "bpp=4,rl=0", &pitch), 0);
    EXPECT_STRNE(errorText(kJ2kBufferTooSmall), errorText(kJ2kOk));
    close(image);
}

TEST_F(J2kCodec, OpensDiskFilesAndRefusesOtherData)
{
    fixtures::TempFolder folder;
    const std::string path = folder.Write("a.j2k", fixtures::MakeJ2k(4, 4, 1, GreyRamp(4, 4), false));
    J2kImage image = openFile(path.c_str());
    ASSERT_TRUE(image);
    close(image);
    EXPECT_FALSE(openFile(folder.File("missing.j2k").c_str()));
    EXPECT_EQ(lastError(), kJ2kReadFailed);

    const fixtures::Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0};
    MemoryFile file;
    EXPECT_FALSE(Open(png, file));
    EXPECT_EQ(lastError(), kJ2kUnknownFormat);
    const fixtures::Bytes headerOnly = {0xFF, 0x4F, 0xFF, 0x51, 0x00, 0x29};
    EXPECT_FALSE(Open(headerOnly, file));
    EXPECT_EQ(lastError(), kJ2kBadHeader);
}
