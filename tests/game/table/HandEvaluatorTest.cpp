#include "game/table/HandEvaluator.h"
#include "tests/game/table/CardsByName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>

namespace {

using cards_by_name::Hand;

// "1:Ks Kd|0:As 9c 4d": each group as category:cards.
std::string Describe(const std::vector<HandGroup>& groups)
{
    std::string text;
    for (const HandGroup& group : groups) {
        if (!text.empty())
            text += '|';
        text += std::to_string(group.category) + ':';
        for (size_t i = 0; i < group.cards.size(); ++i)
            text += (i ? " " : "") + group.cards[i].Name();
    }
    return text;
}

struct Rated {
    uint32_t category;
    std::string groups;
};

Rated Raw(const std::string& text)
{
    std::vector<uint32_t> categories;
    std::vector<HandGroup> groups;
    EvaluateHand(Hand(text), categories, groups);
    EXPECT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories.front(), EvaluateHandCategory(Hand(text)));
    return {categories.front(), Describe(groups)};
}

Rated Sorted(const std::string& text)
{
    std::vector<HandGroup> groups;
    const uint32_t category = EvaluateSortedHand(Hand(text), groups);
    return {category, Describe(groups)};
}

} // namespace

TEST(HandEvaluator, RoyalFlushIsFoundWhateverComesFirst)
{
    EXPECT_EQ(Raw("0d Jd Qd Kd Ad").groups, "9:0d Jd Qd Kd Ad");
    EXPECT_EQ(Raw("Ad Kd Qd Jd 0d 2c 3s").groups, "9:0d Jd Qd Kd Ad");
    // An off-suit ten dealt first does not hide the royal flush behind it.
    EXPECT_EQ(Raw("0s 0d Jd Qd Kd Ad").groups, "9:0d Jd Qd Kd Ad");
    EXPECT_EQ(Raw("Ks Kd 0s Ad Jd Qd 0d").category, kRoyalFlush);
}

TEST(HandEvaluator, StraightFlushRecordsItsHighestWindow)
{
    EXPECT_EQ(Raw("4c 5c 6c 7c 8c 9c 2d").groups, "8:5c 6c 7c 8c 9c");
    EXPECT_EQ(Raw("9c 8c 7c 6c 5c 4c 2d").groups, "8:5c 6c 7c 8c 9c");
    // Off-suit cards of the same ranks coming first change nothing.
    EXPECT_EQ(Raw("5s 6s 9b 5c 6c 7c 8c 9c").groups, "8:5c 6c 7c 8c 9c");
    // Plain straight over the same ranks reads the same.
    EXPECT_EQ(Raw("4c 5d 6c 7c 8c 9c 2d").groups, "5:9c 8c 7c 6c 4c");
    EXPECT_EQ(Raw("4c 5d 6s 7c 8c 9c 2d").groups, "4:5d 6s 7c 8c 9c");
}

TEST(HandEvaluator, WheelsReadAceFiveFourThreeTwoWhenSorted)
{
    EXPECT_EQ(Raw("5d 4c 3s 2s Ab Kc").groups, "4:Ab 2s 3s 4c 5d");
    EXPECT_EQ(Sorted("5d 4c 3s 2s Ab Kc").groups, "4:Ab 5d 4c 3s 2s");
    EXPECT_EQ(Sorted("2b 3b 4b 5b Ab 6d").groups, "8:Ab 5b 4b 3b 2b");
    // A six makes the straight six-high rather than a wheel.
    EXPECT_EQ(Sorted("2b 3b 4b 5b Ab 6b").groups, "8:6b 5b 4b 3b 2b");
}

TEST(HandEvaluator, TwoSetsOfThreeMakeTheHigherFullOfTheLower)
{
    const Rated kingsFirst = Raw("Ks Kd Kc As Ad Ac 2s");
    EXPECT_EQ(kingsFirst.category, kFullHouse);
    EXPECT_EQ(kingsFirst.groups, "3:Ks Kd Kc As Ad Ac|1:Ks Kd");
    EXPECT_EQ(Raw("As Ad Ac Ks Kd Kc 2s").groups, "3:As Ad Ac Ks Kd Kc|1:Ks Kd");
    // Sorted, it compares like aces full of kings made any other way.
    EXPECT_EQ(Sorted("Ks Kd Kc As Ad Ac 2s").groups, "3:As Ad Ac Ks Kd Kc|1:Ks Kd");
    EXPECT_EQ(Sorted("As Ad Ac Ks Kd 2c 2s").groups, "3:As Ad Ac|1:Ks Kd 2c 2s");
    EXPECT_EQ(Raw("3s 3d 3c Ks Kd 9c 2s").groups, "3:3s 3d 3c|1:Ks Kd");
}

TEST(HandEvaluator, CountedHandsCarryTheirKickersLast)
{
    EXPECT_EQ(Raw("9s 9d 2c 9c Kd 9b Ab").groups, "7:9s 9d 9c 9b|0:Ab");
    EXPECT_EQ(Raw("9s 2d 9c 4b 9d Ks").groups, "3:9s 9c 9d|0:Ks 4b");
    EXPECT_EQ(Raw("2s 7d 2c Kb 7c").groups, "2:2s 2c 7d 7c|0:Kb");
    EXPECT_EQ(Sorted("2s 7d 2c Kb 7c").groups, "2:7d 7c 2s 2c|0:Kb");
    EXPECT_EQ(Raw("Js 4d Qc 4s 8b 2d 9c").groups, "1:4d 4s|0:Qc Js 9c");
    EXPECT_EQ(Raw("Js 4d Qc 3s 8b 2d 9c").groups, "0:Qc Js 9c 8b 4d");
}

TEST(HandEvaluator, ThreePairsKeepTheTwoHighestWithTheBestKicker)
{
    // The lowest pair is dropped, yet may still give the kicker.
    EXPECT_EQ(Raw("Qs 3d Ks Qd 3c Kd 2b").groups, "2:Qs Qd Ks Kd|0:3d");
    EXPECT_EQ(Raw("5s 3d Ks 5d 3c Kd 2b").groups, "2:5s 5d Ks Kd|0:3d");
    EXPECT_EQ(Raw("5s 3d Ks 5d 3c Kd Ab").groups, "2:5s 5d Ks Kd|0:Ab");
}

TEST(HandEvaluator, FlushTakesItsFiveHighestCards)
{
    EXPECT_EQ(Raw("2d 9d Kd 4d 6d Jd 0s").groups, "5:Kd Jd 9d 6d 4d");
    EXPECT_EQ(Raw("2d 9d Kd 4d 6d Jd 0s").category, kFlush);
}

TEST(HandEvaluator, ShortHandsGiveWhatTheirCardsCan)
{
    EXPECT_EQ(Raw("Ks Kd").groups, "1:Ks Kd");
    EXPECT_EQ(Raw("7s 2d Jc").groups, "0:Jc 7s 2d");
    EXPECT_EQ(Raw("7s 7d 7c 7b").groups, "7:7s 7d 7c 7b");
    EXPECT_EQ(Raw("2s 3d 4c 5b").category, kHighCard);
    EXPECT_EQ(Raw("").category, kHighCard);
    EXPECT_EQ(Raw("").groups, "");
}

TEST(HandEvaluator, TheNoCardNeverCountsAsACard)
{
    const std::vector<Card> none = {Card::None(), Card::None()};
    std::vector<uint32_t> categories;
    std::vector<HandGroup> groups;
    EvaluateHand(none, categories, groups);
    EXPECT_EQ(categories, std::vector<uint32_t>{kHighCard});
    EXPECT_TRUE(groups.empty());

    std::vector<Card> cards = Hand("As Kd");
    cards.insert(cards.begin(), {Card(13, 0), Card(0, 9), Card::None()});
    groups.clear();
    categories.clear();
    EvaluateHand(cards, categories, groups);
    EXPECT_EQ(Describe(groups), "0:As Kd");
}

TEST(HandEvaluator, CategoryNamesAndSuitCounts)
{
    EXPECT_EQ(HandCategoryName(kHighCard), "High Card");
    EXPECT_EQ(HandCategoryName(kThreeOfAKind), "Three of a Kind");
    EXPECT_EQ(HandCategoryName(kRoyalFlush), "Royal Flush");
    EXPECT_EQ(HandCategoryName(10), "");
    EXPECT_TRUE(HasSuitWithExactlyThree(Hand("2s 5s Ks 3d 4d")));
    EXPECT_FALSE(HasSuitWithExactlyThree(Hand("2s 5s Ks As 3d")));
    EXPECT_TRUE(HasSuitWithExactlyFour(Hand("2s 5s Ks As 3d")));
    EXPECT_FALSE(HasSuitWithExactlyFour(Hand("2s 5s Ks As Qs")));
    std::vector<Card> withNone = Hand("2s 5s");
    withNone.push_back(Card(3, 5));
    EXPECT_FALSE(HasSuitWithExactlyThree(withNone));
}

TEST(HandEvaluator, SortedRecordIsTheRawRecordSorted)
{
    // The sorted record is built sorted rather than sorted afterwards; both
    // ways must agree on every kind of hand, short ones and repeated cards
    // included.
    std::mt19937 random(1207);
    std::vector<Card> deck;
    for (uint32_t r = 0; r < Card::kRankCount; ++r) {
        for (uint32_t s = 0; s < Card::kSuitCount; ++s)
            deck.emplace_back(r, s);
    }
    for (int deal = 0; deal < 20000; ++deal) {
        std::shuffle(deck.begin(), deck.end(), random);
        std::vector<Card> cards(deck.begin(), deck.begin() + deal % 9);
        if (deal % 5 == 0 && !cards.empty())
            cards.push_back(cards[static_cast<size_t>(deal) % cards.size()]);
        std::vector<uint32_t> categories;
        std::vector<HandGroup> raw;
        EvaluateHand(cards, categories, raw);
        SortHandGroups(raw);
        std::vector<HandGroup> sorted = {HandGroup{kPair, {Card(0, 0)}}};
        ASSERT_EQ(EvaluateSortedHand(cards, sorted), categories.front());
        ASSERT_EQ(Describe(sorted), Describe(raw)) << "deal " << deal;
    }
}

TEST(HandEvaluator, GroupsNeverOutgrowSevenCards)
{
    // Only a full house among nine cards or more could fill a bigger group;
    // it keeps its first seven cards.
    const Rated rated = Raw("As Ad Ac Ks Kd Kc Qs Qd Qc");
    EXPECT_EQ(rated.category, kFullHouse);
    EXPECT_EQ(rated.groups, "3:As Ad Ac Ks Kd Kc Qs|1:Ks Kd Qs Qd");
}

TEST(CardGroup, HoldsSevenCardsAndDropsTheRest)
{
    CardGroup group = {Card(0, 0), Card(1, 0), Card(2, 0), Card(3, 0), Card(4, 0), Card(5, 0), Card(6, 0),
                       Card(7, 0)};
    EXPECT_EQ(group.size(), CardGroup::kCapacity);
    EXPECT_EQ(group.back(), Card(6, 0));
    group.push_back(Card(12, 3));
    EXPECT_EQ(group.size(), CardGroup::kCapacity);
    EXPECT_EQ(group.back(), Card(6, 0));
    EXPECT_THROW(group.at(CardGroup::kCapacity), std::out_of_range);

    // Equal groups hold equal cards, whatever their places past the size held.
    group.clear();
    group.push_back(Card(9, 1));
    EXPECT_EQ(group, (CardGroup{Card(9, 1)}));
    EXPECT_NE(group, (CardGroup{Card(9, 1), Card(6, 0)}));
    EXPECT_THROW(group.at(1), std::out_of_range);
}
