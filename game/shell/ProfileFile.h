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
// When there are any, a block follows them: "HAND", version u16 = 1, count
// u16, then for each tournament its id u16, whether its seats' parts of the
// pot are known u8, and as IEEE 754 doubles (high word first) its pot,
// round bet and raise count and each seat's chips, bet and part of the pot
// (the human first): what a hand left in play needs to be paid to the chip.
// A file without the block (an earlier build's) loads as before.
//
// A save writes the whole file in one step, the first one too, so a killed
// or failed save leaves the previous file exactly as it was (or none). A
// profile read from a file is saved to that file, whatever name it holds. A
// load never trusts the file: a header that is cut short or not of format
// 2, a name that could not have been saved, or more tournaments than the
// game ever makes (one per catalogue record) refuses the whole file; a
// value outside its range is replaced by its default, and a tournament
// record cut short by the end of the file, naming no tournament of the
// catalogue, copying one the file holds already or at a level the
// tournament cannot reach is dropped. In a tournament, impossible cards
// become empty ones, amounts below zero nothing and a seat name no player
// is given none (the table names the seat). Each repair and refusal is
// described in `error`.
// Reading needs only read access: a file the player may not write is
// played, and its saves fail (and are told) as any save that fails.
//
// While profile writes are held (a demo plays back: the files are the
// player's, not the recording's), nothing here writes, moves or removes a
// file: a save stores nothing and reports success, a load repairs in memory
// only.
//
// Threads: the main thread.
#pragma once

#include "common/BinaryDataFile.h"
#include "kernel/PlayerProblems.h"

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

// A name of a profile file: one that ends in "_.usr", letter case ignored
// (file names match without regard to case).
bool IsProfileFileName(const std::string& path);

// Writes the profile's file, unless it holds those bytes already (and is
// there); false (with the step, path and error number in `error`) when the
// name cannot name a file, its folder cannot be made or the file cannot be
// written.
bool SaveProfile(Profile& profile, platform::FileError* error = nullptr);
// Reads `path` (a profile file name, IsProfileFileName) into a freshly
// constructed profile. False when the file is missing or refused; true
// when it loaded, possibly with repairs that `error` then lists.
bool LoadProfile(Profile& profile, const std::string& path, std::string* error = nullptr);

// Loads every "*.usr" file of the profile folder into the list; when none
// of the kept profiles is active, the first listed one becomes active. First
// removes what interrupted saves left (beside the files the folder's links
// lead to as well). A repaired file is first copied to "<file>.damaged" and
// a refused one moved there (".damaged1", ... when taken). A file that
// cannot be read, whose name is no profile's, or whose player is listed
// already (the same name, or one that differs only in letter case and would
// share its file) is left as it is; a file named after the player it holds
// is read as that player's before any copy holding the same player under
// another name. The files `alsoRead` names (outside the
// folder) are read after the folder's, and each stays the file its profile
// is saved to. What the player is to be told: one problem for each file
// skipped, moved aside or repaired (nothing is shown from here).
std::vector<KernelLibrary::Problem> LoadAllProfiles(ProfileList& list,
                                                    const std::vector<std::string>& alsoRead = {});
inline void LoadAllProfiles(ProfileList* list)
{
    if (list)
        LoadAllProfiles(*list);
}

// Deletes the profile's file, then the profile itself (null does nothing).
// False (with the reason in `error`) when the file stays.
bool DeleteProfile(std::unique_ptr<Profile> profile, platform::FileError* error = nullptr);
