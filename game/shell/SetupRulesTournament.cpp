#include "game/shell/SetupRulesTournament.h"

#include "common/TextHelpers.h"
#include "controls/IButtonVO.h"
#include "controls/IStringVO.h"
#include "game/shell/ProfileList.h"
#include "game/shell/StatisticDlg.h"
#include "game/shell/TournamentEntry.h"

namespace Gamespace {

namespace {

using ControlLibrary::RGB;

const SetupRulesScreen::ButtonLook kContinueLook{
    "images/btn_sel_rules_scr.png", 78, 30, {{{108, 1}, {108, 33}, {108, 63}, {108, 35}}}};
const SetupRulesScreen::ButtonLook kStatisticsLook{
    "images/btn_statistic.png", 137, 50, {{{0, 0}, {0, 56}, {0, 113}, {0, 169}}}};

constexpr int16_t kTournamentWidth = 122;
constexpr int16_t kTournamentHeight = 38;
// The chosen tournament is the disabled button: its caption stays lit.
constexpr std::array<RGB, 5> kTournamentCaptionColours{RGB{203, 203, 192}, RGB{255, 255, 128}, RGB{203, 203, 192},
                                                       RGB{255, 255, 128}, RGB{0, 0, 0}};
// A tournament button's frames; the disabled one is the chosen tournament's
// or, on the others, the greyed face a dialog over the screen leaves them.
std::array<ControlLibrary::Rect, 4> TournamentFrames(bool chosen)
{
    return {ControlLibrary::Rect{0, 0, kTournamentWidth, kTournamentHeight},
            {0, 46, kTournamentWidth, kTournamentHeight},
            {0, 137, kTournamentWidth, kTournamentHeight},
            {0, chosen ? 90 : 182, kTournamentWidth, kTournamentHeight}};
}

// The column of each kind of tournament; each column's buttons stand 60
// pixels apart from y = 300 down.
constexpr int32_t kColumnX[] = {260, 500, 740};
constexpr int32_t kRowStep = 60;
constexpr int32_t kFirstRow = 5;

const char* const kLabels[SetupRulesTournament::kValueCount] = {"Tables: ",  "Players: ", "Buy In: ", "Level time: ",
                                                                "Min bet: ", "Max bet: ", "Re buy: ", "Add on: "};

std::string MaxBetText(const Tournament& record)
{
    switch (record.kind) {
    case 2:
        return "Unlimit";
    case 1:
        return "Pot limit";
    default:
        return SetupDollars(2 * record.startBet);
    }
}

std::string CountText(uint16_t count, const std::string& when, uint16_t level)
{
    if (count == 0)
        return "No";
    return UShortToString(count) + " (" + when + " " + UShortToString(level) + " level)";
}

} // namespace

SetupRulesTournament::SetupRulesTournament(SetupRulesObserver* observer)
    : SetupRulesScreen(observer, kBackgroundImage)
{
}

SetupRulesTournament::~SetupRulesTournament()
{
    Release();
}

void SetupRulesTournament::CreateControls()
{
    AddStartButton();
    continue_ = AddButton(kContinueLook);
    AddBackButton();
    AddOptionsButton();
    AddCustomizeButton();
    statistics_ = AddButton(kStatisticsLook);
    AddCloseButton();
    for (size_t i = 0; i < kValueCount; ++i)
        labels_[i] = AddText(kLabels[i], 2);
    for (size_t i = 0; i < kValueCount; ++i)
        values_[i] = AddText("", 0);
    statisticDlg_ = std::make_unique<StatisticDlg>(this);
    GetTournamentCatalogue(catalogue_);
    CreateTournamentButtons();
}

void SetupRulesTournament::CreateTournamentButtons()
{
    for (const Tournament& record : catalogue_) {
        ControlLibrary::IButtonVO* button = MakeButton(ButtonFont());
        if (button) {
            button->SetImages({kTournamentImage, kTournamentImage, kTournamentImage, kTournamentImage});
            button->SetSourceRects(TournamentFrames(false));
            button->SetTextColours(kTournamentCaptionColours);
            button->SetSize(uint32_t(kTournamentWidth), uint32_t(kTournamentHeight));
            button->SetCaption(record.name);
        }
        tournamentButtons_.push_back(button);
    }
}

void SetupRulesTournament::LayOut(int32_t cx, int32_t cy)
{
    // Above continue and start, clear of every dialog the screen opens (the
    // statistics reach 350 pixels either side of the middle).
    if (CustomizeButton())
        CustomizeButton()->SetPosition(cx + 415, cy + 250);
    if (continue_)
        continue_->SetPosition(cx + 415, cy + 300);
    if (StartButton())
        StartButton()->SetPosition(cx + 415, cy + 350);
    if (statistics_)
        statistics_->SetPosition(cx, cy + 135);
    // Two columns of four: tables, players, buy-in and level time on the
    // left; the bets, re-buys and add-ons on the right.
    for (size_t i = 0; i < kValueCount; ++i) {
        const bool right = i >= kValueCount / 2;
        const int32_t y = cy + 180 + 40 * int32_t(i % (kValueCount / 2));
        if (labels_[i])
            labels_[i]->SetPosition(cx + (right ? 150 : -120), y);
        if (values_[i])
            values_[i]->SetPosition(cx + (right ? 160 : -110), y);
    }
    std::array<int32_t, 3> placed{};
    for (size_t i = 0; i < catalogue_.size(); ++i) {
        const uint32_t kind = catalogue_[i].kind < 3 ? catalogue_[i].kind : 2;
        if (tournamentButtons_[i])
            tournamentButtons_[i]->SetPosition(kColumnX[kind], (placed[kind] + kFirstRow) * kRowStep);
        ++placed[kind];
    }
}

void SetupRulesTournament::FillFromProfile()
{
    const SavedGame* current = ProfileList::CurrentProfile()->GetCurrentSavedGame();
    const uint32_t wanted = current ? current->tournamentId : 1;
    size_t chosen = catalogue_.size();
    for (size_t i = 0; i < catalogue_.size(); ++i) {
        if (tournamentButtons_[i]) {
            tournamentButtons_[i]->SetVisible(true);
            tournamentButtons_[i]->SetEnabled(true);
        }
        if (chosen == catalogue_.size() && catalogue_[i].id == wanted)
            chosen = i;
    }
    // A tournament the catalogue does not know: the first one is shown.
    if (chosen == catalogue_.size() && !catalogue_.empty())
        chosen = 0;
    if (chosen < catalogue_.size())
        Choose(chosen);
}

void SetupRulesTournament::HideOwnObjects()
{
    for (ControlLibrary::IButtonVO* button : tournamentButtons_)
        if (button)
            button->SetVisible(false);
}

void SetupRulesTournament::ReleaseOwnObjects()
{
    if (statisticDlg_ && statisticDlg_->IsVisible())
        statisticDlg_->Show(false);
    statisticDlg_.reset();
    for (ControlLibrary::IButtonVO*& button : tournamentButtons_)
        ReleaseButton(button);
    tournamentButtons_.clear();
    catalogue_.clear();
    continue_ = statistics_ = nullptr;
    labels_.fill(nullptr);
    values_.fill(nullptr);
}

void SetupRulesTournament::Choose(size_t index)
{
    for (size_t i = 0; i < tournamentButtons_.size(); ++i)
        if (ControlLibrary::IButtonVO* button = tournamentButtons_[i]) {
            button->SetSourceRects(TournamentFrames(i == index));
            button->SetEnabled(i != index);
        }
    const Tournament& record = catalogue_[index];
    WriteValues(record);
    kind_ = record.kind;
    Profile& profile = *ProfileList::CurrentProfile();
    profile.gameType = TournamentGameType(record.kind);
    if (continue_)
        continue_->SetVisible(FindResumableTournament(profile, record.id) != nullptr);
}

void SetupRulesTournament::WriteValues(const Tournament& record)
{
    const std::string texts[kValueCount] = {
        UShortToString(record.tables),
        UShortToString(record.players),
        SetupDollars(record.price) + " (x" + UShortToString(record.chipsPerDollar) + ")",
        IntToString(int(record.levelTime / 60)) + " min.",
        SetupDollars(record.startBet),
        MaxBetText(record),
        CountText(record.maxRebuys, "up to", record.rebuyLastLevel),
        CountText(record.addOnCount, "on", record.addOnLevel)};
    for (size_t i = 0; i < kValueCount; ++i)
        if (values_[i])
            values_[i]->SetText(texts[i]);
}

const Tournament* SetupRulesTournament::ChosenTournament() const
{
    for (size_t i = 0; i < tournamentButtons_.size(); ++i)
        if (tournamentButtons_[i] && !tournamentButtons_[i]->IsEnabled())
            return &catalogue_[i];
    return nullptr;
}

void SetupRulesTournament::StartChosen()
{
    const Tournament* record = ChosenTournament();
    if (!record)
        return;
    PlayClick();
    StartTournament(*ProfileList::CurrentProfile(), *record);
    observer_->OnSetupDone(0);
}

void SetupRulesTournament::ContinueChosen()
{
    const Tournament* record = ChosenTournament();
    if (!record || !ContinueTournament(*ProfileList::CurrentProfile(), *record))
        return;
    PlayClick();
    observer_->OnSetupDone(0);
}

void SetupRulesTournament::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (Is(StartButton(), id)) {
        StartChosen();
    } else if (Is(continue_, id)) {
        ContinueChosen();
    } else if (OnCommonButton(id)) {
        return;
    } else if (Is(statistics_, id)) {
        if (statisticDlg_)
            statisticDlg_->Show(true);
    } else {
        for (size_t i = 0; i < tournamentButtons_.size(); ++i) {
            if (!Is(tournamentButtons_[i], id))
                continue;
            PlaySelect();
            Choose(i);
            return;
        }
    }
}

std::string SetupRulesTournament::ValueText(Value value) const
{
    std::string text;
    if (value < kValueCount && values_[value])
        values_[value]->GetText(text);
    return text;
}

} // namespace Gamespace
