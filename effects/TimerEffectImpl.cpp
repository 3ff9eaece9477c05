#include "effects/TimerEffectImpl.h"

namespace EffectLibrary {

namespace {

constexpr int kSecondMs = 1000;

std::string TwoDigits(unsigned value)
{
    std::string digits = std::to_string(value);
    return digits.size() < 2 ? "0" + digits : digits;
}

} // namespace

TimerEffectImpl::TimerEffectImpl(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem,
                                 ControlLibrary::IStringVO* text, int durationMs)
    : EffectBase(id, owner, timeSystem)
{
    text_.store(text);
    if (timeObject_ != nullptr)
        SetDuration(durationMs);
}

TimerEffectImpl::~TimerEffectImpl() { ReleaseTimeObject(); }

void TimerEffectImpl::SetDuration(int ms)
{
    timeObject_->SetDuration(ms);
    timeObject_->SetInterval(kSecondMs);
}

void TimerEffectImpl::SetEndless(bool endless)
{
    timeObject_->SetEndless(endless);
    timeObject_->SetInterval(kSecondMs);
}

bool TimerEffectImpl::CountsDown() const { return countDown_.load() && !timeObject_->IsEndless(); }

bool TimerEffectImpl::Start(bool paused, uint16_t delayMs)
{
    seconds_.store(CountsDown() ? static_cast<uint16_t>(timeObject_->GetDuration() / kSecondMs) : 0);
    return timeObject_->Start(paused, delayMs);
}

void TimerEffectImpl::SetVisible(bool visible)
{
    if (ControlLibrary::IStringVO* text = text_.load())
        text->SetVisible(visible);
}

void TimerEffectImpl::SetTextObject(ControlLibrary::IStringVO* text)
{
    if (text == nullptr)
        return;
    text_.store(text);
    text->SetPosition(x_.load(), y_.load());
}

void TimerEffectImpl::SetPosition(int x, int y)
{
    ControlLibrary::IStringVO* text = text_.load();
    if (text == nullptr)
        return;
    x_.store(x);
    y_.store(y);
    text->SetPosition(x, y);
}

std::string TimerEffectImpl::FormatClock(uint16_t seconds)
{
    return TwoDigits(seconds / 60u) + " : " + TwoDigits(seconds % 60u);
}

void TimerEffectImpl::OnTimerStart(uint32_t) { Tell(&EffectMessageObserver::OnEffectStart); }

void TimerEffectImpl::OnTimerTick(uint32_t)
{
    uint16_t seconds = seconds_.load();
    if (CountsDown()) {
        // A duration that is not a whole number of seconds gives one tick
        // more than there are seconds; the clock rests at zero instead of
        // wrapping round to 1092 minutes.
        if (seconds > 0)
            --seconds;
    } else {
        ++seconds;
    }
    seconds_.store(seconds);
    if (ControlLibrary::IStringVO* text = text_.load())
        text->SetText(FormatClock(seconds));
    Tell(&EffectMessageObserver::OnEffectStep);
}

void TimerEffectImpl::OnTimerFinish(uint32_t) { Tell(&EffectMessageObserver::OnEffectFinish); }

} // namespace EffectLibrary
