// Sending a crash report: the multipart form posted to "/davoru_dirud.php"
// on the configured report server, and the submit thread that carries it.
//
// The transfer itself goes through one function (CrashUploadFunction): the
// framework's HTTP transfer unless another one is set (tests set their own).
//
// Threads: the form is built on the caller's thread. A CrashReportSubmitter
// runs the upload on a thread of its own; its owner polls Finished/Result
// and may Abort; the destructor aborts and joins the thread, so the upload
// never outlives it.
#pragma once

#include "platform/core/Thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Zolt {

constexpr const char* kCrashReportPath = "/davoru_dirud.php";
constexpr const char* kCrashReportBoundary = "---------------------------7d3e1f30eec";

struct CrashReportForm {
    // Further named fields, sent first in this order.
    std::vector<std::pair<std::string, std::string>> fields;
    std::string product;
    std::string version;
    std::string userText;
    std::string errorTitle;
    std::string errorText;
    // A file sent along as "demofile" ("tarnel.dmo"); empty for none. A file
    // that cannot be read (or is larger than kMaxCrashDemoBytes) is left out.
    std::string demoFile;
};

constexpr size_t kMaxCrashDemoBytes = 32u * 1024 * 1024;

// Reads a file of a report (the report, the demo sent with it): a regular
// file only, so that a pipe, a device or a folder put in its place is never
// waited on nor read without end. At most `maxBytes`; `*whole` (when given)
// says whether that was all of it. False, with the errno in `*error` (when
// given), when it cannot be opened or read.
bool ReadCrashFile(const std::string& path, size_t maxBytes, std::string* bytes, bool* whole = nullptr,
                   int* error = nullptr);

struct CrashReportRequest {
    std::string url;     // "http://" + host + path
    std::string request; // head and body, ready to send
};

// Builds the HTTP/1.1 POST for `host` ("name" or "name:port").
CrashReportRequest BuildCrashReportRequest(const std::string& host, const CrashReportForm& form);
// The body alone and the boundary it uses: the fixed boundary, lengthened
// when some value happens to contain it.
std::string BuildCrashReportBody(const CrashReportForm& form, std::string* boundary);

// Sends `request` to `url` and returns the transfer's result code (0 done,
// 3 not found, 4 other status, 5 aborted, 6 socket, 7 name, 8 connect, 9
// send); should end soon after `abort` is raised.
using CrashUploadFunction =
    std::function<int(const std::string& url, const std::string& request, const std::atomic<bool>& abort)>;
// Null puts the HTTP transfer back.
void SetCrashUploadFunction(CrashUploadFunction upload);
CrashUploadFunction GetCrashUploadFunction();
// One Zolt::HTTPTransfer for the request, cancelled when `abort` is raised.
int UploadWithHttpTransfer(const std::string& url, const std::string& request, const std::atomic<bool>& abort);

class CrashReportSubmitter {
public:
    static constexpr int kIdle = 1;
    static constexpr int kPending = 2;

    explicit CrashReportSubmitter(CrashUploadFunction upload);
    ~CrashReportSubmitter();
    CrashReportSubmitter(const CrashReportSubmitter&) = delete;
    CrashReportSubmitter& operator=(const CrashReportSubmitter&) = delete;

    // Starts the upload; false when one is already running or no thread
    // could be had (the result is then 6).
    bool Start(const CrashReportRequest& request);
    bool Finished() const { return result_.load() != kPending; }
    // Waits at most `milliseconds` for the end; true when it ended.
    bool WaitFor(uint32_t milliseconds);
    void Abort() { abort_.store(true); }
    // Waits for the thread to end.
    void Join();
    int Result() const { return result_.load(); }

private:
    CrashUploadFunction upload_;
    platform::Thread thread_;
    std::atomic<bool> abort_{false};
    std::atomic<int> result_{kIdle};
};

} // namespace Zolt
