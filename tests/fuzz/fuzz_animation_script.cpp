// Feeds arbitrary text to the animation script reader: it must reject it with
// a reason or give a script whose every frame can be played (a time and an
// image, effect and frame numbers that fit the player's 16-bit counters).
#include "effects/AnimationScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::unique_ptr<EffectLibrary::AnimationScript> script = EffectLibrary::AnimationScript::Parse(text, &error);
    if (!script) {
        if (error.empty())
            std::abort();
        return 0;
    }
    if (script->image.empty() || script->effects.size() > EffectLibrary::AnimationScript::kMaxEffects)
        std::abort();
    for (const auto& effect : script->effects) {
        if (effect->name.empty() || effect->frames.size() > EffectLibrary::AnimationScript::kMaxFramesPerEffect)
            std::abort();
        for (const EffectLibrary::AnimationFrame& frame : effect->frames) {
            if (frame.image.empty() || frame.time == EffectLibrary::AnimationFrame::kNotGiven)
                std::abort();
        }
    }
    // A copy must come out alike.
    auto copy = script->CopyWithoutObjects();
    if (copy->effects.size() != script->effects.size())
        std::abort();
    return 0;
}
