// Deferred deletion across nested loop steps.
#include "framework/widgets/DeletionQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Zolt::DeletionQueue;

namespace {

struct Tracked {
    Tracked(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    virtual ~Tracked() { log->push_back(name); }
    std::string name;
    std::vector<std::string>* log;
};

} // namespace

TEST(DeletionQueue, AnObjectQueuedByTheOuterLoopSurvivesTheNestedLoop)
{
    std::vector<std::string> deleted;
    DeletionQueue queue;
    DeletionQueue::ScopedLoopStep outer(queue);
    queue.QueueForDeletion(new Tracked("outer", &deleted));
    {
        DeletionQueue::ScopedLoopStep nested(queue);
        queue.QueueForDeletion(std::make_unique<Tracked>("nested", &deleted));
        queue.ProcessDeletions();
        EXPECT_EQ(deleted, (std::vector<std::string>{"nested"}));
        queue.ProcessDeletions();
    }
    EXPECT_EQ(queue.PendingCount(), 1u);
    queue.ProcessDeletions();
    EXPECT_EQ(deleted, (std::vector<std::string>{"nested", "outer"}));
}

TEST(DeletionQueue, ObjectsQueuedByDestructorsAreDeletedInTheSamePass)
{
    std::vector<std::string> deleted;
    DeletionQueue queue;
    struct Chain : Tracked {
        Chain(DeletionQueue* q, std::vector<std::string>* l) : Tracked("first", l), queue(q) {}
        ~Chain() override { queue->QueueForDeletion(new Tracked("second", log)); }
        DeletionQueue* queue;
    };
    queue.QueueForDeletion(new Chain(&queue, &deleted));
    queue.ProcessDeletions();
    EXPECT_EQ(deleted, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(queue.PendingCount(), 0u);

    queue.QueueForDeletion(new Tracked("left over", &deleted));
    {
        DeletionQueue::ScopedLoopStep nested(queue);
        queue.ProcessDeletions();
    }
    EXPECT_EQ(deleted.size(), 2u);
}

TEST(DeletionQueue, WhatIsStillQueuedGoesWithTheQueue)
{
    std::vector<std::string> deleted;
    {
        DeletionQueue queue;
        queue.QueueForDeletion(new Tracked("a", &deleted));
        queue.EnterLoopStep();
        queue.QueueForDeletion(std::unique_ptr<Tracked>());
        EXPECT_EQ(queue.PendingCount(), 1u);
    }
    EXPECT_EQ(deleted, (std::vector<std::string>{"a"}));
}
