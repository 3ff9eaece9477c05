// Text of the drawing context: tagged runs and word-wrapped blocks.
#include "framework/graphics/Graphics.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"

#include <algorithm>

namespace Zolt {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

// A colour tag is '^', six characters and one more.
constexpr int kTagLength = 8;

} // namespace

int Graphics::WriteTaggedText(const std::string& text, int x, int y, int width, int justification, bool draw,
                              int first, int count, int oldColour)
{
    if (!font)
        return 0;
    if (oldColour == -1)
        oldColour = static_cast<int>(color.ToPacked());
    if (draw && (justification == 1 || justification == 0)) {
        const int measured = WriteTaggedText(text, 0, 0, width, justification, false, first, count, oldColour);
        x += justification == 1 ? width - measured : (width - measured) / 2;
    }

    const int length = static_cast<int>(text.size());
    const int start = std::clamp(first, 0, length);
    const int end = count >= 0 ? static_cast<int>(std::min<int64_t>(int64_t{start} + count, length)) : length;

    std::string run;
    int advance = 0;
    auto flush = [&] {
        if (draw && !run.empty())
            RenderText(run, x + advance, y);
        advance += font->MeasureText(run);
        run.clear();
    };
    int i = start;
    while (i < end) {
        const char c = text[static_cast<size_t>(i)];
        if (!colorTags || c != '^') {
            run += c;
            ++i;
            continue;
        }
        if (i + 1 < end && text[static_cast<size_t>(i) + 1] == '^') {
            run += '^';
            i += 2;
            continue;
        }
        if (end - i < kTagLength)
            break; // an unfinished tag ends the text
        flush();
        uint32_t value = 0;
        if (text[static_cast<size_t>(i) + 1] == 'o') {
            value = text.compare(static_cast<size_t>(i) + 1, 6, "oldclr") == 0 ? static_cast<uint32_t>(oldColour) : 0;
        } else {
            for (int k = 1; k <= 6; ++k)
                value = (value << 4) | static_cast<uint32_t>(HexDigit(text[static_cast<size_t>(i + k)]));
        }
        if (draw)
            color = Color(static_cast<int32_t>((value >> 16) & 0xFF), static_cast<int32_t>((value >> 8) & 0xFF),
                          static_cast<int32_t>(value & 0xFF), color.alpha);
        i += kTagLength;
    }
    if (draw && !run.empty())
        RenderText(run, x + advance, y);
    return advance + font->MeasureText(run);
}

namespace {

// One word-wrapped write: the line being measured (where it starts, how wide
// it has grown, where it may break), the baseline, and the widest line.
class WrappedTextWriter {
public:
    WrappedTextWriter(Graphics& g, const Rect& box, const std::string& text, int lineSpacing, int justification,
                      int charLimit, int* lineWidth)
        : g_(g), font_(*g.font), box_(box), text_(text), length_(static_cast<int>(text.size())),
          lineSpacing_(lineSpacing), justification_(justification), charLimit_(charLimit), lineWidth_(lineWidth),
          baseline_(font_.QueryAscent() - font_.QueryAscentPadding())
    {
        const uint32_t packed = g.color.ToPacked();
        oldColour_ = static_cast<int>(g.color.alpha == 255 ? packed & 0xFFFFFF : packed);
        if (lineWidth_) {
            xOffset_ = *lineWidth_;
            running_ = *lineWidth_;
        }
    }

    // Writes the text; the baseline below the last line.
    int Run()
    {
        int i = 0;
        while (i < length_ && !limitReached_) {
            const int at = i;
            if (!MeasureChar(i))
                continue;
            if (!EndLine(at))
                break;
            i = lineStart_;
            NextLine();
        }
        if (!limitReached_)
            Finish();
        return baseline_;
    }

    int Widest() const { return widest_; }

private:
    // Measures the character at i and moves i past it; true when the line
    // has grown wider than the box.
    bool MeasureChar(int& i)
    {
        const char c = text_[static_cast<size_t>(i)];
        if (c == '\n') {
            breakAt_ = i;
            breakIsNewline_ = true;
            running_ = box_.width + 1;
            ++i;
        } else if (g_.colorTags && c == '^' && !(i + 1 < length_ && text_[static_cast<size_t>(i) + 1] == '^')) {
            // A tag takes no room; it never reaches past the text.
            i = std::min(i + kTagLength, length_);
            return false;
        } else {
            if (c == ' ') {
                breakAt_ = i;
                breakIsNewline_ = false;
            }
            running_ += font_.MeasureCharAfter(c, previous_);
            previous_ = c;
            i += (c == '^') ? 2 : 1;
        }
        return running_ > box_.width;
    }

    // Draws the full line: up to its last break, or up to the character at
    // `at` that did not fit. False when the character limit ends the text.
    bool EndLine(int at)
    {
        if (breakAt_ < 0) {
            // The character that did not fit starts the next line, unless
            // it is the line's only one: a line holds at least one.
            const int end = std::max(at, lineStart_ + 1);
            DrawUnbroken(lineStart_, end);
            lineStart_ = end;
            return true;
        }
        if (lineStart_ >= charLimit_) {
            limitReached_ = true;
            return false;
        }
        const int screenY = static_cast<int>(g_.translateY + box_.y + baseline_);
        if (screenY >= g_.clip.y && screenY < g_.clip.y + g_.clip.height + lineSpacing_)
            g_.WriteTaggedText(text_, box_.x + xOffset_, box_.y + baseline_, box_.width, justification_, true,
                               lineStart_, LimitedCount(lineStart_, breakAt_), oldColour_);
        widest_ = std::max(widest_, running_ + xOffset_);
        lineStart_ = breakAt_ + 1;
        if (!breakIsNewline_)
            while (lineStart_ < length_ && text_[static_cast<size_t>(lineStart_)] == ' ')
                ++lineStart_;
        return true;
    }

    // The rest after the last full line.
    void Finish()
    {
        if (lineStart_ < length_) {
            DrawUnbroken(lineStart_, length_);
            baseline_ += lineSpacing_;
        } else if (length_ > 0 && text_.back() == '\n') {
            baseline_ += lineSpacing_;
            if (lineWidth_)
                *lineWidth_ = 0;
        }
    }

    // A line without a break: always drawn, its width is what was drawn.
    void DrawUnbroken(int from, int to)
    {
        if (from >= charLimit_) {
            limitReached_ = true;
            return;
        }
        const int w = g_.WriteTaggedText(text_, box_.x + xOffset_, box_.y + baseline_, box_.width, justification_,
                                         true, from, LimitedCount(from, to), oldColour_);
        widest_ = std::max(widest_, w);
        if (lineWidth_)
            *lineWidth_ = w;
    }

    void NextLine()
    {
        baseline_ += lineSpacing_;
        breakAt_ = -1;
        breakIsNewline_ = false;
        running_ = 0;
        previous_ = 0;
        xOffset_ = 0;
    }

    // Characters of [from, to) that the character limit lets through.
    int LimitedCount(int from, int to) const { return std::max(0, std::min(to, charLimit_) - from); }

    Graphics& g_;
    Font& font_;
    const Rect& box_;
    const std::string& text_;
    const int length_;
    const int lineSpacing_;
    const int justification_;
    const int charLimit_;
    int* lineWidth_;
    int oldColour_ = 0;
    int baseline_;
    int xOffset_ = 0;
    int running_ = 0;
    int widest_ = 0;
    int lineStart_ = 0;
    int breakAt_ = -1;
    bool breakIsNewline_ = false;
    char previous_ = 0;
    bool limitReached_ = false;
};

} // namespace

int Graphics::WriteWrappedText(const Rect& box, const std::string& text, int lineSpacing, int justification,
                               int* maxWidth, int charLimit, int* lineWidth)
{
    if (!font) {
        if (maxWidth)
            *maxWidth = 0;
        return 0;
    }
    const Color savedColor = color;
    if (lineSpacing == -1)
        lineSpacing = font->QueryLineAdvance();
    if (charLimit < 0)
        charLimit = static_cast<int>(text.size());
    WrappedTextWriter writer(*this, box, text, lineSpacing, justification, charLimit, lineWidth);
    const int baseline = writer.Run();
    color = savedColor;
    if (maxWidth)
        *maxWidth = writer.Widest();
    return font->QueryDescent() + (baseline - lineSpacing);
}

int Graphics::MeasureWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth)
{
    Graphics scratch(nullptr);
    scratch.SetFont(font);
    return scratch.WriteWrappedText(Rect(0, 0, width, 0), text, lineSpacing, -1, maxWidth, -1, nullptr);
}

} // namespace Zolt
