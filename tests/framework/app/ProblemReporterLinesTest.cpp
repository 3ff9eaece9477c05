// The problem reporter's lines, word for word: the line standard error
// hears (the program's name without its folder, one line end), the box's
// text and flags, the reason made from any error number, and a reset that
// forgets what was told.
#include "framework/app/ProblemReporter.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/window/WindowTesting.h"
#include "platform/window/WindowTypes.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using Zolt::Problem;
using Zolt::ProblemReporter;

class Notice final : public Zolt::ProblemSink {
public:
    void TellPlayer(const std::string& subject, const std::vector<std::string>& lines) override
    {
        told.push_back(subject + ": " + lines.front());
    }
    std::vector<std::string> told;
};

class ProblemReporterLines : public ::testing::Test {
protected:
    ProblemReporterLines() : arguments_(platform::GetArguments()) { reporter_.Reset(); }
    ~ProblemReporterLines() override
    {
        std::vector<const char*> argv;
        for (const std::string& argument : arguments_)
            argv.push_back(argument.c_str());
        platform::SetCommandLineArguments(static_cast<int>(argv.size()), argv.data());
        reporter_.SetBox(nullptr);
        reporter_.Reset();
    }
    static void CallProgram(const char* path)
    {
        const char* argv[] = {path, "-play"};
        platform::SetCommandLineArguments(2, argv);
    }

    const std::vector<std::string> arguments_;
    ProblemReporter& reporter_ = ProblemReporter::Instance();
};

} // namespace

TEST_F(ProblemReporterLines, StandardErrorHearsTheProgramsNameTheSubjectAndTheTextOnOneLineEnd)
{
    Problem problem;
    problem.subject = Zolt::ProblemSubject::Settings;
    problem.what = "The settings were not kept";
    platform::FileError failure;
    failure.step = platform::FileStep::Replace;
    failure.path = "config/registry.dat";
    failure.code = EROFS;
    failure.detail = "";
    problem.SetFailure(failure);
    Notice notice;
    reporter_.SetSink(&notice);
    CallProgram("/opt/games/pellucor");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(reporter_.Tell(problem));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "pellucor: Settings: The settings were not kept:\nthe disk is read-only.\n"
              "(replace config/registry.dat: Read-only file system)\n");

    // Without a file, the text's own line ends give way to one; a program
    // called without a folder is named as called; a cause is the reason.
    Problem damaged;
    damaged.subject = Zolt::ProblemSubject::PlayerFiles;
    damaged.what = "Ann's profile was not read";
    failure.code = 0;
    failure.detail = "it ends inside its header";
    failure.path.clear();
    damaged.SetFailure(failure);
    damaged.outcome = "It is kept aside.";
    CallProgram("pellucor");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(reporter_.Tell(damaged));
    reporter_.Say("Demo", "the demo ends here\n\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "pellucor: Player files: Ann's profile was not read:\nit ends inside its header.\nIt is kept aside.\n"
              "pellucor: Demo: the demo ends here\n");
    CallProgram("");
    ::testing::internal::CaptureStderr();
    reporter_.Say("Demo", "no name");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Demo: no name\n");
    EXPECT_EQ(notice.told.size(), 2u);

    // A path without an error number says only the step and the path.
    Problem kept;
    kept.what = "Ann's profile was kept aside";
    kept.cause = "it is damaged";
    kept.step = platform::FileStep::Move;
    kept.path = "save/Ann_.usr";
    EXPECT_EQ(kept.Text(), "Ann's profile was kept aside:\nit is damaged.\n(move save/Ann_.usr)");
}

TEST_F(ProblemReporterLines, TheBoxGetsTheWholeTextAWarningAndIsForgottenWithWhatWasTold)
{
    Problem problem;
    problem.subject = Zolt::ProblemSubject::PlayerFiles;
    problem.what = "The player Ann was not saved";
    problem.code = ENOENT;
    const size_t before = platform::testing::RecordedBoxes().size();
    EXPECT_TRUE(reporter_.Tell(problem));
    ASSERT_EQ(platform::testing::RecordedBoxes().size(), before + 1);
    const platform::testing::RecordedBox box = platform::testing::RecordedBoxes().back();
    EXPECT_EQ(box.text, "The player Ann was not saved:\nno such file or directory.\n");
    EXPECT_EQ(box.caption, "Player files");
    EXPECT_EQ(box.flags & platform::MB_ICONWARNING, platform::MB_ICONWARNING);

    // A box of the program's own takes the system's place.
    std::vector<std::string> shown;
    reporter_.SetBox([&](const std::string& text, const std::string& caption) { shown.push_back(caption + "|" + text); });
    problem.code = E2BIG;
    EXPECT_TRUE(reporter_.Tell(problem));
    EXPECT_EQ(shown, std::vector<std::string>{"Player files|The player Ann was not saved:\nargument list too long.\n"});
    EXPECT_EQ(platform::testing::RecordedBoxes().size(), before + 1);

    // A reset forgets what was told and the notice.
    Notice notice;
    reporter_.SetSink(&notice);
    reporter_.Reset();
    EXPECT_TRUE(reporter_.Tell(problem));
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(notice.told.empty());

    // Each file told problems concern is named once when it is saved.
    problem.code = ENOSPC;
    Problem other = problem;
    other.what = "The tournament was not saved";
    problem.files = {"save/Ann_.usr"};
    other.files = {"save/Ann_.usr", "save/Bob_.usr"};
    EXPECT_TRUE(reporter_.Tell(problem, true));
    EXPECT_TRUE(reporter_.Tell(other, true));
    EXPECT_EQ(reporter_.ResolvedFiles({"save/Bob_.usr", "save/Ann_.usr", "save/Cy_.usr"}),
              (std::vector<std::string>{"save/Ann_.usr", "save/Bob_.usr"}));
    EXPECT_TRUE(reporter_.ResolvedFiles({"save/Ann_.usr"}).empty());
}
