// The drawing calls of one pass of the factory, kept so that the next pass
// can tell where its picture differs from this one. Every object repaints
// whole at every pass (a blinking caret makes the full-screen background
// repaint too), yet most passes draw almost exactly what the last one drew:
// the calls that are new, gone, changed or moved in front of or behind
// others mark the only places whose pixels can differ. Drawing is then
// clipped to those places, and the display presents only them.
//
// A plain value of the thread that draws (the main thread).
#pragma once

#include "controls/Point.h"
#include "controls/RGB.h"
#include "controls/Rect.h"
#include "framework/graphics/Rect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {
class Font;
class Image;
} // namespace Zolt

namespace ControlLibrary {

// Areas are in the pass's coordinates. Two areas overlap when they share a
// pixel (an empty one shares none); `outer` holds `inner` when every pixel of
// `inner` lies in `outer`.
bool Overlaps(const Zolt::Rect& a, const Zolt::Rect& b);
bool Holds(const Zolt::Rect& outer, const Zolt::Rect& inner);

// One drawing call with everything its pixels depend on, in the pass's own
// coordinates.
struct DrawingStep {
    enum class Kind : uint8_t { Outline, Fill, Line, Image, RotatedImage, Text };

    Kind kind = Kind::Fill;
    RGB colour;
    // What the call draws with, for this pass only, and the number that
    // tells it from anything loaded later at the same address.
    Zolt::Image* image = nullptr;
    Zolt::Font* font = nullptr;
    uint64_t resource = 0;
    // Outline and fill: the rectangle. Images: where from and where to.
    // Lines: from (x, y) to (w, h) of `destination`, taken as plain numbers.
    int32_t source[4] = {0, 0, 0, 0};
    int32_t destination[4] = {0, 0, 0, 0};
    double angle = 0;
    Point centre;
    std::string text;
    // What the call can change, grown to cover every pixel it may touch.
    Zolt::Rect reach;
    // Whether drawing the call through a narrower clip changes exactly the
    // same pixels inside the clip as drawing it whole would (stretched,
    // rotated and line drawing may step differently once clipped).
    bool clipsExactly = true;

    bool SameCall(const DrawingStep& other) const;
    // Equal for calls that are the same call. Taken only for the calls a
    // comparison has to look up: most of a pass matches the last pass call
    // for call, and needs none.
    uint64_t Hash() const;
};

class DrawingRecord {
public:
    void Clear() { steps_.clear(); }
    void Add(DrawingStep&& step);
    void Add(const DrawingStep& step) { Add(DrawingStep(step)); }
    const std::vector<DrawingStep>& Steps() const { return steps_; }
    void Swap(DrawingRecord& other) { steps_.swap(other.steps_); }

    // The places where a picture drawn by `after` over one drawn by
    // `before` can differ: the reach of every call of either pass without an
    // equal call in the other, and of every call that changed places in the
    // order with one of the calls both passes make. Overlapping places are
    // merged; a place that crosses a call that does not clip exactly grows
    // to hold that call whole; beyond `mostAreas` places, their bounding box.
    static std::vector<Zolt::Rect> Differences(const DrawingRecord& before, const DrawingRecord& after,
                                               size_t mostAreas = 8);

private:
    std::vector<DrawingStep> steps_;
};

} // namespace ControlLibrary
