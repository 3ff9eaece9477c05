// Colour value carried by every drawing call: four signed components, each
// meant to lie in 0..255. A plain value, copied freely; used on any thread.
#pragma once

#include <cstdint>

namespace Zolt {

class Color {
public:
    // Opaque black.
    Color() = default;
    Color(int32_t r, int32_t g, int32_t b) : red(r), green(g), blue(b), alpha(255) {}
    Color(int32_t r, int32_t g, int32_t b, int32_t a) : red(r), green(g), blue(b), alpha(a) {}
    // From 0xAARRGGBB. A zero alpha byte reads as 255, so that 0x00RRGGBB
    // (how most callers write a colour) is opaque; a packed value therefore
    // never yields a fully transparent colour.
    explicit Color(uint32_t packed);

    // The red, green and blue of another colour, fully opaque.
    static Color OpaqueOf(const Color& other) { return Color(other.red, other.green, other.blue, 255); }

    // 0xAARRGGBB; components are not clamped first.
    uint32_t ToPacked() const;

    int32_t Red() const { return red; }
    int32_t Green() const { return green; }
    int32_t Blue() const { return blue; }
    int32_t Alpha() const { return alpha; }

    bool operator==(const Color& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const Color& o) const { return !(*this == o); }

    static const Color Black;
    // The no-tint colour: blitters take their untinted paths only for exactly
    // this value, alpha included.
    static const Color White;

    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t alpha = 255;
};

} // namespace Zolt
