// The demo a fault writes: prepared after each update, it is byte for byte
// the file a recording closed at that update would give, reads back as a
// demo, and is written from the crash handler of a process that faults.
#include "framework/app/CrashDemoImage.h"
#include "framework/app/CrashHandler.h"
#include "platform/crash/CrashService.h"
#include "tests/support/DemoCommands.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CrashDemoImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "fast");
        image_.SetFile(file_);
        markers_ = {{"deal", 12}, {"river", 40}};
        ASSERT_TRUE(stream_.KeepInPlace());
    }

    // A few commands with gaps long enough to need padding, ending inside a
    // byte.
    void RecordSome(int fromUpdate)
    {
        stream_.WriteHeader(fromUpdate, true, Zolt::kDemoShortMouseMove);
        stream_.Data().PutBits(5, 6);
        stream_.Data().PutBits(uint32_t(-3) & 63, 6);
        stream_.WriteHeader(fromUpdate + 40, false, Zolt::kDemoKeyDown);
        stream_.Data().PutByte('A');
        stream_.WriteHeader(fromUpdate + 41, false, Zolt::kDemoMouseEnter);
    }

    // The file a recording of `stream` closed at `update` gives, written the
    // ordinary way.
    std::vector<uint8_t> ClosedFile(const Zolt::DemoStream& stream, int update) const
    {
        Zolt::DemoStream closed = stream;
        closed.WriteHeader(update, false, Zolt::kDemoPadding);
        Zolt::DemoFileData file;
        file.seed = 0xC0FFEE;
        file.versionText = "1.5";
        file.markers = markers_;
        file.finalUpdate = update;
        const Zolt::Buffer& bits = closed.Data();
        file.commands.assign(bits.Bytes(), bits.Bytes() + bits.ByteSize());
        return file.Serialize();
    }

    void Prepare(int update) { image_.Prepare(0xC0FFEE, "1.5", markers_, stream_, update); }

    platform::testing::ScopedTempFolder dir_;
    std::string file_ = dir_ / "zoltapp.dmo";
    Zolt::CrashDemoImage image_;
    Zolt::DemoStream stream_;
    std::vector<Zolt::DemoMarker> markers_;
};

TEST_F(CrashDemoImageTest, WrittenNowItIsTheFileARecordingClosedAtTheLastUpdateGives)
{
    EXPECT_FALSE(image_.IsReady());
    RecordSome(3);
    Prepare(100); // 56 quiet updates since the last command: padding
    ASSERT_TRUE(image_.IsReady());
    const Zolt::DemoStream prepared = stream_;
    RecordSome(120); // after the last prepared update: not in the image
    ASSERT_TRUE(image_.WriteNow());
    const std::vector<uint8_t> written = ReadBytes(file_);
    EXPECT_EQ(written, ClosedFile(prepared, 100));

    // It plays: header, markers and the commands up to the closing padding.
    Zolt::DemoFileData read;
    std::string error;
    ASSERT_TRUE(read.Parse(written.data(), written.size(), error)) << error;
    EXPECT_EQ(read.finalUpdate, 100);
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[1].name, "river");
    EXPECT_EQ(demo_testing::CommandsOf(read.commands),
              (std::vector<std::string>{"short 0", "long 31", "long 31", "long 3", "long 7", "long 31", "long 31",
                                        "long 31", "long 31"}))
        << "quiet stretches bridged by padding, then the closing command at 100";
}

TEST_F(CrashDemoImageTest, AStreamThatGrewPastAMegabyteBetweenPreparesIsWrittenWhole)
{
    std::vector<uint8_t> payload((1 << 20) + 1000);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i * 7);
    stream_.WriteHeader(1, false, Zolt::kDemoRelay);
    stream_.Data().PutU32(int32_t(payload.size()));
    stream_.Data().PutBytes(payload.data(), int(payload.size()));
    Prepare(2);
    stream_.WriteHeader(2, false, Zolt::kDemoRelay); // grows the image in place
    stream_.Data().PutU32(3);
    stream_.Data().PutBytes(payload.data(), 3);
    Prepare(9);
    ASSERT_TRUE(image_.WriteNow());
    EXPECT_EQ(ReadBytes(file_), ClosedFile(stream_, 9));
}

TEST_F(CrashDemoImageTest, AStreamWhoseBytesMayMoveIsNeverPrepared)
{
    Zolt::DemoStream moving;
    moving.WriteHeader(1, false, Zolt::kDemoMouseEnter);
    image_.Prepare(0xC0FFEE, "1.5", markers_, moving, 5);
    EXPECT_FALSE(image_.IsReady());
    EXPECT_FALSE(image_.WriteNow());
}

TEST_F(CrashDemoImageTest, NothingPreparedWritesNothingAndAWriteFreezesTheImage)
{
    EXPECT_FALSE(image_.WriteNow());
    EXPECT_FALSE(std::filesystem::exists(file_));
    Zolt::CrashDemoImage other;
    other.SetFile(file_);
    RecordSome(1);
    other.Prepare(0xC0FFEE, "1.5", markers_, stream_, 50);
    ASSERT_TRUE(other.WriteNow());
    const std::vector<uint8_t> first = ReadBytes(file_);
    // A crash under way keeps the image it began to write.
    RecordSome(60);
    other.Prepare(0xC0FFEE, "1.5", markers_, stream_, 200);
    ASSERT_TRUE(other.WriteNow());
    EXPECT_EQ(ReadBytes(file_), first);
}

// The image as the crash handler of a faulting process writes it: after the
// report, from inside the signal handler.
TEST_F(CrashDemoImageTest, AFaultingProcessLeavesItsReportAndTheDemoItRecorded)
{
    const std::string report = dir_ / "crash.txt";
    EXPECT_EXIT(
        {
            Zolt::InstallCrashHandler();
            Zolt::SetCrashReportFile(report);
            RecordSome(3);
            Prepare(77);
            Zolt::SetCrashDemoImage(&image_, file_);
            platform::testing::RaiseFault("null");
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    std::ifstream in(report);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("Exception: Access Violation (code 0xc0000005)", 0), 0u) << text.str();
    RecordSome(3);
    EXPECT_EQ(ReadBytes(file_), ClosedFile(stream_, 77));
}

} // namespace
