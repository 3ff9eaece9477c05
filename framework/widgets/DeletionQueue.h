// Deferred deletion for objects (closed dialogs above all) that may still be
// on the call stack of the loop that closed them. Each object is queued with
// the nesting depth of the loop step that queued it; a deletion pass deletes
// only what was queued at the current depth or deeper, so an object queued by
// the outer loop survives the steps of a nested modal loop and goes at the
// outer loop's next pass.
//
// Main thread only: the application owns one and runs its passes from the
// loop; objects are queued from the same thread.
#pragma once

#include <memory>
#include <vector>

namespace Zolt {

class DeletionQueue {
public:
    DeletionQueue() = default;
    DeletionQueue(const DeletionQueue&) = delete;
    DeletionQueue& operator=(const DeletionQueue&) = delete;
    // Whatever is still queued goes with the queue.
    ~DeletionQueue();

    template <typename T>
    void QueueForDeletion(std::unique_ptr<T> object)
    {
        if (object)
            entries_.push_back(Entry{Owned(object.release(), [](void* p) { delete static_cast<T*>(p); }), depth_});
    }
    // Takes ownership of a plain pointer.
    template <typename T>
    void QueueForDeletion(T* object)
    {
        QueueForDeletion(std::unique_ptr<T>(object));
    }

    // Deletes every entry queued at the current depth or deeper, including
    // those that the deleted objects queue while they go.
    // Runs several times an update, nearly always with nothing queued.
    void ProcessDeletions()
    {
        if (!entries_.empty())
            DeleteDue();
    }

    // The loop-step nesting depth.
    int Depth() const { return depth_; }
    void EnterLoopStep() { ++depth_; }
    void LeaveLoopStep() { --depth_; }
    size_t PendingCount() const { return entries_.size(); }

    // Enters a loop step for the lifetime of the guard.
    class ScopedLoopStep {
    public:
        explicit ScopedLoopStep(DeletionQueue& queue) : queue_(queue) { queue_.EnterLoopStep(); }
        ~ScopedLoopStep() { queue_.LeaveLoopStep(); }
        ScopedLoopStep(const ScopedLoopStep&) = delete;
        ScopedLoopStep& operator=(const ScopedLoopStep&) = delete;

    private:
        DeletionQueue& queue_;
    };

private:
    void DeleteDue();

    using Owned = std::unique_ptr<void, void (*)(void*)>;
    struct Entry {
        Owned object;
        int depth;
    };

    std::vector<Entry> entries_;
    int depth_ = 0;
};

} // namespace Zolt
