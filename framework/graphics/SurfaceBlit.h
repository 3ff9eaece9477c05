// Drawing straight into the memory of a locked 16- or 32-bit surface: fills,
// lines, plain, translucent, additive and mirrored blits, nearest-sample
// stretches and the bilinear rotated blit. The functions know nothing of
// images or DirectDraw: the caller locks the surface, describes it with a
// SurfaceView (rows may be padded: the pitch is what steps rows), hands over
// the source's cached forms (the display-format copy, the run maps, the ARGB
// pixels) and the display's saturation tables, and unlocks afterwards.
//
// Every function cuts its work to the surface and to the source image, so no
// pixel outside either is read or written whatever the rectangles say; colour
// and tint components are taken clamped to 0..255.
//
// Threads: the drawing (main) thread; the functions keep no state.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/StretchMapping.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zolt {

// The pixel layout of a surface: depth and channel masks (red, green, blue),
// with each mask's position (lowest set bit) and width derived from it.
struct SurfaceFormat {
    int32_t bitsPerPixel = 0;
    uint32_t masks[3] = {0, 0, 0};
    int32_t shifts[3] = {0, 0, 0};
    int32_t bits[3] = {0, 0, 0};

    static SurfaceFormat FromMasks(int32_t bitsPerPixel, uint32_t red, uint32_t green, uint32_t blue);

    // 16 or 32 bits per pixel, every channel 1 to 8 bits wide and inside the
    // pixel, no two channels overlapping.
    bool IsSupported() const;
    int32_t BytesPerPixel() const { return bitsPerPixel / 8; }
    uint32_t ChannelMax(int c) const { return masks[c] >> shifts[c]; }
    bool Is565() const { return bitsPerPixel == 16 && masks[1] == 0x07E0; }
    bool Is555() const { return bitsPerPixel == 16 && masks[1] == 0x03E0; }
    // 32 bits with 8-bit channels in bytes 0 to 2, red-green-blue or
    // blue-green-red: the channel-pair arithmetic applies.
    bool IsBytes32() const
    {
        return bitsPerPixel == 32 && masks[1] == 0xFF00 &&
               ((masks[0] == 0xFF0000 && masks[2] == 0xFF) || (masks[0] == 0xFF && masks[2] == 0xFF0000));
    }

    // An ARGB pixel in this format (top bits of each channel; no alpha),
    // and a surface pixel back to ARGB (channel bits at the top of each byte,
    // alpha 255): the conversions of the surface upload and read-back.
    uint32_t FromArgb(uint32_t argb) const;
    uint32_t ToArgb(uint32_t pixel) const;
};

// A locked surface: the first byte of row 0, the bytes from one row to the
// next (at least width x bytes per pixel, and a whole number of pixels),
// the size in pixels and the layout.
struct SurfaceView {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    SurfaceFormat format;

    // A pointer, a supported format and a pitch that holds a row.
    bool IsUsable() const;
};

// The display's per-channel saturation tables (red, green, blue): entry i is
// min(i, max) for i in 0 .. 2 x max, max the channel's largest value, so
// the sum of two channel values is clamped by one look-up.
struct SaturationTables {
    const uint32_t* table[3] = {nullptr, nullptr, nullptr};
    size_t size[3] = {0, 0, 0};

    // Each table holds at least 2 x max + 1 entries for the format's channels.
    bool Covers(const SurfaceFormat& format) const;
};

// Saturation tables built for one format, for callers without a display
// (tools, tests and benchmarks).
class SaturationTableSet {
public:
    explicit SaturationTableSet(const SurfaceFormat& format);
    SaturationTables View() const;

private:
    std::vector<uint32_t> tables_[3];
};

// One form of a source image's pixels: a word per pixel, or a 256-word
// palette with one index per pixel. Rows are `width` pixels apart.
struct SourcePixels {
    const uint32_t* words = nullptr;
    const uint8_t* indices = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    uint32_t At(size_t i) const { return indices ? words[indices[i]] : words[i]; }
};

namespace SurfaceBlit {

// Rectangle fill in source-over (the colour's alpha) and by saturating add.
void FillNormal(const SurfaceView& dest, const Rect& rect, const Color& colour);
void FillAdditive(const SurfaceView& dest, const SaturationTables& tables, const Rect& rect,
                  const Color& colour);

// Lines between two points: a Bresenham walk stored or blended, the same
// walk added, and the antialiased line of two weighted pixels per step.
void LineNormal(const SurfaceView& dest, double x1, double y1, double x2, double y2, const Color& colour);
void LineAdditive(const SurfaceView& dest, const SaturationTables& tables, double x1, double y1, double x2,
                  double y2, const Color& colour);
void LineSmoothNormal(const SurfaceView& dest, double x1, double y1, double x2, double y2,
                      const Color& colour);

// The blits copy sourceRect of the source to (x, y); the mirrored ones flip
// it left to right inside the same destination rectangle.
//
// ARGB pixels (or palette) blended with their own alpha, no cache needed:
// the path for sources that change often. rgbOrder is the display's
// red-above-green-above-blue flag, which allows the packed arithmetic.
void BlendArgb(const SurfaceView& dest, const SourcePixels& argb, int x, int y, const Rect& sourceRect,
               bool rgbOrder);
// Display-format pixels copied; when keyed, pixels whose alpha byte is 0 are
// left alone.
void CopyNative(const SurfaceView& dest, const SourcePixels& native, bool keyed, int x, int y,
                const Rect& sourceRect);
// Display-format (premultiplied) pixels composited run by run from the
// alpha run map: transparent runs skipped, opaque runs copied, the rest
// blended; a tint other than white scales the colour and the alpha.
void BlendRuns(const SurfaceView& dest, const SourcePixels& native, const uint8_t* alphaRuns, int x, int y,
               const Rect& sourceRect, const Color& tint, bool mirrored);
// Display-format pixels added with saturation, black runs of the additive
// run map skipped; a tint other than white scales each channel.
void AddRuns(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& native,
             const uint8_t* additiveRuns, int x, int y, const Rect& sourceRect, const Color& tint,
             bool mirrored);

// Nearest-sample stretch of the display-format pixels: the area `sourceArea`
// (in source pixels, from the stretch mapping) onto `clippedDest`, in 16.16
// steps. Draw mode 0 is source-over, every other mode additive. Samples are
// kept inside `sourceRect` (cut to the source image). With `premultiplyFor`
// the pixels are ARGB instead, and each sample is put into that format's
// premultiplied form as it is read: the same pixels as from the
// display-format copy, without making one.
void StretchNearest(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& native,
                    const Rect& sourceRect, const DoubleRect& sourceArea, const Rect& clippedDest,
                    const Color& tint, int drawMode, bool mirrored, const NativeDisplay* premultiplyFor = nullptr);

// Bilinear rotated blit of ARGB pixels (or palette): sourceRect placed at
// (x, y) and turned by `angle` radians (counter-clockwise on the screen)
// about (x + centreX, y + centreY), drawn inside `clip`. Draw mode 0 is
// source-over, every other mode additive.
void Rotate(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& argb, float x, float y,
            const Rect& sourceRect, const Rect& clip, const Color& tint, int drawMode, double angle,
            float centreX, float centreY, bool rgbOrder);
// True when the turned rectangle of a rotated blit reaches into the clip on
// a destination of the given size.
bool RotatedBoxVisible(int destWidth, int destHeight, float x, float y, const Rect& sourceRect, const Rect& clip,
                       double angle, float centreX, float centreY);

} // namespace SurfaceBlit
} // namespace Zolt
