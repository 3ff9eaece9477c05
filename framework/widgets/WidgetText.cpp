// The text and number drawing helpers of Widget.
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace Zolt {

namespace {
int TextWidth(Graphics* g, const std::string& text)
{
    Font* font = g->GetFont();
    return font ? font->MeasureText(text) : 0;
}

// Turns colour tags on for one call and restores the setting afterwards.
class ColorTagsOn {
public:
    explicit ColorTagsOn(Graphics* g) : g_(g), saved_(g->colorTags) { g_->colorTags = true; }
    ~ColorTagsOn() { g_->colorTags = saved_; }
    ColorTagsOn(const ColorTagsOn&) = delete;
    ColorTagsOn& operator=(const ColorTagsOn&) = delete;

private:
    Graphics* g_;
    bool saved_;
};
} // namespace

void Widget::DrawCenteredLineShadowed(Rect& out, Graphics* g, int baseline, const std::string& text,
                                      const Color& textColor, const Color& shadowColor, const Point& shadowOffset)
{
    const int textWidth = TextWidth(g, text);
    const int x = (width_ - textWidth) / 2;
    g->SetColor(shadowColor);
    g->RenderText(text, x + shadowOffset.x, baseline + shadowOffset.y);
    g->SetColor(textColor);
    g->RenderText(text, x, baseline);
    Font* font = g->GetFont();
    const int ascent = font ? font->QueryAscent() : 0;
    const int height = font ? font->QueryHeight() : 0;
    out = Rect(x + std::min(shadowOffset.x, 0), baseline + std::min(shadowOffset.y, 0) - ascent,
               textWidth + std::abs(shadowOffset.x), height + std::abs(shadowOffset.y));
}

void Widget::DrawCenteredLine(Rect& out, Graphics* g, int baseline, const std::string& text)
{
    const int textWidth = TextWidth(g, text);
    const int x = (width_ - textWidth) / 2;
    g->RenderText(text, x, baseline);
    Font* font = g->GetFont();
    out = Rect(x, baseline - (font ? font->QueryAscent() : 0), textWidth, font ? font->QueryHeight() : 0);
}

int Widget::WriteText(Graphics* g, const std::string& text, int x, int y, int width, int justification, bool draw,
                      int first, int count)
{
    ColorTagsOn tags(g);
    return g->WriteTaggedText(text, x, y, width, justification, draw, first, count, -1);
}

int Widget::WriteWrappedText(Graphics* g, const Rect& box, const std::string& text, int lineSpacing,
                             int justification)
{
    ColorTagsOn tags(g);
    return g->WriteWrappedText(box, text, lineSpacing, justification, nullptr, -1, nullptr);
}

int Widget::MeasureWrappedText(Graphics* g, int width, const std::string& text, int lineSpacing)
{
    return g->MeasureWrappedHeight(width, text, lineSpacing, nullptr);
}

int Widget::CountDigits(int n)
{
    // Counted on the magnitude, so a negative number has as many digits as
    // its positive counterpart.
    unsigned long long magnitude = n < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(n))
                                         : static_cast<unsigned long long>(n);
    int digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    return digits;
}

void Widget::DrawNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip, int spacing)
{
    if (!strip)
        return;
    const int digitWidth = strip->GetWidth() / 10;
    const std::string digits = std::to_string(number < 0 ? -static_cast<long long>(number) : number);
    int offset = 0;
    for (char c : digits) {
        const int digit = c - '0';
        Graphics clipped(*g);
        clipped.NarrowClip(x + offset, y, digitWidth, strip->GetHeight());
        clipped.PaintImage(strip, x + offset - digit * digitWidth, y);
        offset += digitWidth + spacing;
    }
}

} // namespace Zolt
