#include "game/shell/ProfileSaving.h"

#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"

#include <algorithm>
#include <cerrno>

namespace {

struct Failure {
    const Profile* profile;
    platform::FileError error;
};

// What a failed save of the profile loses: the tournament it is playing,
// else the player's own choices and money.
bool PlaysTournament(const Profile& profile)
{
    if (!IsTournamentGameType(profile.gameType))
        return false;
    const SavedGame* game = profile.GetCurrentSavedGame();
    return game && game->inUse != 0;
}

// The file a failure is remembered by: the profile's own, whatever path
// the failure names (the folder that could not be made, the file a link
// leads to), so that the profile saved again ends it.
std::string FileOf(const Failure& failure)
{
    const std::string own = failure.profile->FilePath();
    return own.empty() ? failure.error.path : own;
}

// Saves one profile; a failure is noted in `failures`, a success in `saved`.
void SaveOne(Profile& profile, std::vector<Failure>& failures, std::vector<std::string>& saved)
{
    platform::FileError error;
    if (SaveProfile(profile, &error))
        saved.push_back(profile.FilePath());
    else
        failures.push_back({&profile, error});
}

KernelLibrary::Problem SaveProblem(const std::vector<Failure>& failures, SaveRetry retry)
{
    KernelLibrary::Problem problem;
    if (failures.size() == 1) {
        const Profile& profile = *failures.front().profile;
        problem.what = PlaysTournament(profile) ? profile.name + "'s tournament was not saved"
                                                : "The player " + profile.name + " was not saved";
    } else if (failures.size() == 2) {
        problem.what = "The players " + failures[0].profile->name + " and " + failures[1].profile->name +
                       " were not saved";
    } else {
        problem.what = std::to_string(failures.size()) + " players were not saved";
    }
    problem.SetFailure(failures.front().error);
    const bool one = failures.size() == 1;
    switch (retry) {
    case SaveRetry::Later:
        // A path too long for the system stays too long: no later save goes
        // through.
        if (failures.front().error.code == ENAMETOOLONG)
            problem.outcome = one ? "It cannot be saved under that name; it is kept until the game ends."
                                  : "They cannot be saved under those names; they are kept until the game ends.";
        else
            problem.outcome = one ? "It is kept and saved again later." : "They are kept and saved again later.";
        break;
    case SaveRetry::CloseAgain:
        problem.outcome = one ? "Close again to quit without it." : "Close again to quit without them.";
        break;
    case SaveRetry::ExitAgain:
        problem.outcome = one ? "Choose Exit again to quit without it." : "Choose Exit again to quit without them.";
        break;
    case SaveRetry::Never:
        problem.outcome = "What was not saved is lost.";
        break;
    }
    // These files failing for this reason are told once, on standard error
    // and to the player, until one of them is saved again or the reason
    // changes; a quit the player asked for is answered each time.
    problem.topic = "save";
    for (const Failure& failure : failures) {
        problem.topic += "\n" + FileOf(failure);
        problem.files.push_back(FileOf(failure));
    }
    problem.asked = retry == SaveRetry::CloseAgain || retry == SaveRetry::ExitAgain;
    return problem;
}

// The profile files saved in this run, counted as the rounds are told.
size_t savesSoFar = 0;

// Tells what a round of saves left: the files saved again, and those that
// failed (in one message).
bool TellSaves(const std::vector<Failure>& failures, const std::vector<std::string>& saved, SaveRetry retry)
{
    savesSoFar += saved.size();
    for (const std::string& path : KernelLibrary::FileProblemsResolved(saved))
        KernelLibrary::SayOnStandardError(Zolt::HeadingOf(KernelLibrary::ProblemSubject::PlayerFiles),
                                              "Profile file '" + path + "': saved again.");
    if (failures.empty())
        return true;
    KernelLibrary::TellProblem(SaveProblem(failures, retry));
    return false;
}

} // namespace

size_t ProfileSavesSoFar() { return savesSoFar; }

size_t SaveAllProfiles(ProfileList& list, SaveRetry retry)
{
    std::vector<Failure> failures;
    std::vector<std::string> saved;
    for (size_t i = 0; i < list.Count(); ++i)
        SaveOne(*list.At(i), failures, saved);
    TellSaves(failures, saved, retry);
    return failures.size();
}

bool SaveCurrentProfile()
{
    Profile* current = ProfileList::CurrentProfile();
    if (ProfileList::IsDefaultProfile(current))
        return true;
    std::vector<Failure> failures;
    std::vector<std::string> saved;
    SaveOne(*current, failures, saved);
    return TellSaves(failures, saved, SaveRetry::Later);
}

bool DeleteCurrentProfile()
{
    Profile* current = ProfileList::CurrentProfile();
    if (ProfileList::IsDefaultProfile(current))
        return false;
    platform::FileError error;
    if (!current->RemoveFile(&error)) {
        KernelLibrary::Problem problem;
        problem.what = "The player " + current->name + " was not deleted";
        problem.SetFailure(error);
        problem.outcome = current->name + " stays a player, the file as it is.";
        problem.topic = "delete\n" + current->FilePath();
        // The player asked again: told again.
        problem.asked = true;
        KernelLibrary::TellProblem(problem);
        return false;
    }
    // Removing it from the list hands it back, and it goes.
    return ProfileList::Instance()->Remove(current) != nullptr;
}

void TellProblems(const std::vector<KernelLibrary::Problem>& problems)
{
    for (const KernelLibrary::Problem& problem : problems)
        KernelLibrary::TellProblem(problem);
}
