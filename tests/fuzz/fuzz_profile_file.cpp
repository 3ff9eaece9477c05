// Feeds arbitrary bytes to the profile reader: it must load or refuse the
// file without reading outside it, and whatever it loads must be in range
// and survive a save and a second load unchanged.
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/table/Tournament.h"
#include "platform/core/FileSystem.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Profiles live in "save/" below the current directory; the fuzzer's own
// paths are relative to the directory it started in.
struct InFolder {
    explicit InFolder(const std::string& folder) : previous(platform::GetCurrentDirectory())
    {
        if (!platform::SetCurrentDirectory(folder))
            std::abort();
    }
    ~InFolder() { platform::SetCurrentDirectory(previous); }
    std::string previous;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool made = platform::MakeDirectories(fuzz_support::Scratch().File("save"));
    if (!made)
        std::abort();
    InFolder inFolder(fuzz_support::Scratch().Path());
    const std::string path = "save/Fuzz_.usr";
    if (fuzz_support::WriteScratchFile(path, data, size).empty())
        return 0;
    Profile profile;
    std::string error;
    if (!LoadProfile(profile, path, &error))
        return 0;
    Check(IsValidProfileName(profile.name));
    Check(profile.computerStyle <= 3);
    for (const TableChoice* choice : {&profile.limit, &profile.noLimit, &profile.potLimit})
        Check(choice->tableIndex < 6 && choice->players >= 2 && choice->players <= 10);
    for (const auto& game : profile.savedGames) {
        Tournament record;
        Check(FindTournament(game->tournamentId, record));
        const double startBet = game->minBet > 0.0 ? game->minBet : record.startBet;
        Check(game->level >= 1 && game->level <= HighestLevel(record, startBet));
    }
    // What loaded is stored as it was read.
    if (!SaveProfile(profile))
        return 0;
    Profile again;
    Check(LoadProfile(again, profile.FilePath()));
    Check(again.name == profile.name && again.money == profile.money);
    // A hand's exact amounts come back as they were, and only sound ones
    // (only the tournaments in use are stored).
    std::vector<const SavedGame*> inUse;
    for (const auto& game : profile.savedGames)
        if (game->inUse != 0)
            inUse.push_back(game.get());
    Check(again.savedGames.size() == inUse.size());
    for (size_t i = 0; i < inUse.size(); ++i) {
        const SavedGame& first = *inUse[i];
        const SavedGame& second = *again.savedGames[i];
        Check(second.totalPot == first.totalPot && second.raiseCount == first.raiseCount &&
              second.humanContribution == first.humanContribution);
        // Whether the parts are known tells only for a hand with chips in.
        bool partsIn = first.humanContribution != 0.0;
        for (size_t s = 0; s < first.seats.size(); ++s) {
            Check(second.seats[s].chips == first.seats[s].chips &&
                  second.seats[s].contribution == first.seats[s].contribution);
            partsIn = partsIn || first.seats[s].contribution != 0.0;
        }
        Check(!partsIn || second.contributionsKnown == first.contributionsKnown);
        for (double amount : {first.totalPot, first.raiseCount, first.humanContribution, first.startChips})
            Check(std::isfinite(amount) && amount >= 0.0);
    }
    platform::DeleteFile(profile.FilePath());
    return 0;
}
