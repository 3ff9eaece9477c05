// The size of a visible object, in pixels.
#pragma once

#include <cstdint>

namespace ControlLibrary {

struct Size {
    uint32_t w = 0;
    uint32_t h = 0;

    bool operator==(const Size&) const = default;
};

} // namespace ControlLibrary
