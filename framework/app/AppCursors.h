// The application's two cursors of its own, the pointing hand and the
// dragging hand: 32 x 32 monochrome AND and XOR masks (one bit per pixel,
// rows of four bytes, the top row first) with their hot spots.
//
// Threads: any; the masks are built once and never change.
#pragma once

#include <cstdint>

namespace Zolt {

constexpr int kCursorSize = 32;
constexpr int kHandCursorHotX = 11;
constexpr int kHandCursorHotY = 4;
constexpr int kDragCursorHotX = 15;
constexpr int kDragCursorHotY = 10;

const uint8_t* HandCursorAndMask();
const uint8_t* HandCursorXorMask();
const uint8_t* DragCursorAndMask();
const uint8_t* DragCursorXorMask();

} // namespace Zolt
