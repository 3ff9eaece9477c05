// Receives the button events of framework dialogs: the dialog's id and the
// button's (1000 or 1001). Main thread.
#pragma once

namespace Zolt {

class DialogListener {
public:
    virtual void OnDialogButtonDown(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }
    virtual void OnDialogButtonClicked(int dialogId, int buttonId) { (void)dialogId, (void)buttonId; }

protected:
    ~DialogListener() = default;
};

} // namespace Zolt
