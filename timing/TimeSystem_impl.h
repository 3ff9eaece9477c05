// The time system: a fixed table of 2048 time-object entries (entry 0 never
// used, so ids run 1..2047) and the time thread that advances every running
// object once per 5 ms pass.
//
// Threads and locks, always taken in this order:
// - `lifeLock`: held by the time thread for as long as its loop runs, so that
//   StopTicking can wait for the loop's end;
// - `tableLock`: guards the table and the graveyard, and is held for a whole
//   advance pass; creation and destruction from any thread take it, so they
//   never overlap a pass;
// - each time object's own lock (see TimeObject_impl).
// Notices run on the time thread under the table lock and the object's lock;
// both are recursive, so observers may create, start, stop and destroy time
// objects from a notice. An object destroyed from one of its own notices
// leaves the table at once and is freed when that notice has returned.
//
// The life calls (StartTicking, StopTicking, DestroyAllTimeObjects, the
// destructor) come from the kernel on the main thread.
//
// The time thread passes only when a pass has something to notice. After a
// pass it dozes over the passes that would raise no notice (those before the
// earliest next notice of the objects running unpaused), and while no object
// runs unpaused it rests until woken. `stepsWanted` wakes it early: an
// object's start, pause or unpause, a change of its times, and StopTicking.
// On waking it counts the passes the doze stood for, books them on every
// object that dozed (SkipQuietSteps) and on the clock, and passes on from
// there. So what the objects and GetTime see is what a pass every 5 ms would
// give: the same notices after the same number of passes, and the same clock
// (GetTime counts the dozing passes too); only the idle wake-ups are gone.
#pragma once

#include "platform/core/CriticalSection.h"
#include "platform/core/Thread.h"
#include "timing/ITimeSystem.h"
#include "timing/TickPacer.h"
#include "timing/TimeObject_impl.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace TimeLibrary {

class TimeSystem_impl final : public ITimeSystem {
public:
    static constexpr uint32_t kTableSize = 2048;
    static constexpr int kPassMs = 5;

    // Raises the system timer resolution to 1 ms for the system's life.
    TimeSystem_impl();
    // Stops the time thread if it still runs, frees every object, and lowers
    // the timer resolution again.
    ~TimeSystem_impl() override;
    TimeSystem_impl(const TimeSystem_impl&) = delete;
    TimeSystem_impl& operator=(const TimeSystem_impl&) = delete;

    uint64_t GetTime() override;
    ITimeObject* CreateTimeObject(TimeObjectMessageObserver* observer, int durationMs, int intervalMs) override;
    void DestroyTimeObject(ITimeObject* object) override;

    // Frees every object without a notice.
    void DestroyAllTimeObjects();

    // Starts the time thread (highest priority) with the clock at 0. False
    // when a thread already runs, when there is no usable performance counter
    // or when no thread could be started.
    bool StartTicking();
    // Ends the time thread and waits until it has left its loop. Called from
    // a notice on the time thread itself, it only asks the loop to end after
    // the current pass; a later call from another thread then reaps it.
    void StopTicking();
    bool IsTicking() const { return running_.load(); }
    // The time thread dozes or rests rather than passing (see above).
    bool IsAsleep() const { return restingSince_.load() != 0; }
    // The time thread rests while no object runs unpaused.
    bool IsResting() const { return IsAsleep() && restingUntilWoken_.load(); }
    // How long from now until the next pass that raises a notice begins, in
    // whole milliseconds rounded up: reckoned from the last pass and the
    // fewest quiet steps of the objects running unpaused, so it is never
    // later than that pass (it may be earlier, when a doze has just ended or
    // an object was started since). 0 when that pass is due now or overdue;
    // kNoNoticeDue while no object runs unpaused (nothing is due until one
    // is started, and a start is the starter's own doing). Any thread; takes
    // the table lock.
    static constexpr int64_t kNoNoticeDue = -1;
    int64_t MillisecondsToNextNotice();
    // What the time thread asked for itself (Normal when none was started).
    platform::ThreadPriority TickThreadPriority() const;

    // One advance pass: every running, unpaused object in table order moves
    // one step; then the clock moves 5 ms. (An object started earlier in the
    // table during the pass is not stepped, but its start has set the wake
    // event, so the doze after the pass ends at once.)
    void TickAll();
    // One whole pass of the time thread's loop without its doze: the advance
    // pass, then the paced wait to the end of the period, then the overrun
    // bookkeeping. Tests call it on their own thread (while no time thread
    // runs) to drive the loop under a test clock. False when there is no
    // usable performance counter.
    bool RunPass();

private:
    void ThreadMain();
    // The time thread's sleep after the pass that began at `passStart`: to
    // the end of its period and over the quiet passes after it, or, while no
    // object steps, until woken; then the dozing objects and the clock catch
    // up on the passes it stood for. False, having slept not at all, when the
    // next pass raises a notice.
    bool Doze(int64_t passStart);
    // The sleep to the end of the period of the pass that began at `start`,
    // and the overrun bookkeeping.
    void FinishPeriod(int64_t start);
    // Under tableLock: the fewest quiet steps among the objects running
    // unpaused (kNoStep when there is none, at most kMaxDozePasses); when it
    // is not 0, marks those objects as dozing.
    int64_t MarkDozers();
    // Under tableLock: the fewest quiet steps among the objects running
    // unpaused, kNoStep when there is none.
    int64_t FewestQuietSteps();
    // Books `passes` passes on every dozing object, and ends their doze.
    void WakeDozers(int64_t passes);
    // Waits on `stepsWanted` until `passes` passes from `since` are over
    // (kNoStep: until woken); true when woken before.
    bool SleepFor(int64_t since, int64_t passes);
    static constexpr int64_t kNoStep = -1;
    // The longest doze in passes (a minute): a bound, so that waits in
    // milliseconds stay small numbers.
    static constexpr int64_t kMaxDozePasses = 12000;
    // The passes of 5 ms in `counts` performance-counter units.
    uint64_t PassesIn(int64_t counts) const;
    // Under tableLock: takes the object out of its entry and frees it, or,
    // when one of its notices is running, parks it until that has returned.
    void Discard(uint32_t entry);
    // Under tableLock: lowers usedEnd_ past the empty entries at its top.
    void TrimUsedEnd();
    bool EnsurePacer();
    bool OnTickThread() const;

    std::atomic<bool> running_{false};
    std::atomic<uint64_t> clock_{0};
    // Counter reading at the start of the last advance pass (0 before the
    // first); written under tableLock.
    int64_t lastPassAt_ = 0;
    // Counter reading at which the current rest began; 0 while passing.
    std::atomic<int64_t> restingSince_{0};
    // The current sleep is a rest (no object steps), not a doze.
    std::atomic<bool> restingUntilWoken_{false};
    // The most passes the current sleep stands for.
    std::atomic<uint64_t> dozeLimit_{UINT64_MAX};
    int64_t countsPerPass_ = 1;
    platform::Event stepsWanted_;
    std::array<std::unique_ptr<TimeObject_impl>, kTableSize> table_;
    // One past the highest entry in use (1 while the table is empty). A
    // still screen runs two or three objects, yet every pass, doze and
    // next-notice question looked through all 2048 entries; the walks stop
    // here instead. Loops read it afresh at every step, so an object created
    // or destroyed from a notice during a walk is seen as before.
    uint32_t usedEnd_ = 1;
    // Objects destroyed from their own notices, freed at the end of the pass.
    std::vector<std::unique_ptr<TimeObject_impl>> graveyard_;
    platform::CriticalSection tableLock_;
    platform::CriticalSection lifeLock_;
    // Owned by the loop's thread while it runs.
    std::unique_ptr<TickPacer> pacer_;
    // Whether the clock moves while the time thread waits on an event (not
    // so for a test's manual clock); found at the thread's first doze.
    enum class ClockKind { Unknown, Moves, StandsStill };
    ClockKind clockMovesWhileWaiting_ = ClockKind::Unknown;
    // Null when no time thread exists.
    std::unique_ptr<platform::Thread> thread_;
    // Set by the time thread itself, so it can tell a stop from its own
    // notice (which must not wait for itself) from a stop from outside.
    std::atomic<uint32_t> tickThreadId_{0};
};

// The one time system of the process. Creating a new one first destroys the
// one that exists, so a second start of the kernel never leaks the first.
TimeSystem_impl* CreateTimeSystem();
TimeSystem_impl* GetTimeSystem();
void DestroyTimeSystem();

} // namespace TimeLibrary
