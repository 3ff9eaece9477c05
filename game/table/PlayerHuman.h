// The human's seat. Instead of deciding, it opens the action dialog when the
// table gives it the turn, answers the dialog's questions and carries out the
// chosen action. In tournaments it offers re-buys and add-ons through the
// re-buy/add-on dialog and a re-buy button at the seat.
//
// Threads: the main thread (see PlayerI).
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/PlayerI.h"

#include <memory>

namespace ControlLibrary {
class IButtonVO;
}
struct SavedGame;
struct Tournament;

namespace Gamespace {

class ClickSound;
class HumanActionDlg;
class RebuyAddonDlg;

class PlayerHuman : public PlayerI,
                    public ControlLibrary::DialogMessageObserver,
                    public HumanActionMessageObserver,
                    public ControlLibrary::MouseMessageObserver {
public:
    PlayerHuman(PlayerMgrI* table, const TableServices& services);
    ~PlayerHuman() override;

    bool IsHuman() const override { return true; }
    void Show(bool on) override;
    void TakeTurn() override;
    bool OfferRebuy() override;
    bool OfferAddOn() override;
    void ResetSeatDisplay() override;

    // HumanActionMessageObserver
    void GetAvailableActions(std::vector<uint32_t>& out) override;
    double GetChips() override { return PlayerI::GetChips(); }
    double GetBet() override { return PlayerI::GetBet(); }
    double GetCurrentBet() override;
    double GetRoundPot() override;
    double GetTotalPot() override;
    double GetMinBet() override;
    uint16_t GetBoardStage() override;
    void PerformHumanAction(uint32_t code, double amount) override;

    // The re-buy/add-on dialog closed.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    // The re-buy button.
    void OnMouseUp(uint32_t id, int32_t button) override;

    HumanActionDlg& GetActionDialog() { return *actionDialog_; }
    RebuyAddonDlg& GetRebuyDialog() { return *rebuyDialog_; }
    bool IsRebuyOffered() const { return rebuyOffered_ != 0; }

private:
    bool InTournament(Tournament& record, SavedGame*& saved) const;
    bool RebuyAllowed() const;
    void UpdateRebuyButton();
    // Adds the chips of one purchase (`what`: "Re-Buy", "Add-On") and books
    // its price.
    void Buy(const char* what);
    static bool AddOnBought(const Tournament& record, const SavedGame& saved);

    std::unique_ptr<HumanActionDlg> actionDialog_;
    std::unique_ptr<RebuyAddonDlg> rebuyDialog_;
    ControlLibrary::IButtonVO* rebuyButton_ = nullptr;
    std::unique_ptr<ClickSound> click_;
    uint8_t rebuyOffered_ = 0;
    // The add-on was offered at this sitting.
    bool addOnAsked_ = false;
};

} // namespace Gamespace
