#include "tests/support/PlayedTable.h"

#include "game/shell/ExitDialog.h"
#include "game/shell/GameImpl.h"
#include "game/shell/MenuDlgImpl.h"
#include "game/shell/OpenDlg.h"
#include "game/shell/OpenRaiseDlg.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/BettingRound.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableDialogs.h"
#include "game/table/TableScreen.h"
#include "platform/window/VirtualKeys.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/ScriptedShell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace walk {

namespace {

constexpr char kSheet[] = "images/player/buttons.png";

} // namespace

const Sight PlayedTable::kActions[6] = {
    Image(kSheet, {0, 0, 78, 37}).Named("Check"), Image(kSheet, {155, 0, 70, 37}).Named("Open"),
    Image(kSheet, {284, 0, 64, 37}).Named("Fold"), Image(kSheet, {224, 0, 60, 37}).Named("Call"),
    Image(kSheet, {78, 0, 76, 37}).Named("Raise"), Image(kSheet, {347, 0, 65, 37}).Named("All-in")};
const char* const PlayedTable::kActionNames[6] = {"check", "open", "fold", "call", "raise", "all-in"};
const Sight PlayedTable::kClose = Caption("Close").Named("Close");
const Sight PlayedTable::kOpenDialog = Image(Gamespace::OpenDlg::kBackground).Named("the open dialog");
const Sight PlayedTable::kRaiseDialog = Image(Gamespace::OpenRaiseDlg::kBackground).Named("the raise dialog");
const Sight PlayedTable::kMenuButton = Image("images/btn_menu.png").Named("the menu button");
const Sight PlayedTable::kLeaveTable =
    Image(Gamespace::MenuDlgImpl::kButtons, {236, 8, 228, 50}).Named("Leave the table");
const Sight PlayedTable::kLeaveTournament =
    Image(Gamespace::MenuDlgImpl::kTournamentLeave, {0, 7, 103, 50}).Named("Leave the tournament");

void PlayedTable::ChooseCashTable(Profile& profile, GameType type, uint16_t players)
{
    profile.gameType = type;
    const TableChoice choice{1, players};
    profile.limit = choice;
    profile.potLimit = choice;
    profile.noLimit = choice;
    for (auto& saved : profile.savedGames)
        saved->current = 0;
}

SavedGame& PlayedTable::EnterTournament(Profile& profile, uint16_t id, uint16_t players, uint32_t level)
{
    SavedGame& saved = testing_support::AddFreshTournament(profile, id, players);
    saved.level = level;
    return saved;
}

Gamespace::GameMgr& PlayedTable::Table() const
{
    return *player_.Game().GetGameMgr();
}

Gamespace::PlayerHuman& PlayedTable::Human() const
{
    return *Table().GetHumanPlayer();
}

void PlayedTable::SitDown()
{
    Gamespace::GameImpl& game = player_.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    ASSERT_TRUE(game.GetSetupRulesMgr().IsActive());
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(Table().IsActive());
    EXPECT_TRUE(player_.Sees(kMenuButton));
    CloseTheDealerDraw();
}

void PlayedTable::CloseTheDealerDraw()
{
    ASSERT_TRUE(
        player_.WaitUntil([&] { return Table().GetDealerSelectDlg()->IsVisible(); }, 20000, "the dealer draw"));
    player_.Screenshot("dealer drawn");
    Dismiss(*Table().GetDealerSelectDlg());
}

bool PlayedTable::HumansTurn() const
{
    for (uint32_t code = 0; code < 6; ++code)
        if (Enabled(code))
            return true;
    return false;
}

bool PlayedTable::Enabled(uint32_t code) const
{
    std::optional<Seen> seen = player_.Find(kActions[code]);
    return seen && seen->enabled;
}

bool PlayedTable::PlayOnToTurnOrResult()
{
    for (int announcements = 0; announcements < 4; ++announcements) {
        const bool moved = player_.WaitUntil(
            [&] { return HumansTurn() || Table().GetFinishDlg()->IsVisible() || Table().GetStageDlg()->IsVisible(); },
            60000, "the human's turn or the end of the hand");
        if (!moved)
            return false;
        if (!Table().GetStageDlg()->IsVisible()) {
            const bool turn = HumansTurn() && !Table().GetFinishDlg()->IsVisible();
            if (turn && !boardPhotographed_ && Table().State().boardStage > 0) {
                boardPhotographed_ = true;
                player_.Screenshot("cards dealt and the board");
            }
            return turn;
        }
        Dismiss(*Table().GetStageDlg());
    }
    ADD_FAILURE() << "more stage announcements than a hand has";
    return false;
}

void PlayedTable::Dismiss(Gamespace::BaseDialog& dialog)
{
    // On the real back end the table may have shown the next announcement
    // by the time the click is done: what the table did when it heard of the
    // close shows that the click took.
    const uint32_t stage = Table().State().boardStage;
    const bool dealer = &dialog == static_cast<Gamespace::BaseDialog*>(Table().GetDealerSelectDlg());
    if (!dealer && !stagePhotographed_) {
        stagePhotographed_ = true;
        player_.Screenshot("stage announcement");
    }
    player_.Click(kClose);
    if (dealer)
        EXPECT_NE(Table().GetTableStateCode(), Gamespace::kTableDealerDraw) << "Close left the dealer draw up";
    else
        EXPECT_GT(Table().State().boardStage, stage) << "Close left the stage announcement up";
}

double PlayedTable::ChipsAtTable() const
{
    // The hand is shown down while its result, the standings or the bankrupt
    // announcement shows.
    const bool settled = Table().GetFinishDlg()->IsVisible() || Table().GetTrnFinishDlg()->IsVisible() ||
                         Table().GetBankruptDlg()->IsVisible();
    double held = 0.0;
    for (Gamespace::PlayerI* seated : Table().GetSeatList())
        if (seated != nullptr)
            held += seated->GetChips() + (settled ? 0.0 : seated->GetHandContribution());
    return held;
}

void PlayedTable::CheckBooks() const
{
    EXPECT_DOUBLE_EQ(ChipsAtTable(), Table().GetChipsBought() - Table().GetChipsRemoved());
}

void PlayedTable::CheckTurn() const
{
    std::vector<uint32_t> legal;
    Human().GetAvailableActions(legal);
    const bool limitCash = Table().State().gameType == kGameLimit;
    for (uint32_t code = 0; code < 6; ++code) {
        const bool listed = std::find(legal.begin(), legal.end(), code) != legal.end();
        EXPECT_EQ(Enabled(code), listed && !(code == Gamespace::kHumanAllIn && limitCash)) << kActionNames[code];
    }
    EXPECT_TRUE(player_.Sees(Caption(Gamespace::SeatDisplay::FormatMoney(Human().GetChips()))))
        << "the human's chips label";
    CheckBooks();
}

void PlayedTable::Act(uint32_t code)
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

void PlayedTable::ActFixed(uint32_t code)
{
    const double unit = Table().GetMinBet() * (Table().State().boardStage > 1 ? 2.0 : 1.0);
    const double call = code == Gamespace::kHumanRaise ? Table().State().currentBet - Human().GetBet() : 0.0;
    const double chips = Human().GetChips();
    const double putIn = Human().GetHandContribution();
    Act(code);
    EXPECT_DOUBLE_EQ(Human().GetHandContribution() - putIn, std::min(call + unit, chips)) << kActionNames[code];
}

void PlayedTable::ActTyped(uint32_t code, uint64_t x, const std::string& shot)
{
    const bool raise = code == Gamespace::kHumanRaise;
    const Sight& dialog = raise ? kRaiseDialog : kOpenDialog;
    const double chips = Human().GetChips();
    const double putIn = Human().GetHandContribution();
    const double bet = Human().GetBet();
    const double current = Table().State().currentBet;
    player_.Click(kActions[code]);
    ASSERT_TRUE(player_.Sees(dialog));
    // The entry offers the minimum bet; what is typed takes its place.
    const std::string start = std::to_string(static_cast<int64_t>(Table().GetMinBet()));
    EXPECT_TRUE(player_.Sees(Caption(start)));
    player_.Type(std::to_string(x));
    EXPECT_TRUE(player_.Sees(Caption(std::to_string(x))));
    if (raise) {
        // Raised to, and what goes in now.
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

void PlayedTable::CancelTyped(uint32_t code)
{
    const double chips = Human().GetChips();
    const Sight& dialog = code == Gamespace::kHumanRaise ? kRaiseDialog : kOpenDialog;
    player_.Click(kActions[code]);
    ASSERT_TRUE(player_.Sees(dialog));
    player_.Type("7");
    // The exit question above it takes Escape alone: the amount dialog
    // beneath stays, and the table plays on.
    player_.CloseWindow();
    ASSERT_TRUE(player_.WaitUntil([&] { return player_.Game().GetExitDialog()->IsVisible(); },
                                  ScriptedPlayer::kPromptMs, "the exit question"));
    player_.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player_.Game().GetExitDialog()->IsVisible());
    EXPECT_TRUE(player_.Sees(dialog)) << "Escape on the exit question also closed the amount dialog";
    EXPECT_FALSE(Table().IsPaused());
    player_.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player_.Sees(kRaiseDialog));
    EXPECT_FALSE(player_.Sees(kOpenDialog));
    EXPECT_TRUE(HumansTurn());
    EXPECT_DOUBLE_EQ(Human().GetChips(), chips);
}

void PlayedTable::FoldToTheResult()
{
    while (PlayOnToTurnOrResult())
        Act(Enabled(Gamespace::kHumanCheck) ? Gamespace::kHumanCheck : Gamespace::kHumanFold);
    ASSERT_TRUE(Table().GetFinishDlg()->IsVisible());
}

void PlayedTable::FinishHand()
{
    ASSERT_TRUE(Table().GetFinishDlg()->IsVisible());
    CheckBooks();
    EXPECT_EQ(Table().Screen()->GetPotText().rfind('$', 0), 0u) << "the pot label shows the pot";
    CloseResult();
    EXPECT_FALSE(Table().GetFinishDlg()->IsVisible());
    ++hands_;
}

void PlayedTable::CloseResult()
{
    for (int page = 0; page < 10 && Table().GetFinishDlg()->IsVisible(); ++page)
        player_.Click(kClose);
}

void PlayedTable::HandHumansChipsToAnOpponent()
{
    Gamespace::BettingRound& money = Table().Betting();
    for (Gamespace::PlayerI* seated : Table().GetSeatList())
        if (seated != nullptr && !seated->IsHuman()) {
            const uint16_t seat = seated->GetSeat();
            money.SetChips(seat, money.Stake(seat).chips + money.Stake(0).chips);
            money.SetChips(0, 0);
            return;
        }
    ADD_FAILURE() << "no opponent left to take the human's chips";
}

bool PlayedTable::RebuyQuestionShown() const
{
    return Human().GetRebuyDialog().IsVisible();
}

bool PlayedTable::NextHandStarts(uint64_t started)
{
    return player_.WaitUntil([&] { return Table().GetHandsStarted() > started; }, 20000, "the next hand");
}

void PlayedTable::LeaveGame()
{
    player_.CloseWindow();
    ASSERT_TRUE(player_.WaitUntil([&] { return player_.Game().GetExitDialog()->IsVisible(); },
                                  ScriptedPlayer::kPromptMs, "the exit question"));
    player_.Press(platform::VK_RETURN);
    EXPECT_TRUE(player_.WaitForExit());
    EXPECT_EQ(player_.Finish(), 0);
}

} // namespace walk
