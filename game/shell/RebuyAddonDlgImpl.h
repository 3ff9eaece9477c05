// The question whether the human buys more chips in a tournament: "Re-Buy
// 1000 chips for $20?" or "Add-On ...", with the price and the chips of the
// tournament being played, on the table's banner (BannerDialog) above a
// "No" and a "Yes" button (Return answers yes, Escape no). The human player
// sets the mode, shows the question and reads the answer when it hears that
// the question closed; buying is the player's and the table's business.
//
// The question is written afresh on every show and close, from the current
// profile's tournament in progress; without one (or with a tournament the
// catalogue does not know) it stays empty, and nothing is priced.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BannerDialog.h"
#include "game/shell/YesNoDialog.h"
#include "game/table/RebuyAddonDlg.h"

#include <string>

namespace Gamespace {

class RebuyAddonDlgImpl final : public YesNoDialog<BannerDialog>, public RebuyAddonDlg {
public:
    explicit RebuyAddonDlgImpl(ControlLibrary::DialogMessageObserver* owner);

    void OnDialogShown(uint32_t dialogId, bool shown) override;

    void SetMode(uint8_t mode) override { mode_ = mode; }
    uint8_t GetMode() const override { return mode_; }
    uint8_t GetAnswer() const override { return answer_; }

    // The question as the current tournament and mode write it.
    static std::string Question(uint8_t mode);

private:
    void OnAnswer(bool yes) override { answer_ = yes ? 1 : 0; }

    uint8_t mode_ = kAddOn;
    // No answer is a no until the human gives one.
    uint8_t answer_ = 0;
};

} // namespace Gamespace
