// Deferred deletion across nested loop steps.
#include "framework/widgets/DeletionQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Zolt::DeletionQueue;
using Names = std::vector<std::string>;

namespace {
struct Tracked {
    Tracked(std::string n, Names* l, DeletionQueue* chain = nullptr) : name(std::move(n)), log(l), next(chain) {}
    ~Tracked()
    {
        log->push_back(name);
        if (next) // queues another object while it goes
            next->QueueForDeletion(new Tracked(name + "+", log));
    }
    std::string name;
    Names* log;
    DeletionQueue* next;
};
} // namespace

TEST(DeletionQueue, AnObjectQueuedByTheOuterLoopSurvivesTheNestedLoop)
{
    Names deleted;
    DeletionQueue queue;
    DeletionQueue::ScopedLoopStep outer(queue);
    queue.QueueForDeletion(new Tracked("outer", &deleted));
    {
        DeletionQueue::ScopedLoopStep nested(queue);
        queue.QueueForDeletion(std::make_unique<Tracked>("nested", &deleted, &queue));
        queue.ProcessDeletions();
        EXPECT_EQ(deleted, (Names{"nested", "nested+"}));
    }
    EXPECT_EQ(queue.PendingCount(), 1u);
    queue.ProcessDeletions();
    EXPECT_EQ(deleted, (Names{"nested", "nested+", "outer"}));

    queue.QueueForDeletion(new Tracked("left over", &deleted));
    { DeletionQueue local; local.QueueForDeletion(new Tracked("with the queue", &deleted)); }
    EXPECT_EQ(deleted.back(), "with the queue");
}
