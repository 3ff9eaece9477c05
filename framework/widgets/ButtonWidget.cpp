#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Zolt {

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : id_(id), listener_(listener)
{
    hasAlpha_ = true;
    static constexpr int32_t kColors[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 132, 132, 132, 212, 212, 212};
    SetColorsRgb(kColors, 6);
}

ButtonWidget::~ButtonWidget() = default;

bool ButtonWidget::HasStateImage(Image* image, const Rect& part) const
{
    return image != nullptr || part.width != 0;
}

bool ButtonWidget::ShowsPressed()
{
    return isDown_ && isOver_ && !disabled_;
}

void ButtonWidget::SetLabelFont(Font* font)
{
    labelFont_.reset(font ? font->Clone() : nullptr);
    Invalidate();
}

void ButtonWidget::EnsureLabelFont()
{
    if (labelFont_ || label_.empty())
        return;
    if (WidgetHost* host = Host())
        labelFont_ =
            host->MakeSystemFont("Arial Unicode MS", defaultFontPoints_, defaultFontCharset_, false, false, false);
}

int ButtonWidget::LabelX() const
{
    const int labelWidth = labelFont_ ? labelFont_->MeasureText(label_) : 0;
    if (labelJustification_ == 0)
        return (width_ - labelWidth) / 2;
    if (labelJustification_ == 1)
        return width_ - labelWidth;
    return 0;
}

int ButtonWidget::LabelY() const
{
    const int ascent = labelFont_ ? labelFont_->QueryAscent() : 0;
    return (ascent + height_ - ascent / 6 - 1) / 2;
}

void ButtonWidget::DrawLabel(Graphics* g, int x, int y)
{
    if (label_.empty() || !labelFont_)
        return;
    g->SetFont(labelFont_.get());
    g->SetColor(LabelColor());
    g->RenderText(label_, x, y);
}

void ButtonWidget::DrawButtonPart(Graphics* g, Image* stateImage, const Rect& part, int x, int y)
{
    if (part.width != 0) {
        if (normalImage)
            g->PaintImagePart(normalImage, x, y, part);
    } else if (stateImage) {
        g->PaintImage(stateImage, x, y);
    }
}

bool ButtonWidget::PaintFade(Graphics* g)
{
    if (!(overFade > 0) || !HasStateImage(overImage, overRect))
        return false;
    if (overFade < 1)
        DrawButtonPart(g, normalImage, normalRect, 0, 0);
    g->SetTintImages(true);
    g->SetColor(Color(255, 255, 255, static_cast<int32_t>(overFade * 255)));
    DrawButtonPart(g, overImage, overRect, 0, 0);
    g->SetTintImages(false);
    return true;
}

void ButtonWidget::Paint(Graphics* g)
{
    if (hiddenFace)
        return;
    EnsureLabelFont();
    const bool pressed = ShowsPressed() != pressedLookInverted;
    const int x = LabelX();
    const int y = LabelY();

    if (!normalImage && !downImage) {
        const int w = width_, h = height_;
        if (!noFrame) {
            g->SetColor(GetColorAt(kFace));
            g->FillRectangle(0, 0, w, h);
            const Color& topLeft = GetColorAt(pressed ? kDarkEdge : kLightEdge);
            const Color& bottomRight = GetColorAt(pressed ? kLightEdge : kDarkEdge);
            g->SetColor(topLeft);
            g->FillRectangle(0, 0, w - 1, 1);
            g->FillRectangle(0, 0, 1, h - 1);
            g->SetColor(bottomRight);
            g->FillRectangle(0, h - 1, w, 1);
            g->FillRectangle(w - 1, 0, 1, h);
            g->SetColor(GetColorAt(kShadow));
            if (pressed) {
                g->FillRectangle(1, 1, w - 3, 1);
                g->FillRectangle(1, 1, 1, h - 3);
            } else {
                g->FillRectangle(1, h - 2, w - 2, 1);
                g->FillRectangle(w - 2, 1, 1, h - 2);
            }
        }
        if (pressed)
            DrawLabel(g, x + 1, y + 1);
        else
            DrawLabel(g, x, y);
        return;
    }

    if (pressed) {
        if (HasStateImage(downImage, downRect))
            DrawButtonPart(g, downImage, downRect, 0, 0);
        else if (HasStateImage(overImage, overRect))
            DrawButtonPart(g, overImage, overRect, 1, 1);
        else
            DrawButtonPart(g, normalImage, normalRect, 1, 1);
        if (!label_.empty() && labelFont_) {
            g->SetFont(labelFont_.get());
            g->SetColor(GetColorAt(kLabelOver));
            g->RenderText(label_, x + 1, y + 1);
        }
        return;
    }

    if (disabled_ && HasStateImage(disabledImage, disabledRect)) {
        DrawButtonPart(g, disabledImage, disabledRect, 0, 0);
    } else if (!PaintFade(g)) {
        if ((isOver_ || isDown_) && HasStateImage(overImage, overRect))
            DrawButtonPart(g, overImage, overRect, 0, 0);
        else
            DrawButtonPart(g, normalImage, normalRect, 0, 0);
    }
    DrawLabel(g, x, y);
}

void ButtonWidget::SetDisabledState(bool disabled)
{
    Widget::SetDisabledState(disabled);
    if (HasStateImage(disabledImage, disabledRect))
        Invalidate();
}

void ButtonWidget::OnMouseEnter()
{
    if (fadeInStep == 0 && overFade > 0)
        overFade = 0;
    if (isDown_ || HasStateImage(overImage, overRect) || GetColorAt(kLabelOver) != GetColorAt(kLabel))
        Invalidate();
    if (listener_)
        listener_->OnButtonHoverStart(id_);
}

void ButtonWidget::OnMouseLeave()
{
    if (fadeOutStep > 0 && overFade == 0)
        overFade = 1.0;
    else if (fadeOutStep == 0 && overFade > 0)
        overFade = 0;
    if (isDown_ || HasStateImage(overImage, overRect) || GetColorAt(kLabelOver) != GetColorAt(kLabel))
        Invalidate();
    if (listener_)
        listener_->OnButtonHoverEnd(id_);
}

void ButtonWidget::OnMouseMove(int x, int y)
{
    if (listener_)
        listener_->OnButtonHoverMove(id_, x, y);
}

void ButtonWidget::OnMouseButtonDown(int, int, int, int clickCount)
{
    // Invalidated first: the listener may delete the button.
    Invalidate();
    if (listener_)
        listener_->OnButtonDown(id_, clickCount);
}

void ButtonWidget::OnMouseButtonUp(int, int, int, int)
{
    Invalidate();
    if (isOver_ && manager_ && manager_->HasAppFocus() && listener_)
        listener_->OnButtonClicked(id_);
}

void ButtonWidget::Tick()
{
    Widget::Tick();
    if (isDown_ && isOver_ && listener_)
        listener_->OnButtonHeldTick(id_);
    if (!isDown_ && !isOver_ && overFade > 0) {
        overFade = fadeOutStep > 0 ? std::max(0.0, overFade - fadeOutStep) : 0.0;
        Invalidate();
    }
    if (isOver_ && fadeInStep > 0 && overFade < 1) {
        overFade = std::min(1.0, overFade + fadeInStep);
        Invalidate();
    }
}

} // namespace Zolt
