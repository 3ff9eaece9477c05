#include "framework/app/FramePacer.h"

#include <algorithm>

namespace Zolt {

namespace {

constexpr double kMostInStore = 200.0;
// A held wait that ends this much later than it should was a stall, not the
// system waking the loop a little late.
constexpr double kLateWakeMs = 20.0;
constexpr int kHoldMs = 1000;

// 0 marks "no stamp yet"; a clock that reads 0 counts as 1.
uint32_t Stamp(uint32_t now) { return now == 0 ? 1 : now; }

} // namespace

FramePacer::Step FramePacer::StepFor(bool refreshPaced, int refreshRate, int frameTime, double speed)
{
    if (refreshPaced && refreshRate > 0)
        return Step{(1000.0 / refreshRate) / speed, 1000.0 / (double(frameTime) * refreshRate)};
    return Step{double(frameTime) / speed, 1.0};
}

void FramePacer::Accumulate(uint32_t now)
{
    if (lastStamp_ != 0) {
        const uint32_t elapsed = now - lastStamp_;
        if (heldWait_ > 0 && double(elapsed) > double(heldWait_) + kLateWakeMs) {
            // The held wait ran well over its time: the program stalled,
            // for all anyone knows from the wait's start, and a stall is
            // caught up by 200 ms at most, the wait's own time included.
            stored_ = std::min(stored_ + held_ + double(elapsed), kMostInStore);
            held_ = 0.0;
        } else {
            const double held = std::min(double(elapsed), double(heldWait_));
            held_ += held;
            stored_ = std::min(stored_ + (double(elapsed) - held), kMostInStore);
        }
        if (resetHold_ > 0)
            resetHold_ = std::max(0, resetHold_ - int(elapsed));
    }
    heldWait_ = 0;
    lastStamp_ = Stamp(now);
}

void FramePacer::Reset(uint32_t now, bool hold)
{
    stored_ = 0.0;
    held_ = 0.0;
    heldWait_ = 0;
    lastStamp_ = Stamp(now);
    if (hold)
        resetHold_ = kHoldMs;
}

bool FramePacer::IsUpdateDue(const Step& step, bool pacingActive, bool updatedSinceDraw) const
{
    if (!pacingActive)
        return step.length <= Accumulated();
    if (!updatedSinceDraw)
        return true;
    return double(int(step.length * 0.75)) <= Accumulated();
}

void FramePacer::ConsumeStep(const Step& step, bool pacingActive)
{
    const double used = pacingActive ? step.length + 0.2 : step.length;
    const double fromHeld = std::min(held_, used);
    held_ -= fromHeld;
    stored_ -= used - fromHeld;
    if (pacingActive)
        stored_ = std::max(stored_, 0.0);
    if (resetHold_ > 0) {
        stored_ = 0.0;
        held_ = 0.0;
    }
}

void FramePacer::CountUpdateForPacingCheck(uint32_t now, int frameTime)
{
    const int perSecond = (frameTime + 999) / frameTime;
    if (++pacingUpdates_ < perSecond)
        return;
    if (now - pacingCheckTime_ <= 800) {
        if (++pacingFastChecks_ >= 3)
            pacingBroken_ = true;
    } else {
        pacingFastChecks_ = 0;
    }
    pacingCheckTime_ = now;
    pacingUpdates_ = 0;
}

bool FramePacer::IsPresentDue(uint32_t now, bool changed, bool forced) const
{
    const bool idleAndRecent = !changed && now - lastPresent_ < kIdlePresentMs && !forced;
    const bool tooEarly = int32_t(now - nextPresent_) < 0;
    return !idleAndRecent && !tooEarly;
}

void FramePacer::ScheduleNextPresent(uint32_t end, int paintDuration, bool loading)
{
    if (!loading) {
        nextPresent_ = end;
        return;
    }
    nextPresent_ += uint32_t(std::max(paintDuration, 15) + 35);
    if (int32_t(end - nextPresent_) >= 0)
        nextPresent_ = end;
}

} // namespace Zolt
