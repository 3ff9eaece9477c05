// The pictures of the two cursors. '#' is black, 'o' white, anything else
// lets the screen show through.
#include "framework/app/AppCursors.h"

#include <array>
#include <cstddef>

namespace Zolt {

namespace {

using Art = std::array<const char*, kCursorSize>;

// A hand with the index finger up; the finger tip is the hot spot.
constexpr Art kHandArt = {
    "           ##                   ",
    "          #oo#                  ",
    "          #oo#                  ",
    "          #oo#                  ",
    "          #oo#                  ",
    "          #oo###                ",
    "          #oo#oo###             ",
    "          #oo#oo#oo##           ",
    "       ## #oo#oo#oo#o#          ",
    "      #oo##oooooooo#oo#         ",
    "      #ooo#ooooooooooo#         ",
    "       #oo#ooooooooooo#         ",
    "        #oooooooooooo#          ",
    "        #oooooooooooo#          ",
    "         #ooooooooooo#          ",
    "         #oooooooooo#           ",
    "          #ooooooooo#           ",
    "          #ooooooooo#           ",
    "          ###########           ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

// A closed hand holding on; the middle of the palm is the hot spot.
constexpr Art kDragArt = {
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "           ## ## ##             ",
    "          #oo#oo#oo##           ",
    "          #oo#oo#oo#o#          ",
    "        ###oooooooo#oo#         ",
    "       #oo#ooooooooooo#         ",
    "       #ooooooooooooooo#        ",
    "        #oooooooooooooo#        ",
    "        #ooooooooooooo#         ",
    "         #oooooooooooo#         ",
    "         #ooooooooooo#          ",
    "          #oooooooooo#          ",
    "          #oooooooooo#          ",
    "          ############          ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

struct Masks {
    std::array<uint8_t, kCursorSize * kCursorSize / 8> andMask{};
    std::array<uint8_t, kCursorSize * kCursorSize / 8> xorMask{};
};

Masks Build(const Art& art)
{
    Masks m;
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const char c = art[y][x];
            const std::size_t byte = std::size_t(y) * (kCursorSize / 8) + std::size_t(x / 8);
            const uint8_t bit = uint8_t(0x80 >> (x % 8));
            if (c != '#' && c != 'o')
                m.andMask[byte] |= bit; // transparent
            if (c == 'o')
                m.xorMask[byte] |= bit; // white
        }
    }
    return m;
}

const Masks& Hand()
{
    static const Masks masks = Build(kHandArt);
    return masks;
}

const Masks& Drag()
{
    static const Masks masks = Build(kDragArt);
    return masks;
}

} // namespace

const uint8_t* HandCursorAndMask() { return Hand().andMask.data(); }
const uint8_t* HandCursorXorMask() { return Hand().xorMask.data(); }
const uint8_t* DragCursorAndMask() { return Drag().andMask.data(); }
const uint8_t* DragCursorXorMask() { return Drag().xorMask.data(); }

} // namespace Zolt
