#include "game/shell/TrnInfoDlgImpl.h"

#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kTextColour{248, 208, 87};
constexpr ControlLibrary::RGB kTitleColour{255, 255, 10};
constexpr const char* kLabels[TrnInfoDlgImpl::kRowCount] = {"Min bet: ", "Level: ", "Level time: ", "Total pot: "};

} // namespace

TrnInfoDlgImpl::TrnInfoDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(139, 170);
    // The panel's corner is the screen's corner.
    DialogObject().SetAlignment(0, 0);
    DialogObject().SetPosition(0, 0);
    ControlLibrary::IFont* textFont = LoadFont(kTextFont);
    ControlLibrary::IFont* titleFont = LoadFont(kTitleFont);
    title_ = AddString(textFont, kTextColour, kChildLayer);
    for (size_t row = 0; row < kRowCount; ++row) {
        labels_[row] = AddString(textFont, kTextColour, kChildLayer);
        values_[row] = AddString(textFont, kTextColour, kChildLayer);
    }
    if (title_) {
        title_->SetFont(titleFont);
        title_->SetColour(kTitleColour);
    }
    for (size_t row = 0; row < kRowCount; ++row) {
        if (!labels_[row])
            continue;
        labels_[row]->SetText(kLabels[row]);
        // Right-aligned: every label ends on the same column.
        labels_[row]->SetAlignment(2, 1);
    }
}

void TrnInfoDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (title_)
        title_->SetPosition(centre.x, centre.y - 60);
    for (size_t row = 0; row < kRowCount; ++row) {
        const int32_t y = centre.y - 30 + 30 * static_cast<int32_t>(row);
        if (labels_[row])
            labels_[row]->SetPosition(centre.x + 20, y);
        if (values_[row])
            values_[row]->SetPosition(centre.x + 40, y);
    }
}

void TrnInfoDlgImpl::SetCaption(const std::string& name)
{
    SetTextOf(title_, name);
}

void TrnInfoDlgImpl::SetMinBet(double minBet)
{
    SetTextOf(values_[kMinBetRow], MoneyText(minBet));
}

void TrnInfoDlgImpl::SetLevel(uint32_t level)
{
    SetTextOf(values_[kLevelRow], std::to_string(level));
}

void TrnInfoDlgImpl::SetLevelTime(uint32_t minutes, uint32_t seconds)
{
    SetTextOf(values_[kLevelTimeRow], std::to_string(minutes) + ":" + std::to_string(seconds));
}

void TrnInfoDlgImpl::SetTotalPot(double pot)
{
    SetTextOf(values_[kTotalPotRow], MoneyText(pot));
}

std::string TrnInfoDlgImpl::Caption() const
{
    return TextOf(title_);
}

std::string TrnInfoDlgImpl::Value(Row row) const
{
    return row < kRowCount ? TextOf(values_[row]) : std::string();
}

} // namespace Gamespace
