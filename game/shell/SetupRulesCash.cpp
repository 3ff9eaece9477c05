#include "game/shell/SetupRulesCash.h"

#include "common/TextHelpers.h"
#include "controls/IButtonVO.h"
#include "controls/IFactory.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ProfileList.h"
#include "game/table/StakeRow.h"

#include <algorithm>

namespace Gamespace {

namespace {

using ControlLibrary::RGB;

enum TextIndex : size_t {
    kLabel1,
    kLabel2,
    kStartCashLabel,
    kValue1,
    kValue2,
    kValue3,
    kPlayersLabel,
    kPlayersValue,
};

const SetupRulesScreen::ButtonLook kMinusLook{
    SetupRulesCash::kPlusMinusImage, 28, 28, {{{0, 0}, {0, 29}, {0, 58}, {0, 86}}}};
const SetupRulesScreen::ButtonLook kPlusLook{
    SetupRulesCash::kPlusMinusImage, 28, 28, {{{28, 0}, {28, 29}, {28, 58}, {28, 86}}}};

constexpr uint16_t kStakeWidth = 186;
constexpr uint16_t kStakeHeight = 133;
// The chosen stake is the disabled button: its caption stays light on the
// bordered frame, and on the dimmed ones of the stakes a dialog disables.
constexpr std::array<RGB, 5> kStakeCaptionColours{RGB{0, 0, 0}, RGB{255, 255, 128}, RGB{203, 203, 192},
                                                  RGB{203, 203, 192}, RGB{0, 0, 0}};

// A stake's frames; the disabled one is the chosen stake's border or, on the
// others, the dimmed table a dialog over the screen leaves them.
std::array<std::string, 4> StakeImages(bool chosen)
{
    return {SetupRulesCash::kStakeImage, SetupRulesCash::kHoverStakeImage, SetupRulesCash::kHoverStakeImage,
            chosen ? SetupRulesCash::kChosenStakeImage : SetupRulesCash::kHeldStakeImage};
}

} // namespace

SetupRulesCash::SetupRulesCash(SetupRulesObserver* observer, GameType gameType, std::string background,
                               std::string label1, std::string label2, std::string value2)
    : SetupRulesScreen(observer, std::move(background)),
      gameType_(gameType),
      label1_(std::move(label1)),
      label2_(std::move(label2)),
      value2_(std::move(value2))
{
}

SetupRulesCash::~SetupRulesCash()
{
    Release();
}

void SetupRulesCash::CreateControls()
{
    AddStartButton();
    AddOptionsButton();
    AddBackButton();
    AddCustomizeButton();
    AddCloseButton();
    plus_ = AddButton(kPlusLook);
    minus_ = AddButton(kMinusLook);

    const std::string texts[] = {label1_, label2_, "Start cash: ", "", "", "", "Players number: ", ""};
    for (size_t i = 0; i < lines_.size(); ++i)
        lines_[i] = AddText(texts[i], 1);
    for (size_t label : {kLabel1, kLabel2, kStartCashLabel})
        if (lines_[label])
            lines_[label]->SetAlignment(2, 1);
    for (size_t left : {kValue1, kValue2, kValue3, kPlayersLabel})
        if (lines_[left])
            lines_[left]->SetAlignment(0, 1);
}

void SetupRulesCash::LayOut(int32_t cx, int32_t cy)
{
    if (StartButton())
        StartButton()->SetPosition(cx + 400, cy + 320);
    // Above the start button, clear of every dialog the screen opens (each
    // stands in the middle and would hide the caption of a button under it).
    if (CustomizeButton())
        CustomizeButton()->SetPosition(cx + 400, cy + 260);
    if (minus_)
        minus_->SetPosition(cx + 100, cy + 303);
    if (plus_)
        plus_->SetPosition(cx + 220, cy + 303);
    const int32_t rowY[] = {cy + 220, cy + 260, cy + 300};
    for (size_t row = 0; row < 3; ++row) {
        if (lines_[kLabel1 + row])
            lines_[kLabel1 + row]->SetPosition(cx - 150, rowY[row]);
        if (lines_[kValue1 + row])
            lines_[kValue1 + row]->SetPosition(cx - 110, rowY[row]);
    }
    if (lines_[kPlayersLabel])
        lines_[kPlayersLabel]->SetPosition(cx + 86, cy + 260);
    if (lines_[kPlayersValue])
        lines_[kPlayersValue]->SetPosition(cx + 160, cy + 300);
}

TableChoice& SetupRulesCash::Choice() const
{
    Profile& profile = *ProfileList::CurrentProfile();
    switch (gameType_) {
    case kGameLimit:
        return profile.limit;
    case kGamePotLimit:
        return profile.potLimit;
    default:
        return profile.noLimit;
    }
}

void SetupRulesCash::FillFromProfile()
{
    BuildStakeButtons();
    for (const StakeButton& stake : stakes_)
        if (stake.shown && stake.button)
            stake.button->SetVisible(true);
    RefreshSelection();
    UpdatePlayers();
}

void SetupRulesCash::HideOwnObjects()
{
    for (StakeButton& stake : stakes_) {
        if (stake.button)
            stake.button->SetVisible(false);
        stake.shown = false;
    }
}

void SetupRulesCash::ReleaseOwnObjects()
{
    for (StakeButton& stake : stakes_)
        ReleaseButton(stake.button);
    stakes_.clear();
    plus_ = minus_ = nullptr;
    lines_.fill(nullptr);
}

SetupRulesCash::StakeButton& SetupRulesCash::AcquireStakeButton()
{
    for (StakeButton& stake : stakes_)
        if (!stake.shown)
            return stake;
    StakeButton stake;
    stake.button = MakeButton(TextFont());
    if (ControlLibrary::IButtonVO* button = stake.button) {
        button->SetSize(kStakeWidth, kStakeHeight);
        button->SetImages(StakeImages(false));
        button->SetSourceRects({ControlLibrary::Rect{0, 0, kStakeWidth, kStakeHeight},
                                {0, 0, kStakeWidth, kStakeHeight},
                                {0, 0, kStakeWidth, kStakeHeight},
                                {0, 0, kStakeWidth, kStakeHeight}});
        button->SetTextColours(kStakeCaptionColours);
    }
    stakes_.push_back(stake);
    return stakes_.back();
}

void SetupRulesCash::BuildStakeButtons()
{
    for (StakeButton& stake : stakes_) {
        if (stake.button)
            stake.button->SetVisible(false);
        stake.shown = false;
    }
    std::vector<StakeRow> rows;
    SetStakeRows(rows);
    for (size_t i = 0; i < rows.size(); ++i) {
        StakeButton& stake = AcquireStakeButton();
        stake.shown = true;
        stake.row = uint16_t(i);
        stake.bet = rows[i].bet;
        stake.buyIn = rows[i].buyIn;
        if (!stake.button)
            continue;
        stake.button->SetCaption("$" + AmountText(rows[i].bet * 0.5) + "/$" + AmountText(rows[i].bet));
        stake.button->SetPosition(int32_t(rows[i].x), int32_t(rows[i].y));
    }
}

void SetupRulesCash::RefreshSelection()
{
    for (const StakeButton& stake : stakes_)
        if (stake.button) {
            stake.button->SetEnabled(true);
            stake.button->SetImages(StakeImages(false));
        }
    TableChoice& choice = Choice();
    auto chosen = std::find_if(stakes_.begin(), stakes_.end(),
                               [&](const StakeButton& stake) { return stake.shown && stake.row == choice.tableIndex; });
    if (chosen == stakes_.end()) {
        // A table index no stake has (only a damaged profile holds one): the
        // first stake is chosen, and kept, so the table opens the stake the
        // screen shows.
        chosen = std::find_if(stakes_.begin(), stakes_.end(), [](const StakeButton& stake) { return stake.shown; });
        if (chosen == stakes_.end())
            return;
        choice.tableIndex = chosen->row;
    }
    if (chosen->button) {
        chosen->button->SetImages(StakeImages(true));
        chosen->button->SetEnabled(false);
    }
    if (lines_[kValue1])
        lines_[kValue1]->SetText(SetupDollars(chosen->bet));
    if (lines_[kValue2])
        lines_[kValue2]->SetText(value2_.empty() ? SetupDollars(2 * chosen->bet) : value2_);
    if (lines_[kValue3])
        lines_[kValue3]->SetText(SetupDollars(chosen->buyIn));
}

void SetupRulesCash::UpdatePlayers()
{
    TableChoice& choice = Choice();
    choice.players = std::clamp(choice.players, kMinPlayers, kMaxPlayers);
    if (plus_)
        plus_->SetEnabled(choice.players <= kMaxPlayers - 1);
    if (minus_)
        minus_->SetEnabled(choice.players >= kMinPlayers + 1);
    if (lines_[kPlayersValue])
        lines_[kPlayersValue]->SetText(UShortToString(choice.players));
}

void SetupRulesCash::ChangePlayers(int delta)
{
    TableChoice& choice = Choice();
    choice.players = uint16_t(std::clamp(int(choice.players) + delta, int(kMinPlayers), int(kMaxPlayers)));
    UpdatePlayers();
}

void SetupRulesCash::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (Is(StartButton(), id)) {
        PlayClick();
        observer_->OnSetupDone(0);
    } else if (Is(plus_, id)) {
        PlayClick();
        ChangePlayers(+1);
    } else if (Is(minus_, id)) {
        PlayClick();
        ChangePlayers(-1);
    } else if (!OnCommonButton(id)) {
        for (const StakeButton& stake : stakes_) {
            if (!stake.shown || !Is(stake.button, id))
                continue;
            Choice().tableIndex = stake.row;
            PlaySelect();
            RefreshSelection();
            return;
        }
    }
}

std::string SetupRulesCash::ValueText(size_t index) const
{
    std::string text;
    if (index < 3 && lines_[kValue1 + index])
        lines_[kValue1 + index]->GetText(text);
    return text;
}

std::string SetupRulesCash::PlayersText() const
{
    std::string text;
    if (lines_[kPlayersValue])
        lines_[kPlayersValue]->GetText(text);
    return text;
}

SetupRulesLimit::SetupRulesLimit(SetupRulesObserver* observer)
    : SetupRulesCash(observer, kGameLimit, "images/game_fon/fon_rules_limit.jpg", "Small bet: ", "Big bet: ", "")
{
}

SetupRulesPotlimit::SetupRulesPotlimit(SetupRulesObserver* observer)
    : SetupRulesCash(observer, kGamePotLimit, "images/game_fon/fon_rules_potlimit.jpg", "Min bet: ", "Max bet: ",
                     "Pot limit")
{
}

SetupRulesUnlimit::SetupRulesUnlimit(SetupRulesObserver* observer)
    : SetupRulesCash(observer, kGameNoLimit, "images/game_fon/fon_rules_unlimit.jpg", "Min bet: ", "Max bet: ",
                     "Unlimit")
{
}

} // namespace Gamespace
