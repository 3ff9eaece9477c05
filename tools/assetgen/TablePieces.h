// The small pictures of the table: seat plates and the turn highlight, the
// bet tag, the winner badge, the dealer button, the re-buy badge, the six
// action badges, the stage banners, the pot plate and the twelve chips.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Canvas.h"

namespace assetgen {

class TablePieces {
public:
    explicit TablePieces(const Typefaces& faces) : faces_(faces) {}

    // False for a painter that is not a table piece.
    bool Paint(const ImageAsset& image, Canvas& canvas) const;

    // A chip's colours by value: edge, face and the value's ink.
    struct ChipColours {
        Rgb body;
        Rgb stripe;
        Rgb ink;
    };
    static ChipColours ColoursOf(int value);

private:
    void SeatPlate(Canvas& canvas, bool lit) const;
    void BetTag(Canvas& canvas) const;
    void Badge(Canvas& canvas, const std::string& words, const Rgb& top, const Rgb& bottom, double size) const;
    void Dealer(Canvas& canvas) const;
    void Rebuy(Canvas& canvas) const;
    void StageBanner(Canvas& canvas, const std::string& words) const;
    void PotPlate(Canvas& canvas) const;
    void Chip(Canvas& canvas, int value) const;

    const Typefaces& faces_;
};

} // namespace assetgen
