#include "framework/widgets/Dialog.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Zolt {

namespace {
// Within [low, high]; the low bound wins when the range is empty.
int KeepWithin(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}
} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonImage, int dialogId, bool modal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : dialogListener_(GetWidgetHost() ? GetWidgetHost()->GetDialogListener() : nullptr),
      componentImage_(componentImage), header_(header), footer_(footer), lines_(lines), buttonMode_(buttonMode),
      dialogId_(dialogId), modal_(modal)
{
    buttonHeight = buttonImage ? buttonImage->GetHeight() : 24;
    hasAlpha_ = true;
    hasTransparentAreas_ = true;
    overlayPriority_ = 1;

    const char* firstLabel = nullptr;
    const char* secondLabel = nullptr;
    if (buttonMode == kYesNo) {
        firstLabel = "YES";
        secondLabel = "NO";
    } else if (buttonMode == kOkCancel) {
        firstLabel = "OK";
        secondLabel = "CANCEL";
    }
    if (firstLabel) {
        firstButton_ = std::make_unique<DialogButton>(buttonImage, kFirstButtonId, this);
        firstButton_->SetLabel(firstLabel);
        secondButton_ = std::make_unique<DialogButton>(buttonImage, kSecondButtonId, this);
        secondButton_->SetLabel(secondLabel);
    } else if (buttonMode == kFooterButton) {
        firstButton_ = std::make_unique<DialogButton>(buttonImage, kFirstButtonId, this);
        firstButton_->SetLabel(footer);
    }

    static constexpr int32_t kColors[] = {255, 255, 255, 255, 255, 0,  255, 255, 255, 255, 255,
                                          255, 255, 255, 255, 80,  80, 80,  255, 255, 255};
    SetColorsRgb(kColors, 7);
    if (!buttonImage) {
        SetColorAt(kButtonLabel, Color(0, 0, 0));
        SetColorAt(kButtonLabelOver, Color(0, 0, 0));
    }
}

Dialog::~Dialog()
{
    wait_->alive = false;
    // The buttons go first (members), each taking itself out of the
    // manager; the widget part then takes the dialog out.
}

void Dialog::SetColorAt(int index, const Color& color)
{
    Widget::SetColorAt(index, color);
    for (DialogButton* button : {firstButton_.get(), secondButton_.get()}) {
        if (!button)
            continue;
        if (index == kButtonLabel)
            button->SetColorAt(ButtonWidget::kLabel, color);
        else if (index == kButtonLabelOver)
            button->SetColorAt(ButtonWidget::kLabelOver, color);
    }
}

void Dialog::SetCursor(int index)
{
    if (WidgetHost* host = Host())
        host->SetCursorIndex(index);
}

void Dialog::EnsureFonts()
{
    WidgetHost* host = Host();
    if (!host)
        return;
    if (!headerFont_)
        headerFont_ = host->MakeSystemFont("Arial Unicode MS", 14, 0, false, false, false);
    if (!linesFont_)
        linesFont_ = host->MakeSystemFont("Arial Unicode MS", 12, 0, false, false, false);
}

void Dialog::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height)
{
    Widget::SetBounds(x, y, width, height);
    LayoutButtons();
}

void Dialog::LayoutButtons()
{
    const Margins& bg = backgroundMargins;
    const Margins& ct = contentMargins;
    const int buttonY = y_ + height_ - ct.bottom - bg.bottom - buttonHeight;
    const int left = x_ + bg.left + ct.left;
    if (firstButton_ && secondButton_) {
        const int buttonWidth =
            (width_ - bg.left - bg.right - ct.left - ct.right - 2 * buttonSideInset - buttonGap) / 2;
        const int firstX = left + buttonSideInset;
        firstButton_->SetBounds(firstX, buttonY, buttonWidth, buttonHeight);
        secondButton_->SetBounds(firstX + buttonWidth + buttonGap, buttonY, buttonWidth, buttonHeight);
    } else if (firstButton_) {
        firstButton_->SetBounds(left, buttonY, width_ - ct.right - bg.right - bg.left - ct.left, buttonHeight);
    }
}

void Dialog::OnReordered()
{
    if (!manager_)
        return;
    // The second first, so that the pair stays in order in front.
    if (secondButton_)
        manager_->PlaceChildInFront(secondButton_.get(), this);
    if (firstButton_)
        manager_->PlaceChildInFront(firstButton_.get(), this);
}

void Dialog::OnAttached(WidgetManager* manager)
{
    Widget::OnAttached(manager);
    for (DialogButton* button : {firstButton_.get(), secondButton_.get()}) {
        if (!button)
            continue;
        button->SetZOrder(zOrder_);
        manager->AddChild(button);
    }
}

void Dialog::OnDetached(WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (firstButton_)
        manager->RemoveChild(firstButton_.get());
    if (secondButton_)
        manager->RemoveChild(secondButton_.get());
}

void Dialog::OnMouseButtonDown(int x, int y, int, int clickCount)
{
    if (clickCount != 1)
        return;
    SetCursor(2);
    dragging_ = true;
    dragPoint_ = Point{x, y};
}

void Dialog::OnMouseButtonUp(int, int, int, int)
{
    if (!dragging_)
        return;
    SetCursor(0);
    dragging_ = false;
}

void Dialog::OnMouseDrag(int x, int y)
{
    if (!dragging_ || !manager_)
        return;
    const int newX = KeepWithin(x_ + x - dragPoint_.x, -8, manager_->Width() - width_ + 8);
    const int newY = KeepWithin(y_ + y - dragPoint_.y, -8, manager_->Height() - height_ + 8);
    dragPoint_.x = KeepWithin(x_ - newX + x, 8, width_ - 9);
    dragPoint_.y = KeepWithin(y_ - newY + y, 8, height_ - 9);
    MoveTo(newX, newY);
}

void Dialog::OnButtonDown(int id)
{
    if ((id == kFirstButtonId || id == kSecondButtonId) && dialogListener_)
        dialogListener_->OnDialogButtonDown(dialogId_, id);
}

void Dialog::OnButtonClicked(int id)
{
    if (id != kFirstButtonId && id != kSecondButtonId)
        return;
    wait_->answer = id;
    if (dialogListener_)
        dialogListener_->OnDialogButtonClicked(dialogId_, id);
}

void Dialog::ApplyButtonFont(Font* font)
{
    if (firstButton_)
        firstButton_->SetLabelFont(font);
    if (secondButton_)
        secondButton_->SetLabelFont(font);
}

void Dialog::SetTitleFont(Font* font)
{
    headerFont_.reset(font ? font->Clone() : nullptr);
    Invalidate();
}

void Dialog::SetBodyFont(Font* font)
{
    linesFont_.reset(font ? font->Clone() : nullptr);
    Invalidate();
}

bool Dialog::IsBlocking()
{
    return modal_;
}

int Dialog::MeasureHeightForWidth(int width)
{
    EnsureFonts();
    const Margins& bg = backgroundMargins;
    const Margins& ct = contentMargins;
    int height = bg.top + bg.bottom + ct.top + ct.bottom;
    bool anything = false;
    if (!header_.empty()) {
        if (headerFont_)
            height += headerFont_->QueryHeight() - headerFont_->QueryAscentPadding();
        anything = true;
    }
    if (!lines_.empty()) {
        if (anything)
            height += spacing;
        if (linesFont_) {
            Graphics scratch(nullptr);
            scratch.SetFont(linesFont_.get());
            height += MeasureWrappedText(&scratch, width - ct.right - ct.left - bg.right - bg.left - 4, lines_,
                                         linesFont_->QueryLineAdvance() + extraLineSpacing);
        }
        anything = true;
    }
    if (HasFooterLine()) {
        if (anything)
            height += 8;
        if (headerFont_)
            height += headerFont_->QueryLineAdvance();
        anything = true;
    }
    if (firstButton_) {
        if (anything)
            height += 8;
        height += 8 + buttonHeight;
    }
    return height;
}

void Dialog::Paint(Graphics* g)
{
    EnsureFonts();
    const Margins& bg = backgroundMargins;
    const Margins& ct = contentMargins;
    const int w = width_, h = height_;
    if (componentImage_) {
        g->PaintImageFrame(Rect(bg.left, bg.top, w - bg.left - bg.right, h - bg.top - bg.bottom), componentImage_);
    } else {
        g->SetColor(GetColorAt(kBoxOutline));
        g->OutlineRectangle(12, 12, w - 25, h - 25);
        g->SetColor(GetColorAt(kBoxFace));
        g->FillRectangle(13, 13, w - 26, h - 26);
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRectangle(w - 12, 24, 12, h - 36);
        g->FillRectangle(24, h - 12, w - 24, 12);
    }

    int y = bg.top + ct.top;
    Rect drawn;
    if (!header_.empty() && headerFont_) {
        const int baseline = y - headerFont_->QueryAscentPadding() + headerFont_->QueryAscent();
        g->SetFont(headerFont_.get());
        g->SetColor(GetColorAt(kHeader));
        DrawCenteredLine(drawn, g, baseline, header_);
        y = baseline - headerFont_->QueryAscent() + headerFont_->QueryHeight() + spacing;
    }
    int linesHeight = 0;
    if (linesFont_) {
        g->SetFont(linesFont_.get());
        g->SetColor(GetColorAt(kLines));
        linesHeight = WriteWrappedText(
            g, Rect(bg.left + ct.left + 2, y, w - ct.right - bg.left - ct.left - bg.right - 4, 0), lines_,
            linesFont_->QueryLineAdvance() + extraLineSpacing, linesJustification);
    }
    if (HasFooterLine() && headerFont_) {
        g->SetFont(headerFont_.get());
        g->SetColor(GetColorAt(kFooter));
        DrawCenteredLine(drawn, g, y + linesHeight + 8 + headerFont_->QueryLineAdvance(), footer_);
    }
}

int Dialog::WaitForAnswer(bool removeWhenDone)
{
    WidgetHost* host = Host();
    // The loop may close and delete this dialog; the shared state tells.
    const std::shared_ptr<WaitState> state = wait_;
    while (state->alive && manager_ && state->answer == kNoAnswer) {
        if (!host || !host->RunLoopIteration())
            break;
    }
    const int answer = state->answer;
    // A deleted dialog's id may already name another dialog.
    if (removeWhenDone && state->alive && host)
        host->CloseDialog(dialogId_);
    return answer;
}

} // namespace Zolt
