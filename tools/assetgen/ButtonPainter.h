// Button faces: lacquer, plaques, knobs, slots and pills in their four
// states, painted where FramePlan puts each frame of a sheet.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/FramePlan.h"

namespace assetgen {

class ButtonPainter {
public:
    explicit ButtonPainter(const Typefaces& faces) : faces_(faces) {}

    void PaintSheet(const ImageAsset& sheet, Canvas& canvas) const;
    // One face in the rectangle (already inset), for sheets and for the
    // mock screens.
    void PaintFace(Canvas& canvas, const Rect& area, ButtonStyle style, State state, const SheetButton& button) const;
    // The small pill under a caption-only button.
    void PaintBed(Canvas& canvas, const Rect& area) const;

private:
    void PaintBody(Canvas& canvas, const Rect& area, ButtonStyle style, State state, const std::string& words) const;
    void PaintRound(Canvas& canvas, const Rect& area, State state, Glyph glyph) const;
    void PaintGlyph(Canvas& canvas, const Rect& area, State state, Glyph glyph) const;
    void PaintWords(Canvas& canvas, const Rect& area, ButtonStyle style, State state, const std::string& words) const;

    const Typefaces& faces_;
};

} // namespace assetgen
