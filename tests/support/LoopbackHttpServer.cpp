#include "tests/support/LoopbackHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::testing {

namespace {

using Steady = std::chrono::steady_clock;

int ListenOnLoopback(uint16_t* port, int backlog = 8)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackHttpServer::Answer LoopbackHttpServer::Reply(std::string bytes)
{
    Answer answer;
    answer.pieces.push_back({std::move(bytes), 0});
    return answer;
}

LoopbackHttpServer::LoopbackHttpServer(std::vector<Answer> answers, int deadlineMs)
    : answers_(std::move(answers)), deadlineMs_(deadlineMs)
{
    listenFd_ = ListenOnLoopback(&port_);
    if (listenFd_ < 0)
        throw std::runtime_error("the loopback test server cannot listen");
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

std::string LoopbackHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::Stop()
{
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

uint16_t LoopbackHttpServer::UnusedPort()
{
    uint16_t port = 0;
    const int fd = ListenOnLoopback(&port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// Sleeps in short steps; false when told to stop meanwhile.
bool LoopbackHttpServer::Wait(int ms)
{
    const Steady::time_point end = Steady::now() + std::chrono::milliseconds(ms);
    while (Steady::now() < end) {
        if (stop_.load())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, ms)));
    }
    return !stop_.load();
}

// Waits until the test lets a held answer go (or the deadline passes);
// false when told to stop meanwhile.
bool LoopbackHttpServer::AwaitRelease(Steady::time_point deadline)
{
    while (!released_.load() && Steady::now() < deadline) {
        if (stop_.load())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return !stop_.load();
}

// Keeps the connection for `ms`, or until the client closes its end (so
// that the next scripted connection is not kept waiting).
void LoopbackHttpServer::HoldOpen(int fd, int ms)
{
    const Steady::time_point end = Steady::now() + std::chrono::milliseconds(ms);
    char sink[512];
    while (Steady::now() < end && !stop_.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0)
            continue;
        if (::recv(fd, sink, sizeof sink, 0) <= 0)
            return;
    }
}

void LoopbackHttpServer::Serve()
{
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(deadlineMs_);
    for (const Answer& answer : answers_) {
        int client = -1;
        while (client < 0 && !stop_.load() && Steady::now() < deadline) {
            pollfd p{listenFd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (client < 0)
            return;
        Answer1(client, answer);
        served_.fetch_add(1);
    }
}

void LoopbackHttpServer::Answer1(int fd, const Answer& answer)
{
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(deadlineMs_);
    if (answer.readRequest) {
        std::string request;
        char piece[512];
        // Up to the blank line, the peer's end, 64 KiB or the deadline.
        while (request.find("\r\n\r\n") == std::string::npos && request.find("\n\n") == std::string::npos &&
               request.size() < 65536 && !stop_.load() && Steady::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(fd, piece, sizeof piece, 0);
            if (n <= 0)
                break;
            request.append(piece, static_cast<size_t>(n));
        }
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    bool going = !answer.heldUntilReleased || AwaitRelease(deadline);
    for (const Piece& piece : answer.pieces) {
        if (!going || !(going = Wait(piece.delayMs)))
            break;
        size_t sent = 0;
        while (sent < piece.bytes.size()) {
            const ssize_t n = ::send(fd, piece.bytes.data() + sent, piece.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
    }
    if (going)
        HoldOpen(fd, answer.holdOpenMs);
    if (answer.reset) {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(fd);
}

StalledListener::StalledListener()
{
    listenFd_ = ListenOnLoopback(&port_, 0);
    if (listenFd_ < 0)
        return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port_);
    // Connect until one stays under way: the queue is then full.
    for (int i = 0; i < 16 && !ready_; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return;
        fillers_.push_back(fd);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
            continue;
        if (errno != EINPROGRESS)
            return;
        pollfd p{fd, POLLOUT, 0};
        ready_ = ::poll(&p, 1, 100) == 0;
    }
}

StalledListener::~StalledListener()
{
    for (int fd : fillers_)
        ::close(fd);
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

} // namespace platform::testing
