// Receives the events of push buttons, each with the button's id. Every
// operation is empty here. Called on the main thread, from the widget
// manager's input and tick walks.
#pragma once

namespace Zolt {

class ButtonListener {
public:
    // A button was pressed; passes on to the one-argument form.
    virtual void OnButtonDown(int id, int clickCount)
    {
        (void)clickCount;
        OnButtonDown(id);
    }
    virtual void OnButtonDown(int id) { (void)id; }
    // Released over the button: the button's action.
    virtual void OnButtonClicked(int id) { (void)id; }
    // Every update while the button is held with the mouse over it.
    virtual void OnButtonHeldTick(int id) { (void)id; }
    virtual void OnButtonHoverStart(int id) { (void)id; }
    virtual void OnButtonHoverEnd(int id) { (void)id; }
    virtual void OnButtonHoverMove(int id, int x, int y) { (void)id, (void)x, (void)y; }

protected:
    // Listeners are never deleted through this interface.
    ~ButtonListener() = default;
};

} // namespace Zolt
