// An image that records the operations Graphics hands it, for checking
// translation and clipping without looking at pixels.
#pragma once

#include "framework/graphics/Image.h"

#include <string>
#include <vector>

namespace Zolt::testing {

class RecordingImage : public Image {
public:
    RecordingImage(int w, int h)
    {
        width_ = w;
        height_ = h;
    }

    struct Blit {
        Image* source;
        int x, y;
        Rect src;
        Color tint;
        int mode;
    };
    struct Stretch {
        Rect dest, src, clip;
        Color tint;
        bool quick;
    };
    struct Rotate {
        float x, y;
        Rect src, clip;
        double angle;
        float cx, cy;
    };
    struct Line {
        double x1, y1, x2, y2;
    };

    void FillRectangle(const Rect& r, const Color&, int) override { fills.push_back(r); }
    void OutlineRectangle(const Rect& r, const Color&, int) override { outlines.push_back(r); }
    void DrawLineSegment(double x1, double y1, double x2, double y2, const Color&, int) override
    {
        lines.push_back({x1, y1, x2, y2});
    }
    void BlitImage(Image* source, int x, int y, const Rect& src, const Color& tint, int mode) override
    {
        blits.push_back({source, x, y, src, tint, mode});
    }
    void BlitImageStretched(Image*, const Rect& dest, const Rect& src, const Rect& clip, const Color& tint, int,
                            bool quick) override
    {
        stretches.push_back({dest, src, clip, tint, quick});
    }
    void BlitImageRotated(Image*, float x, float y, const Rect& src, const Rect& clip, const Color&, int,
                          double angle, float cx, float cy) override
    {
        rotations.push_back({x, y, src, clip, angle, cx, cy});
    }

    std::vector<Rect> fills;
    std::vector<Rect> outlines;
    std::vector<Line> lines;
    std::vector<Blit> blits;
    std::vector<Stretch> stretches;
    std::vector<Rotate> rotations;
};

} // namespace Zolt::testing
