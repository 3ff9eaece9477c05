// The font interface: four metrics and the operations that measure a string
// and draw it through a Graphics context. Widgets, the drawing context and
// the toolkit hold fonts only through it; the image font and the system font
// implement it. Used on the main thread (measuring also on the loading
// thread, for fonts it made).
#pragma once

#include <cstdint>
#include <string>

namespace Zolt {

class Color;
class Graphics;
struct Rect;

class Font {
public:
    Font() = default;
    Font(const Font& other) = default;
    Font& operator=(const Font&) = delete;
    virtual ~Font() = default;

    virtual int32_t QueryAscent() { return ascent_; }
    // Pixels above the ascent that a line leaves empty.
    virtual int32_t QueryAscentPadding() { return ascentPadding_; }
    virtual int32_t QueryDescent() { return height_ - ascent_; }
    virtual int32_t QueryHeight() { return height_; }
    virtual int32_t QueryLineGapOffset() { return lineSpacingOffset_; }
    // Distance between baselines.
    virtual int32_t QueryLineAdvance() { return height_ + lineSpacingOffset_; }
    // Width in pixels of the run as it would be drawn.
    virtual int32_t MeasureText(const std::string& text)
    {
        (void)text;
        return 0;
    }
    virtual int32_t MeasureChar(char c) { return MeasureText(std::string(1, c)); }
    // Width including the kerning against the previous character (0 for the
    // first character of a line).
    virtual int32_t MeasureCharAfter(char c, char previous)
    {
        (void)previous;
        return MeasureChar(c);
    }
    // Draws the run with its left edge at x on the baseline y, clipped.
    virtual void RenderText(Graphics* g, int x, int y, const std::string& text, const Color& color,
                            const Rect& clip)
    {
        (void)g, (void)x, (void)y, (void)text, (void)color, (void)clip;
    }
    // A new copy, owned by the caller.
    virtual Font* Clone() = 0;

protected:
    int32_t ascent_ = 0;
    int32_t ascentPadding_ = 0;
    int32_t height_ = 0;
    int32_t lineSpacingOffset_ = 0;
};

} // namespace Zolt
