// The human's action strip at the foot of the table: six buttons, check,
// open, fold, call, raise and all-in, the words painted on their faces. On
// the human's turn the buttons of the legal actions are enabled; a click
// becomes one PerformHumanAction on the human player. In limit games the
// strip works out the open and raise amounts itself (one unit: the minimum
// bet, two from the turn on); in pot-limit and no-limit games open and raise
// ask for the amount in a dialog of their own (OpenDlg, OpenRaiseDlg), up to
// the pot's limit or the human's chips, and the strip reports what it
// confirmed. A dialog cancelled leaves the turn open.
//
// The strip is modeless: it leaves the table working beneath it. The game
// type that steers the amounts and the all-in button is the current
// profile's, read when it is needed. Hiding the strip hides the amount
// dialogs, which then report nothing.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/GameType.h"
#include "game/table/HumanActionDlg.h"

#include <array>
#include <memory>

namespace ControlLibrary {
class IButtonVO;
}

namespace Gamespace {

class HumanActionMessageObserver;
class OpenDlg;
class OpenRaiseDlg;

class HumanActionDlgImpl final : public BaseDialogImpl, public HumanActionDlg {
public:
    static constexpr char kButtonSheet[] = "images/player/buttons.png";
    static constexpr uint32_t kActionCount = 6;

    HumanActionDlgImpl(ControlLibrary::DialogMessageObserver* owner, HumanActionMessageObserver* player);
    ~HumanActionDlgImpl() override;

    void LayoutControls() override;
    void ShowActions(bool show) override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;

    // The button of a HumanAction code (null beyond them).
    ControlLibrary::IButtonVO* Button(uint32_t code) const;
    OpenDlg& GetOpenDlg() const { return *openDlg_; }
    OpenRaiseDlg& GetRaiseDlg() const { return *raiseDlg_; }

    // The all-in button is enabled in every game but a limit cash table.
    static bool AllowsAllIn(GameType type) { return type != kGameLimit; }

private:
    static GameType CurrentGameType();
    // One betting unit of a limit game: the minimum bet, doubled on the turn
    // and the river.
    double LimitUnit() const;
    // The pot as it stands once the human has called the table's bet.
    double PotAfterCall() const;
    void Open();
    void Raise();

    std::array<ControlLibrary::IButtonVO*, kActionCount> buttons_{};
    HumanActionMessageObserver* player_;
    std::unique_ptr<OpenRaiseDlg> raiseDlg_;
    std::unique_ptr<OpenDlg> openDlg_;
};

} // namespace Gamespace
