// A message box the program draws itself, for when the system's cannot be
// shown (no X core font for SDL's box, no zenity): its caption, text and
// buttons laid out and drawn with the program's own text rendering
// (FreeType through platform/fonts) into a picture of 32-bit pixels, and
// the player's pointer and keys turned into the answer the system's box
// would give. A back end puts the picture in a window and feeds it input.
//
// Answers as the other platform's box: Return or Space choose the focused
// button (the default button at first, MB_DEFBUTTONn), Tab and the arrow
// keys move the focus, Y, N, A, R and I choose Yes, No, Abort, Retry and
// Ignore; Escape and the window's close button give Cancel when the box
// has one, OK for a box with OK alone, and do nothing otherwise (a Yes/No
// question must be answered). A click chooses a button when the press and
// the release are both on it.
//
// Threads: the thread that shows the box.
#pragma once

#include "platform/core/Types.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

namespace fonts {
class SystemFontFace;
}

struct MessageBoxButton {
    int id;            // IDOK, IDCANCEL, ...
    const char* label; // "OK", "Cancel", ...
};
// The buttons of a box of these MB_ flags, left to right.
std::vector<MessageBoxButton> MessageBoxButtonsFor(UINT flags);
// The answer of Escape or the close button: IDCANCEL when the box has
// Cancel, IDOK for OK alone, nothing when it must be answered with a button.
std::optional<int> MessageBoxCloseAnswer(UINT flags);

class DrawnMessageBox {
public:
    struct Area {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool Holds(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    };

    // Texts in UTF-8, as the back ends get them. Null when no font can be
    // opened to draw it with.
    static std::unique_ptr<DrawnMessageBox> Make(const std::string& text, const std::string& caption, UINT flags);
    ~DrawnMessageBox();
    DrawnMessageBox(const DrawnMessageBox&) = delete;
    DrawnMessageBox& operator=(const DrawnMessageBox&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::string& Caption() const { return captionUtf8_; }
    const std::string& Text() const { return textUtf8_; }
    UINT Flags() const { return flags_; }
    // The lines of text drawn (Windows-1252), after wrapping; a text too
    // long for the box ends in "..." (the whole of it went to standard error).
    const std::vector<std::string>& Lines() const { return lines_; }
    size_t ButtonCount() const { return buttons_.size(); }
    int ButtonId(size_t index) const { return buttons_[index].id; }
    Area ButtonArea(size_t index) const { return buttons_[index].area; }
    // The button that Return would choose now.
    size_t FocusedButton() const { return focused_; }

    // Input, in the box's own pixels; `vk` is a virtual-key code.
    void PointerMove(int x, int y);
    void PointerDown(int x, int y);
    void PointerUp(int x, int y);
    void KeyDown(int vk, bool shift);
    void CloseRequested();
    // The button chosen, once there is one.
    std::optional<int> Answer() const { return answer_; }
    // True once after anything that changes the picture.
    bool TakeRedraw();

    // Draws the whole box into Width() x Height() pixels 0xAARRGGBB (pitch
    // in pixels), opaque.
    void Draw(uint32_t* pixels, int pitch) const;

private:
    struct Button {
        int id;
        std::string label;
        Area area;
    };
    DrawnMessageBox() = default;
    void Layout(const std::string& text);
    int ButtonAt(int x, int y) const;
    void Choose(size_t index);
    void MoveFocus(int step);

    std::string textUtf8_;
    std::string captionUtf8_;
    std::string caption_; // Windows-1252
    UINT flags_ = 0;
    std::unique_ptr<fonts::SystemFontFace> body_;
    std::unique_ptr<fonts::SystemFontFace> heading_;
    std::unique_ptr<fonts::SystemFontFace> mark_; // the icon's sign
    std::vector<std::string> lines_;
    std::vector<Button> buttons_;
    int width_ = 0;
    int height_ = 0;
    int bandHeight_ = 0;
    int textLeft_ = 0;
    int textTop_ = 0;
    int lineHeight_ = 0;
    size_t focused_ = 0;
    int hovered_ = -1;
    int pressed_ = -1;
    bool redraw_ = true;
    std::optional<int> answer_;
};

} // namespace platform
