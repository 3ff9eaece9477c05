// The table's pictures as the table screen places them: the main pot's plate
// lies clear of what every seat puts in front of it.
#include "game/table/SeatDisplay.h"
#include "game/table/TableScreen.h"
#include "tools/assetgen/AssetCatalog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Box {
    int left, top, right, bottom; // right and bottom exclusive

    bool Meets(const Box& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The catalog's picture `path`, centred on (x, y) as the table places it.
Box Centred(const std::string& path, int x, int y)
{
    for (const assetgen::ImageAsset& asset : assetgen::GetCatalog().images)
        if (asset.path == path)
            return {x - asset.width / 2, y - asset.height / 2, x - asset.width / 2 + asset.width,
                    y - asset.height / 2 + asset.height};
    ADD_FAILURE() << path << " is not in the catalog";
    return {};
}

TEST(TableArtLayout, ThePotPlateLiesClearOfEverySeatsBetAndChips)
{
    const Box plate =
        Centred("images/main_pot.png", Gamespace::TableScreen::kPotPlateX, Gamespace::TableScreen::kPotPlateY);
    for (uint16_t seat = 0; seat < 10; ++seat) {
        const Gamespace::SeatLayout layout = Gamespace::TableSeatLayout(seat);
        const int x = layout.anchorX + layout.nameDx;
        const int y = layout.anchorY + layout.nameDy;
        EXPECT_FALSE(plate.Meets(Centred("images/player/bet_fon.png", x, y))) << "the bet of seat " << seat;
        for (int chip = 0; chip < static_cast<int>(Gamespace::SeatDisplay::kChipImages); ++chip)
            EXPECT_FALSE(plate.Meets(Centred("images/player/chips/5000.png", x, y - 3 * chip)))
                << "chip " << chip << " of seat " << seat;
    }
}

} // namespace
