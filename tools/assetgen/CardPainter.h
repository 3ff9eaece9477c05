// Playing cards: the faces of the two sets (the human's and the board's set
// 1, the computer's set 2), the computer set's back and the dimming masks.
// Faces carry a rank and suit index in two corners, the classic pip layout
// from two to ten, and for court cards a framed panel with a large letter;
// the suits drawn for the letters s, c, d and b are spades, clubs, diamonds
// and hearts.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Canvas.h"

namespace assetgen {

class CardPainter {
public:
    explicit CardPainter(const Typefaces& faces) : faces_(faces) {}

    void PaintFace(Canvas& canvas, int set, int rank, int suit) const;
    void PaintBack(Canvas& canvas) const;
    void PaintMask(Canvas& canvas) const;
    // A suit symbol of the given height centred on (x, y); upside down when
    // flipped.
    static void SuitPath(cairo_t* cr, int suit, double x, double y, double height, bool flipped);

private:
    void Blank(Canvas& canvas, int set) const;
    void Index(Canvas& canvas, int rank, int suit, const Rgb& ink) const;
    void Pips(Canvas& canvas, int rank, int suit, const Rgb& ink) const;
    void Court(Canvas& canvas, int set, int rank, int suit, const Rgb& ink) const;

    const Typefaces& faces_;
};

} // namespace assetgen
