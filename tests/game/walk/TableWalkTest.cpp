// Whole hands at the table, played as a person plays them: the action strip
// clicked on the human's turns, amounts typed into the open and raise
// dialogs, the announcements and the hand result closed, the menu opened;
// and in a tournament the re-buy and add-on questions answered by mouse and
// keyboard. After every step the walk checks what the table holds (chips,
// bets, pots, the books of every chip bought) and which dialogs show.
#include "game/shell/ExitDialog.h"
#include "game/shell/GameImpl.h"
#include "game/shell/OpenDlg.h"
#include "game/shell/OpenRaiseDlg.h"
#include "game/shell/ProfileList.h"
#include "game/shell/RebuyAddonDlgImpl.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableDialogs.h"
#include "game/table/TableScreen.h"
#include "platform/window/VirtualKeys.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/ScriptedShell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Gamespace::GameMgr;
using Gamespace::PlayerI;
using walk::Caption;
using walk::Image;
using walk::ScriptedPlayer;
using walk::Sight;

constexpr char kSheet[] = "images/player/buttons.png";
// The strip's buttons, by the human's action code.
const Sight kActions[] = {
    Image(kSheet, {0, 0, 78, 37}).Named("Check"), Image(kSheet, {155, 0, 70, 37}).Named("Open"),
    Image(kSheet, {284, 0, 64, 37}).Named("Fold"), Image(kSheet, {224, 0, 60, 37}).Named("Call"),
    Image(kSheet, {78, 0, 76, 37}).Named("Raise"), Image(kSheet, {347, 0, 65, 37}).Named("All-in")};
const char* const kActionNames[] = {"check", "open", "fold", "call", "raise", "all-in"};
const Sight kClose = Caption("Close").Named("Close");
const Sight kOpenDialog = Image(Gamespace::OpenDlg::kBackground).Named("the open dialog");
const Sight kRaiseDialog = Image(Gamespace::OpenRaiseDlg::kBackground).Named("the raise dialog");
const Sight kRebuyQuestion = Image(Gamespace::RebuyAddonDlgImpl::kBackground).Named("the re-buy question");
const Sight kMenuButton = Image("images/btn_menu.png").Named("the menu button");

// A table played through the screen.
class PlayedTable {
public:
    explicit PlayedTable(ScriptedPlayer& player) : player_(player) {}

    GameMgr& Table() const { return *player_.Game().GetGameMgr(); }
    PlayerI& Human() const { return *Table().GetPlayer(0); }

    // A profile of our own, made current, with the stage announcements on.
    static Profile& MakeProfile()
    {
        auto* alice = new Profile;
        alice->name = "Alice";
        ProfileList::Instance()->Add(alice);
        alice->SetActive(true);
        return *alice;
    }
    static void ChooseCashTable(Profile& profile, GameType type, uint16_t players)
    {
        profile.gameType = type;
        const TableChoice choice{1, players}; // $4 minimum bet, $400 buy-in
        profile.limit = choice;
        profile.potLimit = choice;
        profile.noLimit = choice;
        for (auto& saved : profile.savedGames)
            saved->current = 0;
    }

    // Through the module flow to the table (the start and set-up screens
    // have walks of their own), and on to the first hand.
    void SitDown()
    {
        Gamespace::GameImpl& game = player_.Game();
        game.OnModuleDone(Gamespace::StartMgr::kModuleId);
        ASSERT_TRUE(game.GetSetupRulesMgr().IsActive());
        game.GetSetupRulesMgr().OnSetupDone(0);
        ASSERT_TRUE(Table().IsActive());
        EXPECT_TRUE(player_.Sees(kMenuButton));
        ASSERT_TRUE(player_.WaitUntil([&] { return Table().GetDealerSelectDlg()->IsVisible(); }, 20000,
                                      "the dealer draw"));
        player_.Screenshot("dealer drawn");
        Dismiss(*Table().GetDealerSelectDlg());
    }

    // Any button of the strip enabled.
    bool HumansTurn() const
    {
        return std::any_of(std::begin(kActions), std::end(kActions), [&](const Sight& sight) {
            std::optional<walk::Seen> seen = player_.Find(sight);
            return seen && seen->enabled;
        });
    }
    bool Enabled(uint32_t code) const
    {
        std::optional<walk::Seen> seen = player_.Find(kActions[code]);
        return seen && seen->enabled;
    }

    // Plays on until the human's turn (true) or the hand result (false),
    // closing the stage announcements on the way.
    bool PlayOnToTurnOrResult()
    {
        for (int announcements = 0; announcements < 4; ++announcements) {
            const bool moved = player_.WaitUntil(
                [&] {
                    return HumansTurn() || Table().GetFinishDlg()->IsVisible() || Table().GetStageDlg()->IsVisible();
                },
                60000, "the human's turn or the end of the hand");
            if (!moved)
                return false;
            if (!Table().GetStageDlg()->IsVisible())
                return HumansTurn() && !Table().GetFinishDlg()->IsVisible();
            Dismiss(*Table().GetStageDlg());
        }
        ADD_FAILURE() << "more stage announcements than a hand has";
        return false;
    }

    // Closes an announcement. (On the real back end the table may have shown
    // the next one by the time the click is done: what the table did when it
    // heard of the close is what shows that the click took.)
    void Dismiss(Gamespace::BaseDialog& dialog)
    {
        const uint32_t stage = Table().State().boardStage;
        const bool dealer = &dialog == static_cast<Gamespace::BaseDialog*>(Table().GetDealerSelectDlg());
        player_.Click(kClose);
        if (dealer)
            EXPECT_NE(Table().GetTableStateCode(), Gamespace::kTableDealerDraw) << "Close left the dealer draw up";
        else
            EXPECT_GT(Table().State().boardStage, stage) << "Close left the stage announcement up";
    }

    // Every chip bought is in front of a player or in this hand's bets (once
    // the hand is shown down, in front of a player).
    void CheckBooks() const
    {
        const bool settled = Table().GetFinishDlg()->IsVisible();
        double held = 0.0;
        for (PlayerI* seated : Table().GetSeatList())
            if (seated != nullptr)
                held += seated->GetChips() + (settled ? 0.0 : seated->GetHandContribution());
        EXPECT_DOUBLE_EQ(held, Table().GetChipsBought() - Table().GetChipsRemoved());
    }

    // At the human's turn: the buttons of the legal actions are enabled (all-in
    // but at a limit cash table), the seat shows the human's chips.
    void CheckTurn() const
    {
        std::vector<uint32_t> legal;
        dynamic_cast<Gamespace::PlayerHuman&>(Human()).GetAvailableActions(legal);
        for (uint32_t code = 0; code < 6; ++code) {
            bool expected = std::find(legal.begin(), legal.end(), code) != legal.end();
            if (code == Gamespace::kHumanAllIn && ProfileList::CurrentProfile()->gameType == kGameLimit)
                expected = false;
            EXPECT_EQ(Enabled(code), expected) << kActionNames[code];
        }
        EXPECT_TRUE(player_.Sees(Caption(Gamespace::SeatDisplay::FormatMoney(Human().GetChips()))))
            << "the human's chips label";
        CheckBooks();
    }

    // One click on the strip; the chips the human puts in go into the hand.
    // (What he put in is checked, not his chips: on the real back end the
    // hand may be over and paid by the time the click is done.)
    void Act(uint32_t code)
    {
        const double chips = Human().GetChips();
        const double putIn = Human().GetHandContribution();
        const double toCall = Table().State().currentBet - Human().GetBet();
        player_.Click(kActions[code]);
        done_.insert(code);
        const double moved = Human().GetHandContribution() - putIn;
        switch (code) {
        case Gamespace::kHumanCheck:
            EXPECT_DOUBLE_EQ(moved, 0.0);
            break;
        case Gamespace::kHumanCall:
            EXPECT_DOUBLE_EQ(moved, std::min(toCall, chips));
            break;
        case Gamespace::kHumanFold:
            EXPECT_DOUBLE_EQ(moved, 0.0);
            EXPECT_FALSE(Human().IsInHand());
            break;
        case Gamespace::kHumanAllIn:
            EXPECT_DOUBLE_EQ(moved, chips);
            EXPECT_TRUE(Human().IsAllIn());
            break;
        default:
            break;
        }
        CheckBooks();
    }

    // Open or raise at a limit table: one unit, doubled from the turn on,
    // and for a raise the call before it.
    void ActFixed(uint32_t code)
    {
        const double unit = Table().GetMinBet() * (Table().State().boardStage > 1 ? 2.0 : 1.0);
        const double expected = (code == Gamespace::kHumanRaise ? Table().State().currentBet - Human().GetBet() : 0.0) +
                                unit;
        const double chips = Human().GetChips();
        const double putIn = Human().GetHandContribution();
        Act(code);
        EXPECT_DOUBLE_EQ(Human().GetHandContribution() - putIn, std::min(expected, chips)) << kActionNames[code];
    }

    // Open or raise with an amount typed into its dialog: `x` is the bet of
    // an open, or by how much a raise raises.
    void ActTyped(uint32_t code, uint64_t x, const std::string& shot = "")
    {
        const bool raise = code == Gamespace::kHumanRaise;
        const Sight& dialog = raise ? kRaiseDialog : kOpenDialog;
        const double chips = Human().GetChips();
        const double putIn = Human().GetHandContribution();
        const double bet = Human().GetBet();
        const double current = Table().State().currentBet;
        player_.Click(kActions[code]);
        ASSERT_TRUE(player_.Sees(dialog));
        // The entry starts at the minimum bet.
        const std::string start = std::to_string(static_cast<int64_t>(Table().GetMinBet()));
        EXPECT_TRUE(player_.Sees(Caption(start)));
        for (size_t i = 0; i < start.size(); ++i)
            player_.Press(platform::VK_BACK);
        player_.Type(std::to_string(x));
        if (raise) {
            // The labels: the table's bet, raised to, own bet, to put in.
            EXPECT_TRUE(player_.Sees(Caption(std::to_string(static_cast<int64_t>(current + x)))));
            EXPECT_TRUE(player_.Sees(Caption(std::to_string(static_cast<int64_t>(current + x - bet)))));
        }
        if (!shot.empty())
            player_.Screenshot(shot);
        player_.Click(Caption(raise ? "Raise" : "Ok"));
        EXPECT_FALSE(player_.Sees(dialog));
        done_.insert(code);
        const double expected = raise ? current + x - bet : x + current;
        EXPECT_DOUBLE_EQ(Human().GetHandContribution() - putIn, std::min(expected, chips));
        CheckBooks();
    }

    // The amount dialog closed with Escape: nothing happens, the turn stays.
    void CancelTyped(uint32_t code)
    {
        const double chips = Human().GetChips();
        player_.Click(kActions[code]);
        ASSERT_TRUE(player_.Sees(code == Gamespace::kHumanRaise ? kRaiseDialog : kOpenDialog));
        player_.Type("7");
        player_.Press(platform::VK_ESCAPE);
        EXPECT_FALSE(player_.Sees(kRaiseDialog));
        EXPECT_FALSE(player_.Sees(kOpenDialog));
        EXPECT_TRUE(HumansTurn());
        EXPECT_DOUBLE_EQ(Human().GetChips(), chips);
    }

    // The hand result is up: the books balance, and Close (or Return) pages
    // through the pots until the dialog goes; the next hand comes.
    void FinishHand()
    {
        ASSERT_TRUE(Table().GetFinishDlg()->IsVisible());
        CheckBooks();
        EXPECT_TRUE(Table().Screen()->GetPotText().rfind('$', 0) == 0) << "the pot label shows the pot";
        const uint64_t shown = Table().GetHandsShownDown();
        for (int page = 0; page < 10 && Table().GetFinishDlg()->IsVisible(); ++page)
            player_.Click(kClose);
        EXPECT_FALSE(Table().GetFinishDlg()->IsVisible());
        EXPECT_EQ(Table().GetHandsShownDown(), shown);
        ++hands_;
    }

    const std::set<uint32_t>& Done() const { return done_; }
    int Hands() const { return hands_; }

private:
    ScriptedPlayer& player_;
    std::set<uint32_t> done_;
    int hands_ = 0;
};

// Plays hands of one cash table until each of `wanted` was done once (the
// opponents decide for themselves, so a hand may end before all are); each
// turn takes the first wanted action not yet done that is open, else checks
// or calls. Raises and opens are typed in pot-limit and no-limit games.
void PlayHandsDoing(ScriptedPlayer& player, PlayedTable& walk, const std::vector<uint32_t>& wanted, bool typed,
                    int maxHands)
{
    auto missing = [&] {
        return std::any_of(wanted.begin(), wanted.end(), [&](uint32_t code) { return walk.Done().count(code) == 0; });
    };
    bool cancelled = false;
    while (missing() && walk.Hands() < maxHands && !::testing::Test::HasFatalFailure()) {
        while (walk.PlayOnToTurnOrResult()) {
            walk.CheckTurn();
            uint32_t code = walk.Enabled(Gamespace::kHumanCheck) ? Gamespace::kHumanCheck : Gamespace::kHumanCall;
            for (uint32_t want : wanted)
                if (walk.Done().count(want) == 0 && walk.Enabled(want)) {
                    code = want;
                    break;
                }
            const bool amount = code == Gamespace::kHumanOpen || code == Gamespace::kHumanRaise;
            if (amount && typed) {
                if (!cancelled) {
                    walk.CancelTyped(code);
                    cancelled = true;
                }
                const double minBet = walk.Table().GetMinBet();
                walk.ActTyped(code, static_cast<uint64_t>(3 * minBet),
                              code == Gamespace::kHumanRaise ? "raise typed" : "open typed");
            } else if (amount) {
                walk.ActFixed(code);
            } else {
                walk.Act(code);
            }
        }
        if (::testing::Test::HasFatalFailure())
            return;
        player.Screenshot("hand result");
        walk.FinishHand();
    }
    for (uint32_t code : wanted)
        EXPECT_EQ(walk.Done().count(code), 1u) << kActionNames[code] << " was never played in " << maxHands
                                               << " hands";
}

void LeaveGame(ScriptedPlayer& player)
{
    player.CloseWindow();
    ASSERT_TRUE(player.WaitUntil([&] { return player.Game().GetExitDialog()->IsVisible(); }, ScriptedPlayer::kPromptMs,
                                 "the exit question"));
    player.Press(platform::VK_RETURN);
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

// A program at the fastest game speed, on its start screen.
class TableWalk : public ::testing::Test {
protected:
    TableWalk() : walk(player)
    {
        player.WriteRegistryNumber("Options\\Speed", 10);
        player.Launch();
    }
    // A cash table of `players` seats of `type`, played until each of
    // `wanted` was done; then the game is left.
    void PlayCashTable(GameType type, uint16_t players, const std::vector<uint32_t>& wanted)
    {
        PlayedTable::ChooseCashTable(PlayedTable::MakeProfile(), type, players);
        walk.SitDown();
        PlayHandsDoing(player, walk, wanted, type != kGameLimit, 8);
        LeaveGame(player);
    }

    ScriptedPlayer player;
    PlayedTable walk;
};

TEST_F(TableWalk, ALimitHandIsCheckedCalledOpenedAndRaisedOneUnitAtATime)
{
    PlayCashTable(kGameLimit, 4,
                  {Gamespace::kHumanCheck, Gamespace::kHumanOpen, Gamespace::kHumanCall, Gamespace::kHumanRaise});
}

TEST_F(TableWalk, PotLimitAmountsAreTypedAndAHandIsFolded)
{
    PlayCashTable(kGamePotLimit, 3, {Gamespace::kHumanRaise, Gamespace::kHumanOpen, Gamespace::kHumanFold});
}

TEST_F(TableWalk, ANoLimitHandAtAFullTableIsCalledThenPlayedAllIn)
{
    PlayedTable::ChooseCashTable(PlayedTable::MakeProfile(), kGameNoLimit, 10);
    walk.SitDown();
    ASSERT_TRUE(walk.PlayOnToTurnOrResult());
    EXPECT_EQ(walk.Table().GetSeatList().size(), 10u);
    player.Screenshot("seats at the deal");

    // The menu pauses the table; closing it plays on.
    player.Click(kMenuButton);
    EXPECT_TRUE(walk.Table().GetMenuDlg()->IsVisible());
    EXPECT_TRUE(walk.Table().IsPaused());
    walk.Table().GetMenuDlg()->Show(false);
    EXPECT_FALSE(walk.Table().IsPaused());

    PlayHandsDoing(player, walk, {Gamespace::kHumanCall, Gamespace::kHumanAllIn}, true, 8);
    LeaveGame(player);
}

// A tournament at its start, or at the level before its add-on.
SavedGame& EnterTournament(uint16_t id, uint32_t level)
{
    Profile& alice = PlayedTable::MakeProfile();
    SavedGame& saved = testing_support::AddFreshTournament(alice, id, 5);
    saved.level = level;
    return saved;
}

// Plays one hand folding at every turn, up to its result.
void FoldToTheResult(ScriptedPlayer& player, PlayedTable& walk)
{
    while (walk.PlayOnToTurnOrResult())
        walk.Act(walk.Enabled(Gamespace::kHumanCheck) ? Gamespace::kHumanCheck : Gamespace::kHumanFold);
    ASSERT_TRUE(walk.Table().GetFinishDlg()->IsVisible());
    player.Screenshot("tournament hand result");
}

TEST_F(TableWalk, AHumanOutOfChipsIsAskedToReBuyAndReturnBuysTheChips)
{
    SavedGame& saved = EnterTournament(3, 1); // Big game N: $150 for 22500 chips
    walk.SitDown();
    FoldToTheResult(player, walk);
    // The human has lost everything (a tool puts him there at once).
    walk.Table().Betting().SetChips(0, 0);
    const double pool = saved.totalBuyIns;
    player.Click(kClose);
    ASSERT_TRUE(player.WaitToSee(kRebuyQuestion));
    EXPECT_TRUE(player.Sees(Caption("Re-Buy 22500 chips for $150?")));
    player.Screenshot("re-buy question");
    const uint64_t started = walk.Table().GetHandsStarted();
    player.Wait(1500);
    EXPECT_EQ(walk.Table().GetHandsStarted(), started) << "the next hand waits for the answer";

    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(player.Sees(kRebuyQuestion));
    EXPECT_DOUBLE_EQ(walk.Human().GetChips(), 22500.0);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 150.0);
    EXPECT_EQ(saved.rebuysTaken, 1u);
    ASSERT_TRUE(player.WaitUntil([&] { return walk.Table().GetHandsStarted() > started; }, 20000, "the next hand"));
    EXPECT_FALSE(player.Sees(kRebuyQuestion)) << "asked once";
    LeaveGame(player);
}

TEST_F(TableWalk, TheLevelBeforeTheAddOnAsksAfterEveryHandYesBuysAndEscapeDeclines)
{
    SavedGame& saved = EnterTournament(3, 14); // the add-on comes at level 15
    walk.SitDown();
    FoldToTheResult(player, walk);
    const double chips = walk.Human().GetChips();
    player.Click(kClose);
    ASSERT_TRUE(player.WaitToSee(kRebuyQuestion));
    // The computers short of an add-on's chips have bought theirs already.
    const double pool = saved.totalBuyIns;
    EXPECT_TRUE(player.Sees(Caption("Add-On 22500 chips for $150?")));
    player.Screenshot("add-on question");
    player.Click(Caption("Yes"));
    EXPECT_FALSE(player.Sees(kRebuyQuestion));
    EXPECT_DOUBLE_EQ(walk.Human().GetChips(), chips + 22500.0);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 150.0);
    EXPECT_DOUBLE_EQ(saved.buyIn, 300.0);

    FoldToTheResult(player, walk);
    const double before = walk.Human().GetChips();
    player.Click(kClose);
    ASSERT_TRUE(player.WaitToSee(kRebuyQuestion));
    const uint64_t started = walk.Table().GetHandsStarted();
    player.Press(platform::VK_ESCAPE);
    EXPECT_DOUBLE_EQ(walk.Human().GetChips(), before);
    ASSERT_TRUE(player.WaitUntil([&] { return walk.Table().GetHandsStarted() > started; }, 20000,
                                 "the next hand after a declined add-on"));
    LeaveGame(player);
}

} // namespace
