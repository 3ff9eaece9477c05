// The end of a tournament for the human: every seated player ranked by
// chips, the first three paid half, three tenths and a fifth of the prize
// pool, the first five places shown (the human's own place in the fifth row
// when further down, after a gap), "You are at the " n " place!", and the
// tournament booked in the current profile's money totals, which are saved
// at once. "Close" (or Return while it is the top dialog) hides it; the
// table leaves when it hears of the close.
//
// Prizes are whole dollars as 64-bit integers, so a pool of any size pays
// and shows what it holds; the profile books the prize shown for the
// human's place.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"
#include "game/shell/TrnStanding.h"
#include "game/table/TableDialogs.h"

#include <array>
#include <string>
#include <vector>

namespace ControlLibrary {
class IFont;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class TrnFinishDlgImpl final : public KeyDialog, public TrnFinishDlg {
public:
    static constexpr char kBackground[] = "images/dialog/finish_trn.png";
    static constexpr char kFont[] = "fonts/a_BosaNova20.txt";
    static constexpr size_t kRows = TrnStandings::kRows;

    explicit TrnFinishDlgImpl(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    // `seats`: the table's seats (null for an empty one).
    void ShowStandings(const std::vector<PlayerI*>& seats, double prizePool) override;

    // The standings the last ShowStandings worked out, every player's.
    const std::vector<TrnStanding>& Standings() const { return standings_; }
    std::string Heading() const { return TextOf(heading_); }
    std::string PlaceLine() const { return TextOf(placeLine_); }
    std::string NameText(size_t row) const;
    std::string AmountText(size_t row) const;
    ControlLibrary::RGB NameColour(size_t row) const;
    ControlLibrary::RGB AmountColour(size_t row) const;

    // Shares of the prize pool by place: half, three tenths, a fifth.
    static std::vector<int64_t> Prizes(double prizePool, size_t places);

private:
    void ShowRows(const std::vector<TrnStanding>& rows);
    // Adds the tournament's buy-ins and the human's prize to the current
    // profile's totals for its kind of tournament, and saves the profiles.
    static void Book(int64_t humanPrize);

    ControlLibrary::IFont* font_ = nullptr;
    ControlLibrary::IStringVO* heading_ = nullptr;
    ControlLibrary::IStringVO* placeLine_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kRows> names_{};
    std::array<ControlLibrary::IStringVO*, kRows> amounts_{};
    std::vector<TrnStanding> standings_;
};

} // namespace Gamespace
