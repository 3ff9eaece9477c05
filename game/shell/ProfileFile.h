// Profile files: name + "_.usr" in the profile folder (ProfileFolder: the
// player's data folder's "save/" once the game has named it), big-endian,
// written and read through BinaryDataFile.
//
// Layout (offsets in bytes): active u8 @0, announceStages u8 @1, computerStyle
// u16 @2, name 15-byte NUL-padded field @4, limit / no-limit / pot-limit
// {tableIndex u16, players u16} @19, six money totals as i32 (truncated
// toward zero) @31, format version u16 = 2 @55, count N u16 @57, then N
// saved tournaments of 417 bytes, each ending with nine 38-byte seat records.
// Only tournaments in use are written; gameType and newGame are not stored.
//
// A save writes the whole file in one step, the first one too, so a killed
// or failed save leaves the previous file exactly as it was (or none). A
// profile read from a file is saved to that file, whatever name it holds. A
// load never trusts the file: a header that is cut short or not of format
// 2, or a name that could not have been saved, refuses the whole file; a
// value outside its range is replaced by its default, and a tournament
// record cut short by the end of the file or naming no tournament of the
// catalogue is dropped. Each repair and refusal is described in `error`.
//
// While profile writes are held (a demo plays back: the files are the
// player's, not the recording's), nothing here writes, moves or removes a
// file: a save stores nothing and reports success, a load repairs in memory
// only.
//
// Threads: the main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct Profile;
class ProfileList;

// The folder the profile files are in, with its closing separator; "save/"
// (in the current folder) until the game sets its own.
const std::string& ProfileFolder();
void SetProfileFolder(const std::string& folder);

// Holds (true) or allows again every write, move and removal of a profile
// file; allowed until held.
void HoldProfileWrites(bool hold);
bool AreProfileWritesHeld();

// Writes the profile's file; false (with the reason in `error`) when the
// name cannot name a file or the file cannot be written.
bool SaveProfile(Profile& profile, std::string* error = nullptr);
// Reads `path` (which must contain "_.usr") into a freshly constructed
// profile. False when the file is missing or refused; true when it loaded,
// possibly with repairs that `error` then lists.
bool LoadProfile(Profile& profile, const std::string& path, std::string* error = nullptr);

// Loads every "*.usr" file of the profile folder into the list; a profile
// whose name is already listed is skipped. When none of the kept profiles is
// active, the first listed one becomes active. First removes what interrupted saves
// left; a repaired file is first copied to "<file>.damaged" and a refused
// one moved there (".damaged1", ... when taken), and the player is told in
// one box. The files `alsoRead` names (outside the folder) are read after
// the folder's, and each stays the file its profile is saved to.
void LoadAllProfiles(ProfileList& list, const std::vector<std::string>& alsoRead = {});
inline void LoadAllProfiles(ProfileList* list)
{
    if (list)
        LoadAllProfiles(*list);
}

// Deletes the profile's file, then the profile itself (null does nothing).
// False (with the reason in `error`) when the file stays.
bool DeleteProfile(std::unique_ptr<Profile> profile, std::string* error = nullptr);
