// Image fonts: the printable ASCII characters (0x20 to 0x7E) of a face
// rendered white on transparent into one glyph image, and the descriptor
// that tells the program's font parser where each character lies, how far it
// advances, how it sits on the line and how pairs kern. A second layer, made
// from the first, draws a soft shadow one pixel down and right, so that the
// game's light texts stay legible on any ground.
//
// The descriptors give the face's true metrics: the line runs from the
// highest ink to the lowest (and the shadow's pixel), the ascent is the part
// of it above the baseline, and each glyph's offset places it from the line's
// top. The toolkit draws a text's baseline one line height below the top of
// its box, so its ink hangs a descent below the box, and the controls lift
// their captions by about that much to stand them in the middle.
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
    int height = 0; // line height: from the highest ink to the lowest
    int ascent = 0;  // from the line's top to the baseline
    int pixelSize = 0;
    std::string descriptorText;
};

class FontBaker {
public:
    explicit FontBaker(const Typefaces& faces) : faces_(faces) {}

    BakedFont Bake(const FontAsset& font) const;
    // Draws a line of text with the top of its line at y (its baseline an
    // ascent below) and its left edge at x.
    static void Render(Canvas& canvas, const BakedFont& font, const std::string& text, double x, double y,
                       const Rgb& colour);
    static int Measure(const BakedFont& font, const std::string& text);
    static Typeface FaceOf(FaceStyle style, int pixelSize);

private:
    std::string Descriptor(const FontAsset& font, const BakedFont& baked) const;

    const Typefaces& faces_;
};

} // namespace assetgen
