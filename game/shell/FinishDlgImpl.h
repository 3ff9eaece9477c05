// The hand result: the pots of a showdown one at a time, each with its name
// ("Main pot", "Pot 2", ...) and its winners line: "Ann win $120 with Full
// House", "2 players win $50 each", or, when the first winner took the odd
// dollar, "2 players split $101". Showing a pot lights its winners'
// seats, their best hole cards and the board cards of their best hand; one
// of three chip sounds plays when the dialog opens. "Close" (or Return while
// it is the top dialog) moves on to the next pot, and after the last one
// hides the dialog; the table deals on when it hears of the hide.
//
// The table has credited every pot to its winners before it fills the
// dialog, so the dialog never touches money: a result closed before its last
// pot (the table left, the game quit) loses no chip.
//
// Amounts read exactly (MoneyText).
//
// Threads: the main thread (the table's steps run there too).
#pragma once

#include "game/shell/KeyDialog.h"
#include "game/table/FinishDlg.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace ControlLibrary {
class ISound;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class BoardDisplay;

class FinishDlgImpl final : public KeyDialog, public FinishDlg {
public:
    static constexpr char kBackground[] = "images/dialog/finish_big.png";
    static constexpr char kFont[] = "fonts/a_BosaNova20.txt";
    static constexpr size_t kSoundCount = 3;
    // Where it stands: below the board, over the lower half of the table.
    static constexpr int32_t kCentreX = 520;
    static constexpr int32_t kCentreY = 430;
    static constexpr int32_t kWidth = 600;
    static constexpr int32_t kHeight = 130;
    static constexpr int32_t kTop = kCentreY - kHeight / 2;

    struct Winner {
        PlayerI* player;
        std::string handName;
        double amount;
    };
    struct Pot {
        std::vector<Winner> winners;
        std::string name;
    };

    // `board`: the table's, on which a winner's best cards are lit.
    FinishDlgImpl(ControlLibrary::DialogMessageObserver* owner, BoardDisplay& board);
    ~FinishDlgImpl() override;

    void LayoutControls() override;
    void ClearPots() override { pots_.clear(); }
    void AddPot(const std::string& potName) override;
    // Without a pot to add it to, the row is dropped.
    void AddWinner(PlayerI* winner, double amount, const std::string& handName) override;
    // Shown: the first pot; hidden: the pots are gone.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    // Close: the next pot, or hide after the last.
    void OnMouseUp(uint32_t id, int32_t button) override;

    static std::string WinnersLine(const Pot& pot);
    const std::vector<Pot>& Pots() const { return pots_; }
    size_t CurrentPot() const { return current_; }
    std::string Title() const { return TextOf(title_); }
    std::string Text() const { return TextOf(text_); }

private:
    // Shows pot `current_`: its name, its winners line and its winners lit.
    void ShowCurrentPot();

    BoardDisplay& board_;
    std::array<ControlLibrary::ISound*, kSoundCount> sounds_{};
    ControlLibrary::IStringVO* title_ = nullptr;
    ControlLibrary::IStringVO* text_ = nullptr;
    std::vector<Pot> pots_;
    size_t current_ = 0;
};

} // namespace Gamespace
