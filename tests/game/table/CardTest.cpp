#include "game/table/Card.h"

#include <gtest/gtest.h>

#include <set>

TEST(Card, EveryCardHasATwoCharacterName)
{
    std::set<std::string> names;
    for (uint32_t rank = 0; rank < 13; ++rank) {
        for (uint32_t suit = 0; suit < 4; ++suit) {
            const std::string name = Card(rank, suit).Name();
            EXPECT_EQ(name.size(), 2u);
            names.insert(name);
        }
    }
    EXPECT_EQ(names.size(), 52u);
    EXPECT_EQ(Card(8, 0).Name(), "0s");
    EXPECT_EQ(Card(0, 1).Name(), "2c");
    EXPECT_EQ(Card(9, 2).Name(), "Jd");
    EXPECT_EQ(Card(12, 3).Name(), "Ab");
}

TEST(Card, OutOfRangeValuesHaveNoLetters)
{
    EXPECT_EQ(Card::RankLetter(13), "");
    EXPECT_EQ(Card::SuitLetter(4), "");
    EXPECT_EQ(Card(14, 5).Name(), "");
    EXPECT_EQ(Card(0xFFFFFFFFu, 0).Name(), "s");
}

TEST(Card, NoCardIsRecognisedByEitherField)
{
    EXPECT_TRUE(Card().IsNone());
    EXPECT_TRUE(Card(3, 5).IsNone());
    EXPECT_TRUE(Card(14, 0).IsNone());
    EXPECT_FALSE(Card(12, 3).IsNone());
    EXPECT_FALSE(Card(13, 0).IsReal());
    EXPECT_FALSE(Card(13, 0).IsNone());
}

TEST(Card, ComparisonIgnoresSuitButEqualityDoesNot)
{
    EXPECT_TRUE(Card(12, 0) > Card(11, 3));
    EXPECT_FALSE(Card(5, 3) > Card(5, 0));
    EXPECT_FALSE(Card(5, 0) > Card(5, 3));
    EXPECT_NE(Card(5, 0), Card(5, 3));
    Card a(1, 1), b(9, 2);
    a.Swap(b);
    EXPECT_EQ(a, Card(9, 2));
    EXPECT_EQ(b, Card(1, 1));
}
