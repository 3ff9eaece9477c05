#include "platform/window/DrawnMessageBox.h"

#include "platform/fonts/SystemFontFace.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTypes.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// The look: a light face under a dark caption band (a box may show where no
// window manager gives it a title bar), dark text, grey buttons with the
// focused one ringed in blue.
constexpr uint32_t kFace = 0xF2F2F2;
constexpr uint32_t kBand = 0x34495E;
constexpr uint32_t kBandText = 0xFFFFFF;
constexpr uint32_t kText = 0x1E1E1E;
constexpr uint32_t kButton = 0xE1E1E1;
constexpr uint32_t kButtonHover = 0xE8F0FB;
constexpr uint32_t kButtonPressed = 0xC8D8F0;
constexpr uint32_t kButtonEdge = 0x8A8A8A;
constexpr uint32_t kFocusEdge = 0x2F6FD0;
constexpr uint32_t kOuterEdge = 0x5A6B7D;

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

void Fill(uint32_t* pixels, int pitch, const DrawnMessageBox::Area& area, uint32_t rgb)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        std::fill(pixels + y * pitch + area.x, pixels + y * pitch + area.x + area.width, 0xFF000000u | rgb);
}

void Frame(uint32_t* pixels, int pitch, const DrawnMessageBox::Area& a, uint32_t rgb, int thickness)
{
    Fill(pixels, pitch, {a.x, a.y, a.width, thickness}, rgb);
    Fill(pixels, pitch, {a.x, a.y + a.height - thickness, a.width, thickness}, rgb);
    Fill(pixels, pitch, {a.x, a.y, thickness, a.height}, rgb);
    Fill(pixels, pitch, {a.x + a.width - thickness, a.y, thickness, a.height}, rgb);
}

uint32_t Blend(uint32_t under, uint32_t over, double amount)
{
    auto channel = [&](int shift) {
        const double a = (under >> shift) & 0xFF;
        const double b = (over >> shift) & 0xFF;
        return static_cast<uint32_t>(std::lround(a + (b - a) * amount)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

// A disc with soft edges, in the square at (x, y).
void Disc(uint32_t* pixels, int pitch, int x, int y, int size, uint32_t rgb)
{
    const double r = size / 2.0;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            const double d = std::hypot(px + 0.5 - r, py + 0.5 - r);
            const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
            if (cover > 0) {
                uint32_t& p = pixels[(y + py) * pitch + x + px];
                p = Blend(p, rgb, cover);
            }
        }
    }
}

// Cuts `text` to fit `width` with "..." (Windows-1252 0x85) at the end.
std::string FitWidth(const fonts::SystemFontFace& face, std::string text, int width)
{
    if (face.MeasureText(text) <= width)
        return text;
    while (!text.empty() && face.MeasureText(text + "\x85") > width)
        text.pop_back();
    return text + "\x85";
}

// The text broken into lines no wider than `width`: at its own line ends,
// then between words, and inside a word too long for a line.
std::vector<std::string> Wrap(const fonts::SystemFontFace& face, const std::string& text, int width)
{
    std::vector<std::string> lines;
    std::string paragraph;
    auto flush = [&] {
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            size_t end = paragraph.find(' ', at);
            if (end == std::string::npos)
                end = paragraph.size();
            std::string word = paragraph.substr(at, end - at);
            at = end + 1;
            std::string tried = line.empty() ? word : line + " " + word;
            if (face.MeasureText(tried) <= width) {
                line = tried;
                continue;
            }
            if (!line.empty())
                lines.push_back(line);
            line.clear();
            while (face.MeasureText(word) > width && word.size() > 1) {
                size_t fits = 1;
                while (fits < word.size() && face.MeasureText(word.substr(0, fits + 1)) <= width)
                    ++fits;
                lines.push_back(word.substr(0, fits));
                word.erase(0, fits);
            }
            line = word;
        }
        lines.push_back(line);
        paragraph.clear();
    };
    for (char c : text) {
        if (c == '\r')
            continue;
        if (c == '\n')
            flush();
        else
            paragraph += c == '\t' ? ' ' : c;
    }
    flush();
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
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
    box->body_ = fonts::SystemFontFace::Open({"Tahoma", kTextPixels});
    box->heading_ = fonts::SystemFontFace::Open({"Tahoma", kTextPixels, true});
    box->mark_ = fonts::SystemFontFace::Open({"Tahoma", kIconSize * 2 / 3, true});
    if (!box->body_ || !box->heading_ || !box->mark_)
        return nullptr;
    box->textUtf8_ = text;
    box->captionUtf8_ = caption;
    box->caption_ = Utf8ToWindows1252(caption);
    box->flags_ = flags;
    box->Layout(Utf8ToWindows1252(text));
    return box;
}

DrawnMessageBox::~DrawnMessageBox() = default;

void DrawnMessageBox::Layout(const std::string& text)
{
    const fonts::FaceMetrics metrics = body_->Metrics();
    lineHeight_ = metrics.height + 3;
    bandHeight_ = heading_->Metrics().height + 14;
    const bool icon = IconFor(flags_).glyph != nullptr;
    textLeft_ = kMargin + (icon ? kIconSize + 14 : 0);
    textTop_ = bandHeight_ + kMargin;

    lines_ = Wrap(*body_, text, kMaxTextWidth);
    if (lines_.size() > kMaxLines) {
        lines_.resize(kMaxLines);
        lines_.back() = FitWidth(*body_, lines_.back() + "\x85\x85", kMaxTextWidth);
    }
    int textWidth = 0;
    for (const std::string& line : lines_)
        textWidth = std::max(textWidth, body_->MeasureText(line));

    for (const MessageBoxButton& b : MessageBoxButtonsFor(flags_))
        buttons_.push_back({b.id, b.label, {}});
    int buttonsWidth = 0;
    for (Button& b : buttons_) {
        b.area.width = std::max(kButtonMinWidth, body_->MeasureText(b.label) + 24);
        b.area.height = kButtonHeight;
        buttonsWidth += b.area.width + (buttonsWidth ? kButtonGap : 0);
    }

    width_ = std::max({kMinWidth, textLeft_ + textWidth + kMargin, buttonsWidth + 2 * kMargin,
                       heading_->MeasureText(caption_) + 2 * kMargin});
    width_ = std::min(width_, textLeft_ + kMaxTextWidth + kMargin);
    caption_ = FitWidth(*heading_, caption_, width_ - 2 * kMargin);
    const int textHeight = std::max<int>(static_cast<int>(lines_.size()) * lineHeight_, icon ? kIconSize : 0);
    const int buttonsTop = textTop_ + textHeight + kMargin + 4;
    height_ = buttonsTop + kButtonHeight + kMargin - 2;
    int x = width_ - kMargin - buttonsWidth;
    for (Button& b : buttons_) {
        b.area.x = x;
        b.area.y = buttonsTop;
        x += b.area.width + kButtonGap;
    }

    const int defaultAnswer = DefaultMessageBoxAnswer(flags_);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].id == defaultAnswer)
            focused_ = i;
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
    if (const std::optional<int> answer = MessageBoxCloseAnswer(flags_); answer && !answer_)
        answer_ = *answer;
}

bool DrawnMessageBox::TakeRedraw()
{
    const bool redraw = redraw_;
    redraw_ = false;
    return redraw;
}

void DrawnMessageBox::Draw(uint32_t* pixels, int pitch) const
{
    Fill(pixels, pitch, {0, 0, width_, height_}, kFace);
    Fill(pixels, pitch, {0, 0, width_, bandHeight_}, kBand);
    Frame(pixels, pitch, {0, 0, width_, height_}, kOuterEdge, 1);
    const int headingTop = (bandHeight_ - heading_->Metrics().height) / 2;
    heading_->DrawText(pixels, width_, height_, pitch, kMargin, headingTop, kBandText, caption_);

    const Icon icon = IconFor(flags_);
    if (icon.glyph) {
        Disc(pixels, pitch, kMargin, textTop_, kIconSize, icon.disc);
        const int glyphLeft = kMargin + (kIconSize - mark_->MeasureText(icon.glyph) + 1) / 2;
        const int glyphTop = textTop_ + (kIconSize - mark_->Metrics().height + 1) / 2;
        mark_->DrawText(pixels, width_, height_, pitch, glyphLeft, glyphTop, icon.mark, icon.glyph);
    }
    for (size_t i = 0; i < lines_.size(); ++i)
        body_->DrawText(pixels, width_, height_, pitch, textLeft_, textTop_ + static_cast<int>(i) * lineHeight_, kText,
                        lines_[i]);

    for (size_t i = 0; i < buttons_.size(); ++i) {
        const Button& b = buttons_[i];
        const int index = static_cast<int>(i);
        const uint32_t face = index == pressed_ ? kButtonPressed : index == hovered_ ? kButtonHover : kButton;
        Fill(pixels, pitch, b.area, face);
        if (i == focused_)
            Frame(pixels, pitch, b.area, kFocusEdge, 2);
        else
            Frame(pixels, pitch, b.area, kButtonEdge, 1);
        const int labelLeft = b.area.x + (b.area.width - body_->MeasureText(b.label)) / 2;
        const int labelTop = b.area.y + (b.area.height - body_->Metrics().height) / 2;
        body_->DrawText(pixels, width_, height_, pitch, labelLeft, labelTop, kText, b.label);
    }
}

} // namespace platform
