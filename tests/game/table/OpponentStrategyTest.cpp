// The computer opponent's decisions.
#include "game/table/OpponentStrategy.h"

#include "game/table/PlayerComp.h"
#include "platform/core/CRuntime.h"
#include "tests/support/FakeTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// Cards by name: rank "234567890JQKA", suit "scdb"; "As 0d" is two cards.
std::vector<Card> Cards(const std::string& names)
{
    static const std::string kRanks = "234567890JQKA", kSuits = "scdb";
    std::vector<Card> cards;
    for (size_t i = 0; i + 1 < names.size(); i += 3)
        cards.emplace_back(static_cast<uint32_t>(kRanks.find(names[i])), static_cast<uint32_t>(kSuits.find(names[i + 1])));
    return cards;
}

// One decision in a known situation, with the chance draws it is given: each
// draw is the value RandomInRange(low, high) returns, in the order the
// decision asks for them. The table's unit (its minimum bet) is 10.
struct Spot {
    const char* what;
    uint32_t style;
    bool limit;
    std::string hole;
    std::string board;
    double currentBet; // the round's bet; a bet was made when it is not 0
    double bet;        // the player's own bet in the round
    double chips;
    std::vector<std::array<uint32_t, 3>> draws; // {low, high, value}
    uint32_t code;
    double amount;
    double raiseCount = 0;
};

class OpponentSpots : public OpponentTest {
protected:
    void Expect(const Spot& spot)
    {
        SCOPED_TRACE(spot.what);
        table.minBet = 10;
        table.state = TableState{};
        table.state.gameType = spot.limit ? 0 : 2;
        table.state.board = Cards(spot.board);
        table.state.boardStage = table.state.board.empty() ? 0 : static_cast<uint32_t>(table.state.board.size() - 2);
        table.state.betMade = spot.currentBet > 0 ? 1 : 0;
        table.state.currentBet = spot.currentBet;
        table.state.raiseCount = spot.raiseCount;
        std::vector<Card> hole = Cards(spot.hole);
        Seat(spot.style, spot.chips, hole[0], hole[1], spot.bet);
        unsigned seed = SeedWhere([&] {
            for (const auto& draw : spot.draws)
                if (static_cast<uint32_t>(Draw(draw[0], draw[1])) != draw[2])
                    return false;
            return true;
        });
        ASSERT_NE(seed, 0u);
        platform::srand(seed);
        double amount = -1;
        EXPECT_EQ(Decide(amount), spot.code);
        EXPECT_DOUBLE_EQ(amount, spot.amount);
    }
    void ExpectAll(const std::vector<Spot>& spots)
    {
        for (const Spot& spot : spots)
            Expect(spot);
    }
};

// A pocket pair before the flop in limit: all in when a bet and a raise would
// take every chip; else a raise of one bet on top of the call on the higher
// draws (3 in 10 for the cautious, 5 for the middle, 7 for the boldest).
TEST_F(OpponentSpots, LimitPocketPairRaisesOnTheHighDrawsOfItsStyle)
{
    ExpectAll({
        {"unit and call take every chip", 0, true, "8s 8c", "", 0, 0, 10, {{0, 10, 9}}, kDecideAllIn, 10},
        {"one chip more", 0, true, "8s 8c", "", 0, 0, 11, {{0, 10, 9}}, kDecideRaise, 10},
        {"cautious, draw 7", 0, true, "8s 8c", "", 4, 0, 500, {{0, 10, 7}}, kDecideCall, 0},
        {"cautious, draw 8", 0, true, "8s 8c", "", 4, 0, 500, {{0, 10, 8}}, kDecideRaise, 14},
        {"middle, draw 5", 1, true, "8s 8c", "", 4, 0, 500, {{0, 10, 5}}, kDecideCall, 0},
        {"middle, draw 6", 1, true, "8s 8c", "", 4, 0, 500, {{0, 10, 6}}, kDecideRaise, 14},
        {"boldest, draw 3", 2, true, "8s 8c", "", 4, 0, 500, {{0, 10, 3}}, kDecideCall, 0},
        {"boldest, draw 4", 2, true, "8s 8c", "", 4, 0, 500, {{0, 10, 4}}, kDecideRaise, 14},
        {"call counted from his own bet", 2, true, "8s 8c", "", 14, 4, 500, {{0, 10, 4}}, kDecideRaise, 20},
    });
}

// A pocket pair before the flop in no limit: a factor drawn by style, then a
// free check on one draw in ten, then a raise of the whole of unit x factor +
// 1 + call on the style's high draws, all in when the raise and a unit would
// take every chip; otherwise a call, all in when the call and a unit would.
TEST_F(OpponentSpots, NoLimitPocketPairRaisesByItsFactorOnTheHighDrawsOfItsStyle)
{
    ExpectAll({
        {"the free check", 0, false, "8s 8c", "", 0, 0, 500, {{0, 4, 0}, {0, 10, 1}}, kDecideCheck, 0},
        {"no check when a call is due", 0, false, "8s 8c", "", 10, 0, 500, {{0, 4, 0}, {0, 10, 1}, {0, 10, 8}},
         kDecideCall, 0},
        {"no check on another draw", 0, false, "8s 8c", "", 0, 0, 500, {{0, 4, 0}, {0, 10, 2}, {0, 10, 8}},
         kDecideCall, 0},
        {"cautious, factor 1.6, draw 9", 0, false, "8s 8c", "", 0, 0, 500, {{0, 4, 3}, {0, 10, 0}, {0, 10, 9}},
         kDecideRaise, 17},
        {"cautious, factor 1.3, draw 9, a call due", 0, false, "8s 8c", "", 10, 0, 500,
         {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}}, kDecideRaise, 24},
        {"middle, factor 1.9, draw 7", 1, false, "8s 8c", "", 0, 0, 500, {{0, 5, 4}, {0, 10, 0}, {0, 10, 7}},
         kDecideRaise, 20},
        {"middle, draw 6", 1, false, "8s 8c", "", 0, 0, 500, {{0, 5, 4}, {0, 10, 0}, {0, 10, 6}}, kDecideCall, 0},
        {"boldest, factor 2.4, draw 5", 2, false, "8s 8c", "", 0, 0, 500, {{0, 7, 6}, {0, 10, 0}, {0, 10, 5}},
         kDecideRaise, 25},
        {"boldest, draw 4", 2, false, "8s 8c", "", 0, 0, 500, {{0, 7, 6}, {0, 10, 0}, {0, 10, 4}}, kDecideCall, 0},
        {"raise of every chip is no raise", 0, false, "8s 8c", "", 0, 0, 14, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideCall, 0},
        {"raise and unit take every chip", 0, false, "8s 8c", "", 0, 0, 24, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideAllIn, 24},
        {"raise and unit leave a chip", 0, false, "8s 8c", "", 0, 0, 25, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideRaise, 14},
        {"call of every chip", 0, false, "8s 8c", "", 20, 0, 20, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideAllIn, 20},
        {"call and unit take every chip", 0, false, "8s 8c", "", 10, 0, 20, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideAllIn, 20},
        {"call and unit leave a chip", 0, false, "8s 8c", "", 10, 0, 21, {{0, 4, 0}, {0, 10, 0}, {0, 10, 9}},
         kDecideCall, 0},
    });
}

// No pair before the flop: with nobody in yet, an open of one unit (two in
// limit) on the top 3, 6 or 10 draws in a hundred; facing a bet, a call with
// a hand of the style's, a fold without, a check when nothing is due.
TEST_F(OpponentSpots, UnpairedHandOpensOnTheTopDrawsAndOtherwiseCallsOnlyWithItsStartingHands)
{
    ExpectAll({
        {"cautious, draw 97", 0, false, "As 7c", "", 0, 0, 500, {{0, 100, 97}}, kDecideCheck, 0},
        {"cautious, draw 98", 0, false, "As 7c", "", 0, 0, 500, {{0, 100, 98}}, kDecideOpen, 10},
        {"middle, draw 94", 1, false, "As 7c", "", 0, 0, 500, {{0, 100, 94}}, kDecideCheck, 0},
        {"middle, draw 95", 1, false, "As 7c", "", 0, 0, 500, {{0, 100, 95}}, kDecideOpen, 10},
        {"boldest, draw 90", 2, false, "As 7c", "", 0, 0, 500, {{0, 100, 90}}, kDecideCheck, 0},
        {"boldest, draw 91", 2, true, "As 7c", "", 0, 0, 500, {{0, 100, 91}}, kDecideOpen, 20},
        {"open of every chip", 2, false, "As 7c", "", 0, 0, 10, {{0, 100, 99}}, kDecideAllIn, 10},
        {"open leaving a chip", 2, false, "As 7c", "", 0, 0, 11, {{0, 100, 99}}, kDecideOpen, 10},
        {"playable, nothing due", 0, false, "Qs 9c", "", 10, 10, 500, {}, kDecideCheck, 0},
        {"playable, call of every chip", 0, false, "Qs 9c", "", 50, 0, 50, {}, kDecideFold, 0},
        {"playable, call leaving a chip", 0, false, "Qs 9c", "", 50, 0, 51, {}, kDecideCall, 0},
        {"unplayable, nothing due", 0, false, "7s 2c", "", 10, 10, 500, {}, kDecideCheck, 0},
        {"unplayable, a call due", 0, false, "7s 2c", "", 10, 0, 500, {}, kDecideFold, 0},
    });
}

// Nothing made after the flop. The cautious style folds the turn without
// three of a suit and the river with four, even for free, and otherwise never
// bets; the middle style bets the flop on the top 2 draws in a hundred and
// folds the river with four of a suit; the boldest bets more the fewer cards
// of a suit it holds. A bet due is raised by a unit (two past the flop in
// limit) on the same draws, called otherwise while the chips cover it.
TEST_F(OpponentSpots, NothingAfterTheFlopBetsOnTheDrawsOfItsStyleAndSuits)
{
    const std::string flop = "9s 4c Kd", turn = "9s 4c Kd 6b";
    const std::string river = "9s 4c Kd 6b Jc", riverFour = "9s 4c Kd 6s Jc", riverFourThree = "9s 4c Kc 6s Jc";
    ExpectAll({
        {"cautious flop", 0, false, "As Qb", flop, 0, 0, 500, {{0, 100, 99}}, kDecideCheck, 0},
        {"cautious turn, no three of a suit", 0, false, "As Qc", turn, 0, 0, 500, {{0, 100, 50}}, kDecideFold, 0},
        {"cautious turn, three of a suit", 0, false, "As Qs", turn, 0, 0, 500, {{0, 100, 99}}, kDecideCheck, 0},
        {"cautious river, four of a suit", 0, false, "As Qs", riverFour, 0, 0, 500, {{0, 100, 50}}, kDecideFold, 0},
        {"cautious river, three of a suit", 0, false, "As Qc", riverFour, 0, 0, 500, {{0, 100, 99}}, kDecideCheck,
         0},
        {"middle flop, draw 97", 1, false, "As Qb", flop, 0, 0, 500, {{0, 100, 97}}, kDecideCheck, 0},
        {"middle flop, draw 98", 1, false, "As Qb", flop, 0, 0, 500, {{0, 100, 98}}, kDecideOpen, 10},
        {"middle turn", 1, false, "As Qb", turn, 0, 0, 500, {{0, 100, 99}}, kDecideCheck, 0},
        {"middle river, four of a suit", 1, false, "As Qs", riverFour, 0, 0, 500, {{0, 100, 50}}, kDecideFold, 0},
        {"middle river", 1, false, "As Qc", riverFour, 0, 0, 500, {{0, 100, 99}}, kDecideCheck, 0},
        {"boldest flop, draw 60", 2, false, "As Qb", flop, 0, 0, 500, {{0, 100, 60}}, kDecideCheck, 0},
        {"boldest flop, draw 61", 2, false, "As Qb", flop, 0, 0, 500, {{0, 100, 61}}, kDecideOpen, 10},
        {"boldest flop, three of a suit, draw 50", 2, false, "As Qs", flop, 0, 0, 500, {{0, 100, 50}}, kDecideCheck,
         0},
        {"boldest flop, three of a suit, draw 51", 2, true, "As Qs", flop, 0, 0, 500, {{0, 100, 51}}, kDecideOpen, 20},
        {"boldest turn, draw 90", 2, false, "As Qb", turn, 0, 0, 500, {{0, 100, 90}}, kDecideCheck, 0},
        {"boldest turn, draw 91", 2, false, "As Qb", turn, 0, 0, 500, {{0, 100, 91}}, kDecideOpen, 10},
        {"boldest turn, three of a suit, draw 70", 2, false, "As Qs", turn, 0, 0, 500, {{0, 100, 70}}, kDecideCheck,
         0},
        {"boldest turn, three of a suit, draw 71", 2, false, "As Qs", turn, 0, 0, 500, {{0, 100, 71}}, kDecideOpen,
         10},
        {"boldest river, draw 98", 2, false, "As Qb", river, 0, 0, 500, {{0, 100, 98}}, kDecideCheck, 0},
        {"boldest river, draw 99", 2, false, "As Qb", river, 0, 0, 500, {{0, 100, 99}}, kDecideOpen, 10},
        {"boldest river, three of a suit, draw 90", 2, false, "As Qs", river, 0, 0, 500, {{0, 100, 90}},
         kDecideCheck, 0},
        {"boldest river, three of a suit, draw 91", 2, false, "As Qs", river, 0, 0, 500, {{0, 100, 91}},
         kDecideOpen, 10},
        {"boldest river, four of a suit, draw 98", 2, false, "As Qs", riverFour, 0, 0, 500, {{0, 100, 98}},
         kDecideCheck, 0},
        {"boldest river, four and three, draw 80", 2, false, "As Qs", riverFourThree, 0, 0, 500, {{0, 100, 80}},
         kDecideCheck, 0},
        {"boldest river, four and three, draw 81", 2, false, "As Qs", riverFourThree, 0, 0, 500, {{0, 100, 81}},
         kDecideOpen, 10},
        {"open of every chip", 2, false, "As Qb", flop, 0, 0, 10, {{0, 100, 61}}, kDecideAllIn, 10},
        {"open leaving a chip", 2, false, "As Qb", flop, 0, 0, 11, {{0, 100, 61}}, kDecideOpen, 10},
        {"nothing due, draw 60", 2, false, "As Qb", flop, 10, 10, 500, {{0, 100, 60}}, kDecideCheck, 0},
        {"nothing due, draw 61", 2, false, "As Qb", flop, 10, 10, 500, {{0, 100, 61}}, kDecideRaise, 10},
        {"nothing due, limit turn", 2, true, "As Qb", turn, 20, 20, 500, {{0, 100, 91}}, kDecideRaise, 20},
        {"nothing due, every chip", 2, false, "As Qb", flop, 10, 10, 10, {{0, 100, 61}}, kDecideAllIn, 10},
        {"a call due, draw 60", 2, false, "As Qb", flop, 10, 0, 500, {{0, 100, 60}}, kDecideCall, 0},
        {"a call due, draw 61", 2, false, "As Qb", flop, 10, 0, 500, {{0, 100, 61}}, kDecideRaise, 20},
        {"a call due, limit flop", 2, true, "As Qb", flop, 10, 0, 500, {{0, 100, 61}}, kDecideRaise, 20},
        {"a call due, limit turn", 2, true, "As Qb", turn, 10, 0, 500, {{0, 100, 91}}, kDecideRaise, 30},
        {"a call due, a unit is every chip", 2, false, "As Qb", flop, 10, 0, 10, {{0, 100, 61}}, kDecideAllIn, 10},
        {"a call due, a unit leaves a chip", 2, false, "As Qb", flop, 10, 0, 11, {{0, 100, 61}}, kDecideRaise, 20},
        {"a call beyond the chips", 1, false, "As Qb", flop, 50, 0, 40, {{0, 100, 50}}, kDecideFold, 0},
        {"a call of every chip", 1, false, "As Qb", flop, 40, 0, 40, {{0, 100, 50}}, kDecideFold, 0},
        {"a call beyond the chips, draw 0", 1, false, "As Qb", flop, 50, 0, 40, {{0, 100, 0}}, kDecideAllIn, 40},
        {"a call beyond the chips, a unit is every chip", 1, false, "As Qb", flop, 50, 0, 10, {{0, 100, 50}},
         kDecideAllIn, 10},
    });
}

// A pair or better after the flop. No better than the board: a check, or a
// call (all in when two units would take every chip). Better: a bet or raise
// of the call and a unit (two past the flop in limit) while that leaves chips
// and fewer than three raises were made; two pair or better always raises, a
// pair mostly, folding only when the draw says its bet is already too big.
TEST_F(OpponentSpots, MadeHandAfterTheFlopRaisesWhatBeatsTheBoard)
{
    const std::string flop = "9s 4c Kd", pairedFlop = "9s 9c Kd", turn = "9s 4c Kd 6b";
    ExpectAll({
        {"the board's pair, nothing due", 2, false, "As Qb", pairedFlop, 0, 0, 500, {}, kDecideCheck, 0},
        {"the board's pair, a call due", 2, false, "As Qb", pairedFlop, 10, 0, 500, {}, kDecideCall, 0},
        {"the board's pair, two units are every chip", 2, false, "As Qb", pairedFlop, 10, 0, 20, {}, kDecideCall, 0},
        {"the board's pair, two units are more", 2, false, "As Qb", pairedFlop, 10, 0, 19, {}, kDecideAllIn, 19},
        {"two pair, nothing due", 0, false, "Kb 9b", flop, 0, 0, 500, {}, kDecideOpen, 10},
        {"two pair, nothing due, limit turn", 0, true, "Kb 9b", turn, 0, 0, 500, {}, kDecideOpen, 20},
        {"two pair, a call due", 0, false, "Kb 9b", flop, 10, 0, 500, {}, kDecideRaise, 20},
        {"two pair, a call due, limit turn", 0, true, "Kb 9b", turn, 10, 0, 500, {}, kDecideRaise, 30},
        {"two pair, a call due, no limit turn", 0, false, "Kb 9b", turn, 10, 0, 500, {}, kDecideRaise, 20},
        {"two pair, a call due, limit flop", 0, true, "Kb 9b", flop, 10, 0, 500, {}, kDecideRaise, 20},
        {"pair, draw 4", 0, false, "Kb 7b", flop, 10, 0, 500, {{0, 10, 4}, {2, 6, 2}}, kDecideRaise, 20},
        {"pair, draw 5, small bet", 0, false, "Kb 7b", flop, 10, 0, 500, {{0, 10, 5}, {2, 6, 2}}, kDecideRaise, 20},
        {"pair, draw 5, bet above two units", 0, false, "Kb 7b", flop, 40, 30, 500, {{0, 10, 5}, {2, 6, 2}},
         kDecideFold, 0},
        {"pair, draw 5, bet of three units", 0, false, "Kb 7b", flop, 40, 30, 500, {{0, 10, 5}, {2, 6, 3}},
         kDecideRaise, 20},
        {"pair, draw 9, bet of five units", 0, false, "Kb 7b", flop, 60, 50, 500, {{0, 10, 9}, {2, 6, 5}},
         kDecideRaise, 20},
        {"raise of every chip", 0, false, "Kb 9b", flop, 10, 0, 20, {}, kDecideCall, 0},
        {"raise leaving a chip", 0, false, "Kb 9b", flop, 10, 0, 21, {}, kDecideRaise, 20},
        {"after two raises", 0, false, "Kb 9b", flop, 10, 0, 500, {}, kDecideRaise, 20, 2},
        {"after three raises", 0, false, "Kb 9b", flop, 10, 0, 500, {}, kDecideCall, 0, 3},
        {"after three raises, nothing due", 0, false, "Kb 9b", flop, 10, 10, 500, {}, kDecideCheck, 0, 3},
        {"a call of every chip", 0, false, "Kb 9b", flop, 50, 0, 50, {}, kDecideFold, 0},
        {"a unit beyond the chips, nothing due", 0, false, "Kb 9b", flop, 0, 0, 5, {}, kDecideCheck, 0},
    });
}

// The computer's turn at a table: the decision is carried out as the move it
// names, with its amount, and the hand it rated is kept for the showdown.
TEST_F(OpponentSpots, TheComputerCarriesOutItsDecisionAtTheTable)
{
    struct Turn {
        const char* what;
        bool limit;
        std::string hole;
        std::string board;
        double currentBet;
        double chips;
        std::vector<std::array<uint32_t, 3>> draws;
        std::string action; // the table's action code and the bet it reports
    };
    const Turn turns[] = {
        {"check", false, "8s 8c", "", 0, 500, {{0, 4, 0}, {0, 10, 1}}, "1 0"},
        {"open", false, "As 7c", "", 0, 500, {{0, 100, 98}}, "2 10"},
        {"call", true, "8s 8c", "", 4, 500, {{0, 10, 3}}, "3 4"},
        {"raise", true, "8s 8c", "", 4, 500, {{0, 10, 8}}, "4 14"},
        {"all in", true, "8s 8c", "", 4, 14, {{0, 10, 9}}, "6 14"},
        {"fold", false, "7s 2c", "", 10, 500, {}, "5 0"},
        {"two pair raises", false, "Kb 9b", "9s 4c Kd", 10, 500, {}, "4 20"},
    };
    std::unique_ptr<FakeTable> at;
    std::unique_ptr<PlayerComp> computer;
    for (const Turn& turn : turns) {
        SCOPED_TRACE(turn.what);
        computer.reset();
        at = std::make_unique<FakeTable>();
        at->minBet = 10;
        at->state.gameType = turn.limit ? 0 : 2;
        at->state.board = Cards(turn.board);
        at->state.boardStage = at->state.board.empty() ? 0 : 1;
        computer = std::make_unique<PlayerComp>(at.get(), at->services, 2, nullptr);
        at->betting.SetChips(0, turn.chips);
        std::vector<Card> hole = Cards(turn.hole);
        at->Deal(*computer, hole[0], hole[1]);
        at->state.actingOrder = {computer.get()};
        at->SetCurrentBet(turn.currentBet);
        unsigned seed = SeedWhere([&] {
            for (const auto& draw : turn.draws)
                if (static_cast<uint32_t>(Draw(draw[0], draw[1])) != draw[2])
                    return false;
            return true;
        });
        platform::srand(seed);
        computer->TakeTurn();
        ASSERT_FALSE(at->actions.empty());
        EXPECT_EQ(at->actions.back(), turn.action);
    }
    std::vector<HandGroup> groups;
    computer->GetBestHandGroups(groups);
    EXPECT_EQ(computer->GetHandCategory(), kTwoPair);
    ASSERT_EQ(groups.size(), 2u);
    ASSERT_EQ(groups[0].cards.size(), 4u);
    EXPECT_EQ(groups[0].cards[0].rank, 11u) << "the kings first";
    EXPECT_EQ(groups[0].cards[2].rank, 7u);
}

TEST_F(OpponentTest, APositionOutsideTheActingOrderChecksWithNothingRated)
{
    table.state.gameType = 2;
    table.state.currentBet = 10;
    Seat(2, 500, Card(12, 0), Card(12, 1));
    double amount = 5;
    uint32_t category = 7;
    std::vector<HandGroup> groups(2);
    EXPECT_EQ(ChooseComputerAction(1, 2, table.state, 10, amount, category, groups), kDecideCheck);
    EXPECT_EQ(amount, 0.0);
    EXPECT_EQ(category, kHighCard);
    EXPECT_TRUE(groups.empty());
    table.state.actingOrder = {nullptr};
    EXPECT_EQ(ChooseComputerAction(0, 2, table.state, 10, amount, category, groups), kDecideCheck);
}

TEST_F(OpponentTest, AStyleBeyondTheThreeDecidesAsTheCautiousOne)
{
    table.minBet = 10;
    table.state.gameType = 0;
    table.state.currentBet = 4;
    Seat(0, 500, Card(6, 0), Card(6, 1));
    for (uint32_t draw = 0; draw < 10; ++draw) {
        unsigned seed = SeedWhere([&] { return static_cast<uint32_t>(Draw(0, 10)) == draw; });
        double cautious = 0, beyond = 0;
        uint32_t category = 0;
        std::vector<HandGroup> groups;
        platform::srand(seed);
        uint32_t expected = ChooseComputerAction(0, 0, table.state, 10, cautious, category, groups);
        platform::srand(seed);
        EXPECT_EQ(ChooseComputerAction(0, 5, table.state, 10, beyond, category, groups), expected) << draw;
        EXPECT_EQ(beyond, cautious);
    }
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
