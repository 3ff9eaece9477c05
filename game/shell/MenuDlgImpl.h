// The menu the player opens at the table: back to the game, the rules, the
// options, leave the table (in a tournament: leave the tournament), and exit
// the game. The buttons' images carry the words. Rules and options open
// their dialogs above the menu and leave it open; the other three close the
// menu and say, through LeaveRequested and ExitRequested, what the table is
// to do when it hears of the close (neither: play on). Every button clicks.
// The menu is modal and takes no keys.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

#include <array>
#include <memory>

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class OptionsDialog;
class RulesDlg;

class MenuDlgImpl final : public BaseDialogImpl, public MenuDlg {
public:
    static constexpr char kBackground[] = "images/dialog/menu_game.png";
    static constexpr char kButtons[] = "images/btn_game_menu.png";
    static constexpr char kTournamentLeave[] = "images/btn_game_menu_leave.png";
    static constexpr char kExitButton[] = "images/btn_exit.png";
    static constexpr char kFont[] = "fonts/ArtNouveau-Bistro26Bold.txt";

    // The buttons, top to bottom; each one's tag is its number + 1.
    enum Button : size_t { kResume, kRules, kOptions, kLeave, kExit, kButtonCount };

    explicit MenuDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    ~MenuDlgImpl() override;

    void LayoutControls() override;
    // Opening: the leave button shows the leave of the game being played.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    bool LeaveRequested() const override { return leaveRequested_; }
    bool ExitRequested() const override { return exitRequested_; }

    uint32_t ButtonId(Button button) const;
    RulesDlg& Rules() const { return *rules_; }
    OptionsDialog& Options() const { return *options_; }

    // An image, and the column of it that the four states show, w x h each.
    struct ButtonLook;

private:
    void ApplyLook(ControlLibrary::IButtonVO& button, const ButtonLook& look);
    // Closes the menu with this choice.
    void Choose(bool leave, bool exit);
    void ShowLeaveButtonFor(bool tournament);

    std::array<ControlLibrary::IButtonVO*, kButtonCount> buttons_{};
    // The menu writes nothing on it.
    ControlLibrary::IStringVO* label_ = nullptr;
    bool leaveRequested_ = false;
    bool exitRequested_ = false;
    std::unique_ptr<RulesDlg> rules_;
    std::unique_ptr<OptionsDialog> options_;
};

} // namespace Gamespace
