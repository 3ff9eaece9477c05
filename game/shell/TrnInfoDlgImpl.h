// The tournament information panel beside the table: the tournament's name,
// minimum bet, level, level time and prize pool.
//
// For now a bare modeless panel: the values are not shown. They come with
// the information dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

namespace Gamespace {

class TrnInfoDlgImpl final : public BaseDialogImpl, public TrnInfoDlg {
public:
    explicit TrnInfoDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override {}
    void SetCaption(const std::string& /*name*/) override {}
    void SetMinBet(double /*minBet*/) override {}
    void SetLevel(uint32_t /*level*/) override {}
    void SetLevelTime(uint32_t /*minutes*/, uint32_t /*seconds*/) override {}
    void SetTotalPot(double /*pot*/) override {}
};

} // namespace Gamespace
