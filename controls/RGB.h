// A toolkit colour. It carries no alpha: everything is drawn opaque.
#pragma once

#include <cstdint>

namespace ControlLibrary {

struct RGB {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    bool operator==(const RGB&) const = default;
};

} // namespace ControlLibrary
