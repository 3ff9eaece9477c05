// The bridge between the game's interface of a visible object and the kind's
// implementation: a small reference-counted object that forwards every call.
// The factory's tables hold bridges; the game holds the bridge's interface.
// A bridge owns its implementation; only the factory deletes a bridge, when
// its count has reached 0.
//
// Threads: as the implementation; the count is atomic.
#pragma once

#include "controls/ButtonVO_impl.h"
#include "controls/CheckBoxVO_impl.h"
#include "controls/DialogVO_impl.h"
#include "controls/EditBoxVO_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/IButtonVO.h"
#include "controls/ICheckBoxVO.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"
#include "controls/ImageVO_impl.h"
#include "controls/LinkVO_impl.h"
#include "controls/RectVO_impl.h"
#include "controls/StringVO_impl.h"
#include "controls/TextBoxVO_impl.h"

#include <atomic>
#include <memory>

namespace ControlLibrary {

template <class Interface, class Impl>
class BaseVO_bridge : public IBridgeToVO, public Interface {
public:
    explicit BaseVO_bridge(std::unique_ptr<Impl> impl) : impl_(std::move(impl))
    {
        impl_->AttachBridge(this, static_cast<Interface*>(this));
    }
    ~BaseVO_bridge() override = default;

    // ---- IBridgeToVO ----
    VisibleObject_impl* GetImpl() override { return impl_.get(); }
    void Draw() override { impl_->Draw(); }
    void DrawClipped(const std::vector<Rect>& rects) override { impl_->DrawClipped(rects); }
    void CollectDirtyRects(std::vector<Rect>& rects) override { impl_->CollectDirtyRects(rects); }
    int16_t GetRefCount() const override { return refCount_.load(); }
    IVisibleObject* GetInterface() override { return static_cast<Interface*>(this); }

    // ---- Both ----
    uint32_t GetId() const override { return impl_->GetId(); }
    uint32_t GetAbsoluteLayer() const override { return impl_->GetAbsoluteLayer(); }
    void AddRef() override { refCount_.fetch_add(1); }
    int16_t Release() override
    {
        int16_t count = refCount_.load();
        while (count >= 1 && !refCount_.compare_exchange_weak(count, static_cast<int16_t>(count - 1))) {
        }
        return count >= 1 ? static_cast<int16_t>(count - 1) : count;
    }

    // ---- IVisibleObject ----
    void SetPosition(int32_t x, int32_t y) override { impl_->SetPosition(Point{x, y}); }
    void SetPosition(Point position) override { impl_->SetPosition(position); }
    Point GetPosition() const override { return impl_->GetPosition(); }
    Point GetScreenPosition() const override { return impl_->GetScreenPosition(); }
    void SetSize(uint32_t w, uint32_t h) override { impl_->SetSize(Size{w, h}); }
    void SetSize(const Size& size) override { impl_->SetSize(size); }
    Size GetSize() const override { return impl_->GetSize(); }
    void SetColour(const RGB& colour) override { impl_->SetColour(colour); }
    RGB GetColour() const override { return impl_->GetColour(); }
    void SetAlignment(uint32_t h, uint32_t v) override { impl_->SetAlignment(h, v); }
    uint32_t GetHAlign() const override { return impl_->GetHAlign(); }
    uint32_t GetVAlign() const override { return impl_->GetVAlign(); }
    Rect GetRect() const override { return impl_->GetRect(); }
    Rect GetScreenRect() const override { return impl_->GetScreenRect(); }
    void SetVisible(bool visible) override { impl_->SetVisible(visible); }
    bool IsVisible() const override { return impl_->IsVisible(); }
    void SetShowWithDialog(bool show) override { impl_->SetShowWithDialog(show); }
    bool GetShowWithDialog() const override { return impl_->GetShowWithDialog(); }
    void SetEnabled(bool enabled) override { impl_->SetEnabled(enabled); }
    bool IsEnabled() const override { return impl_->IsEnabled(); }
    void SetLayer(uint16_t layer) override { impl_->SetLayer(layer); }
    void SetCursor(ICursor* cursor) override { impl_->SetCursor(cursor); }
    void SetToolTip(IToolTip* toolTip) override { impl_->SetToolTip(toolTip); }
    IToolTip* GetToolTip() const override { return impl_->GetToolTip(); }
    void SetFocusable(bool focusable) override { impl_->SetFocusable(focusable); }
    bool CanTakeFocus() const override { return impl_->CanTakeFocus(); }
    void SetFocus(bool focus) override { impl_->SetFocus(focus); }
    bool HasFocus() const override { return impl_->HasFocus(); }
    void SetTag(uint16_t tag) override { impl_->SetTag(tag); }
    void AddMouseObserver(MouseMessageObserver* observer) override { impl_->AddMouseObserver(observer); }
    void AddKeybdObserver(KeybdMessageObserver* observer) override { impl_->AddKeybdObserver(observer); }
    void SetModalExempt(bool exempt) override { impl_->SetModalExempt(exempt); }
    bool GetModalExempt() const override { return impl_->GetModalExempt(); }
    void SetParent(IVisibleObject* parent) override { impl_->SetParent(parent); }
    void SetUserData(uint32_t data) override { impl_->SetUserData(data); }
    uint32_t GetUserData() const override { return impl_->GetUserData(); }
    void SetAlwaysRepaint(bool always) override { impl_->SetAlwaysRepaint(always); }

    Impl& Kind() { return *impl_; }

protected:
    std::unique_ptr<Impl> impl_;
    std::atomic<int16_t> refCount_{1};
};

class ImageVO_bridge final : public BaseVO_bridge<IImageVO, ImageVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    bool SetImage(const std::string& name, bool autosize) override { return impl_->SetImage(name, autosize); }
    void SetSourceRect(const Rect& source) override { impl_->SetSourceRect(source); }
    void SetRotation(double angle, const Point& centre) override { impl_->SetRotation(angle, centre); }
    void SetDrawOffset(const Point& offset) override { impl_->SetDrawOffset(offset); }
    void GetImageName(std::string& out) const override { impl_->GetImageName(out); }
    Rect GetSourceRect() const override { return impl_->GetSourceRect(); }
};

class StringVO_Bridge final : public BaseVO_bridge<IStringVO, StringVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetFont(IFont* font) override { impl_->SetFont(font); }
    void SetText(const std::string& text) override { impl_->SetText(text); }
    void GetText(std::string& out) const override { impl_->GetText(out); }
    void SetShadow(bool shadow) override { impl_->SetShadow(shadow); }
    void SetShadowOffset(uint16_t dx, uint16_t dy) override { impl_->SetShadowOffset(dx, dy); }
    void SetShadowColour(const RGB& colour) override { impl_->SetShadowColour(colour); }
};

class LinkVO_Bridge final : public BaseVO_bridge<ILinkVO, LinkVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetFont(IFont* font) override { impl_->SetFont(font); }
    void SetText(const std::string& text) override { impl_->SetText(text); }
    void GetText(std::string& out) const override { impl_->GetText(out); }
    void SetUrl(const std::string& url) override { impl_->SetUrl(url); }
    void SetHoverColour(const RGB& colour) override { impl_->SetHoverColour(colour); }
};

class RectVO_bridge final : public BaseVO_bridge<IRectVO, RectVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetStyle(uint32_t style) override { impl_->SetStyle(style); }
};

class ButtonVO_bridge final : public BaseVO_bridge<IButtonVO, ButtonVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetSounds(const ButtonSounds& sounds) override { impl_->SetSounds(sounds); }
    void SetBackColours(const std::array<RGB, 5>& colours) override { impl_->SetBackColours(colours); }
    void SetFonts(const std::array<IFont*, 4>& fonts) override { impl_->SetFonts(fonts); }
    void SetImages(const std::array<std::string, 4>& names) override { impl_->SetImages(names); }
    void SetSourceRects(const std::array<Rect, 4>& sources) override { impl_->SetSourceRects(sources); }
    void SetTextColours(const std::array<RGB, 5>& colours) override { impl_->SetTextColours(colours); }
    void SetCaption(const std::string& caption) override { impl_->SetCaption(caption); }
    void SetCaptionOffset(const Point& offset) override { impl_->SetCaptionOffset(offset); }
    void SetFaceHidden(bool hidden) override { impl_->SetFaceHidden(hidden); }
    std::string GetCaption() const override { return impl_->GetCaption(); }
    void PerformClick() override { impl_->PerformClick(); }
};

class CheckBoxVO_bridge final : public BaseVO_bridge<ICheckBoxVO, CheckBoxVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetSounds(const ButtonSounds& sounds) override { impl_->SetSounds(sounds); }
    void SetBackColours(const std::array<RGB, 5>& colours) override { impl_->SetBackColours(colours); }
    void SetFonts(const std::array<IFont*, 4>& fonts) override { impl_->SetFonts(fonts); }
    void SetImages(const std::array<std::string, 4>& names) override { impl_->SetImages(names); }
    void SetSourceRects(const std::array<Rect, 4>& sources) override { impl_->SetSourceRects(sources); }
    void SetTextColours(const std::array<RGB, 5>& colours) override { impl_->SetTextColours(colours); }
    void SetBoxSize(uint32_t w, uint32_t h) override { impl_->SetBoxSize(w, h); }
    void SetCaption(const std::string& caption) override { impl_->SetCaption(caption); }
    void SetCaptionOffset(const Point& offset) override { impl_->SetCaptionOffset(offset); }
    void SetFaceHidden(bool hidden) override { impl_->SetFaceHidden(hidden); }
    void PerformClick() override { impl_->PerformClick(); }
    void SetChecked(bool checked) override { impl_->SetChecked(checked); }
    bool IsChecked() const override { return impl_->IsChecked(); }
};

class EditBoxVO_bridge final : public BaseVO_bridge<IEditBoxVO, EditBoxVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddEditObserver(IEditBoxMsgObserver* observer) override { impl_->AddEditObserver(observer); }
    void SetFont(IFont* font) override { impl_->SetFont(font); }
    void SetText(const std::string& text) override { impl_->SetText(text); }
    void GetText(std::string& out) const override { impl_->GetText(out); }
    void ProposeText(const std::string& text) override { impl_->ProposeText(text); }
    bool IsTextProposed() const override { return impl_->IsTextProposed(); }
    void SetTextOffset(int16_t x, int16_t y) override { impl_->SetTextOffset(x, y); }
    void SetTextColour(const RGB& colour) override { impl_->SetTextColour(colour); }
    void SetMaxLength(uint16_t length) override { impl_->SetMaxLength(length); }
    void SetAltLook(bool alternative) override { impl_->SetAltLook(alternative); }
    void SetCaretColour(const RGB& colour) override { impl_->SetCaretColour(colour); }
    void SetFrameImages(const std::array<FrameImageEntry, 3>& normal,
                        const std::array<FrameImageEntry, 3>& alternative) override
    {
        impl_->SetFrameImages(normal, alternative);
    }
    void SetFrameRects(const std::array<Rect, 3>& sources) override { impl_->SetFrameRects(sources); }
    void SetFaceHidden(bool hidden) override { impl_->SetFaceHidden(hidden); }
};

class TextBoxVO_bridge final : public BaseVO_bridge<ITextBoxVO, TextBoxVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddText(const std::string& text, IFont* font, uint32_t alignment, const RGB& colour) override
    {
        impl_->AddText(text, font, alignment, colour);
    }
    void SetFirstLine(uint16_t page) override { impl_->SetFirstLine(page); }
    void Clear() override { impl_->Clear(); }
    bool ScrollDown() override { return impl_->ScrollDown(); }
    bool ScrollUp() override { return impl_->ScrollUp(); }
    bool CanScrollDown() override { return impl_->CanScrollDown(); }
    bool CanScrollUp() override { return impl_->CanScrollUp(); }
};

class DialogVO_bridge final : public BaseVO_bridge<IDialogVO, DialogVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddDialogObserver(DialogMessageObserver* observer) override { impl_->AddDialogObserver(observer); }
    void SetModeless(uint32_t modeless) override { impl_->SetModeless(modeless); }
    bool SetBackgroundImage(const std::string& name) override { return impl_->SetBackgroundImage(name); }
    void SetBackgroundRect(const Rect& source) override { impl_->SetBackgroundRect(source); }
    void SetFaceHidden(bool hidden) override { impl_->SetFaceHidden(hidden); }
    void AddChild(IVisibleObject* child) override { impl_->AddChild(child); }
};

} // namespace ControlLibrary
