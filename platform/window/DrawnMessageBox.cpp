#include "platform/window/DrawnMessageBox.h"

#include "platform/fonts/SystemFontFace.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/TextWrap.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTypes.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int kTextPixels = 15;
constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 520;
constexpr int kMinWidth = 300;
constexpr int kButtonHeight = 28;
constexpr int kButtonMinWidth = 84;
constexpr int kButtonGap = 8;
// A box stays within a small screen; what does not fit was written to
// standard error whole.
constexpr size_t kMaxLines = 24;

struct Icon {
    uint32_t disc = 0;
    uint32_t mark = 0;
    const char* glyph = nullptr;
};

Icon IconFor(UINT flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return {0xC62828, 0xFFFFFF, "\xD7"};
    case MB_ICONQUESTION: return {0x2F6FD0, 0xFFFFFF, "?"};
    case MB_ICONWARNING: return {0xE6A100, 0x1E1E1E, "!"};
    case MB_ICONINFORMATION: return {0x2F6FD0, 0xFFFFFF, "i"};
    default: return {};
    }
}

} // namespace

std::vector<MessageBoxButton> MessageBoxButtonsFor(UINT flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
    }
}

std::optional<int> MessageBoxCloseAnswer(UINT flags)
{
    const std::vector<MessageBoxButton> buttons = MessageBoxButtonsFor(flags);
    for (const MessageBoxButton& button : buttons)
        if (button.id == IDCANCEL)
            return IDCANCEL;
    if (buttons.size() == 1)
        return buttons[0].id;
    return std::nullopt;
}

std::unique_ptr<DrawnMessageBox> DrawnMessageBox::Make(const std::string& text, const std::string& caption,
                                                       UINT flags)
{
    std::unique_ptr<DrawnMessageBox> box(new DrawnMessageBox);
    if (!box->OpenFonts())
        return nullptr;
    box->captionUtf8_ = caption;
    box->flags_ = flags;
    box->mnemonics_ = true;
    box->closeAnswer_ = MessageBoxCloseAnswer(flags);
    box->Layout(Utf8ToWindows1252(text), MessageBoxButtonsFor(flags), DefaultMessageBoxAnswer(flags));
    return box;
}

std::unique_ptr<DrawnMessageBox> DrawnMessageBox::MakeChoice(const std::string& text, const std::string& caption,
                                                             const std::vector<MessageBoxButton>& buttons,
                                                             std::optional<int> closeAnswer)
{
    std::unique_ptr<DrawnMessageBox> box(new DrawnMessageBox);
    if (buttons.empty() || !box->OpenFonts())
        return nullptr;
    box->captionUtf8_ = caption;
    box->closeAnswer_ = closeAnswer;
    box->Layout(Utf8ToWindows1252(text), buttons, buttons.front().id);
    return box;
}

DrawnMessageBox::~DrawnMessageBox() = default;

bool DrawnMessageBox::OpenFonts()
{
    body_ = fonts::SystemFontFace::Open({"Tahoma", kTextPixels});
    mark_ = fonts::SystemFontFace::Open({"Tahoma", kIconSize * 2 / 3, true});
    return body_ && mark_;
}

void DrawnMessageBox::Layout(const std::string& text, const std::vector<MessageBoxButton>& buttons,
                             int defaultAnswer)
{
    lineHeight_ = body_->Metrics().height + 3;
    const bool icon = IconFor(flags_).glyph != nullptr;
    textLeft_ = kMargin + (icon ? kIconSize + 14 : 0);
    textTop_ = kMargin;

    WrapRule rule;
    rule.width = kMaxTextWidth;
    rule.measure = [this](const std::string& line) { return body_->MeasureText(line); };
    lines_ = WrapText(text, rule);
    KeepFirstLines(lines_, kMaxLines, "\x85", rule);
    int textWidth = 0;
    for (const std::string& line : lines_)
        textWidth = std::max(textWidth, body_->MeasureText(line));

    int rowWidth = 0;
    int widestButton = 0;
    for (const MessageBoxButton& b : buttons) {
        Button button{b.id, Utf8ToWindows1252(b.label), {}};
        button.area.width = std::max(kButtonMinWidth, body_->MeasureText(button.label) + 24);
        button.area.height = kButtonHeight;
        rowWidth += button.area.width + (rowWidth ? kButtonGap : 0);
        widestButton = std::max(widestButton, button.area.width);
        buttons_.push_back(button);
    }
    const int widest = textLeft_ + kMaxTextWidth + kMargin;
    const bool oneRow = rowWidth + 2 * kMargin <= widest;
    width_ = std::max({kMinWidth, textLeft_ + textWidth + kMargin, (oneRow ? rowWidth : widestButton) + 2 * kMargin});
    width_ = std::min(width_, widest);
    const int textHeight = std::max<int>(static_cast<int>(lines_.size()) * lineHeight_, icon ? kIconSize : 0);
    const int buttonsTop = textTop_ + textHeight + kMargin + 4;
    const int buttonsBottom = oneRow ? PlaceButtonsInARow(buttonsTop, rowWidth) : PlaceButtonsInAColumn(buttonsTop);
    height_ = buttonsBottom + kMargin - 2;

    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].id == defaultAnswer)
            focused_ = i;
}

// Right-aligned in one row, as the system's box has them; the bottom.
int DrawnMessageBox::PlaceButtonsInARow(int top, int rowWidth)
{
    int x = width_ - kMargin - rowWidth;
    for (Button& b : buttons_) {
        b.area.x = x;
        b.area.y = top;
        x += b.area.width + kButtonGap;
    }
    return top + kButtonHeight;
}

// Across the box, one above the other; labels too long are cut. The bottom.
int DrawnMessageBox::PlaceButtonsInAColumn(int top)
{
    WrapRule rule;
    rule.width = width_ - 2 * kMargin - 16;
    rule.measure = [this](const std::string& label) { return body_->MeasureText(label); };
    int y = top;
    for (Button& b : buttons_) {
        b.area = {kMargin, y, width_ - 2 * kMargin, kButtonHeight};
        b.label = FitOneLine(b.label, "\x85", rule);
        y += kButtonHeight + kButtonGap / 2;
    }
    return y - kButtonGap / 2;
}

int DrawnMessageBox::ButtonAt(int x, int y) const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].area.Holds(x, y))
            return static_cast<int>(i);
    return -1;
}

void DrawnMessageBox::Choose(size_t index)
{
    if (!answer_)
        answer_ = buttons_[index].id;
}

void DrawnMessageBox::MoveFocus(int step)
{
    const int count = static_cast<int>(buttons_.size());
    focused_ = static_cast<size_t>((static_cast<int>(focused_) + step + count) % count);
    redraw_ = true;
}

void DrawnMessageBox::PointerMove(int x, int y)
{
    const int over = ButtonAt(x, y);
    if (over != hovered_) {
        hovered_ = over;
        redraw_ = true;
    }
}

void DrawnMessageBox::PointerDown(int x, int y)
{
    pressed_ = ButtonAt(x, y);
    if (pressed_ >= 0)
        focused_ = static_cast<size_t>(pressed_);
    redraw_ = true;
}

void DrawnMessageBox::PointerUp(int x, int y)
{
    const int released = ButtonAt(x, y);
    if (pressed_ >= 0 && released == pressed_)
        Choose(static_cast<size_t>(released));
    pressed_ = -1;
    redraw_ = true;
}

void DrawnMessageBox::KeyDown(int vk, bool shift)
{
    switch (vk) {
    case VK_RETURN:
    case VK_SPACE: Choose(focused_); return;
    case VK_ESCAPE: CloseRequested(); return;
    case VK_TAB: MoveFocus(shift ? -1 : 1); return;
    case VK_LEFT:
    case VK_UP: MoveFocus(-1); return;
    case VK_RIGHT:
    case VK_DOWN: MoveFocus(1); return;
    default: break;
    }
    if (!mnemonics_)
        return;
    static constexpr struct {
        int key;
        int id;
    } kMnemonics[] = {{'Y', IDYES}, {'N', IDNO}, {'A', IDABORT}, {'R', IDRETRY}, {'I', IDIGNORE}};
    for (const auto& m : kMnemonics)
        if (vk == m.key)
            for (size_t i = 0; i < buttons_.size(); ++i)
                if (buttons_[i].id == m.id)
                    Choose(i);
}

void DrawnMessageBox::CloseRequested()
{
    if (closeAnswer_ && !answer_)
        answer_ = *closeAnswer_;
}

bool DrawnMessageBox::TakeRedraw()
{
    const bool redraw = redraw_;
    redraw_ = false;
    return redraw;
}

void DrawnMessageBox::Draw(DrawnCanvas& canvas) const
{
    canvas.Fill({0, 0, width_, height_}, drawn_colour::kFace);
    const Icon icon = IconFor(flags_);
    if (icon.glyph) {
        canvas.Disc(kMargin, textTop_, kIconSize, icon.disc);
        const int glyphLeft = kMargin + (kIconSize - mark_->MeasureText(icon.glyph) + 1) / 2;
        const int glyphTop = textTop_ + (kIconSize - mark_->Metrics().height + 1) / 2;
        canvas.Text(*mark_, glyphLeft, glyphTop, icon.mark, icon.glyph);
    }
    for (size_t i = 0; i < lines_.size(); ++i)
        canvas.Text(*body_, textLeft_, textTop_ + static_cast<int>(i) * lineHeight_, drawn_colour::kText, lines_[i]);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const int index = static_cast<int>(i);
        canvas.Button(buttons_[i].area, *body_, buttons_[i].label,
                      {i == focused_, index == pressed_, index == hovered_});
    }
}

} // namespace platform
