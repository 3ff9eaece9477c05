// A thread of the program. Priorities are recorded (Linux gives ordinary
// processes no real-time priorities) so that code and tests can see what was
// asked for.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform {

enum class ThreadPriority { Idle = -15, Lowest = -2, BelowNormal = -1, Normal = 0, AboveNormal = 1, Highest = 2, TimeCritical = 15 };

class Thread {
public:
    Thread() = default;
    ~Thread(); // joins a thread still running
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread; false when a thread is still running
    // or the system refused one. A finished thread is joined first, so the
    // object can be started again.
    bool Start(std::function<void()> body, ThreadPriority priority = ThreadPriority::Normal,
               const std::string& name = {});
    // Waits for the thread to end; no effect when none was started.
    void Join();
    bool Joinable() const { return thread_.joinable(); }
    bool Finished() const { return finished_->load(); }
    bool IsCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }

    void SetPriority(ThreadPriority priority) { priority_.store(priority); }
    ThreadPriority GetPriority() const { return priority_.load(); }

private:
    std::thread thread_;
    // Shared with the running body, which may outlive this object when the
    // thread deletes its own Thread.
    std::shared_ptr<std::atomic<bool>> finished_ = std::make_shared<std::atomic<bool>>(false);
    std::atomic<ThreadPriority> priority_{ThreadPriority::Normal};
};

// A small number that names the calling thread, as GetCurrentThreadId.
uint32_t CurrentThreadId();

} // namespace platform
