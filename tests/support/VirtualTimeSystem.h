// A time system for tests that jumps from one timer notice to the next
// instead of counting 5 ms passes, so a simulation of thousands of hands
// runs in seconds of real time. Its objects keep the real ones' rules:
// times count in 5 ms steps, a start delay runs before the duration, a tick
// comes each interval and the end of the duration brings a last tick and the
// finish notice. Notices are raised on the thread that advances the time.
//
// Optionally it moves a ManualClock along, so that everything reading the
// process clock (the deck's reseeding) sees the same virtual time.
//
// Threads: one thread (the test's).
#pragma once

#include "platform/core/Clock.h"
#include "timing/ITimeSystem.h"

#include <array>
#include <cstdint>
#include <memory>

namespace testing_support {

class VirtualTimeObject;

class VirtualTimeSystem final : public TimeLibrary::ITimeSystem {
public:
    static constexpr uint32_t kTableSize = 2048;

    explicit VirtualTimeSystem(platform::ManualClock* clock = nullptr);
    ~VirtualTimeSystem() override;

    uint64_t GetTime() override { return now_; }
    TimeLibrary::ITimeObject* CreateTimeObject(TimeLibrary::TimeObjectMessageObserver* observer, int durationMs,
                                               int intervalMs) override;
    void DestroyTimeObject(TimeLibrary::ITimeObject* object) override;

    // Moves time to the next notice (no further than `limitMs` ahead) and
    // raises the notices due then. False, with time unchanged, when no
    // running object has a notice within the limit.
    bool AdvanceToNextNotice(uint64_t limitMs = UINT64_MAX);
    // Moves time `ms` ahead, raising every notice on the way.
    void Advance(uint64_t ms);
    // Running, unpaused objects.
    size_t CountRunning() const;
    size_t CountObjects() const;

private:
    void MoveTime(uint64_t ms);

    uint64_t now_ = 0;
    platform::ManualClock* clock_;
    std::array<std::unique_ptr<VirtualTimeObject>, kTableSize> table_;
    // One past the highest id ever given out: the scans stop there.
    uint32_t highWater_ = 1;
};

} // namespace testing_support
