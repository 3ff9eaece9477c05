// System fonts: an installed scalable font opened at a pixel size, measured
// and written into 32-bit bitmaps, as the framework's system font needs
// (the other platform's GDI text). Face names that the program asks for
// ("Arial", "Tahoma", "Arial Unicode MS", "Courier New"...) are mapped to
// the free families installed here (Liberation, DejaVu); fontconfig finds
// the files and FreeType renders grey-scale anti-aliased glyphs. Text is
// 8-bit Windows-1252.
//
// Threads: any. FreeType and fontconfig are not safe to share between
// threads, so every call into them (and each face's glyph cache) is made
// under one process-wide mutex.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::fonts {

struct FontRequest {
    std::string face;
    // Character (em) height in pixels.
    int pixelHeight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Kept for the caller; every face here covers Windows-1252.
    int charset = 0;
};

struct FaceMetrics {
    int ascent = 0;
    int descent = 0;
    // ascent + descent: the height of a line.
    int height = 0;
};

// Pixels outside [left, right) x [top, bottom) are never touched.
struct ClipBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class SystemFontFace {
public:
    // Null only when no scalable font at all can be found or opened (tests
    // provoke that with the failure hook "FontOpen").
    static std::unique_ptr<SystemFontFace> Open(const FontRequest& request);
    ~SystemFontFace();
    SystemFontFace(const SystemFontFace&) = delete;
    SystemFontFace& operator=(const SystemFontFace&) = delete;

    const FontRequest& Request() const;
    // The family and file that stand in for the requested face.
    const std::string& FamilyName() const;
    const std::string& FilePath() const;

    FaceMetrics Metrics() const;
    // The width of one line of text (no line breaks are interpreted).
    int MeasureText(const std::string& text) const;
    // Writes one line of text with a transparent background into a bitmap of
    // 0xAARRGGBB words (pitch words per row): the line's top-left corner at
    // (x, top); each covered pixel's red, green and blue move toward the
    // colour (0xRRGGBB) by the glyph's coverage, and its top byte is kept.
    // Only pixels inside the bitmap and the clip (when given) are touched.
    void DrawText(uint32_t* pixels, int width, int height, int pitch, int x, int top, uint32_t rgb,
                  const std::string& text, const ClipBox* clip = nullptr) const;

private:
    struct Impl;
    explicit SystemFontFace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The free family standing in for a face name of the other platform; the
// name itself when none is known (fontconfig then picks the nearest).
std::string StandInFamily(const std::string& face);
// The Unicode code point of a Windows-1252 byte (undefined bytes map to
// themselves).
uint32_t Cp1252ToUnicode(uint8_t byte);

} // namespace platform::fonts
