// What every window the program draws itself paints with (the message box
// of DrawnMessageBox, the crash window): one rectangle type, one palette in
// the plain look of a system dialog, and one painter over a bitmap of
// 0xAARRGGBB words that never writes outside the bitmap or its own area.
//
// Threads: any; the caller owns the bitmap and the faces.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

namespace fonts {
class SystemFontFace;
}

// A rectangle in a drawn window's own pixels.
struct PixelArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Holds(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool Empty() const { return width <= 0 || height <= 0; }
    PixelArea Inset(int by) const { return {x + by, y + by, width - 2 * by, height - 2 * by}; }
    bool operator==(const PixelArea&) const = default;
};

// 0xRRGGBB.
namespace drawn_colour {
inline constexpr uint32_t kFace = 0xF2F2F2;
inline constexpr uint32_t kText = 0x1E1E1E;
inline constexpr uint32_t kPaper = 0xFFFFFF;
// The caption band a window shows where no window manager frames it.
inline constexpr uint32_t kBand = 0x34495E;
inline constexpr uint32_t kBandText = 0xFFFFFF;
inline constexpr uint32_t kOuterEdge = 0x5A6B7D;
inline constexpr uint32_t kButton = 0xE1E1E1;
inline constexpr uint32_t kButtonHover = 0xE8F0FB;
inline constexpr uint32_t kButtonPressed = 0xC8D8F0;
inline constexpr uint32_t kButtonEdge = 0x8A8A8A;
inline constexpr uint32_t kFocusEdge = 0x2F6FD0;
// Sunken and raised edges, the scroll bar.
inline constexpr uint32_t kHighlight = 0xFFFFFF;
inline constexpr uint32_t kLight = 0xE3E3E3;
inline constexpr uint32_t kShadow = 0xA0A0A0;
inline constexpr uint32_t kDarkShadow = 0x696969;
inline constexpr uint32_t kTrack = 0xE8E8E8;
inline constexpr uint32_t kBarButton = 0xDADADA;
inline constexpr uint32_t kThumb = 0xC2C2C2;
inline constexpr uint32_t kArrow = 0x505050;
inline constexpr uint32_t kDisabledArrow = 0xB0B0B0;
} // namespace drawn_colour

class DrawnCanvas {
public:
    DrawnCanvas(uint32_t* pixels, int width, int height, int pitch)
        : pixels_(pixels), width_(width), height_(height), pitch_(pitch)
    {
    }
    // The part of this canvas below its top `rows` rows, with its own origin.
    DrawnCanvas Below(int rows) const;

    int Width() const { return width_; }
    int Height() const { return height_; }

    void Fill(const PixelArea& area, uint32_t rgb);
    // A frame `thickness` pixels wide inside the area.
    void Frame(const PixelArea& area, uint32_t rgb, int thickness);
    // A one-pixel frame, top and left in one colour, bottom and right in the
    // other (raised or sunken by their order).
    void Edge(const PixelArea& area, uint32_t topLeft, uint32_t bottomRight);
    // A disc with soft edges in the square of `size` at (x, y).
    void Disc(int x, int y, int size, uint32_t rgb);
    // A small triangle pointing up or down in the middle of the area.
    void Arrow(const PixelArea& area, bool up, uint32_t rgb);
    // One line of Windows-1252 text with its top-left corner at (x, top),
    // inside `clip` when given.
    void Text(const fonts::SystemFontFace& face, int x, int top, uint32_t rgb, const std::string& text,
              const PixelArea* clip = nullptr);
    // A push button: its face by state, a blue double ring when focused,
    // the label in the middle.
    struct ButtonLook {
        bool focused = false;
        bool pressed = false;
        bool hovered = false;
    };
    void Button(const PixelArea& area, const fonts::SystemFontFace& face, const std::string& label, ButtonLook look);

private:
    PixelArea Clipped(const PixelArea& area) const;

    uint32_t* pixels_;
    int width_;
    int height_;
    int pitch_;
};

} // namespace platform
