// The amount of an opening bet in pot-limit and no-limit games: the human
// types the bet, from 1 to the cap less the table's current bet, and
// confirms with "Ok" (or Return); "Close" (or Escape) leaves the turn open.
// The confirmed amount is the typed number plus the current bet.
//
// Threads: the main thread.
#pragma once

#include "game/shell/AmountDlg.h"

namespace Gamespace {

class OpenDlg final : public AmountDlg {
public:
    static constexpr char kBackground[] = "images/dialog/open.png";

    explicit OpenDlg(ControlLibrary::DialogMessageObserver* owner);
    // `cap`: the highest total the human may reach.
    void SetAmounts(double cap, double currentBet, double minBet);

protected:
    double AmountFor(uint64_t x) const override;
};

} // namespace Gamespace
