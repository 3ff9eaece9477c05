// The full-screen backgrounds (1024 x 768): the start screen, the three
// cash set-up screens, the tournament set-up screen, the rules page and the
// ten-seat table. Each lines its drawn places up with the controls its screen
// puts on it (the catalog's spots and panels), and keeps light texts on dark
// ground.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/CardPainter.h"
#include "tools/assetgen/TablePieces.h"

namespace assetgen {

class BackgroundPainter {
public:
    explicit BackgroundPainter(const Typefaces& faces) : faces_(faces), cards_(faces), pieces_(faces) {}

    void Paint(const ImageAsset& image, Canvas& canvas) const;

private:
    void Wood(Canvas& canvas, const Rect& area, uint32_t seed, double lightness) const;
    void Felt(Canvas& canvas, double cx, double cy, double rx, double ry, uint32_t seed, double lightness) const;
    void Panel(Canvas& canvas, const Rect& area) const;
    void Titles(Canvas& canvas, const BackgroundDetails& d, double titleSize) const;
    void Card(Canvas& canvas, int rank, int suit, double x, double y, double angle) const;
    void ChipStack(Canvas& canvas, int value, int count, double x, double y) const;

    void Start(Canvas& canvas, const BackgroundDetails& d) const;
    void CashSetup(Canvas& canvas, const BackgroundDetails& d) const;
    void TournamentSetup(Canvas& canvas, const BackgroundDetails& d) const;
    void RulesPage(Canvas& canvas, const BackgroundDetails& d) const;
    void Table(Canvas& canvas, const BackgroundDetails& d) const;

    const Typefaces& faces_;
    CardPainter cards_;
    TablePieces pieces_;
};

} // namespace assetgen
