// The question whether the human buys more chips in a tournament: a re-buy
// (mode 1) or an add-on (mode 0). Closing it tells the owner through
// OnDialogShown; the owner then reads the answer.
//
// Threads: the main thread.
#pragma once

#include "game/table/BaseDialog.h"

#include <cstdint>

namespace Gamespace {

class RebuyAddonDlg : public virtual BaseDialog {
public:
    static constexpr uint8_t kAddOn = 0;
    static constexpr uint8_t kRebuy = 1;

    virtual void SetMode(uint8_t mode) = 0;
    virtual uint8_t GetMode() const = 0;
    // 1 when the human said yes; valid once the dialog has closed.
    virtual uint8_t GetAnswer() const = 0;
};

} // namespace Gamespace
