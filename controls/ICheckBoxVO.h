// A two-state box with a caption to its right; a press toggles it.
#pragma once

#include "controls/IButtonVO.h"
#include "controls/IVisibleObject.h"

#include <array>
#include <cstdint>
#include <string>

namespace ControlLibrary {

class IFont;

class ICheckBoxVO : public IVisibleObject {
public:
    virtual void SetSounds(const ButtonSounds& sounds) = 0;
    // Checked, unchecked, (not drawn), disabled, spare.
    virtual void SetBackColours(const std::array<RGB, 5>& colours) = 0;
    // Checked, unchecked, hovered, disabled.
    virtual void SetFonts(const std::array<IFont*, 4>& fonts) = 0;
    // Checked, unchecked, checked disabled, unchecked disabled.
    virtual void SetImages(const std::array<std::string, 4>& names) = 0;
    virtual void SetSourceRects(const std::array<Rect, 4>& sources) = 0;
    // Checked, unchecked, hovered, disabled, spare.
    virtual void SetTextColours(const std::array<RGB, 5>& colours) = 0;
    virtual void SetBoxSize(uint32_t w, uint32_t h) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetCaptionOffset(const Point& offset) = 0;
    // The box is not drawn and the caption moves left by its width.
    virtual void SetFaceHidden(bool hidden) = 0;
    virtual void PerformClick() = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsChecked() const = 0;
};

} // namespace ControlLibrary
