// The crash service: handlers for the faults that end a program (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT) and for a C++ exception that nobody
// catches (std::terminate). When one comes, the handler, on an alternate
// stack so that a stack overflow is caught too:
//  1. captures the fault (the Windows exception code the report prints,
//     registers, call frames),
//  2. writes the report text into a fixed buffer and the report file,
//     complete or not at all (see CrashReportText.h), then the files the
//     application sends with it (the demo it records),
//  3. starts the report viewer as a separate process (the configured command
//     with the report file's name in the environment variable
//     kCrashReportVariable), because no window can be shown from inside a
//     signal handler,
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

// Starts the configured viewer for the report file, detached; false when no
// viewer is configured or it could not be started. Signal-safe.
bool LaunchCrashViewer();

// The file name to read when this process was started as the viewer of a
// report; empty otherwise.
std::string ReportFileToView();

namespace testing {
// Ends the calling thread's process with a fault of the given kind, for tests
// of the handlers (run in a child process): "segv", "null", "bus", "fpe",
// "ill", "abort", "overflow", "terminate".
[[noreturn]] void RaiseFault(const std::string& kind);
} // namespace testing

} // namespace platform
