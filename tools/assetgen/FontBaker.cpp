#include "tools/assetgen/FontBaker.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace assetgen {

namespace {

constexpr int kFirst = 0x20;
constexpr int kLast = 0x7E;
constexpr int kAtlasWidth = 512;

// A character or a pair as a quoted token of the descriptor language: single
// quotes, with a backslash before a quote or a backslash inside them.
std::string Quoted(const std::string& chars)
{
    std::string out = "'";
    for (char c : chars) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

Typeface FontBaker::FaceOf(FaceStyle style, int pixelSize)
{
    switch (style) {
    case FaceStyle::Chancery:
        return Typeface::Chancery;
    case FaceStyle::Script:
        return Typeface::Script;
    case FaceStyle::BrushScript:
        return Typeface::BrushScript;
    case FaceStyle::BoldSerif:
        return Typeface::BoldSerif;
    case FaceStyle::Nouveau:
        return Typeface::Nouveau;
    case FaceStyle::Sans:
        break;
    }
    // Small sans text is set bold so that its strokes hold at a pixel.
    return pixelSize <= 12 ? Typeface::SansBold : Typeface::Sans;
}

BakedFont FontBaker::Bake(const FontAsset& font) const
{
    BakedFont baked;
    baked.pixelSize = font.pixelSize;
    const Typeface face = FaceOf(font.style, font.pixelSize);
    // The named size is taken as the size of a common face of that size: a
    // capital seven tenths of it, whatever the proportions of this face; the
    // calligraphic faces, whose small letters are small, a little more.
    const double capital = font.style == FaceStyle::Chancery ? 0.78 : (font.style == FaceStyle::Script ? 0.75 : 0.7);
    const double size = faces_.SizeForCapHeight(face, capital * font.pixelSize);
    int top = 0, bottom = 0;
    int cellW[128] = {}, cellH[128] = {}, left[128] = {}, rise[128] = {};
    for (int c = kFirst; c <= kLast; ++c) {
        const GlyphMetrics m = faces_.Measure(face, size, static_cast<char>(c));
        baked.advance[c] = std::max(1, static_cast<int>(std::lround(m.advance)));
        if (!m.hasInk)
            continue;
        left[c] = static_cast<int>(std::floor(m.left)) - 1;
        rise[c] = static_cast<int>(std::floor(m.top)) - 1;
        cellW[c] = static_cast<int>(std::ceil(m.right)) + 1 - left[c];
        cellH[c] = static_cast<int>(std::ceil(m.bottom)) + 1 - rise[c];
        top = std::min(top, rise[c]);
        bottom = std::max(bottom, rise[c] + cellH[c]);
    }
    // The chancery capitals sweep back to the left over the space before
    // them; a space of a third of the size keeps the words apart ("Go N").
    if (font.style == FaceStyle::Chancery) {
        int& space = baked.advance[static_cast<unsigned char>(' ')];
        space = std::max(space, (font.pixelSize + 2) / 3);
    }
    // The line: from the highest ink to the lowest, plus the shadow's pixel.
    baked.ascent = -top;
    baked.height = bottom - top + 1;
    // Shelf packing of the cells.
    int x = 0, y = 0, shelf = 0;
    for (int c = kFirst; c <= kLast; ++c) {
        if (cellW[c] == 0)
            continue;
        if (x + cellW[c] > kAtlasWidth) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        baked.rects[c] = {x, y, cellW[c], cellH[c]};
        baked.offsetX[c] = left[c];
        baked.offsetY[c] = rise[c] + baked.ascent;
        x += cellW[c];
        shelf = std::max(shelf, cellH[c]);
    }
    baked.atlas = std::make_unique<Canvas>(kAtlasWidth, std::max(1, y + shelf));
    cairo_t* cr = baked.atlas->Cr();
    cairo_set_font_face(cr, faces_.CairoFace(face));
    cairo_set_font_size(cr, size);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    for (int c = kFirst; c <= kLast; ++c) {
        if (cellW[c] == 0)
            continue;
        const Rect& r = baked.rects[c];
        const ShapedLine line = faces_.Shape(face, size, std::string(1, static_cast<char>(c)));
        if (line.glyphs.empty())
            continue;
        cairo_glyph_t g = line.glyphs.front();
        g.x = r.x - left[c];
        g.y = r.y - rise[c];
        cairo_save(cr);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_clip(cr);
        cairo_show_glyphs(cr, &g, 1);
        cairo_restore(cr);
    }
    for (int a = kFirst; a <= kLast; ++a)
        for (int b = kFirst; b <= kLast; ++b) {
            if (a == ' ' || b == ' ')
                continue;
            const int k = static_cast<int>(
                std::lround(faces_.Kerning(face, size, static_cast<char>(a), static_cast<char>(b))));
            if (k != 0)
                baked.kerning[{static_cast<char>(a), static_cast<char>(b)}] = std::clamp(k, -127, 127);
        }
    baked.descriptorText = Descriptor(font, baked);
    return baked;
}

std::string FontBaker::Descriptor(const FontAsset& font, const BakedFont& baked) const
{
    std::ostringstream d;
    d << "# " << FileName(font.descriptor) << ": " << Typefaces::Describe(FaceOf(font.style, font.pixelSize))
      << " at " << font.pixelSize << " pixels.\n";
    d << "# Made by tools/assetgen.\n";
    d << "SetDefaultPointSize " << font.pixelSize << ";\n";
    d << "CreateLayer Main;\n";
    d << "LayerSetImage Main " << Quoted(FileName(font.atlas)) << ";\n";
    d << "LayerSetPointSize Main " << font.pixelSize << ";\n";
    d << "LayerSetAscent Main " << baked.ascent << ";\n";
    d << "LayerSetHeight Main " << baked.height << ";\n";
    d << "Define Chars (";
    for (int c = kFirst; c <= kLast; ++c)
        d << (c > kFirst ? " " : "") << Quoted(std::string(1, static_cast<char>(c)));
    d << ");\n";
    d << "LayerSetImageMap Main Chars (";
    for (int c = kFirst; c <= kLast; ++c) {
        const Rect& r = baked.rects[c];
        d << (c > kFirst ? " " : "") << "(" << r.x << " " << r.y << " " << r.w << " " << r.h << ")";
    }
    d << ");\n";
    d << "LayerSetCharWidths Main Chars (";
    for (int c = kFirst; c <= kLast; ++c)
        d << (c > kFirst ? " " : "") << baked.advance[c];
    d << ");\n";
    d << "LayerSetCharOffsets Main Chars (";
    for (int c = kFirst; c <= kLast; ++c)
        d << (c > kFirst ? " " : "") << "(" << baked.offsetX[c] << " " << baked.offsetY[c] << ")";
    d << ");\n";
    if (!baked.kerning.empty()) {
        d << "LayerSetKerningPairs Main (";
        bool first = true;
        for (const auto& [pair, k] : baked.kerning) {
            d << (first ? "" : " ") << Quoted(std::string{pair.first, pair.second});
            first = false;
        }
        d << ") (";
        first = true;
        for (const auto& [pair, k] : baked.kerning) {
            d << (first ? "" : " ") << k;
            first = false;
        }
        d << ");\n";
    }
    d << "CreateLayerFrom Shadow Main;\n";
    d << "LayerSetColorMult Shadow (0 0 0 0.6);\n";
    d << "LayerSetOffset Shadow (1 1);\n";
    d << "LayerSetBaseOrder Shadow -1;\n";
    return d.str();
}

int FontBaker::Measure(const BakedFont& font, const std::string& text)
{
    int width = 0;
    char previous = 0;
    for (char c : text) {
        const int index = static_cast<unsigned char>(c) & 0x7F;
        width += font.advance[index];
        if (previous) {
            auto k = font.kerning.find({previous, c});
            if (k != font.kerning.end())
                width += k->second;
        }
        previous = c;
    }
    return width;
}

void FontBaker::Render(Canvas& canvas, const BakedFont& font, const std::string& text, double x, double y,
                       const Rgb& colour)
{
    cairo_t* cr = canvas.Cr();
    for (int layer = 0; layer < 2; ++layer) {
        const bool shadow = layer == 0;
        double pen = x;
        for (size_t i = 0; i < text.size(); ++i) {
            const int c = static_cast<unsigned char>(text[i]) & 0x7F;
            const Rect& r = font.rects[c];
            if (r.w > 0) {
                const double gx = pen + font.offsetX[c] + (shadow ? 1 : 0);
                const double gy = y + font.offsetY[c] + (shadow ? 1 : 0);
                cairo_save(cr);
                cairo_rectangle(cr, gx, gy, r.w, r.h);
                cairo_clip(cr);
                if (shadow)
                    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
                else
                    canvas.SetColor(colour);
                cairo_mask_surface(cr, font.atlas->Surface(), gx - r.x, gy - r.y);
                cairo_restore(cr);
            }
            pen += font.advance[c];
            if (i + 1 < text.size()) {
                auto k = font.kerning.find({text[i], text[i + 1]});
                if (k != font.kerning.end())
                    pen += k->second;
            }
        }
    }
}

} // namespace assetgen
