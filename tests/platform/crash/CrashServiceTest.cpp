// The crash service in a child process: each test lets a child fault for
// real, with the handlers installed, and reads the report it left behind.
#include "platform/core/Testing.h"
#include "platform/crash/CrashService.h"
#include "platform/crash/ModuleMap.h"
#include "platform/crash/ReportNames.h"
#include "platform/crash/SymbolLookup.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <fcntl.h>
#include <map>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class CrashServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "fast");
        char pattern[] = "/tmp/pellucor-crash-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        settings_.reportFile = (dir_ / "crash.txt").string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Installs the service in the child and makes it fault.
    [[noreturn]] void CrashWith(const std::string& kind)
    {
        platform::InstallCrashService(settings_);
        platform::testing::RaiseFault(kind);
    }

    std::string Report() const { return ReadFile(settings_.reportFile); }
    // Temporary files a write left behind in the folder.
    size_t TemporaryFiles() const
    {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(dir_))
            n += entry.path().filename().string().find(".tmp") != std::string::npos;
        return n;
    }

    static std::string ReadFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    platform::CrashServiceSettings settings_;
};

TEST_F(CrashServiceTest, NullWriteIsAnAccessViolationWithItsDataAddressAndTheCallerNamed)
{
    EXPECT_EXIT(CrashWith("null"), ::testing::KilledBySignal(SIGSEGV), "");
    const std::string report = Report();
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << report;
    EXPECT_NE(report.find("Data Address: 00000010\r\n"), std::string::npos) << report;
    // The faulting function is named from the program's own symbols.
    EXPECT_NE(report.find("RaiseFault"), std::string::npos) << report;
    EXPECT_NE(report.find("RIP:"), std::string::npos);
    EXPECT_NE(report.find("\r\nFlags:"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\nOS Ver: Linux "), std::string::npos);
    EXPECT_NE(report.find("\r\nModules:\r\n"), std::string::npos);
    // Written whole: the text and one newline, no temporary left behind.
    EXPECT_EQ(report.back(), '\n');
    EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(CrashServiceTest, FaultInTheProgramsCodeNamesItsModuleAndCodeSegment)
{
    EXPECT_EXIT(CrashWith("segv"), ::testing::KilledBySignal(SIGSEGV), "");
    platform::ModuleLocation code;
    ASSERT_TRUE(platform::FindModule(reinterpret_cast<uintptr_t>(&platform::testing::RaiseFault), &code));
    ASSERT_TRUE(code.executable);
    const std::string report = Report();
    const std::string module = fs::path(code.path).filename().string();
    EXPECT_NE(report.find("Module: " + module + "\r\n"), std::string::npos) << report;
    char segment[32];
    std::snprintf(segment, sizeof segment, "Logical Address: %04X:", code.segment);
    EXPECT_NE(report.find(segment), std::string::npos) << report;
}

} // namespace

// A known chain of calls that ends in a fault. Each call is followed by an
// empty barrier, so that no call becomes a jump and leaves its frame out.
namespace crash_chain {
volatile int* volatile gTarget = nullptr;
[[gnu::noinline]] void Innermost(volatile int* target) { *target = 1; }
[[gnu::noinline]] void Middle(volatile int* target)
{
    Innermost(target);
    asm volatile("" ::: "memory");
}
[[gnu::noinline]] void Outer()
{
    Middle(gTarget);
    asm volatile("" ::: "memory");
}
} // namespace crash_chain

namespace {

// The frame lines of a report: those that begin with the pc and the frame.
std::vector<std::string> FrameLines(const std::string& report)
{
    static const std::regex frame("^[0-9A-F]{8,16} [0-9A-F]{8,16} .*$");
    std::vector<std::string> lines;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (std::regex_match(line, frame))
            lines.push_back(line);
    }
    return lines;
}

TEST_F(CrashServiceTest, FramesAreTheFaultingThreadsCallsOutwardToMainWithReadableNamesAndModuleOffsets)
{
    EXPECT_EXIT(
        {
            platform::InstallCrashService(settings_);
            crash_chain::Outer();
            std::abort();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    const std::string report = platform::DemangleReportNames(Report());
    const std::vector<std::string> frames = FrameLines(report);
    ASSERT_FALSE(frames.empty()) << report;
    // Innermost first, each caller after its callee, out to main; the
    // handler's own frames nowhere.
    const char* chain[] = {" crash_chain::Innermost(int volatile*)+", " crash_chain::Middle(int volatile*)+",
                           " crash_chain::Outer()+", " main+"};
    size_t at = 0;
    for (const char* name : chain) {
        while (at < frames.size() && frames[at].find(name) == std::string::npos)
            ++at;
        ASSERT_LT(at, frames.size()) << "no frame of" << name << " in its place:\n" << report;
    }
    EXPECT_NE(frames[0].find(chain[0]), std::string::npos) << report;
    EXPECT_LT(frames.size(), platform::FaultRecord::kMaxFrames) << report;
    // Every frame says where its module holds it: by symbol with the
    // module's offset, or by segment and offset.
    static const std::regex located("^[0-9A-F]+ [0-9A-F]+ (.+\\+([0-9A-F]+) \\([^ ()]+\\+([0-9A-F]+)\\)|"
                                    "[0-9A-F]{4}:[0-9A-F]{8} [^ ]+)$");
    // Live frames only: each one's frame address above its callee's, no
    // stale return address of a call that has returned (the fixture's set-up)
    // and none of the handler's own.
    uint64_t below = 0;
    for (const std::string& line : frames) {
        EXPECT_TRUE(std::regex_match(line, located)) << line;
        const uint64_t frame = std::stoull(line.substr(line.find(' ') + 1), nullptr, 16);
        EXPECT_GT(frame, below) << line << "\n" << report;
        below = frame;
        EXPECT_EQ(line.find("::SetUp()"), std::string::npos) << "a stale frame: " << line;
        EXPECT_EQ(line.find("platform::"), std::string::npos) << "a frame of the crash handler: " << line;
    }
    // The child was a copy of this process: each frame's module offset is
    // its pc less where this process has that module, and for the chain's
    // functions, less the frame's distance into the function, it is where
    // this process has the function (a caller by its return address, which
    // lies after its call).
    const std::pair<const char*, uintptr_t> functions[] = {
        {chain[0], reinterpret_cast<uintptr_t>(&crash_chain::Innermost)},
        {chain[1], reinterpret_cast<uintptr_t>(&crash_chain::Middle)},
        {chain[2], reinterpret_cast<uintptr_t>(&crash_chain::Outer)}};
    size_t checked = 0;
    for (const std::string& line : frames) {
        std::smatch parts;
        if (!std::regex_match(line, parts, located) || !parts[3].matched)
            continue;
        const uintptr_t pc = std::stoull(line, nullptr, 16);
        platform::ModuleLocation module;
        ASSERT_TRUE(platform::FindModule(pc, &module)) << line;
        const uintptr_t offset = std::stoull(parts[3].str(), nullptr, 16);
        const uintptr_t displacement = std::stoull(parts[2].str(), nullptr, 16);
        EXPECT_EQ(offset, pc - module.base) << line;
        for (const auto& [name, function] : functions) {
            if (line.find(name) == std::string::npos)
                continue;
            EXPECT_EQ(offset - displacement, function - module.base) << line;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 3u) << report;
}

struct FaultCase {
    const char* kind;
    int signal;
    const char* line;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.kind; }

class FaultKindTest : public CrashServiceTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultKindTest, EachFaultIsReportedUnderItsWindowsCodeAndEndsWithItsSignal)
{
#if defined(__SANITIZE_ADDRESS__)
    if (std::string(GetParam().kind) == "overflow")
        GTEST_SKIP() << "the address sanitizer keeps the stack guard to itself";
#endif
    EXPECT_EXIT(CrashWith(GetParam().kind), ::testing::KilledBySignal(GetParam().signal), "");
    const std::string report = Report();
    EXPECT_EQ(report.rfind(GetParam().line, 0), 0u) << report;
    if (std::string(GetParam().kind) == "overflow") {
        // Walked from the guard page below the stack, up the recursion.
        size_t calls = 0;
        for (const std::string& line : FrameLines(platform::DemangleReportNames(report)))
            calls += line.find("Recurse(int)+") != std::string::npos;
        EXPECT_GE(calls, 2u) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultKindTest,
    ::testing::Values(FaultCase{"fpe", SIGFPE, "Exception: Integer Divide by Zero (code 0xc0000094)"},
                      FaultCase{"ill", SIGILL, "Exception: Illegal Instruction (code 0xc000001d)"},
                      FaultCase{"bus", SIGBUS, "Exception: In Page Error (code 0xc0000006)"},
                      FaultCase{"overflow", SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)"},
                      FaultCase{"abort", SIGABRT, "Unknown exception: (code 0x40000015)"},
                      FaultCase{"terminate", SIGABRT, "Unknown exception: (code 0xe06d7363)"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.kind); });

TEST_F(CrashServiceTest, ViewerStartsAsItsOwnProcessWithTheReportNamed)
{
    const fs::path copy = dir_ / "seen-by-viewer.txt";
    settings_.viewerCommand = {"/bin/sh", "-c", "cp \"$PELLUCOR_CRASH_REPORT\" \"$COPY_TO\""};
    settings_.viewerEnvironment = {"COPY_TO=" + copy.string()};
    EXPECT_EXIT(
        {
            ::setenv("PELLUCOR_CRASH_REPORT", "stale-from-an-earlier-crash.txt", 1);
            CrashWith("null");
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    // The viewer outlives the crashed child: wait until its copy is whole.
    ASSERT_FALSE(Report().empty());
    EXPECT_TRUE(test_support::WaitUntil([&] { return ReadFile(copy) == Report(); }))
        << "the viewer got: " << ReadFile(copy);
}

// The start of a viewer's script that drops every descriptor it inherited
// but the standard three: the test's own (the death test's pipe, which the
// test waits on) would tie the test to the viewer.
constexpr const char* kKeepOnlyTheStandardDescriptors =
    "for f in /proc/$$/fd/*; do n=${f##*/}; [ \"$n\" -gt 2 ] && eval \"exec $n>&-\"; done; ";

// Where the viewer only says its piece (no display to show a window on),
// the crashed process ends after it: whoever reads its standard error until
// its end, or a shell's prompt, comes after the report.
TEST_F(CrashServiceTest, TheCrashedProcessEndsAfterAViewerThatOnlySpeaks)
{
    const fs::path said = dir_ / "said.txt";
    settings_.viewerCommand = {"/bin/bash", "-c", kKeepOnlyTheStandardDescriptors +
                                                      std::string("sleep 0.3; printf 'the report' >\"$COPY_TO\"")};
    settings_.viewerEnvironment = {"COPY_TO=" + said.string()};
    EXPECT_EXIT(CrashWith("null"), ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ(ReadFile(said), "the report") << "the crashed process ended before its viewer";
}

// A viewer that shows a window (which may stay up for long) lets the crashed
// process go first; it is not waited for. Here the viewer goes on only once
// the test has seen the crashed process end (having let go of every
// descriptor it was given, the test's own among them).
TEST_F(CrashServiceTest, AViewerThatLetsTheCrashedProcessGoIsNotWaitedFor)
{
    const fs::path gone = dir_ / "crashed-process-gone";
    const fs::path after = dir_ / "viewer-after.txt";
    settings_.viewerCommand = {
        "/bin/bash", "-c",
        "printf x >&\"$PELLUCOR_CRASH_RELEASE\"; " + std::string(kKeepOnlyTheStandardDescriptors) +
            "exec </dev/null >/dev/null 2>&1; "
            "for i in $(seq 1 200); do [ -e \"$GONE\" ] && break; sleep 0.1; done; "
            "[ -e \"$GONE\" ] && printf 'went on' >\"$COPY_TO\""};
    settings_.viewerEnvironment = {"COPY_TO=" + after.string(), "GONE=" + gone.string()};
    EXPECT_EXIT(CrashWith("null"), ::testing::KilledBySignal(SIGSEGV), "");
    { std::ofstream(gone) << ""; }
    EXPECT_TRUE(test_support::WaitUntil([&] { return ReadFile(after) == "went on"; }))
        << "the crashed process waited for its viewer's end";
}

// What the application sends with a report: written from inside the
// handler, after the report, from spans prepared before the fault.
char gAttachmentPath[512];
const platform::ByteSpan gAttachment[] = {{"head|", 5}, {"", 0}, {"body|tail", 9}};
void WriteAttachment(void*) { platform::WriteSpansToFile(gAttachmentPath, gAttachment, 3); }

TEST_F(CrashServiceTest, FilesThatGoWithTheReportAreWrittenFromTheHandlerAfterIt)
{
    const fs::path attachment = dir_ / "zoltapp.dmo";
    std::snprintf(gAttachmentPath, sizeof gAttachmentPath, "%s", attachment.c_str());
    settings_.attachments = WriteAttachment;
    EXPECT_EXIT(CrashWith("null"), ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ(ReadFile(attachment), "head|body|tail");
    EXPECT_EQ(TemporaryFiles(), 0u);
    EXPECT_NE(Report().find("Access Violation"), std::string::npos);
}

volatile uintptr_t gUnmapped = 16;

// The application's part of the report fails on a bad pointer of its own.
void FaultingDetails(platform::SafeText&, void*) { *reinterpret_cast<volatile int*>(gUnmapped) = 1; }

TEST_F(CrashServiceTest, FaultInsideTheHandlerEndsTheProcessAndLeavesNoHalfReport)
{
    settings_.details = FaultingDetails;
    EXPECT_EXIT(CrashWith("fpe"), ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_FALSE(fs::exists(settings_.reportFile));
}

TEST_F(CrashServiceTest, AnUnsentEarlierReportIsKeptBesideTheNewOne)
{
    const std::string path = settings_.reportFile;
    { std::ofstream(path) << "an older, much longer report that was never sent"; }
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "new", 3));
    EXPECT_EQ(ReadFile(path), "new\n");
    EXPECT_EQ(ReadFile(path + ".earlier"), "an older, much longer report that was never sent");
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "newer", 5));
    EXPECT_EQ(ReadFile(path), "newer\n");
    EXPECT_EQ(ReadFile(path + ".earlier1"), "new\n");
    // With every name beside it taken the new report is not written: the
    // unsent one stays where it is.
    for (int n = 2; n < platform::kMaxEarlierReports; ++n)
        std::ofstream(path + ".earlier" + std::to_string(n)) << n;
    int error = 0;
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "newest", 6, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(ReadFile(path), "newer\n");
    EXPECT_EQ(TemporaryFiles(), 0u);
    // The demo and the viewer's rewrite replace their file.
    const platform::ByteSpan span{"demo", 4};
    ASSERT_TRUE(platform::WriteSpansToFile(path.c_str(), &span, 1));
    EXPECT_EQ(ReadFile(path), "demo");
    EXPECT_FALSE(platform::WriteReportFile((dir_ / "none" / "x.txt").c_str(), "new", 3, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(platform::WriteReportFile("", "new", 3));
}

TEST_F(CrashServiceTest, TheReportIsWrittenThroughAFreshFileNeverALinkOrAPipeInTheWay)
{
    const std::string path = settings_.reportFile;
    const fs::path victim = dir_ / "victim.txt";
    { std::ofstream(victim) << "not the report's"; }
    // The name a temporary file once always had, and the next fresh ones.
    fs::create_symlink(victim, path + ".tmp");
    for (int n = 0; n < 10; ++n) {
        const std::string name = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n);
        if (n % 2)
            ASSERT_EQ(::mkfifo(name.c_str(), 0644), 0);
        else
            fs::create_symlink(victim, name);
    }
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "report", 6));
    EXPECT_EQ(ReadFile(path), "report\n");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(ReadFile(victim), "not the report's");
    EXPECT_TRUE(fs::is_symlink(path + ".tmp"));

    // Neither is a pipe at the old name waited on.
    fs::remove(path + ".tmp");
    ASSERT_EQ(::mkfifo((path + ".tmp").c_str(), 0644), 0);
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "again", 5));
    EXPECT_EQ(ReadFile(path), "again\n");

    // What stands at the report's own name: a link is replaced (what it
    // points to is not touched); a folder or a pipe is left alone, and the
    // write fails saying which.
    fs::remove(path);
    fs::remove(path + ".earlier");
    fs::create_symlink(victim, path);
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "over a link", 11));
    EXPECT_EQ(ReadFile(victim), "not the report's");
    EXPECT_TRUE(fs::is_symlink(path + ".earlier")) << "the link itself moved aside";
    fs::remove(path);
    fs::create_directory(path);
    int error = 0;
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "report", 6, &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "report", 6, &error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_TRUE(fs::is_fifo(path));
}

// A write past a file-size limit of four bytes fails with EFBIG.
bool FailsPastFourBytes(const std::string& path)
{
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small;
    small.rlim_cur = small.rlim_max = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    int failure = 0;
    const bool written = platform::WriteReportFile(path.c_str(), "a report of more than four bytes", 32, &failure);
    return !written && failure == EFBIG;
}

TEST_F(CrashServiceTest, AWriteThatCannotBeFinishedFailsAndLeavesNothing)
{
    const std::string path = settings_.reportFile;
    auto temporary = [&](int n) { return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n); };
    // Every temporary name taken (by another writer, say) but the first.
    for (int n = 1; n < platform::kTemporaryNames; ++n)
        std::ofstream(temporary(n)) << "taken";
    EXPECT_TRUE(platform::WriteReportFile(path.c_str(), "report", 6));
    fs::remove(path);
    std::ofstream(temporary(0)) << "taken";
    int error = 0;
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "report", 6, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_FALSE(fs::exists(path));
    fs::remove(temporary(platform::kTemporaryNames - 1));
    EXPECT_TRUE(platform::WriteReportFile(path.c_str(), "report", 6)) << "the last name free";
    for (const auto& entry : fs::directory_iterator(dir_))
        fs::remove(entry.path());

    // The disk runs full (here: the file-size limit) in the middle.
    EXPECT_EXIT(std::exit(FailsPastFourBytes(path) ? 0 : 1), ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::is_empty(dir_));
    // A process without standard input gets descriptor 0 for the file; and
    // an errno an earlier call left (a folder made that was there) is no
    // failure of the write.
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "earlier", 7));
    EXPECT_EXIT(
        {
            ::close(STDIN_FILENO);
            ::mkdir(dir_.c_str(), 0755);
            std::exit(errno == EEXIST && platform::WriteReportFile(path.c_str(), "report", 6) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(path), "report\n");
    EXPECT_EQ(TemporaryFiles(), 0u);

    // A disk that is full; a flush that fails (one the file system cannot
    // do is none); a name too long for its temporary file; no name.
    platform::testing::FailNext("CrashReport.Write", ENOSPC);
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "lost", 4, &error));
    EXPECT_EQ(error, ENOSPC);
    platform::testing::FailNext("CrashReport.Sync", EIO);
    EXPECT_FALSE(platform::WriteReportFile(path.c_str(), "lost", 4, &error));
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(ReadFile(path), "report\n");
    EXPECT_EQ(TemporaryFiles(), 0u);
    platform::testing::FailNext("CrashReport.Sync", EINVAL);
    EXPECT_TRUE(platform::WriteSpansToFile(path.c_str(), nullptr, 0));
    std::string deep = dir_.string();
    while (deep.size() < 1020)
        deep += "/a";
    EXPECT_FALSE(platform::WriteReportFile((deep + "/crash.txt").c_str(), "report", 6, &error));
    EXPECT_EQ(error, ENAMETOOLONG);
    EXPECT_FALSE(platform::WriteReportFile(nullptr, "report", 6, &error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(CrashServiceTest, AWriteThatTheSystemTakesInPartsOrInterruptsIsFinishedWhole)
{
    const std::string path = settings_.reportFile;
    std::string text;
    for (int i = 0; text.size() < 5000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    platform::testing::FailNext("CrashReport.Write", 0, 100);
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), text.data(), text.size()));
    EXPECT_EQ(ReadFile(path), text + "\n");
    EXPECT_LT(platform::testing::PendingFailures("CrashReport.Write"), 90) << "taken in many parts";
    platform::testing::FailNext("CrashReport.Write", EINTR, 3);
    int error = EIO;
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(platform::WriteReportFile(path.c_str(), "again", 5, &error));
    ::umask(mask);
    EXPECT_EQ(error, 0) << "a success says so";
    EXPECT_EQ(ReadFile(path), "again\n");
    struct stat made {};
    ASSERT_EQ(::stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0644u) << "readable by all, written by its owner";
    EXPECT_EQ(platform::testing::PendingFailures("CrashReport.Write"), 0);

    // The same for a text written straight to a descriptor (standard error,
    // the viewer's pipe).
    const fs::path straight = dir_ / "straight.txt";
    const int fd = ::open(straight.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    platform::testing::FailNext("CrashReport.Write", 0, 100);
    EXPECT_EQ(platform::WriteFully(fd, text.data(), text.size()), 0);
    ::close(fd);
    EXPECT_EQ(ReadFile(straight), text);
    platform::testing::ClearFailures();
}

TEST_F(CrashServiceTest, AReportThatCannotBeSavedGoesToStandardErrorAndToTheViewer)
{
    fs::create_directory(settings_.reportFile); // in the report's way
    const fs::path copy = dir_ / "seen-by-viewer.txt";
    settings_.viewerCommand = {"/bin/sh", "-c", "cat >\"$COPY_TO\"; echo \"$PELLUCOR_CRASH_UNSAVED\" >\"$COPY_TO.why\""};
    settings_.viewerEnvironment = {"COPY_TO=" + copy.string()};
    EXPECT_EXIT(CrashWith("null"), ::testing::KilledBySignal(SIGSEGV),
                "The crash report could not be saved as .*/crash.txt \\(Is a directory\\)\\. Here it is:\n"
                "Exception: Access Violation \\(code 0xc0000005\\)");
    ASSERT_TRUE(test_support::WaitUntil([&] { return !ReadFile(copy.string() + ".why").empty(); }));
    EXPECT_EQ(ReadFile(copy.string() + ".why"), std::to_string(EISDIR) + "\n");
    const std::string handed = ReadFile(copy);
    EXPECT_EQ(handed.rfind("Exception: Access Violation (code 0xc0000005)", 0), 0u) << handed;
    EXPECT_NE(handed.find("\r\nModules:\r\n"), std::string::npos) << "whole";
    EXPECT_TRUE(fs::is_empty(settings_.reportFile));
}

// The viewer's side: a report handed over on standard input.
TEST(CrashViewerInput, TheHandedOverReportIsReadFromAPipeOnlyAndNeverWaitedFor)
{
    const int savedInput = ::dup(STDIN_FILENO);
    auto readAsInput = [](int fd, size_t max) {
        ::dup2(fd, STDIN_FILENO);
        ::close(fd);
        return platform::ReadHandedOverReport(max);
    };
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "the report", 10), 10);
    ::close(ends[1]);
    EXPECT_EQ(readAsInput(ends[0], 1000), "the report");
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "the report", 10), 10);
    ::close(ends[1]);
    EXPECT_EQ(readAsInput(ends[0], 3), "the");
    // A writer still there with nothing more to say is not waited for.
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "part", 4), 4);
    EXPECT_EQ(readAsInput(ends[0], 1000), "part");
    ::close(ends[1]);
    // Anything but a pipe is not read.
    platform::testing::ScopedTempFolder folder;
    const std::string file = folder / "not-a-pipe.txt";
    { std::ofstream(file) << "a file"; }
    EXPECT_EQ(readAsInput(::open(file.c_str(), O_RDONLY), 1000), "");
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);

    ::setenv(platform::kCrashUnsavedVariable, "13", 1);
    EXPECT_EQ(platform::ReportSaveError(), 13);
    ::unsetenv(platform::kCrashUnsavedVariable);
    EXPECT_EQ(platform::ReportSaveError(), 0);
}

TEST(CrashReportText, EveryExceptionOfTheReportsTableIsNamed)
{
    const std::pair<platform::DWORD, const char*> names[] = {
        {0x40000005u, "Segment Notification"}, {0x80000003u, "Breakpoint"},
        {0x80000004u, "Single step"},          {0x00000000u, "Wait 0"},
        {0x00000080u, "Abandoned Wait 0"},     {0x000000C0u, "User APC"},
        {0x00000102u, "Timeout"},              {0x00000103u, "Pending"},
        {0x80000001u, "Guard Page Violation"}, {0x80000002u, "Data Type Misalignment"},
        {0xC0000005u, "Access Violation"},     {0xC0000006u, "In Page Error"},
        {0xC0000017u, "No Memory"},            {0xC000001Du, "Illegal Instruction"},
        {0xC0000025u, "Noncontinuable Exception"}, {0xC0000026u, "Invalid Disposition"},
        {0xC000008Cu, "Array Bounds Exceeded"}, {0xC000008Du, "Float Denormal Operand"},
        {0xC000008Eu, "Divide by Zero"},       {0xC000008Fu, "Float Inexact Result"},
        {0xC0000090u, "Float Invalid Operation"}, {0xC0000091u, "Float Overflow"},
        {0xC0000092u, "Float Stack Check"},    {0xC0000093u, "Float Underflow"},
        {0xC0000094u, "Integer Divide by Zero"}, {0xC0000095u, "Integer Overflow"},
        {0xC0000096u, "Privileged Instruction"}, {0xC00000FDu, "Stack Overflow"},
        {0xC000013Au, "Ctrl+C Exit"},
    };
    for (const auto& [code, name] : names) {
        ASSERT_NE(platform::ExceptionName(code), nullptr) << std::hex << code;
        EXPECT_STREQ(platform::ExceptionName(code), name) << std::hex << code;
    }
    EXPECT_EQ(platform::ExceptionName(0xE06D7363u), nullptr);
    EXPECT_EQ(platform::ExceptionName(0x00000001u), nullptr);
}

void WriteDetails(platform::SafeText& out, void* context)
{
    out.Append(static_cast<const char*>(context));
}

TEST(CrashReportText, AFaultIsLaidOutPartByPart)
{
    platform::FaultRecord fault;
    fault.code = platform::EXCEPTION_ACCESS_VIOLATION;
    fault.signal = SIGSEGV;
    fault.address = reinterpret_cast<uintptr_t>(&crash_chain::Innermost);
    fault.dataAddress = 0x10;
    fault.threadId = 0x2A;
    fault.registers[0] = {"RAX", 1, 16};
    fault.registers[1] = {"RBX", 0xAB, 4};
    fault.registers[2] = {nullptr, 0, 0};
    fault.registers[3] = {"Flags", 0x246, 8};
    fault.registerCount = 4;
    const auto middle = reinterpret_cast<uintptr_t>(&crash_chain::Middle);
    // The fault itself, a return address that is the first byte of a
    // function (its call is the last instruction of the one before), and an
    // address in no module.
    fault.frames[0] = {fault.address, 0x7000};
    fault.frames[1] = {middle, 0x7010};
    fault.frames[2] = {0x10, 0x7020};
    fault.frameCount = 3;
    std::vector<char> buffer(64 * 1024);
    platform::SafeText text(buffer.data(), buffer.size());
    char details[] = "Product: Pellucor\r\n";
    platform::FormatCrashReport(fault, text, WriteDetails, details);
    const std::string report = platform::DemangleReportNames(std::string(text.Data(), text.Length()));

    platform::ModuleLocation program;
    ASSERT_TRUE(platform::FindModule(fault.address, &program));
    const std::string module = fs::path(program.path).filename().string();
    char head[256];
    std::snprintf(head, sizeof head,
                  "Exception: Access Violation (code 0xc0000005) at address %08lX in thread 2A\r\n"
                  "Data Address: 00000010\r\nModule: %s\r\nLogical Address: %04X:%08lX\r\n\r\n",
                  static_cast<unsigned long>(fault.address), module.c_str(), program.segment,
                  static_cast<unsigned long>(fault.address - program.segmentStart));
    EXPECT_EQ(report.rfind(head, 0), 0u) << report;
    const std::vector<std::string> frames = FrameLines(report);
    ASSERT_EQ(frames.size(), 3u) << report;
    EXPECT_NE(frames[0].find(" crash_chain::Innermost(int volatile*)+0 (" + module + "+"), std::string::npos)
        << frames[0];
    EXPECT_EQ(frames[1].find("crash_chain::Middle"), std::string::npos) << "the caller's, not the next one's";
    EXPECT_EQ(frames[2], "00000010 00007020 0000:00000000 ");
    EXPECT_NE(report.find("\r\n\r\nRAX:0000000000000001 RBX:00AB\r\nFlags:00000246\r\n\r\n"), std::string::npos)
        << report;
    struct utsname names;
    ASSERT_EQ(::uname(&names), 0);
    const std::string os = std::string("OS Ver: ") + names.sysname + " " + names.release + " " + names.version + " " +
                           names.machine + "\r\nProduct: Pellucor\r\n\r\nModules:\r\n";
    const size_t modules = report.find(os);
    ASSERT_NE(modules, std::string::npos) << report;
    // Each module once, from its load address: the program and the C library
    // among them.
    std::map<std::string, int> listed;
    std::istringstream lines(report.substr(modules + os.size()));
    for (std::string line; std::getline(lines, line);)
        ++listed[fs::path(line.substr(line.find(' ') + 1, line.size() - line.find(' ') - 2)).filename().string()];
    EXPECT_EQ(listed[module], 1) << report;
    EXPECT_EQ(listed["libc.so.6"], 1) << report;
    for (const auto& [name, times] : listed)
        EXPECT_EQ(times, 1) << name;

    // No data address but for memory faults; registers that were not taken.
    fault.signal = SIGFPE;
    fault.registerCount = 0;
    text.Clear();
    platform::FormatCrashReport(fault, text);
    const std::string plain(text.Data(), text.Length());
    EXPECT_EQ(plain.find("Data Address"), std::string::npos);
    EXPECT_NE(plain.find("\r\nRegisters: not captured\r\n"), std::string::npos);
    fault.address = 0x10;
    text.Clear();
    platform::FormatCrashReport(fault, text);
    EXPECT_NE(std::string(text.Data()).find("\r\nModule: \r\nLogical Address: 0000:00000000\r\n"),
              std::string::npos);
}

TEST(CrashReportText, UnnamedCodesAndTruncatedBuffersStayWellFormed)
{
    platform::FaultRecord fault;
    fault.code = 0x12345678u;
    fault.address = 0x401000;
    fault.threadId = 0xAB;
    char small[40];
    platform::SafeText text(small, sizeof small);
    platform::FormatExceptionLine(fault, text);
    EXPECT_TRUE(text.Truncated());
    EXPECT_EQ(std::string(text.Data()), "Unknown exception: (code 0x12345678) at");
    char big[256];
    platform::SafeText whole(big, sizeof big);
    platform::FormatExceptionLine(fault, whole);
    EXPECT_EQ(std::string(whole.Data()), "Unknown exception: (code 0x12345678) at address 00401000 in thread AB\r\n");
    platform::SafeText numbers(big, sizeof big);
    numbers.Decimal(INT64_MIN).Char(' ').Hex(UINT64_MAX, 4).Char(' ').Hex(0xA, 4);
    EXPECT_EQ(std::string(numbers.Data()), "-9223372036854775808 FFFFFFFFFFFFFFFF 000A");
}

TEST(ModuleMap, ReadableRangesFollowTheMappings)
{
    int local = 0;
    EXPECT_TRUE(platform::IsReadableRange(reinterpret_cast<uintptr_t>(&local), sizeof local));
    EXPECT_FALSE(platform::IsReadableRange(0, 8));
    EXPECT_FALSE(platform::IsReadableRange(UINTPTR_MAX - 3, 8)); // wraps around
    const long page = ::sysconf(_SC_PAGESIZE);
    void* guarded = ::mmap(nullptr, size_t(page) * 2, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(guarded, MAP_FAILED);
    ::mprotect(static_cast<char*>(guarded) + page, size_t(page), PROT_NONE);
    const auto start = reinterpret_cast<uintptr_t>(guarded);
    EXPECT_TRUE(platform::IsReadableRange(start, size_t(page)));
    EXPECT_FALSE(platform::IsReadableRange(start + uintptr_t(page) - 4, 8)); // runs into the guard
    ::munmap(guarded, size_t(page) * 2);
}

TEST(SymbolLookup, NamesAFunctionOfTheProgramAndRejectsNonsense)
{
    const auto address = reinterpret_cast<uintptr_t>(&platform::testing::RaiseFault);
    platform::ModuleLocation where;
    ASSERT_TRUE(platform::FindModule(address, &where));
    char name[256];
    uintptr_t displacement = 99;
    ASSERT_TRUE(platform::FindSymbol(where.path, where.base, address + 2, name, sizeof name, &displacement));
    EXPECT_NE(std::string(name).find("RaiseFault"), std::string::npos) << name;
    EXPECT_EQ(displacement, 2u);
    // A file that is no ELF file, and one that is missing.
    platform::testing::ScopedTempFolder folder;
    const std::string notElf = folder / "not-elf.bin";
    { std::ofstream(notElf) << std::string(200, 'x'); }
    EXPECT_FALSE(platform::FindSymbol(notElf.c_str(), 0, 0x1000, name, sizeof name, &displacement));
    EXPECT_FALSE(platform::FindSymbol("/no/such/file", 0, 0x1000, name, sizeof name, &displacement));
    EXPECT_STREQ(name, "");
}

} // namespace
