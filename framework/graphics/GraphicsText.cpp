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

int Graphics::WriteWrappedText(const Rect& box, const std::string& text, int lineSpacing, int justification,
                               int* maxWidth, int charLimit, int* lineWidth)
{
    if (!font) {
        if (maxWidth)
            *maxWidth = 0;
        return 0;
    }
    const Color savedColor = color;
    const uint32_t packed = color.ToPacked();
    const int oldColour = static_cast<int>(color.alpha == 255 ? packed & 0xFFFFFF : packed);
    const int length = static_cast<int>(text.size());
    if (lineSpacing == -1)
        lineSpacing = font->QueryLineAdvance();
    if (charLimit < 0)
        charLimit = length;
    int baseline = font->QueryAscent() - font->QueryAscentPadding();

    int xOffset = 0;
    int running = 0;
    if (lineWidth) {
        xOffset = *lineWidth;
        running = *lineWidth;
    }
    int widest = 0;
    int lineStart = 0;
    int breakAt = -1;
    bool breakIsNewline = false;
    char previous = 0;
    bool limitReached = false;

    // Characters of [from, to) that the character limit lets through.
    auto limitedCount = [&](int from, int to) { return std::max(0, std::min(to, charLimit) - from); };
    // A line without a break: always drawn, its width is what was drawn.
    auto drawUnbroken = [&](int from, int to) {
        if (from >= charLimit) {
            limitReached = true;
            return;
        }
        const int w = WriteTaggedText(text, box.x + xOffset, box.y + baseline, box.width, justification, true, from,
                                      limitedCount(from, to), oldColour);
        widest = std::max(widest, w);
        if (lineWidth)
            *lineWidth = w;
    };
    auto nextLine = [&] {
        baseline += lineSpacing;
        breakAt = -1;
        breakIsNewline = false;
        running = 0;
        previous = 0;
        xOffset = 0;
    };

    int i = 0;
    while (i < length && !limitReached) {
        const int at = i;
        const char c = text[static_cast<size_t>(i)];
        if (c == '\n') {
            breakAt = i;
            breakIsNewline = true;
            running = box.width + 1;
            ++i;
        } else if (colorTags && c == '^' && !(i + 1 < length && text[static_cast<size_t>(i) + 1] == '^')) {
            // A tag takes no room; it never reaches past the text.
            i = std::min(i + kTagLength, length);
            continue;
        } else {
            if (c == ' ') {
                breakAt = i;
                breakIsNewline = false;
            }
            running += font->MeasureCharAfter(c, previous);
            previous = c;
            i += (c == '^') ? 2 : 1;
        }
        if (running <= box.width)
            continue;

        if (breakAt >= 0) {
            if (lineStart >= charLimit) {
                limitReached = true;
                break;
            }
            const int screenY = static_cast<int>(translateY + box.y + baseline);
            if (screenY >= clip.y && screenY < clip.y + clip.height + lineSpacing)
                WriteTaggedText(text, box.x + xOffset, box.y + baseline, box.width, justification, true, lineStart,
                                limitedCount(lineStart, breakAt), oldColour);
            widest = std::max(widest, running + xOffset);
            lineStart = breakAt + 1;
            if (!breakIsNewline)
                while (lineStart < length && text[static_cast<size_t>(lineStart)] == ' ')
                    ++lineStart;
        } else {
            // The character that did not fit starts the next line, unless
            // it is the line's only one: a line holds at least one.
            const int end = std::max(at, lineStart + 1);
            drawUnbroken(lineStart, end);
            lineStart = end;
        }
        i = lineStart;
        nextLine();
    }

    if (!limitReached) {
        if (lineStart < length) {
            drawUnbroken(lineStart, length);
            baseline += lineSpacing;
        } else if (length > 0 && text.back() == '\n') {
            baseline += lineSpacing;
            if (lineWidth)
                *lineWidth = 0;
        }
    }

    color = savedColor;
    if (maxWidth)
        *maxWidth = widest;
    return font->QueryDescent() + (baseline - lineSpacing);
}

int Graphics::MeasureWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth)
{
    Graphics scratch(nullptr);
    scratch.SetFont(font);
    return scratch.WriteWrappedText(Rect(0, 0, width, 0), text, lineSpacing, -1, maxWidth, -1, nullptr);
}

} // namespace Zolt
