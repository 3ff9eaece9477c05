// The panel every game dialog is built on: child objects that appear and
// disappear with it, raised above everything on screen when shown, the rest
// of the screen made inert while it is open (unless modeless), and dialog
// observers told of every show and hide.
//
// Threads: shown and hidden from the main thread and from timer callbacks.
// Observers are called without the factory lock held.
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>
#include <vector>

namespace ControlLibrary {

class DialogMessageObserver;

class DialogVO_impl final : public VisibleObject_impl {
public:
    DialogVO_impl(Factory_impl& factory, uint32_t id);
    ~DialogVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void SetVisible(bool visible) override;

    void AddDialogObserver(DialogMessageObserver* observer) { observers_.push_back(observer); }
    void SetModeless(uint32_t modeless) { modeless_ = modeless; }
    bool SetBackgroundImage(const std::string& name);
    void SetBackgroundRect(const Rect& source) { backgroundSource_ = source; }
    // The background image (-1: none) and whether the panel is drawn at all.
    int32_t GetBackgroundHandle() const { return background_; }
    bool IsFaceHidden() const { return faceHidden_; }
    void SetFaceHidden(bool hidden);
    void AddChild(IVisibleObject* child);
    // Forgets a child that is being deleted (the factory calls it).
    void ForgetChild(IVisibleObject* child);

    static constexpr RGB kBorderColour{25, 250, 25};

private:
    std::vector<DialogMessageObserver*> observers_;
    uint32_t modeless_ = 0;
    int32_t background_ = -1;
    Rect backgroundSource_;
    bool faceHidden_ = false;
    std::vector<IVisibleObject*> children_;
};

} // namespace ControlLibrary
