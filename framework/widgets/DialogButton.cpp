#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

namespace Zolt {

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), componentImage_(componentImage)
{
    wantsHandCursor_ = true;
    defaultFontPoints_ = 12;
    defaultFontCharset_ = 1;
    static constexpr int32_t kColors[] = {255, 255, 255, 255, 255, 255, 0,   0,   0,
                                          255, 255, 255, 132, 132, 132, 212, 212, 212};
    SetColorsRgb(kColors, 6);
}

void DialogButton::Paint(Graphics* g)
{
    if (hiddenFace)
        return;
    if (!componentImage_) {
        ButtonWidget::Paint(g);
        return;
    }
    EnsureLabelFont();
    const bool pressed = ShowsPressed();
    const Rect whole(0, 0, width_, height_);

    if (normalRect.width != 0) {
        if (disabled_ && disabledRect.width != 0 && disabledRect.height != 0) {
            g->PaintImageFrame(disabledRect, whole, componentImage_);
        } else if (pressed) {
            g->PaintImageFrame(downRect, whole, componentImage_);
        } else if (overFade > 0 && overRect.width != 0) {
            if (overFade < 1)
                g->PaintImageFrame(normalRect, whole, componentImage_);
            g->SetTintImages(true);
            g->SetColor(Color(255, 255, 255, static_cast<int32_t>(overFade * 255)));
            g->PaintImageFrame(overRect, whole, componentImage_);
            g->SetTintImages(false);
        } else if (isOver_) {
            g->PaintImageFrame(overRect, whole, componentImage_);
        } else {
            g->PaintImageFrame(normalRect, whole, componentImage_);
        }
        if (pressed)
            g->MoveOrigin(pressedOffset.x, pressedOffset.y);
    } else {
        if (pressed)
            g->MoveOrigin(pressedOffset.x, pressedOffset.y);
        g->PaintImageFrame(whole, componentImage_);
    }

    if (!label_.empty() && labelFont_) {
        const int labelWidth = labelFont_->MeasureText(label_);
        const int ascent = labelFont_->QueryAscent();
        const int x = labelOffset.x + (width_ - labelWidth) / 2;
        const int y = labelOffset.y + (ascent + height_ - ascent / 6 - labelFont_->QueryAscentPadding() - 1) / 2;
        DrawLabel(g, x, y);
    }
    if (pressed)
        g->MoveOrigin(-pressedOffset.x, -pressedOffset.y);
}

} // namespace Zolt
