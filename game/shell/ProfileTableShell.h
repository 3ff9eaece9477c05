// The game shell's answers to the table's questions about the player and the
// options, and its keeping of the player's progress: the current profile (ProfileList::CurrentProfile, the default one
// while none is active) and the program's options, read afresh at every
// question, so a choice made on a set-up screen counts at once. The dialogs
// the table asks for are left to the class that builds them (the game
// object), which derives from this one.
//
// Threads: the main thread.
#pragma once

#include "game/table/ITableShell.h"

namespace Gamespace {

class ProfileTableShell : public ITableShell {
public:
    std::string GetPlayerName() override;
    GameType GetGameType() override;
    TableChoice GetTableChoice() override;
    uint32_t GetComputerStyle() override;
    bool AnnouncesStages() override;
    SavedGame* GetCurrentSavedGame() override;
    // Saves the current profile (a failure is told to the player).
    void KeepProgress() override;
    // Saves the current profile; a failure is told by the next save.
    void KeepDraw() override;
    uint16_t GetGameSpeed() override;
    void AddOptionObserver(IOptionObserver* observer) override;
};

} // namespace Gamespace
