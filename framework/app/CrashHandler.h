// The crash handler of the framework. An escaping fault or exception ends in
// the platform's crash service (platform/crash/CrashService.h), which writes
// "crash.txt" from inside its signal handler; this layer gives it the
// application's part of the report, starts the report viewer (this same
// program, started again with the report named in its environment) and
// handles a crash asked for on purpose ("-crash") in full: the application
// hides and silences itself, saves the demo it records and names the file to
// send with the report.
//
// The viewer (CrashReportViewer.h) shows the report, offers to send it when
// a report server is configured, and posts it.
//
// Threads: SetCrashHost, RefreshCrashDetails, SetCrashReportServer and
// AddCrashReportField on the main thread; the signal-time writer reads only
// the snapshot they publish (fixed buffers behind one atomic index).
#pragma once

#include "platform/crash/FaultRecord.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Zolt {

class CrashDemoImage;

// The application's values that the report carries, taken in normal context
// and kept for a crash.
struct CrashSnapshot {
    std::string productName;
    std::string productVersion;
    uint32_t constructionTick = 0; // GetTickCount at construction
    uint32_t mainThreadId = 0;
    // Read at the time of a crash; the application keeps it alive while it
    // is the host.
    const bool* windowedWanted = nullptr;
};

// What the crash handler asks of the application (the application base
// implements it). Every call is made in normal context, never from a signal.
class CrashHost {
public:
    virtual ~CrashHost() = default;
    // Hides the window and silences the music before the report appears.
    virtual void PrepareForCrash() = 0;
    // The application's lines of the report ("Product: ...").
    virtual std::string GetCrashInfo() = 0;
    // Writes the demo being recorded (with its closing padding command) and
    // stops recording and playing; nothing when no demo is recorded.
    virtual void SaveDemoForCrash() = 0;
    // A file to send with the report; empty for none.
    virtual std::string GetCrashDemoFile() = 0;
    // The product version of a program file or library ("" when unknown).
    virtual std::string ReadProductVersion(const std::string& programPath) = 0;
    virtual CrashSnapshot TakeCrashSnapshot() = 0;
};

// The names under which the viewer finds the report's particulars.
constexpr const char* kCrashServerVariable = "PELLUCOR_CRASH_SERVER";
constexpr const char* kCrashProductVariable = "PELLUCOR_CRASH_PRODUCT";
constexpr const char* kCrashVersionVariable = "PELLUCOR_CRASH_VERSION";
constexpr const char* kCrashDemoVariable = "PELLUCOR_CRASH_DEMO";
constexpr const char* kCrashFieldsVariable = "PELLUCOR_CRASH_FIELDS";

// Installs the handlers (also done by a static initialiser at start-up) and
// puts back the previous ones.
void InstallCrashHandler();
void UninstallCrashHandler();

// The application that crash reports describe; null for none (the report
// then has no application part and no demo).
void SetCrashHost(CrashHost* host);
CrashHost* GetCrashHost();
// Takes the host's snapshot and the library versions again and hands the
// crash service its settings; called when the host is set and whenever the
// application's identity changed (after its initialisation).
void RefreshCrashDetails();

// "host" or "host:port" of the report server; empty (the default): none, and
// the report is not offered for sending.
void SetCrashReportServer(const std::string& hostAndPort);
std::string GetCrashReportServer();
// Further named fields sent with a report, in the order added.
void AddCrashReportField(const std::string& name, const std::string& value);
void ClearCrashReportFields();

// Where reports go (default "crash.txt" in the current directory).
void SetCrashReportFile(const std::string& path);

// The recording a fault writes out after its report (null: none), and the
// file a viewer sends with the report ("" for none). The image must stay
// alive while it is set.
void SetCrashDemoImage(CrashDemoImage* image, const std::string& fileToSend);

// A crash asked for on purpose, handled in normal context with everything a
// report can carry; returns the report text. The caller ends the process.
std::string HandleCrash(const platform::FaultRecord& fault);
// "-crash": an access-violation report at the caller, as an unhandled fault
// would give, then the end of the program as a fault ends it
// (TerminateProcess with the code: nothing is torn down).
[[noreturn]] void RaiseCrashReport();
// The text of the last report made by HandleCrash in this process.
std::string LastCrashReport();

// To be called first thing in main. When this process was started as the
// viewer of a report, shows it and returns true (main then ends); otherwise
// lets crashes start this program as their viewer and returns false.
bool RunCrashReportIfRequested();

// Encodes named fields into one environment value and back: name=value
// pairs joined by '&', with '%', '&', '=' and control bytes written as %XX.
std::string EncodeCrashFields(const std::vector<std::pair<std::string, std::string>>& fields);
std::vector<std::pair<std::string, std::string>> DecodeCrashFields(const std::string& text);

} // namespace Zolt
