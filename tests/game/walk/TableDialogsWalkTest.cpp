// The table's dialogs as a player meets them: the dealer draw announced,
// the tournament's two panels, and the in-game menu with the rules and the
// options above it. After each step the walk checks what the table and the
// dialogs hold, not only what the screen shows.
#include "game/shell/AnnouncementDlgImpl.h"
#include "game/shell/GameImpl.h"
#include "game/shell/ProfileList.h"
#include "game/shell/RulesDlg.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/shell/TrnInfoDlgImpl.h"
#include "game/shell/TrnPlayersDlgImpl.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerI.h"
#include "game/table/TableScreen.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/ScriptedShell.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Gamespace::GameMgr;
using walk::Caption;
using walk::Image;
using walk::ScriptedPlayer;

using walk::sights::kMenu;
using walk::sights::kMenuOptions;
using walk::sights::kOptionsDialog;
using walk::sights::kResume;
using walk::sights::kRules;
using walk::sights::kRulesPage;

const walk::Sight kBanner = Image(Gamespace::AnnouncementPanel::kBackground).Named("the banner");
const walk::Sight& kClose = walk::PlayedTable::kClose;
const walk::Sight kCardBack = Image("images/cards/back2.png").Named("a card's back");
const walk::Sight kPanel = Image(Gamespace::TrnInfoDlgImpl::kBackground).Named("a tournament panel");

// The fastest table: each of its steps waits 100 ms.
ScriptedPlayer& LaunchFast(ScriptedPlayer& player)
{
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    return player;
}

// Through the start and set-up modules to the table (the profile already
// holds the game to play).
GameMgr& SitDown(ScriptedPlayer& player)
{
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    EXPECT_TRUE(game.GetGameMgr()->IsActive());
    return *game.GetGameMgr();
}

// A fresh "Sit & Go N" of eight players.
SavedGame& EnterSitAndGo(Profile& profile)
{
    return testing_support::AddFreshTournament(profile, 2, 8);
}

Gamespace::PlayerI* Dealer(const GameMgr& table)
{
    for (Gamespace::PlayerI* player : table.GetSeatList())
        if (player != nullptr && player->IsDealer())
            return player;
    return nullptr;
}

// A text on the screen begins with `start`.
bool SeesTextStarting(const std::string& start)
{
    for (const walk::Seen& seen : walk::LookAtScreen())
        if (seen.kind == "text" && seen.caption.rfind(start, 0) == 0)
            return true;
    return false;
}

// Closes the dealer draw's banner and waits for the first hand.
void DealTheFirstHand(ScriptedPlayer& player, const GameMgr& table)
{
    ASSERT_TRUE(player.WaitToSee(kBanner));
    player.Click(kClose);
    ASSERT_TRUE(player.WaitUntil([&] { return table.GetHandsStarted() == 1; }, 5000, "the first hand"));
}

// Opens the menu as the menu button at the foot of the table does.
void OpenMenu(ScriptedPlayer& player, GameMgr& table)
{
    table.OnMouseUp(table.Screen()->MenuButtonId(), 1);
    ASSERT_TRUE(player.WaitToSee(kMenu));
}

} // namespace

TEST(TableDialogsWalk, TheDealerDrawIsAnnouncedAndItsCloseDealsTheFirstHand)
{
    ScriptedPlayer player;
    LaunchFast(player);
    AddActiveProfile("Ann");
    GameMgr& table = SitDown(player);

    ASSERT_TRUE(player.WaitToSee(kBanner));
    EXPECT_EQ(table.GetTableStateCode(), Gamespace::kTableDealerDraw);
    Gamespace::PlayerI* dealer = Dealer(table);
    ASSERT_NE(dealer, nullptr);
    EXPECT_TRUE(player.Sees(Caption(dealer->GetName() + " is the dealer.")));
    // Every card of the draw lies face up, the computers' too.
    EXPECT_FALSE(player.Sees(kCardBack));
    player.Screenshot("the dealer draw");
    // The banner leaves the table working beneath it, and nothing is dealt
    // while it shows.
    player.Wait(2000);
    EXPECT_EQ(table.GetHandsStarted(), 0u);

    player.Click(kClose);
    EXPECT_FALSE(player.Sees(kBanner));
    ASSERT_TRUE(player.WaitUntil([&] { return table.GetHandsStarted() == 1; }, 5000, "the first hand"));
    EXPECT_TRUE(dealer->IsDealer());
    // In the hand the computers' cards are dealt face down.
    EXPECT_TRUE(player.WaitToSee(kCardBack));
    player.CloseWindow();
}

TEST(TableDialogsWalk, TheTournamentPanelsShowTheTournamentAndItsLeaders)
{
    ScriptedPlayer player;
    LaunchFast(player);
    EnterSitAndGo(AddActiveProfile("Ann"));
    GameMgr& table = SitDown(player);
    ASSERT_TRUE(player.WaitToSee(kBanner));
    // The information panel: the tournament, its first level and the
    // eight buy-ins of $50 in the prize pool.
    for (const char* shown : {"Sit & Go N", "Min bet: ", "$10", "Level: ", "1", "Level time: ", "1:0",
                              "Total pot: ", "$400", "Players"})
        EXPECT_TRUE(player.Sees(Caption(shown))) << shown;
    // The players panel fills with the hand's leaders, names first.
    DealTheFirstHand(player, table);
    EXPECT_TRUE(player.Sees(Caption("1.   Ann")));
    player.Screenshot("the tournament panels");
    // Five seconds on, the same rows show the chips, and the level clock
    // has run on.
    EXPECT_TRUE(player.WaitUntil([&] { return SeesTextStarting("1.     $"); },
                                 Gamespace::TrnPlayersDlgImpl::kSwitchMs + ScriptedPlayer::kPromptMs, "the chips"));
    EXPECT_FALSE(SeesTextStarting("1.   Ann"));
    EXPECT_FALSE(player.Sees(Caption("1:0")));
    player.Screenshot("the tournament panels with chips");
    player.CloseWindow();
}

TEST(TableDialogsWalk, TheMenuPausesTheTableAndItsRulesAndOptionsOpenAboveIt)
{
    ScriptedPlayer player;
    LaunchFast(player);
    AddActiveProfile("Ann");
    GameMgr& table = SitDown(player);
    DealTheFirstHand(player, table);

    OpenMenu(player, table);
    EXPECT_TRUE(table.IsPaused());
    for (const walk::Sight& button : {kResume, kRules, kMenuOptions})
        EXPECT_TRUE(player.Sees(button)) << button.Describe();
    player.Screenshot("the menu");

    player.Click(kRules);
    ASSERT_TRUE(player.WaitToSee(kRulesPage));
    EXPECT_TRUE(player.Sees(Caption(Gamespace::RulesDlg::kTitle)));
    player.Screenshot("the rules above the menu");
    player.Click(walk::sights::kOk);
    EXPECT_FALSE(player.Sees(kRulesPage));
    EXPECT_TRUE(player.Sees(kMenu));

    player.Click(kMenuOptions);
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    player.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player.Sees(kOptionsDialog));
    EXPECT_TRUE(player.Sees(kMenu));
    EXPECT_TRUE(table.IsPaused());

    player.Click(kResume);
    EXPECT_FALSE(player.Sees(kMenu));
    EXPECT_FALSE(table.IsPaused());
    EXPECT_TRUE(table.IsActive());
    player.CloseWindow();
}

TEST(TableDialogsWalk, WhileTheMenuIsOpenTheTournamentPanelsHoldStill)
{
    ScriptedPlayer player;
    LaunchFast(player);
    EnterSitAndGo(AddActiveProfile("Ann"));
    GameMgr& table = SitDown(player);
    DealTheFirstHand(player, table);
    ASSERT_TRUE(player.Sees(Caption("1.   Ann")));

    // The names stay, and the level clock with them, however long the
    // player reads the menu.
    OpenMenu(player, table);
    const uint32_t clock = table.GetLevelSecondsLeft();
    player.Wait(3 * Gamespace::TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_TRUE(player.Sees(Caption("1.   Ann")));
    EXPECT_FALSE(SeesTextStarting("1.     $"));
    EXPECT_EQ(table.GetLevelSecondsLeft(), clock);
    player.Screenshot("the menu over the held panels");

    // Resumed, they switch again.
    player.Click(kResume);
    EXPECT_TRUE(player.WaitUntil([&] { return SeesTextStarting("1.     $"); },
                                 Gamespace::TrnPlayersDlgImpl::kSwitchMs + ScriptedPlayer::kPromptMs, "the chips"));
    player.CloseWindow();
}
