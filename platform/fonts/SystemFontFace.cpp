#include "platform/fonts/SystemFontFace.h"

#include "platform/core/Testing.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <mutex>
#include <vector>

namespace platform::fonts {

namespace {

// Guards the FreeType library, every face and fontconfig. Recursive: a face
// that fails half-way is closed while the lock is still held.
std::recursive_mutex& FontMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

// Created on first use and kept for the life of the process.
FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

std::string LowerCased(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct Match {
    std::string file;
    int index = 0;
    std::string family;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

// Fontconfig is set up on first use and torn down at exit, so that its
// configuration and caches are not left behind as leaks.
bool InitFontconfig()
{
    static const bool ready = [] {
        if (!FcInit())
            return false;
        std::atexit([] { FcFini(); });
        return true;
    }();
    return ready;
}

bool FindFontFile(const std::string& family, bool bold, bool italic, Match& out)
{
    if (!InitFontconfig())
        return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    bool found = false;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        out.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &out.index);
        if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch && matchedFamily)
            out.family = reinterpret_cast<const char*>(matchedFamily);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &out.weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &out.slant);
        found = true;
    }
    FcPatternDestroy(match);
    return found;
}

struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage;
};

} // namespace

struct SystemFontFace::Impl {
    FontRequest request;
    std::string family;
    std::string file;
    FT_Face face = nullptr;
    bool emboldenGlyphs = false;
    bool slantGlyphs = false;
    FaceMetrics metrics;
    int underlinePosition = 0;  // pixels below the baseline
    int underlineThickness = 1;
    mutable std::array<std::unique_ptr<Glyph>, 256> glyphs;

    ~Impl()
    {
        std::lock_guard<std::recursive_mutex> lock(FontMutex());
        if (face)
            FT_Done_Face(face);
    }

    // The glyph of a Windows-1252 byte; the font mutex must be held.
    const Glyph& GlyphOf(uint8_t byte) const
    {
        std::unique_ptr<Glyph>& slot = glyphs[byte];
        if (slot)
            return *slot;
        slot = std::make_unique<Glyph>();
        const FT_UInt index = FT_Get_Char_Index(face, Cp1252ToUnicode(byte));
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0)
            return *slot;
        FT_GlyphSlot glyph = face->glyph;
        if (emboldenGlyphs)
            FT_GlyphSlot_Embolden(glyph);
        if (slantGlyphs)
            FT_GlyphSlot_Oblique(glyph);
        slot->advance = static_cast<int>((glyph->advance.x + 32) >> 6);
        if (FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) != 0)
            return *slot;
        const FT_Bitmap& bitmap = glyph->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer)
            return *slot;
        slot->left = glyph->bitmap_left;
        slot->top = glyph->bitmap_top;
        slot->width = static_cast<int>(bitmap.width);
        slot->rows = static_cast<int>(bitmap.rows);
        slot->coverage.resize(static_cast<size_t>(slot->width) * slot->rows);
        for (int row = 0; row < slot->rows; ++row) {
            const uint8_t* source = bitmap.pitch >= 0
                                        ? bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch
                                        : bitmap.buffer + static_cast<ptrdiff_t>(slot->rows - 1 - row) * -bitmap.pitch;
            std::copy(source, source + slot->width, slot->coverage.begin() + static_cast<ptrdiff_t>(row) * slot->width);
        }
        return *slot;
    }
};

SystemFontFace::SystemFontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SystemFontFace::~SystemFontFace() = default;

std::unique_ptr<SystemFontFace> SystemFontFace::Open(const FontRequest& request)
{
    std::lock_guard<std::recursive_mutex> lock(FontMutex());
    FT_Library library = Library();
    if (!library)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->request = request;
    Match match;
    if (!FindFontFile(StandInFamily(request.face), request.bold, request.italic, match) &&
        !FindFontFile("DejaVu Sans", request.bold, request.italic, match))
        return nullptr;
    // "FontOpen" can be made to fail by tests, as a font file that cannot
    // be opened would.
    if (testing::ShouldFail("FontOpen") || FT_New_Face(library, match.file.c_str(), match.index, &impl->face) != 0) {
        impl->face = nullptr;
        return nullptr;
    }
    FT_Face face = impl->face;
    impl->family = match.family;
    impl->file = match.file;
    impl->emboldenGlyphs = request.bold && match.weight < FC_WEIGHT_DEMIBOLD;
    impl->slantGlyphs = request.italic && match.slant == FC_SLANT_ROMAN;
    const int pixels = std::clamp(request.pixelHeight, 1, 2048);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0)
        return nullptr;

    // Line metrics from the font's own ascent and descent for the platform
    // it was made for, where it has them.
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    const double scale = pixels / unitsPerEm;
    double ascent = face->ascender;
    double descent = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF &&
                                                                                 os2->usWinAscent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    impl->metrics.ascent = static_cast<int>(std::ceil(ascent * scale - 0.01));
    impl->metrics.descent = std::max(0, static_cast<int>(std::lround(descent * scale)));
    impl->metrics.height = impl->metrics.ascent + impl->metrics.descent;
    impl->underlinePosition = std::max(1, static_cast<int>(std::lround(-face->underline_position * scale)));
    impl->underlineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * scale)));
    return std::unique_ptr<SystemFontFace>(new SystemFontFace(std::move(impl)));
}

const FontRequest& SystemFontFace::Request() const { return impl_->request; }
const std::string& SystemFontFace::FamilyName() const { return impl_->family; }
const std::string& SystemFontFace::FilePath() const { return impl_->file; }
FaceMetrics SystemFontFace::Metrics() const { return impl_->metrics; }

int SystemFontFace::MeasureText(const std::string& text) const
{
    std::lock_guard<std::recursive_mutex> lock(FontMutex());
    int width = 0;
    for (char c : text)
        width += impl_->GlyphOf(static_cast<uint8_t>(c)).advance;
    return width;
}

void SystemFontFace::DrawText(uint32_t* pixels, int width, int height, int pitch, int x, int top, uint32_t rgb,
                              const std::string& text, const ClipBox* clip) const
{
    if (!pixels || width <= 0 || height <= 0 || pitch < width)
        return;
    ClipBox box{0, 0, width, height};
    if (clip) {
        box.left = std::max(box.left, clip->left);
        box.top = std::max(box.top, clip->top);
        box.right = std::min(box.right, clip->right);
        box.bottom = std::min(box.bottom, clip->bottom);
    }
    if (box.left >= box.right || box.top >= box.bottom)
        return;
    const int colour[3] = {int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)};
    auto blend = [&](int px, int py, int coverage) {
        if (coverage <= 0 || px < box.left || px >= box.right || py < box.top || py >= box.bottom)
            return;
        uint32_t& pixel = pixels[static_cast<ptrdiff_t>(py) * pitch + px];
        uint32_t out = pixel & 0xFF000000u;
        for (int channel = 0; channel < 3; ++channel) {
            const int shift = 16 - 8 * channel;
            const int d = int((pixel >> shift) & 0xFF);
            const int v = d + ((colour[channel] - d) * coverage + (colour[channel] > d ? 127 : -127)) / 255;
            out |= uint32_t(std::clamp(v, 0, 255)) << shift;
        }
        pixel = out;
    };

    std::lock_guard<std::recursive_mutex> lock(FontMutex());
    const int baseline = top + impl_->metrics.ascent;
    int64_t pen = x;
    for (char c : text) {
        const Glyph& glyph = impl_->GlyphOf(static_cast<uint8_t>(c));
        const int64_t left = pen + glyph.left;
        const int gy0 = baseline - glyph.top;
        if (left < box.right && left + glyph.width > box.left)
            for (int row = 0; row < glyph.rows; ++row)
                for (int column = 0; column < glyph.width; ++column)
                    blend(static_cast<int>(left + column), gy0 + row,
                          glyph.coverage[static_cast<size_t>(row) * glyph.width + column]);
        pen += glyph.advance;
        if (pen > box.right + 4096)
            break;
    }
    if (impl_->request.underline) {
        const int y0 = baseline + impl_->underlinePosition - impl_->underlineThickness / 2;
        for (int row = 0; row < impl_->underlineThickness; ++row)
            for (int64_t px = std::max<int64_t>(x, box.left); px < std::min<int64_t>(pen, box.right); ++px)
                blend(static_cast<int>(px), y0 + row, 255);
    }
}

std::string StandInFamily(const std::string& face)
{
    static const std::pair<const char*, const char*> kStandIns[] = {
        {"arial", "Liberation Sans"},
        {"arial unicode ms", "Liberation Sans"},
        {"arial black", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"lucida console", "DejaVu Sans Mono"},
        {"tahoma", "DejaVu Sans"},
        {"verdana", "DejaVu Sans"},
        {"segoe ui", "DejaVu Sans"},
        {"trebuchet ms", "DejaVu Sans"},
        {"georgia", "DejaVu Serif"},
        {"", "DejaVu Sans"},
    };
    const std::string key = LowerCased(face);
    for (const auto& [name, family] : kStandIns)
        if (key == name)
            return family;
    return face;
}

uint32_t Cp1252ToUnicode(uint8_t byte)
{
    static const uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

} // namespace platform::fonts
