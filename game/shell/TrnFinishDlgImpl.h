// The final standings of a tournament, with the prizes.
//
// For now a bare panel with a close button: the standings are neither shown
// nor booked. They come with the tournament finish dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

namespace Gamespace {

class TrnFinishDlgImpl final : public BaseDialogImpl, public TrnFinishDlg {
public:
    explicit TrnFinishDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void ShowStandings(const std::vector<PlayerI*>& /*seats*/, double /*prizePool*/) override {}
};

} // namespace Gamespace
