// The root of the widget tree. It decides which widget gets each mouse and
// keyboard event (hit test, mouse capture, keyboard focus, modal barrier),
// which widgets are ticked and drawn and in what order, and paints queued
// overlays over the whole tree.
//
// Main thread only: the application calls the input entries from its queued
// input, the tick entries from its update and the draw pass from its
// redraw. Every role (over, captured, focus, barrier) is dropped when its
// widget is detached, disabled or put behind a barrier that removes the
// matching flag, so no role outlives its widget's place in the tree.
#pragma once

#include "framework/widgets/WidgetContainer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Zolt {

class Graphics;
class Image;
class WidgetHost;

// Told of every key after the focus widget.
class KeyListener {
public:
    virtual void OnKeyDown(int key) = 0;
    virtual void OnKeyUp(int key) = 0;
    virtual void OnChar(char c) = 0;

protected:
    ~KeyListener() = default;
};

class WidgetManager : public WidgetContainer {
public:
    static constexpr int32_t kNoPriority = 0x7FFFFFFF;
    static constexpr int kKeyTableSize = 255;
    // Buttons of the held and capture masks.
    enum : int32_t { kLeftBit = 1, kRightBit = 2, kMiddleBit = 4 };

    // `app` may be null: no cursor changes, no 3D mode.
    explicit WidgetManager(WidgetHost* app);
    ~WidgetManager() override;

    // Input mapping: window coordinates to widget coordinates.
    void SetInputMapping(const Rect& destination, const Rect& source);
    // An axis whose source size is 0 is left unchanged.
    void MapWindowToWidgetCoords(int& x, int& y) const;

    uint32_t GetTopFlags() const;
    uint32_t BuildFlagContext(FlagContext& out) const;

    bool TickWidgets();
    bool TickWidgetsSmooth(float fraction);
    bool PaintDirtyWidgets();
    void PaintPendingOverlays(int32_t limit);
    // Queues an overlay of the widget for the draw pass in progress.
    void RequestOverlay(Widget* widget, int32_t priority);
    int32_t GetLowestQueuedPriority() const { return lowestQueuedPriority_; }

    bool HandleMouseDown(int x, int y, int clickCode);
    bool HandleMouseUp(int x, int y, int clickCode);
    bool HandleMouseMove(int x, int y);
    bool HandleMouseDrag(int x, int y);
    bool HandleMouseExit(int x, int y);
    void HandleMouseWheel(int delta);
    bool HandleChar(char c);
    bool HandleKeyDown(int key);
    bool HandleKeyUp(int key);
    bool HandleAppFocusGained();
    bool HandleAppFocusLost();

    void GiveFocus(Widget* widget) override;
    void ReleaseWidget(Widget* widget) override;
    void ReleaseMouseCapture();
    void ReleaseHeldButtons(Widget* widget, int32_t mask);
    // The widget under the point (in widget coordinates) and the point in
    // its own coordinates; null when none.
    Widget* PickWidget(int x, int y, Point* local);
    // As PickWidget, but null when the widget found is disabled.
    Widget* PickEnabledWidget(int x, int y, Point* local);
    void MoveMouseTo(int x, int y);
    void RecheckMouseOver();
    void ClosePopup();

    void SetModalBarrier(Widget* widget, const FlagAdjust& adjust);
    void PushModalBarrier(Widget* widget, const FlagAdjust& adjust);
    void PushModalBarrier(Widget* widget);
    void PopModalBarrier(Widget* widget);
    size_t ModalDepth() const { return modalStack_.size(); }
    // Drops the widget from every saved modal state (as barrier and as
    // saved focus) and from the manager's plain links; part of detaching.
    void ForgetDetachedWidget(Widget* widget);

    WidgetHost* GetApp() const { return app_; }
    Image* GetScreenImage() const { return screenImage_; }
    void SetScreenImage(Image* image)
    {
        screenImage_ = image;
        lastSolePainter_ = nullptr;
    }
    Graphics* GetCurrentGraphics() const { return currentGraphics_; }

    // What the screen image holds between passes. A widget whose last paint
    // is still all that shows (it painted alone onto this screen image and
    // nothing else was drawn on it since) may paint only what changed, and
    // say where with ReportPaintedAreas during its paint; PaintedAreas then
    // gives those places (screen pixels) after the pass, or false when some
    // paint of the pass did not say where it drew, so that all of the
    // screen is to be shown. NoteScreenDrawnOver: something outside the
    // widgets drew on the screen image.
    bool ScreenHoldsLastPaintOf(const Widget* widget) const { return widget && widget == lastSolePainter_; }
    void ReportPaintedAreas(const std::vector<Rect>& areas);
    bool PaintedAreas(std::vector<Rect>& out) const;
    void NoteScreenDrawnOver()
    {
        lastSolePainter_ = nullptr;
        paintedWhole_ = true;
    }

    Widget* GetFocusWidget() const { return focusWidget_; }
    Widget* GetCapturedWidget() const { return capturedWidget_; }
    Widget* GetOverWidget() const { return overWidget_; }
    Widget* GetModalBarrier() const { return barrierWidget_; }
    Widget* GetPopupWidget() const { return popupWidget_; }
    void SetPopupWidget(Widget* widget) { popupWidget_ = widget; }
    Widget* GetCtrlTabWidget() const { return ctrlTabWidget_; }
    void SetCtrlTabWidget(Widget* widget) { ctrlTabWidget_ = widget; }
    void SetKeyListener(KeyListener* listener) { keyListener_ = listener; }

    bool HasAppFocus() const { return appHasFocus_; }
    bool IsMouseIn() const { return mouseIn_; }
    int LastX() const { return lastX_; }
    int LastY() const { return lastY_; }
    int32_t CaptureMask() const { return captureMask_; }
    int32_t HeldMask() const { return heldMask_; }
    int32_t LastInputTick() const { return lastInputTick_; }
    int LastClickButton() const { return lastClickButton_; }
    // False for codes outside the table.
    bool IsKeyDown(int key) const;
    // Forgets every held key without telling anyone.
    void ClearKeyTable();

    const FlagAdjust& GetLostFocusAdjust() const { return lostFocusAdjust_; }
    void SetLostFocusAdjust(const FlagAdjust& adjust) { lostFocusAdjust_ = adjust; }
    const FlagAdjust& GetBehindBarrierAdjust() const { return behindBarrierAdjust_; }
    const FlagAdjust& GetDefaultBehindBarrierAdjust() const { return defaultBehindBarrierAdjust_; }
    uint32_t GetTreeFlags() const { return treeFlags_; }
    void SetTreeFlags(uint32_t flags) { treeFlags_ = flags; }

    // The mask bit of a click code: negative right, 3 middle, else left.
    static int32_t ButtonBitOf(int clickCode);

private:
    struct ModalState {
        Widget* widget;
        Widget* barrierBefore;
        Widget* focusBefore;
        FlagAdjust adjustBefore;
    };
    struct OverlayRequest {
        Widget* widget;
        int32_t priority;
    };

    Widget* PickInContainer(WidgetContainer* container, int x, int y, uint32_t inheritedFlags, Point* local);
    // Re-picks the enabled widget under (x, y) and moves the over role;
    // `recheck` marks a re-pick at an unchanged position.
    void UpdateOver(int x, int y, bool recheck);
    void StartHover(Widget* widget);
    void EndHover();
    void MarkInput() { lastInputTick_ = tickCount_; }
    bool IsBehindBarrier(Widget* widget);
    // A Graphics for a top-level widget or overlay of the current pass.
    void PrepareWidgetGraphics(Graphics& g, Widget* widget) const;

    Widget* ctrlTabWidget_ = nullptr;
    Graphics* currentGraphics_ = nullptr;
    // The widget painting now and whether it said where; the only widget
    // whose paint the screen image holds; what the last pass changed.
    Widget* paintingWidget_ = nullptr;
    bool paintingReported_ = false;
    Widget* lastSolePainter_ = nullptr;
    bool paintedWhole_ = false;
    std::vector<Rect> paintedAreas_;
    WidgetHost* app_ = nullptr;
    Image* screenImage_ = nullptr;
    Widget* popupWidget_ = nullptr;
    std::vector<OverlayRequest> overlayRequests_;
    int32_t lowestQueuedPriority_ = kNoPriority;
    KeyListener* keyListener_ = nullptr;
    bool appHasFocus_ = true;
    Widget* focusWidget_ = nullptr;
    Widget* capturedWidget_ = nullptr;
    Widget* overWidget_ = nullptr;
    Widget* barrierWidget_ = nullptr;
    FlagAdjust lostFocusAdjust_;
    FlagAdjust behindBarrierAdjust_;
    FlagAdjust defaultBehindBarrierAdjust_{0, TreeFlags::Mouse | TreeFlags::Focus};
    std::vector<ModalState> modalStack_;
    Rect inputDestination_;
    Rect inputSource_;
    bool mouseIn_ = false;
    // No position yet: the first move always counts as a change.
    int lastX_ = INT32_MIN;
    int lastY_ = INT32_MIN;
    int32_t captureMask_ = 0;
    int32_t heldMask_ = 0;
    int32_t lastInputTick_ = 0;
    std::array<bool, kKeyTableSize> keyDown_{};
    int lastClickButton_ = 0;
    uint32_t treeFlags_ = TreeFlags::Default;
};

} // namespace Zolt
