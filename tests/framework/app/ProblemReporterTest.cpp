// The one teller of problems with the player's files and settings: each
// problem once for its topic and reason (until the topic is over), on
// standard error whenever it is told, in the game's notice once it is
// registered and in a box before; the reason in the player's words, made from the error
// number and the step where it is told; and its lines word for word: the
// line standard error hears (the program's name without its folder, one
// line end), the box's text and flags, and a reset that forgets what was
// told.
#include "framework/app/ProblemReporter.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
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

class ProblemReporterTest : public ::testing::Test {
protected:
    ProblemReporterTest() { reporter_.Reset(); }
    ~ProblemReporterTest() override { reporter_.Reset(); }

    static Problem SaveFailed(int code)
    {
        Problem problem;
        problem.what = "The player Ann was not saved";
        problem.code = code;
        problem.step = platform::FileStep::Write;
        problem.path = "save/Ann_.usr";
        problem.outcome = "It is kept and saved again later.";
        return problem;
    }
    static size_t BoxesCaptioned(const std::string& caption)
    {
        size_t n = 0;
        for (const auto& box : platform::testing::RecordedBoxes())
            n += box.caption == caption ? 1 : 0;
        return n;
    }

    ProblemReporter& reporter_ = ProblemReporter::Instance();
};

// Puts back the program's own command line, which a test changes to see
// the name standard error hears.
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

TEST_F(ProblemReporterTest, EachProblemIsToldOnceInABoxUntilTheGameShowsItsOwnNotice)
{
    const size_t boxes = BoxesCaptioned("Player files");
    EXPECT_TRUE(reporter_.Tell(SaveFailed(ENOSPC)));
    EXPECT_FALSE(reporter_.Tell(SaveFailed(ENOSPC)));
    ASSERT_EQ(BoxesCaptioned("Player files"), boxes + 1);
    EXPECT_EQ(platform::testing::RecordedBoxes().back().text,
              "The player Ann was not saved:\nthe disk is full.\nIt is kept and saved again later.\n"
              "(write save/Ann_.usr: No space left on device)");

    // Once the notice is there, it is the face, the box no more; standard
    // error hears every problem the notice shows, a problem asked for again
    // too.
    Notice notice;
    reporter_.SetSink(&notice);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(reporter_.Tell(SaveFailed(EACCES)));
    EXPECT_FALSE(reporter_.Tell(SaveFailed(EACCES)));
    Problem again = SaveFailed(EROFS);
    again.asked = true;
    EXPECT_TRUE(reporter_.Tell(again));
    EXPECT_TRUE(reporter_.Tell(again));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(BoxesCaptioned("Player files"), boxes + 1);
    EXPECT_EQ(notice.told, std::vector<std::string>(3, "Player files: The player Ann was not saved:"));
    EXPECT_NE(said.find("Player files: The player Ann was not saved:\nthe folder cannot be written."),
              std::string::npos)
        << said;
    const size_t first = said.find("the disk is read-only.");
    ASSERT_NE(first, std::string::npos) << said;
    const size_t second = said.find("the disk is read-only.", first + 1);
    ASSERT_NE(second, std::string::npos) << "asked again, shown again: " << said;
    EXPECT_EQ(said.find("the disk is read-only.", second + 1), std::string::npos) << said;
    // A problem met before the notice was there goes to the box all the same.
    EXPECT_TRUE(reporter_.Tell(SaveFailed(EIO), true));
    EXPECT_EQ(BoxesCaptioned("Player files"), boxes + 2);
    EXPECT_EQ(notice.told.size(), 3u);

    // Over: told again when it comes back, the end said once.
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(reporter_.Resolved(SaveFailed(EACCES).Topic(), "saved again"));
    EXPECT_FALSE(reporter_.Resolved(SaveFailed(EACCES).Topic(), "saved again"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "saved again\n");
    EXPECT_TRUE(reporter_.Tell(SaveFailed(EACCES)));
    EXPECT_EQ(notice.told.size(), 4u);
    reporter_.SetSink(nullptr);
}

TEST_F(ProblemReporterTest, ATopicIsToldOnceForAReasonUntilOneOfItsFilesIsSavedAgain)
{
    Notice notice;
    reporter_.SetSink(&notice);
    ::testing::internal::CaptureStderr();
    Problem both = SaveFailed(EACCES);
    both.what = "The players Ann and Bob were not saved";
    both.topic = "save Ann Bob";
    both.files = {"save/Ann_.usr", "save/Bob_.usr"};
    EXPECT_TRUE(reporter_.Tell(both));
    // Whatever else it says (another outcome: the last save at the end),
    // the same reason for the same files is no news.
    both.outcome = "What was not saved is lost.";
    EXPECT_FALSE(reporter_.Tell(both));
    // Another topic of the same words is news of its own.
    Problem other = both;
    other.topic = "save Ann";
    other.files = {"save/Ann_.usr"};
    EXPECT_TRUE(reporter_.Tell(other));
    // A file that was never told of ends nothing; one of the two files
    // saved ends what was told of both.
    using Files = std::vector<std::string>;
    EXPECT_EQ(reporter_.ResolvedFiles({"save/Cid_.usr"}), Files{});
    EXPECT_EQ(reporter_.ResolvedFiles({"save/Cid_.usr", "save/Bob_.usr"}), Files{"save/Bob_.usr"});
    EXPECT_EQ(reporter_.ResolvedFiles({"save/Bob_.usr"}), Files{});
    EXPECT_TRUE(reporter_.Tell(both));
    EXPECT_FALSE(reporter_.Tell(other)) << "its files were never saved";
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(notice.told.size(), 3u);
    size_t times = 0;
    for (size_t at = said.find("were not saved"); at != std::string::npos; at = said.find("were not saved", at + 1))
        ++times;
    EXPECT_EQ(times, 3u) << said;
    reporter_.SetSink(nullptr);
}

TEST_F(ProblemReporterTest, TheReasonIsTheCauseGivenElseTheErrorNumberInThePlayersWords)
{
    EXPECT_EQ(ProblemReporter::ReasonInWords(ENOSPC), "the disk is full");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EDQUOT), "the disk quota is used up");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EACCES), "the folder cannot be written");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EPERM), "the folder cannot be written");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EACCES, platform::FileStep::MakeFolder), "the folder may not be made there");
    // Reading is not writing: a file that may not be read, a pipe where the
    // file should be.
    EXPECT_EQ(ProblemReporter::ReasonInWords(EACCES, platform::FileStep::Read), "the file may not be read");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EINVAL, platform::FileStep::Read),
              "it is not a regular file (a pipe, a device or a socket)");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EIO, platform::FileStep::Read), "the disk could not be read");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EROFS), "the disk is read-only");
    EXPECT_EQ(ProblemReporter::ReasonInWords(ENOTDIR), "the save folder is not a folder");
    EXPECT_EQ(ProblemReporter::ReasonInWords(ENOTDIR, platform::FileStep::MakeFolder),
              "a file stands where the folder should be");
    EXPECT_EQ(ProblemReporter::ReasonInWords(ENOTDIR, platform::FileStep::MakeFolder, "/home/ann/Pellucor 1.5"),
              "a file stands where the folder /home/ann/Pellucor 1.5 should be");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EISDIR), "a folder stands in the file's place");
    EXPECT_EQ(ProblemReporter::ReasonInWords(EIO), "the disk could not be written");
    EXPECT_EQ(ProblemReporter::ReasonInWords(ENAMETOOLONG), "file name too long");

    Problem damaged = SaveFailed(0);
    damaged.cause = "it ends inside its header";
    damaged.outcome.clear();
    EXPECT_EQ(damaged.Lines(), (std::vector<std::string>{"The player Ann was not saved:", "it ends inside its header."}));
    damaged.code = ENOENT;
    EXPECT_EQ(damaged.Lines()[1], "it ends inside its header.") << "the cause says more than the number";
    EXPECT_NE(damaged.Reason(), SaveFailed(ENOENT).Reason());
    EXPECT_EQ(damaged.Topic(), SaveFailed(ENOENT).Topic());
    damaged.topic = "mine";
    EXPECT_EQ(damaged.Topic(), "mine");
}

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
    // Nor with the number the file layer answers for a pipe where a file
    // should be, whose system words ("Invalid argument") are not true of it;
    // without a step, the path alone.
    Problem pipe;
    pipe.what = "The profile Pip_.usr was not loaded";
    pipe.code = EINVAL;
    pipe.step = platform::FileStep::Read;
    pipe.path = "save/Pip_.usr";
    EXPECT_EQ(pipe.Text(), "The profile Pip_.usr was not loaded:\n"
                           "it is not a regular file (a pipe, a device or a socket).\n(read save/Pip_.usr)");
    pipe.step = platform::FileStep::None;
    pipe.code = ENOENT;
    EXPECT_EQ(pipe.Text().substr(pipe.Text().rfind('(')), "(save/Pip_.usr: No such file or directory)");
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
