// The process-wide list of player profiles and the current profile.
//
// The list owns the profiles added to it and keeps them in the order they
// were added. The current profile is the first active one; while the list
// holds none, a default profile (never listed, never saved) stands in so the
// screens always have one to read and change.
//
// Threads: the main thread only; no lock.
#pragma once

#include "game/shell/Profile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class ProfileList {
public:
    // The list, created empty on the first call.
    static ProfileList* Instance();
    // Deletes the list and every profile it holds; the next Instance()
    // starts empty.
    static void Free();
    // The first active profile of the list, else the default profile.
    static Profile* CurrentProfile();
    // Clears the active flag of every listed profile.
    static void ClearActive();
    // The stand-in profile used while no listed profile is active.
    static bool IsDefaultProfile(const Profile* profile);

    // Takes ownership and appends when the name is usable as a profile
    // name (IsValidProfileName), no listed profile has the same name,
    // letter case ignored (both would use one file), and none is saved to
    // the file this one would be. On false the caller keeps the profile.
    bool Add(Profile* profile);
    // Takes the first profile named like `profile` out of the list and
    // hands it back (null when none). When `profile` was active, the first
    // remaining profile becomes active.
    [[nodiscard]] std::unique_ptr<Profile> Remove(Profile* profile);

    size_t Count() const { return profiles_.size(); }
    Profile* At(size_t index) const { return index < profiles_.size() ? profiles_[index].get() : nullptr; }
    Profile* FindByName(const std::string& name) const;
    // The listed profile whose name equals `name` with letter case ignored:
    // the one whose file a profile of that name would share.
    Profile* FindSharingFile(const std::string& name) const;

private:
    ProfileList() = default;

    std::vector<std::unique_ptr<Profile>> profiles_;
};

// The longest name the new-player dialog takes (the file's field holds 15).
constexpr size_t kMaxProfileNameLength = 10;
// A letter (a to z, A to Z) or a digit: the only characters a player's name
// is typed with.
bool IsProfileNameCharacter(char c);
// A name the new-player dialog could have made: 1 to 10 letters and digits.
// Only such a name keys a profile and names its file, so name + "_.usr"
// always stays inside the profile folder, whatever a file on disk holds.
bool IsValidProfileName(const std::string& name);

// The current profile plays a tournament (game type 3, 4 or 5): where cash
// tables and tournaments differ, the screens ask this.
bool IsTournament();
