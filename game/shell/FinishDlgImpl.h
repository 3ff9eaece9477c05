// The hand result: each pot of a showdown in turn, with its winners, their
// winnings and hands.
//
// For now a bare panel with a close button: the pots are not shown (the
// table has paid them before it fills the dialog). The rows come with the
// hand-result dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/FinishDlg.h"

namespace Gamespace {

class FinishDlgImpl final : public BaseDialogImpl, public FinishDlg {
public:
    explicit FinishDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void ClearPots() override {}
    void AddPot(const std::string& /*potName*/) override {}
    void AddWinner(PlayerI* /*winner*/, double /*amount*/, const std::string& /*handName*/) override {}
};

} // namespace Gamespace
