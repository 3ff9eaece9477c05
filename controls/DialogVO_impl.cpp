#include "controls/DialogVO_impl.h"

#include "controls/DialogMessageObserver.h"
#include "controls/Factory_impl.h"

#include <algorithm>

namespace ControlLibrary {

DialogVO_impl::DialogVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id)
{
    size_ = Size{100, 100};
    colour_ = RGB{128, 64, 0};
}

DialogVO_impl::~DialogVO_impl()
{
    factory_.ReleaseImage(background_);
    // A dialog released while shown closes as it goes: its children leave
    // the screen with it, and a modal one gives the rest of the screen back.
    // Its observers are not told; the one releasing it is its owner.
    const bool closeModal = visible_ && !modeless_;
    // The references AddChild took are given back, so a child its owner has
    // released goes with the dialog instead of staying registered for good.
    std::vector<IVisibleObject*> children;
    children.swap(children_);
    for (IVisibleObject* child : children) {
        if (visible_)
            child->SetVisible(false);
        child->SetParent(nullptr);
        factory_.ReleaseObject(child);
    }
    if (closeModal)
        factory_.LeaveModal();
}

bool DialogVO_impl::SetBackgroundImage(const std::string& name)
{
    int32_t handle = -1;
    if (!factory_.AcquireImage(name, handle))
        return false;
    factory_.ReleaseImage(background_);
    background_ = handle;
    return true;
}

void DialogVO_impl::SetFaceHidden(bool hidden)
{
    if (hidden == faceHidden_)
        return;
    faceHidden_ = hidden;
    SetDirty();
}

void DialogVO_impl::AddChild(IVisibleObject* child)
{
    if (!child)
        return;
    child->AddRef();
    child->SetParent(GetInterface());
    children_.push_back(child);
}

void DialogVO_impl::ForgetChild(IVisibleObject* child)
{
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void DialogVO_impl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    const auto children = children_;
    if (visible) {
        if (!modeless_)
            factory_.EnterModal();
        SetLayer(static_cast<uint16_t>(factory_.GetHighestLayer() + 100));
        VisibleObject_impl::SetVisible(true);
        for (IVisibleObject* child : children)
            if (child->GetShowWithDialog())
                child->SetVisible(true);
    } else {
        for (IVisibleObject* child : children)
            child->SetVisible(false);
        VisibleObject_impl::SetVisible(false);
        if (!modeless_)
            factory_.LeaveModal();
    }
    const auto observers = observers_;
    for (DialogMessageObserver* o : observers)
        o->OnDialogShown(id_, visible);
}

void DialogVO_impl::Draw()
{
    if (!visible_ || faceHidden_)
        return;
    const Rect r = GetScreenRect();
    if (background_ == -1) {
        factory_.DrawRect(r, kBorderColour);
        factory_.FillRect(Rect{r.x + 1, r.y + 1, static_cast<int16_t>(r.w - 1), static_cast<int16_t>(r.h - 1)},
                          colour_);
    } else {
        factory_.DrawImage(background_, backgroundSource_, r);
    }
}

void DialogVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

} // namespace ControlLibrary
