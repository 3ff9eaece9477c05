// The crash report viewer: runs in a process of its own after a crash (the
// program started again by the crash handler). It reads the report, puts it
// on the clipboard and shows it in the crash window (a report the crashed
// process could not save comes with the reason, and the window says where
// it went instead: to standard error); when a report server is
// configured it offers "Send Report", asks for the user's own words in the
// "Error Details" entry and posts the report on the submit thread, which it
// waits for (at most the given time, then the upload is aborted) and joins.
// A report file that was sent is renamed with kSentReportSuffix, so that the
// next crash does not keep it as an unsent one.
//
// Threads: the viewer's main thread, plus the submit thread while sending.
#pragma once

#include "framework/app/CrashReportUpload.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Zolt {

struct CrashViewerInput {
    std::string reportFile;
    // Why the report could not be saved as reportFile (an errno; 0: it was),
    // and then its text as the crashed process handed it over.
    int saveError = 0;
    std::string handedOver;
    std::string server;
    std::string product;
    std::string version;
    std::string demoFile;
    std::vector<std::pair<std::string, std::string>> fields;
};

// What the crash handler passed in the environment (and, for a report it
// could not save, on standard input).
CrashViewerInput ReadCrashViewerInput();

struct CrashViewerOutcome {
    bool reportRead = false;
    bool sent = false;     // an upload was started
    int uploadResult = CrashReportSubmitter::kIdle;
};

// The longest report the viewer reads; the rest is cut off.
constexpr size_t kMaxViewedReportBytes = 4u * 1024 * 1024;

CrashViewerOutcome RunCrashViewer(const CrashViewerInput& input, const CrashUploadFunction& upload,
                                  uint32_t uploadTimeoutMs = 60000);

} // namespace Zolt
