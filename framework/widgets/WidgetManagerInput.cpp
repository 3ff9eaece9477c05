// Input routing of the widget manager: hit test, hover, capture, focus and
// keys.
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <vector>

namespace Zolt {

// ---- Hit test ----

Widget* WidgetManager::PickInContainer(WidgetContainer* container, int x, int y, uint32_t inheritedFlags,
                                       Point* local)
{
    const uint32_t flags = container->GetFlagAdjust().Apply(inheritedFlags);
    bool behind = false;
    Widget* best = nullptr;
    const auto& children = container->GetChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Widget* child = *it;
        uint32_t childFlags = child->GetFlagAdjust().Apply(flags);
        if (behind)
            childFlags = behindBarrierAdjust_.Apply(childFlags);
        if ((childFlags & TreeFlags::Mouse) && child->IsShown()) {
            const int childX = x - child->X();
            const int childY = y - child->Y();
            if (Widget* found = PickInContainer(child, childX, childY, childFlags, local))
                return found;
            Rect inner;
            child->GetInnerRect(inner);
            if (child->IsMouseVisible() && x >= inner.x && x < inner.x + inner.width && y >= inner.y &&
                y < inner.y + inner.height && child->AcceptsPoint(childX, childY)) {
                // The front-most candidate wins among equal pick ranks.
                if (!best || static_cast<uint32_t>(child->GetPickRank()) >
                                 static_cast<uint32_t>(best->GetPickRank()))
                    best = child;
            }
        }
        if (child == barrierWidget_)
            behind = true;
    }
    if (best && local)
        *local = Point{x - best->X(), y - best->Y()};
    return best;
}

Widget* WidgetManager::PickWidget(int x, int y, Point* local)
{
    return PickInContainer(this, x, y, GetTopFlags(), local);
}

Widget* WidgetManager::PickEnabledWidget(int x, int y, Point* local)
{
    Point point;
    Widget* widget = PickWidget(x, y, &point);
    if (!widget || widget->IsDisabled())
        return nullptr;
    if (local)
        *local = point;
    return widget;
}

// ---- Hover ----

void WidgetManager::UpdateOver(int x, int y, bool recheck)
{
    Point local;
    Widget* widget = PickEnabledWidget(x, y, &local);
    if (widget != overWidget_) {
        EndHover();
        if (widget) {
            StartHover(widget);
            // The enter hook may have taken the widget away again.
            if (overWidget_ == widget)
                widget->OnMouseMove(local.x, local.y);
        }
    } else if (widget && !recheck) {
        widget->OnMouseMove(local.x, local.y);
    }
}

void WidgetManager::MoveMouseTo(int x, int y)
{
    if (x == lastX_ && y == lastY_)
        return;
    lastX_ = x;
    lastY_ = y;
    UpdateOver(x, y, false);
}

void WidgetManager::RecheckMouseOver()
{
    if (!capturedWidget_) {
        if (mouseIn_)
            UpdateOver(lastX_, lastY_, true);
    } else if (overWidget_) {
        if (PickEnabledWidget(lastX_, lastY_, nullptr) != capturedWidget_)
            EndHover();
    }
}

// ---- Mouse ----

bool WidgetManager::HandleMouseDown(int x, int y, int clickCode)
{
    MarkInput();
    const int32_t bit = ButtonBitOf(clickCode);
    heldMask_ |= bit;
    MoveMouseTo(x, y);

    if (popupWidget_ && !popupWidget_->ContainsPoint(x, y))
        ClosePopup();

    Point local{x, y};
    Widget* picked = PickEnabledWidget(x, y, &local);
    Widget* target = capturedWidget_ ? capturedWidget_ : picked;
    if (target && target != picked) {
        // A press that goes to the captured widget is given in that
        // widget's own coordinates, not in those of the widget under it.
        Point origin;
        target->GetScreenPosition(origin);
        local = Point{x - origin.x, y - origin.y};
    }

    captureMask_ |= bit;
    lastClickButton_ = bit == kRightBit ? -1 : bit == kLeftBit ? 1 : 2;
    capturedWidget_ = target;
    if (!target)
        return true;
    if (target->AcceptsFocus())
        GiveFocus(target);
    // A focus hook may have detached the target, which ends the capture.
    if (capturedWidget_ != target)
        return true;
    target->SetDown(true);
    target->OnMouseDown(local.x, local.y, clickCode);
    return true;
}

bool WidgetManager::HandleMouseUp(int x, int y, int clickCode)
{
    MarkInput();
    const int32_t bit = ButtonBitOf(clickCode);
    heldMask_ &= ~bit;
    if (capturedWidget_ && (captureMask_ & bit)) {
        Widget* widget = capturedWidget_;
        captureMask_ &= ~bit;
        if (captureMask_ == 0)
            capturedWidget_ = nullptr;
        // Local to the widget itself, also for a nested one.
        Point origin;
        widget->GetScreenPosition(origin);
        widget->SetDown(false);
        widget->OnMouseUp(x - origin.x, y - origin.y, clickCode);
    } else {
        captureMask_ &= ~bit;
    }
    MoveMouseTo(x, y);
    return true;
}

bool WidgetManager::HandleMouseMove(int x, int y)
{
    MarkInput();
    if (captureMask_ == 0) {
        mouseIn_ = true;
        MoveMouseTo(x, y);
        return true;
    }
    return HandleMouseDrag(x, y);
}

bool WidgetManager::HandleMouseDrag(int x, int y)
{
    MarkInput();
    mouseIn_ = true;
    lastX_ = x;
    lastY_ = y;
    if (overWidget_ && overWidget_ != capturedWidget_)
        EndHover();
    Widget* captured = capturedWidget_;
    if (!captured)
        return true;
    Point origin;
    captured->GetScreenPosition(origin);
    captured->OnMouseDrag(x - origin.x, y - origin.y);
    if (capturedWidget_ != captured)
        return true;
    if (PickEnabledWidget(x, y, nullptr) == captured) {
        if (!overWidget_)
            StartHover(captured);
    } else {
        EndHover();
    }
    return true;
}

bool WidgetManager::HandleMouseExit(int, int)
{
    MarkInput();
    mouseIn_ = false;
    EndHover();
    return true;
}

void WidgetManager::HandleMouseWheel(int delta)
{
    MarkInput();
    if (focusWidget_)
        focusWidget_->OnMouseWheel(delta);
}

// ---- Keys ----

bool WidgetManager::HandleKeyDown(int key)
{
    MarkInput();
    // Codes outside the table (negative, or 255 and above) are passed on but
    // never recorded.
    if (key >= 0 && key < kKeyTableSize)
        keyDown_[static_cast<size_t>(key)] = true;
    if (focusWidget_)
        focusWidget_->OnKeyDown(key);
    if (keyListener_)
        keyListener_->OnKeyDown(key);
    return true;
}

bool WidgetManager::HandleKeyUp(int key)
{
    MarkInput();
    if (key >= 0 && key < kKeyTableSize)
        keyDown_[static_cast<size_t>(key)] = false;
    if (key == Widget::kKeyTab && IsKeyDown(Widget::kKeyControl))
        return true;
    if (focusWidget_)
        focusWidget_->OnKeyUp(key);
    if (keyListener_)
        keyListener_->OnKeyUp(key);
    return true;
}

bool WidgetManager::HandleChar(char c)
{
    MarkInput();
    if (c == Widget::kKeyTab && IsKeyDown(Widget::kKeyControl)) {
        if (ctrlTabWidget_)
            ctrlTabWidget_->OnChar(c);
        return true;
    }
    if (focusWidget_)
        focusWidget_->OnChar(c);
    if (keyListener_)
        keyListener_->OnChar(c);
    return true;
}

// ---- Application focus ----

bool WidgetManager::HandleAppFocusLost()
{
    if (!appHasFocus_)
        return true;
    heldMask_ = 0;
    for (int key = 0; key < kKeyTableSize; ++key)
        if (keyDown_[static_cast<size_t>(key)])
            HandleKeyUp(key);
    appHasFocus_ = false;
    if (focusWidget_)
        focusWidget_->OnFocusLost();
    return true;
}

bool WidgetManager::HandleAppFocusGained()
{
    if (appHasFocus_)
        return true;
    appHasFocus_ = true;
    if (focusWidget_)
        focusWidget_->OnFocusGained();
    return true;
}

} // namespace Zolt
