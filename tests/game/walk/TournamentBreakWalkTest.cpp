// The add-on break at a full tournament table, as a player sees it: the news
// of every purchase, the computers' and the human's, stands beside its seat
// without crossing anything else on the screen; nobody buys a second add-on;
// and the table left in a hand and sat at again lists its players at once.
#include "game/shell/GameImpl.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/TrnPlayersDlgImpl.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/TableDialogs.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using walk::Caption;
using walk::PlayedTable;
using walk::ScriptedPlayer;
using walk::Seen;

// Big game L: $150 for 15000 chips, the add-on offered during level 9.
constexpr uint16_t kBigGameL = 9;
constexpr char kNews[] = "Add-On $150 (15000 chips)";

// Where an object draws. A seat's plate picture leaves its upper half and
// its sides clear (the plate, lit, is 130 x 54 at its foot).
ControlLibrary::Rect Drawn(const Seen& seen)
{
    if (seen.image == "images/player/back.png" || seen.image == "images/player/back_h.png")
        return ControlLibrary::Rect{seen.area.x + 10, seen.area.y + 46, int16_t(seen.area.w - 20),
                                    int16_t(seen.area.h - 46)};
    return seen.area;
}

bool Cross(const ControlLibrary::Rect& a, const ControlLibrary::Rect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// The news of the purchases shown since the watch began, told apart by the
// object that shows them (one a seat), each checked as it first shows to
// cross nothing drawn but the table beneath. A news stands four seconds of
// the table's time, which runs on however slowly the machine lets the walk
// look: a look after every step of the program sees each one.
class NewsWatch {
public:
    explicit NewsWatch(ScriptedPlayer& player) : player_(player)
    {
        player.AfterEachStep([this] { Look(); });
        Look();
    }
    ~NewsWatch() { player_.AfterEachStep(nullptr); }
    NewsWatch(const NewsWatch&) = delete;
    NewsWatch& operator=(const NewsWatch&) = delete;

    size_t Seen() const { return seen_.size(); }

private:
    void Look()
    {
        const std::vector<walk::Seen> screen = walk::LookAtScreen();
        for (const walk::Seen& line : screen) {
            if (line.caption != kNews || !seen_.insert(line.id).second)
                continue;
            EXPECT_TRUE(line.area.x >= 0 && line.area.x + line.area.w <= 1024) << line.Describe();
            for (const walk::Seen& other : screen) {
                const bool beneath = other.id == line.id || other.image == "images/game_fon/redtable.jpg";
                EXPECT_TRUE(beneath || !Cross(line.area, Drawn(other)))
                    << line.Describe() << " crosses " << other.Describe();
            }
        }
    }

    ScriptedPlayer& player_;
    std::set<uint32_t> seen_;
};

} // namespace

TEST(TournamentBreakWalk, AtTheAddOnBreakEachBuysOnceAndTheNewsCrossesNothingThenAResumeListsThePlayers)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    SavedGame& saved = PlayedTable::EnterTournament(AddActiveProfile("Alice"), kBigGameL, 10, 9);
    // Every other opponent is short of the add-on's chips, yet holds more
    // than the hand before the break is likely to take: on the real back
    // end the cards follow the clock, and short stacks of a few bets were
    // once all lost in that one hand, leaving nobody to buy.
    for (size_t i = 0; i < SavedGame::kComputerSeats; ++i)
        saved.seats[i].chips = i % 2 == 0 ? 10000.0 : 20000.0;
    const double pool = saved.totalBuyIns;
    PlayedTable table(player);
    table.SitDown();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    uint64_t started = table.Table().GetHandsStarted();
    {
        NewsWatch news(player);
        table.CloseResult();
        ASSERT_TRUE(player.WaitUntil([&] { return table.RebuyQuestionShown(); }, ScriptedPlayer::kPromptMs,
                                     "the add-on question"));
        const size_t bought = news.Seen();
        EXPECT_GE(bought, 1u) << "the short opponents bought their add-ons";
        player.Screenshot("add-on question with the seat news");
        player.Click(Caption("Yes"));
        EXPECT_EQ(news.Seen(), bought + 1) << "the human's news shows as the opponents' do";
        player.Screenshot("the human's add-on news");
    }

    // The next break asks the human no more; an opponent may buy there the
    // add-on he did not need at the first, but none buys a second (no
    // re-buy is to be had past level 8).
    ASSERT_TRUE(table.NextHandStarts(started));
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    started = table.Table().GetHandsStarted();
    table.FinishHand();
    EXPECT_FALSE(table.RebuyQuestionShown()) << "one add-on a tournament";
    ASSERT_TRUE(table.NextHandStarts(started));
    double addOns = 1; // the human's
    for (const SeatRecord& seat : saved.seats)
        addOns += seat.addOnTaken;
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 150.0 * addOns) << "each add-on bought once";

    // Left at the human's turn and sat at again: the panel lists the
    // players at once. (On the real back end the cards follow the clock's
    // seed: a hand may end before his turn comes, and the next is played.)
    bool turn = false;
    for (int hand = 0; hand < 5 && !turn; ++hand) {
        turn = table.PlayOnToTurnOrResult();
        if (!turn && table.Table().GetFinishDlg()->IsVisible()) {
            started = table.Table().GetHandsStarted();
            table.FinishHand();
            ASSERT_TRUE(table.NextHandStarts(started));
        }
    }
    ASSERT_TRUE(turn);
    player.Click(PlayedTable::kMenuButton);
    player.Click(PlayedTable::kLeaveTournament);
    ASSERT_TRUE(player.Game().GetSetupRulesMgr().IsActive());
    player.Game().GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(table.Table().IsActive());
    auto* panel = dynamic_cast<Gamespace::TrnPlayersDlgImpl*>(table.Table().GetTrnPlayersDlg());
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel->RowText(0), "");
    player.Wait(200);
    player.Screenshot("resumed players panel");
    table.LeaveGame();
}
