#include "framework/app/CrashReportUpload.h"

#include "framework/app/HTTPTransfer.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

namespace Zolt {

namespace {

std::mutex gUploadMutex;
CrashUploadFunction gUpload;

// A field name goes between quotes in a header line: quotes and line breaks
// in it would end that line early, so they are left out.
std::string SafeFieldName(const std::string& name)
{
    std::string out;
    for (char c : name)
        if (c != '"' && c != '\r' && c != '\n')
            out += c;
    return out;
}

bool ReadDemo(const std::string& path, std::string* bytes)
{
    bool whole = false;
    return ReadCrashFile(path, kMaxCrashDemoBytes, bytes, &whole) && whole;
}

// The fixed boundary, lengthened just past the longest run of 'x' that
// follows it anywhere in the values (a value holding the boundary would end
// its part early). One pass over the values, however they were made: a
// value made of the boundary and many 'x's cannot make this take time in
// the square of its size.
std::string BoundaryFor(const std::vector<const std::string*>& values)
{
    const std::string base = kCrashReportBoundary;
    bool collides = false;
    size_t longestRun = 0;
    for (const std::string* value : values) {
        for (size_t at = value->find(base); at != std::string::npos; at = value->find(base, at + 1)) {
            size_t end = at + base.size();
            while (end < value->size() && (*value)[end] == 'x')
                ++end;
            collides = true;
            longestRun = std::max(longestRun, end - at - base.size());
        }
    }
    return collides ? base + std::string(longestRun + 1, 'x') : base;
}

} // namespace

bool ReadCrashFile(const std::string& path, size_t maxBytes, std::string* bytes, bool* whole, int* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = code != 0 ? code : EIO;
        return false;
    };
    std::FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return fail(errno);
    bytes->clear();
    char chunk[65536];
    // One byte past the limit tells whether there was more.
    while (bytes->size() <= maxBytes) {
        const size_t n = std::fread(chunk, 1, std::min(sizeof chunk, maxBytes + 1 - bytes->size()), file);
        bytes->append(chunk, n);
        if (n == 0)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed)
        return fail(readError);
    if (whole)
        *whole = bytes->size() <= maxBytes;
    if (bytes->size() > maxBytes)
        bytes->resize(maxBytes);
    return true;
}

std::string BuildCrashReportBody(const CrashReportForm& form, std::string* boundaryOut)
{
    std::vector<std::pair<std::string, std::string>> parts = form.fields;
    parts.emplace_back("prod", form.product);
    parts.emplace_back("version", form.version);
    parts.emplace_back("usertext", form.userText);
    parts.emplace_back("errortitle", form.errorTitle);
    parts.emplace_back("errortext", form.errorText);
    std::string demo;
    const bool haveDemo = !form.demoFile.empty() && ReadDemo(form.demoFile, &demo);

    std::vector<const std::string*> values;
    for (const auto& part : parts)
        values.push_back(&part.second);
    if (haveDemo)
        values.push_back(&demo);
    const std::string boundary = BoundaryFor(values);

    std::string body;
    for (const auto& [name, value] : parts) {
        body += "--" + boundary + "\r\n";
        body += "Content-Disposition: form-data; name=\"" + SafeFieldName(name) + "\"\r\n";
        body += "\r\n";
        body += value + "\r\n";
    }
    if (haveDemo) {
        body += "--" + boundary + "\r\n";
        body += "Content-Disposition: form-data; name=\"demofile\"; filename=\"tarnel.dmo\"\r\n";
        body += "Content-Type: application/octet-stream\r\n";
        body += "\r\n";
        body += demo + "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    if (boundaryOut)
        *boundaryOut = boundary;
    return body;
}

CrashReportRequest BuildCrashReportRequest(const std::string& host, const CrashReportForm& form)
{
    std::string boundary;
    const std::string body = BuildCrashReportBody(form, &boundary);
    CrashReportRequest out;
    out.url = "http://" + host + kCrashReportPath;
    out.request = std::string("POST ") + kCrashReportPath + " HTTP/1.1\r\n" +
                  "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n" +
                  "User-Agent: Mozilla/4.0 (compatible; tarnel)\r\n" + "Host: " + host + "\r\n" +
                  "Content-Length: " + std::to_string(body.size()) + "\r\n" + "Connection: close\r\n" + "\r\n" + body;
    return out;
}

void SetCrashUploadFunction(CrashUploadFunction upload)
{
    std::lock_guard<std::mutex> guard(gUploadMutex);
    gUpload = std::move(upload);
}

CrashUploadFunction GetCrashUploadFunction()
{
    std::lock_guard<std::mutex> guard(gUploadMutex);
    if (gUpload)
        return gUpload;
    return UploadWithHttpTransfer;
}

int UploadWithHttpTransfer(const std::string& url, const std::string& request, const std::atomic<bool>& abort)
{
    HTTPTransfer transfer;
    transfer.Submit(url, request);
    while (transfer.IsBusy()) {
        if (abort.load())
            transfer.Cancel();
        platform::Sleep(20);
    }
    return transfer.Outcome();
}

CrashReportSubmitter::CrashReportSubmitter(CrashUploadFunction upload) : upload_(std::move(upload)) {}

CrashReportSubmitter::~CrashReportSubmitter()
{
    Abort();
    Join();
}

bool CrashReportSubmitter::Start(const CrashReportRequest& request)
{
    if (result_.load() == kPending || !upload_)
        return false;
    Join();
    abort_.store(false);
    result_.store(kPending);
    const bool started = thread_.Start([this, request] {
        int result = 6;
        try {
            result = upload_(request.url, request.request, abort_);
        } catch (...) {
            result = 6; // a transfer that failed on its own terms is a socket failure
        }
        if (abort_.load() && result == kPending)
            result = 5;
        result_.store(result == kPending ? 6 : result);
    });
    if (!started)
        result_.store(6);
    return started;
}

bool CrashReportSubmitter::WaitFor(uint32_t milliseconds)
{
    const uint32_t start = platform::GetTickCount();
    while (!Finished()) {
        if (platform::GetTickCount() - start >= milliseconds)
            return false;
        platform::Sleep(10);
    }
    Join();
    return true;
}

void CrashReportSubmitter::Join() { thread_.Join(); }

} // namespace Zolt
