// The state and behaviour every kind of visible object shares: geometry with
// a short history of the places and sizes it left since the last drawing
// pass, alignment, parent, layer, flags, colour, observers, the default input
// behaviour and the dirty mechanism that feeds the factory's drawing pass.
// Each kind derives from it and draws itself.
//
// Threads: changed from the main thread and from timer callbacks on the time
// thread. Geometry, colour, parent, layer and the visible and enabled flags
// are guarded by the factory lock, which the drawing pass, the dirty poll and
// the hit test hold while they read them; so are the kinds' texts. The dirty
// flag is atomic. Input state (hovered, pressed) belongs to the main thread.
// Nothing here calls an observer or the time system while holding the lock.
#pragma once

#include "controls/IVisibleObject.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace ControlLibrary {

class Factory_impl;
class IBridgeToVO;

class VisibleObject_impl {
public:
    static constexpr int kHistory = 5;

    VisibleObject_impl(Factory_impl& factory, uint32_t id);
    virtual ~VisibleObject_impl();
    VisibleObject_impl(const VisibleObject_impl&) = delete;
    VisibleObject_impl& operator=(const VisibleObject_impl&) = delete;

    // ---- Overridable operations ----
    virtual void CollectDirtyRects(std::vector<Rect>& rects);
    virtual void Draw() = 0;
    virtual void DrawClipped(const std::vector<Rect>& rects) = 0;
    virtual void SetPosition(Point position);
    virtual Point GetScreenCentre() const;
    virtual void SetSize(Size size);
    virtual Rect GetRect() const;
    virtual Rect GetScreenRect() const;
    virtual void SetVisible(bool visible);
    virtual void SetEnabled(bool enabled);
    virtual void SetLayer(uint16_t layer);
    virtual uint32_t GetAbsoluteLayer() const;
    virtual void SetFocusable(bool focusable);
    virtual void SetFocus(bool focus);
    virtual void OnMouseEnter();
    virtual void OnMouseMove(int32_t x, int32_t y);
    virtual void OnMouseLeave();
    virtual void OnMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks);
    virtual void OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks);
    virtual void OnChar(char character);
    virtual void OnKeyDown(uint32_t key);
    virtual void OnKeyUp(uint32_t key);

    // ---- Common state ----
    uint32_t GetId() const { return id_; }
    Point GetPosition() const;
    Point GetScreenPosition() const;
    Size GetSize() const;
    void SetColour(const RGB& colour);
    RGB GetColour() const;
    void SetAlignment(uint32_t horizontal, uint32_t vertical);
    uint32_t GetHAlign() const { return hAlign_; }
    uint32_t GetVAlign() const { return vAlign_; }
    bool IsVisible() const { return visible_; }
    void SetShowWithDialog(bool show) { showWithDialog_ = show; }
    bool GetShowWithDialog() const { return showWithDialog_; }
    bool IsEnabled() const { return enabled_; }
    void SetCursor(ICursor* cursor);
    ICursor* GetCursor() const { return cursor_; }
    void SetToolTip(IToolTip* toolTip);
    IToolTip* GetToolTip() const { return toolTip_; }
    bool CanTakeFocus() const { return focusable_ && visible_ && enabled_; }
    bool HasFocus() const { return focused_; }
    // A free value for the owner: the toolkit keeps it and never reads it.
    void SetTag(uint16_t tag) { tag_ = tag; }
    void AddMouseObserver(MouseMessageObserver* observer) { mouseObservers_.push_back(observer); }
    void AddKeybdObserver(KeybdMessageObserver* observer) { keybdObservers_.push_back(observer); }
    void SetModalExempt(bool exempt) { modalExempt_ = exempt; }
    bool GetModalExempt() const { return modalExempt_; }
    void SetParent(IVisibleObject* parent);
    IVisibleObject* GetParent() const;
    void SetUserData(uint32_t data) { userData_ = data; }
    uint32_t GetUserData() const { return userData_; }
    void SetAlwaysRepaint(bool always) { alwaysRepaint_ = always; }
    bool IsAlwaysRepaint() const { return alwaysRepaint_; }
    bool IsHovered() const { return hovered_; }
    bool IsPressed() const { return pressed_; }

    bool IsDirty() const { return dirty_.load(); }
    void ClearDirty() { dirty_.store(false); }
    // Marks the object for repainting; with tellFactory the factory also
    // puts a visible object into its layer table or takes a hidden one out.
    void SetDirty(bool tellFactory = false);

    // Set once by the bridge that owns this implementation.
    void AttachBridge(IBridgeToVO* bridge, IVisibleObject* self);
    IBridgeToVO* GetBridge() const { return bridge_; }
    IVisibleObject* GetInterface() const { return self_; }

    // The anchor moved by the alignment: left/centre/right of the width and
    // top/centre/bottom of the height.
    static Point AlignPoint(Point anchor, Size size, uint32_t hAlign, uint32_t vAlign);
    // Aligns the rectangle at its anchor and cuts it at 0 on each axis; a
    // rectangle wholly off the top or left edge becomes all zero.
    static void AlignAndClip(Rect& rect, uint32_t hAlign, uint32_t vAlign);
    // The area two rectangles share, edges inclusive; false when they do not
    // meet.
    static bool Overlap(const Rect& a, const Rect& b, Rect& out);

protected:
    void UpdateScreenPosition();
    // After a text change: resizes, or when the size did not change, repaints
    // one pixel more each way at the next pass.
    void ResizeForced(Size size);
    Size GetRepaintSize();
    static void AppendRect(std::vector<Rect>& rects, const Rect& rect) { rects.push_back(rect); }
    static Rect MakeRect(int32_t x, int32_t y, uint32_t w, uint32_t h);
    // Common input behaviour without the kinds' additions.
    void NotifyMouseDown(int32_t button);
    void NotifyMouseUp(int32_t button);

    Factory_impl& factory_;

    struct OldPlace {
        int32_t x = 0;
        int32_t y = 0;
        bool valid = false;
    };
    struct OldSize {
        uint32_t w = 0;
        uint32_t h = 0;
        bool valid = false;
    };

    uint32_t id_;
    std::vector<MouseMessageObserver*> mouseObservers_;
    std::vector<KeybdMessageObserver*> keybdObservers_;
    IToolTip* toolTip_ = nullptr;
    ICursor* cursor_ = nullptr;
    IVisibleObject* parent_ = nullptr;
    Point position_;
    std::array<OldPlace, kHistory> oldPlaces_{};
    Point screen_;
    uint16_t layer_ = 0;
    uint32_t hAlign_ = 0;
    uint32_t vAlign_ = 0;
    uint16_t tag_ = 65535;
    Size size_;
    std::array<OldSize, kHistory> oldSizes_{};
    bool pressed_ = false;
    bool hovered_ = false;
    bool focusable_ = true;
    bool focused_ = false;
    bool enabled_ = true;
    bool visible_ = false;
    bool showWithDialog_ = true;
    bool modalExempt_ = false;
    std::atomic<bool> dirty_{false};
    RGB colour_;
    uint32_t userData_ = 0;
    bool alwaysRepaint_ = true;

private:
    IBridgeToVO* bridge_ = nullptr;
    IVisibleObject* self_ = nullptr;
};

} // namespace ControlLibrary
