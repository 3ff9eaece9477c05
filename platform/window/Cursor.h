// Mouse cursors: the system's shapes (LoadCursor with an IDC_ id), cursors
// made from AND/XOR masks (CreateCursor) or from 32-bit ARGB pixels, the
// current cursor (SetCursor) and the display counter of ShowCursor (the
// cursor shows while the counter is 0 or more).
//
// Threads: the main thread; one mutex guards the current cursor, the counter
// and the set of live cursors, and is released before the back end is told.
#pragma once

#include "platform/window/WindowTypes.h"

#include <cstdint>
#include <vector>

namespace platform {

struct CursorObject {
    WORD systemId = 0;            // IDC_*; 0 for a made cursor
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows top to bottom (made cursors)
};

// A system cursor (instance null); null for an unknown id. The same id gives
// the same handle every time; such cursors are never destroyed.
HCURSOR LoadCursorA(HINSTANCE instance, WORD systemCursorId);
// Monochrome masks, one bit per pixel, rows padded to 16 bits: AND 1 keeps
// the screen (transparent), AND 0 paints XOR's colour (0 black, 1 white);
// AND 1 with XOR 1 (inverting) is drawn black.
HCURSOR CreateCursor(HINSTANCE instance, int hotX, int hotY, int width, int height, const void* andPlane,
                     const void* xorPlane);
// From width x height 0xAARRGGBB pixels. Null for sizes outside 1..256.
HCURSOR CreateCursorFromPixels(const uint32_t* pixels, int width, int height, int hotX, int hotY);
BOOL DestroyCursor(HCURSOR cursor);
// Makes `cursor` current (null: no cursor) and returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Adds 1 (show) or takes 1 (hide) and returns the new counter.
int ShowCursor(BOOL show);

namespace testing {
// What the back end was last told: the cursor and whether it shows.
HCURSOR AppliedCursor();
bool CursorShown();
void ResetCursors();
} // namespace testing

} // namespace platform
