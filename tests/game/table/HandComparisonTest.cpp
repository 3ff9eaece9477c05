// Ranking hands at the showdown and dividing a pot among the best.
#include "game/table/HandComparison.h"

#include <gtest/gtest.h>

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

TEST(PotAward, ALoneContenderTakesThePotWithoutComparison)
{
    std::vector<WinnerRow> rows = AwardPot(15.5, {{B, HandRecord{}}});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].amount, 15.5);
    EXPECT_TRUE(AwardPot(10.0, {}).empty());
}

} // namespace
} // namespace Gamespace
