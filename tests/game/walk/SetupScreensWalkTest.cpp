// The set-up screens as a player walks them: each cash-table screen (stakes,
// players, customize, options) opens the table it shows, a tournament is
// chosen, started, left by quitting the program and continued in the next
// run with every chip where it was (and one an earlier run left at the
// human's big blind with his turn and his check), and quitting from a set-up
// screen leaves the saved tournament as it was. Each step checks what the profile holds,
// which module is shown and what the table seated.
//
// The start screen is reached through the module flow (the start screen
// module finishes with the game type a player would have chosen there).
#include "game/shell/GameImpl.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesCash.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/SetupRulesTournament.h"
#include "game/shell/StartMgr.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/Tournament.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Gamespace::GameMgr;
using Gamespace::SetupRulesCash;
using Gamespace::SetupRulesTournament;
using namespace walk::sights;
using walk::Caption;
using walk::ChipsAtTheTable;
using walk::Image;
using walk::IsEnabled;
using walk::KnownPlayer;
using walk::ScriptedPlayer;
using walk::Seat;
using walk::SeatedPlayers;
using walk::Seats;
using walk::ShownModules;

// At the fastest game speed a hand takes seconds.
void LaunchFast(ScriptedPlayer& player)
{
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
}

// What the start screen does with a game-mode button: the game type goes
// into the profile and the set-up screens follow.
void ChooseOnTheStartScreen(ScriptedPlayer& player, GameType gameType)
{
    ASSERT_EQ(ShownModules(player.Game()), "start");
    ProfileList::CurrentProfile()->gameType = gameType;
    player.Game().GetStartMgr().Finish(0);
    ASSERT_EQ(ShownModules(player.Game()), "set-up");
}

template <class Screen>
Screen* ShownScreen(ScriptedPlayer& player)
{
    return dynamic_cast<Screen*>(player.Game().GetSetupRulesMgr().ShownScreen());
}

bool WaitForTheTable(ScriptedPlayer& player)
{
    GameMgr& table = *player.Game().GetGameMgr();
    return player.WaitUntil([&] { return table.IsActive() && table.IsDealerChosen(); }, 10000,
                            "the table to draw for the dealer");
}

// Starts the game on a profile already in place and continues its saved
// no-limit tournament, up to the table with its dealer known.
bool ContinueTheNoLimitTournament(ScriptedPlayer& player)
{
    LaunchFast(player);
    ChooseOnTheStartScreen(player, kGameNoLimitTournament);
    if (!player.WaitToSee(kContinue))
        return false;
    player.Click(kContinue);
    return WaitForTheTable(player);
}

// Plays on at the table until `condition` holds, closing the table's
// announcements (the dealer draw) as they come.
bool PlayOnUntil(ScriptedPlayer& player, const std::function<bool()>& condition, const std::string& what)
{
    const walk::Sight close = Caption("Close");
    const uint64_t deadline = player.Now() + 30000;
    while (player.IsRunning() && !condition() && player.Now() < deadline) {
        if (player.Sees(close))
            player.Click(close);
        else
            player.Wait(100);
    }
    return player.WaitUntil(condition, ScriptedPlayer::kPromptMs, what);
}

// The human's action buttons are live: the table waits for him and nothing
// at it moves until he acts. The turn highlight alone does not say as much:
// when everyone folds to his big blind it passes over his seat as the hand
// ends without him.
bool HumanIsToAct(ScriptedPlayer& player)
{
    return walk::PlayedTable(player).HumansTurn();
}

struct CashScreenCase {
    GameType gameType;
    const char* background;
    const char* secondBet;  // what the screen says of the big bet at $10/$20
    uint16_t players;       // chosen with minus
    const walk::Sight& style;
    uint32_t styleCode;
};

void WalkCashScreen(ScriptedPlayer& player, const CashScreenCase& walkCase)
{
    SCOPED_TRACE(walkCase.background);
    Gamespace::GameImpl& game = player.Game();
    ChooseOnTheStartScreen(player, walkCase.gameType);
    ASSERT_TRUE(player.WaitToSee(Image(walkCase.background)));
    EXPECT_TRUE(player.Sees(kHomePage));
    EXPECT_FALSE(player.Sees(kCloseButton)) << "a window has its own close box";
    SetupRulesCash* screen = ShownScreen<SetupRulesCash>(player);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetGameType(), walkCase.gameType);
    Profile& profile = *ProfileList::CurrentProfile();
    const TableChoice& choice = profile.TableChoiceFor(walkCase.gameType);
    // A new profile: the first stake, ten players.
    EXPECT_FALSE(IsEnabled(Caption("$1/$2"))) << "the chosen stake shows its selected frame";
    EXPECT_EQ(screen->ValueText(2), "$ 200");
    EXPECT_EQ(screen->PlayersText(), "10");
    EXPECT_FALSE(IsEnabled(kPlus));
    player.Screenshot("cash set-up");

    player.Click(Caption("$10/$20"));
    EXPECT_EQ(choice.tableIndex, 3);
    EXPECT_FALSE(IsEnabled(Caption("$10/$20")));
    EXPECT_TRUE(IsEnabled(Caption("$1/$2")));
    EXPECT_EQ(screen->ValueText(0), "$ 20");
    EXPECT_EQ(screen->ValueText(1), walkCase.secondBet);
    EXPECT_EQ(screen->ValueText(2), "$ 2000");
    for (uint16_t players = 10; players > walkCase.players; --players)
        player.Click(kMinus);
    EXPECT_EQ(choice.players, walkCase.players);
    EXPECT_EQ(screen->PlayersText(), std::to_string(walkCase.players));
    EXPECT_TRUE(IsEnabled(kPlus));

    player.Click(kCustomize);
    ASSERT_TRUE(player.WaitToSee(kCustomizeDialog));
    player.Click(walkCase.style);
    player.Click(profile.announceStages != 0 ? kYes : kNo);
    const uint8_t announces = profile.announceStages != 0 ? 0 : 1;
    // Return is not the start of a table while the dialog is open.
    player.Press(platform::VK_RETURN);
    EXPECT_EQ(ShownModules(game), "set-up");
    player.Click(kCustomizeOk);
    EXPECT_FALSE(player.Sees(kCustomizeDialog));
    EXPECT_EQ(profile.computerStyle, walkCase.styleCode);
    EXPECT_EQ(profile.announceStages, announces);
    EXPECT_FALSE(player.Sees(kCloseButton)) << "closing the customize dialog brought a close button";

    player.Click(kOptionsButton);
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    player.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player.Sees(kOptionsDialog));
    EXPECT_FALSE(player.Sees(kCloseButton)) << "closing the options brought a close button";

    player.Click(kStart);
    ASSERT_TRUE(WaitForTheTable(player));
    EXPECT_EQ(ShownModules(game), "table");
    EXPECT_FALSE(player.Sees(kHomePage));
    GameMgr& table = *game.GetGameMgr();
    EXPECT_EQ(SeatedPlayers(table).size(), walkCase.players);
    EXPECT_DOUBLE_EQ(table.GetMinBet(), 20.0);
    EXPECT_DOUBLE_EQ(table.GetChipsBought(), 2000.0 * walkCase.players);
    player.Screenshot("cash table");

    // Leaving the table: the set-up screen again, as it was left.
    table.Finish(1);
    EXPECT_EQ(ShownModules(game), "set-up");
    ASSERT_TRUE(player.WaitToSee(Image(walkCase.background)));
    EXPECT_FALSE(IsEnabled(Caption("$10/$20")));
    EXPECT_EQ(screen->PlayersText(), std::to_string(walkCase.players));
    EXPECT_FALSE(player.Sees(kCloseButton)) << "showing the screen again brought a close button";
    player.Click(kBack);
    EXPECT_EQ(ShownModules(game), "start");
}

TEST(SetupWalk, EachCashScreenOpensTheTableItShowsAndKeepsTheChoicesInTheProfile)
{
    ScriptedPlayer player;
    Profile ann = KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    LaunchFast(player);
    const CashScreenCase cases[] = {
        {kGameLimit, "images/game_fon/fon_rules_limit.jpg", "$ 40", 4, kCautious, 1},
        {kGamePotLimit, "images/game_fon/fon_rules_potlimit.jpg", "Pot limit", 2, kAggressive, 3},
        {kGameNoLimit, "images/game_fon/fon_rules_unlimit.jpg", "Unlimit", 7, kCautious, 1},
    };
    for (const CashScreenCase& walkCase : cases)
        WalkCashScreen(player, walkCase);

    // Space on a set-up screen is its start button.
    ChooseOnTheStartScreen(player, kGameLimit);
    player.Press(platform::VK_SPACE);
    ASSERT_TRUE(WaitForTheTable(player));
    EXPECT_EQ(SeatedPlayers(*player.Game().GetGameMgr()).size(), 4u);
    player.Game().GetGameMgr()->Finish(1);
    ASSERT_TRUE(player.WaitToSee(Image("images/game_fon/fon_rules_limit.jpg")));
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);

    const auto saved = walk::ProfileOnDisk(player, "Ann");
    EXPECT_EQ(saved->limit.tableIndex, 3);
    EXPECT_EQ(saved->limit.players, 4);
    EXPECT_EQ(saved->potLimit.players, 2);
    EXPECT_EQ(saved->noLimit.tableIndex, 3);
    EXPECT_EQ(saved->noLimit.players, 7);
    EXPECT_EQ(saved->computerStyle, 1u);
    EXPECT_EQ(saved->announceStages, 0) << "three toggles from yes";
}

TEST(SetupWalk, ATournamentLeftByQuittingResumesInTheNextRunWithEveryChip)
{
    std::string profileAfterQuit;
    double chipsAtQuit = 0.0;
    std::map<uint16_t, Seat> seatsAtQuit;
    {
        ScriptedPlayer player;
        Profile ann = KnownPlayer("Ann");
        // Limit tournaments: bought in 400, cashed out 250.
        ann.money = {400, 250, 150, 900, 0, 0};
        walk::PutProfile(player, ann);
        LaunchFast(player);
        Gamespace::GameImpl& game = player.Game();
        ChooseOnTheStartScreen(player, kGameLimitTournament);
        ASSERT_TRUE(player.WaitToSee(Image(SetupRulesTournament::kBackgroundImage)));
        SetupRulesTournament* screen = ShownScreen<SetupRulesTournament>(player);
        ASSERT_NE(screen, nullptr);
        // Nothing saved: the first tournament, no way to continue.
        EXPECT_FALSE(IsEnabled(Caption("Satellite N")));
        EXPECT_FALSE(player.Sees(kContinue));
        EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGameNoLimitTournament);
        EXPECT_EQ(screen->ValueText(SetupRulesTournament::kBuyIn), "$ 20 (x50)");
        player.Screenshot("tournament set-up");

        player.Click(kStatistics);
        ASSERT_TRUE(player.WaitToSee(kStatisticsDialog));
        for (const char* figure : {"400", "250", "-150", "900", "750"})
            EXPECT_TRUE(player.Sees(Caption(figure))) << figure;
        // Return closes the statistics, and only them.
        player.Press(platform::VK_RETURN);
        EXPECT_FALSE(player.Sees(kStatisticsDialog));
        EXPECT_EQ(ShownModules(game), "set-up");

        player.Click(Caption("Satellite L"));
        EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGameLimitTournament);
        EXPECT_EQ(screen->ValueText(SetupRulesTournament::kMaxBet), "$ 8");
        player.Click(Caption("Sit & Go N"));
        EXPECT_FALSE(IsEnabled(Caption("Sit & Go N")));
        EXPECT_EQ(screen->ValueText(SetupRulesTournament::kRebuy), "1 (up to 7 level)");

        player.Click(kStart);
        ASSERT_TRUE(WaitForTheTable(player));
        GameMgr& table = *game.GetGameMgr();
        EXPECT_EQ(SeatedPlayers(table).size(), 8u);
        EXPECT_DOUBLE_EQ(ChipsAtTheTable(table), 8 * 1500.0);
        // Hands are dealt and bet on until the human is to act (the first
        // may end without him, when everyone folds to his big blind).
        ASSERT_TRUE(PlayOnUntil(player, [&] { return HumanIsToAct(player); }, "the human's turn"));
        chipsAtQuit = ChipsAtTheTable(table);
        seatsAtQuit = Seats(table);
        EXPECT_DOUBLE_EQ(chipsAtQuit, 8 * 1500.0);
        EXPECT_GT(table.Betting().TotalPot() + table.Betting().RoundPot(), 0.0) << "the blinds are in";
        EXPECT_EQ(seatsAtQuit[0].cards.size(), 2u) << "the human holds cards";
        player.Screenshot("tournament table");

        player.CloseWindow();
        ASSERT_TRUE(player.WaitToSee(kExitQuestion));
        player.Click(kYes);
        EXPECT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 0);
        profileAfterQuit = walk::ProfileBytes(player, "Ann");
        const auto saved = walk::ProfileOnDisk(player, "Ann");
        ASSERT_EQ(saved->savedGames.size(), 1u);
        EXPECT_EQ(saved->savedGames[0]->tournamentId, 2);
        EXPECT_EQ(saved->savedGames[0]->current, 1);
    }

    ScriptedPlayer player;
    walk::PutProfileBytes(player, "Ann", profileAfterQuit);
    LaunchFast(player);
    ChooseOnTheStartScreen(player, kGameLimitTournament);
    ASSERT_TRUE(player.WaitToSee(kContinue));
    EXPECT_FALSE(IsEnabled(Caption("Sit & Go N"))) << "the tournament in progress is chosen";
    player.Click(kContinue);
    ASSERT_TRUE(WaitForTheTable(player));
    GameMgr& table = *player.Game().GetGameMgr();
    // The turn comes back to the human after the table's pauses, nobody else
    // acting first.
    ASSERT_TRUE(player.WaitUntil([&] { return HumanIsToAct(player); }, 10000, "the human's turn as it was left"));
    EXPECT_DOUBLE_EQ(ChipsAtTheTable(table), chipsAtQuit);
    EXPECT_EQ(Seats(table), seatsAtQuit);
    player.Screenshot("tournament resumed");
}

// Big-endian fields of a profile file.
std::string U16(uint16_t value)
{
    return std::string{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string I32(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    return U16(static_cast<uint16_t>(bits >> 16)) + U16(static_cast<uint16_t>(bits & 0xFFFF));
}

std::string Text15(const std::string& text)
{
    std::string field = text;
    field.resize(15, '\0');
    return field;
}

std::string CardBytes(uint16_t rank, uint16_t suit)
{
    return U16(suit) + U16(rank);
}

// Ann's profile file as the game wrote it when she left a "Sit & Go N" hand
// before the flop, written out field by field. Six players at level 1 (the
// blinds 5 and 10): the dealer at seat 4, the small blind at seat 5, Ann's
// big blind at seat 0. Seats 1, 3 and 4 called, seat 2 folded, the small
// blind called last: the turn is Ann's, nobody raised, her option is open.
std::string ProfileLeftAtTheBigBlindsOption()
{
    std::string bytes{'\1', '\1'}; // the active profile; stages announced
    bytes += U16(0) + Text15("Ann");
    for (int choice = 0; choice < 3; ++choice)
        bytes += U16(0) + U16(10);
    bytes += std::string(24, '\0') + U16(2) + U16(1);
    std::string record = U16(2) + '\1' + '\1' + I32(10) + U16(1) + I32(400) + I32(50) + U16(50);
    // Before the flop, the bet made, position 0 acted last, nothing in the
    // pot yet, the bet 10; no announcement pending, the hand not over.
    record += U16(0) + '\1' + U16(0) + I32(0) + I32(10) + '\0' + '\0';
    record += CardBytes(7, 1) + CardBytes(4, 2) + CardBytes(9, 3) + CardBytes(1, 0) + CardBytes(6, 1);
    record += std::string{'\0', '\1'} + I32(1490) + I32(10) + U16(0) + CardBytes(12, 0) + CardBytes(3, 1);
    struct {
        const char* name;
        double chips;
        double bet;
        bool inHand;
        bool dealer;
        uint16_t cards[4];
    } const seats[5] = {{"Ben", 1490, 10, true, false, {5, 2, 5, 3}},  {"Cyd", 1500, 0, false, false, {8, 0, 9, 1}},
                        {"Dot", 1490, 10, true, false, {0, 2, 1, 3}},  {"Eli", 1490, 10, true, true, {10, 0, 6, 2}},
                        {"Fay", 1490, 10, true, false, {11, 3, 2, 0}}};
    for (uint16_t k = 0; k < SavedGame::kComputerSeats; ++k) {
        if (k >= 5) {
            record += U16(0) + I32(0) + I32(0) + U16(0) + Text15("") + std::string(3, '\0') + CardBytes(14, 5) +
                      CardBytes(14, 5);
            continue;
        }
        const auto& seat = seats[k];
        record += U16(static_cast<uint16_t>(k + 1)) + I32(static_cast<int32_t>(seat.chips)) +
                  I32(static_cast<int32_t>(seat.bet)) + U16(2 << 8) + Text15(seat.name) + '\1' +
                  static_cast<char>(seat.inHand) + static_cast<char>(seat.dealer) +
                  CardBytes(seat.cards[0], seat.cards[1]) + CardBytes(seat.cards[2], seat.cards[3]);
    }
    EXPECT_EQ(record.size(), 417u);
    return bytes + record;
}

// Continued, the tournament gives Ann her turn back with the check her
// option allows, not a call of nothing, and her check ends the betting: the
// flop is announced with nobody asked again.
TEST(SetupWalk, ATournamentLeftAtTheBigBlindsOptionOffersTheCheckWhenContinued)
{
    ScriptedPlayer player;
    walk::PutProfileBytes(player, "Ann", ProfileLeftAtTheBigBlindsOption());
    ASSERT_TRUE(ContinueTheNoLimitTournament(player));
    GameMgr& table = *player.Game().GetGameMgr();
    ASSERT_TRUE(player.WaitUntil([&] { return HumanIsToAct(player); }, 10000, "Ann's turn as she left it"));
    walk::PlayedTable strip(player);
    for (uint32_t code : {Gamespace::kHumanFold, Gamespace::kHumanCheck, Gamespace::kHumanRaise, Gamespace::kHumanAllIn})
        EXPECT_TRUE(strip.Enabled(code)) << walk::PlayedTable::kActionNames[code];
    EXPECT_FALSE(strip.Enabled(Gamespace::kHumanCall)) << "nothing to call";
    EXPECT_DOUBLE_EQ(strip.Human().GetChips(), 1490.0);
    EXPECT_DOUBLE_EQ(strip.Human().GetBet(), 10.0);
    player.Screenshot("the big blind's option resumed");

    // (Not PlayedTable::Act: its books count the chips bought at this
    // sitting, and the bets of a resumed hand were bought at an earlier one.)
    player.Click(walk::PlayedTable::kActions[Gamespace::kHumanCheck]);
    EXPECT_DOUBLE_EQ(strip.Human().GetBet(), 10.0);
    EXPECT_EQ(table.Betting().Status(), Gamespace::RoundStatus::RoundComplete) << "her check closed the round";
    ASSERT_TRUE(player.WaitUntil([&] { return table.GetStageDlg()->IsVisible(); }, ScriptedPlayer::kPromptMs,
                                 "the flop's announcement"));
    EXPECT_EQ(table.State().boardStage, 0u);
    EXPECT_DOUBLE_EQ(table.Betting().TotalPot(), 50.0) << "the five bets of 10";
}

// A tournament in progress as an earlier run left it.
SavedGame& PlayedTournament(Profile& profile, uint16_t id)
{
    Tournament record;
    EXPECT_TRUE(FindTournament(id, record));
    SavedGame& saved = Gamespace::StartTournament(profile, record);
    saved.level = 3;
    saved.levelTimeLeft = 200;
    saved.handOver = 1;
    return saved;
}

TEST(SetupWalk, QuittingFromTheTournamentScreenLeavesTheSavedTournamentAsItWas)
{
    ScriptedPlayer player;
    Profile ann = KnownPlayer("Ann");
    PlayedTournament(ann, 5);
    const std::string before = walk::PutProfile(player, ann);
    // In full screen, where the screen's own close button is the way out.
    player.WriteRegistryNumber("Options\\FullScreen", 1);
    LaunchFast(player);
    ChooseOnTheStartScreen(player, kGameNoLimitTournament);
    ASSERT_TRUE(player.WaitToSee(kContinue));
    EXPECT_TRUE(player.Sees(kCloseButton));
    EXPECT_FALSE(IsEnabled(Caption("Sit & Go P")));
    EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGamePotLimitTournament);
    player.Click(Caption("Big game L"));
    EXPECT_FALSE(player.Sees(kContinue)) << "no game of Big game L to continue";
    player.Click(kStatistics);
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(kCloseButton)) << "closing the statistics took the close button away";
    player.Click(kCloseButton);
    EXPECT_TRUE(player.WaitForExit()) << "away from the table the game ends without a question";
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), before);
}

TEST(SetupWalk, DamagedSeatNumbersSeatOnlyTheSeatsThereAre)
{
    ScriptedPlayer player;
    Profile ann = KnownPlayer("Ann");
    SavedGame& saved = PlayedTournament(ann, 1);
    const uint16_t numbers[SavedGame::kComputerSeats] = {0, 3, 3, 12, 65535, 6, 7, 8, 9};
    for (size_t k = 0; k < SavedGame::kComputerSeats; ++k)
        saved.seats[k].seatNumber = numbers[k];
    walk::PutProfile(player, ann);
    ASSERT_TRUE(ContinueTheNoLimitTournament(player));
    GameMgr& table = *player.Game().GetGameMgr();
    std::vector<uint16_t> seats;
    for (Gamespace::PlayerI* seated : SeatedPlayers(table))
        seats.push_back(seated->GetSeat());
    EXPECT_EQ(seats, (std::vector<uint16_t>{0, 3, 6, 7, 8, 9}));
    player.Wait(3000);
    EXPECT_EQ(ShownModules(player.Game()), "table");
}

} // namespace
