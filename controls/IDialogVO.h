// The panel every game dialog is built on: children that appear and disappear
// with it, raised above everything when shown, and (unless modeless) making
// the rest of the screen inert while open.
#pragma once

#include "controls/IVisibleObject.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class DialogMessageObserver;

class IDialogVO : public IVisibleObject {
public:
    virtual void AddDialogObserver(DialogMessageObserver* observer) = 0;
    // Non-zero: showing the dialog leaves the rest of the screen working.
    virtual void SetModeless(uint32_t modeless) = 0;
    virtual bool SetBackgroundImage(const std::string& name) = 0;
    virtual void SetBackgroundRect(const Rect& source) = 0;
    virtual void SetFaceHidden(bool hidden) = 0;
    // Takes a reference to the child and becomes its parent; null is ignored.
    virtual void AddChild(IVisibleObject* child) = 0;
};

} // namespace ControlLibrary
