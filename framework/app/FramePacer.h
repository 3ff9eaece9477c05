// The clock arithmetic of the main loop: how long a timing step lasts and
// how many logic updates it stands for, the wall time not yet consumed by
// updates (at most 200 ms, so a stall is caught up by at most 20 updates at
// the default frame time; a wait the loop chose while its updates were held
// is stored in full when it ends on time, and counts as a stall, held time
// and all, when it runs well over), the fractional updates owed in refresh-paced
// mode, the check that switches refresh pacing off for good when logic runs
// fast three seconds in a row, and the times of the presents: an idle screen
// is still presented once a second, and while loading, presents are spaced
// by the paint time (15 ms at least) plus 35 ms.
//
// Times are timeGetTime milliseconds, given by the caller.
//
// Threads: main thread (the loop), except that the display may break pacing
// from any thread (an atomic flag).
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

namespace Zolt {

class FramePacer {
public:
    // A screen that stands still is still presented this often.
    static constexpr uint32_t kIdlePresentMs = 1000;
    // A timing step: its length in milliseconds, and the logic updates it
    // stands for (1 unless refresh-paced).
    struct Step {
        double length = 0.0;
        double updates = 1.0;
    };
    // With refresh pacing (and a known refresh rate) a step is one display
    // refresh; otherwise one frame time. Both shrink as the speed grows.
    static Step StepFor(bool refreshPaced, int refreshRate, int frameTime, double speed);

    explicit FramePacer(uint32_t now) : lastPresent_(now), nextPresent_(now) {}

    // ---- Catching up ----
    // Adds the time since the last call (at most 200 ms in store, besides
    // the time of a held wait, below).
    void Accumulate(uint32_t now);
    // The loop is about to wait up to `ms` with its updates held (the screen
    // stands still): of the time until the next accumulation, up to `ms` is
    // stored in full, beyond the 200 ms, so that every update held is run on
    // waking. A wait that runs well over its `ms` was a stall: what is then
    // stored is 200 ms at most in all, as after any stall.
    void NoteHeldWait(int ms) { heldWait_ = ms; }
    // After a held wait, whether it ran its time or a message ended it: the
    // updates that came due during it run before the loop looks for
    // messages again, as they would have run before anything that came at
    // or after its end, had the loop not held them. Cleared once none is due.
    void SetHeldUpdatesFirst(bool first) { heldUpdatesFirst_ = first; }
    bool HeldUpdatesFirst() const { return heldUpdatesFirst_; }
    // Drops what is in store; with hold, for a second after this every step
    // drops it again.
    void Reset(uint32_t now, bool hold);
    double Accumulated() const { return stored_ + held_; }
    // The next update is due: the time in store has reached the step length
    // (with pacing active, three quarters of it after an update, and always
    // before the first update since a draw).
    bool IsUpdateDue(const Step& step, bool pacingActive, bool updatedSinceDraw) const;
    // Whole milliseconds until the next update is due, rounded up (0 or
    // less: now): the loop sleeps through the part of a millisecond a step
    // of a fractional length (a refresh, a changed speed) leaves, rather
    // than spin until the clock turns.
    int TimeToNextUpdate(const Step& step) const { return int(std::ceil(step.length - Accumulated())); }
    // A step's updates ran: its time comes out of store.
    void ConsumeStep(const Step& step, bool pacingActive);
    // The updates of a paced step beyond the one that ran are owed.
    void OweExtraUpdates(const Step& step) { owed_ += step.updates - 1.0; }
    bool HasOwedUpdate() const { return owed_ >= 1.0; }
    void PayOwedUpdate() { owed_ -= 1.0; }

    // ---- Refresh pacing ----
    // One update ran at normal speed: once per second's worth of updates,
    // checks whether that second passed too fast.
    void CountUpdateForPacingCheck(uint32_t now, int frameTime);
    bool IsPacingBroken() const { return pacingBroken_; }
    void BreakPacing() { pacingBroken_ = true; }

    // ---- Presents ----
    // A paint has just finished: whether to present it.
    bool IsPresentDue(uint32_t now, bool changed, bool forced) const;
    uint32_t LastPresent() const { return lastPresent_; }
    // Milliseconds until a screen that stands still is presented all the
    // same (0 or less: now).
    int TimeToIdlePresent(uint32_t now) const { return int(int32_t(lastPresent_ + kIdlePresentMs - now)); }
    void NotePresentStart(uint32_t now) { lastPresent_ = now; }
    // After a present that ended at `end` and painted for `paintDuration`.
    void ScheduleNextPresent(uint32_t end, int paintDuration, bool loading);

private:
    // The time in store: what came while updates ran on time (at most
    // 200 ms), and what came during held waits (consumed first).
    double stored_ = 0.0;
    double held_ = 0.0;
    int heldWait_ = 0;
    bool heldUpdatesFirst_ = false;
    // 0 until the first accumulation.
    uint32_t lastStamp_ = 0;
    int resetHold_ = 0;
    double owed_ = 0.0;
    std::atomic<bool> pacingBroken_{false};
    int pacingUpdates_ = 0;
    uint32_t pacingCheckTime_ = 0;
    int pacingFastChecks_ = 0;
    uint32_t lastPresent_;
    uint32_t nextPresent_;
};

} // namespace Zolt
