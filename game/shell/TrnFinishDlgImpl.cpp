#include "game/shell/TrnFinishDlgImpl.h"

#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"

#include <iterator>

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kAmountColour{255, 255, 10};
constexpr ControlLibrary::RGB kNameColour{248, 208, 87};
constexpr ControlLibrary::RGB kHumanColour{25, 250, 25};
constexpr double kShares[] = {0.5, 0.3, 0.2};
constexpr int32_t kRowOffsets[TrnFinishDlgImpl::kRows] = {-100, -50, 0, 50, 100};
// From the names' column to a little short of the amounts': a longer name is
// cut short.
constexpr int32_t kNameRoom = 200;

// The money totals of a profile come in (buy-in, cash-out) pairs: limit,
// no-limit, pot-limit.
size_t MoneyPairOf(GameType type)
{
    if (type == kGameLimitTournament)
        return 0;
    if (type == kGamePotLimitTournament)
        return 2;
    return 1;
}

} // namespace

TrnFinishDlgImpl::TrnFinishDlgImpl(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(500, 500);
    DialogObject().SetPosition(520, 410);
    AddCloseButton();
    font_ = LoadFont(kFont);
    heading_ = AddString(font_, kAmountColour, kChildLayer);
    placeLine_ = AddString(font_, kAmountColour, kChildLayer);
    for (size_t row = 0; row < kRows; ++row) {
        names_[row] = AddString(font_, kAmountColour, kChildLayer);
        amounts_[row] = AddString(font_, kAmountColour, kChildLayer);
        for (ControlLibrary::IStringVO* text : {names_[row], amounts_[row]})
            if (text)
                text->SetAlignment(0, 1);
    }
    SetTextOf(heading_, "Congratulations!");
}

void TrnFinishDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    const int32_t halfHeight = static_cast<int32_t>(DialogObject().GetSize().h / 2);
    if (heading_)
        heading_->SetPosition(centre.x, centre.y - halfHeight + 50);
    if (placeLine_)
        placeLine_->SetPosition(centre.x, centre.y - halfHeight + 80);
    PlaceCloseButton(0, halfHeight - 50);
    for (size_t row = 0; row < kRows; ++row) {
        if (names_[row])
            names_[row]->SetPosition(centre.x - 95, centre.y + kRowOffsets[row]);
        if (amounts_[row])
            amounts_[row]->SetPosition(centre.x + 115, centre.y + kRowOffsets[row]);
    }
}

std::vector<int64_t> TrnFinishDlgImpl::Prizes(double prizePool, size_t places)
{
    std::vector<int64_t> prizes;
    for (size_t place = 0; place < places && place < std::size(kShares); ++place)
        prizes.push_back(WholeDollars(prizePool * kShares[place]));
    return prizes;
}

void TrnFinishDlgImpl::ShowStandings(const std::vector<PlayerI*>& seats, double prizePool)
{
    standings_ = TrnStandings::Rank(seats, false);
    const std::vector<int64_t> prizes = Prizes(prizePool, standings_.size());
    for (size_t place = 0; place < prizes.size(); ++place)
        standings_[place].prize = prizes[place];

    const std::optional<size_t> human = TrnStandings::FindHuman(standings_);
    SetTextOf(placeLine_, human ? "You are at the " + std::to_string(*human + 1) + " place!" : std::string());
    std::vector<TrnStanding> rows = standings_;
    TrnStandings::BringHumanIntoView(rows);
    ShowRows(rows);
    Book(human ? standings_[*human].prize : 0);
}

void TrnFinishDlgImpl::ShowRows(const std::vector<TrnStanding>& rows)
{
    for (size_t row = 0; row < kRows; ++row) {
        SetTextOf(names_[row], "");
        SetTextOf(amounts_[row], "");
        const bool human = row < rows.size() && rows[row].human && !rows[row].gap;
        if (names_[row])
            names_[row]->SetColour(human ? kHumanColour : kNameColour);
        if (amounts_[row])
            amounts_[row]->SetColour(human ? kHumanColour : kAmountColour);
        if (row >= rows.size())
            continue;
        const TrnStanding& record = rows[row];
        if (record.gap) {
            SetTextOf(names_[row], "...");
            continue;
        }
        SetTextOf(names_[row], FitText(font_, std::to_string(record.place) + ". ", record.name, kNameRoom));
        SetTextOf(amounts_[row], "$" + std::to_string(record.prize));
    }
}

void TrnFinishDlgImpl::Book(int64_t humanPrize)
{
    Profile& profile = *ProfileList::CurrentProfile();
    const SavedGame* saved = profile.GetCurrentSavedGame();
    if (saved != nullptr) {
        const size_t pair = MoneyPairOf(profile.gameType);
        profile.money[2 * pair] += saved->buyIn;
        profile.money[2 * pair + 1] += static_cast<double>(humanPrize);
    }
    SaveAllProfiles(ProfileList::Instance());
}

std::string TrnFinishDlgImpl::NameText(size_t row) const
{
    return row < kRows ? TextOf(names_[row]) : std::string();
}

std::string TrnFinishDlgImpl::AmountText(size_t row) const
{
    return row < kRows ? TextOf(amounts_[row]) : std::string();
}

ControlLibrary::RGB TrnFinishDlgImpl::NameColour(size_t row) const
{
    return row < kRows && names_[row] ? names_[row]->GetColour() : ControlLibrary::RGB{};
}

ControlLibrary::RGB TrnFinishDlgImpl::AmountColour(size_t row) const
{
    return row < kRows && amounts_[row] ? amounts_[row]->GetColour() : ControlLibrary::RGB{};
}

} // namespace Gamespace
