// The player's money record: for limit, pot-limit and no-limit play, what
// the current profile has bought in, what it has cashed out and the profit
// (cash-out less buy-in), read from the profile's money totals each time the
// dialog is shown. The tournament set-up screen opens it; its close button
// or Return closes it.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

#include <array>
#include <string>

namespace ControlLibrary {
class IStringVO;
}

namespace Gamespace {

class StatisticDlg final : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/statistic_dlg.png";
    static constexpr char kFont[] = "fonts/a_BosaNova20.txt";
    enum Row { kLimitRow, kPotLimitRow, kNoLimitRow };
    enum Column { kBuyInColumn, kCashOutColumn, kProfitColumn };

    explicit StatisticDlg(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    // Shown: the figures are read from the current profile.
    void OnDialogShown(uint32_t dialogId, bool shown) override;

    // What one cell of the grid reads.
    std::string Figure(Row row, Column column) const;

private:
    ControlLibrary::IStringVO* AddLabel(const std::string& text, ControlLibrary::IFont* font);
    void FillFigures();

    std::array<ControlLibrary::IStringVO*, 3> rowTitles_{};
    std::array<ControlLibrary::IStringVO*, 3> columnTitles_{};
    std::array<std::array<ControlLibrary::IStringVO*, 3>, 3> figures_{};
};

} // namespace Gamespace
