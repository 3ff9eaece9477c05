#include "tools/assetgen/Typefaces.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <cmath>

namespace assetgen {

namespace {

struct FaceSource {
    const char* family;
    const char* style;
    const char* package;
    const char* licence;
};

const FaceSource kSources[static_cast<int>(Typeface::Count)] = {
    {"TeX Gyre Chorus", "Regular", "fonts-texgyre", "GUST Font License"},
    {"Dancing Script", "Bold", "fonts-dancingscript", "SIL Open Font License 1.1"},
    {"Kaushan Script", "Regular", "fonts-kaushanscript", "SIL Open Font License 1.1"},
    {"TeX Gyre Pagella", "Bold", "fonts-texgyre", "GUST Font License"},
    {"TeX Gyre Pagella", "Regular", "fonts-texgyre", "GUST Font License"},
    {"DejaVu Sans", "Book", "fonts-dejavu-core", "Bitstream Vera / public-domain changes"},
    {"DejaVu Sans", "Bold", "fonts-dejavu-core", "Bitstream Vera / public-domain changes"},
    {"Mekanus ADF Std", "Bold", "fonts-adf-mekanus", "GPL 2 or later with font exception"},
};

// Features off so that a shaped line holds one glyph per character.
const char* const kFeatures[] = {"-liga", "-clig", "-dlig", "-calt", "-rlig", "kern"};

std::string FindFontFile(const FaceSource& source)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(source.family));
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(source.style));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* family = nullptr;
        FcChar8* path = nullptr;
        // fontconfig always answers with something; only the asked family
        // will do, so that a missing package fails instead of drawing in a
        // fallback face.
        bool familyMatches = false;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            familyMatches = familyMatches || std::string(reinterpret_cast<char*>(family)) == source.family;
        if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

struct Typefaces::Loaded {
    FT_Face ft = nullptr;
    cairo_font_face_t* cairo = nullptr;
    hb_font_t* hb = nullptr;
    std::vector<hb_feature_t> features;
    ~Loaded()
    {
        if (hb)
            hb_font_destroy(hb);
        if (cairo)
            cairo_font_face_destroy(cairo);
        if (ft)
            FT_Done_Face(ft);
    }
};

Typefaces::Typefaces() = default;

Typefaces::~Typefaces()
{
    faces_.clear();
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool Typefaces::Load()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error_ = "FreeType could not start";
        return false;
    }
    library_ = library;
    for (const FaceSource& source : kSources) {
        const std::string file = FindFontFile(source);
        auto loaded = std::make_unique<Loaded>();
        if (file.empty() || FT_New_Face(library, file.c_str(), 0, &loaded->ft) != 0) {
            error_ = std::string("font \"") + source.family + " " + source.style + "\" is not installed (package " +
                     source.package + "; run tools/install-dependencies)";
            return false;
        }
        loaded->cairo = cairo_ft_font_face_create_for_ft_face(loaded->ft, 0);
        loaded->hb = hb_ft_font_create_referenced(loaded->ft);
        for (const char* text : kFeatures) {
            hb_feature_t feature;
            if (hb_feature_from_string(text, -1, &feature))
                loaded->features.push_back(feature);
        }
        faces_.push_back(std::move(loaded));
    }
    return true;
}

cairo_font_face_t* Typefaces::CairoFace(Typeface face) const
{
    return faces_[static_cast<size_t>(face)]->cairo;
}

ShapedLine Typefaces::Shape(Typeface face, double pixelSize, const std::string& text) const
{
    Loaded& f = *faces_[static_cast<size_t>(face)];
    // HarfBuzz works in 26.6 units of the size set on the FreeType face.
    const int scaled = static_cast<int>(std::lround(pixelSize * 64));
    FT_Set_Char_Size(f.ft, 0, scaled, 72, 72);
    hb_ft_font_changed(f.hb);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf8(buffer, text.c_str(), static_cast<int>(text.size()), 0, -1);
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, HB_SCRIPT_LATIN);
    hb_buffer_set_language(buffer, hb_language_from_string("en", -1));
    hb_shape(f.hb, buffer, f.features.data(), static_cast<unsigned>(f.features.size()));
    unsigned count = 0;
    hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    ShapedLine line;
    double pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        cairo_glyph_t g;
        g.index = info[i].codepoint;
        g.x = pen + pos[i].x_offset / 64.0;
        g.y = -pos[i].y_offset / 64.0;
        line.glyphs.push_back(g);
        pen += pos[i].x_advance / 64.0;
    }
    line.advance = pen;
    hb_buffer_destroy(buffer);
    return line;
}

GlyphMetrics Typefaces::Measure(Typeface face, double pixelSize, char c) const
{
    Loaded& f = *faces_[static_cast<size_t>(face)];
    FT_Set_Char_Size(f.ft, 0, static_cast<int>(std::lround(pixelSize * 64)), 72, 72);
    GlyphMetrics m;
    const FT_UInt index = FT_Get_Char_Index(f.ft, static_cast<unsigned char>(c));
    if (FT_Load_Glyph(f.ft, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return m;
    const FT_Glyph_Metrics& gm = f.ft->glyph->metrics;
    m.advance = f.ft->glyph->linearHoriAdvance / 65536.0;
    m.left = gm.horiBearingX / 64.0;
    m.top = -gm.horiBearingY / 64.0;
    m.right = m.left + gm.width / 64.0;
    m.bottom = m.top + gm.height / 64.0;
    m.hasInk = gm.width > 0 && gm.height > 0;
    return m;
}

double Typefaces::Kerning(Typeface face, double pixelSize, char first, char second) const
{
    const char pair[3] = {first, second, 0};
    const char single[2] = {first, 0};
    const ShapedLine both = Shape(face, pixelSize, pair);
    if (both.glyphs.size() != 2)
        return 0.0;
    return both.glyphs[1].x - Shape(face, pixelSize, single).advance;
}

double Typefaces::SizeForCapHeight(Typeface face, double capHeight) const
{
    const GlyphMetrics h = Measure(face, 100.0, 'H');
    const double height = h.bottom - h.top;
    return height > 0 ? 100.0 * capHeight / height : capHeight / 0.7;
}

std::string Typefaces::Describe(Typeface face)
{
    const FaceSource& s = kSources[static_cast<size_t>(face)];
    return std::string(s.family) + " " + s.style + " (" + s.package + ", " + s.licence + ")";
}

} // namespace assetgen
