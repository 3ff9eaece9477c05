#include "framework/app/TunableValues.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Shown {
    std::string text;
    std::string caption;
};

// A source file with tunable records pointing into it, and the boxes a
// reload shows.
class TunableReload : public ::testing::Test {
protected:
    void SetUp() override
    {
        Zolt::ClearTunableRecords();
        folder_ = fs::temp_directory_path() /
                  ("pellucor_tunable_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        file_ = (folder_ / "Tuned.cpp").string();
    }
    void TearDown() override
    {
        Zolt::ClearTunableRecords();
        fs::remove_all(folder_);
    }

    void WriteSource(const std::string& text, int64_t unixSeconds)
    {
        std::ofstream(file_, std::ios::binary) << text;
        fs::last_write_time(file_, fs::file_time_type::clock::from_sys(
                                       std::chrono::sys_seconds(std::chrono::seconds(unixSeconds))));
    }

    Zolt::TunableRecord& AddRecord(int line, int index, double value)
    {
        locations_.push_back(file_ + std::to_string(line) + "," + std::to_string(index));
        records_.push_back(std::make_unique<Zolt::TunableRecord>(Zolt::TunableRecord{"ZOLTMODVAL", nullptr, value}));
        records_.back()->location = locations_.back().c_str();
        Zolt::RegisterTunableRecord(records_.back().get());
        return *records_.back();
    }

    std::vector<Shown> Reload()
    {
        std::vector<Shown> shown;
        ReloadTunableValues([&](const std::string& text, const std::string& caption) {
            shown.push_back({text, caption});
        });
        return shown;
    }

    fs::path folder_;
    std::string file_;
    std::deque<std::string> locations_;
    std::vector<std::unique_ptr<Zolt::TunableRecord>> records_;
};

} // namespace

TEST_F(TunableReload, WithoutRecordsEveryReloadWarnsWithNone)
{
    for (int i = 0; i < 2; ++i) {
        const auto shown = Reload();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, "MODVAL WARNING!");
        EXPECT_EQ(shown[0].text, "WARNING: No file changes detected.  Files parsed: \r\n  none");
    }
}

TEST_F(TunableReload, MalformedRecordsAreIgnored)
{
    Zolt::TunableRecord wrongTag{"ZOLTMODVAX", "a.cpp1,0", 1.0};
    Zolt::TunableRecord noFile{"ZOLTMODVAL", "12,0", 1.0};
    Zolt::TunableRecord noNumbers{"ZOLTMODVAL", "a.cpp", 1.0};
    Zolt::RegisterTunableRecord(&wrongTag);
    Zolt::RegisterTunableRecord(&noFile);
    Zolt::RegisterTunableRecord(&noNumbers);
    const auto shown = Reload();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("none"), std::string::npos);
}

TEST_F(TunableReload, ChangedFileUpdatesValuesOutsideCommentsAndStrings)
{
    WriteSource("float a = ZOLT_MODVAL(1.0f);\n", 1'000'000);
    Zolt::TunableRecord& first = AddRecord(3, 0, 1.0);
    Zolt::TunableRecord& second = AddRecord(3, 1, 2.0);
    Zolt::TunableRecord& other = AddRecord(5, 0, 4.0);

    auto shown = Reload(); // the first reload only learns the file times
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "WARNING: No file changes detected.  Files parsed: \r\n  " + file_);

    WriteSource("#define ZOLT_MODVAL(x) x\n"
                "// ZOLT_MODVAL(99) in a comment\n"
                "float a = ZOLT_MODVAL(-2.5f), b = ZOLT_MODVAL( 7);\n"
                "const char* s = \"ZOLT_MODVAL(98)\"; /* ZOLT_MODVAL(97)\n"
                "*/ double c = ZOLT_MODVAL(0.125);\n",
                1'000'100);
    shown = Reload();
    EXPECT_TRUE(shown.empty()) << shown[0].text;
    EXPECT_DOUBLE_EQ(first.value, -2.5);
    EXPECT_DOUBLE_EQ(second.value, 7.0);
    EXPECT_DOUBLE_EQ(other.value, 0.125);

    // Nothing changed since: the warning again, values kept.
    shown = Reload();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "MODVAL WARNING!");
    EXPECT_DOUBLE_EQ(first.value, -2.5);
}

TEST_F(TunableReload, AFileThatFailsToParseKeepsItsValues)
{
    WriteSource("x\n", 2'000'000);
    Zolt::TunableRecord& record = AddRecord(1, 0, 3.0);
    Reload();

    const struct {
        std::string source;
        std::string message;
    } cases[] = {
        {"ZOLT_MODVAL(5);\nZOLT_MODVAL(abc);\n", "on line 2.  Parsing Error."},
        {"ZOLT_MODVAL(5);\nconst char* s = \"open\n", "on line 2: Error parsing quotes"},
        {"ZOLT_MODVAL(5);\n/* never closed\n\n", "on line 2: Unterminated C-style comment"},
        {"ZOLT_MODVAL(5);\n// continued \\\n", "Unterminated C++-style comment"},
    };
    int64_t time = 2'000'000;
    for (const auto& c : cases) {
        WriteSource(c.source, ++time);
        const auto shown = Reload();
        ASSERT_EQ(shown.size(), 1u) << c.source;
        EXPECT_EQ(shown[0].caption, "MODVAL ERROR");
        EXPECT_EQ(shown[0].text.rfind("ERROR in " + file_, 0), 0u) << shown[0].text;
        EXPECT_NE(shown[0].text.find(c.message), std::string::npos) << shown[0].text;
        EXPECT_DOUBLE_EQ(record.value, 3.0);
    }
}

TEST_F(TunableReload, AVanishedFileIsReportedAsUnopenable)
{
    WriteSource("x\n", 3'000'000);
    AddRecord(1, 0, 3.0);
    Reload();
    // A directory in the file's place is newer but cannot be read.
    fs::remove(file_);
    fs::create_directory(file_);
    fs::last_write_time(file_, fs::file_time_type::clock::from_sys(
                                   std::chrono::sys_seconds(std::chrono::seconds(3'000'050))));
    const auto shown = Reload();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "MODVAL ERROR!");
    EXPECT_EQ(shown[0].text, "ERROR: Unable to open " + file_ + " for reparsing.");
}
