// The shell's own small HTTP/1.0 client, with which the start screen fetches
// the version page and the news page: one GET, the whole raw reply (status
// line, headers and body) as text, or "" on any failure.
//
// Every wait has an end: the host lookup and the connection share the
// connect time-out, sending has its own, and receiving ends when the server
// stays silent for the receive time-out. The times are measured on the
// program's clock (platform::GetClock), so a test drives them by hand. A
// thread may hand its calls a cancel flag (HttpCancelScope); once it is set
// the call gives up within one wait step (20 ms) and returns "".
//
// Threads: any thread; a call keeps nothing between calls. The cancel flag
// is the calling thread's own.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace Gamespace {

struct HttpTimeouts {
    uint32_t connectMs = 10000;
    uint32_t sendMs = 10000;
    uint32_t receiveMs = 15000;
};

struct HttpAddress {
    std::string host;
    uint16_t port = 80;
    std::string path; // after the first '/', without it
};

// The largest reply kept; what comes after it is not read.
constexpr size_t kHttpReplyLimit = 1048575;

// "http://" or "HTTP://" (exactly one of the two spellings), a host, an
// optional ":port" (read as a decimal number; 0 or none means 80) and an
// optional "/path". False for another scheme, an empty host or a port
// outside 0..65535.
bool SplitHttpAddress(const std::string& url, HttpAddress& out);
// The request as it goes out: lines ending in a single line feed, the Host
// line without the port.
std::string HttpRequestText(const HttpAddress& address);

std::string HttpGet(const std::string& url, const HttpTimeouts& timeouts = {});

// While it lives, `cancel` being set makes the calling thread's HttpGet give
// up. Scopes nest; the innermost flag counts.
class HttpCancelScope {
public:
    explicit HttpCancelScope(const std::atomic<bool>& cancel);
    ~HttpCancelScope();
    HttpCancelScope(const HttpCancelScope&) = delete;
    HttpCancelScope& operator=(const HttpCancelScope&) = delete;

private:
    const std::atomic<bool>* previous_;
};

} // namespace Gamespace
