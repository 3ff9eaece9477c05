#include "controls/VisibleObject_impl.h"

#include "controls/Factory_impl.h"
#include "controls/ICursor.h"
#include "controls/IToolTip.h"
#include "controls/KeybdMessageObserver.h"
#include "controls/MouseMessageObserver.h"

#include <algorithm>

namespace ControlLibrary {

VisibleObject_impl::VisibleObject_impl(Factory_impl& factory, uint32_t id) : factory_(factory), id_(id) {}

VisibleObject_impl::~VisibleObject_impl()
{
    factory_.ReleaseCursor(cursor_);
    factory_.ReleaseToolTip(toolTip_);
}

void VisibleObject_impl::AttachBridge(IBridgeToVO* bridge, IVisibleObject* self)
{
    bridge_ = bridge;
    self_ = self;
}

Rect VisibleObject_impl::MakeRect(int32_t x, int32_t y, uint32_t w, uint32_t h)
{
    return Rect{x, y, static_cast<int16_t>(w), static_cast<int16_t>(h)};
}

Point VisibleObject_impl::AlignPoint(Point anchor, Size size, uint32_t hAlign, uint32_t vAlign)
{
    if (hAlign == 1)
        anchor.x -= static_cast<int32_t>(size.w / 2);
    else if (hAlign == 2)
        anchor.x -= static_cast<int32_t>(size.w);
    if (vAlign == 1)
        anchor.y -= static_cast<int32_t>(size.h / 2);
    else if (vAlign == 2)
        anchor.y -= static_cast<int32_t>(size.h);
    return anchor;
}

namespace {

void AlignAndClipAxis(int32_t& pos, int16_t& len, uint32_t align, Rect& rect)
{
    if (align == 1)
        pos -= len / 2;
    else if (align == 2)
        pos -= len;
    if (pos < 0) {
        const int32_t overhang = -pos;
        if (overhang < len) {
            len = static_cast<int16_t>(len - overhang);
            pos = 0;
        } else {
            rect = Rect{};
        }
    }
}

} // namespace

void VisibleObject_impl::AlignAndClip(Rect& rect, uint32_t hAlign, uint32_t vAlign)
{
    AlignAndClipAxis(rect.x, rect.w, hAlign, rect);
    AlignAndClipAxis(rect.y, rect.h, vAlign, rect);
}

bool VisibleObject_impl::Overlap(const Rect& a, const Rect& b, Rect& out)
{
    const int32_t left = std::max(a.x, b.x);
    const int32_t top = std::max(a.y, b.y);
    const int32_t right = std::min(a.x + a.w, b.x + b.w);
    const int32_t bottom = std::min(a.y + a.h, b.y + b.h);
    if (right < left || bottom < top)
        return false;
    out = Rect{left, top, static_cast<int16_t>(right - left), static_cast<int16_t>(bottom - top)};
    return true;
}

Point VisibleObject_impl::GetPosition() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return position_;
}

Point VisibleObject_impl::GetScreenPosition() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return screen_;
}

Size VisibleObject_impl::GetSize() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return size_;
}

RGB VisibleObject_impl::GetColour() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return colour_;
}

void VisibleObject_impl::SetParent(IVisibleObject* parent)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    parent_ = parent;
}

IVisibleObject* VisibleObject_impl::GetParent() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return parent_;
}

void VisibleObject_impl::SetDirty(bool tellFactory)
{
    dirty_.store(true);
    factory_.NoteSceneMayHaveChanged();
    if (tellFactory)
        factory_.OnVisibilityChanged(id_, visible_);
}

void VisibleObject_impl::UpdateScreenPosition()
{
    platform::CriticalSectionLock lock(factory_.Lock());
    Point p = AlignPoint(position_, size_, hAlign_, vAlign_);
    if (parent_) {
        const Rect parentRect = parent_->GetScreenRect();
        p.x += parentRect.x;
        p.y += parentRect.y;
    }
    screen_ = p;
    SetDirty();
}

void VisibleObject_impl::SetPosition(Point position)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (position == position_ && !parent_)
        return;
    for (OldPlace& old : oldPlaces_) {
        if (!old.valid) {
            old = OldPlace{position_.x, position_.y, true};
            break;
        }
    }
    position_ = position;
    UpdateScreenPosition();
}

Point VisibleObject_impl::GetScreenCentre() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    Point p = AlignPoint(position_, size_, hAlign_, vAlign_);
    if (parent_) {
        const Rect parentRect = parent_->GetScreenRect();
        p.x += parentRect.x;
        p.y += parentRect.y;
    }
    p.x += static_cast<int32_t>(size_.w / 2);
    p.y += static_cast<int32_t>(size_.h / 2);
    return p;
}

void VisibleObject_impl::SetSize(Size size)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (size == size_)
        return;
    for (OldSize& old : oldSizes_) {
        if (!old.valid) {
            old = OldSize{size_.w, size_.h, true};
            break;
        }
    }
    size_ = size;
    UpdateScreenPosition();
}

void VisibleObject_impl::ResizeForced(Size size)
{
    if (size != size_) {
        SetSize(size);
        return;
    }
    for (OldSize& old : oldSizes_) {
        if (!old.valid) {
            old = OldSize{size_.w + 1, size_.h + 1, true};
            break;
        }
    }
    UpdateScreenPosition();
}

Size VisibleObject_impl::GetRepaintSize()
{
    Size result = size_;
    for (OldSize& old : oldSizes_) {
        if (old.valid) {
            old.valid = false;
            result.w = std::max(result.w, old.w);
            result.h = std::max(result.h, old.h);
            break;
        }
    }
    return result;
}

Rect VisibleObject_impl::GetRect() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return MakeRect(position_.x, position_.y, size_.w, size_.h);
}

Rect VisibleObject_impl::GetScreenRect() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return MakeRect(screen_.x, screen_.y, size_.w, size_.h);
}

void VisibleObject_impl::CollectDirtyRects(std::vector<Rect>& rects)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (!dirty_.load() && !alwaysRepaint_)
        return;
    const Size repaint = GetRepaintSize();
    bool anyOld = false;
    for (OldPlace& old : oldPlaces_) {
        if (!old.valid)
            continue;
        Rect r = MakeRect(old.x, old.y, repaint.w, repaint.h);
        AlignAndClip(r, hAlign_, vAlign_);
        AppendRect(rects, r);
        old.valid = false;
        anyOld = true;
    }
    if (!anyOld)
        AppendRect(rects, MakeRect(screen_.x, screen_.y, repaint.w, repaint.h));
}

void VisibleObject_impl::SetColour(const RGB& colour)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (colour == colour_)
        return;
    colour_ = colour;
    SetDirty();
}

void VisibleObject_impl::SetAlignment(uint32_t horizontal, uint32_t vertical)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (horizontal == hAlign_ && vertical == vAlign_)
        return;
    hAlign_ = horizontal;
    vAlign_ = vertical;
    UpdateScreenPosition();
}

void VisibleObject_impl::SetVisible(bool visible)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (visible == visible_)
        return;
    visible_ = visible;
    SetDirty(true);
}

void VisibleObject_impl::SetEnabled(bool enabled)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled && visible_)
        SetDirty();
}

void VisibleObject_impl::SetLayer(uint16_t layer)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    if (layer == layer_)
        return;
    layer_ = layer;
    factory_.OnLayerChanged(id_);
}

uint32_t VisibleObject_impl::GetAbsoluteLayer() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return parent_ ? layer_ + parent_->GetAbsoluteLayer() : layer_;
}

void VisibleObject_impl::SetCursor(ICursor* cursor)
{
    if (cursor)
        cursor->AddRef();
    ICursor* previous = cursor_;
    cursor_ = cursor;
    factory_.ReleaseCursor(previous);
}

void VisibleObject_impl::SetToolTip(IToolTip* toolTip)
{
    if (toolTip)
        toolTip->AddRef();
    IToolTip* previous = toolTip_;
    toolTip_ = toolTip;
    factory_.ReleaseToolTip(previous);
}

void VisibleObject_impl::SetFocusable(bool focusable)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    focusable_ = focusable;
    if (!focusable)
        focused_ = false;
}

void VisibleObject_impl::SetFocus(bool focus)
{
    bool changed;
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        if (!CanTakeFocus())
            return;
        changed = focused_ != focus;
        focused_ = focus;
    }
    if (changed)
        SetDirty();
    if (focus)
        factory_.OnFocusGained(this);
}

// Observers are walked over a copy: a callback may add observers.
void VisibleObject_impl::OnMouseEnter()
{
    hovered_ = true;
    if (toolTip_)
        factory_.SetCurrentToolTip(toolTip_);
    if (cursor_)
        factory_.SetCurrentCursor(cursor_);
    const auto observers = mouseObservers_;
    for (MouseMessageObserver* o : observers)
        o->OnMouseEnter(id_);
}

void VisibleObject_impl::OnMouseMove(int32_t x, int32_t y)
{
    const auto observers = mouseObservers_;
    for (MouseMessageObserver* o : observers)
        o->OnMouseMove(id_, x, y);
}

void VisibleObject_impl::OnMouseLeave()
{
    hovered_ = false;
    const auto observers = mouseObservers_;
    for (MouseMessageObserver* o : observers)
        o->OnMouseLeave(id_);
    factory_.SetCurrentToolTip(nullptr);
    factory_.SetCurrentCursor(nullptr);
}

void VisibleObject_impl::NotifyMouseDown(int32_t button)
{
    pressed_ = true;
    if (!enabled_)
        return;
    SetFocus(true);
    const auto observers = mouseObservers_;
    for (MouseMessageObserver* o : observers)
        o->OnMouseDown(id_, button);
}

void VisibleObject_impl::NotifyMouseUp(int32_t button)
{
    pressed_ = false;
    if (!hovered_ || !enabled_)
        return;
    const auto observers = mouseObservers_;
    for (MouseMessageObserver* o : observers)
        o->OnMouseUp(id_, button);
}

void VisibleObject_impl::OnMouseDown(int32_t, int32_t, int32_t button, int32_t)
{
    NotifyMouseDown(button);
}

void VisibleObject_impl::OnMouseUp(int32_t, int32_t, int32_t button, int32_t)
{
    NotifyMouseUp(button);
}

void VisibleObject_impl::OnChar(char character)
{
    const auto observers = keybdObservers_;
    for (KeybdMessageObserver* o : observers)
        o->OnChar(id_, character);
}

void VisibleObject_impl::OnKeyDown(uint32_t key)
{
    const auto observers = keybdObservers_;
    for (KeybdMessageObserver* o : observers)
        o->OnKeyDown(id_, key);
}

void VisibleObject_impl::OnKeyUp(uint32_t key)
{
    const auto observers = keybdObservers_;
    for (KeybdMessageObserver* o : observers)
        o->OnKeyUp(id_, key);
}

} // namespace ControlLibrary
