// One HTTP request sent over a TCP socket on a worker thread of its own; the
// reply body is collected as it arrives. The caller builds the whole request
// text and hands it over with the URL; it then polls Outcome() or waits with
// BlockUntilDone(). The transfer takes part in demos: while one is recorded,
// every change of the result is written into the demo stream; while one
// plays, no socket is opened and the result and reply come from the stream
// (see HTTPTransferDemoLink).
//
// Threads: Submit, SetupFromUrl, Launch, Recycle, Outcome, BlockUntilDone,
// SyncState and the destructor run on the owning thread (the main thread).
// The worker runs the exchange and writes the result, the flags and the
// content. The result and the flags are atomics; the content is guarded by
// contentLock_. The request, URL parts and port are written only while no
// worker runs, and read by the worker. The destructor and Recycle stop and
// join the worker before anything it uses goes away.
#pragma once

#include "framework/app/HTTPTransferReply.h"
#include "platform/core/Thread.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace Zolt {

class HTTPTransfer {
public:
    // Result codes; their numbers travel through demo streams.
    enum Result : int {
        kFinished = 0,      // body received
        kIdle = 1,          // nothing requested yet
        kPending = 2,       // set up and running
        kNotFound = 3,      // status 404
        kBadStatus = 4,     // a status other than 200
        kAborted = 5,       // cancelled by the caller
        kSocketFailure = 6, // no socket, or the wait on it or a receive failed
        kHostNotFound = 7,  // the host name could not be resolved
        kConnectFailed = 8, // the connection failed
        kSendFailed = 9,    // sending failed
        kBadReply = 10,     // the reply was malformed, too large or cut short
    };

    // The demo command that carries a result.
    static constexpr int kDemoCommand = 17;
    // The longest body kept; a larger reply ends with kBadReply.
    static constexpr size_t kMaxContentLength = HTTPTransferReply::kDefaultMaxBody;
    // A whole exchange must be over within this many milliseconds, plus one
    // for every 32 bytes of the request (a large upload on a slow line), or
    // it ends with kSocketFailure: a silent or trickling server cannot keep
    // the worker for ever.
    static constexpr uint32_t kBaseDeadlineMs = 60'000;

    HTTPTransfer();
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // SetupFromUrl(url), the request text, Launch.
    void Submit(const std::string& url, const std::string& request);
    // Recycle, a new transfer id, the URL split into scheme, host, port and
    // path; result pending.
    void SetupFromUrl(const std::string& url);
    // Starts the worker; while a demo plays, only marks the transfer busy
    // (the stream supplies the result).
    void Launch();
    // Stops a running worker, then back to idle with a new transfer id.
    void Recycle();
    // Asks the worker to stop; it ends with kAborted within one wait step.
    void Cancel();
    // Sets the result and makes the worker stop at its next check.
    void FinishWith(int code);
    // Waits (20 ms steps) while the worker runs.
    void BlockUntilDone();
    // The demo exchange, then the result.
    int Outcome();
    // Records a changed result, or takes a recorded one, through the demo link.
    void SyncState();
    // Worker: waits until the socket is readable or writable, 100 ms per
    // select, until exit is set. False (after FinishWith(kSocketFailure)) when
    // the wait fails, the socket reports an error or the deadline passed.
    bool AwaitSocket(bool forRead, bool forWrite);

    int TransferId() const { return transferId_; }
    bool IsBusy() const { return busy_.load(); }
    const std::string& Url() const { return url_; }
    const std::string& Scheme() const { return scheme_; }
    const std::string& Host() const { return host_; }
    int Port() const { return port_; }
    const std::string& Path() const { return path_; }
    // The body received so far.
    std::string Content() const;
    // The last Content-Length seen.
    int ExpectedLength() const { return expectedLength_.load(); }
    // Why the last reply was refused, for the debug output; empty when it was not.
    std::string Problem() const;

private:
    void Run();
    // The socket is a platform::SOCKET (Winsock.h stays out of this header:
    // its names clash with the system's socket macros).
    void Exchange(uintptr_t s);
    void SendRequest(uintptr_t s);
    void ReceiveReply(uintptr_t s);
    void AppendContent(const std::string& piece);
    void SetProblem(const std::string& problem);

    int32_t transferId_ = 0;
    std::atomic<uintptr_t> socket_{0}; // the worker's socket; 0 when closed
    std::string request_;
    std::string url_;
    std::string scheme_;
    std::string host_;
    int port_ = 80;
    std::string path_;
    std::atomic<int> expectedLength_{0};
    mutable std::mutex contentLock_;
    std::string content_; // guarded by contentLock_
    std::string problem_; // guarded by contentLock_
    std::atomic<bool> busy_{false};
    std::atomic<bool> threadRunning_{false};
    std::atomic<bool> exit_{false};
    std::atomic<bool> abort_{false};
    std::atomic<int> result_{kIdle};
    int lastRecordedResult_ = kIdle; // owning thread only
    uint32_t startTick_ = 0;         // worker only: when its exchange began
    platform::Thread thread_;
};

} // namespace Zolt
