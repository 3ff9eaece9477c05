// The demo file and its command stream: header round trip, the checks that
// refuse damaged files, gap padding, and a stream cut anywhere ending
// playback without reading past its data.
#include "framework/app/DemoFile.h"

#include <gtest/gtest.h>

using namespace Zolt;

namespace {

DemoFileData SampleFile()
{
    DemoFileData file;
    file.seed = 0x12345678;
    file.versionText = "1.2.3";
    file.markers = {{"deal", 40}, {"showdown", 900}};
    file.finalUpdate = 1000;
    file.commands = {0xA5, 0x5A, 0xFF, 0x01};
    return file;
}

} // namespace

TEST(DemoFile, WrittenFileReadsBackWhole)
{
    const std::vector<uint8_t> bytes = SampleFile().Serialize();
    DemoFileData read;
    std::string error;
    ASSERT_TRUE(read.Parse(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(read.seed, 0x12345678u);
    EXPECT_EQ(read.versionText, "1.2.3");
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[1].name, "showdown");
    EXPECT_EQ(read.markers[1].update, 900);
    EXPECT_EQ(read.finalUpdate, 1000);
    EXPECT_EQ(read.commands, SampleFile().commands);
    // Little-endian magic first.
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[3], 0x42);
}

TEST(DemoFile, OverlongMarkerNamesAreCutAndTheFileStaysReadable)
{
    DemoFileData file = SampleFile();
    file.markers = {{std::string(0x10000, 'm'), 7}, {"after", 8}};
    const std::vector<uint8_t> bytes = file.Serialize();
    DemoFileData read;
    std::string error;
    ASSERT_TRUE(read.Parse(bytes.data(), bytes.size(), error)) << error;
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[0].name, std::string(0xFFFF, 'm'));
    EXPECT_EQ(read.markers[0].update, 7);
    EXPECT_EQ(read.markers[1].name, "after");
    EXPECT_EQ(read.commands, SampleFile().commands);
}

TEST(DemoFile, VersionOneFileWithoutMarkerBlockIsAccepted)
{
    std::vector<uint8_t> bytes = {0x78, 0xEF, 0xBE, 0x42, 1, 0, 0, 0, 9, 0, 0, 0, 2, 0, 'v', '1', 50, 0, 0, 0, 0x33};
    DemoFileData read;
    std::string error;
    ASSERT_TRUE(read.Parse(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(read.version, 1u);
    EXPECT_EQ(read.versionText, "v1");
    EXPECT_TRUE(read.markers.empty());
    EXPECT_EQ(read.finalUpdate, 50);
    EXPECT_EQ(read.commands, std::vector<uint8_t>{0x33});
}

TEST(DemoFile, DamagedFilesAreRefusedAndLeaveTheTargetAlone)
{
    const std::vector<uint8_t> good = SampleFile().Serialize();
    DemoFileData target;
    target.finalUpdate = 77;
    std::string error;

    std::vector<uint8_t> badMagic = good;
    badMagic[0] ^= 1;
    EXPECT_FALSE(target.Parse(badMagic.data(), badMagic.size(), error));
    EXPECT_EQ(error, "Invalid demo file.");

    // A marker block that claims the rest of the file.
    std::vector<uint8_t> bigBlock = good;
    const size_t blockSizeAt = 14 + 5;
    bigBlock[blockSizeAt] = 0xFF;
    bigBlock[blockSizeAt + 1] = 0xFF;
    EXPECT_FALSE(target.Parse(bigBlock.data(), bigBlock.size(), error));

    // A marker count the block cannot hold.
    std::vector<uint8_t> manyMarkers = good;
    manyMarkers[blockSizeAt + 4 + 2] = 0x40;
    EXPECT_FALSE(target.Parse(manyMarkers.data(), manyMarkers.size(), error));
    EXPECT_EQ(error, "Invalid demo file.");

    // A marker block too short for its count.
    DemoFileData unmarked = SampleFile();
    unmarked.markers.clear();
    std::vector<uint8_t> shortBlock = unmarked.Serialize();
    shortBlock[blockSizeAt] = 2;
    error.clear();
    EXPECT_FALSE(target.Parse(shortBlock.data(), shortBlock.size(), error));
    EXPECT_EQ(error, "Invalid demo file.");

    // Every cut inside the header, each refused with the message.
    for (size_t cut = 0; cut < good.size() - SampleFile().commands.size(); ++cut) {
        error.clear();
        EXPECT_FALSE(target.Parse(good.data(), cut, error)) << "cut at " << cut;
        EXPECT_EQ(error, "Invalid demo file.") << "cut at " << cut;
    }
    EXPECT_EQ(target.finalUpdate, 77);
    EXPECT_FALSE(target.Parse(nullptr, 10, error));
}

TEST(DemoStream, GapOfFortyUpdatesIsTwoPaddingsAndAHeaderOfTen)
{
    DemoStream out;
    out.WriteHeader(0, false, kDemoClose);
    out.WriteHeader(40, false, kDemoMouseEnter);
    // 10 bits per long header: the first, two paddings, the last.
    EXPECT_EQ(out.Data().BitLength(), 40);
    out.WriteHeader(55, false, kDemoClose); // a gap of fifteen fits one header
    EXPECT_EQ(out.Data().BitLength(), 50);

    DemoStream in;
    in.Load(std::vector<uint8_t>(out.Data().Bytes(), out.Data().Bytes() + out.Data().ByteSize()));
    std::vector<std::pair<int, int>> seen; // (update, id)
    while (in.ReadHeaderIfNeeded()) {
        seen.emplace_back(in.PendingUpdate(), in.PendingId());
        in.Consume();
        if (seen.size() == 4)
            break;
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 6}, {15, 31}, {30, 31}, {40, 7}}));
}

TEST(DemoStream, CharactersAndSettingsWritesArePassedOverWhole)
{
    // As the recorder writes them: a wide and a narrow character, a settings
    // write that worked and one that failed, then a key.
    DemoStream out;
    out.WriteHeader(1, false, kDemoChar);
    out.Data().PutBits(1, 1);
    out.Data().PutBits(0x20AC, 16);
    out.WriteHeader(1, false, kDemoChar);
    out.Data().PutBits(0, 1);
    out.Data().PutBits('a', 8);
    out.WriteHeader(2, false, kDemoRegistryWrite);
    out.Data().PutBits(1, 1);
    out.WriteHeader(2, false, kDemoRegistryWrite);
    out.Data().PutBits(0, 1);
    out.WriteHeader(3, false, kDemoKeyDown);
    out.Data().PutBits(81, 8);

    DemoStream in;
    in.Load(std::vector<uint8_t>(out.Data().Bytes(), out.Data().Bytes() + out.Data().ByteSize()));
    for (int skipped = 0; skipped < 4; ++skipped) {
        ASSERT_TRUE(in.ReadHeaderIfNeeded()) << skipped;
        in.Consume();
        in.SkipPayload(false, in.PendingId());
    }
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.PendingIs(false, kDemoKeyDown));
    EXPECT_EQ(in.PendingUpdate(), 3);
    in.Consume();
    EXPECT_EQ(in.Bits(8, false), 81);
}

TEST(DemoStream, CutStreamEndsInsteadOfReadingOn)
{
    DemoStream out;
    out.WriteHeader(3, false, kDemoRelay);
    out.Data().PutU32(1000); // claims far more bytes than follow
    out.Data().PutByte(7);
    DemoStream in;
    in.Load(std::vector<uint8_t>(out.Data().Bytes(), out.Data().Bytes() + out.Data().ByteSize()));
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.PendingIs(false, kDemoRelay));
    in.Consume();
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(in.Bytes(in.U32(), bytes));
    EXPECT_TRUE(in.Ended());
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(in.ReadHeaderIfNeeded());

    // Cut inside the length itself.
    DemoStream shortOut;
    shortOut.WriteHeader(3, false, kDemoRelay);
    shortOut.Data().PutBits(0xFFFF, 16);
    in.Load(std::vector<uint8_t>(shortOut.Data().Bytes(), shortOut.Data().Bytes() + shortOut.Data().ByteSize()));
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    in.Consume();
    EXPECT_EQ(in.U32(), 0u);
    EXPECT_TRUE(in.Ended());
}

TEST(DemoStream, StreamIsReadToItsLastBitAndSeeksOnlyBack)
{
    DemoStream out;
    out.WriteHeader(1, false, kDemoMouseEnter);
    out.WriteHeader(2, true, kDemoShortMouseButton); // sixteen bits: two whole bytes
    DemoStream in;
    in.Load(std::vector<uint8_t>(out.Data().Bytes(), out.Data().Bytes() + out.Data().ByteSize()));
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    in.Consume();
    in.SeekRead(16); // ahead of the reading: refused
    in.SeekRead(-1);
    ASSERT_TRUE(in.ReadHeaderIfNeeded()) << "a short header in the last six bits";
    EXPECT_TRUE(in.PendingIs(true, kDemoShortMouseButton));
    EXPECT_EQ(in.PendingUpdate(), 2);
    in.Consume();
    EXPECT_FALSE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.Ended());
}

// Every recording ends with its closing command at the final update; a
// stream read to its end without it, or breaking off before, is less than
// was recorded.
TEST(DemoStream, IsWholeOnlyWhenItEndsRightAfterTheClosingCommandAtTheFinalUpdate)
{
    const auto bytesOf = [](const DemoStream& stream) {
        return std::vector<uint8_t>(stream.Data().Bytes(), stream.Data().Bytes() + stream.Data().ByteSize());
    };
    using Ending = DemoStream::Ending;
    const auto endOf = [](const std::vector<uint8_t>& bytes, int finalUpdate) {
        DemoStream in;
        in.Load(bytes);
        return in.CheckEnd(finalUpdate);
    };
    DemoStream open;
    open.WriteHeader(3, false, kDemoKeyDown);
    open.Data().PutBits('A', 8);
    DemoStream closed = open;
    closed.WriteHeader(40, false, kDemoPadding); // two paddings on the way
    EXPECT_EQ(endOf(bytesOf(closed), 40), Ending::Closed);
    EXPECT_EQ(endOf(bytesOf(closed), 41), Ending::Open) << "closed before the recording's end";
    EXPECT_EQ(endOf(bytesOf(closed), 25), Ending::Open);
    EXPECT_EQ(endOf(bytesOf(open), 3), Ending::Open) << "no closing command";
    DemoStream broken = closed;
    broken.WriteHeader(40, false, 13); // no recording writes it
    EXPECT_EQ(endOf(bytesOf(broken), 40), Ending::Broken);
    DemoStream cut = open;
    cut.WriteHeader(5, false, kDemoRelay);
    cut.Data().PutU32(9); // nine bytes said, none there
    cut.WriteHeader(40, false, kDemoPadding);
    EXPECT_EQ(endOf(bytesOf(cut), 40), Ending::Broken);
    EXPECT_EQ(endOf({}, 0), Ending::Closed) << "a recording of nothing";
    EXPECT_EQ(endOf({}, 5), Ending::Open);

    // Read through, the stream starts over: its first command is due.
    DemoStream in;
    in.Load(bytesOf(broken));
    ASSERT_EQ(in.CheckEnd(40), Ending::Broken);
    EXPECT_FALSE(in.Ended());
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.PendingIs(false, kDemoKeyDown));
    EXPECT_EQ(in.PendingUpdate(), 3);
    in.Consume();
    EXPECT_EQ(in.Bits(8, false), 'A');
    EXPECT_FALSE(in.Broken());
}
