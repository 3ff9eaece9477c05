// The effects that animate visible objects: the common operations of every
// effect and the four kinds. Every effect owns one time object and does its
// work in that object's callbacks; it reports to its owner by id through
// EffectMessageObserver.
//
// Threads: created, started and destroyed from the main thread or from timer
// callbacks; the work runs on the time thread.
#pragma once

#include "controls/Point.h"

#include <cstdint>

namespace ControlLibrary {
class IVisibleObject;
class IStringVO;
} // namespace ControlLibrary

namespace EffectLibrary {

class IEffect {
public:
    virtual ~IEffect() = default;
    virtual uint32_t GetId() = 0;
    virtual void SetDuration(int ms) = 0;
    virtual bool Start(bool paused, uint16_t delayMs) = 0;
    virtual void SetPaused(bool paused) = 0;
    // Stops without a notice.
    virtual void Stop() = 0;
    virtual bool IsRunning() = 0;
    virtual void SetVisible(bool visible) = 0;
    // A free value for the owner; the effect only keeps it.
    virtual void SetUserValue(uint32_t value) = 0;
    virtual uint32_t GetUserValue() = 0;
};

// Moves one object from a point to a point, in a given time (duration mode)
// or at a given speed (speed mode, ending on arrival).
class IState2MoveEffect : public IEffect {
public:
    virtual void SetSpeed(int pixelsPerSecond) = 0;
    virtual void ChangeSpeed(int pixelsPerSecond) = 0;
    virtual void SaveMotion() = 0;
    virtual void RestoreMotion() = 0;
    virtual void SetObject(ControlLibrary::IVisibleObject* object) = 0;
    virtual void SetFrom(int x, int y) = 0;
    virtual void SetTo(int x, int y) = 0;
    virtual void SetHideAtEnd(bool hide) = 0;
    virtual bool HasMoved() = 0;
    virtual int GetSpeed() = 0;
    virtual ControlLibrary::IVisibleObject* GetObject() = 0;
    virtual void GetFrom(ControlLibrary::Point* out) = 0;
    virtual void GetTo(ControlLibrary::Point* out) = 0;
};

// Writes minutes and seconds into a text object once a second.
class ITimerEffect : public IEffect {
public:
    virtual void SetTextObject(ControlLibrary::IStringVO* text) = 0;
    virtual void SetCountDown(bool countDown) = 0;
    virtual void SetPosition(int x, int y) = 0;
    virtual void SetEndless(bool endless) = 0;
};

// Shows a list of objects one after another.
class ISwitcherVoEffect : public IEffect {
public:
    virtual void AddObject(ControlLibrary::IVisibleObject* object) = 0;
    virtual void SetInterval(uint16_t ms) = 0;
    virtual void SetHideOnFinish(bool hide) = 0;
};

// Plays frames of an animation script; its own operations come with the
// animation reader.
class IAnimationEffect : public IEffect {
};

} // namespace EffectLibrary
