// The factory's input routing: hover by hit test in layer order, presses and
// releases to the hovered object, keys to the focused one and to the
// screen-wide observers, the cursor and tooltip, and modal mode.
//
// Every callback into an object or an observer runs without the factory
// lock; the object it runs on is pinned first, so a release made meanwhile
// (a click that closes its own dialog) deletes it only once the callback is
// back.
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/VisibleObject_impl.h"
#include "platform/window/Cursor.h"

#include <algorithm>

namespace ControlLibrary {

IBridgeToVO* Factory_impl::Pin(VisibleObject_impl* object)
{
    if (!object)
        return nullptr;
    IBridgeToVO* bridge = object->GetBridge();
    pinned_.push_back(bridge);
    return bridge;
}

void Factory_impl::Unpin(IBridgeToVO* bridge)
{
    if (!bridge)
        return;
    {
        platform::CriticalSectionLock lock(lock_);
        auto it = std::find(pinned_.begin(), pinned_.end(), bridge);
        if (it != pinned_.end())
            pinned_.erase(it);
        if (std::find(pinned_.begin(), pinned_.end(), bridge) != pinned_.end())
            return;
        auto released = std::find(releasedWhilePinned_.begin(), releasedWhilePinned_.end(), bridge);
        if (released == releasedWhilePinned_.end())
            return;
        releasedWhilePinned_.erase(released);
    }
    DeleteBridge(bridge);
}

namespace {

// Unpins on every way out.
class PinGuard {
public:
    PinGuard(Factory_impl& factory, IBridgeToVO* bridge, void (Factory_impl::*unpin)(IBridgeToVO*))
        : factory_(factory), bridge_(bridge), unpin_(unpin) {}
    ~PinGuard() { (factory_.*unpin_)(bridge_); }
    PinGuard(const PinGuard&) = delete;
    PinGuard& operator=(const PinGuard&) = delete;

private:
    Factory_impl& factory_;
    IBridgeToVO* bridge_;
    void (Factory_impl::*unpin_)(IBridgeToVO*);
};

using PinFunction = IBridgeToVO* (Factory_impl::*)(VisibleObject_impl*);
using UnpinFunction = void (Factory_impl::*)(IBridgeToVO*);

// Takes the object `slot` names under the lock, pins it, and runs `call` on
// it once the lock is let go. An empty slot calls nothing.
template <class Call>
void CallPinned(Factory_impl& factory, platform::CriticalSection& lock, VisibleObject_impl* const& slot,
                PinFunction pin, UnpinFunction unpin, Call call)
{
    VisibleObject_impl* target;
    IBridgeToVO* bridge;
    {
        platform::CriticalSectionLock held(lock);
        target = slot;
        if (!target)
            return;
        bridge = (factory.*pin)(target);
    }
    PinGuard guard(factory, bridge, unpin);
    call(*target);
}

// Whether an observer is still registered: one removed by an earlier
// observer's callback is skipped.
bool StillObserving(platform::CriticalSection& lock, const std::vector<KeybdSysMessageObserver*>& observers,
                    KeybdSysMessageObserver* observer)
{
    platform::CriticalSectionLock held(lock);
    return std::find(observers.begin(), observers.end(), observer) != observers.end();
}

} // namespace

void Factory_impl::DispatchMouseMove(int32_t x, int32_t y)
{
    std::vector<KeybdSysMessageObserver*> observers;
    {
        platform::CriticalSectionLock lock(lock_);
        observers = sysObservers_;
    }
    for (KeybdSysMessageObserver* o : observers) {
        if (!StillObserving(lock_, sysObservers_, o))
            continue;
        if (o->IsSysInputEnabled())
            o->OnSysMouseMove(Point{x, y});
    }

    TrackHover(x, y, HoverCause::Move);
}

VisibleObject_impl* Factory_impl::HitTest(int32_t x, int32_t y) const
{
    for (size_t i = layerCount_; i-- > 0;) {
        VisibleObject_impl* object = layerTable_[i]->GetImpl();
        if (object->GetScreenRect().Contains(x, y))
            return object;
    }
    return nullptr;
}

void Factory_impl::TrackHover(int32_t x, int32_t y, HoverCause cause)
{
    VisibleObject_impl* left = nullptr;
    VisibleObject_impl* entered = nullptr;
    VisibleObject_impl* moved = nullptr;
    IBridgeToVO* pinA = nullptr;
    IBridgeToVO* pinB = nullptr;
    {
        platform::CriticalSectionLock lock(lock_);
        // A move over an empty screen keeps the hover; a press or release
        // never goes to an object that is no longer shown.
        if (layerCount_ == 0 && cause == HoverCause::Move)
            return;
        VisibleObject_impl* hit = HitTest(x, y);
        if (!hit) {
            left = hovered_;
            hovered_ = nullptr;
        } else if (!hovered_) {
            entered = hit;
            hovered_ = hit;
        } else if (hovered_->GetId() != hit->GetId()) {
            left = hovered_;
            entered = hit;
            hovered_ = hit;
        } else if (cause == HoverCause::Move) {
            moved = hit;
        }
        pinA = Pin(left ? left : moved);
        pinB = Pin(entered);
    }
    PinGuard guardA(*this, pinA, &Factory_impl::Unpin);
    PinGuard guardB(*this, pinB, &Factory_impl::Unpin);
    if (left)
        left->OnMouseLeave();
    if (entered)
        entered->OnMouseEnter();
    if (moved)
        moved->OnMouseMove(x, y);
}

void Factory_impl::DispatchMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    // The object hovered at the last move may have been hidden since (the
    // first click of a double click closing its dialog): the press goes to
    // what is under the pointer now.
    TrackHover(x, y, HoverCause::Press);
    VisibleObject_impl* target;
    IBridgeToVO* pin;
    {
        platform::CriticalSectionLock lock(lock_);
        target = hovered_;
        if (!target)
            return;
        pin = Pin(target);
    }
    PinGuard guard(*this, pin, &Factory_impl::Unpin);
    target->OnMouseDown(x, y, button, clicks);

    VisibleObject_impl* previous = nullptr;
    IBridgeToVO* previousPin = nullptr;
    {
        platform::CriticalSectionLock lock(lock_);
        const bool released = std::find(releasedWhilePinned_.begin(), releasedWhilePinned_.end(), pin) !=
                              releasedWhilePinned_.end();
        if (released || focused_ == target || !target->CanTakeFocus())
            return;
        previous = focused_;
        focused_ = target;
        previousPin = Pin(previous);
    }
    PinGuard previousGuard(*this, previousPin, &Factory_impl::Unpin);
    if (previous)
        previous->SetFocus(false);
    target->SetFocus(true);
}

void Factory_impl::DispatchMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    TrackHover(x, y, HoverCause::Press);
    CallPinned(*this, lock_, hovered_, &Factory_impl::Pin, &Factory_impl::Unpin,
               [&](VisibleObject_impl& target) { target.OnMouseUp(x, y, button, clicks); });
}

void Factory_impl::DispatchChar(char character)
{
    CallPinned(*this, lock_, focused_, &Factory_impl::Pin, &Factory_impl::Unpin,
               [&](VisibleObject_impl& target) { target.OnChar(character); });
}

void Factory_impl::DispatchKeyDown(uint32_t key)
{
    std::vector<KeybdSysMessageObserver*> observers;
    {
        platform::CriticalSectionLock lock(lock_);
        observers = sysObservers_;
    }
    std::vector<bool> snapshot;
    for (KeybdSysMessageObserver* o : observers)
        snapshot.push_back(o->IsSysInputEnabled());
    {
        platform::CriticalSectionLock lock(lock_);
        keyDownSnapshot_ = snapshot;
    }
    for (size_t i = 0; i < observers.size(); ++i) {
        if (!snapshot[i])
            continue;
        if (!StillObserving(lock_, sysObservers_, observers[i]))
            continue;
        observers[i]->OnSysKeyDown(key);
    }

    CallPinned(*this, lock_, focused_, &Factory_impl::Pin, &Factory_impl::Unpin,
               [&](VisibleObject_impl& target) { target.OnKeyDown(key); });
}

void Factory_impl::DispatchKeyUp(uint32_t key)
{
    std::vector<KeybdSysMessageObserver*> observers;
    std::vector<bool> snapshot;
    {
        platform::CriticalSectionLock lock(lock_);
        observers = sysObservers_;
        snapshot = keyDownSnapshot_;
    }
    const size_t count = std::min(observers.size(), snapshot.size());
    for (size_t i = 0; i < count; ++i) {
        if (!snapshot[i])
            continue;
        if (!StillObserving(lock_, sysObservers_, observers[i]))
            continue;
        observers[i]->OnSysKeyUp(key);
    }

    CallPinned(*this, lock_, focused_, &Factory_impl::Pin, &Factory_impl::Unpin,
               [&](VisibleObject_impl& target) { target.OnKeyUp(key); });
}

void Factory_impl::SetCurrentCursor(ICursor* cursor)
{
    platform::CriticalSectionLock lock(lock_);
    if (!cursor)
        cursor = defaultCursor_;
    if (!cursor) {
        currentCursor_ = nullptr;
        if (!systemCursorShown_) {
            platform::ShowCursor(platform::TRUE);
            systemCursorShown_ = true;
        }
        return;
    }
    currentCursor_ = cursor;
    if (systemCursorShown_) {
        platform::ShowCursor(platform::FALSE);
        systemCursorShown_ = false;
    }
}

void Factory_impl::SetCurrentToolTip(IToolTip* toolTip)
{
    platform::CriticalSectionLock lock(lock_);
    currentToolTip_ = toolTip;
}

ICursor* Factory_impl::GetCurrentCursor()
{
    platform::CriticalSectionLock lock(lock_);
    return currentCursor_;
}

IToolTip* Factory_impl::GetCurrentToolTip()
{
    platform::CriticalSectionLock lock(lock_);
    return currentToolTip_;
}

uint32_t Factory_impl::GetHoveredId()
{
    platform::CriticalSectionLock lock(lock_);
    return hovered_ ? hovered_->GetId() : 0;
}

uint32_t Factory_impl::GetFocusedId()
{
    platform::CriticalSectionLock lock(lock_);
    return focused_ ? focused_->GetId() : 0;
}

void Factory_impl::OnFocusGained(VisibleObject_impl* object)
{
    VisibleObject_impl* previous;
    IBridgeToVO* pin;
    {
        platform::CriticalSectionLock lock(lock_);
        if (focused_ && focused_->GetId() == object->GetId())
            return;
        // An object released meanwhile (by the time thread, while a press
        // was handled on it) lives on only until that callback returns:
        // focused, it would be a dangling target for the next key.
        if (!FindBridge(object->GetBridge()->GetInterface()))
            return;
        previous = focused_;
        focused_ = object;
        pin = Pin(previous);
    }
    PinGuard guard(*this, pin, &Factory_impl::Unpin);
    if (previous)
        previous->SetFocus(false);
}

void Factory_impl::EnterModal()
{
    platform::CriticalSectionLock lock(lock_);
    std::vector<IBridgeToVO*> disabled;
    for (size_t i = 0; i < layerCount_; ++i) {
        IBridgeToVO* bridge = layerTable_[i];
        VisibleObject_impl* object = bridge->GetImpl();
        if (!object->IsEnabled() || !object->IsVisible() || object->GetModalExempt())
            continue;
        bridge->AddRef();
        object->SetEnabled(false);
        disabled.push_back(bridge);
    }
    modalStack_.push_back(std::move(disabled));
}

void Factory_impl::LeaveModal()
{
    std::vector<IBridgeToVO*> disabled;
    {
        platform::CriticalSectionLock lock(lock_);
        if (modalStack_.empty())
            return;
        disabled = std::move(modalStack_.back());
        modalStack_.pop_back();
    }
    for (IBridgeToVO* bridge : disabled) {
        bridge->GetImpl()->SetEnabled(true);
        // The reference the modal mode took; an object its owner released
        // meanwhile goes now.
        ReleaseBridge(bridge);
    }
}

size_t Factory_impl::GetModalDepth()
{
    platform::CriticalSectionLock lock(lock_);
    return modalStack_.size();
}

} // namespace ControlLibrary
