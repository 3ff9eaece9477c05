#include "controls/TextBoxVO_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IFont.h"

namespace ControlLibrary {

TextBoxVO_impl::TextBoxVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id) {}

TextBoxVO_impl::~TextBoxVO_impl()
{
    // Each paragraph took a reference to its font; it is given back here.
    for (Paragraph& p : paragraphs_)
        factory_.ReleaseFont(p.font);
}

void TextBoxVO_impl::AddText(const std::string& text, IFont* font, uint32_t alignment, const RGB& colour)
{
    if (!font)
        return;
    font->AddRef();
    platform::CriticalSectionLock lock(factory_.Lock());
    paragraphs_.push_back(Paragraph{text, alignment, font, colour});
    Layout();
}

void TextBoxVO_impl::SetSize(Size size)
{
    VisibleObject_impl::SetSize(size);
    platform::CriticalSectionLock lock(factory_.Lock());
    Layout();
}

void TextBoxVO_impl::Clear()
{
    std::vector<Paragraph> old;
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        page_ = 0;
        lines_.clear();
        old.swap(paragraphs_);
    }
    for (Paragraph& p : old)
        factory_.ReleaseFont(p.font);
}

std::vector<TextBoxVO_impl::Line> TextBoxVO_impl::GetLines()
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return lines_;
}

void TextBoxVO_impl::Layout()
{
    lines_.clear();
    for (const Paragraph& p : paragraphs_)
        Wrap(p);
    SetDirty();
}

void TextBoxVO_impl::MakeLine(const Paragraph& paragraph, const std::string& text)
{
    Line line;
    line.text = text;
    line.font = paragraph.font;
    line.colour = paragraph.colour;
    if (lines_.empty())
        line.y = paragraph.font->GetHeight();
    else
        line.y = lines_.back().y + lines_.back().font->GetHeight();
    const int32_t width = static_cast<int16_t>(GetScreenRect().w);
    const int32_t textWidth = paragraph.font->GetStringWidth(text);
    if (paragraph.alignment == 1)
        line.x = width / 2 - textWidth / 2;
    else if (paragraph.alignment == 2)
        line.x = width - textWidth;
    lines_.push_back(line);
}

void TextBoxVO_impl::Wrap(const Paragraph& paragraph)
{
    const Rect box = GetScreenRect();
    const std::string& text = paragraph.text;
    if (box.w == 0 || box.h == 0 || text.empty())
        return;
    const int32_t width = box.w;
    const size_t npos = std::string::npos;
    size_t start = 0;
    size_t space = npos;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n' || i + 1 == text.size()) {
            MakeLine(paragraph, text.substr(start, i - start + 1));
            start = i + 1;
            space = npos;
            ++i;
        } else if (c == ' ') {
            space = i;
            ++i;
        } else if (paragraph.font->GetStringWidth(text.substr(start, i - start + 1)) > width) {
            const size_t end = space != npos ? space : i;
            MakeLine(paragraph, text.substr(start, end - start));
            start = end;
            space = npos;
            // The scan resumes after the character at the new start: a
            // break at a space keeps the space at the head of the next line.
            i = start + 1;
        } else {
            ++i;
        }
    }
}

int TextBoxVO_impl::FirstLineOfPage(uint32_t page) const
{
    const int64_t boxH = static_cast<int16_t>(GetScreenRect().h);
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].y > static_cast<int64_t>(page) * boxH)
            return static_cast<int>(i);
    return -1;
}

bool TextBoxVO_impl::CanScrollDown()
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return FirstLineOfPage(page_ + 1u) >= 0;
}

bool TextBoxVO_impl::ScrollDown()
{
    if (!CanScrollDown())
        return false;
    ++page_;
    return true;
}

bool TextBoxVO_impl::ScrollUp()
{
    if (page_ == 0)
        return false;
    --page_;
    return true;
}

void TextBoxVO_impl::Draw()
{
    if (!visible_)
        return;
    const int first = FirstLineOfPage(page_);
    if (first < 0)
        return;
    const int64_t boxH = static_cast<int16_t>(GetScreenRect().h);
    const Line& top = lines_[static_cast<size_t>(first)];
    const int32_t topY = top.y;
    const int32_t topHeight = top.font->GetHeight();
    for (size_t i = static_cast<size_t>(first); i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.y > (static_cast<int64_t>(page_) + 1) * boxH)
            break;
        factory_.DrawString(line.font, line.text,
                            Point{screen_.x + line.x, screen_.y + line.y - topY + topHeight}, line.colour, 0, 0);
    }
}

void TextBoxVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

} // namespace ControlLibrary
