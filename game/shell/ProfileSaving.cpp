#include "game/shell/ProfileSaving.h"

#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"

#include <algorithm>

namespace {

constexpr char kSubject[] = "Player files";

struct Failure {
    const Profile* profile;
    platform::FileError error;
};

// The failed saves last told: the problem's key, and the files it named.
struct ToldSaves {
    std::string key;
    std::vector<std::string> paths;
};
ToldSaves gTold;

bool HoldsTournament(const Profile& profile)
{
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            return true;
    return false;
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
    problem.subject = kSubject;
    if (failures.size() == 1) {
        const Profile& profile = *failures.front().profile;
        problem.what = HoldsTournament(profile) ? profile.name + "'s tournament was not saved"
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
        problem.outcome = one ? "It is kept and saved again later." : "They are kept and saved again later.";
        break;
    case SaveRetry::CloseAgain:
        problem.outcome = one ? "Close again to quit without it." : "Close again to quit without them.";
        break;
    case SaveRetry::Never:
        problem.outcome = "What was not saved is lost.";
        break;
    }
    // Standard error hears of these files failing for this reason once;
    // the player, at every save that fails while the game goes on (each
    // loses new work), but not at the end once told.
    problem.key = "save\n" + std::to_string(problem.code);
    for (const Failure& failure : failures)
        problem.key += "\n" + failure.error.path;
    problem.everyTime = retry != SaveRetry::Never;
    return problem;
}

// Tells what a round of saves left: the files saved again, and those that
// failed (in one message).
bool TellSaves(const std::vector<Failure>& failures, const std::vector<std::string>& saved, SaveRetry retry)
{
    for (const std::string& path : saved)
        if (std::find(gTold.paths.begin(), gTold.paths.end(), path) != gTold.paths.end())
            KernelLibrary::SayOnStandardError(kSubject, "Profile file '" + path + "': saved again.");
    if (failures.empty()) {
        if (!gTold.key.empty() && !saved.empty())
            KernelLibrary::ProblemResolved(gTold.key, {});
        if (!saved.empty())
            gTold = {};
        return true;
    }
    const KernelLibrary::Problem problem = SaveProblem(failures, retry);
    gTold.key = problem.key;
    gTold.paths.clear();
    for (const Failure& failure : failures)
        gTold.paths.push_back(failure.error.path);
    KernelLibrary::TellProblem(problem);
    return false;
}

} // namespace

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
        problem.subject = kSubject;
        problem.what = "The player " + current->name + " was not deleted";
        problem.SetFailure(error);
        problem.outcome = "Nothing was changed.";
        // The player asked again: told again.
        problem.everyTime = true;
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

void ForgetToldSaves()
{
    gTold = {};
}
