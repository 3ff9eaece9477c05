// The loading thread: runs the application's loading once, beside the main
// loop, and tells the loop how far it got. The loop applies the completion
// on the main thread when it sees the loading finished.
//
// Threads: Launch, MarkCompletionApplied, Join and the queries come from the
// main thread; the body runs on the loading thread (or on the main thread
// when no thread can be had). The started, running and finished flags are
// atomic; the thread object itself is touched by the main thread only.
#pragma once

#include "platform/core/Thread.h"

#include <atomic>
#include <functional>

namespace Zolt {

class BackgroundLoader {
public:
    BackgroundLoader() = default;
    // Waits for a body still running.
    ~BackgroundLoader() { Join(); }
    BackgroundLoader(const BackgroundLoader&) = delete;
    BackgroundLoader& operator=(const BackgroundLoader&) = delete;

    // Runs `body` on the loading thread, the first time only; without a
    // thread it is run here and now. False when it was launched before.
    bool Launch(std::function<void()> body);
    bool HasStarted() const { return started_; }
    bool HasFinished() const { return finished_; }
    // Launched and its completion not yet applied.
    bool IsRunning() const { return running_; }
    bool IsCompletionApplied() const { return completionApplied_; }
    // The loop applies the finished loading's completion: the thread is
    // waited for and the loading counts as over.
    void MarkCompletionApplied();
    // Waits for the thread, when there is one.
    void Join();
    // How far the loading got: done / total, at most 1; 0 before it started
    // or without a total; 1 once its completion was applied.
    double Fraction(int done, int total) const;

private:
    platform::Thread thread_;
    std::atomic<bool> started_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> finished_{false};
    bool completionApplied_ = false;
};

} // namespace Zolt
