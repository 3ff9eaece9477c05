// Dialog plates, drawn at exactly the size their dialog is given (they are
// stretched to it): a brass frame round dark baize, the title, the fixed
// words the dialog draws no text object for, inset fields under edit boxes
// and value texts, pills under caption-only buttons, ruled lines. Also the
// customize dialog's tick and the cash set-up screen's table frames.
//
// The texts the dialogs draw on these plates are light (yellow, gold, white,
// light grey), so the plates are dark.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/ButtonPainter.h"
#include "tools/assetgen/Canvas.h"

namespace assetgen {

class PlatePainter {
public:
    explicit PlatePainter(const Typefaces& faces) : faces_(faces), buttons_(faces) {}

    void PaintPlate(const ImageAsset& image, Canvas& canvas) const;
    void PaintTick(Canvas& canvas) const;
    void PaintStakeFrame(const ImageAsset& image, Canvas& canvas) const;
    // An inset dark field with a thin brass edge.
    void PaintField(Canvas& canvas, const Rect& area) const;

private:
    void PaintFrame(Canvas& canvas, int width, int height) const;
    void PaintStakeCard(Canvas& canvas, State state) const;

    const Typefaces& faces_;
    ButtonPainter buttons_;
};

} // namespace assetgen
