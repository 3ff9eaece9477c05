// The human's action dialog at the table: a button for each legal action,
// and the amount entry for open and raise.
//
// For now an empty modeless dialog that shows nothing and offers no action.
// The buttons come with the action dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/HumanActionDlg.h"

namespace Gamespace {

class HumanActionMessageObserver;

class HumanActionDlgImpl final : public BaseDialogImpl, public HumanActionDlg {
public:
    HumanActionDlgImpl(ControlLibrary::DialogMessageObserver* owner, HumanActionMessageObserver* player);
    void LayoutControls() override {}
    void ShowActions(bool /*show*/) override {}
};

} // namespace Gamespace
