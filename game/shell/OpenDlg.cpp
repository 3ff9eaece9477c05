#include "game/shell/OpenDlg.h"

namespace Gamespace {

namespace {

const AmountDlg::Look kOpenLook{
    365, 215, OpenDlg::kBackground, {0, 10}, {70, 60}, {-70, 60}, {25, 250, 25}, "Ok", "Close", "0"};

} // namespace

OpenDlg::OpenDlg(ControlLibrary::DialogMessageObserver* owner) : AmountDlg(owner, kOpenLook)
{
    LayoutControls();
}

void OpenDlg::SetAmounts(double cap, double currentBet, double minBet)
{
    SetLimits(cap, currentBet, minBet);
}

double OpenDlg::AmountFor(uint64_t x) const
{
    return static_cast<double>(x) + CurrentBet();
}

} // namespace Gamespace
