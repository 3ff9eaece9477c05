// The archive's byte layout and the directory reader's limits, below the
// file layer.
#include "pak/PakFormat.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/pak/PakTestFiles.h"

namespace {

std::vector<uint8_t> Plain(const std::vector<uint8_t>& stored)
{
    std::vector<uint8_t> plain(stored.size());
    PakDescramble(plain.data(), stored.data(), stored.size());
    return plain;
}

TEST(PakFormat, ThePackerWritesTheLayoutOtherToolsRead)
{
    std::vector<uint8_t> stored;
    std::string error;
    ASSERT_TRUE(BuildPakArchive({PakMemberSource{"a\\b", {'x', 'y', 'z'}, 0x0102030405060708ull}}, &stored, &error))
        << error;
    const std::vector<uint8_t> expected = {
        0xC0, 0x4A, 0xC0, 0xBA,             // magic
        0, 0, 0, 0,                         // version
        0,                                  // flags of the first record
        3, 'a', '\\', 'b',                  // name
        3, 0, 0, 0,                         // size
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, // file time, low half first
        0x80,                               // end of the directory
        'x', 'y', 'z'};
    EXPECT_EQ(Plain(stored), expected);
}

TEST(PakFormat, MemberNamesMayUseAllOf255Bytes)
{
    std::vector<uint8_t> stored;
    std::string error;
    EXPECT_TRUE(BuildPakArchive({PakMemberSource{std::string(255, 'n'), {}, 0}}, &stored, &error)) << error;
    std::vector<PakDirectoryRecord> records;
    ASSERT_TRUE(ReadPakDirectory(stored.data(), stored.size(), &records, &error)) << error;
    EXPECT_EQ(records.at(0).name.size(), 255u);
    EXPECT_FALSE(BuildPakArchive({PakMemberSource{std::string(256, 'n'), {}, 0}}, &stored, &error));
    EXPECT_NE(error.find("longer than 255"), std::string::npos) << error;
}

TEST(PakFormat, ARefusedArchiveLeavesNoRecordsAndNamesTheMagicItFound)
{
    std::vector<uint8_t> stored = paktest::MakeArchive({{"one.txt", "1"}});
    std::vector<PakDirectoryRecord> records(3);
    stored[0] ^= 0x01;
    std::string error;
    EXPECT_FALSE(ReadPakDirectory(stored.data(), stored.size(), &records, &error));
    EXPECT_TRUE(records.empty());
    EXPECT_NE(error.find("magic number 0xBAC04AC1, expected 0xBAC04AC0"), std::string::npos) << error;
}

TEST(PakFormat, AnEntryIsCheckedAgainstTheArchiveAsItIsRead)
{
    // The first entry claims a gigabyte of a small archive, and the
    // directory goes on long after it: the claim is refused at that entry,
    // before anything more of the directory is taken in.
    std::vector<uint8_t> plain = {0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0};
    auto entry = [&](const std::string& name, uint32_t bytes) {
        plain.push_back(0);
        plain.push_back(uint8_t(name.size()));
        plain.insert(plain.end(), name.begin(), name.end());
        for (int i = 0; i < 4; ++i)
            plain.push_back(uint8_t(bytes >> (8 * i)));
        plain.insert(plain.end(), 8, 0);
    };
    entry("huge.bin", 1u << 30);
    for (int i = 0; i < 1000; ++i)
        entry("e" + std::to_string(i), 0);
    plain.push_back(0);
    plain.push_back(200); // and ends in a name longer than what is left
    std::vector<uint8_t> stored(plain.size());
    PakDescramble(stored.data(), plain.data(), plain.size());
    std::vector<PakDirectoryRecord> records;
    std::string error;
    EXPECT_FALSE(ReadPakDirectory(stored.data(), stored.size(), &records, &error));
    EXPECT_NE(error.find("directory entry 0 (\"huge.bin\") runs past the end"), std::string::npos) << error;
}

TEST(PakFormat, ADirectoryOfMoreEntriesThanAnyArchiveHoldsIsRefused)
{
    // Empty members take 14 bytes each: a few megabytes of file list
    // millions of them.
    auto directoryOf = [](size_t entries) {
        std::vector<uint8_t> plain = {0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0};
        plain.reserve(plain.size() + entries * 14 + 1);
        for (size_t i = 0; i < entries; ++i) {
            plain.insert(plain.end(), {0, 0});
            plain.insert(plain.end(), 12, 0);
        }
        plain.push_back(kPakEndOfDirectory);
        std::vector<uint8_t> stored(plain.size());
        PakDescramble(stored.data(), plain.data(), plain.size());
        return stored;
    };
    std::vector<PakDirectoryRecord> records;
    std::string error;
    std::vector<uint8_t> stored = directoryOf(kPakMaxEntries);
    EXPECT_TRUE(ReadPakDirectory(stored.data(), stored.size(), &records, &error)) << error;
    EXPECT_EQ(records.size(), kPakMaxEntries);
    stored = directoryOf(kPakMaxEntries + 1);
    EXPECT_FALSE(ReadPakDirectory(stored.data(), stored.size(), &records, &error));
    EXPECT_NE(error.find("more than 65536 entries"), std::string::npos) << error;
    EXPECT_TRUE(records.empty());

    std::vector<PakMemberSource> members(kPakMaxEntries + 1);
    for (size_t i = 0; i < members.size(); ++i)
        members[i].name = std::to_string(i);
    EXPECT_FALSE(BuildPakArchive(members, &stored, &error)) << "the packer makes no archive that cannot be read";
}

TEST(PakFormat, ArchivesUpToTheLargestSignedOffsetAreAccepted)
{
    // Only the directory is read, so a small archive can stand for a large
    // one: its members lie well inside either claimed size.
    const std::vector<uint8_t> stored = paktest::MakeArchive({{"one.txt", "1"}});
    const size_t largest = size_t(std::numeric_limits<int32_t>::max());
    std::vector<PakDirectoryRecord> records;
    std::string error;
    EXPECT_TRUE(ReadPakDirectory(stored.data(), largest, &records, &error)) << error;
    EXPECT_FALSE(ReadPakDirectory(stored.data(), largest + 1, &records, &error));
    EXPECT_NE(error.find("larger than 2 GB"), std::string::npos) << error;
}

} // namespace
