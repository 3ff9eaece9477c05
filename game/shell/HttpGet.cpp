#include "game/shell/HttpGet.h"

#include "common/TextHelpers.h"
#include "platform/core/Clock.h"
#include "platform/net/Winsock.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace Gamespace {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)";
constexpr int64_t kWaitStepMicros = 20000;

thread_local const std::atomic<bool>* tCancel = nullptr;

bool Cancelled()
{
    return tCancel && tCancel->load();
}

uint64_t NowMicros()
{
    return platform::GetClock().NowMicroseconds();
}

uint64_t DeadlineAfter(uint32_t ms)
{
    return NowMicros() + uint64_t(ms) * 1000;
}

// One socket library start for the length of a call.
class SocketLibrary {
public:
    SocketLibrary()
    {
        platform::WSADATA data;
        started_ = platform::WSAStartup(platform::MakeSocketVersion(1, 1), &data) == 0;
    }
    ~SocketLibrary()
    {
        if (started_)
            platform::WSACleanup();
    }
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

class Socket {
public:
    Socket() : s_(platform::socket(platform::AF_INET, platform::SOCK_STREAM, 0)) {}
    ~Socket()
    {
        if (s_ != platform::INVALID_SOCKET)
            platform::closesocket(s_);
    }
    platform::SOCKET Get() const { return s_; }

private:
    platform::SOCKET s_;
};

enum class WaitResult { Ready, Failed, Expired };

// Waits, in steps, until the socket can be read (or written), fails, the
// deadline passes or the caller's cancel flag is set.
WaitResult AwaitSocket(platform::SOCKET s, bool forWrite, uint64_t deadline)
{
    for (;;) {
        if (Cancelled() || NowMicros() >= deadline)
            return WaitResult::Expired;
        platform::fd_set ready, failed;
        platform::FdZero(&ready);
        platform::FdZero(&failed);
        platform::FdSet(s, &ready);
        platform::FdSet(s, &failed);
        const platform::timeval step{0, long(kWaitStepMicros)};
        const int n = platform::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &step);
        if (n < 0 || platform::FdIsSet(s, &failed))
            return WaitResult::Failed;
        if (n > 0 && platform::FdIsSet(s, &ready))
            return WaitResult::Ready;
    }
}

// The answer of one host lookup, shared between the caller and the thread
// that looks the name up.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<uint32_t> address; // network byte order
};

std::optional<uint32_t> FirstAddress(const std::string& host)
{
    SocketLibrary library;
    if (!library.Started())
        return std::nullopt;
    const platform::hostent* entry = platform::gethostbyname(host.c_str());
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || entry->h_length != 4)
        return std::nullopt;
    uint32_t address = 0;
    std::memcpy(&address, entry->h_addr_list[0], 4);
    return address;
}

// A dotted address needs no lookup. A name is looked up on a thread of its
// own, so that a slow name server never holds the caller past its deadline
// or a cancel: the caller stops waiting, and the lookup ends by itself and
// drops its answer.
std::optional<uint32_t> LookUpHost(const std::string& host, uint64_t deadline)
{
    const platform::u_long literal = platform::inet_addr(host.c_str());
    if (literal != platform::INADDR_NONE)
        return literal;
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host] {
            std::optional<uint32_t> address = FirstAddress(host);
            std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->address = address;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    while (!lookup->finished) {
        if (Cancelled() || NowMicros() >= deadline)
            return std::nullopt;
        lookup->done.wait_for(lock, std::chrono::microseconds(kWaitStepMicros));
    }
    return lookup->address;
}

bool Connect(platform::SOCKET s, uint32_t address, uint16_t port, uint64_t deadline)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
    std::printf("Conecting to %d.%d.%d.%d...", bytes[0], bytes[1], bytes[2], bytes[3]);
    std::fflush(stdout);
    platform::sockaddr_in to{};
    to.sin_family = platform::AF_INET;
    to.sin_port = platform::htons(port);
    to.sin_addr.s_addr = address;
    bool connected = platform::connect(s, reinterpret_cast<const platform::sockaddr*>(&to), sizeof to) == 0;
    if (!connected && platform::WSAGetLastError() == platform::WSAEWOULDBLOCK)
        connected = AwaitSocket(s, true, deadline) == WaitResult::Ready;
    std::printf(connected ? "Ok\n" : "Error\n");
    std::fflush(stdout);
    return connected;
}

bool SendAll(platform::SOCKET s, const std::string& request, uint64_t deadline)
{
    size_t sent = 0;
    while (sent < request.size()) {
        const int n = platform::send(s, request.data() + sent, int(request.size() - sent), 0);
        if (n > 0) {
            sent += size_t(n);
        } else if (platform::WSAGetLastError() != platform::WSAEWOULDBLOCK ||
                   AwaitSocket(s, true, deadline) != WaitResult::Ready) {
            return false;
        }
    }
    return true;
}

// Reads until the server closes the connection (or a receive fails, which
// ends the reply the same way) or the limit is reached. False when the
// server stays silent for the whole time-out or the caller cancels.
bool ReceiveAll(platform::SOCKET s, uint32_t silenceMs, std::string& reply)
{
    char piece[4096];
    uint64_t deadline = DeadlineAfter(silenceMs);
    while (reply.size() < kHttpReplyLimit) {
        const WaitResult ready = AwaitSocket(s, false, deadline);
        if (ready == WaitResult::Expired)
            return false;
        if (ready == WaitResult::Failed)
            return true;
        const int want = int(std::min(sizeof piece, kHttpReplyLimit - reply.size()));
        const int n = platform::recv(s, piece, want, 0);
        if (n == 0 || (n < 0 && platform::WSAGetLastError() != platform::WSAEWOULDBLOCK))
            return true;
        if (n > 0) {
            reply.append(piece, size_t(n));
            deadline = DeadlineAfter(silenceMs);
        }
    }
    return true;
}

} // namespace

bool SplitHttpAddress(const std::string& url, HttpAddress& out)
{
    const std::string scheme = url.substr(0, 7);
    if (scheme != "HTTP://" && scheme != "http://")
        return false;
    const std::string rest = url.substr(7);
    const size_t slash = rest.find('/');
    const size_t colon = rest.find(':');
    HttpAddress address;
    int port = 0; // read as the C library's atoi reads it
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
        address.host = rest.substr(0, colon);
        port = StringToInt(rest.substr(colon + 1, slash == std::string::npos ? std::string::npos : slash - colon - 1));
    } else {
        address.host = rest.substr(0, slash);
    }
    if (address.host.empty() || port < 0 || port > 65535)
        return false;
    address.port = port == 0 ? 80 : uint16_t(port);
    address.path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    out = address;
    return true;
}

std::string HttpRequestText(const HttpAddress& address)
{
    return "GET /" + address.path + " HTTP/1.0\nHost: " + address.host + "\nUser-agent: " + kUserAgent +
           "\nAccept: */*\n\n";
}

std::string HttpGet(const std::string& url, const HttpTimeouts& timeouts)
{
    HttpAddress address;
    if (!SplitHttpAddress(url, address))
        return std::string();
    SocketLibrary library;
    if (!library.Started())
        return std::string();
    const uint64_t connectDeadline = DeadlineAfter(timeouts.connectMs);
    const std::optional<uint32_t> host = LookUpHost(address.host, connectDeadline);
    if (!host)
        return std::string();
    Socket socket;
    platform::u_long nonBlocking = 1;
    if (socket.Get() == platform::INVALID_SOCKET ||
        platform::ioctlsocket(socket.Get(), platform::FIONBIO, &nonBlocking) != 0)
        return std::string();
    if (!Connect(socket.Get(), *host, address.port, connectDeadline))
        return std::string();
    const std::string request = HttpRequestText(address);
    std::printf("%s", request.c_str());
    std::fflush(stdout);
    if (!SendAll(socket.Get(), request, DeadlineAfter(timeouts.sendMs)))
        return std::string();
    std::string reply;
    if (!ReceiveAll(socket.Get(), timeouts.receiveMs, reply))
        return std::string();
    // The reply is text up to its first zero byte.
    return reply.substr(0, reply.find('\0'));
}

HttpCancelScope::HttpCancelScope(const std::atomic<bool>& cancel) : previous_(tCancel)
{
    tCancel = &cancel;
}

HttpCancelScope::~HttpCancelScope()
{
    tCancel = previous_;
}

} // namespace Gamespace
