// Saving the player profiles while the game goes on, and telling the player
// when a save fails.
//
// Every save the game makes goes through here: the profile chooser's, the
// tournament standings', the table's after each hand and each purchase, the
// one before quitting and the last one at the end. A save that fails leaves
// the profiles in the list as they are, so the next save writes them once it
// can, and it is told twice: on standard error, with the file and the
// system's reason (once, until that file is saved again, which is said too),
// and to the observer the game object installs, which shows it on screen in
// the player's words. A player whose file cannot be deleted stays a player.
//
// Threads: the main thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ProfileList;

// What the player is told when a profile could not be saved or deleted.
class ProfileProblemObserver {
public:
    virtual ~ProfileProblemObserver() = default;
    // `lines`: what happened, why, and what becomes of it, each line short
    // enough for a small dialog.
    virtual void OnProfileProblem(const std::vector<std::string>& lines) = 0;
};

// Null: standard error only.
void SetProfileProblemObserver(ProfileProblemObserver* observer);

// What a save that fails leaves the player to do, as the last line told.
enum class SaveRetry {
    Later,       // the game saves again at its next chance
    CloseAgain,  // the player was quitting: closing again quits without it
};

// Saves every listed profile in list order; each one that fails is told
// (all of them in one message). The number not saved.
size_t SaveAllProfiles(ProfileList& list, SaveRetry retry = SaveRetry::Later);
inline size_t SaveAllProfiles(ProfileList* list) { return list ? SaveAllProfiles(*list) : 0; }
// Saves the current profile (the stand-in used while there is none is never
// saved); false, and told, when it could not be.
bool SaveCurrentProfile();
// Deletes the current profile's file, then takes the profile out of the list
// and deletes it; when the file stays, so does the player, and the player is
// told why. False then, and when there is no listed current profile.
bool DeleteCurrentProfile();

// The reason an error text of the file layer ends with (the system's), in
// the player's words: "the disk is full", "the folder cannot be written"...
std::string ReasonInWords(const std::string& error);
