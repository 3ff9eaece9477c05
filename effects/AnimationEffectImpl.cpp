#include "effects/AnimationEffectImpl.h"

#include "effects/EffectSystem_impl.h"
#include "platform/core/DebugOutput.h"

namespace EffectLibrary {

using ControlLibrary::IImageVO;

AnimationEffectImpl::AnimationEffectImpl(uint32_t id, EffectMessageObserver* owner,
                                         TimeLibrary::ITimeSystem* timeSystem, ControlLibrary::IFactory* factory,
                                         EffectSystem_impl* system)
    : EffectBase(id, owner, timeSystem), factory_(factory), system_(system)
{
}

AnimationEffectImpl::~AnimationEffectImpl()
{
    ReleaseTimeObject();
    if (script_)
        ReleaseImageObjects(*script_);
}

bool AnimationEffectImpl::AttachImageObjects(AnimationScript& script)
{
    for (auto& effect : script.effects) {
        IImageVO* object = factory_ != nullptr ? factory_->CreateImageVO() : nullptr;
        if (object == nullptr) {
            ReleaseImageObjects(script);
            return false;
        }
        object->SetAlwaysRepaint(true);
        effect->imageObject = object;
    }
    return true;
}

void AnimationEffectImpl::ReleaseImageObjects(AnimationScript& script)
{
    for (auto& effect : script.effects) {
        if (effect->imageObject != nullptr && factory_ != nullptr)
            factory_->ReleaseVO(effect->imageObject);
        effect->imageObject = nullptr;
    }
}

void AnimationEffectImpl::DropScript()
{
    timeObject_->Stop();
    currentEffect_.store(-1);
    currentFrame_.store(-1);
    if (script_)
        ReleaseImageObjects(*script_);
    script_.reset();
}

bool AnimationEffectImpl::Fail(const std::string& path, const std::string& why)
{
    lastError_ = "animation script \"" + path + "\": " + why;
    platform::OutputDebugString(lastError_ + "\n");
    return false;
}

bool AnimationEffectImpl::Load(const std::string& path)
{
    lastError_.clear();
    // The old script goes first, as a failed load leaves no script at all.
    DropScript();

    std::string text;
    std::string why;
    if (!AnimationScript::ReadText(path, &text, &why))
        return Fail(path, why);
    std::unique_ptr<AnimationScript> script = AnimationScript::Parse(text, &why);
    if (!script)
        return Fail(path, why);
    if (!AttachImageObjects(*script))
        return Fail(path, "the control factory gave no image object for its effects");

    // Each image object ends up with its effect's last frame at the frame size.
    for (auto& effect : script->effects) {
        for (const AnimationFrame& frame : effect->frames) {
            effect->imageObject->SetImage(frame.image, true);
            effect->imageObject->SetSize(script->frameWidth, script->frameHeight);
        }
    }
    script_ = std::move(script);
    return true;
}

uint16_t AnimationEffectImpl::GetEffectCount()
{
    return script_ ? static_cast<uint16_t>(script_->effects.size()) : 0;
}

IImageVO* AnimationEffectImpl::ImageObject(uint16_t effect) const
{
    if (!script_ || effect >= script_->effects.size())
        return nullptr;
    return script_->effects[effect]->imageObject;
}

void AnimationEffectImpl::ShowEffect(uint16_t effect, bool visible)
{
    if (!script_ || effect >= script_->effects.size())
        return;
    const AnimationScriptEffect& record = *script_->effects[effect];
    if (record.frames.empty())
        return;
    record.imageObject->SetImage(record.frames.front().image, true);
    record.imageObject->SetVisible(visible);
}

void AnimationEffectImpl::StartFrame(const AnimationFrame& frame)
{
    // Times are signed 16-bit here: 0 or anything above 32767 ms makes the
    // time object refuse to start, and the play stops where it is.
    const int time = static_cast<int16_t>(frame.time);
    timeObject_->SetInterval(time);
    timeObject_->SetDuration(time);
    timeObject_->SetEndless(false);
    timeObject_->Start(false, 0);
}

void AnimationEffectImpl::PlayEffect(int16_t effect)
{
    if (!script_ || effect < 0 || static_cast<size_t>(effect) >= script_->effects.size())
        return;
    const AnimationScriptEffect& record = *script_->effects[effect];
    if (record.frames.empty())
        return;
    // Waits out a frame change of the play under way, if any, before the
    // playing position changes under it.
    timeObject_->Stop();
    currentEffect_.store(effect);
    currentFrame_.store(0);
    record.imageObject->SetImage(record.frames.front().image, true);
    record.imageObject->SetVisible(true);
    StartFrame(record.frames.front());
}

void AnimationEffectImpl::Stop()
{
    timeObject_->Stop();
    SetVisible(false);
}

void AnimationEffectImpl::SetVisible(bool visible)
{
    if (visible || !script_)
        return;
    for (auto& effect : script_->effects)
        effect->imageObject->SetVisible(false);
}

void AnimationEffectImpl::SetPosition(int x, int y)
{
    if (!script_)
        return;
    for (auto& effect : script_->effects)
        effect->imageObject->SetPosition(x, y);
}

void AnimationEffectImpl::SetAlignment(uint32_t horizontal, uint32_t vertical)
{
    if (!script_)
        return;
    for (auto& effect : script_->effects)
        effect->imageObject->SetAlignment(horizontal, vertical);
}

void AnimationEffectImpl::SetLayer(uint16_t layer)
{
    if (!script_)
        return;
    for (auto& effect : script_->effects)
        effect->imageObject->SetLayer(layer);
}

IAnimationEffect* AnimationEffectImpl::Clone()
{
    return system_ != nullptr ? system_->CloneAnimation(*this) : nullptr;
}

bool AnimationEffectImpl::CopyFrom(AnimationEffectImpl& source)
{
    if (source.script_) {
        std::unique_ptr<AnimationScript> script = source.script_->CopyWithoutObjects();
        if (!AttachImageObjects(*script))
            return false;
        for (size_t i = 0; i < script->effects.size(); ++i) {
            const IImageVO* from = source.script_->effects[i]->imageObject;
            IImageVO* to = script->effects[i]->imageObject;
            std::string image;
            from->GetImageName(image);
            if (!image.empty())
                to->SetImage(image, true);
            to->SetAlignment(from->GetHAlign(), from->GetVAlign());
            to->SetSize(from->GetSize());
            // Image objects of an animation have no parent, so their
            // absolute layer is their own.
            to->SetLayer(static_cast<uint16_t>(from->GetAbsoluteLayer()));
        }
        script_ = std::move(script);
    }
    timeObject_->SetDuration(source.timeObject_->GetDuration());
    timeObject_->SetEndless(source.timeObject_->IsEndless());
    timeObject_->SetInterval(source.timeObject_->GetInterval());
    return true;
}

void AnimationEffectImpl::OnTimerStart(uint32_t) { Tell(&EffectMessageObserver::OnEffectStart); }

void AnimationEffectImpl::OnTimerTick(uint32_t) { Tell(&EffectMessageObserver::OnEffectStep); }

void AnimationEffectImpl::OnTimerFinish(uint32_t)
{
    const int16_t effect = currentEffect_.load();
    const int16_t frame = currentFrame_.load();
    if (effect < 0 || frame < 0 || !script_ || static_cast<size_t>(effect) >= script_->effects.size())
        return;
    const AnimationScriptEffect& record = *script_->effects[effect];
    const size_t next = static_cast<size_t>(frame) + 1;
    if (next >= record.frames.size()) {
        if (record.autoHide)
            record.imageObject->SetVisible(false);
        currentEffect_.store(-1);
        currentFrame_.store(-1);
        Tell(&EffectMessageObserver::OnEffectFinish);
        return;
    }
    record.imageObject->SetImage(record.frames[next].image, true);
    currentFrame_.store(static_cast<int16_t>(next));
    StartFrame(record.frames[next]);
}

} // namespace EffectLibrary
