// The evaluator against its earlier implementation (kept under bench/ as the
// benchmark's reference): the same category and the same groups, field by
// field, raw and sorted, on random hands of five, six and seven distinct
// cards (every category among them), on hands built for each tie-break in
// every order of their cards, and on hands with repeated and unreal cards.
#include "bench/reference/ReferenceHandEvaluator.h"
#include "game/table/HandEvaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <string>

namespace {

std::string Describe(const std::vector<Card>& hand)
{
    std::string text;
    for (const Card& card : hand)
        text += (text.empty() ? "" : " ") + std::to_string(card.rank) + "/" + std::to_string(card.suit);
    return text;
}

void ExpectSameGroups(const std::vector<HandGroup>& groups, const std::vector<HandGroup>& referenceGroups,
                      const std::vector<Card>& hand)
{
    ASSERT_EQ(groups.size(), referenceGroups.size()) << Describe(hand);
    for (size_t g = 0; g < groups.size(); ++g) {
        ASSERT_EQ(groups[g].category, referenceGroups[g].category) << Describe(hand);
        ASSERT_EQ(groups[g].cards, referenceGroups[g].cards) << Describe(hand) << ", group " << g;
    }
}

// Compares category, raw record and sorted record; returns the category.
uint32_t ExpectSameAsReference(const std::vector<Card>& hand)
{
    const uint32_t category = EvaluateHandCategory(hand);
    EXPECT_EQ(category, reference_evaluator::EvaluateHandCategory(hand.data(), hand.size())) << Describe(hand);
    std::vector<uint32_t> categories, referenceCategories;
    std::vector<HandGroup> groups, referenceGroups;
    EvaluateHand(hand, categories, groups);
    reference_evaluator::EvaluateHand(hand, referenceCategories, referenceGroups);
    EXPECT_EQ(categories, referenceCategories) << Describe(hand);
    ExpectSameGroups(groups, referenceGroups, hand);

    // Both start from a stale record: the sorted evaluation clears it first.
    std::vector<HandGroup> sorted = {HandGroup{kPair, {Card(0, 0)}}}, referenceSorted = sorted;
    EXPECT_EQ(EvaluateSortedHand(hand, sorted), reference_evaluator::EvaluateSortedHand(hand, referenceSorted))
        << Describe(hand);
    ExpectSameGroups(sorted, referenceSorted, hand);
    return category;
}

// "As Kd 0c" -> cards, in that order.
std::vector<Card> Hand(const std::string& text)
{
    static const std::string ranks = "234567890JQKA";
    static const std::string suits = "scdb";
    std::vector<Card> cards;
    std::istringstream in(text);
    std::string name;
    while (in >> name)
        cards.emplace_back(static_cast<uint32_t>(ranks.find(name[0])), static_cast<uint32_t>(suits.find(name[1])));
    return cards;
}

TEST(HandEvaluatorIdentity, RandomDistinctHandsMatchTheEarlierEvaluator)
{
    std::mt19937 random(15);
    std::vector<Card> deck;
    for (uint32_t r = 0; r < Card::kRankCount; ++r) {
        for (uint32_t s = 0; s < Card::kSuitCount; ++s)
            deck.emplace_back(r, s);
    }
    std::array<int, kRoyalFlush + 1> seen{};
    for (int i = 0; i < 1000000; ++i) {
        // A partial shuffle: the first seven places are a uniform deal.
        for (size_t k = 0; k < 7; ++k)
            std::swap(deck[k], deck[k + random() % (deck.size() - k)]);
        for (size_t size = 5; size <= 7; ++size) {
            const uint32_t category = ExpectSameAsReference(std::vector<Card>(deck.begin(), deck.begin() + size));
            if (testing::Test::HasFailure())
                return;
            ++seen[category];
        }
    }
    // The deals reach every category, royal flushes included (about 50 of
    // them in three million hands).
    for (uint32_t category = kHighCard; category <= kRoyalFlush; ++category)
        EXPECT_GT(seen[category], 0) << HandCategoryName(category);
}

TEST(HandEvaluatorIdentity, EveryTieBreakMatchesInEveryCardOrder)
{
    // Each hand puts a choice to the evaluator: which cards fill a window,
    // which pairs and kickers count, which card of a rank comes first. All
    // 5040 orders of seven cards try each choice from every side.
    const char* const hands[] = {
        "Ab 2s 3d 4c 5b 9s Jd",  // ace-low straight
        "Ab 2b 3b 4b 5b 9s Jd",  // ace-low straight flush
        "Ab Kb Qb Jb 0b 9b 8s",  // royal flush with a straight flush beneath
        "9c 0c Jc Qc Kc 8c 7d",  // straight flush, seven high cards deep
        "4c 5c 6c 7c 8c 9d 0d",  // straight flush under a longer plain straight
        "2d 5d 9d Jd Kd 3s 4c",  // flush over a straight
        "2d 5d 9d Jd Kd Qd 4d",  // seven cards of one suit
        "7s 8d 9c 0b Jd 7c 8b",  // straight over two pair, ranks repeated
        "Ks Kd Kc As Ad Ac 2s",  // two sets of three: full house
        "3s 3d 3c Ks Kd 9c 9s",  // three of a kind with two pairs
        "Qs 3d Ks Qd 3c Kd 2b",  // three pairs, the lowest gives no kicker
        "5s 3d Ks 5d 3c Kd Ab",  // three pairs, an ace kicker
        "9s 9d 9c 9b Kd Kc Ks",  // four of a kind with three of a kind
        "9s 9d 9c 9b Ad Ac 2s",  // four of a kind with a pair
        "Js 4d Qc 4s 8b 2d 9c",  // one pair
        "Js 4d Qc 3s 8b 2d 9c",  // high card
    };
    for (const char* text : hands) {
        std::vector<Card> hand = Hand(text);
        std::sort(hand.begin(), hand.end(),
                  [](const Card& a, const Card& b) { return a.rank != b.rank ? a.rank < b.rank : a.suit < b.suit; });
        do {
            ExpectSameAsReference(hand);
            if (testing::Test::HasFailure())
                return;
        } while (std::next_permutation(hand.begin(), hand.end(), [](const Card& a, const Card& b) {
            return a.rank != b.rank ? a.rank < b.rank : a.suit < b.suit;
        }));
    }
}

TEST(HandEvaluatorIdentity, ShortAndLongHandsMatch)
{
    // Hands of up to four cards (the bare flop and less) and hands longer
    // than seven, where two flushes or two sets of four can meet.
    std::mt19937 random(17);
    std::vector<Card> deck;
    for (uint32_t r = 0; r < Card::kRankCount; ++r) {
        for (uint32_t s = 0; s < Card::kSuitCount; ++s)
            deck.emplace_back(r, s);
    }
    for (int i = 0; i < 100000; ++i) {
        std::shuffle(deck.begin(), deck.end(), random);
        const size_t size = i % 2 == 0 ? static_cast<size_t>(i / 2 % 5) : 8 + static_cast<size_t>(i / 2 % 13);
        ExpectSameAsReference(std::vector<Card>(deck.begin(), deck.begin() + size));
        if (testing::Test::HasFailure())
            return;
    }
}

TEST(HandEvaluatorIdentity, RepeatedAndUnrealCardsMatchTheEarlierEvaluator)
{
    std::mt19937 random(16);
    for (int i = 0; i < 200000; ++i) {
        std::vector<Card> hand;
        for (int k = 0; k < 7; ++k) {
            // Mostly real cards from a small pool (so repeats are common), now
            // and then the no-card value or a field out of range.
            const uint32_t pick = random() % 40;
            hand.push_back(pick < 36 ? Card(9 + pick % 4, pick % 3) : pick < 38 ? Card::None() : Card(pick, 1));
        }
        ExpectSameAsReference(hand);
        if (testing::Test::HasFailure())
            return;
    }
}

} // namespace
