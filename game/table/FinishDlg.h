// The hand-result dialog: the pots of a showdown, each with its winner rows.
//
// The table has already credited every row to its player when it fills the
// dialog, so closing the dialog early never loses a pot; laying a row out calls
// PlayerI::TakeWinnings, which only shows the win (badge, labels, the hole
// cards of the best hand), and lights the player's best cards on the table's
// BoardDisplay, which the dialog is given when it is made.
//
// Threads: the main thread.
#pragma once

#include "game/table/BaseDialog.h"

#include <string>

namespace Gamespace {

class PlayerI;

class FinishDlg : public virtual BaseDialog {
public:
    virtual void ClearPots() = 0;
    // Appends a pot record with no winner yet.
    virtual void AddPot(const std::string& potName) = 0;
    // Appends a winner row to the last pot record.
    virtual void AddWinner(PlayerI* winner, double amount, const std::string& handName) = 0;
};

} // namespace Gamespace
