// The crash service: handlers for the faults that end a program (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT) and for a C++ exception that nobody
// catches (std::terminate). When one comes, the handler, on an alternate
// stack so that a stack overflow is caught too:
//  1. captures the fault (the Windows exception code the report prints,
//     registers, call frames),
//  2. writes the report text into a fixed buffer and the report file,
//     complete or not at all (see CrashReportText.h), or, where that file
//     cannot be written, to standard error; then the files the application
//     sends with it (the demo it records),
//  3. starts the report viewer as a separate process (the configured command
//     with the report file's name in the environment variable
//     kCrashReportVariable, and a report that could not be saved on its
//     standard input), because no window can be shown from inside a signal
//     handler, and waits until the viewer lets it go (it is about to show
//     its window) or has ended: where the viewer only puts the report on the
//     terminal, the program's end comes after all it says, as a script that
//     reads standard error until the exit, or a shell's prompt, expects,
//  4. ends the process with the original signal, so whoever started it sees
//     the crash.
// Inside the handler nothing is allocated, no lock is taken and no stdio is
// used. A fault inside the handler ends the process at once (the crash
// signals stay blocked while it runs, and a blocked fault is fatal); a second
// thread that faults while the first reports waits for it and is ended with
// the process.
//
// Threads: Install, Uninstall and Configure from one thread (the main
// thread at start-up); the handlers run on whichever thread faults. Each
// thread needs its own alternate stack: Install gives one to the calling
// thread, other threads call PrepareCrashStackForThisThread.
#pragma once

#include "platform/crash/CrashReportText.h"
#include "platform/crash/FaultRecord.h"

#include <string>
#include <vector>

namespace platform {

// The environment variable through which the viewer learns the report file.
constexpr const char* kCrashReportVariable = "PELLUCOR_CRASH_REPORT";

struct CrashServiceSettings {
    // Where the report goes; relative names are taken in the current
    // directory at the time of the crash.
    std::string reportFile = "crash.txt";
    // The viewer's argv (argv[0] is the program file to start); empty: none.
    std::vector<std::string> viewerCommand;
    // Further "NAME=value" entries for the viewer's environment.
    std::vector<std::string> viewerEnvironment;
    // The application's part of the report; called inside the signal
    // handler, so it must be signal-safe.
    CrashDetailsWriter details = nullptr;
    void* detailsContext = nullptr;
    // Writes the files that go with the report, after it; called inside the
    // signal handler too, so it must be signal-safe.
    void (*attachments)(void* context) = nullptr;
    void* attachmentsContext = nullptr;
};

// Installs the handlers (or replaces the settings when installed); false
// when the system refused a handler.
bool InstallCrashService(const CrashServiceSettings& settings);
// Puts back the handlers that were there before.
void UninstallCrashService();
bool IsCrashServiceInstalled();
// The settings in force (a copy).
CrashServiceSettings CrashServiceSettingsInForce();

// Gives the calling thread an alternate signal stack (kept for the process).
bool PrepareCrashStackForThisThread();

// Fills `fault` with the calling thread's registers and frames, outside a
// signal: for reports asked for on purpose. `skipFrames` drops that many of
// the innermost frames (the caller's own reporting functions).
void CaptureCurrentThread(FaultRecord& fault, DWORD code, int skipFrames);

// The environment variable that tells the viewer the report could not be
// saved: the errno of the failure. The text then comes on its standard input.
constexpr const char* kCrashUnsavedVariable = "PELLUCOR_CRASH_UNSAVED";

// A report that could not be saved, to hand to the viewer.
struct UnsavedReport {
    const char* text = nullptr;
    size_t length = 0;
    int error = 0; // why it could not be saved; 0: it was
};

// Saves a report as the file `path` (WriteReportFile). Where that fails, the
// report goes to standard error, after a line that says why; the answer then
// says so too, for the viewer. Signal-safe.
UnsavedReport SaveCrashReport(const char* path, const char* text, size_t length);

// Starts the configured viewer for the report file, detached, and waits
// until it lets this process go (ReleaseCrashedProcess) or ends (at most
// kCrashViewerPatienceMs: a viewer that does neither is left to itself);
// false when no viewer is configured or it could not be started. A report
// that could not be saved is handed to it through a pipe on its standard
// input, filled before it starts, so that the viewer never waits for this
// process. Signal-safe.
bool LaunchCrashViewer(const UnsavedReport& unsaved = UnsavedReport{});

// The environment variable that gives the viewer the descriptor through
// which it lets its crashed process go (the writing end of a pipe).
constexpr const char* kCrashReleaseVariable = "PELLUCOR_CRASH_RELEASE";
constexpr int kCrashViewerPatienceMs = 30000;

// In the viewer, before it shows a window, which may stay up long after
// the crashed process should have ended: lets that process end now. Without
// the call it ends once the viewer has. Only the first call does anything
// (it takes the variable away); nothing where the viewer was not started by
// a crash.
void ReleaseCrashedProcess();

// The file name to read when this process was started as the viewer of a
// report; empty otherwise.
std::string ReportFileToView();
// In the viewer: why its report could not be saved (0: it was), and the text
// its crashed process handed over, at most `maxBytes` of it (empty when none
// came).
int ReportSaveError();
std::string ReadHandedOverReport(size_t maxBytes);

namespace testing {
// Ends the calling thread's process with a fault of the given kind, for tests
// of the handlers (run in a child process): "segv", "null", "bus", "fpe",
// "ill", "abort", "overflow", "terminate".
[[noreturn]] void RaiseFault(const std::string& kind);
} // namespace testing

} // namespace platform
