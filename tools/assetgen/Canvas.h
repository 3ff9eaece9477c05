// A Cairo image surface with the drawing steps the painters share: rounded
// shapes, metal and lacquer fills, shaped text with a shadow, grain and
// noise, and deterministic PNG and JPEG files (no time stamps, fixed
// settings, so the same picture always gives the same bytes).
//
// Owned and used by one painter at a time on the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/Typefaces.h"

#include <cairo.h>

#include <cstdint>
#include <string>

namespace assetgen {

struct Rgb {
    double r = 0, g = 0, b = 0;
    Rgb Mix(const Rgb& other, double t) const
    {
        return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t};
    }
    Rgb Scaled(double k) const { return {r * k, g * k, b * k}; }
};

Rgb Hex(uint32_t rgb);

// The house palette: felt, wood, brass, lacquer, ivory.
namespace palette {
extern const Rgb kFelt, kFeltDark, kWood, kWoodDark, kBrass, kBrassLight, kBrassDark, kLacquer, kLacquerLight,
    kIvory, kCream, kGold;
}

// Smooth value noise in [0, 1] over the plane, several octaves.
double FractalNoise(double x, double y, uint32_t seed, int octaves);

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Cr() const { return cr_; }
    cairo_surface_t* Surface() const { return surface_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    void SetColor(const Rgb& c, double alpha = 1.0);
    void RoundedRect(double x, double y, double w, double h, double r);
    void Ellipse(double cx, double cy, double rx, double ry);
    // A vertical gradient over [y0, y1] through the given stops.
    void FillVertical(double y0, double y1, const Rgb& top, const Rgb& bottom, double alpha = 1.0);
    // Brass: a bright band across a darker metal, filled into the current path.
    void FillBrass(double y0, double y1, double brightness = 1.0);
    void StrokeBrass(double y0, double y1, double width, double brightness = 1.0);

    // Shaped text centred vertically on y (its capital height), its x the
    // left edge, centre or right edge as align is 0, 1 or 2.
    void Text(const Typefaces& faces, Typeface face, double size, const std::string& text, double x, double y,
              int align, const Rgb& colour, double shadowAlpha = 0.6, double alpha = 1.0);
    // Text scaled down so that it is at most maxWidth wide.
    void TextFit(const Typefaces& faces, Typeface face, double size, const std::string& text, double x, double y,
                 int align, double maxWidth, const Rgb& colour, double shadowAlpha = 0.6);
    double TextWidth(const Typefaces& faces, Typeface face, double size, const std::string& text) const;

    // Multiplies the pixels inside the rectangle by a grain of the given
    // strength (wood when stretched, felt when not).
    void Grain(const Rect& area, uint32_t seed, double strength, double stretchX, double stretchY);
    // Turns the pixels of the rectangle grey and dims them.
    void Desaturate(const Rect& area, double keep, double dim);

    // Copies another canvas in at (x, y), scaled by `scale`.
    void Paste(const Canvas& other, double x, double y, double scale = 1.0, double alpha = 1.0);

    bool WritePng(const std::string& path, std::string* error) const;
    bool WriteJpeg(const std::string& path, int quality, std::string* error) const;

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

} // namespace assetgen
