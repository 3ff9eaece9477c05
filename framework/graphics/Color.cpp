#include "framework/graphics/Color.h"

namespace Zolt {

const Color Color::Black(0, 0, 0, 255);
const Color Color::White(255, 255, 255, 255);

Color::Color(uint32_t packed)
    : red(static_cast<int32_t>((packed >> 16) & 0xFF)),
      green(static_cast<int32_t>((packed >> 8) & 0xFF)),
      blue(static_cast<int32_t>(packed & 0xFF)),
      alpha(static_cast<int32_t>(packed >> 24))
{
    if (alpha == 0)
        alpha = 255;
}

uint32_t Color::ToPacked() const
{
    uint32_t v = static_cast<uint32_t>(alpha);
    v = (v << 8) | static_cast<uint32_t>(red);
    v = (v << 8) | static_cast<uint32_t>(green);
    v = (v << 8) | static_cast<uint32_t>(blue);
    return v;
}

} // namespace Zolt
