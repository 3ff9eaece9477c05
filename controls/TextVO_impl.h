// What the one-line text objects (plain strings and links) share: the font
// they hold a reference on and the text, which is guarded by the factory
// lock since timer callbacks change labels while the main thread draws them.
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>

namespace ControlLibrary {

class IFont;

class TextVO_impl : public VisibleObject_impl {
public:
    ~TextVO_impl() override;

    void DrawClipped(const std::vector<Rect>& rects) override;

    void SetFont(IFont* font);
    IFont* GetFont() const { return font_; }
    void GetText(std::string& out) const;

protected:
    // White text until told otherwise.
    TextVO_impl(Factory_impl& factory, uint32_t id);

    // The text's extent in `font`; the caller holds the factory lock.
    Size TextSize(IFont& font) const;
    // Takes the extent a newly set font gives the text, under the factory lock.
    virtual void FitToFont(Size size) = 0;

    IFont* font_ = nullptr;
    std::string text_;
};

} // namespace ControlLibrary
