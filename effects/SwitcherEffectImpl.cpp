#include "effects/SwitcherEffectImpl.h"

namespace EffectLibrary {

using ControlLibrary::IVisibleObject;

SwitcherEffectImpl::SwitcherEffectImpl(uint32_t id, EffectMessageObserver* owner,
                                       TimeLibrary::ITimeSystem* timeSystem)
    : EffectBase(id, owner, timeSystem)
{
}

SwitcherEffectImpl::~SwitcherEffectImpl() { ReleaseTimeObject(); }

void SwitcherEffectImpl::AddObject(IVisibleObject* object)
{
    std::lock_guard hold(listLock_);
    objects_.push_back(object);
}

IVisibleObject* SwitcherEffectImpl::Current()
{
    std::lock_guard hold(listLock_);
    return current_ < objects_.size() ? objects_[current_] : nullptr;
}

bool SwitcherEffectImpl::Start(bool paused, uint16_t delayMs)
{
    const int interval = interval_.load();
    {
        std::lock_guard hold(listLock_);
        if (interval <= 0 || objects_.empty())
            return false;
        current_ = 0;
    }
    timeObject_->SetInterval(interval);
    timeObject_->SetDuration(-1);
    timeObject_->SetEndless(true);
    return timeObject_->Start(paused, delayMs);
}

void SwitcherEffectImpl::SetVisible(bool visible)
{
    if (!visible && timeObject_->IsRunning())
        timeObject_->SetPaused(true);
    if (IVisibleObject* object = Current())
        object->SetVisible(visible);
}

void SwitcherEffectImpl::OnTimerStart(uint32_t) { Tell(&EffectMessageObserver::OnEffectStart); }

void SwitcherEffectImpl::OnTimerTick(uint32_t)
{
    IVisibleObject* hide = nullptr;
    IVisibleObject* show = nullptr;
    {
        std::lock_guard hold(listLock_);
        if (objects_.empty())
            return;
        if (current_ < objects_.size())
            hide = objects_[current_];
        current_ = current_ + 1u < objects_.size() ? static_cast<uint16_t>(current_ + 1) : 0;
        show = objects_[current_];
    }
    if (hide != nullptr)
        hide->SetVisible(false);
    if (show != nullptr)
        show->SetVisible(true);
    Tell(&EffectMessageObserver::OnEffectStep);
}

void SwitcherEffectImpl::OnTimerFinish(uint32_t)
{
    if (hideOnFinish_.load()) {
        if (IVisibleObject* object = Current())
            object->SetVisible(false);
    }
    Tell(&EffectMessageObserver::OnEffectFinish);
}

} // namespace EffectLibrary
