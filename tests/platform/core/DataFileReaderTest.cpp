#include "platform/core/DataFileReader.h"

#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <string>

using platform::testing::ScopedTempFolder;
using platform::testing::WriteTestFile;

namespace {

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Puts back whatever reader was registered before the test.
class ScopedReader {
public:
    explicit ScopedReader(platform::DataFileReader reader) : previous_(platform::SetDataFileReader(reader)) {}
    ~ScopedReader() { platform::SetDataFileReader(previous_); }

private:
    platform::DataFileReader previous_;
};

TEST(DataFileReader, WithoutARegisteredReaderFilesComeWholeFromDisk)
{
    ScopedReader none(nullptr);
    ScopedTempFolder folder;
    WriteTestFile(folder / "Sound.wav", "RIFF1234");
    WriteTestFile(folder / "empty.wav", "");

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadDataFile(folder / "sound.WAV", 8, bytes)) << "names match without case";
    EXPECT_EQ(Text(bytes), "RIFF1234");
    EXPECT_FALSE(platform::ReadDataFile(folder / "sound.wav", 7, bytes)) << "one byte over the limit";
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(platform::ReadDataFile(folder / "empty.wav", 8, bytes));
    EXPECT_FALSE(platform::ReadDataFile(folder / "missing.wav", 8, bytes));
    EXPECT_FALSE(platform::ReadDataFile(folder.Path(), 8, bytes)) << "a folder is not a file";
}

bool ReadEverythingAsX(const std::string&, size_t, std::vector<uint8_t>& out)
{
    out.assign(1, uint8_t('x'));
    return true;
}

TEST(DataFileReader, ARegisteredReaderIsAskedUntilItIsTakenAway)
{
    ScopedReader registered(&ReadEverythingAsX);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadDataFile("not/on/disk.ogg", 8, bytes));
    EXPECT_EQ(Text(bytes), "x");

    EXPECT_EQ(platform::SetDataFileReader(nullptr), &ReadEverythingAsX);
    EXPECT_FALSE(platform::ReadDataFile("not/on/disk.ogg", 8, bytes));
    platform::SetDataFileReader(&ReadEverythingAsX);
}

} // namespace
