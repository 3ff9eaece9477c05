// Hands timer notices from the time thread to the main thread.
//
// The table's state is touched by one thread only, the main thread. The time
// objects of the table and of its players call their observers on the time
// thread while the time system's table lock and the object's own lock are
// held; those observers do nothing but Post here. The main thread drains the
// queue once per frame (GameMgr::ProcessEvents) and runs the table's steps
// there, next to the clicks and the dialog answers. The queue's mutex is a
// leaf: nothing else is locked while it is held, and it is never held while
// a step runs, so it cannot take part in a lock cycle with the time system
// (whose locks the main thread takes when it starts, stops or destroys a time
// object from a step).
//
// Threads: Post from any thread; everything else from the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>

namespace Gamespace {

enum class TimerNotice : uint8_t { Tick, Finish };

// Whoever owns time objects whose notices go through the queue.
class TimerTarget {
public:
    virtual ~TimerTarget() = default;
    // On the main thread: the time object `timerId` ticked or finished.
    virtual void OnQueuedTimer(uint32_t timerId, TimerNotice notice) = 0;
};

class TableEventQueue {
public:
    void Post(TimerTarget* target, uint32_t timerId, TimerNotice notice);
    // Delivers the oldest notice; false when there was none. A notice is
    // taken out before it is delivered, so a step may post, purge or deliver.
    bool DispatchOne();
    // Delivers notices until none is left, notices posted meanwhile included;
    // returns how many.
    size_t DispatchAll();
    // Drops every waiting notice for `target`. Owners call it after they
    // destroyed their time objects (which waits for a running tick pass), so
    // no notice of theirs can arrive afterwards.
    void Purge(TimerTarget* target);
    bool Empty();
    size_t Size();

private:
    struct Event {
        TimerTarget* target;
        uint32_t timerId;
        TimerNotice notice;
    };
    std::mutex mutex_;
    std::deque<Event> events_;
    // The number of events, written under mutex_ with each change and read
    // without it (Empty, Size and the main thread's poll, once an update),
    // so that looking at an empty queue takes no lock.
    std::atomic<size_t> waiting_{0};
};

} // namespace Gamespace
