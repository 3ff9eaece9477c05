#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <vector>

namespace Zolt {

WidgetContainer::WidgetContainer() : updatePosition_(children_.end()) {}

WidgetContainer::~WidgetContainer()
{
    // Children outlive their container; they must not keep a link to it.
    for (Widget* child : children_)
        child->parent_ = nullptr;
}

void WidgetContainer::GetBounds(Rect& out)
{
    out = Rect(x_, y_, width_, height_);
}

bool WidgetContainer::Overlaps(WidgetContainer* other)
{
    return x_ < other->x_ + other->width_ && other->x_ < x_ + width_ && y_ < other->y_ + other->height_ &&
           other->y_ < y_ + height_;
}

WidgetContainer::ChildList::iterator WidgetContainer::FindChild(Widget* widget)
{
    return std::find(children_.begin(), children_.end(), widget);
}

bool WidgetContainer::HasChild(Widget* widget)
{
    return FindChild(widget) != children_.end();
}

void WidgetContainer::InsertKeepingBands(ChildList::iterator pos, Widget* widget)
{
    while (pos != children_.begin() && (*std::prev(pos))->zOrder_ > widget->zOrder_)
        --pos;
    while (pos != children_.end() && (*pos)->zOrder_ < widget->zOrder_)
        ++pos;
    children_.insert(pos, widget);
}

void WidgetContainer::EraseChild(ChildList::iterator it)
{
    if (it == updatePosition_) {
        updatePosition_ = children_.erase(it);
        iteratorAdvanced_ = true;
    } else {
        children_.erase(it);
    }
}

void WidgetContainer::AddChild(Widget* widget)
{
    if (!widget || widget == this || HasChild(widget))
        return;
    // A widget lives in one list only; a second list would keep a link to
    // it after the first one deleted it.
    if (widget->parent_)
        widget->parent_->RemoveChild(widget);
    InsertKeepingBands(children_.end(), widget);
    widget->manager_ = manager_;
    widget->parent_ = this;
    if (manager_) {
        widget->OnAttached(manager_);
        widget->InvalidateFully();
        manager_->RecheckMouseOver();
    }
    Invalidate();
}

void WidgetContainer::DetachWidget(Widget* widget, WidgetManager* manager)
{
    manager->ReleaseWidget(widget);
    manager->ForgetDetachedWidget(widget);
    widget->OnDetached(manager);
    widget->InvalidateChildFully(widget);
    widget->manager_ = nullptr;
}

void WidgetContainer::RemoveChild(Widget* widget)
{
    auto it = FindChild(widget);
    if (it == children_.end())
        return;
    if (widget->manager_)
        DetachWidget(widget, widget->manager_);
    widget->parent_ = nullptr;
    // The hooks above may have reordered the list.
    it = FindChild(widget);
    if (it != children_.end())
        EraseChild(it);
}

void WidgetContainer::ReleaseWidget(Widget*) {}

void WidgetContainer::RemoveAllChildren(bool deleteThem, bool recursive)
{
    while (!children_.empty()) {
        Widget* child = children_.front();
        RemoveChild(child);
        if (recursive)
            child->RemoveAllChildren(deleteThem, recursive);
        if (deleteThem)
            delete child;
    }
}

void WidgetContainer::GiveFocus(Widget*) {}

bool WidgetContainer::IsBehindWalk(Widget* a, Widget* b, bool& found)
{
    for (Widget* child : children_) {
        if (child == a || child == b) {
            found = true;
            return child == a;
        }
        const bool result = child->IsBehindWalk(a, b, found);
        if (found)
            return result;
    }
    return false;
}

bool WidgetContainer::IsBehind(Widget* a, Widget* b)
{
    bool found = false;
    return IsBehindWalk(a, b, found);
}

void WidgetContainer::InvalidateTree()
{
    Invalidate();
    for (Widget* child : children_) {
        child->dirty_ = true;
        child->InvalidateTree();
    }
}

void WidgetContainer::BringChildToFront(Widget* child)
{
    auto it = FindChild(child);
    if (it == children_.end())
        return;
    EraseChild(it);
    InsertKeepingBands(children_.end(), child);
    child->OnReordered();
}

void WidgetContainer::SendChildToBack(Widget* child)
{
    auto it = FindChild(child);
    if (it == children_.end())
        return;
    EraseChild(it);
    InsertKeepingBands(children_.begin(), child);
    child->OnReordered();
}

void WidgetContainer::PlaceChildBehind(Widget* child, Widget* reference)
{
    auto it = FindChild(child);
    if (it == children_.end() || child == reference)
        return;
    EraseChild(it);
    InsertKeepingBands(FindChild(reference), child);
    child->OnReordered();
}

void WidgetContainer::PlaceChildInFront(Widget* child, Widget* reference)
{
    auto it = FindChild(child);
    if (it == children_.end() || child == reference)
        return;
    EraseChild(it);
    auto ref = FindChild(reference);
    InsertKeepingBands(ref == children_.end() ? ref : std::next(ref), child);
    child->OnReordered();
}

void WidgetContainer::SetZOrder(int32_t zOrder)
{
    if (zOrder == zOrder_)
        return;
    zOrder_ = zOrder;
    if (parent_) {
        auto* self = static_cast<Widget*>(this);
        auto it = parent_->FindChild(self);
        if (it != parent_->children_.end()) {
            parent_->EraseChild(it);
            parent_->InsertKeepingBands(parent_->children_.end(), self);
        }
    }
}

void WidgetContainer::GetScreenPosition(Point& out)
{
    if (parent_) {
        parent_->GetScreenPosition(out);
        out.x += x_;
        out.y += y_;
    } else {
        out = Point{x_, y_};
    }
}

void WidgetContainer::Invalidate()
{
    dirty_ = true;
}

void WidgetContainer::InvalidateChild(Widget* child)
{
    if (child->dirty_)
        return;
    Invalidate();
    child->dirty_ = true;
    if (!IsRoot())
        return;
    if (child->hasAlpha_) {
        InvalidateChildFully(child);
        return;
    }
    auto it = FindChild(child);
    if (it == children_.end())
        return;
    // Copy: the spreading may reach widgets whose hooks reorder the list.
    std::vector<Widget*> inFront(std::next(it), children_.end());
    for (Widget* sibling : inFront)
        if (sibling->IsShown() && sibling->Overlaps(child))
            InvalidateChild(sibling);
}

void WidgetContainer::InvalidateChildFully(Widget* child)
{
    InvalidateFully();
    child->dirty_ = true;
    if (!IsRoot())
        return;
    auto it = FindChild(child);
    if (it == children_.end())
        return;
    std::vector<Widget*> behind(children_.begin(), it);
    std::vector<Widget*> inFront(std::next(it), children_.end());

    // Repaint what lies behind, down to the first opaque widget that covers
    // the whole (on-screen part of the) rectangle.
    const Rect area = Rect(child->x_, child->y_, child->width_, child->height_)
                          .Intersection(Rect(0, 0, width_, height_));
    const int left = area.x, top = area.y;
    const int right = area.x + area.width - 1, bottom = area.y + area.height - 1;
    for (auto b = behind.rbegin(); b != behind.rend(); ++b) {
        Widget* sibling = *b;
        if (!sibling->IsShown())
            continue;
        if (!sibling->hasAlpha_ && !sibling->HasTransparentAreas() && sibling->ContainsPoint(left, top) &&
            sibling->ContainsPoint(right, bottom)) {
            InvalidateChild(sibling);
            break;
        }
        if (sibling->Overlaps(child))
            InvalidateChild(sibling);
    }
    for (Widget* sibling : inFront)
        if (sibling->IsShown() && sibling->Overlaps(child))
            InvalidateChild(sibling);
}

void WidgetContainer::InvalidateFully()
{
    if (parent_)
        parent_->InvalidateChildFully(static_cast<Widget*>(this));
    else
        dirty_ = true;
}

void WidgetContainer::NotifyFullRepaint()
{
    for (Widget* child : children_)
        child->NotifyFullRepaint();
}

void WidgetContainer::OnAttached(WidgetManager* manager)
{
    for (Widget* child : children_) {
        child->manager_ = manager;
        child->OnAttached(manager);
    }
    Invalidate();
}

void WidgetContainer::OnDetached(WidgetManager* manager)
{
    std::vector<Widget*> children(children_.begin(), children_.end());
    for (Widget* child : children)
        if (child->manager_)
            DetachWidget(child, manager);
    if (manager->GetPopupWidget() == this)
        manager->SetPopupWidget(nullptr);
}

void WidgetContainer::Tick()
{
    ++tickCount_;
}

template <typename Visit>
void WidgetContainer::WalkChildren(FlagContext& context, Visit visit)
{
    updatePosition_ = children_.begin();
    while (updatePosition_ != children_.end()) {
        iteratorAdvanced_ = false;
        Widget* child = *updatePosition_;
        if (child == manager_->GetModalBarrier())
            context.barrierReached = true;
        visit(child);
        if (!iteratorAdvanced_)
            ++updatePosition_;
    }
    iteratorAdvanced_ = true;
}

void WidgetContainer::TickTree(FlagContext& context)
{
    const uint32_t savedFront = context.frontFlags;
    const uint32_t savedBehind = context.behindFlags;
    context.frontFlags = flagAdjust_.Apply(context.frontFlags);
    context.behindFlags = flagAdjust_.Apply(context.behindFlags);

    if (context.Effective() & TreeFlags::Invalidate)
        Invalidate();
    if (manager_) {
        if ((context.Effective() & TreeFlags::Tick) && lastTick_ != manager_->GetTickCount()) {
            lastTick_ = manager_->GetTickCount();
            Tick();
        }
        WalkChildren(context, [&](Widget* child) { child->TickTree(context); });
    }

    context.frontFlags = savedFront;
    context.behindFlags = savedBehind;
}

void WidgetContainer::TickSmooth(float) {}

void WidgetContainer::TickSmoothTree(FlagContext& context, float fraction)
{
    const uint32_t savedFront = context.frontFlags;
    const uint32_t savedBehind = context.behindFlags;
    context.frontFlags = flagAdjust_.Apply(context.frontFlags);
    context.behindFlags = flagAdjust_.Apply(context.behindFlags);

    if (manager_) {
        if (context.Effective() & TreeFlags::Tick)
            TickSmooth(fraction);
        WalkChildren(context, [&](Widget* child) { child->TickSmoothTree(context, fraction); });
    }

    context.frontFlags = savedFront;
    context.behindFlags = savedBehind;
}

void WidgetContainer::Paint(Graphics*) {}

void WidgetContainer::PaintTree(FlagContext& context, Graphics* g)
{
    if (manager_ && overlayPriority_ > manager_->GetLowestQueuedPriority())
        manager_->PaintPendingOverlays(overlayPriority_);

    const uint32_t savedFront = context.frontFlags;
    const uint32_t savedBehind = context.behindFlags;
    context.frontFlags = flagAdjust_.Apply(context.frontFlags);
    context.behindFlags = flagAdjust_.Apply(context.behindFlags);

    if (clip_ && (context.Effective() & TreeFlags::Clip))
        g->NarrowClip(0, 0, width_, height_);
    if (context.Effective() & TreeFlags::Paint) {
        g->SaveState();
        Paint(g);
        g->RestoreState();
    }
    Widget* barrier = manager_ ? manager_->GetModalBarrier() : nullptr;
    for (auto it = children_.begin(); it != children_.end();) {
        Widget* child = *it++;
        if (!child->IsShown())
            continue;
        if (child == barrier)
            context.barrierReached = true;
        Graphics copy(*g);
        copy.MoveOrigin(child->x_, child->y_);
        child->PaintTree(context, &copy);
        child->dirty_ = false;
    }

    context.frontFlags = savedFront;
    context.behindFlags = savedBehind;
}

void WidgetContainer::NotifySystemColorsChangedTree()
{
    OnSystemColorsChanged();
    for (Widget* child : children_)
        child->NotifySystemColorsChangedTree();
}

void WidgetContainer::OnSystemColorsChanged() {}

} // namespace Zolt
