// Told when a dialog object is shown (true) or closed (false). Dialogs are
// shown and hidden from the main thread and from timer callbacks, so this may
// arrive on either thread.
#pragma once

#include <cstdint>

namespace ControlLibrary {

class DialogMessageObserver {
public:
    virtual ~DialogMessageObserver() = default;
    virtual void OnDialogShown(uint32_t /*dialogId*/, bool /*shown*/) {}
};

} // namespace ControlLibrary
