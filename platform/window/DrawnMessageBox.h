// The message box the program draws itself: its text, icon and buttons
// laid out and drawn with the program's own text rendering (FreeType
// through platform/fonts), and the player's pointer and keys turned into the
// answer the system's box would give. It is the content of a window of the
// drawn-window kit (DrawnWindow.h), which gives it its caption band and its
// window. Besides the MB_ button sets, a box may offer buttons of its own
// (the demo player's list of markers, when no list dialog can be shown);
// buttons too many for one row stand one above the other.
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
#include "platform/window/DrawnWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct MessageBoxButton {
    int id;            // IDOK, IDCANCEL, ...
    std::string label; // "OK", "Cancel", ... (UTF-8)
};
// The buttons of a box of these MB_ flags, left to right.
std::vector<MessageBoxButton> MessageBoxButtonsFor(UINT flags);
// The answer of Escape or the close button: IDCANCEL when the box has
// Cancel, IDOK for OK alone, nothing when it must be answered with a button.
std::optional<int> MessageBoxCloseAnswer(UINT flags);

class DrawnMessageBox final : public DrawnWindowContent {
public:
    // Texts in UTF-8, as the back ends get them. Null when no font can be
    // opened to draw it with.
    static std::unique_ptr<DrawnMessageBox> Make(const std::string& text, const std::string& caption, UINT flags);
    // A box with buttons of its own: the first has the focus; Escape and
    // the close button answer `closeAnswer` when there is one.
    static std::unique_ptr<DrawnMessageBox> MakeChoice(const std::string& text, const std::string& caption,
                                                       const std::vector<MessageBoxButton>& buttons,
                                                       std::optional<int> closeAnswer);
    ~DrawnMessageBox() override;
    DrawnMessageBox(const DrawnMessageBox&) = delete;
    DrawnMessageBox& operator=(const DrawnMessageBox&) = delete;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    const std::string& Caption() const { return captionUtf8_; }
    // The lines of text drawn (Windows-1252), after wrapping; a text too
    // long for the box ends in "..." (the whole of it went to standard error).
    const std::vector<std::string>& Lines() const { return lines_; }
    size_t ButtonCount() const { return buttons_.size(); }
    int ButtonId(size_t index) const { return buttons_[index].id; }
    PixelArea ButtonArea(size_t index) const { return buttons_[index].area; }
    // The button that Return would choose now.
    size_t FocusedButton() const { return focused_; }
    // The button chosen, once there is one.
    std::optional<int> Answer() const { return answer_; }
    // The answer of a box that went without one (the session ended, the
    // display was lost): the close answer, else 0.
    int AnswerOrClose() const { return answer_.value_or(closeAnswer_.value_or(0)); }

    void PointerMove(int x, int y) override;
    void PointerDown(int x, int y) override;
    void PointerUp(int x, int y) override;
    void Wheel(int) override {}
    void KeyDown(int vk, bool shift) override;
    void CloseRequested() override;
    bool Done() const override { return answer_.has_value(); }
    bool TakeRedraw() override;
    void Draw(DrawnCanvas& canvas) const override;

private:
    struct Button {
        int id;
        std::string label; // Windows-1252
        PixelArea area;
    };
    DrawnMessageBox() = default;
    bool OpenFonts();
    void Layout(const std::string& text, const std::vector<MessageBoxButton>& buttons, int defaultAnswer);
    int PlaceButtonsInARow(int top, int rowWidth);
    int PlaceButtonsInAColumn(int top);
    int ButtonAt(int x, int y) const;
    void Choose(size_t index);
    void MoveFocus(int step);

    std::string captionUtf8_;
    UINT flags_ = 0;
    bool mnemonics_ = false;
    std::optional<int> closeAnswer_;
    std::unique_ptr<fonts::SystemFontFace> body_;
    std::unique_ptr<fonts::SystemFontFace> mark_; // the icon's sign
    std::vector<std::string> lines_;
    std::vector<Button> buttons_;
    int width_ = 0;
    int height_ = 0;
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
