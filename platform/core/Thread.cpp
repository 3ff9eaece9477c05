#include "platform/core/Thread.h"

#include <pthread.h>

#include <system_error>

namespace platform {

Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body, ThreadPriority priority, const std::string& name)
{
    if (thread_.joinable())
        return false;
    finished_.store(false);
    priority_.store(priority);
    try {
        thread_ = std::thread([this, body = std::move(body), name] {
            if (!name.empty())
                pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
            body();
            finished_.store(true);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Thread::Join()
{
    if (thread_.joinable() && !IsCurrent())
        thread_.join();
}

uint32_t CurrentThreadId()
{
    static std::atomic<uint32_t> next{1};
    thread_local uint32_t id = next.fetch_add(1);
    return id;
}

} // namespace platform
