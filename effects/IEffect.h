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
#include <string>

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

// Plays the frame animations of a script: each effect of the script has an
// image object of its own that shows the current frame. Start always fails;
// an animation is started with PlayEffect.
class IAnimationEffect : public IEffect {
public:
    // Shows the effect's first frame (or hides it) without timing anything.
    virtual void ShowEffect(uint16_t effect, bool visible) = 0;
    // Plays the effect from its first frame; a play under way is cut short.
    virtual void PlayEffect(int16_t effect) = 0;
    // Kept for its place in the interface; does nothing.
    virtual void Reserved(uint32_t value) = 0;
    virtual uint16_t GetEffectCount() = 0;
    // Reads and parses a script; false (and no script) when the file cannot
    // be read or is not a valid script.
    virtual bool Load(const std::string& path) = 0;
    // A new animation in the effect system with a copy of the script and
    // image objects of its own; null when no entry is free.
    virtual IAnimationEffect* Clone() = 0;
    // Applied to the image object of every effect.
    virtual void SetPosition(int x, int y) = 0;
    virtual void SetAlignment(uint32_t horizontal, uint32_t vertical) = 0;
    virtual void SetLayer(uint16_t layer) = 0;
};

} // namespace EffectLibrary
