// The table's other dialogs: the in-game menu, the three one-line
// announcements and the three tournament panels.
//
// Threads: the main thread.
#pragma once

#include "game/table/BaseDialog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Gamespace {

class PlayerI;

// The in-game menu. Once closed, it says whether the player chose to leave
// the table or to quit the game (neither: play resumes).
class MenuDlg : public virtual BaseDialog {
public:
    virtual bool LeaveRequested() const = 0;
    virtual bool ExitRequested() const = 0;
};

// One line of large text and a close button.
class AnnouncementDlg : public virtual BaseDialog {
public:
    virtual void SetCaption(const std::string& text) = 0;
};

// "Flop", "Turn" or "River": the coming board stage.
class StageDlg : public AnnouncementDlg {
};

// "You have finished this game.": the human cannot go on at this table.
class BankruptDlg : public AnnouncementDlg {
};

// The winner of the dealer draw.
class DealerSelectDlg : public AnnouncementDlg {
public:
    // The player's name + " is the dealer.".
    virtual void SetDealer(PlayerI& player) = 0;
};

// The tournament's name, minimum bet, level, level time and prize pool.
class TrnInfoDlg : public virtual BaseDialog {
public:
    virtual void SetCaption(const std::string& name) = 0;
    virtual void SetMinBet(double minBet) = 0;
    virtual void SetLevel(uint32_t level) = 0;
    virtual void SetLevelTime(uint32_t minutes, uint32_t seconds) = 0;
    virtual void SetTotalPot(double pot) = 0;
};

// The players of the tournament and their chips; its own timer is paused and
// resumed with the table.
class TrnPlayersDlg : public virtual BaseDialog {
public:
    // `seats`: the table's players (null entries are empty seats). Lists
    // those dealt into the coming hand.
    virtual void FillPlayerList(const std::vector<PlayerI*>& seats) = 0;
    // Lists every seated player, dealt in or not: a tournament resumed before
    // its hand is dealt again, and the final standings.
    virtual void FillSeatedPlayers(const std::vector<PlayerI*>& seats) = 0;
    virtual void SetPaused(bool paused) = 0;
};

// The final standings of a tournament. Showing them also adds the
// tournament's money to the profile's totals and saves the profiles.
class TrnFinishDlg : public virtual BaseDialog {
public:
    virtual void ShowStandings(const std::vector<PlayerI*>& seats, double prizePool) = 0;
};

} // namespace Gamespace
