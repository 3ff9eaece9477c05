// The tournament information panel in the top-left corner of the table: the
// tournament's name, and the minimum bet, the level, the time left in the
// level and the prize pool, which the table keeps current. No buttons, no
// input: the table makes it modeless, so it never blocks the table.
//
// Each label is right-aligned on one column and its value centred a little
// to the right of it; a value is empty until the table first sets it.
//
// Threads: the main thread (the table's steps run there too).
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

#include <array>
#include <string>

namespace ControlLibrary {
class IStringVO;
}

namespace Gamespace {

class TrnInfoDlgImpl final : public BaseDialogImpl, public TrnInfoDlg {
public:
    static constexpr char kBackground[] = "images/dialog/trn_info.png";
    static constexpr char kTextFont[] = "fonts/a_BosaNova14.txt";
    static constexpr char kTitleFont[] = "fonts/MonotypeCorsiva14Italics.txt";

    // The four rows, top to bottom.
    enum Row : size_t { kMinBetRow, kLevelRow, kLevelTimeRow, kTotalPotRow, kRowCount };

    explicit TrnInfoDlgImpl(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    void SetCaption(const std::string& name) override;
    void SetMinBet(double minBet) override;
    void SetLevel(uint32_t level) override;
    // No leading zeros: 3 minutes 5 seconds reads "3:5".
    void SetLevelTime(uint32_t minutes, uint32_t seconds) override;
    void SetTotalPot(double pot) override;

    std::string Caption() const;
    std::string Value(Row row) const;

private:
    ControlLibrary::IStringVO* title_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kRowCount> labels_{};
    std::array<ControlLibrary::IStringVO*, kRowCount> values_{};
};

} // namespace Gamespace
