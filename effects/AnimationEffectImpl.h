// Plays the frame animations of a script. Every effect of the script has an
// image object of the control toolkit that shows its current frame; playing
// an effect shows its frames one after the other, each for its own time, by
// restarting the time object once per frame.
//
// Threads: Load, PlayEffect, ShowEffect, Clone and the placing operations
// come from the main thread (PlayEffect also from the owner's notices); the
// frame changes run on the time thread in the time object's notices. The
// script is only replaced by Load, and the playing position only set by
// PlayEffect, after the time object has been stopped: stopping takes the
// time object's lock, which waits out a frame change under way, and no frame
// change follows until the time object is started again. The playing
// position is atomic; the effect takes no lock of its own.
#pragma once

#include "controls/IFactory.h"
#include "effects/AnimationScript.h"
#include "effects/EffectBase.h"
#include "effects/IEffect.h"

#include <atomic>
#include <memory>
#include <string>

namespace EffectLibrary {

class EffectSystem_impl;

class AnimationEffectImpl final : public EffectBase<IAnimationEffect> {
public:
    // `factory` makes the image objects; `system` is where clones go. Neither
    // is owned.
    AnimationEffectImpl(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem,
                        ControlLibrary::IFactory* factory, EffectSystem_impl* system);
    // Destroys the time object, then gives the image objects back to the
    // factory.
    ~AnimationEffectImpl() override;

    // IEffect
    void SetDuration(int) override {}
    // An animation is started with PlayEffect; this always fails.
    bool Start(bool, uint16_t) override { return false; }
    // Ends a play without a notice and hides every effect's image object;
    // the playing position is kept.
    void Stop() override;
    // False hides every effect's image object; true does nothing.
    void SetVisible(bool visible) override;

    // IAnimationEffect
    void ShowEffect(uint16_t effect, bool visible) override;
    void PlayEffect(int16_t effect) override;
    void Reserved(uint32_t) override {}
    uint16_t GetEffectCount() override;
    // Replaces the script (stopping a play and giving back the old image
    // objects). On failure the animation is left without a script and
    // LastError says what went wrong, where.
    bool Load(const std::string& path) override;
    IAnimationEffect* Clone() override;
    void SetPosition(int x, int y) override;
    void SetAlignment(uint32_t horizontal, uint32_t vertical) override;
    void SetLayer(uint16_t layer) override;

    void OnTimerStart(uint32_t id) override;
    void OnTimerTick(uint32_t id) override;
    void OnTimerFinish(uint32_t id) override;

    // Main thread: why the last Load failed ("" after a success).
    const std::string& LastError() const { return lastError_; }
    // The effect and frame playing, -1 when none.
    int16_t CurrentEffect() const { return currentEffect_.load(); }
    int16_t CurrentFrame() const { return currentFrame_.load(); }
    // The image object of one effect; null without a script or past the end.
    ControlLibrary::IImageVO* ImageObject(uint16_t effect) const;

    // Used by the effect system's clone: takes a copy of `source`'s script
    // with image objects of its own (same image, alignment, size and layer)
    // and its time object's settings. False when no image object could be
    // made; nothing is then kept.
    bool CopyFrom(AnimationEffectImpl& source);

private:
    // Makes and attaches one image object per effect; false (releasing what
    // it made) when the factory gives none.
    bool AttachImageObjects(AnimationScript& script);
    void ReleaseImageObjects(AnimationScript& script);
    // Stops a play and gives the script and its objects back.
    void DropScript();
    // Times one frame and starts it; the last thing any caller does, as
    // starting may raise the owner's OnEffectStart.
    void StartFrame(const AnimationFrame& frame);
    bool Fail(const std::string& path, const std::string& why);

    ControlLibrary::IFactory* const factory_;
    EffectSystem_impl* const system_;
    std::atomic<int16_t> currentEffect_{-1};
    std::atomic<int16_t> currentFrame_{-1};
    std::unique_ptr<AnimationScript> script_;
    std::string lastError_;
};

} // namespace EffectLibrary
