// A tournament left in the middle of a betting round and sat down at again:
// the round goes on as it would have. The human is offered the same actions
// for the same amounts, the players who had acted are not asked again, the
// big blind keeps his option, and a round that was over stays over.
#include "game/table/PlayerHuman.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <random>

namespace Gamespace {
namespace {

using testing_support::TableHarness;

// What the human's action strip offers and the figures it shows with it.
struct Offer {
    std::vector<uint32_t> actions;
    double chips = 0.0;
    double bet = 0.0;
    double currentBet = 0.0;
    double roundPot = 0.0;
    double totalPot = 0.0;
    uint16_t stage = 0;
    bool operator==(const Offer&) const = default;
};

void PrintTo(const Offer& offer, std::ostream* out)
{
    *out << "actions";
    for (uint32_t action : offer.actions)
        *out << " " << action;
    *out << ", chips " << offer.chips << ", bet " << offer.bet << ", to match " << offer.currentBet << ", round pot "
         << offer.roundPot << ", pot " << offer.totalPot << ", stage " << offer.stage;
}

Offer Offered(HumanActionMessageObserver& human)
{
    Offer offer;
    human.GetAvailableActions(offer.actions);
    offer.chips = human.GetChips();
    offer.bet = human.GetBet();
    offer.currentBet = human.GetCurrentBet();
    offer.roundPot = human.GetRoundPot();
    offer.totalPot = human.GetTotalPot();
    offer.stage = human.GetBoardStage();
    return offer;
}

// One seat's place in the round. Whether a player out of the betting
// (folded or all-in) has acted decides nothing, and a folded bet is in the
// pot already, so neither is compared.
struct SeatStanding {
    uint16_t seat = 0;
    double chips = 0.0;
    double bet = 0.0;
    bool inHand = false;
    bool allIn = false;
    bool acted = false;
    bool option = false;
    bool operator==(const SeatStanding&) const = default;
};

struct Standing {
    std::vector<SeatStanding> seats;
    uint32_t stage = 0;
    bool betMade = false;
    double currentBet = 0.0;
    double totalPot = 0.0;
    bool operator==(const Standing&) const = default;
};

void PrintTo(const Standing& standing, std::ostream* out)
{
    *out << "stage " << standing.stage << (standing.betMade ? ", bet made " : ", no bet ") << standing.currentBet
         << ", pot " << standing.totalPot;
    for (const SeatStanding& seat : standing.seats)
        *out << "\n  seat " << seat.seat << ": chips " << seat.chips << ", bet " << seat.bet
             << (seat.inHand ? " in hand" : " out") << (seat.allIn ? " all-in" : "") << (seat.acted ? " acted" : "")
             << (seat.option ? " big blind's option" : "");
}

Standing StandingOf(GameMgr& table)
{
    Standing standing;
    for (PlayerI* player : table.GetSeatList()) {
        if (player == nullptr)
            continue;
        const SeatStake& stake = table.Betting().Stake(player->GetSeat());
        bool live = stake.inHand && !stake.allIn;
        standing.seats.push_back(SeatStanding{player->GetSeat(), stake.chips, stake.inHand ? stake.bet : 0.0,
                                              stake.inHand, stake.allIn,
                                              live && stake.acted, stake.bigBlindPending});
    }
    TableState state = table.State();
    standing.stage = state.boardStage;
    standing.betMade = state.betMade != 0;
    standing.currentBet = state.currentBet;
    standing.totalPot = state.totalPot;
    return standing;
}

bool HumansTurn(const TableHarness& harness)
{
    return harness.shell.humanAction != nullptr && harness.shell.humanAction->actionsShown;
}

HumanActionMessageObserver& Human(const TableHarness& harness)
{
    return *harness.shell.humanAction->player;
}

void LeaveAndComeBack(TableHarness& harness)
{
    harness.table->Hide();
    harness.table->Show();
}

// Every other player still in the betting has acted and matched the bet.
bool OnlyTheHumanIsStillToAct(GameMgr& table)
{
    for (PlayerI* player : table.GetSeatList()) {
        if (player == nullptr || player->IsHuman() || !player->IsInHand() || player->IsAllIn())
            continue;
        if (!player->HasActed() || player->GetBet() != table.State().currentBet)
            return false;
    }
    return true;
}

// Plays a tournament of `players` until `spot` holds at the human's turn;
// elsewhere the human plays as `otherwise` says. Then leaves the table and
// sits down again, and plays on to the human's turn.
class ResumedAtTheHumansTurn {
public:
    ResumedAtTheHumansTurn(uint32_t seed, uint16_t players, std::function<bool(GameMgr&)> spot,
                           std::function<void(HumanActionMessageObserver&)> otherwise)
        : harness(seed)
    {
        harness.UseTournament(2, players);
        harness.humanPolicy = [this, spot, otherwise](HumanActionMessageObserver& human) {
            if (!spot(*harness.table))
                otherwise(human);
        };
        harness.Start();
        found = harness.RunUntil([&] { return HumansTurn(harness) && spot(*harness.table); });
        if (!found)
            return;
        left = Offered(Human(harness));
        standing = StandingOf(*harness.table);
        LeaveAndComeBack(harness);
        backToTheHuman = harness.RunUntil([&] { return HumansTurn(harness); });
    }

    TableHarness harness;
    bool found = false;
    bool backToTheHuman = false;
    Offer left;
    Standing standing;
};

TEST(ResumedRound, TheBigBlindLeftWithHisOptionIsOfferedTheCheckAgainAndHisCheckEndsTheRound)
{
    auto option = [](GameMgr& table) {
        PlayerI& human = *table.GetPlayer(0);
        return table.State().boardStage == 0 && human.IsBigBlindPending() &&
               human.GetBet() == table.State().currentBet;
    };
    auto fold = [](HumanActionMessageObserver& human) { human.PerformHumanAction(kHumanFold, 0.0); };
    for (uint32_t seed : {3u, 4u}) {
        ResumedAtTheHumansTurn game(seed, 6, option, fold);
        ASSERT_TRUE(game.found && game.backToTheHuman) << seed;
        EXPECT_EQ(game.left.actions, (std::vector<uint32_t>{kHumanFold, kHumanCheck, kHumanRaise, kHumanAllIn}));
        EXPECT_EQ(Offered(Human(game.harness)), game.left) << seed;
        EXPECT_EQ(StandingOf(*game.harness.table), game.standing) << seed;
        Human(game.harness).PerformHumanAction(kHumanCheck, 0.0);
        EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete) << seed;
    }
}

TEST(ResumedRound, AfterTheFlopThoseWhoCheckedBeforeTheHumanLeftAreNotAskedAgain)
{
    auto lastToCheck = [](GameMgr& table) {
        return table.State().boardStage >= 1 && table.State().betMade == 0 && OnlyTheHumanIsStillToAct(table);
    };
    ResumedAtTheHumansTurn game(5, 6, lastToCheck, TableHarness::CallOrCheck);
    ASSERT_TRUE(game.found && game.backToTheHuman);
    EXPECT_EQ(game.left.actions, (std::vector<uint32_t>{kHumanCheck, kHumanOpen, kHumanFold, kHumanAllIn}));
    EXPECT_EQ(Offered(Human(game.harness)), game.left);
    EXPECT_EQ(StandingOf(*game.harness.table), game.standing);
    Human(game.harness).PerformHumanAction(kHumanCheck, 0.0);
    EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete);
}

TEST(ResumedRound, TheHumanFacingABetEveryoneElseMatchedClosesTheRoundWithHisCall)
{
    auto facing = [](GameMgr& table) {
        PlayerI& human = *table.GetPlayer(0);
        return human.GetBet() < table.State().currentBet && human.GetChips() + human.GetBet() > table.State().currentBet &&
               OnlyTheHumanIsStillToAct(table);
    };
    ResumedAtTheHumansTurn game(6, 6, facing, TableHarness::CallOrCheck);
    ASSERT_TRUE(game.found && game.backToTheHuman);
    EXPECT_EQ(Offered(Human(game.harness)), game.left);
    EXPECT_EQ(StandingOf(*game.harness.table), game.standing);
    Human(game.harness).PerformHumanAction(kHumanCall, 0.0);
    EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete);
}

// The round as the table was left.
struct LeftAt {
    RoundStatus status;
    Standing standing;
    bool humansTurn;
    Offer offer;
};

// Leaves the table now and sits down again.
LeftAt LeaveAndComeBackNow(TableHarness& harness)
{
    GameMgr& table = *harness.table;
    LeftAt left{table.Betting().Status(), StandingOf(table), HumansTurn(harness), {}};
    if (left.humansTurn)
        left.offer = Offered(Human(harness));
    LeaveAndComeBack(harness);
    return left;
}

bool InTheBetting(const TableHarness& harness)
{
    const testing_support::ScriptedShell& shell = harness.shell;
    return harness.table->GetTableStateCode() == kTableBetting && !shell.finish->IsVisible() &&
           !shell.stage->IsVisible() && (shell.rebuy == nullptr || !shell.rebuy->IsVisible()) &&
           !shell.trnFinish->IsVisible();
}

// Every chip of the tournament: in front of the players and, until the hand
// is shown down and paid, in the hand.
double ChipsAndPot(const TableHarness& harness)
{
    GameMgr& table = *harness.table;
    bool paid = harness.shell.finish->IsVisible();
    double sum = paid ? 0.0 : table.Betting().TotalPot();
    for (PlayerI* player : table.GetSeatList())
        if (player != nullptr)
            sum += player->GetChips() + (!paid && player->IsInHand() ? player->GetBet() : 0.0);
    return sum;
}

// Whatever the moment of the betting the table is left at, the round comes
// back standing as it stood: the same bets, the same players in it, the
// same players still to act, the same big blind's option, the same offer to
// the human. A round whose betting was over (its last action made, its next
// stage not yet come) comes back over: its next stage follows (announced or
// not), or after the river the showdown, with nobody asked to act again.
TEST(ResumedRound, ARoundLeftAtAnyMomentOfItsBettingComesBackAsItStood)
{
    int awaiting = 0;
    int over = 0;
    for (uint32_t seed : {21u, 22u, 23u, 24u}) {
        TableHarness harness(seed);
        harness.UseTournament(seed % 2 == 0 ? 2 : 8, 8);
        harness.shell.profile.announceStages = seed < 23 ? 1 : 0;
        harness.Start();
        std::mt19937 moments(seed);
        while (harness.table->GetHandsShownDown() < 30) {
            ASSERT_TRUE(harness.Step());
            if (!InTheBetting(harness) || moments() % 6 != 0)
                continue;
            GameMgr& table = *harness.table;
            const double chips = ChipsAndPot(harness);
            const LeftAt left = LeaveAndComeBackNow(harness);
            SCOPED_TRACE(::testing::PrintToString(left.standing));
            EXPECT_DOUBLE_EQ(ChipsAndPot(harness), chips);
            if (left.status == RoundStatus::AwaitingAction) {
                ++awaiting;
                ASSERT_EQ(StandingOf(table), left.standing) << "seed " << seed;
                // Left again before anything happened, it comes back the same.
                if (moments() % 4 == 0) {
                    LeaveAndComeBack(harness);
                    ASSERT_EQ(StandingOf(table), left.standing) << "seed " << seed;
                }
                if (left.humansTurn) {
                    ASSERT_EQ(Offered(*table.GetHumanPlayer()), left.offer) << "seed " << seed;
                }
            } else if (left.status == RoundStatus::RoundComplete) {
                ++over;
                uint32_t stage = left.standing.stage;
                if (stage >= 3)
                    EXPECT_TRUE(harness.shell.finish->IsVisible()) << "the showdown follows the river's betting";
                else if (harness.shell.profile.announceStages != 0)
                    EXPECT_TRUE(harness.shell.stage->IsVisible()) << "the next stage is announced";
                else
                    EXPECT_EQ(table.State().boardStage, stage + 1) << "the next stage is dealt";
                for (PlayerI* player : table.GetSeatList())
                    EXPECT_TRUE(player == nullptr || !player->HasActed()) << "nobody acts again in a round that is over";
            }
        }
    }
    EXPECT_GT(awaiting, 100);
    EXPECT_GT(over, 5);
}

} // namespace
} // namespace Gamespace
