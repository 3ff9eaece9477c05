// Each error of the screen saver goes to one place: the log in the data
// folder, or, where the log cannot be written, standard error; a line said
// there is not written into the log once it can be written again.
#include "tests/framework/app/AppTestSupport.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <string>

using namespace apptest;

TEST_F(AppTest, AScreenSaverErrorSaidOnStandardErrorIsNotWrittenIntoTheLogLater)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    const std::string log = data + "/ScrError.txt";
    ASSERT_TRUE(platform::MakeDirectories(log));
    SetArguments({"-screensaver"});
    TestApp& a = StartApp();
    ::testing::internal::CaptureStderr();
    a.ShowError("unwritten");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("unwritten"), std::string::npos) << said;
    std::filesystem::remove(log);
    a.ShowError("first");
    a.ShowError("second");
    const std::string written = platform::testing::ReadTestFile(log);
    EXPECT_EQ(written.find("unwritten"), std::string::npos) << written;
    EXPECT_EQ(written.rfind("first ", 0), 0u) << written;
    EXPECT_NE(written.find("\nsecond "), std::string::npos) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << written;
    app.reset();
}
