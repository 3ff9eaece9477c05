// What a person changing the art looks at: one PNG with every image (each
// button's frames side by side, cut at their source rectangles, every card,
// every plate and background) and every image font's full alphabet; and mock
// screens that put the pieces where the game's screens put them.
//
// The generator's thread.
#pragma once

#include "tools/assetgen/AssetGenerator.h"

#include <string>

namespace assetgen {

bool WriteContactSheet(const AssetGenerator& generator, const Typefaces& faces, const std::string& path,
                       std::string* error);
bool WriteMockScreens(const AssetGenerator& generator, const Typefaces& faces, const std::string& folder,
                      std::string* error);

} // namespace assetgen
