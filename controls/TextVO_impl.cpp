#include "controls/TextVO_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IFont.h"

namespace ControlLibrary {

TextVO_impl::TextVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id)
{
    colour_ = RGB{255, 255, 255};
}

TextVO_impl::~TextVO_impl()
{
    factory_.ReleaseFont(font_);
}

void TextVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

void TextVO_impl::SetFont(IFont* font)
{
    if (font)
        font->AddRef();
    IFont* previous = font_;
    font_ = font;
    factory_.ReleaseFont(previous);
    if (font) {
        platform::CriticalSectionLock lock(factory_.Lock());
        FitToFont(TextSize(*font));
    }
}

void TextVO_impl::GetText(std::string& out) const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    out = text_;
}

Size TextVO_impl::TextSize(IFont& font) const
{
    return Size{static_cast<uint16_t>(font.GetStringWidth(text_)), static_cast<uint16_t>(font.GetHeight())};
}

} // namespace ControlLibrary
