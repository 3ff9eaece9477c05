// The operations every visible object offers, whatever its kind. The game
// holds objects only through the interface of their kind (IImageVO* and so
// on), each of which begins with these; objects are created and released
// through the factory, never deleted by the game.
//
// Threads: objects are changed from the main thread and from timer callbacks
// on the time thread; the factory guards its own tables, the objects' flags
// are plain stores.
#pragma once

#include "controls/Point.h"
#include "controls/RGB.h"
#include "controls/Rect.h"
#include "controls/Size.h"

#include <cstdint>

namespace ControlLibrary {

class ICursor;
class IToolTip;
class KeybdMessageObserver;
class MouseMessageObserver;

class IVisibleObject {
public:
    virtual ~IVisibleObject() = default;

    virtual uint32_t GetId() const = 0;
    virtual void AddRef() = 0;
    // Lowers the count while it is at least 1 and returns it; never deletes.
    virtual int16_t Release() = 0;

    // The anchor point, relative to the parent.
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void SetPosition(Point position) = 0;
    virtual Point GetPosition() const = 0;
    // The computed top-left corner on screen.
    virtual Point GetScreenPosition() const = 0;
    virtual void SetSize(uint32_t w, uint32_t h) = 0;
    virtual void SetSize(const Size& size) = 0;
    virtual Size GetSize() const = 0;
    virtual void SetColour(const RGB& colour) = 0;
    virtual RGB GetColour() const = 0;
    // Where the anchor lies on the object: 0 left/top, 1 centre, 2 right/bottom.
    virtual void SetAlignment(uint32_t horizontal, uint32_t vertical) = 0;
    virtual uint32_t GetHAlign() const = 0;
    virtual uint32_t GetVAlign() const = 0;
    // {position as set, size}: no alignment, no parent.
    virtual Rect GetRect() const = 0;
    // {screen position, size}.
    virtual Rect GetScreenRect() const = 0;

    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    // Whether a dialog that is shown shows this child too.
    virtual void SetShowWithDialog(bool show) = 0;
    virtual bool GetShowWithDialog() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    // Relative to the parent; a higher layer draws above.
    virtual void SetLayer(uint16_t layer) = 0;
    virtual uint32_t GetAbsoluteLayer() const = 0;

    virtual void SetCursor(ICursor* cursor) = 0;
    virtual void SetToolTip(IToolTip* toolTip) = 0;
    virtual IToolTip* GetToolTip() const = 0;
    virtual void SetFocusable(bool focusable) = 0;
    // Focusable, visible and enabled.
    virtual bool CanTakeFocus() const = 0;
    virtual void SetFocus(bool focus) = 0;
    virtual bool HasFocus() const = 0;
    // A free value for the owner; the toolkit never reads it.
    virtual void SetTag(uint16_t tag) = 0;
    // Appended as given: no duplicate check, no removal.
    virtual void AddMouseObserver(MouseMessageObserver* observer) = 0;
    virtual void AddKeybdObserver(KeybdMessageObserver* observer) = 0;
    // A modal dialog leaves an exempt object enabled.
    virtual void SetModalExempt(bool exempt) = 0;
    virtual bool GetModalExempt() const = 0;
    // Null means the screen; position and layer become relative to it.
    virtual void SetParent(IVisibleObject* parent) = 0;
    virtual void SetUserData(uint32_t data) = 0;
    virtual uint32_t GetUserData() const = 0;
    virtual void SetAlwaysRepaint(bool always) = 0;
};

} // namespace ControlLibrary
