// Where each picture of a button sheet goes: every frame of every button
// inside its own source rectangle, with a transparent margin, so that each
// rectangle crops a clean frame even where a sheet's rectangles overlap or
// touch. Frames of one button whose rectangles mostly overlap show one
// picture, drawn where they overlap; a rectangle that only grazes another
// gives up the grazed rows or columns.
//
// Pure layout on the catalog; any thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"

#include <vector>

namespace assetgen {

struct FramePlan {
    Rect area;     // the picture, margin excluded
    Rect serves;   // the source rectangles it serves, intersected
    State state = State::Normal;
    const SheetButton* button = nullptr;
};

std::vector<FramePlan> PlanFrames(const ImageAsset& sheet);

} // namespace assetgen
