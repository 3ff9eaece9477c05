#include "platform/core/Thread.h"

#include "platform/core/BlockedWait.h"

#include <pthread.h>

#include <system_error>

namespace platform {

Thread::~Thread()
{
    // A thread that owns its own Thread object and deletes it cannot join
    // itself; it is let go instead of taking the process down.
    if (thread_.joinable() && IsCurrent())
        thread_.detach();
    Join();
}

bool Thread::Start(std::function<void()> body, ThreadPriority priority, const std::string& name)
{
    if (thread_.joinable()) {
        if (!finished_->load() || IsCurrent())
            return false;
        thread_.join();
    }
    finished_ = std::make_shared<std::atomic<bool>>(false);
    priority_.store(priority);
    try {
        thread_ = std::thread([finished = finished_, body = std::move(body), name] {
            if (!name.empty())
                pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
            if (body)
                body();
            finished->store(true);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Thread::Join()
{
    if (thread_.joinable() && !IsCurrent()) {
        BlockedWait blocked;
        thread_.join();
    }
}

uint32_t CurrentThreadId()
{
    static std::atomic<uint32_t> next{1};
    thread_local uint32_t id = next.fetch_add(1);
    return id;
}

} // namespace platform
