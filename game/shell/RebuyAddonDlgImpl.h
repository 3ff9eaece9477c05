// The question whether the human buys more chips in a tournament: a re-buy
// or an add-on.
//
// For now a bare panel whose close button answers no. The question and its
// answers come with the re-buy and add-on dialog itself.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/RebuyAddonDlg.h"

namespace Gamespace {

class RebuyAddonDlgImpl final : public BaseDialogImpl, public RebuyAddonDlg {
public:
    explicit RebuyAddonDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void SetMode(uint8_t mode) override { mode_ = mode; }
    uint8_t GetMode() const override { return mode_; }
    uint8_t GetAnswer() const override { return 0; }

private:
    uint8_t mode_ = kRebuy;
};

} // namespace Gamespace
