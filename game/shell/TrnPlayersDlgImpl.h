// The tournament's leading players, in a panel in the top-right corner of
// the table: the first five of the coming hand by chips (the human's own
// place in the fifth row when further down), each row switching between the
// player's name and chips every 5 seconds. The table makes it modeless,
// fills it at each tournament hand and pauses its timer with the table.
//
// Threads: the fills, SetPaused and the show run on the main thread;
// the row timer ticks on the time thread. The rows' two texts and the phase
// are guarded by rowsLock_ (taken before the factory's lock, never while
// starting or stopping the timer, whose lock the time thread holds while it
// ticks).
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"
#include "timing/TimeObjectMessageObserver.h"

#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace ControlLibrary {
class IFont;
class IStringVO;
} // namespace ControlLibrary
namespace TimeLibrary {
class ITimeObject;
class ITimeSystem;
} // namespace TimeLibrary

namespace Gamespace {

struct TrnStanding;

class TrnPlayersDlgImpl final : public BaseDialogImpl,
                                public TrnPlayersDlg,
                                public TimeLibrary::TimeObjectMessageObserver {
public:
    static constexpr char kBackground[] = "images/dialog/trn_info.png";
    static constexpr char kTextFont[] = "fonts/a_BosaNova14.txt";
    static constexpr char kTitleFont[] = "fonts/MonotypeCorsiva14Italics.txt";
    static constexpr size_t kRows = 5;
    static constexpr int kSwitchMs = 5000;

    // `time` (the kernel's when not given; null: the rows never switch)
    // runs the row timer.
    explicit TrnPlayersDlgImpl(ControlLibrary::DialogMessageObserver* owner,
                               TimeLibrary::ITimeSystem* time = DefaultTimeSystem());
    ~TrnPlayersDlgImpl() override;

    void LayoutControls() override;
    // Showing the panel empties its rows.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    void FillPlayerList(const std::vector<PlayerI*>& seats) override;
    void FillSeatedPlayers(const std::vector<PlayerI*>& seats) override;
    void SetPaused(bool paused) override;
    // Time thread: every row shows its other text.
    void OnTimerTick(uint32_t id) override;

    std::string RowText(size_t row) const;
    ControlLibrary::RGB RowColour(size_t row) const;

private:
    static TimeLibrary::ITimeSystem* DefaultTimeSystem();
    struct RowTexts {
        std::string name;
        std::string chips;
    };
    void ClearRows();
    // Shows the first rows of `records` (ranked) and restarts the timer.
    void Fill(std::vector<TrnStanding> records);
    // Shows the text of the current phase in every row and flips the phase;
    // the caller holds rowsLock_.
    void SwitchRows();

    ControlLibrary::IFont* textFont_ = nullptr;
    ControlLibrary::IStringVO* title_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kRows> rows_{};
    TimeLibrary::ITimeSystem* time_;
    TimeLibrary::ITimeObject* timer_ = nullptr;
    mutable std::mutex rowsLock_;
    bool showChips_ = false;
    std::array<RowTexts, kRows> texts_{};
};

} // namespace Gamespace
