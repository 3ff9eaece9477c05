// A push button with four visual states (normal, hover, pressed, disabled),
// each an image or a colour fill, a centred caption and three sounds.
#pragma once

#include "controls/IVisibleObject.h"

#include <array>
#include <string>

namespace ControlLibrary {

class IFont;
class ISound;

// The sounds of a button or check box; each non-null one is referenced while
// the object keeps it.
struct ButtonSounds {
    ISound* enter = nullptr;
    ISound* down = nullptr;
    ISound* up = nullptr;
};

class IButtonVO : public IVisibleObject {
public:
    virtual void SetSounds(const ButtonSounds& sounds) = 0;
    // Normal, hover, pressed, disabled and a spare one that is never drawn.
    virtual void SetBackColours(const std::array<RGB, 5>& colours) = 0;
    // A null font after the first takes the first.
    virtual void SetFonts(const std::array<IFont*, 4>& fonts) = 0;
    // An empty name after the first takes the first.
    virtual void SetImages(const std::array<std::string, 4>& names) = 0;
    virtual void SetSourceRects(const std::array<Rect, 4>& sources) = 0;
    virtual void SetTextColours(const std::array<RGB, 5>& colours) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetCaptionOffset(const Point& offset) = 0;
    virtual void SetFaceHidden(bool hidden) = 0;
    virtual std::string GetCaption() const = 0;
    // A press and release as if the mouse were over it.
    virtual void PerformClick() = 0;
};

} // namespace ControlLibrary
