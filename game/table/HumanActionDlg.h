// The human's action dialog: buttons for the legal actions, amount entry for
// open and raise. It asks the human player for everything it shows through
// HumanActionMessageObserver and answers with PerformHumanAction.
//
// Threads: the main thread.
#pragma once

#include "game/table/BaseDialog.h"

namespace Gamespace {

class HumanActionDlg : public virtual BaseDialog {
public:
    // Shows the dialog with the buttons of GetAvailableActions enabled, or
    // disables every action button.
    virtual void ShowActions(bool show) = 0;
};

} // namespace Gamespace
