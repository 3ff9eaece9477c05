// The sheet of the shell's yes and no buttons, "images/btn_yes_no.png": a
// column for each button, its four frames (normal, hover, pressed, disabled)
// one below the other. The exit question cuts its buttons from it, and the
// customize dialog its stage-announcement toggle.
//
// Threads: any (constants).
#pragma once

#include "controls/Rect.h"

#include <array>
#include <cstdint>

namespace Gamespace::YesNoSheet {

inline constexpr char kImage[] = "images/btn_yes_no.png";
inline constexpr uint32_t kYesWidth = 70;
inline constexpr uint32_t kNoWidth = 58;
inline constexpr uint32_t kHeight = 50;
inline constexpr std::array<ControlLibrary::Rect, 4> kYesFrames{
    {{0, 0, 70, 50}, {0, 51, 70, 50}, {0, 102, 70, 50}, {0, 154, 70, 50}}};
inline constexpr std::array<ControlLibrary::Rect, 4> kNoFrames{
    {{71, 0, 58, 50}, {71, 51, 58, 50}, {71, 102, 58, 50}, {71, 154, 58, 50}}};

} // namespace Gamespace::YesNoSheet
