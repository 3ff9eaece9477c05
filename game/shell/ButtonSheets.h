// The shell's shared button sheets: "images/btn_yes_no.png",
// "images/btn_ok_cancel.png" and "images/btn_new_delete.png". Each button is
// a column of its sheet, its four frames (normal, hover, pressed, disabled)
// one below the other; every dialog that shows one of these buttons cuts it
// from here (BaseDialogImpl::SetButtonLook, AddButton).
//
// Threads: any (constants).
#pragma once

#include "controls/Rect.h"

#include <array>
#include <cstdint>

namespace Gamespace {

// One button of a sheet: the sheet, the button's four frames and its size.
struct SheetButton {
    const char* image;
    std::array<ControlLibrary::Rect, 4> frames;
    uint32_t w;
    uint32_t h;
};

namespace button_sheets {

inline constexpr char kYesNoImage[] = "images/btn_yes_no.png";
inline constexpr char kOkCancelImage[] = "images/btn_ok_cancel.png";
inline constexpr char kNewDeleteImage[] = "images/btn_new_delete.png";

inline constexpr SheetButton kYes{
    kYesNoImage, {{{0, 0, 70, 50}, {0, 51, 70, 50}, {0, 102, 70, 50}, {0, 154, 70, 50}}}, 70, 50};
inline constexpr SheetButton kNo{
    kYesNoImage, {{{71, 0, 58, 50}, {71, 51, 58, 50}, {71, 102, 58, 50}, {71, 154, 58, 50}}}, 58, 50};
inline constexpr SheetButton kOk{
    kOkCancelImage, {{{0, 0, 56, 36}, {0, 43, 56, 36}, {0, 87, 56, 36}, {0, 130, 56, 36}}}, 56, 36};
inline constexpr SheetButton kCancel{
    kOkCancelImage, {{{56, 0, 110, 36}, {56, 44, 110, 36}, {56, 87, 110, 36}, {56, 130, 110, 36}}}, 110, 36};
inline constexpr SheetButton kDelete{
    kNewDeleteImage, {{{0, 0, 95, 41}, {0, 43, 95, 41}, {0, 87, 95, 41}, {0, 130, 95, 41}}}, 95, 41};
inline constexpr SheetButton kNew{
    kNewDeleteImage, {{{95, 0, 80, 41}, {95, 43, 80, 41}, {95, 87, 80, 41}, {95, 130, 80, 41}}}, 80, 41};

} // namespace button_sheets

} // namespace Gamespace
