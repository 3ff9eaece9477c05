// Test double: a visible object that refuses to move while it is stuck, as
// an object held in place by the toolkit would. Every other call goes to the
// recorded object it wraps.
#pragma once

#include "controls/IVisibleObject.h"

namespace effect_testing {

class StuckObject final : public ControlLibrary::IVisibleObject {
public:
    explicit StuckObject(ControlLibrary::IVisibleObject& inner) : in_(inner) {}

    bool stuck = true;

    void SetPosition(int32_t x, int32_t y) override { SetPosition(ControlLibrary::Point{x, y}); }
    void SetPosition(ControlLibrary::Point p) override
    {
        if (!stuck)
            in_.SetPosition(p);
    }

    uint32_t GetId() const override { return in_.GetId(); }
    void AddRef() override { in_.AddRef(); }
    int16_t Release() override { return in_.Release(); }
    ControlLibrary::Point GetPosition() const override { return in_.GetPosition(); }
    ControlLibrary::Point GetScreenPosition() const override { return in_.GetScreenPosition(); }
    void SetSize(uint32_t w, uint32_t h) override { in_.SetSize(w, h); }
    void SetSize(const ControlLibrary::Size& s) override { in_.SetSize(s); }
    ControlLibrary::Size GetSize() const override { return in_.GetSize(); }
    void SetColour(const ControlLibrary::RGB& c) override { in_.SetColour(c); }
    ControlLibrary::RGB GetColour() const override { return in_.GetColour(); }
    void SetAlignment(uint32_t h, uint32_t v) override { in_.SetAlignment(h, v); }
    uint32_t GetHAlign() const override { return in_.GetHAlign(); }
    uint32_t GetVAlign() const override { return in_.GetVAlign(); }
    ControlLibrary::Rect GetRect() const override { return in_.GetRect(); }
    ControlLibrary::Rect GetScreenRect() const override { return in_.GetScreenRect(); }
    void SetVisible(bool v) override { in_.SetVisible(v); }
    bool IsVisible() const override { return in_.IsVisible(); }
    void SetShowWithDialog(bool s) override { in_.SetShowWithDialog(s); }
    bool GetShowWithDialog() const override { return in_.GetShowWithDialog(); }
    void SetEnabled(bool e) override { in_.SetEnabled(e); }
    bool IsEnabled() const override { return in_.IsEnabled(); }
    void SetLayer(uint16_t l) override { in_.SetLayer(l); }
    uint32_t GetAbsoluteLayer() const override { return in_.GetAbsoluteLayer(); }
    void SetCursor(ControlLibrary::ICursor* c) override { in_.SetCursor(c); }
    void SetToolTip(ControlLibrary::IToolTip* t) override { in_.SetToolTip(t); }
    ControlLibrary::IToolTip* GetToolTip() const override { return in_.GetToolTip(); }
    void SetFocusable(bool f) override { in_.SetFocusable(f); }
    bool CanTakeFocus() const override { return in_.CanTakeFocus(); }
    void SetFocus(bool f) override { in_.SetFocus(f); }
    bool HasFocus() const override { return in_.HasFocus(); }
    void SetTag(uint16_t t) override { in_.SetTag(t); }
    void AddMouseObserver(ControlLibrary::MouseMessageObserver* o) override { in_.AddMouseObserver(o); }
    void AddKeybdObserver(ControlLibrary::KeybdMessageObserver* o) override { in_.AddKeybdObserver(o); }
    void SetModalExempt(bool e) override { in_.SetModalExempt(e); }
    bool GetModalExempt() const override { return in_.GetModalExempt(); }
    void SetParent(ControlLibrary::IVisibleObject* p) override { in_.SetParent(p); }
    void SetUserData(uint32_t d) override { in_.SetUserData(d); }
    uint32_t GetUserData() const override { return in_.GetUserData(); }
    void SetAlwaysRepaint(bool a) override { in_.SetAlwaysRepaint(a); }

private:
    ControlLibrary::IVisibleObject& in_;
};

} // namespace effect_testing
