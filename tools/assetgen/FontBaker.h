// Image fonts: the printable ASCII characters (0x20 to 0x7E) of a face
// rendered white on transparent into one glyph image, and the descriptor
// that tells the program's font parser where each character lies, how far it
// advances, how it sits on the line and how pairs kern. A second layer, made
// from the first, draws a soft shadow one pixel down and right, so that the
// game's light texts stay legible on any ground.
//
// The toolkit draws a text's baseline one line height below the top of its
// box; the descriptors therefore give the whole line height as the ascent and
// place each glyph inside the box by its offset.
//
// Used on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Canvas.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace assetgen {

struct BakedFont {
    std::unique_ptr<Canvas> atlas;
    Rect rects[128];
    int advance[128] = {};
    int offsetX[128] = {};
    int offsetY[128] = {};
    std::map<std::pair<char, char>, int> kerning;
    int height = 0; // line height, also the ascent the descriptor gives
    int pixelSize = 0;
    std::string descriptorText;
};

class FontBaker {
public:
    explicit FontBaker(const Typefaces& faces) : faces_(faces) {}

    BakedFont Bake(const FontAsset& font) const;
    // Draws a line of text the way the toolkit does: the top of the text's
    // box at y, its left edge at x.
    static void Render(Canvas& canvas, const BakedFont& font, const std::string& text, double x, double y,
                       const Rgb& colour);
    static int Measure(const BakedFont& font, const std::string& text);
    static Typeface FaceOf(FaceStyle style, int pixelSize);

private:
    std::string Descriptor(const FontAsset& font, const BakedFont& baked) const;

    const Typefaces& faces_;
};

} // namespace assetgen
