// Moves one visible object in a straight line from a point to a point, either
// in a given time (duration mode) or at a given speed (speed mode, which ends
// on arrival at the target). The time object fires every n ms, n being the
// whole milliseconds the longer axis needs per pixel (at least one 5 ms
// step), and every firing adds one step to the position.
//
// Threads: steps and the end run on the time thread in the time object's
// notices; the setters come from the main thread, also while a move runs.
// `motionLock` guards the motion (points, speed, steps, current position,
// saved motion); it is a leaf lock, never held while the object, the owner,
// the time system or the time object is called. The flags are atomics.
#pragma once

#include "controls/IFactory.h"
#include "controls/IVisibleObject.h"
#include "effects/EffectBase.h"
#include "effects/IEffect.h"

#include <atomic>
#include <mutex>

namespace EffectLibrary {

class State2MoveEffectImpl final : public EffectBase<IState2MoveEffect> {
public:
    // Holds a reference to `object` (when not null) until it is replaced or
    // the effect goes, and gives it back through `factory`: an object whose
    // owner released it first then leaves the screen and the factory's
    // tables instead of staying registered and drawn.
    State2MoveEffectImpl(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem,
                         ControlLibrary::IFactory* factory, ControlLibrary::IVisibleObject* object, int durationMs);
    // Stops a running move (hiding the object when it hides at the end) and
    // gives the object's reference back.
    ~State2MoveEffectImpl() override;

    // IEffect
    void SetDuration(int ms) override;
    // Places the object at the start and shows it (when not paused; a paused
    // start shows it when its delay has run out). False with no object, with
    // equal points, or with neither a duration nor a speed.
    bool Start(bool paused, uint16_t delayMs) override;
    // Ends the move without a notice; hides the object when it hides at the end.
    void Stop() override;
    void SetVisible(bool visible) override;

    // IState2MoveEffect
    void SetSpeed(int pixelsPerSecond) override;
    void ChangeSpeed(int pixelsPerSecond) override;
    void SaveMotion() override;
    void RestoreMotion() override;
    void SetObject(ControlLibrary::IVisibleObject* object) override;
    void SetFrom(int x, int y) override;
    void SetTo(int x, int y) override;
    void SetHideAtEnd(bool hide) override { hideAtEnd_.store(hide); }
    bool HasMoved() override { return moved_.load(); }
    int GetSpeed() override;
    ControlLibrary::IVisibleObject* GetObject() override { return object_.load(); }
    void GetFrom(ControlLibrary::Point* out) override;
    void GetTo(ControlLibrary::Point* out) override;

    // The time object's notices.
    void OnTimerStart(uint32_t id) override;
    void OnTimerTick(uint32_t id) override;
    void OnTimerFinish(uint32_t id) override;

    // For tests: the motion as set up by the last Start.
    float StepX();
    float StepY();

private:
    // Under motionLock: the steps of a move from `from` to `to` in the
    // current mode with the time object's `duration`; returns the step
    // interval for the time object.
    int SetUpSteps(int duration);
    // Gives back the reference held on `object` (null is ignored).
    void GiveBack(ControlLibrary::IVisibleObject* object);

    ControlLibrary::IFactory* const factory_;
    std::mutex motionLock_;
    float totalDistance_ = 0.0f;
    std::atomic<ControlLibrary::IVisibleObject*> object_{nullptr};
    ControlLibrary::Point from_;
    ControlLibrary::Point to_;
    int savedSpeed_ = 0;
    float savedStepX_ = 0.0f;
    float savedStepY_ = 0.0f;
    int speed_ = 0; // pixels per second; 0 = duration mode
    float currentX_ = 0.0f;
    float currentY_ = 0.0f;
    float stepX_ = 0.0f;
    float stepY_ = 0.0f;
    std::atomic<bool> hideAtEnd_{true};
    std::atomic<bool> stopped_{false};
    std::atomic<bool> showOnStart_{false};
    std::atomic<bool> moved_{false};
};

} // namespace EffectLibrary
