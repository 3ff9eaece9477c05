// The size of a raise in pot-limit and no-limit games: the human types by
// how much to raise, from 1 to the cap less the table's current bet, and
// sees the bet arithmetic in four labels: the table's bet, what the bet is
// raised to, his own bet so far and what he puts in now. "Raise" (or
// Return) confirms; "Cancel" (or Escape) leaves the turn open. The
// confirmed amount is what he puts in now.
//
// Threads: the main thread.
#pragma once

#include "game/shell/AmountDlg.h"

#include <array>

namespace ControlLibrary {
class IStringVO;
}

namespace Gamespace {

class OpenRaiseDlg final : public AmountDlg {
public:
    static constexpr char kBackground[] = "images/dialog/open_raise.png";
    enum Label { kCurrentBetLabel, kRaiseToLabel, kOwnBetLabel, kToPutInLabel, kLabelCount };

    explicit OpenRaiseDlg(ControlLibrary::DialogMessageObserver* owner);
    // `cap`: the highest total the human may reach; `ownBet`: his bet in
    // this round so far.
    void SetAmounts(double cap, double ownBet, double currentBet, double minBet);
    ControlLibrary::IStringVO* LabelText(Label label) const { return labels_[label]; }

protected:
    void LayoutLabels(ControlLibrary::Point centre) override;
    void ShowTyped(uint64_t x) override;
    double AmountFor(uint64_t x) const override;

private:
    void SetLabel(Label label, double value);

    std::array<ControlLibrary::IStringVO*, kLabelCount> labels_{};
    double ownBet_ = 0.0;
};

} // namespace Gamespace
