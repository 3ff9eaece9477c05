#include "game/shell/ProfileSaving.h"

#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

ProfileProblemObserver* gObserver = nullptr;
// The files whose save failed, with what standard error was told: told once
// until the file is saved again.
std::map<std::string, std::string> gFailing;

struct Failure {
    const Profile* profile;
    std::string error;
};

void Say(const std::string& text)
{
    std::fputs((text + "\n").c_str(), stderr);
}

void Tell(const std::vector<std::string>& lines)
{
    if (gObserver)
        gObserver->OnProfileProblem(lines);
}

bool HoldsTournament(const Profile& profile)
{
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            return true;
    return false;
}

// Saves one profile; a failure is noted in `failures` and on standard error.
bool SaveOne(Profile& profile, std::vector<Failure>& failures)
{
    std::string error;
    const bool saved = SaveProfile(profile, &error);
    const std::string path = profile.FilePath();
    const auto failing = gFailing.find(path);
    if (saved) {
        if (failing != gFailing.end()) {
            Say("Profile file '" + path + "': saved again.");
            gFailing.erase(failing);
        }
        return true;
    }
    if (failing == gFailing.end() || failing->second != error) {
        Say(error + " (the player is kept in memory and saved at the next chance)");
        gFailing[path] = error;
    }
    failures.push_back({&profile, error});
    return false;
}

std::vector<std::string> SaveProblemLines(const std::vector<Failure>& failures, SaveRetry retry)
{
    std::string what;
    if (failures.size() == 1) {
        const Profile& profile = *failures.front().profile;
        what = HoldsTournament(profile) ? profile.name + "'s tournament was not saved:"
                                        : "The player " + profile.name + " was not saved:";
    } else if (failures.size() == 2) {
        what = "The players " + failures[0].profile->name + " and " + failures[1].profile->name + " were not saved:";
    } else {
        what = std::to_string(failures.size()) + " players were not saved:";
    }
    const char* next = retry == SaveRetry::CloseAgain
                           ? (failures.size() == 1 ? "Close again to quit without it." : "Close again to quit without them.")
                           : (failures.size() == 1 ? "It is kept and saved again later." : "They are kept and saved again later.");
    return {what, ReasonInWords(failures.front().error) + ".", next};
}

} // namespace

void SetProfileProblemObserver(ProfileProblemObserver* observer)
{
    gObserver = observer;
}

size_t SaveAllProfiles(ProfileList& list, SaveRetry retry)
{
    std::vector<Failure> failures;
    for (size_t i = 0; i < list.Count(); ++i)
        SaveOne(*list.At(i), failures);
    if (!failures.empty())
        Tell(SaveProblemLines(failures, retry));
    return failures.size();
}

bool SaveCurrentProfile()
{
    Profile* current = ProfileList::CurrentProfile();
    if (ProfileList::IsDefaultProfile(current))
        return true;
    std::vector<Failure> failures;
    if (SaveOne(*current, failures))
        return true;
    Tell(SaveProblemLines(failures, SaveRetry::Later));
    return false;
}

bool DeleteCurrentProfile()
{
    Profile* current = ProfileList::CurrentProfile();
    if (ProfileList::IsDefaultProfile(current))
        return false;
    std::string error;
    if (!current->RemoveFile(&error)) {
        Say(error + " (the player stays)");
        Tell({"The player " + current->name + " was not deleted:", ReasonInWords(error) + ".", "Nothing was changed."});
        return false;
    }
    gFailing.erase(current->FilePath());
    // Removing it from the list hands it back, and it goes.
    return ProfileList::Instance()->Remove(current) != nullptr;
}

std::string ReasonInWords(const std::string& error)
{
    const size_t colon = error.rfind(": ");
    std::string reason = colon == std::string::npos ? error : error.substr(colon + 2);
    struct Known {
        int code;
        const char* words;
    };
    static const Known kKnown[] = {
        {ENOSPC, "the disk is full"},
        {EDQUOT, "the disk quota is used up"},
        {EACCES, "the folder cannot be written"},
        {EPERM, "the folder cannot be written"},
        {EROFS, "the disk is read-only"},
        {ENOTDIR, "the save folder is not a folder"},
        {EIO, "the disk could not be written"},
    };
    for (const Known& known : kKnown)
        if (reason == std::strerror(known.code))
            return known.words;
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}
