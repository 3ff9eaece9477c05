// Saving the player profiles while the game goes on, and telling the player
// about every problem with the profile files.
//
// Every save the game makes goes through here: the profile chooser's, the
// tournament standings', the table's after each hand and each purchase, the
// one before quitting and the last one at the end. A save that fails leaves
// the profiles in the list as they are, so the next save writes them once it
// can. Problems are told through the program's one teller
// (kernel/PlayerProblems.h), on standard error and to the player: once,
// until the files are saved again (which is said on standard error) or they
// fail for another reason; a failure met as the player quits is told at each
// quit. A player whose file cannot be deleted stays a player.
//
// Threads: the main thread.
#pragma once

#include "kernel/PlayerProblems.h"

#include <cstddef>
#include <string>
#include <vector>

class ProfileList;

// What a save that fails leaves the player to do, as the last line told.
enum class SaveRetry {
    Later,       // the game saves again at its next chance
    CloseAgain,  // the player closed the game: closing again quits without it
    ExitAgain,   // the player chose the table menu's Exit: choosing it again quits without it
    Never,       // the last save at the end
};

// Saves every listed profile in list order; each one that fails is told
// (all of them in one message). The number not saved.
size_t SaveAllProfiles(ProfileList& list, SaveRetry retry = SaveRetry::Later);
inline size_t SaveAllProfiles(ProfileList* list) { return list ? SaveAllProfiles(*list) : 0; }
// How many times a profile's file was saved in this run: what the player was
// told of a failed save holds while it stands still.
size_t ProfileSavesSoFar();
// Saves the current profile (the stand-in used while there is none is never
// saved); false, and told, when it could not be.
bool SaveCurrentProfile();
// Deletes the current profile's file, then takes the profile out of the list
// and deletes it; when the file stays, so does the player, and the player is
// told why. False then, and when there is no listed current profile.
bool DeleteCurrentProfile();

// Tells the player each problem of a load or a take-over, in turn.
void TellProblems(const std::vector<KernelLibrary::Problem>& problems);
