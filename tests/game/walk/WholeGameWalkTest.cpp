// The whole game as one player meets it, across three runs of the program:
// the first start asks for a name ("Ann"); every option is changed and is
// still so after a restart; each cash-table set-up screen has its stake,
// players and computer style changed and opens its table, where the in-game
// menu shows the rules and leaves; a tournament is chosen, started and a
// hand of it played, and the program is quit in the middle of the next;
// the next run continues that tournament with every chip where it was;
// Ann is deleted and the game ends. After each step the walk checks what
// the program keeps (the files in "save/", the registry, the module shown),
// and after each run that the game gave back every object it had made.
//
// Everything is done with the mouse and the keyboard, as a person would.
#include "game/shell/Options.h"
#include "game/shell/ProfileList.h"
#include "game/table/GameMgr.h"
#include "game/table/TableDialogs.h"
#include "kernel/MainApp.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

namespace {

using namespace walk::sights;
using Gamespace::GameMgr;
using walk::Caption;
using walk::ClickRow;
using walk::Image;
using walk::IsEnabled;
using walk::PlayedTable;
using walk::SavedFiles;
using walk::ScriptedPlayer;
using walk::ShownModules;

// Sit & Go N: eight players, 1500 chips each.
constexpr uint16_t kSitAndGoN = 2;
constexpr uint16_t kSitAndGoPlayers = 8;
constexpr double kSitAndGoChips = 1500.0;

// The program ends by itself, having written what it keeps and (Finish
// checks) given back every object, timer, effect and sound it made.
void ExpectCleanEnd(ScriptedPlayer& player)
{
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

// ---- Run 1: the first start and the options ----

void FirstStartMakesAnn(ScriptedPlayer& player)
{
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    EXPECT_EQ(ShownModules(player.Game()), "start");
    EXPECT_FALSE(IsEnabled(kCancel)) << "the first player cannot skip the name";
    EXPECT_TRUE(SavedFiles(player).empty());
    player.Screenshot("first start asks for a name");
    player.Type("Ann");
    player.Click(kOk);
    ASSERT_TRUE(player.Sees(kChooser));
    EXPECT_FALSE(player.Sees(kNewPlayer));
    EXPECT_EQ(SavedFiles(player), std::vector<std::string>{"Ann_.usr"}) << "saved as the name was taken";
    EXPECT_EQ(walk::ProfileOnDisk(player, "Ann")->active, 1);
    player.Screenshot("the chooser lists Ann");
    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kChooser));
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    EXPECT_TRUE(player.Sees(kHomePage));
    player.Screenshot("the start screen");
}

// Music 20 -> 30 %, effects 60 -> 50 %, speed 6 -> 10, full screen.
void ChangeEveryOption(ScriptedPlayer& player)
{
    player.Click(kOptionsButton);
    ASSERT_TRUE(player.Sees(kOptionsDialog));
    for (const char* start : {"20 %", "60 %", "6"})
        EXPECT_TRUE(player.Sees(Caption(start))) << start;
    player.Screenshot("the options");
    ClickRow(player, kPlus, 0);
    ClickRow(player, kMinus, 1);
    for (int step = 0; step < 4; ++step)
        ClickRow(player, kPlus, 2);
    player.Click(kToFullScreen);
    for (const char* changed : {"30 %", "50 %", "10"})
        EXPECT_TRUE(player.Sees(Caption(changed))) << changed;
    EXPECT_TRUE(player.Sees(kToWindow));
    EXPECT_FALSE(player.App().isWindowed);
    player.Screenshot("the options changed");
    player.Click(kOptionsOk);
    EXPECT_FALSE(player.Sees(kOptionsDialog));
    EXPECT_EQ(Gamespace::GetGameSpeed(), 10);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\Speed"), 10u) << "kept the moment it is chosen";
    ASSERT_TRUE(player.Sees(kCloseButton)) << "full screen has a close button of its own";
    player.Screenshot("the start screen in full screen");
}

// ---- Run 2: the options kept, the cash tables, the tournament ----

void OptionsAreAsLeft(ScriptedPlayer& player)
{
    EXPECT_EQ(Gamespace::GetSoundVolume(), 30);
    EXPECT_EQ(Gamespace::GetSoundEffVolume(), 50);
    EXPECT_EQ(Gamespace::GetGameSpeed(), 10);
    EXPECT_FALSE(player.App().isWindowed);
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    player.Wait(100);
    EXPECT_FALSE(player.Sees(kNewPlayer)) << "Ann is known";
    player.Click(kOptionsButton);
    for (const char* kept : {"30 %", "50 %", "10"})
        EXPECT_TRUE(player.Sees(Caption(kept))) << kept;
    // Back to a window for the rest of the walk.
    player.Click(kToWindow);
    player.Click(kOptionsOk);
    EXPECT_TRUE(player.App().isWindowed);
    EXPECT_FALSE(player.Sees(kCloseButton));
}

void OpenTheMenu(ScriptedPlayer& player, GameMgr& table)
{
    player.Click(PlayedTable::kMenuButton);
    ASSERT_TRUE(player.WaitToSee(kMenu));
    EXPECT_TRUE(table.IsPaused());
}

// From the in-game menu: the rules page and back to the menu.
void ReadTheRules(ScriptedPlayer& player)
{
    player.Click(kRules);
    ASSERT_TRUE(player.WaitToSee(kRulesPage));
    EXPECT_TRUE(player.Sees(Caption(Gamespace::RulesDlg::kTitle)));
    player.Screenshot("the rules");
    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kRulesPage));
    EXPECT_TRUE(player.Sees(kMenu));
}

struct CashScreen {
    const walk::Sight& mode;
    GameType gameType;
    const char* background;
    const char* stake;          // chosen in place of the first
    int16_t tableIndex;         // the stake's
    double minBet;              // the stake's small bet
    double buyIn;               // the stake's chips per player
    uint16_t players;           // chosen with minus
    const walk::Sight& style;   // in the customize dialog
    uint32_t styleCode;
};

void WalkCashScreen(ScriptedPlayer& player, const CashScreen& screen, bool readRules)
{
    SCOPED_TRACE(screen.background);
    Gamespace::GameImpl& game = player.Game();
    player.Click(screen.mode);
    ASSERT_EQ(ShownModules(game), "set-up");
    ASSERT_TRUE(player.WaitToSee(Image(screen.background)));
    Profile& ann = *ProfileList::CurrentProfile();
    EXPECT_EQ(ann.gameType, screen.gameType);
    const TableChoice& choice = ann.TableChoiceFor(screen.gameType);
    EXPECT_FALSE(IsEnabled(Caption("$1/$2"))) << "a new player's stake shows its selected frame";
    EXPECT_FALSE(IsEnabled(kPlus)) << "ten players at most";
    player.Screenshot("cash set-up");

    player.Click(Caption(screen.stake));
    EXPECT_FALSE(IsEnabled(Caption(screen.stake)));
    EXPECT_TRUE(IsEnabled(Caption("$1/$2")));
    EXPECT_EQ(choice.tableIndex, screen.tableIndex);
    for (uint16_t players = 10; players > screen.players; --players)
        player.Click(kMinus);
    EXPECT_EQ(choice.players, screen.players);
    EXPECT_TRUE(player.Sees(Caption(std::to_string(screen.players))));

    player.Click(kCustomize);
    ASSERT_TRUE(player.WaitToSee(kCustomizeDialog));
    player.Screenshot("customize");
    player.Click(screen.style);
    // The toggle shows the answer it holds; a click gives the other.
    const uint8_t announce = ann.announceStages != 0 ? 0 : 1;
    player.Click(announce != 0 ? kNo : kYes);
    player.Click(kCustomizeOk);
    EXPECT_FALSE(player.Sees(kCustomizeDialog));
    EXPECT_EQ(ann.computerStyle, screen.styleCode);
    EXPECT_EQ(ann.announceStages, announce);
    player.Screenshot("cash set-up changed");

    player.Click(kStart);
    ASSERT_EQ(ShownModules(game), "table");
    GameMgr& table = *game.GetGameMgr();
    EXPECT_EQ(walk::SeatedPlayers(table).size(), screen.players);
    EXPECT_DOUBLE_EQ(table.GetMinBet(), screen.minBet);
    EXPECT_DOUBLE_EQ(table.GetChipsBought(), screen.buyIn * screen.players);
    EXPECT_FALSE(player.Sees(kHomePage));
    PlayedTable played(player);
    played.CloseTheDealerDraw();
    player.Screenshot("cash table");

    OpenTheMenu(player, table);
    player.Screenshot("the menu");
    if (readRules)
        ReadTheRules(player);
    player.Click(PlayedTable::kLeaveTable);
    // The click is taken, the menu closes and the table gives way over a few
    // updates: on a loaded machine that can outlast a click's settling time
    // (the real back end's walk once looked too early).
    EXPECT_TRUE(player.WaitUntil([&] { return ShownModules(game) == "set-up"; }, 5000, "the set-up screen"));
    ASSERT_TRUE(player.WaitToSee(Image(screen.background)));
    EXPECT_FALSE(IsEnabled(Caption(screen.stake))) << "the screen as it was left";
    EXPECT_TRUE(player.Sees(kHomePage));
    player.Click(kBack);
    EXPECT_EQ(ShownModules(game), "start");
    EXPECT_EQ(walk::ProfileOnDisk(player, "Ann")->TableChoiceFor(screen.gameType).tableIndex, screen.tableIndex)
        << "the choices are kept once a table is played";
}

// What the walk keeps of the tournament as it was quit.
struct TournamentAtQuit {
    std::map<uint16_t, walk::Seat> seats;
    double chips = 0.0;
};

// The tournament set-up screen: the statistics, a tournament chosen and
// started, a hand played to its result and the next that comes to the
// human played to his turn; then the program is quit from the table.
TournamentAtQuit PlayATournamentAndQuit(ScriptedPlayer& player)
{
    Gamespace::GameImpl& game = player.Game();
    TournamentAtQuit atQuit;
    player.Click(kTournaments);
    EXPECT_EQ(ShownModules(game), "set-up");
    EXPECT_TRUE(player.WaitToSee(kTournamentScreen));
    EXPECT_FALSE(player.Sees(kContinue)) << "nothing to continue yet";
    player.Screenshot("tournament set-up");

    player.Click(kStatistics);
    EXPECT_TRUE(player.WaitToSee(kStatisticsDialog));
    for (const char* shown : {"Limit", "Pot Limit", "No Limit", "Buy In", "Cash out", "Profit"})
        EXPECT_TRUE(player.Sees(Caption(shown))) << shown;
    player.Screenshot("statistics");
    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(player.Sees(kStatisticsDialog));
    EXPECT_EQ(ShownModules(game), "set-up") << "Return closed the statistics only";

    player.Click(Caption("Sit & Go N"));
    EXPECT_FALSE(IsEnabled(Caption("Sit & Go N")));
    player.Click(kStart);
    EXPECT_EQ(ShownModules(game), "table");
    GameMgr& table = *game.GetGameMgr();
    EXPECT_EQ(walk::SeatedPlayers(table).size(), kSitAndGoPlayers);
    PlayedTable played(player);
    played.CloseTheDealerDraw();
    played.FoldToTheResult();
    played.FinishHand(); // which checks the books
    // On to a hand that comes to the human (one may end before his turn,
    // when all fold to his big blind).
    for (int hand = 0; hand < 5 && !played.PlayOnToTurnOrResult(); ++hand)
        played.FinishHand();
    if (!played.HumansTurn()) {
        ADD_FAILURE() << "no hand came to the human";
        return atQuit;
    }
    atQuit.seats = walk::Seats(table);
    atQuit.chips = walk::ChipsAtTheTable(table);
    EXPECT_DOUBLE_EQ(atQuit.chips, kSitAndGoPlayers * kSitAndGoChips);
    player.Screenshot("the tournament at the human's turn");

    player.CloseWindow();
    EXPECT_TRUE(player.WaitToSee(kExitQuestion));
    EXPECT_TRUE(table.IsPaused());
    player.Screenshot("the exit question");
    player.Click(kYes);
    return atQuit;
}

// ---- Run 3: the tournament continued, Ann deleted ----

void ContinueTheTournament(ScriptedPlayer& player, const TournamentAtQuit& atQuit)
{
    Gamespace::GameImpl& game = player.Game();
    player.Click(kTournaments);
    ASSERT_TRUE(player.WaitToSee(kContinue));
    EXPECT_FALSE(IsEnabled(Caption("Sit & Go N"))) << "the tournament in progress is chosen";
    player.Screenshot("a tournament to continue");
    player.Click(kContinue);
    ASSERT_EQ(ShownModules(game), "table");
    GameMgr& table = *game.GetGameMgr();
    PlayedTable played(player);
    ASSERT_TRUE(player.WaitUntil([&] { return played.HumansTurn(); }, 10000, "the human's turn as it was left"));
    EXPECT_EQ(walk::Seats(table), atQuit.seats);
    EXPECT_DOUBLE_EQ(walk::ChipsAtTheTable(table), atQuit.chips);
    player.Screenshot("the tournament continued");

    OpenTheMenu(player, table);
    player.Click(PlayedTable::kLeaveTournament);
    EXPECT_EQ(ShownModules(game), "set-up");
    ASSERT_TRUE(player.WaitToSee(kContinue)) << "left, the tournament can be continued again";
    player.Click(kBack);
    EXPECT_EQ(ShownModules(game), "start");
}

void DeleteAnn(ScriptedPlayer& player)
{
    player.Click(PlayerLine("Ann"));
    ASSERT_TRUE(player.Sees(kChooser));
    player.Click(kDelete);
    ASSERT_TRUE(player.Sees(kDeletePlayer));
    EXPECT_TRUE(player.Sees(Caption("Ann")));
    player.Screenshot("delete Ann?");
    player.Click(kDelete); // the question's, above the chooser's
    EXPECT_FALSE(player.Sees(kDeletePlayer));
    EXPECT_TRUE(SavedFiles(player).empty());
    ASSERT_TRUE(player.Sees(kNewPlayer)) << "without a player a name is asked for";
    EXPECT_FALSE(player.Sees(Caption("Ann"))) << "the chooser behind it lists nobody";
    EXPECT_FALSE(IsEnabled(kCancel));
    EXPECT_TRUE(ProfileList::IsDefaultProfile(ProfileList::CurrentProfile()));
    player.Screenshot("no player left");
}

} // namespace

TEST(WholeGameWalk, FromTheFirstStartThroughEveryScreenToAResumedTournamentAndBack)
{
    ScriptedPlayer player;
    player.Launch();
    FirstStartMakesAnn(player);
    ChangeEveryOption(player);
    player.Click(kCloseButton);
    ExpectCleanEnd(player);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundVol"), 30u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundEffVol"), 50u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\Speed"), 10u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 1u);
    EXPECT_EQ(SavedFiles(player), std::vector<std::string>{"Ann_.usr"});

    player.Relaunch();
    OptionsAreAsLeft(player);
    const CashScreen cashScreens[] = {
        {kLimit, kGameLimit, "images/game_fon/fon_rules_limit.jpg", "$10/$20", 3, 20.0, 2000.0, 4, kCautious, 1},
        {kPotLimit, kGamePotLimit, "images/game_fon/fon_rules_potlimit.jpg", "$10/$20", 3, 20.0, 2000.0, 2,
         kAggressive, 3},
        {kNoLimit, kGameNoLimit, "images/game_fon/fon_rules_unlimit.jpg", "$10/$20", 3, 20.0, 2000.0, 7, kCautious,
         1},
    };
    for (const CashScreen& screen : cashScreens)
        WalkCashScreen(player, screen, &screen == &cashScreens[0]);
    const TournamentAtQuit atQuit = PlayATournamentAndQuit(player);
    ExpectCleanEnd(player);
    {
        const auto ann = walk::ProfileOnDisk(player, "Ann");
        EXPECT_EQ(ann->limit.tableIndex, 3);
        EXPECT_EQ(ann->limit.players, 4);
        EXPECT_EQ(ann->potLimit.players, 2);
        EXPECT_EQ(ann->noLimit.players, 7);
        EXPECT_EQ(ann->computerStyle, 1u);
        ASSERT_EQ(ann->savedGames.size(), 1u);
        EXPECT_EQ(ann->savedGames[0]->tournamentId, kSitAndGoN);
        EXPECT_EQ(ann->savedGames[0]->current, 1);
    }

    player.Relaunch();
    ContinueTheTournament(player, atQuit);
    DeleteAnn(player);
    player.CloseWindow();
    ExpectCleanEnd(player);
    EXPECT_TRUE(SavedFiles(player).empty()) << "no player is written for the stand-in";
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 0u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\Speed"), 10u);
}
