// What the walks share: which module the game shows, and the profile files
// of a scripted player's machine, written before the program starts as an
// earlier run would have left them and read back after it ended as the next
// run will find them.
#pragma once

#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/BettingRound.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerI.h"
#include "platform/core/FileSystem.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace walk {

// Which module is shown: "start", "set-up", "table", or a list of several.
inline std::string ShownModules(Gamespace::GameImpl& game)
{
    std::string shown;
    auto add = [&](bool active, const char* name) {
        if (active)
            shown += shown.empty() ? name : std::string("+") + name;
    };
    add(game.GetStartMgr().IsActive(), "start");
    add(game.GetSetupRulesMgr().IsActive(), "set-up");
    add(game.GetGameMgr()->IsActive(), "table");
    return shown;
}

// Whether the object that shows `sight` is enabled (a stake or tournament
// button: not the chosen one); false, and the test fails, when it is not on
// the screen.
inline bool IsEnabled(const Sight& sight)
{
    const std::optional<Seen> seen = FindOnScreen(sight);
    if (!seen)
        ADD_FAILURE() << sight.Describe() << " is not on the screen:\n" << DescribeScreen();
    return seen && seen->enabled;
}

// Clicks the `row`-th object from the top of the screen that looks like
// `sight` (the rows of the options dialog).
inline void ClickRow(ScriptedPlayer& player, const Sight& sight, size_t row)
{
    std::vector<Seen> found;
    for (const Seen& seen : LookAtScreen())
        if (seen.Matches(sight))
            found.push_back(seen);
    std::sort(found.begin(), found.end(), [](const Seen& a, const Seen& b) { return a.area.y < b.area.y; });
    ASSERT_GT(found.size(), row) << DescribeScreen();
    player.ClickAt(found[row].CentreX(), found[row].CentreY(), sight.Describe() + " of row " + std::to_string(row));
}

// The files in the player's profile folder, by name.
inline std::vector<std::string> SavedFiles(const ScriptedPlayer& player)
{
    std::vector<std::string> names;
    for (const platform::FindData& file : platform::FindFiles(player.SaveFolder() + "/*"))
        names.push_back(file.name);
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ProfilePath(const ScriptedPlayer& player, const std::string& name)
{
    return player.SaveFolder() + "/" + name + "_.usr";
}

inline std::string ProfileBytes(const ScriptedPlayer& player, const std::string& name)
{
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(ProfilePath(player, name), &bytes)) << name;
    return bytes;
}

// A player an earlier run made, the current one unless `current` is false.
inline Profile KnownPlayer(const std::string& name, bool current = true)
{
    Profile profile;
    profile.name = name;
    profile.active = current ? 1 : 0;
    return profile;
}

// Saves `profile` into the player's profile folder; the file's bytes.
inline std::string PutProfile(const ScriptedPlayer& player, Profile& profile)
{
    const std::string previous = ProfileFolder();
    SetProfileFolder(player.SaveFolder());
    EXPECT_TRUE(SaveProfile(profile));
    SetProfileFolder(previous);
    return ProfileBytes(player, profile.name);
}

inline void PutProfileBytes(const ScriptedPlayer& player, const std::string& name, const std::string& bytes)
{
    EXPECT_TRUE(platform::MakeDirectories(player.SaveFolder()));
    EXPECT_TRUE(platform::WriteFileAtomic(ProfilePath(player, name), bytes));
}

// The profile as the file on disk holds it now.
inline std::unique_ptr<Profile> ProfileOnDisk(const ScriptedPlayer& player, const std::string& name)
{
    auto profile = std::make_unique<Profile>();
    EXPECT_TRUE(LoadProfile(*profile, ProfilePath(player, name))) << name;
    return profile;
}

inline std::vector<Gamespace::PlayerI*> SeatedPlayers(const Gamespace::GameMgr& table)
{
    std::vector<Gamespace::PlayerI*> seated;
    for (Gamespace::PlayerI* player : table.GetSeatList())
        if (player)
            seated.push_back(player);
    return seated;
}

// Every chip at the table: in front of the players, in the bets of the
// round and in the pot.
inline double ChipsAtTheTable(Gamespace::GameMgr& table)
{
    double chips = table.Betting().TotalPot() + table.Betting().RoundPot();
    for (Gamespace::PlayerI* player : SeatedPlayers(table))
        chips += player->GetChips();
    return chips;
}

// What each seated player has, by seat: chips, whether still in the hand
// and the bet in the round (a folded player's bet is the pot's), hole cards
// and the dealer button.
struct Seat {
    double chips;
    bool inHand;
    double bet;
    std::vector<Card> cards;
    bool dealer;
    bool operator==(const Seat&) const = default;
};

inline void PrintTo(const Seat& seat, std::ostream* out)
{
    *out << "{chips " << seat.chips << (seat.inHand ? ", in, bet " : ", out, bet ") << seat.bet << ", cards";
    for (const Card& card : seat.cards)
        *out << " " << card.Name();
    *out << (seat.dealer ? ", dealer}" : "}");
}

inline std::map<uint16_t, Seat> Seats(const Gamespace::GameMgr& table)
{
    std::map<uint16_t, Seat> seats;
    for (Gamespace::PlayerI* player : SeatedPlayers(table)) {
        const bool inHand = player->IsInHand();
        seats[player->GetSeat()] = {player->GetChips(), inHand, inHand ? player->GetBet() : 0.0,
                                    player->GetHoleCards(), player->IsDealer()};
    }
    return seats;
}

// Ann, known and current, entered at level 1 of a tournament of ten players
// (`tournament`, a catalogue id) at the fastest speed, and taken through the
// module flow to its table: the dealer is not drawn yet.
inline void SitAnnAtATournament(ScriptedPlayer& player, uint16_t tournament)
{
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = KnownPlayer("Ann");
    PutProfile(player, ann);
    player.Launch();
    PlayedTable::EnterTournament(*ProfileList::CurrentProfile(), tournament, 10, 1);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
}

} // namespace walk
