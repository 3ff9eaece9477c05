// The tournament's players and their chips, in a panel beside the table.
//
// For now a bare modeless panel: the list is not shown. It comes with the
// players dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

namespace Gamespace {

class TrnPlayersDlgImpl final : public BaseDialogImpl, public TrnPlayersDlg {
public:
    explicit TrnPlayersDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override {}
    void FillPlayerList(const std::vector<PlayerI*>& /*seats*/) override {}
    void SetPaused(bool /*paused*/) override {}
};

} // namespace Gamespace
