// The tournament set-up screen, shown for the three tournament game types:
// the nine tournaments of the catalogue as buttons in three columns (limit,
// pot limit, no limit), the rules of the chosen one (its button shows the
// "selected" frame), and the way in: start it afresh, or continue the
// profile's game of it that is still in progress. It also opens the player's
// statistics.
//
// Choosing a tournament sets the profile's game type to its kind at once;
// starting writes a fresh saved game into the profile and continuing makes
// the saved one current, so the table finds the tournament in the profile.
//
// Threads: the main thread.
#pragma once

#include "game/shell/SetupRulesScreen.h"
#include "game/table/Tournament.h"

#include <vector>

namespace Gamespace {

class StatisticDlg;

class SetupRulesTournament final : public SetupRulesScreen {
public:
    static constexpr char kBackgroundImage[] = "images/game_fon/fon_rules_tournaments.jpg";
    static constexpr char kTournamentImage[] = "images/btn_trn.png";
    enum Value { kTables, kPlayers, kBuyIn, kLevelTime, kMinBet, kMaxBet, kRebuy, kAddOn, kValueCount };

    explicit SetupRulesTournament(SetupRulesObserver* observer);
    ~SetupRulesTournament() override;

    void OnMouseUp(uint32_t id, int32_t button) override;

    // What tests and tools look at.
    ControlLibrary::IButtonVO* ContinueButton() const { return continue_; }
    ControlLibrary::IButtonVO* StatisticsButton() const { return statistics_; }
    StatisticDlg* GetStatisticDlg() const { return statisticDlg_.get(); }
    const std::vector<ControlLibrary::IButtonVO*>& TournamentButtons() const { return tournamentButtons_; }
    // The chosen tournament (the disabled button's), or null.
    const Tournament* ChosenTournament() const;
    // 0 limit, 1 pot limit, 2 no limit.
    uint32_t ChosenKind() const { return kind_; }
    std::string ValueText(Value value) const;

private:
    void CreateControls() override;
    void LayOut(int32_t cx, int32_t cy) override;
    void FillFromProfile() override;
    void HideOwnObjects() override;
    void ReleaseOwnObjects() override;

    void CreateTournamentButtons();
    void Choose(size_t index);
    void WriteValues(const Tournament& record);
    void StartChosen();
    void ContinueChosen();

    ControlLibrary::IButtonVO* continue_ = nullptr;
    ControlLibrary::IButtonVO* statistics_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kValueCount> labels_{};
    std::array<ControlLibrary::IStringVO*, kValueCount> values_{};
    std::vector<Tournament> catalogue_;
    // One per catalogue record, in the catalogue's order.
    std::vector<ControlLibrary::IButtonVO*> tournamentButtons_;
    std::unique_ptr<StatisticDlg> statisticDlg_;
    uint32_t kind_ = 2;
};

} // namespace Gamespace
