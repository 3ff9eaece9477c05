// Paints the crash window (CrashWindowView) into a bitmap of 400 x 300
// 0xAARRGGBB words: the face, the heading, the report box with its sunken
// edge and scroll bar, and the buttons, in the plain look of a system
// dialog.
//
// Threads: any; the caller owns the bitmap and the faces.
#pragma once

#include "platform/crash/CrashWindowView.h"
#include "platform/fonts/SystemFontFace.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct CrashWindowFonts {
    const fonts::SystemFontFace* heading = nullptr; // bold "Arial", 9 points
    const fonts::SystemFontFace* report = nullptr;  // "Courier New", 8 points
    const fonts::SystemFontFace* button = nullptr;
};

// Opens the window's faces at the pixel heights of their point sizes on a
// screen of 96 dots per inch; false when any is missing.
bool OpenCrashWindowFonts(std::vector<std::unique_ptr<fonts::SystemFontFace>>& keep, CrashWindowFonts* out);

// `pixels` holds kWidth x kHeight words, row after row.
void PaintCrashWindow(const CrashWindowView& view, const std::string& heading, const CrashWindowFonts& fonts,
                      uint32_t* pixels);

} // namespace platform
