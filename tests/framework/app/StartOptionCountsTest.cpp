// The counts of the numbered-demo options as a player writes them: a plus
// sign before the number is the number, and a count of nought keeps the
// default five recordings rather than none.
#include "tests/framework/app/AppTestSupport.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace apptest;

namespace {

// The numbered demos in `folder`, by name.
std::vector<std::string> NumberedDemos(const std::string& folder)
{
    std::vector<std::string> kept;
    for (const platform::FindData& entry : platform::FindFiles(folder + "/zoltapp*.dmo"))
        kept.push_back(entry.name);
    std::sort(kept.begin(), kept.end());
    return kept;
}

} // namespace

TEST_F(AppTest, ACountWrittenWithAPlusSignIsThatNumber)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    ASSERT_TRUE(platform::MakeDirectories(data));
    platform::testing::WriteTestFile(data + "/zoltapp2.dmo", "demo");
    SetArguments({"-playnum=+3"});
    EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1);
    ASSERT_FALSE(platform::testing::RecordedBoxes().empty());
    // Taken as 3: the third latest, of which there is none.
    EXPECT_NE(platform::testing::RecordedBoxes().back().text.find("asks for the 3rd latest numbered demo, but there is "
                                                                  "only one"),
              std::string::npos)
        << platform::testing::RecordedBoxes().back().text;
}

TEST_F(AppTest, ARecordingCountOfNoughtKeepsTheDefaultFiveLatestDemos)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    std::vector<std::vector<std::string>> kept;
    for (const char* option : {"-recnum=0", "-recnum=5"}) {
        ASSERT_TRUE(platform::MakeDirectories(data));
        for (const std::string& name : NumberedDemos(data))
            platform::DeleteFile(data + "/" + name);
        // Fewer than five: none of them goes.
        for (int i = 1; i <= 2; ++i)
            platform::testing::WriteTestFile(data + "/zoltapp" + std::to_string(i) + ".dmo", "demo");
        SetArguments({option});
        Make().Initialize();
        EXPECT_EQ(app->GetDemoFileName(), data + "/zoltapp3.dmo") << option;
        app->Quit();
        app.reset();
        kept.push_back(NumberedDemos(data));
    }
    EXPECT_EQ(kept[0], kept[1]);
    EXPECT_EQ(kept[0], (std::vector<std::string>{"zoltapp1.dmo", "zoltapp2.dmo", "zoltapp3.dmo"}));
}
