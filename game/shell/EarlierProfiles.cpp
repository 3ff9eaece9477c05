#include "game/shell/EarlierProfiles.h"

#include "game/shell/ProfileFile.h"
#include "platform/core/FileTakeover.h"

namespace {

KernelLibrary::Problem TakeOverProblem(const std::string& what, const std::string& path)
{
    KernelLibrary::Problem problem;
    problem.what = what;
    problem.path = path;
    return problem;
}

} // namespace

std::vector<std::string> TakeOverEarlierProfiles(const std::string& earlier, const std::string& folder,
                                                 std::vector<KernelLibrary::Problem>* problems)
{
    using Outcome = platform::TakeOver::Outcome;
    std::vector<std::string> left;
    // Only the players' files: whatever else lies there is not the game's.
    for (const platform::TakenFile& file : platform::TakeOverFolder(earlier, folder, "*_.usr")) {
        const std::string from = earlier + file.name;
        const std::string to = folder + file.name;
        switch (file.result.outcome) {
        case Outcome::Moved:
            KernelLibrary::SayOnStandardError(
                Zolt::HeadingOf(KernelLibrary::ProblemSubject::PlayerFiles), from + " (beside the program) was moved to " + to + ", where players are kept now.");
            break;
        case Outcome::KeptBeside: {
            KernelLibrary::Problem problem =
                TakeOverProblem(file.name + " of an earlier build was kept aside", from);
            problem.cause = "a file of that name is in the data folder already";
            problem.outcome = "It was kept as " + file.result.keptAs.substr(file.result.keptAs.rfind('/') + 1) + ".";
            problem.step = platform::FileStep::KeepBeside;
            problem.path = file.result.keptAs;
            problems->push_back(problem);
            break;
        }
        case Outcome::Failed: {
            KernelLibrary::Problem problem =
                TakeOverProblem(file.name + " of an earlier build was not moved", from);
            problem.SetFailure(file.result.error);
            problem.outcome = "It is read from where it is.";
            problems->push_back(problem);
            left.push_back(from);
            break;
        }
        case Outcome::NothingThere:
        case Outcome::AlreadyThere:
            break;
        }
    }
    return left;
}
