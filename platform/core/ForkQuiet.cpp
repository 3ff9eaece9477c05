#include "platform/core/ForkQuiet.h"

#include "platform/core/BlockedWait.h"
#include "platform/core/Testing.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

namespace platform {

namespace {

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    int working = 0; // ForkUnsafeWork standing, on every thread; guarded by mutex
    int quiets = 0;  // ForkQuiet standing, on every thread; guarded by mutex
    // The work a test holds (testing::HoldForkUnsafeWork), until it is
    // released. Guarded by mutex.
    std::string holdName;
    bool released = false;
};

// Never destroyed: a detached thread may still work after the statics go.
Gate& TheGate()
{
    static Gate* gate = new Gate();
    return *gate;
}

// This thread's own work and quiets, which it never waits for.
thread_local int tWorking = 0;
thread_local int tQuiets = 0;

// Lock-free, so that a fork handler in a child may read it.
std::atomic<bool> gHeld{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

ForkUnsafeWork::ForkUnsafeWork(std::string_view name)
{
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> lock(gate.mutex);
    // Work nested in work already under way goes on: a quiet waits for the
    // outer one anyway.
    if (tWorking == 0 && gate.quiets > tQuiets) {
        const BlockedWait blocked;
        gate.changed.wait(lock, [&] { return gate.quiets == tQuiets; });
    }
    ++gate.working;
    ++tWorking;
    if (!gate.holdName.empty() && gate.holdName == name) {
        gate.holdName.clear();
        gHeld.store(true);
        gate.changed.wait(lock, [&] { return gate.released || gate.quiets > tQuiets; });
        gHeld.store(false);
    }
}

ForkUnsafeWork::~ForkUnsafeWork()
{
    Gate& gate = TheGate();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        --gate.working;
        --tWorking;
    }
    gate.changed.notify_all();
}

ForkQuiet::ForkQuiet()
{
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> lock(gate.mutex);
    ++gate.quiets;
    ++tQuiets;
    if (gate.working > tWorking) {
        gate.changed.notify_all(); // a held work lets go now
        const BlockedWait blocked;
        gate.changed.wait(lock, [&] { return gate.working == tWorking; });
    }
}

ForkQuiet::~ForkQuiet()
{
    Gate& gate = TheGate();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        --gate.quiets;
        --tQuiets;
    }
    gate.changed.notify_all();
}

namespace testing {

void HoldForkUnsafeWork(std::string_view name)
{
    Gate& gate = TheGate();
    std::lock_guard<std::mutex> lock(gate.mutex);
    gate.holdName = name;
    gate.released = false;
}

bool ForkUnsafeWorkHeld() { return gHeld.load(); }

void ReleaseForkUnsafeWork()
{
    Gate& gate = TheGate();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.holdName.clear();
        gate.released = true;
    }
    gate.changed.notify_all();
}

} // namespace testing

} // namespace platform
