#include "effects/State2MoveEffectImpl.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace EffectLibrary {

using ControlLibrary::IVisibleObject;
using ControlLibrary::Point;

namespace {

// Truncation toward zero, as a cast would do, but defined for every input:
// values beyond the int range stick at its ends and NaN gives 0.
int TruncToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

State2MoveEffectImpl::State2MoveEffectImpl(uint32_t id, EffectMessageObserver* owner,
                                           TimeLibrary::ITimeSystem* timeSystem, ControlLibrary::IFactory* factory,
                                           IVisibleObject* object, int durationMs)
    : EffectBase(id, owner, timeSystem), factory_(factory)
{
    if (object != nullptr) {
        object->AddRef();
        object_.store(object);
    }
    if (timeObject_ != nullptr)
        timeObject_->SetDuration(durationMs);
}

State2MoveEffectImpl::~State2MoveEffectImpl()
{
    if (timeObject_ != nullptr && timeObject_->IsRunning())
        Stop();
    ReleaseTimeObject();
    // The reference taken when the object was set is given back, so an
    // object whose owner released it first is not kept alive for ever.
    GiveBack(object_.exchange(nullptr));
}

void State2MoveEffectImpl::GiveBack(IVisibleObject* object)
{
    if (object == nullptr)
        return;
    // Only the factory can take a last reference off its tables; without one
    // (an effect system never given a factory) the count alone goes down.
    if (factory_ != nullptr)
        factory_->ReleaseObject(object);
    else
        object->Release();
}

void State2MoveEffectImpl::SetDuration(int ms)
{
    timeObject_->SetDuration(ms);
    std::lock_guard hold(motionLock_);
    speed_ = 0;
}

void State2MoveEffectImpl::SetSpeed(int pixelsPerSecond)
{
    {
        std::lock_guard hold(motionLock_);
        speed_ = pixelsPerSecond;
    }
    // No duration: the move ends when it arrives.
    timeObject_->SetDuration(-1);
}

int State2MoveEffectImpl::GetSpeed()
{
    std::lock_guard hold(motionLock_);
    return speed_;
}

int State2MoveEffectImpl::SetUpSteps(int duration)
{
    const int64_t dx = int64_t(to_.x) - from_.x;
    const int64_t dy = int64_t(to_.y) - from_.y;
    const float ax = static_cast<uint16_t>(std::llabs(dx));
    const float ay = static_cast<uint16_t>(std::llabs(dy));
    const float longer = std::max(ax, ay);

    if (speed_ != 0)
        totalDistance_ = static_cast<float>(std::sqrt(double(dx) * double(dx) + double(dy) * double(dy)));

    float perMs = 0.0f; // pixels per ms on the longer axis
    float sx = 0.0f;
    float sy = 0.0f;
    if (duration >= 1) {
        const float d = static_cast<float>(duration);
        perMs = longer / d;
        sx = ax / d;
        sy = ay / d;
    } else {
        perMs = 1.0f;
        // The whole move in ms. A speed so high (or so odd) that it would
        // take less than 1 ms arrives on the first step instead of dividing
        // by zero.
        int total = TruncToInt(longer / (static_cast<float>(speed_) / 1000.0f));
        if (total < 1)
            total = 1;
        sx = ax / static_cast<float>(total);
        sy = ay / static_cast<float>(total);
    }

    // The step interval: every 5 ms pass while the longer axis covers more
    // than a pixel per pass, otherwise the whole ms one pixel takes. A move
    // whose 16-bit extent is 0 has no rate at all and keeps the 5 ms pass.
    const float perPass = 5.0f * perMs;
    int interval = 5;
    if (std::fabs(perPass) <= 1.0f && perPass > 0.0f)
        interval = TruncToInt(5.0f / perPass);

    stepX_ = static_cast<float>(interval) * sx;
    if (from_.x > to_.x)
        stepX_ = -stepX_;
    stepY_ = static_cast<float>(interval) * sy;
    if (to_.y < from_.y)
        stepY_ = -stepY_;
    currentX_ = static_cast<float>(from_.x);
    currentY_ = static_cast<float>(from_.y);
    return interval;
}

bool State2MoveEffectImpl::Start(bool paused, uint16_t delayMs)
{
    IVisibleObject* object = object_.load();
    const int duration = timeObject_->GetDuration();
    Point from;
    int interval = 0;
    bool speedMode = false;
    {
        std::lock_guard hold(motionLock_);
        if (object == nullptr || to_ == from_)
            return false;
        // Neither a duration nor a speed: no rate to move at.
        if (duration < 1 && speed_ == 0)
            return false;
        interval = SetUpSteps(duration);
        speedMode = speed_ != 0;
        from = from_;
        savedSpeed_ = speed_;
        savedStepX_ = stepX_;
        savedStepY_ = stepY_;
    }
    // Speed mode runs until arrival; a move that ran in speed mode before
    // must be able to finish again in duration mode.
    timeObject_->SetEndless(speedMode);
    timeObject_->SetInterval(interval);
    object->SetPosition(from);
    if (!paused)
        object->SetVisible(true);
    showOnStart_.store(paused);
    stopped_.store(false);
    // May raise OnEffectStart, after which the owner may have destroyed us.
    return timeObject_->Start(paused, delayMs);
}

void State2MoveEffectImpl::Stop()
{
    timeObject_->Stop();
    stopped_.store(true);
    IVisibleObject* object = object_.load();
    if (hideAtEnd_.load() && object != nullptr)
        object->SetVisible(false);
}

void State2MoveEffectImpl::SetVisible(bool visible)
{
    if (IVisibleObject* object = object_.load())
        object->SetVisible(visible);
}

void State2MoveEffectImpl::ChangeSpeed(int pixelsPerSecond)
{
    if (!timeObject_->IsRunning())
        return;
    std::lock_guard hold(motionLock_);
    // A move in duration mode has no speed to scale from.
    if (speed_ == 0)
        return;
    // The slowest speed is 1 px/s; the steps follow the speed actually kept,
    // so that a later change scales from what the move really does.
    const int speed = std::max(pixelsPerSecond, 1);
    const float ratio = static_cast<float>(speed_) / static_cast<float>(speed);
    stepX_ /= ratio;
    stepY_ /= ratio;
    speed_ = speed;
}

void State2MoveEffectImpl::SaveMotion()
{
    std::lock_guard hold(motionLock_);
    savedSpeed_ = speed_;
    savedStepX_ = stepX_;
    savedStepY_ = stepY_;
}

void State2MoveEffectImpl::RestoreMotion()
{
    std::lock_guard hold(motionLock_);
    speed_ = savedSpeed_;
    stepX_ = savedStepX_;
    stepY_ = savedStepY_;
}

void State2MoveEffectImpl::SetObject(IVisibleObject* object)
{
    if (object == nullptr)
        return;
    object->AddRef();
    GiveBack(object_.exchange(object));
}

void State2MoveEffectImpl::SetFrom(int x, int y)
{
    std::lock_guard hold(motionLock_);
    from_ = Point{x, y};
}

void State2MoveEffectImpl::SetTo(int x, int y)
{
    std::lock_guard hold(motionLock_);
    to_ = Point{x, y};
}

void State2MoveEffectImpl::GetFrom(Point* out)
{
    std::lock_guard hold(motionLock_);
    if (out != nullptr)
        *out = from_;
}

void State2MoveEffectImpl::GetTo(Point* out)
{
    std::lock_guard hold(motionLock_);
    if (out != nullptr)
        *out = to_;
}

float State2MoveEffectImpl::StepX()
{
    std::lock_guard hold(motionLock_);
    return stepX_;
}

float State2MoveEffectImpl::StepY()
{
    std::lock_guard hold(motionLock_);
    return stepY_;
}

void State2MoveEffectImpl::OnTimerStart(uint32_t)
{
    if (showOnStart_.exchange(false)) {
        if (IVisibleObject* object = object_.load())
            object->SetVisible(true);
    }
    Tell(&EffectMessageObserver::OnEffectStart);
}

void State2MoveEffectImpl::OnTimerTick(uint32_t)
{
    IVisibleObject* object = object_.load();
    if (stopped_.load() || object == nullptr)
        return;

    float previousX = 0.0f;
    float previousY = 0.0f;
    float addedX = 0.0f;
    float addedY = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    bool arrived = false;
    Point to;
    const bool speedMode = timeObject_->GetDuration() < 1;
    {
        std::lock_guard hold(motionLock_);
        previousX = currentX_;
        previousY = currentY_;
        addedX = stepX_;
        addedY = stepY_;
        currentX_ += addedX;
        currentY_ += addedY;
        if (speedMode) {
            const float fx = currentX_ - static_cast<float>(from_.x);
            const float fy = currentY_ - static_cast<float>(from_.y);
            if (std::sqrt(fx * fx + fy * fy) > totalDistance_) {
                currentX_ = static_cast<float>(to_.x);
                currentY_ = static_cast<float>(to_.y);
                arrived = true;
            }
        }
        x = currentX_;
        y = currentY_;
        to = to_;
    }

    if (arrived) {
        object->SetPosition(to);
        Stop();
        Tell(&EffectMessageObserver::OnEffectFinish);
        return;
    }

    const Point target{TruncToInt(x), TruncToInt(y)};
    const Point previous{TruncToInt(previousX), TruncToInt(previousY)};
    const Point before = object->GetPosition();
    object->SetPosition(target);
    const Point after = object->GetPosition();
    if (after == before && target != previous) {
        // The object refused the move: stay where it stands, so that the
        // next step tries the same place again.
        moved_.store(false);
        {
            std::lock_guard hold(motionLock_);
            currentX_ -= addedX;
            currentY_ -= addedY;
        }
        Tell(&EffectMessageObserver::OnEffectBlocked);
        return;
    }
    moved_.store(true);
    Tell(&EffectMessageObserver::OnEffectStep);
}

void State2MoveEffectImpl::OnTimerFinish(uint32_t)
{
    if (stopped_.load())
        return;
    IVisibleObject* object = object_.load();
    if (hideAtEnd_.load() && object != nullptr)
        object->SetVisible(false);
    Tell(&EffectMessageObserver::OnEffectFinish);
}

} // namespace EffectLibrary
