#include "game/shell/OpenRaiseDlg.h"

#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"

namespace Gamespace {

namespace {

const AmountDlg::Look kRaiseLook{
    300, 280, OpenRaiseDlg::kBackground, {-5, -40}, {85, 100}, {85, 70}, {255, 255, 128}, "Raise", "Cancel", "1"};

constexpr uint16_t kLabelLayer = 160;
const ControlLibrary::RGB kLabelColour{25, 250, 25};
// From the dialog's middle, in Label order.
constexpr ControlLibrary::Point kLabelPlaces[OpenRaiseDlg::kLabelCount] = {
    {-100, -38}, {100, 20}, {-100, 85}, {-10, 85}};

} // namespace

OpenRaiseDlg::OpenRaiseDlg(ControlLibrary::DialogMessageObserver* owner) : AmountDlg(owner, kRaiseLook)
{
    for (ControlLibrary::IStringVO*& label : labels_)
        label = AddString(DialogFont(), kLabelColour, kLabelLayer);
    LayoutControls();
}

void OpenRaiseDlg::SetLabel(Label label, double value)
{
    if (labels_[label])
        labels_[label]->SetText(AmountText(value));
}

void OpenRaiseDlg::SetAmounts(double cap, double ownBet, double currentBet, double minBet)
{
    SetLimits(cap, currentBet, minBet);
    ownBet_ = ownBet;
    SetLabel(kCurrentBetLabel, currentBet);
    SetLabel(kOwnBetLabel, ownBet);
}

void OpenRaiseDlg::LayoutLabels(ControlLibrary::Point centre)
{
    for (size_t i = 0; i < labels_.size(); ++i)
        if (labels_[i])
            labels_[i]->SetPosition(centre.x + kLabelPlaces[i].x, centre.y + kLabelPlaces[i].y);
}

void OpenRaiseDlg::ShowTyped(uint64_t x)
{
    SetLabel(kRaiseToLabel, static_cast<double>(x) + CurrentBet());
    SetLabel(kToPutInLabel, AmountFor(x));
}

double OpenRaiseDlg::AmountFor(uint64_t x) const
{
    return static_cast<double>(x) + CurrentBet() - ownBet_;
}

} // namespace Gamespace
