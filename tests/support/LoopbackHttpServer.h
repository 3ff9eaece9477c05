// A tiny scripted server on 127.0.0.1 for tests of network clients. It
// listens on an ephemeral port and serves one scripted answer per accepted
// connection, in order: optionally it first reads the request (up to the
// blank line that ends its headers), then, when the answer is held, waits
// for the test to release it, then sends the answer's pieces, each after
// its delay, then holds the connection open for a while or not, and closes
// it (or resets it).
//
// It stops by itself: after the last scripted connection, when its deadline
// passes, or when the object goes; every wait in it is bounded. It is written
// on the system's sockets, not on the layer under test.
//
// Threads: the server runs its own thread; Requests() and Served() may be
// called from any thread (one mutex guards what they read).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform::testing {

class LoopbackHttpServer {
public:
    struct Piece {
        std::string bytes;
        int delayMs = 0; // before sending
    };
    struct Answer {
        std::vector<Piece> pieces;
        bool readRequest = true; // read the request's headers before answering
        int holdOpenMs = 0;      // after the last piece, before closing; ends early when the client closes
        bool reset = false;      // close with a reset instead of an orderly end
        // The pieces wait for Release() (or the server's deadline): a test
        // looks at its client while the answer surely has not come.
        bool heldUntilReleased = false;
    };
    // A hold for a server that stays silent however slowly the test runs: it
    // ends when the client closes or the server stops.
    static constexpr int kHoldUntilClosed = 600000;

    // A single answer made of one piece.
    static Answer Reply(std::string bytes);

    explicit LoopbackHttpServer(std::vector<Answer> answers, int deadlineMs = 10000);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path = "/") const;
    // The requests read so far, one per connection that read one.
    std::vector<std::string> Requests() const;
    int Served() const { return served_.load(); }
    // Lets the held answers go.
    void Release() { released_.store(true); }
    // Stops and joins the server thread.
    void Stop();

    // A port on 127.0.0.1 on which nothing listens (bound, then released).
    static uint16_t UnusedPort();

private:
    void Serve();
    void Answer1(int fd, const Answer& answer);
    bool Wait(int ms);
    bool AwaitRelease(std::chrono::steady_clock::time_point deadline);
    void HoldOpen(int fd, int ms);

    std::vector<Answer> answers_;
    int deadlineMs_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> released_{false};
    std::atomic<int> served_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_; // guarded by mutex_
    std::thread thread_;
};

// A listener on 127.0.0.1 that accepts nobody and whose queue of pending
// connections is full, so a further connect stays under way until it is
// given up. Ready() is false when the system would not let the queue fill.
class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;

    bool Ready() const { return ready_; }
    uint16_t Port() const { return port_; }

private:
    int listenFd_ = -1;
    uint16_t port_ = 0;
    bool ready_ = false;
    std::vector<int> fillers_;
};

} // namespace platform::testing
