// A minutes-and-seconds clock written into a text object once a second,
// counting up from 0 or down from its duration.
//
// Threads: the clock steps on the time thread in the time object's notices;
// the setters come from the main thread. The text object, the count and the
// place are atomics; the effect takes no lock of its own.
#pragma once

#include "controls/IStringVO.h"
#include "effects/EffectBase.h"
#include "effects/IEffect.h"

#include <atomic>
#include <string>

namespace EffectLibrary {

class TimerEffectImpl final : public EffectBase<ITimerEffect> {
public:
    // `text` is not referenced; it may be null and set later.
    TimerEffectImpl(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem,
                    ControlLibrary::IStringVO* text, int durationMs);
    ~TimerEffectImpl() override;

    // IEffect
    // The duration of a timed clock; the clock steps every 1000 ms.
    void SetDuration(int ms) override;
    // A count-down starts at the duration's whole seconds, a count-up (or an
    // endless clock) at 0. The time object's answer.
    bool Start(bool paused, uint16_t delayMs) override;
    void Stop() override { timeObject_->Stop(); }
    void SetVisible(bool visible) override;

    // ITimerEffect
    void SetTextObject(ControlLibrary::IStringVO* text) override;
    void SetCountDown(bool countDown) override { countDown_.store(countDown); }
    // Ignored while no text object is set.
    void SetPosition(int x, int y) override;
    void SetEndless(bool endless) override;

    void OnTimerStart(uint32_t id) override;
    void OnTimerTick(uint32_t id) override;
    void OnTimerFinish(uint32_t id) override;

    // "mm : ss", minutes with at least two digits.
    static std::string FormatClock(uint16_t seconds);

private:
    bool CountsDown() const;

    std::atomic<ControlLibrary::IStringVO*> text_{nullptr};
    std::atomic<bool> countDown_{false};
    std::atomic<uint16_t> seconds_{0};
    std::atomic<int> x_{0};
    std::atomic<int> y_{0};
};

} // namespace EffectLibrary
