#include "game/table/TableEventQueue.h"

#include <algorithm>

namespace Gamespace {

void TableEventQueue::Post(TimerTarget* target, uint32_t timerId, TimerNotice notice)
{
    std::lock_guard<std::mutex> guard(mutex_);
    events_.push_back(Event{target, timerId, notice});
    waiting_.store(events_.size(), std::memory_order_release);
}

bool TableEventQueue::DispatchOne()
{
    if (waiting_.load(std::memory_order_acquire) == 0)
        return false;
    Event event{};
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (events_.empty())
            return false;
        event = events_.front();
        events_.pop_front();
        waiting_.store(events_.size(), std::memory_order_release);
    }
    event.target->OnQueuedTimer(event.timerId, event.notice);
    return true;
}

size_t TableEventQueue::DispatchAll()
{
    size_t count = 0;
    while (DispatchOne())
        ++count;
    return count;
}

void TableEventQueue::Purge(TimerTarget* target)
{
    std::lock_guard<std::mutex> guard(mutex_);
    events_.erase(std::remove_if(events_.begin(), events_.end(),
                                 [target](const Event& event) { return event.target == target; }),
                  events_.end());
    waiting_.store(events_.size(), std::memory_order_release);
}

bool TableEventQueue::Empty() { return Size() == 0; }

size_t TableEventQueue::Size() { return waiting_.load(std::memory_order_acquire); }

} // namespace Gamespace
