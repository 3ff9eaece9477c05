// The in-game menu the player opens at the table: back to the game, the
// rules, the options, leave the table, exit the game.
//
// For now a bare panel whose close button goes back to the game; the menu's
// own buttons come with the menu itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

namespace Gamespace {

class MenuDlgImpl final : public BaseDialogImpl, public MenuDlg {
public:
    explicit MenuDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    bool LeaveRequested() const override { return false; }
    bool ExitRequested() const override { return false; }
};

} // namespace Gamespace
