// An animation script as read from its file: a header ("[animation]" with the
// default image and the frame size) and a list of named effects, each a
// sequence of frames with an image and a display time.
//
// The text format is loose: a key ("time=", "image=" ...) is found anywhere
// in its section, the first occurrence counts, and a value runs to the next
// quote, NUL or carriage return. An effect's section runs from its
// "[effect]=" to the next "[effect]" and includes its frames, so an effect
// without a "time=" of its own takes the first one of its frames.
//
// Threads: a parsed script is read by the animation that owns it, on the main
// thread and (frame changes) on the time thread; nothing changes it after
// parsing but the image objects attached to its effects.
#pragma once

#include "controls/IImageVO.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace EffectLibrary {

// One "[frame]" block.
struct AnimationFrame {
    static constexpr uint16_t kNotGiven = 65535;

    uint16_t index = kNotGiven; // kept, not used for ordering
    uint16_t time = kNotGiven;  // ms
    std::string image;
};

// One "[effect]" block and the image object that shows it.
struct AnimationScriptEffect {
    std::string name; // also the image of every frame that names none
    bool autoHide = false;
    uint16_t time = AnimationFrame::kNotGiven; // the default of its frames
    std::vector<AnimationFrame> frames;        // in file order
    // Attached by the animation after parsing; the animation releases it.
    ControlLibrary::IImageVO* imageObject = nullptr;
};

class AnimationScript {
public:
    // Effect and frame numbers are signed 16-bit where they are played.
    static constexpr size_t kMaxEffects = 32767;
    static constexpr size_t kMaxFramesPerEffect = 32767;
    // Files are read in pieces of this size until a piece comes back short.
    static constexpr uint32_t kPieceSize = 512;

    // Parses a script; null with `error` saying what is wrong and on which
    // line when the text is not a valid script.
    static std::unique_ptr<AnimationScript> Parse(std::string_view text, std::string* error);
    // The text of the file through the archive-aware file layer: pieces of
    // 512 bytes, each up to its first NUL, until one is shorter than 512.
    // False with `error` set when the file cannot be opened.
    static bool ReadText(const std::string& path, std::string* text, std::string* error);

    // A copy of everything but the image objects (left null).
    std::unique_ptr<AnimationScript> CopyWithoutObjects() const;

    std::string image; // must be given, nothing else uses it
    uint16_t frameWidth = 0;
    uint16_t frameHeight = 0;
    std::vector<std::unique_ptr<AnimationScriptEffect>> effects; // in file order
};

} // namespace EffectLibrary
