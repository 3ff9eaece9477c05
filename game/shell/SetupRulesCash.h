// The three cash-table set-up screens, one design: the limit screen (game
// type 0), the pot-limit screen (1) and the no-limit screen (2). The player
// picks one of the six stakes (the chosen one shows its bordered frame), sets
// the number of players at the table (2 to 10) and starts. Each click goes
// into the current profile at once, into the table choice of the screen's
// own betting structure, so leaving with back keeps it too.
//
// Threads: the main thread.
#pragma once

#include "game/shell/SetupRulesScreen.h"
#include "game/table/GameType.h"

#include <vector>

struct TableChoice;

namespace Gamespace {

class SetupRulesCash : public SetupRulesScreen {
public:
    static constexpr char kStakeImage[] = "images/game_fon/fon_rules_unlim_border_clear.png";
    static constexpr char kChosenStakeImage[] = "images/game_fon/fon_rules_unlim_border.png";
    // The stake under the pointer (and pressed), and the stakes not chosen
    // while a dialog over the screen holds every button disabled: without
    // them each stake would show the chosen one's frame.
    static constexpr char kHoverStakeImage[] = "images/game_fon/fon_rules_unlim_border_hover.png";
    static constexpr char kHeldStakeImage[] = "images/game_fon/fon_rules_unlim_border_off.png";
    static constexpr char kPlusMinusImage[] = "images/dialog/options/bt_opt.png";
    static constexpr uint16_t kMinPlayers = 2;
    static constexpr uint16_t kMaxPlayers = 10;

    // One stake's button as the screen keeps it: the buttons are made on the
    // first showing and used again on every later one.
    struct StakeButton {
        uint16_t row = 0;
        ControlLibrary::IButtonVO* button = nullptr;
        bool shown = false;
        double bet = 0.0;
        double buyIn = 0.0;
    };

    ~SetupRulesCash() override;

    void OnMouseUp(uint32_t id, int32_t button) override;

    GameType GetGameType() const { return gameType_; }
    const std::vector<StakeButton>& StakeButtons() const { return stakes_; }
    ControlLibrary::IButtonVO* PlusButton() const { return plus_; }
    ControlLibrary::IButtonVO* MinusButton() const { return minus_; }
    // The values beside the labels: bet, second bet or limit, start cash;
    // and the players number.
    std::string ValueText(size_t index) const;
    std::string PlayersText() const;

protected:
    // `label1` and `label2` name the two bets; `value2` says what the second
    // one is when it is no amount ("Pot limit", "Unlimit"); empty: twice the
    // bet.
    SetupRulesCash(SetupRulesObserver* observer, GameType gameType, std::string background, std::string label1,
                   std::string label2, std::string value2);

private:
    void CreateControls() override;
    void LayOut(int32_t cx, int32_t cy) override;
    void FillFromProfile() override;
    void HideOwnObjects() override;
    void ReleaseOwnObjects() override;

    TableChoice& Choice() const;
    StakeButton& AcquireStakeButton();
    void BuildStakeButtons();
    void RefreshSelection();
    void UpdatePlayers();
    void ChangePlayers(int delta);

    GameType gameType_;
    std::string label1_;
    std::string label2_;
    std::string value2_;
    ControlLibrary::IButtonVO* plus_ = nullptr;
    ControlLibrary::IButtonVO* minus_ = nullptr;
    std::vector<StakeButton> stakes_;
    // Label 1, label 2, "Start cash: ", values 1 to 3, "Players number: ",
    // the players value.
    std::array<ControlLibrary::IStringVO*, 8> lines_{};
};

class SetupRulesLimit final : public SetupRulesCash {
public:
    explicit SetupRulesLimit(SetupRulesObserver* observer);
};

class SetupRulesPotlimit final : public SetupRulesCash {
public:
    explicit SetupRulesPotlimit(SetupRulesObserver* observer);
};

class SetupRulesUnlimit final : public SetupRulesCash {
public:
    explicit SetupRulesUnlimit(SetupRulesObserver* observer);
};

} // namespace Gamespace
