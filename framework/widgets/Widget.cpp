#include "framework/widgets/Widget.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

namespace Zolt {

const Color Widget::kDefaultColor{0, 0, 0, 255};

Widget::Widget() = default;

Widget::~Widget()
{
    // Out of the tree before the container part goes, so that the manager
    // drops every role and saved state that names this widget.
    if (parent_)
        parent_->RemoveChild(this);
}

WidgetHost* Widget::Host() const
{
    if (manager_ && manager_->GetApp())
        return manager_->GetApp();
    return GetWidgetHost();
}

int32_t Widget::GetPickRank()
{
    return pickRank_;
}

void Widget::SetPickRank(uint16_t rank)
{
    pickRank_ = rank;
}

void Widget::OnReordered() {}

void Widget::SetShown(bool shown)
{
    if (shown == shown_)
        return;
    shown_ = shown;
    if (shown)
        Invalidate();
    else
        InvalidateFully();
    if (manager_)
        manager_->RecheckMouseOver();
}

void Widget::SetColorsRgba(const int32_t* table, int count)
{
    colors_.clear();
    for (int i = 0; i < count; ++i)
        SetColorAt(i, Color(table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]));
    Invalidate();
}

void Widget::SetColorsRgb(const int32_t* table, int count)
{
    colors_.clear();
    for (int i = 0; i < count; ++i)
        SetColorAt(i, Color(table[3 * i], table[3 * i + 1], table[3 * i + 2], 255));
    Invalidate();
}

void Widget::SetColorAt(int index, const Color& color)
{
    if (index < 0)
        return;
    if (colors_.size() <= static_cast<size_t>(index))
        colors_.resize(static_cast<size_t>(index) + 1, kDefaultColor);
    colors_[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetColorOr(int index, const Color& fallback)
{
    if (index < 0 || static_cast<size_t>(index) >= colors_.size())
        return fallback;
    return colors_[static_cast<size_t>(index)];
}

const Color& Widget::GetColorAt(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= colors_.size())
        return kDefaultColor;
    return colors_[static_cast<size_t>(index)];
}

void Widget::SetDisabledState(bool disabled)
{
    if (disabled == disabled_)
        return;
    disabled_ = disabled;
    if (disabled && manager_)
        manager_->ReleaseWidget(this);
    Invalidate();
    if (!disabled && manager_ && ContainsPoint(manager_->LastX(), manager_->LastY()))
        manager_->RecheckMouseOver();
}

void Widget::ShowHandCursor(bool show)
{
    if (WidgetHost* host = Host())
        host->SetCursorIndex(show ? 1 : 0);
}

void Widget::SetBoundsRect(const Rect& rect)
{
    SetBounds(rect.x, rect.y, rect.width, rect.height);
}

void Widget::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (x == x_ && y == y_ && width == width_ && height == height_)
        return;
    InvalidateFully();
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    Invalidate();
    if (manager_)
        manager_->RecheckMouseOver();
}

void Widget::MoveTo(int32_t x, int32_t y)
{
    SetBounds(x, y, width_, height_);
}

bool Widget::AcceptsFocus()
{
    return wantsFocus_;
}

void Widget::PaintOverlayAt(Graphics* g, int)
{
    PaintOverlay(g);
}

void Widget::PaintOverlay(Graphics*) {}

void Widget::OnFocusGained()
{
    hasFocus_ = true;
}

void Widget::OnFocusLost()
{
    hasFocus_ = false;
}

void Widget::OnChar(char) {}

void Widget::OnKeyDown(int key)
{
    if (key != kKeyTab || !manager_)
        return;
    Widget* target = manager_->IsKeyDown(kKeyShift) ? tabPrevious_ : tabNext_;
    if (target)
        manager_->GiveFocus(target);
}

void Widget::OnKeyUp(int) {}
void Widget::OnMouseEnter() {}
void Widget::OnMouseLeave() {}
void Widget::OnMouseMove(int, int) {}
void Widget::OnMouseButtonDown(int, int, int, int) {}

namespace {
// Click code to (button, click count): 3 middle, negative right, else left.
void SplitClickCode(int code, int& button, int& count)
{
    if (code == 3) {
        button = 2;
        count = 1;
    } else if (code < 0) {
        button = 1;
        count = -code;
    } else {
        button = 0;
        count = code;
    }
}
} // namespace

void Widget::OnMouseDown(int x, int y, int clickCode)
{
    int button = 0, count = 0;
    SplitClickCode(clickCode, button, count);
    OnMouseButtonDown(x, y, button, count);
}

void Widget::OnMouseButtonUp(int, int, int, int) {}

void Widget::OnMouseUp(int x, int y, int clickCode)
{
    int button = 0, count = 0;
    SplitClickCode(clickCode, button, count);
    OnMouseButtonUp(x, y, button, count);
}

void Widget::OnMouseRelease(int, int) {}
void Widget::OnMouseDrag(int, int) {}
void Widget::OnMouseWheel(int) {}

bool Widget::AcceptsPoint(int, int)
{
    return true;
}

bool Widget::ContainsPoint(int x, int y)
{
    return x >= x_ && x < x_ + width_ && y >= y_ && y < y_ + height_;
}

void Widget::GetInnerRect(Rect& out)
{
    out = Rect(x_ + mouseMargins_.left, y_ + mouseMargins_.top,
               width_ - mouseMargins_.left - mouseMargins_.right,
               height_ - mouseMargins_.top - mouseMargins_.bottom);
}

} // namespace Zolt
