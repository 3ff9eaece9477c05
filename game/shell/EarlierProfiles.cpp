#include "game/shell/EarlierProfiles.h"

#include "platform/core/FileTakeover.h"

#include <cstdio>

std::vector<std::string> TakeOverEarlierProfiles(const std::string& earlier, const std::string& folder)
{
    using Outcome = platform::TakeOver::Outcome;
    std::vector<std::string> left;
    for (const platform::TakenFile& file : platform::TakeOverFolder(earlier, folder)) {
        const std::string from = earlier + file.name;
        const std::string to = folder + file.name;
        std::string note;
        switch (file.result.outcome) {
        case Outcome::Moved:
            note = from + " (beside the program) was moved to " + to + ", where players are kept now.";
            break;
        case Outcome::KeptBeside:
            note = from + " (beside the program) was not taken over: " + to +
                   " holds a player of that name already. It was kept as " + file.result.keptAs + ".";
            break;
        case Outcome::Failed:
            note = from + " (beside the program) could not be moved to " + folder + " (" + file.result.error +
                   "); it is read from where it is.";
            left.push_back(file.name);
            break;
        case Outcome::NothingThere:
        case Outcome::AlreadyThere:
            break;
        }
        if (!note.empty())
            std::fputs((note + "\n").c_str(), stderr);
    }
    return left;
}
