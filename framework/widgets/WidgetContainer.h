// A node of the widget tree: an ordered list of child widgets (back to
// front, kept in z-order bands), the links to the manager and parent, the
// rectangle, the dirty flag and the tick bookkeeping, and the walks that
// tick and paint a subtree. Widgets derive from it through Widget; the
// widget manager is the root.
//
// Main thread only. The container does not own its children: removing a
// child never deletes it (RemoveAllChildren with deleteThem does).
#pragma once

#include "framework/graphics/Rect.h"
#include "framework/widgets/TreeFlags.h"

#include <cstdint>
#include <list>

namespace Zolt {

class Graphics;
class Widget;
class WidgetManager;

class WidgetContainer {
    // The root links and unlinks nodes of its tree.
    friend class WidgetManager;

public:
    using ChildList = std::list<Widget*>;

    WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    virtual ~WidgetContainer();

    virtual void GetBounds(Rect& out);
    // Edges that only touch do not overlap.
    virtual bool Overlaps(WidgetContainer* other);
    // Appends at the front end of the child's z-order band; attaches it when
    // this container is attached. Adding a child twice does nothing.
    virtual void AddChild(Widget* widget);
    // Detaches the child and unlinks it; nothing for a widget that is not a
    // child. Keeps a running TickTree walk valid.
    virtual void RemoveChild(Widget* widget);
    virtual bool HasChild(Widget* widget);
    virtual void ReleaseWidget(Widget* widget);
    virtual void RemoveAllChildren(bool deleteThem, bool recursive);
    virtual void GiveFocus(Widget* widget);
    // Depth first, back to front, a parent before its children: true when a
    // is met before b.
    virtual bool IsBehind(Widget* a, Widget* b);
    virtual void InvalidateTree();
    virtual void BringChildToFront(Widget* child);
    virtual void SendChildToBack(Widget* child);
    // Just before the reference (at the list end when it is not a child).
    virtual void PlaceChildBehind(Widget* child, Widget* reference);
    // Just after the reference (at the list end when it is not a child).
    virtual void PlaceChildInFront(Widget* child, Widget* reference);
    virtual void GetScreenPosition(Point& out);
    virtual void InvalidateChild(Widget* child);
    virtual void Invalidate();
    virtual void InvalidateChildFully(Widget* child);
    virtual void InvalidateFully();
    virtual void NotifyFullRepaint();
    virtual void OnAttached(WidgetManager* manager);
    virtual void OnDetached(WidgetManager* manager);
    virtual void Tick();
    virtual void TickTree(FlagContext& context);
    virtual void TickSmooth(float fraction);
    virtual void TickSmoothTree(FlagContext& context, float fraction);
    virtual void Paint(Graphics* g);
    virtual void PaintTree(FlagContext& context, Graphics* g);
    virtual void NotifySystemColorsChangedTree();
    virtual void OnSystemColorsChanged();

    WidgetManager* GetManager() const { return manager_; }
    WidgetContainer* GetParent() const { return parent_; }
    const ChildList& GetChildren() const { return children_; }

    int32_t X() const { return x_; }
    int32_t Y() const { return y_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool IsDirty() const { return dirty_; }
    // The bridge moves its repaint request straight into the flag.
    void SetDirty(bool dirty) { dirty_ = dirty; }
    bool HasAlpha() const { return hasAlpha_; }
    bool ClipsChildren() const { return clip_; }
    void SetClipsChildren(bool clip) { clip_ = clip; }
    const FlagAdjust& GetFlagAdjust() const { return flagAdjust_; }
    void SetFlagAdjust(const FlagAdjust& adjust) { flagAdjust_ = adjust; }
    int32_t GetOverlayPriority() const { return overlayPriority_; }
    void SetOverlayPriority(int32_t priority) { overlayPriority_ = priority; }
    int32_t GetZOrder() const { return zOrder_; }
    // Moves the widget into its new band (front end) when it has a parent.
    void SetZOrder(int32_t zOrder);
    int32_t GetTickCount() const { return tickCount_; }

protected:
    // Inserts before `pos`, then slides toward the back while the element
    // behind has a higher z-order and toward the front while the element in
    // front has a lower one, so the bands stay sorted.
    void InsertKeepingBands(ChildList::iterator pos, Widget* widget);
    // Unlinks a child, moving a walk's update position past it.
    void EraseChild(ChildList::iterator it);
    ChildList::iterator FindChild(Widget* widget);
    // The detaching sequence for one widget of this container's subtree.
    static void DetachWidget(Widget* widget, WidgetManager* manager);
    bool IsRoot() const { return parent_ == nullptr; }

    ChildList children_;
    WidgetManager* manager_ = nullptr;
    WidgetContainer* parent_ = nullptr;
    bool iteratorAdvanced_ = false;
    ChildList::iterator updatePosition_;
    int32_t lastTick_ = 0;
    int32_t tickCount_ = 0;
    bool dirty_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool hasAlpha_ = false;
    bool clip_ = true;
    FlagAdjust flagAdjust_;
    int32_t overlayPriority_ = 0;
    int32_t zOrder_ = 0;

private:
    template <typename Visit>
    void WalkChildren(FlagContext& context, Visit visit);
    bool IsBehindWalk(Widget* a, Widget* b, bool& found);
};

} // namespace Zolt
