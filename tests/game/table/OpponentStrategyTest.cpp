// The computer opponent's decisions.
#include "game/table/OpponentStrategy.h"

#include "game/table/PlayerComp.h"
#include "platform/core/CRuntime.h"
#include "tests/support/FakeTable.h"

#include <gtest/gtest.h>

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

TEST(ComputerStyle, ProfileOptionPicksTheStyleAndAnythingElseDrawsOne)
{
    EXPECT_EQ(PlayerComp::StyleForOption(1), 0u);
    EXPECT_EQ(PlayerComp::StyleForOption(3), 2u);
    platform::srand(5);
    for (int i = 0; i < 50; ++i)
        EXPECT_LT(PlayerComp::StyleForOption(0), 3u);
}

} // namespace
} // namespace Gamespace
