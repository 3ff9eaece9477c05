// Ranking hands at the showdown and dividing a pot among the best.
#include "game/table/HandComparison.h"
#include "tests/game/table/CardsByName.h"

#include <gtest/gtest.h>

#include <string>

namespace Gamespace {
namespace {

PlayerI* const A = reinterpret_cast<PlayerI*>(0x10);
PlayerI* const B = reinterpret_cast<PlayerI*>(0x20);
PlayerI* const C = reinterpret_cast<PlayerI*>(0x30);

// Rates cards "As Kd ..." as the table does: evaluated, groups sorted.
HandRecord Rate(const std::vector<std::pair<uint32_t, uint32_t>>& cards)
{
    std::vector<Card> list;
    for (auto [rank, suit] : cards)
        list.emplace_back(rank, suit);
    HandRecord record;
    record.category = EvaluateSortedHand(list, record.groups);
    return record;
}

// Ranks: 0 two .. 8 ten, 9 jack, 10 queen, 11 king, 12 ace.
const HandRecord kWheel = Rate({{12, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 0}, {9, 1}, {10, 2}});
const HandRecord kSixHigh = Rate({{4, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 0}, {9, 1}, {10, 2}});
const HandRecord kAcesUp = Rate({{12, 0}, {12, 1}, {1, 2}, {1, 3}, {7, 0}, {9, 1}, {5, 2}});
const HandRecord kKingsUp = Rate({{11, 0}, {11, 1}, {10, 2}, {10, 3}, {7, 0}, {9, 1}, {5, 2}});
const HandRecord kAcesUpBetterKicker = Rate({{12, 2}, {12, 3}, {1, 0}, {1, 1}, {11, 0}, {9, 2}, {5, 1}});

TEST(HandComparison, FiveHighStraightLosesToSixHigh)
{
    EXPECT_TRUE(CompareHands(kSixHigh, kWheel));
    EXPECT_FALSE(CompareHands(kWheel, kSixHigh));
}

TEST(HandComparison, TwoPairGoesByTopPairThenKicker)
{
    EXPECT_TRUE(CompareHands(kAcesUp, kKingsUp));
    EXPECT_FALSE(CompareHands(kKingsUp, kAcesUp));
    EXPECT_TRUE(CompareHands(kAcesUpBetterKicker, kAcesUp));
    EXPECT_FALSE(CompareHands(kAcesUp, kAcesUp));
}

TEST(HandComparison, HigherCategoryWinsWhateverTheCards)
{
    EXPECT_TRUE(CompareHands(kWheel, kAcesUp));
    EXPECT_FALSE(CompareHands(kAcesUp, kWheel));
}

TEST(PotAward, ThreeWayTieOfAHundredGivesTheOddChipToTheFirst)
{
    std::vector<WinnerRow> rows = AwardPot(100.0, {{A, kKingsUp}, {B, kKingsUp}, {C, kKingsUp}});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(rows[0].amount, 34.0);
    EXPECT_DOUBLE_EQ(rows[1].amount, 33.0);
    EXPECT_DOUBLE_EQ(rows[2].amount, 33.0);
    EXPECT_EQ(rows[0].handName, "Two Pair");
}

TEST(PotAward, FractionOfASplitPotIsNotLost)
{
    std::vector<WinnerRow> rows = AwardPot(112.5, {{A, kKingsUp}, {B, kKingsUp}});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].amount + rows[1].amount, 112.5);
    EXPECT_DOUBLE_EQ(rows[1].amount, 56.0);
}

TEST(PotAward, BestHandTakesItAllAndTheBeatenGetNoRow)
{
    std::vector<WinnerRow> rows = AwardPot(90.0, {{A, kKingsUp}, {B, kAcesUp}, {C, kWheel}});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].player, C);
    EXPECT_DOUBLE_EQ(rows[0].amount, 90.0);
    EXPECT_EQ(rows[0].handName, "Straight");
}

// A player's seven cards, named: the board and then his two hole cards.
HandRecord RateNamed(const std::string& board, const std::string& hole)
{
    HandRecord record;
    record.category = EvaluateSortedHand(cards_by_name::Hand(hole + " " + board), record.groups);
    return record;
}

// Two players at one board whose hands fall in the same category.
struct Showdown {
    uint32_t category;
    const char* board;
    const char* better; // the hole cards that make the better hand
    const char* worse;
};

void PrintTo(const Showdown& s, std::ostream* out)
{
    *out << HandCategoryName(s.category) << " on " << s.board << ": " << s.better << " against " << s.worse;
}

// The whole pot goes to the better hand, in whichever order the two sit.
void ExpectTheBetterHandTakesItAll(const Showdown& s)
{
    SCOPED_TRACE(::testing::PrintToString(s));
    const HandRecord better = RateNamed(s.board, s.better);
    const HandRecord worse = RateNamed(s.board, s.worse);
    ASSERT_EQ(better.category, s.category);
    ASSERT_EQ(worse.category, s.category);
    for (bool betterFirst : {false, true}) {
        std::vector<WinnerRow> rows = betterFirst ? AwardPot(100.0, {{A, better}, {B, worse}})
                                                  : AwardPot(100.0, {{A, worse}, {B, better}});
        ASSERT_EQ(rows.size(), 1u) << (betterFirst ? "better hand seated first" : "worse hand seated first");
        EXPECT_EQ(rows[0].player, betterFirst ? A : B);
        EXPECT_DOUBLE_EQ(rows[0].amount, 100.0);
        EXPECT_EQ(rows[0].handName, HandCategoryName(s.category));
    }
}

TEST(PotAward, TheBetterHandOfACategoryTakesTheWholePot)
{
    const Showdown showdowns[] = {
        {kHighCard, "Ks 9c 7d 4b 2s", "As 8c", "Qs 8d"},
        {kPair, "Ks 9c 7d 4b 2s", "Ad Ac", "3d 3c"},
        {kTwoPair, "Ks Kc 7d 4b 2s", "Ad Ac", "4d 2c"},
        {kThreeOfAKind, "Ks 9c 7d 4b 2s", "9d 9s", "2d 2c"},
        {kStraight, "9s 8c 7d 2b 2s", "Jd 0c", "6d 5c"},
        {kFlush, "Ks 9s 7s 4b 2c", "As 3s", "Qs Js"},
        {kFullHouse, "Ks Kc 7d 7b 2s", "Kd 3c", "7s 3d"},
        {kFourOfAKind, "9s 9c 7d 7b 2s", "9d 9b", "7s 7c"},
        {kStraightFlush, "9s 8s 7s 2b 2c", "Js 0s", "6s 5s"},
    };
    for (const Showdown& s : showdowns)
        ExpectTheBetterHandTakesItAll(s);
}

TEST(PotAward, KickersDecideBetweenHandsOfOneCategoryAndRank)
{
    const Showdown showdowns[] = {
        {kHighCard, "Ks 9c 7d 4b 2s", "As 6c", "Ac 5d"},      // the fifth card
        {kPair, "Ks 9c 7d 4b 2s", "Kd Qc", "Kc Jd"},
        {kTwoPair, "Ks Kc 7d 7b 2s", "Ad 3c", "Qd 3d"},
        {kThreeOfAKind, "9s 9c 7d 4b 2s", "9d Ac", "9b Kd"},
        {kFlush, "As Ks 9s 7s 4b", "6s 2c", "5s 2d"},        // the lowest card
        {kFullHouse, "Ks Kc Kd 4b 2s", "Ad Ac", "Qd Qc"},    // the pair under the same three
        {kFourOfAKind, "9s 9c 9d 9b 2s", "Ad 3c", "Kd 3d"},
    };
    for (const Showdown& s : showdowns)
        ExpectTheBetterHandTakesItAll(s);
}

// Hands equal in the five cards they play split the pot, whatever the suits
// and whatever the two cards that do not play.
TEST(PotAward, HandsEqualInTheirFiveCardsSplitThePot)
{
    const Showdown ties[] = {
        {kHighCard, "As Kc 9d 7b 6s", "2c 3d", "3c 4d"},
        {kPair, "Ks 9c 7d 4b 2s", "Ad Ac", "Ab As"},
        {kTwoPair, "Ks Kc 7d 7b As", "2c 3d", "3c 4d"},
        {kStraight, "9s 8c 7d 2b 2s", "Jd 0c", "Jc 0d"},
        {kFlush, "As Ks 9s 7s 4s", "2c 3d", "5c 6d"},
        {kFullHouse, "Ks Kc 7d 7b 7s", "2c 3d", "4c 5d"},
        {kStraightFlush, "9s 8s 7s 6s 5s", "2c 3d", "Jc 0d"},
        {kRoyalFlush, "As Ks Qs Js 0s", "2c 3d", "4c 5d"},
    };
    for (const Showdown& s : ties) {
        SCOPED_TRACE(::testing::PrintToString(s));
        const HandRecord one = RateNamed(s.board, s.better);
        const HandRecord other = RateNamed(s.board, s.worse);
        ASSERT_EQ(one.category, s.category);
        ASSERT_EQ(other.category, s.category);
        std::vector<WinnerRow> rows = AwardPot(100.0, {{A, one}, {B, other}});
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].player, A);
        EXPECT_EQ(rows[1].player, B);
        EXPECT_DOUBLE_EQ(rows[0].amount, 50.0);
        EXPECT_DOUBLE_EQ(rows[1].amount, 50.0);
    }
}

// A tie for the best hand shuts out a beaten hand of the same category.
TEST(PotAward, ATieForTheBestHandSharesThePotWithoutTheBeatenHandOfItsCategory)
{
    const char* board = "Ks 9c 7d 4b 2s";
    std::vector<WinnerRow> rows = AwardPot(
        90.0, {{A, RateNamed(board, "Ad Ac")}, {B, RateNamed(board, "3d 3c")}, {C, RateNamed(board, "Ab As")}});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].player, A);
    EXPECT_EQ(rows[1].player, C);
    EXPECT_DOUBLE_EQ(rows[0].amount + rows[1].amount, 90.0);
}

TEST(PotAward, ALoneContenderTakesThePotWithoutComparison)
{
    std::vector<WinnerRow> rows = AwardPot(15.5, {{B, HandRecord{}}});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].amount, 15.5);
    EXPECT_TRUE(AwardPot(10.0, {}).empty());
}

} // namespace
} // namespace Gamespace
