// The widget manager's roles, modal barriers, per-frame walks and the draw
// pass. Input routing is in WidgetManagerInput.cpp.
#include "framework/widgets/WidgetManager.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetHost.h"

#include <algorithm>

namespace Zolt {

WidgetManager::WidgetManager(WidgetHost* app) : app_(app)
{
    manager_ = this;
}

WidgetManager::~WidgetManager()
{
    // The top-level widgets outlive the manager (their owners delete them
    // later); they must not keep links into it. No hooks run here.
    struct Unlink {
        static void Subtree(WidgetContainer* container)
        {
            for (Widget* child : container->GetChildren()) {
                child->manager_ = nullptr;
                Subtree(child);
            }
        }
    };
    for (Widget* child : children_) {
        child->manager_ = nullptr;
        child->parent_ = nullptr;
        Unlink::Subtree(child);
    }
    children_.clear();
}

void WidgetManager::SetInputMapping(const Rect& destination, const Rect& source)
{
    inputDestination_ = destination;
    inputSource_ = source;
    width_ = destination.width + 2 * destination.x;
    height_ = destination.height + 2 * destination.y;
}

void WidgetManager::MapWindowToWidgetCoords(int& x, int& y) const
{
    // A zero source size (no display yet) would divide by zero; such an
    // axis maps as the identity.
    if (inputSource_.width != 0)
        x = static_cast<int>(static_cast<int64_t>(x - inputSource_.x) * inputDestination_.width /
                             inputSource_.width) +
            inputDestination_.x;
    if (inputSource_.height != 0)
        y = static_cast<int>(static_cast<int64_t>(y - inputSource_.y) * inputDestination_.height /
                             inputSource_.height) +
            inputDestination_.y;
}

uint32_t WidgetManager::GetTopFlags() const
{
    return appHasFocus_ ? treeFlags_ : lostFocusAdjust_.Apply(treeFlags_);
}

uint32_t WidgetManager::BuildFlagContext(FlagContext& out) const
{
    const uint32_t top = GetTopFlags();
    out.frontFlags = top;
    out.behindFlags = behindBarrierAdjust_.Apply(top);
    out.barrierReached = barrierWidget_ == nullptr;
    return top;
}

bool WidgetManager::IsKeyDown(int key) const
{
    return key >= 0 && key < kKeyTableSize && keyDown_[static_cast<size_t>(key)];
}

void WidgetManager::ClearKeyTable()
{
    keyDown_.fill(false);
}

int32_t WidgetManager::ButtonBitOf(int clickCode)
{
    if (clickCode < 0)
        return kRightBit;
    if (clickCode == 3)
        return kMiddleBit;
    return kLeftBit;
}

// ---- Roles ----

void WidgetManager::StartHover(Widget* widget)
{
    overWidget_ = widget;
    widget->SetOver(true);
    widget->OnMouseEnter();
    if (widget->WantsHandCursor() && overWidget_ == widget)
        widget->ShowHandCursor(true);
}

void WidgetManager::EndHover()
{
    Widget* widget = overWidget_;
    if (!widget)
        return;
    overWidget_ = nullptr;
    widget->SetOver(false);
    widget->OnMouseLeave();
    if (widget->WantsHandCursor())
        widget->ShowHandCursor(false);
}

void WidgetManager::GiveFocus(Widget* widget)
{
    if (widget == focusWidget_)
        return;
    Widget* old = focusWidget_;
    focusWidget_ = nullptr;
    if (old)
        old->OnFocusLost();
    if (widget && widget->GetManager() == this) {
        focusWidget_ = widget;
        if (appHasFocus_)
            widget->OnFocusGained();
    }
}

void WidgetManager::ReleaseHeldButtons(Widget* widget, int32_t mask)
{
    static constexpr struct {
        int32_t bit;
        int code;
    } kButtons[] = {{kLeftBit, 1}, {kRightBit, -1}, {kMiddleBit, 3}};
    for (const auto& button : kButtons) {
        if (!(mask & button.bit))
            continue;
        Point origin;
        widget->GetScreenPosition(origin);
        widget->SetDown(false);
        widget->OnMouseUp(lastX_ - origin.x, lastY_ - origin.y, button.code);
    }
}

void WidgetManager::ReleaseMouseCapture()
{
    if (!capturedWidget_ || captureMask_ == 0)
        return;
    Widget* widget = capturedWidget_;
    const int32_t mask = captureMask_;
    captureMask_ = 0;
    capturedWidget_ = nullptr;
    ReleaseHeldButtons(widget, mask);
}

void WidgetManager::ReleaseWidget(Widget* widget)
{
    if (!widget)
        return;
    if (widget == overWidget_)
        EndHover();
    if (widget == capturedWidget_) {
        const int32_t mask = captureMask_;
        captureMask_ = 0;
        capturedWidget_ = nullptr;
        ReleaseHeldButtons(widget, mask);
    }
    if (widget == focusWidget_) {
        focusWidget_ = nullptr;
        widget->OnFocusLost();
    }
    if (widget == barrierWidget_)
        barrierWidget_ = nullptr;
}

void WidgetManager::ForgetDetachedWidget(Widget* widget)
{
    for (ModalState& state : modalStack_) {
        if (state.barrierBefore == widget)
            state.barrierBefore = nullptr;
        if (state.focusBefore == widget)
            state.focusBefore = nullptr;
    }
    if (ctrlTabWidget_ == widget)
        ctrlTabWidget_ = nullptr;
    for (OverlayRequest& request : overlayRequests_)
        if (request.widget == widget)
            request.widget = nullptr;
}

void WidgetManager::ClosePopup()
{
    Widget* popup = popupWidget_;
    popupWidget_ = nullptr;
    if (popup && popup->GetParent())
        popup->GetParent()->RemoveChild(popup);
}

// ---- Modal barrier ----

bool WidgetManager::IsBehindBarrier(Widget* widget)
{
    return widget && barrierWidget_ && widget != barrierWidget_ && IsBehind(widget, barrierWidget_);
}

void WidgetManager::SetModalBarrier(Widget* widget, const FlagAdjust& adjust)
{
    barrierWidget_ = widget;
    behindBarrierAdjust_ = adjust;
    if (adjust.remove & TreeFlags::Mouse) {
        if (IsBehindBarrier(overWidget_))
            EndHover();
        if (IsBehindBarrier(capturedWidget_)) {
            Widget* captured = capturedWidget_;
            const int32_t mask = captureMask_;
            captureMask_ = 0;
            capturedWidget_ = nullptr;
            ReleaseHeldButtons(captured, mask);
        }
    }
    if ((adjust.remove & TreeFlags::Focus) && IsBehindBarrier(focusWidget_)) {
        Widget* focus = focusWidget_;
        focusWidget_ = nullptr;
        focus->OnFocusLost();
    }
}

void WidgetManager::PushModalBarrier(Widget* widget, const FlagAdjust& adjust)
{
    modalStack_.push_back(ModalState{widget, barrierWidget_, focusWidget_, behindBarrierAdjust_});
    SetModalBarrier(widget, adjust);
}

void WidgetManager::PushModalBarrier(Widget* widget)
{
    PushModalBarrier(widget, defaultBehindBarrierAdjust_);
}

void WidgetManager::PopModalBarrier(Widget* widget)
{
    if (modalStack_.empty() || modalStack_.back().widget != widget)
        return;
    for (;;) {
        const size_t entriesBefore = modalStack_.size();
        const ModalState state = modalStack_.back();
        SetModalBarrier(state.barrierBefore, state.adjustBefore);
        if (!focusWidget_ && state.focusBefore && state.focusBefore->GetManager() == this) {
            focusWidget_ = state.focusBefore;
            // As GiveFocus: a widget only hears of the focus while the
            // application has it; HandleAppFocusGained tells it later.
            if (appHasFocus_)
                focusWidget_->OnFocusGained();
        }
        if (!modalStack_.empty())
            modalStack_.pop_back();
        if (state.barrierBefore != nullptr || entriesBefore <= 1 || modalStack_.empty())
            break;
    }
}

// ---- Per-frame walks ----

bool WidgetManager::TickWidgets()
{
    FlagContext context;
    BuildFlagContext(context);
    ++tickCount_;
    lastTick_ = tickCount_;
    TickTree(context);
    return dirty_;
}

bool WidgetManager::TickWidgetsSmooth(float fraction)
{
    FlagContext context;
    BuildFlagContext(context);
    TickSmoothTree(context, fraction);
    return dirty_;
}

void WidgetManager::PrepareWidgetGraphics(Graphics& g, Widget* widget) const
{
    g.MoveOrigin(-inputDestination_.x, -inputDestination_.y);
    g.MoveOrigin(widget->X(), widget->Y());
    const bool in3D = app_ && app_->IsIn3DMode();
    g.SetQuickStretch(!in3D);
    g.SetBlendHint(in3D);
}

bool WidgetManager::PaintDirtyWidgets()
{
    FlagContext context;
    BuildFlagContext(context);
    const bool anyDirty =
        std::any_of(children_.begin(), children_.end(), [](Widget* w) { return w->IsDirty(); });

    overlayRequests_.clear();
    lowestQueuedPriority_ = kNoPriority;
    paintedAreas_.clear();
    paintedWhole_ = false;

    const bool locked = app_ && app_->BeginScreenPaint(screenImage_);
    Graphics graphics(screenImage_);
    currentGraphics_ = &graphics;

    bool painted = false;
    size_t painters = 0;
    if (anyDirty) {
        std::vector<Widget*> widgets(children_.begin(), children_.end());
        for (Widget* widget : widgets) {
            // A hook of an earlier widget may have removed this one.
            if (widget->GetParent() != this)
                continue;
            if (widget == barrierWidget_)
                context.barrierReached = true;
            if (!widget->IsShown() || !widget->IsDirty())
                continue;
            Graphics g(graphics);
            PrepareWidgetGraphics(g, widget);
            paintingWidget_ = widget;
            paintingReported_ = false;
            widget->PaintTree(context, &g);
            paintingWidget_ = nullptr;
            if (!paintingReported_)
                paintedWhole_ = true;
            // A later widget's paint lies over this one's: the screen holds
            // neither widget's last paint alone.
            lastSolePainter_ = ++painters == 1 ? widget : nullptr;
            widget->SetDirty(false);
            painted = true;
        }
    }

    PaintPendingOverlays(kNoPriority);
    if (locked)
        app_->EndScreenPaint(screenImage_);
    currentGraphics_ = nullptr;
    return painted;
}

void WidgetManager::ReportPaintedAreas(const std::vector<Rect>& areas)
{
    if (!paintingWidget_)
        return;
    paintingReported_ = true;
    paintedAreas_.insert(paintedAreas_.end(), areas.begin(), areas.end());
}

bool WidgetManager::PaintedAreas(std::vector<Rect>& out) const
{
    if (paintedWhole_)
        return false;
    out = paintedAreas_;
    return true;
}

void WidgetManager::RequestOverlay(Widget* widget, int32_t priority)
{
    if (!widget)
        return;
    overlayRequests_.push_back(OverlayRequest{widget, priority});
    lowestQueuedPriority_ = std::min(lowestQueuedPriority_, priority);
}

void WidgetManager::PaintPendingOverlays(int32_t limit)
{
    for (;;) {
        int32_t lowest = kNoPriority;
        const int32_t current = lowestQueuedPriority_;
        // Indexed: an overlay may queue another one while it paints.
        for (size_t i = 0; i < overlayRequests_.size(); ++i) {
            OverlayRequest request = overlayRequests_[i];
            if (!request.widget)
                continue;
            if (request.priority == current) {
                overlayRequests_[i].widget = nullptr;
                if (currentGraphics_) {
                    Graphics g(*currentGraphics_);
                    PrepareWidgetGraphics(g, request.widget);
                    request.widget->PaintOverlayAt(&g, request.priority);
                    NoteScreenDrawnOver();
                }
            } else {
                lowest = std::min(lowest, request.priority);
            }
        }
        lowestQueuedPriority_ = lowest;
        if (lowest == kNoPriority) {
            overlayRequests_.clear();
            return;
        }
        if (lowest >= limit)
            return;
    }
}

} // namespace Zolt
