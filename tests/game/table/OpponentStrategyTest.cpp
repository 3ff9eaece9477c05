// The computer opponent's decisions.
#include "game/table/OpponentStrategy.h"

#include "game/table/PlayerComp.h"
#include "platform/core/CRuntime.h"
#include "tests/support/FakeTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace Gamespace {
namespace {

using testing_support::FakeTable;

// Ranks: 0 two .. 5 seven, 6 eight, 8 ten, 9 jack, 12 ace. Suits 0..3.
class OpponentTest : public ::testing::Test {
protected:
    PlayerComp& Seat(uint32_t style, double chips, Card first, Card second, double bet = 0.0)
    {
        player = std::make_unique<PlayerComp>(&table, table.services, style, nullptr);
        table.betting.SetChips(0, chips);
        table.Deal(*player, first, second, bet);
        table.state.actingOrder = {player.get()};
        return *player;
    }

    uint32_t Decide(double& amount)
    {
        uint32_t category = 0;
        std::vector<HandGroup> groups;
        return ChooseComputerAction(0, player->GetStyle(), table.state, table.minBet, amount, category, groups);
    }

    // The first seed whose generator gives draws for which `wanted` holds.
    static unsigned SeedWhere(const std::function<bool()>& wanted)
    {
        for (unsigned seed = 1; seed < 100000; ++seed) {
            platform::srand(seed);
            if (wanted())
                return seed;
        }
        return 0;
    }
    static int Draw(int low, int high) { return platform::rand() % (high - low) + low; }

    FakeTable table;
    std::unique_ptr<PlayerComp> player;
};

TEST_F(OpponentTest, PocketPairChecksWhenTheDrawSaysSoAndNothingIsToCall)
{
    table.state.gameType = 2;
    table.state.betMade = 1;
    Seat(0, 500, Card(5, 0), Card(5, 1));
    unsigned seed = SeedWhere([] { Draw(0, 4); return Draw(0, 10) == 1; });
    ASSERT_NE(seed, 0u);
    platform::srand(seed);
    double amount = -1;
    EXPECT_EQ(Decide(amount), kDecideCheck);
}

TEST_F(OpponentTest, PocketPairRaiseIsTheWholeOfUnitTimesFactorPlusOnePlusCall)
{
    table.state.gameType = 2;
    table.state.betMade = 1;
    table.state.currentBet = 4;
    Seat(0, 500, Card(5, 0), Card(5, 1));
    unsigned seed = SeedWhere([] { return Draw(0, 4) == 0 && (Draw(0, 10), Draw(0, 10) > 8); });
    ASSERT_NE(seed, 0u);
    platform::srand(seed);
    double amount = 0;
    EXPECT_EQ(Decide(amount), kDecideRaise);
    EXPECT_DOUBLE_EQ(amount, 7.0); // trunc(2 x 1.3 + 1 + 4)
}

TEST_F(OpponentTest, BigRaiseIsNotCutToSixteenBits)
{
    table.minBet = 60000;
    table.state.gameType = 5;
    table.state.betMade = 1;
    Seat(0, 10000000, Card(12, 0), Card(12, 1));
    unsigned seed = SeedWhere([] { return Draw(0, 4) == 0 && Draw(0, 10) != 1 && Draw(0, 10) > 8; });
    ASSERT_NE(seed, 0u);
    platform::srand(seed);
    double amount = 0;
    EXPECT_EQ(Decide(amount), kDecideRaise);
    EXPECT_DOUBLE_EQ(amount, 78001.0);
}

TEST_F(OpponentTest, LimitPairThatCannotCoverUnitAndCallGoesAllIn)
{
    table.state.gameType = 0;
    table.state.betMade = 1;
    table.state.currentBet = 6;
    Seat(2, 7, Card(9, 0), Card(9, 3));
    for (unsigned seed = 1; seed < 20; ++seed) {
        platform::srand(seed);
        double amount = 0;
        EXPECT_EQ(Decide(amount), kDecideAllIn);
        EXPECT_DOUBLE_EQ(amount, 7.0);
    }
}

TEST_F(OpponentTest, ConnectorsArePlayableOnlyForTheBoldestStyle)
{
    table.state.gameType = 2;
    table.state.betMade = 1;
    table.state.currentBet = 2;
    double amount = 0;
    Seat(2, 100, Card(5, 0), Card(6, 1));
    EXPECT_EQ(Decide(amount), kDecideCall);
    Seat(1, 100, Card(5, 0), Card(6, 1));
    EXPECT_EQ(Decide(amount), kDecideFold);
    table.state.currentBet = 0;
    EXPECT_EQ(Decide(amount), kDecideCheck);
}

TEST_F(OpponentTest, CautiousStyleFoldsTheTurnWithoutAFlushDrawEvenForFree)
{
    table.state.gameType = 2;
    table.state.boardStage = 2;
    table.state.board = {Card(0, 0), Card(3, 1), Card(7, 2), Card(11, 3)};
    Seat(0, 100, Card(12, 0), Card(9, 1));
    double amount = 0;
    EXPECT_EQ(Decide(amount), kDecideFold);
}

TEST_F(OpponentTest, MadeHandNoBetterThanTheBoardChecksOrCalls)
{
    table.state.gameType = 2;
    table.state.boardStage = 1;
    table.state.betMade = 1;
    table.state.board = {Card(7, 0), Card(7, 1), Card(2, 2)};
    Seat(1, 100, Card(12, 0), Card(9, 1));
    double amount = 0;
    EXPECT_EQ(Decide(amount), kDecideCheck);
    table.state.currentBet = 10;
    EXPECT_EQ(Decide(amount), kDecideCall);
}

TEST_F(OpponentTest, AfterThreeRaisesABetterHandOnlyCalls)
{
    table.state.gameType = 2;
    table.state.boardStage = 1;
    table.state.betMade = 1;
    table.state.raiseCount = 3;
    table.state.currentBet = 20;
    table.state.board = {Card(7, 0), Card(3, 1), Card(2, 2)};
    Seat(2, 500, Card(7, 2), Card(7, 3));
    double amount = 0;
    EXPECT_EQ(Decide(amount), kDecideCall);
}

TEST_F(OpponentTest, SeededGeneratorGivesAFixedSequenceOfDecisions)
{
    table.state.gameType = 2;
    table.state.betMade = 1;
    table.state.currentBet = 2;
    std::ostringstream decisions;
    platform::srand(2024);
    for (uint32_t style = 0; style < 3; ++style) {
        for (int hand = 0; hand < 4; ++hand) {
            Seat(style, 300, Card(8, 0), Card(8, 2));
            double amount = 0;
            uint32_t code = Decide(amount);
            decisions << code << ":" << amount << " ";
        }
    }
    EXPECT_EQ(decisions.str(), "5:5 2:0 5:6 2:0 2:0 2:0 5:6 5:6 5:7 2:0 2:0 5:7 ");
}

// Facing a bet before the flop without a pair: the cautious style plays a
// queen or better with a nine or better; the middle style a jack or better
// with an eight or better, or any two suited; the boldest a nine or better
// with a seven or better, any two suited or any two connected.
TEST_F(OpponentTest, EachStyleCallsABetBeforeTheFlopOnlyWithItsStartingHands)
{
    table.state.gameType = 2;
    table.state.betMade = 1;
    table.state.currentBet = 2;
    struct Hand {
        Card first, second;
        bool plays[3];
    };
    const Hand hands[] = {
        {Card(10, 0), Card(7, 1), {true, true, true}},    // queen nine
        {Card(10, 0), Card(6, 1), {false, true, true}},   // queen eight
        {Card(9, 0), Card(7, 1), {false, true, true}},    // jack nine
        {Card(9, 0), Card(6, 1), {false, true, true}},    // jack eight
        {Card(8, 0), Card(6, 1), {false, false, true}},   // ten eight
        {Card(12, 0), Card(5, 1), {false, false, true}},  // ace seven
        {Card(9, 0), Card(5, 1), {false, false, true}},   // jack seven
        {Card(6, 0), Card(4, 1), {false, false, false}},  // eight six
        {Card(12, 0), Card(4, 1), {false, false, false}}, // ace six
        {Card(5, 2), Card(0, 2), {false, true, true}},    // seven two suited
        {Card(4, 1), Card(3, 3), {false, false, true}},   // six five
    };
    for (const Hand& hand : hands) {
        for (uint32_t style = 0; style < 3; ++style) {
            Seat(style, 100, hand.first, hand.second);
            double amount = -1;
            EXPECT_EQ(Decide(amount), hand.plays[style] ? kDecideCall : kDecideFold)
                << hand.first.Name() << hand.second.Name() << " style " << style;
        }
    }
}

// Every two hole cards, both ways round, in the situations each style meets
// before and after the flop: the same draws must give the same decision and
// amount whichever card was dealt first.
TEST_F(OpponentTest, TheDecisionDoesNotDependOnTheOrderOfTheHoleCards)
{
    struct Spot {
        std::vector<Card> board;
        uint8_t betMade;
        double currentBet;
        double chips;
    };
    const std::vector<Card> flop = {Card(7, 0), Card(2, 1), Card(11, 2)};
    const std::vector<Card> river = {Card(7, 0), Card(2, 1), Card(11, 2), Card(4, 0), Card(9, 0)};
    const std::vector<Spot> spots = {
        {{}, 0, 0, 500}, {{}, 1, 2, 500}, {{}, 1, 40, 500}, {{}, 1, 40, 30},
        {flop, 0, 0, 500}, {flop, 1, 10, 500}, {river, 1, 10, 500}, {river, 1, 10, 12},
    };
    auto onBoard = [](const std::vector<Card>& board, Card card) {
        return std::find(board.begin(), board.end(), card) != board.end();
    };
    int differences = 0;
    unsigned seed = 1;
    for (uint32_t gameType : {0u, 2u}) {
        table.state.gameType = gameType;
        for (const Spot& spot : spots) {
            table.state.board = spot.board;
            table.state.boardStage = spot.board.empty() ? 0 : static_cast<uint32_t>(spot.board.size() - 2);
            table.state.betMade = spot.betMade;
            table.state.currentBet = spot.currentBet;
            for (uint32_t style = 0; style < 3; ++style) {
                for (uint32_t high = 0; high < 13; ++high) {
                    for (uint32_t low = 0; low <= high; ++low) {
                        for (uint32_t suit : {0u, 3u}) {
                            Card first(high, 1), second(low, suit);
                            if (first == second || onBoard(spot.board, first) || onBoard(spot.board, second))
                                continue;
                            double amounts[2] = {-1, -1};
                            uint32_t codes[2];
                            ++seed;
                            for (int order = 0; order < 2; ++order) {
                                Seat(style, spot.chips, order == 0 ? first : second, order == 0 ? second : first);
                                platform::srand(seed);
                                codes[order] = Decide(amounts[order]);
                            }
                            if ((codes[0] != codes[1] || amounts[0] != amounts[1]) && differences++ < 5)
                                ADD_FAILURE() << "style " << style << " game " << gameType << " board "
                                              << spot.board.size() << " bet " << spot.currentBet << ": "
                                              << first.Name() << second.Name() << " gives " << codes[0] << ":"
                                              << amounts[0] << ", " << second.Name() << first.Name() << " gives "
                                              << codes[1] << ":" << amounts[1];
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(ComputerStyle, ProfileOptionPicksTheStyleAndAnythingElseDrawsOne)
{
    platform::srand(5);
    int drawn[3] = {0, 0, 0};
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(PlayerComp::StyleForOption(1), 0u);
        EXPECT_EQ(PlayerComp::StyleForOption(2), 1u);
        EXPECT_EQ(PlayerComp::StyleForOption(3), 2u);
        uint32_t style = PlayerComp::StyleForOption(i % 2 == 0 ? 0 : 4);
        ASSERT_LT(style, 3u);
        ++drawn[style];
    }
    // Every style comes up among the drawn ones.
    EXPECT_GT(drawn[0], 0);
    EXPECT_GT(drawn[1], 0);
    EXPECT_GT(drawn[2], 0);
}

TEST(ComputerStyle, AStyleBeyondTheThreePlaysTheCautiousStyle)
{
    testing_support::FakeTable table;
    EXPECT_EQ(PlayerComp(&table, table.services, 2, nullptr).GetStyle(), 2u);
    EXPECT_EQ(PlayerComp(&table, table.services, 3, nullptr).GetStyle(), 0u);
    EXPECT_EQ(PlayerComp(&table, table.services, 7, nullptr).GetStyle(), 0u);
}

} // namespace
} // namespace Gamespace
