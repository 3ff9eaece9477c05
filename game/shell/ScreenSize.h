// The size of the game's screen. Every screen and dialog is placed relative
// to its middle (half of it, 512 x 384 on the 1024 x 768 screen).
//
// Threads: any (a constant table).
#pragma once

#include "controls/Size.h"

namespace Gamespace {

// The size of the screen mode in use; the game runs in the first mode,
// 1024 x 768, of its two (the second is 1280 x 800).
void GetScreenSize(ControlLibrary::Size& out);

} // namespace Gamespace
