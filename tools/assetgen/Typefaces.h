// The freely licensed faces the generator draws its words and image fonts
// with, found through fontconfig by family and style (the set-up script
// installs their Debian packages), and the shaping of a line of text in one
// of them through HarfBuzz (kerning applied, ligatures off, so a line is
// exactly its characters).
//
// One instance lives for a generator run; only the generator's thread uses it.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

namespace assetgen {

enum class Typeface {
    Chancery,    // TeX Gyre Chorus (fonts-texgyre)
    Script,      // Dancing Script (fonts-dancingscript)
    BrushScript, // Kaushan Script (fonts-kaushanscript)
    BoldSerif,   // TeX Gyre Pagella Bold (fonts-texgyre)
    Serif,       // TeX Gyre Pagella (fonts-texgyre)
    Sans,        // DejaVu Sans (fonts-dejavu-core)
    SansBold,    // DejaVu Sans Bold (fonts-dejavu-core)
    Nouveau,     // Mekanus ADF Std Bold (fonts-adf-mekanus)
    Count
};

// A shaped line: glyphs positioned from a pen at (0, 0) on the baseline.
struct ShapedLine {
    std::vector<cairo_glyph_t> glyphs;
    double advance = 0;
};

// Ink bounds of a character at a size, relative to its pen position on the
// baseline (y grows downwards), and its advance.
struct GlyphMetrics {
    double advance = 0;
    double left = 0, top = 0, right = 0, bottom = 0;
    bool hasInk = false;
};

class Typefaces {
public:
    Typefaces();
    ~Typefaces();
    Typefaces(const Typefaces&) = delete;
    Typefaces& operator=(const Typefaces&) = delete;

    // False, with the reason in Error(), when a face is not installed.
    bool Load();
    const std::string& Error() const { return error_; }

    cairo_font_face_t* CairoFace(Typeface face) const;
    ShapedLine Shape(Typeface face, double pixelSize, const std::string& text) const;
    GlyphMetrics Measure(Typeface face, double pixelSize, char c) const;
    // The horizontal adjustment HarfBuzz applies between two characters.
    double Kerning(Typeface face, double pixelSize, char first, char second) const;
    // The pixel size at which the face's capital H is capHeight pixels tall.
    double SizeForCapHeight(Typeface face, double capHeight) const;
    // "family style (package, licence)" for reports.
    static std::string Describe(Typeface face);

private:
    struct Loaded;
    std::vector<std::unique_ptr<Loaded>> faces_;
    void* library_ = nullptr;
    std::string error_;
};

} // namespace assetgen
