// What the font targets do with a font they read: draw its text at its own
// size and at others, measure it, and measure a copy, so that a glyph that
// reaches outside the font's picture or the canvas shows up under the
// sanitizers.
//
// Threads: a fuzz target runs on one thread.
#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageFont.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace fuzz_support {

// `scale`, when not 1, is applied at each of `pointSizes`.
inline void DrawAndMeasure(Zolt::ImageFont& font, const std::string& text, std::initializer_list<int> pointSizes,
                           double scale)
{
    Zolt::MemoryImage canvas(nullptr);
    canvas.MakeBlank(64, 32);
    Zolt::Graphics g(&canvas);
    std::vector<Zolt::Rect> rects;
    int width = 0;
    font.RenderTextWithRects(&g, 3, 20, text, Zolt::Color(200, 100, 50, 255), g.GetClip(), &rects, &width);
    // Widths as large as an int holds are the font's to keep: add them up wide.
    volatile int64_t measured = int64_t{font.MeasureText(text)} + font.QueryHeight() + font.QueryAscent();
    (void)measured;
    for (int pointSize : pointSizes) {
        font.ChangePointSize(pointSize);
        if (scale != 1.0)
            font.ChangeScale(scale);
        font.RenderTextWithRects(&g, 1, 30, text, Zolt::Color(255, 255, 255, 128), g.GetClip(), &rects, &width);
    }
    std::unique_ptr<Zolt::Font> copy(font.Clone());
    copy->MeasureText(text);
}

} // namespace fuzz_support
