// The evaluator against its earlier implementation (kept under bench/ as the
// benchmark's reference): the same category and the same groups, field by
// field, on random hands of five, six and seven distinct cards, and on hands
// with repeated and unreal cards.
#include "bench/reference/ReferenceHandEvaluator.h"
#include "game/table/HandEvaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

void ExpectSameAsReference(const std::vector<Card>& hand)
{
    ASSERT_EQ(EvaluateHandCategory(hand), reference_evaluator::EvaluateHandCategory(hand.data(), hand.size()));
    std::vector<uint32_t> categories, referenceCategories;
    std::vector<HandGroup> groups, referenceGroups;
    EvaluateHand(hand, categories, groups);
    reference_evaluator::EvaluateHand(hand, referenceCategories, referenceGroups);
    ASSERT_EQ(categories, referenceCategories);
    ASSERT_EQ(groups.size(), referenceGroups.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        ASSERT_EQ(groups[g].category, referenceGroups[g].category);
        ASSERT_EQ(groups[g].cards, referenceGroups[g].cards);
    }
}

TEST(HandEvaluatorIdentity, RandomDistinctHandsMatchTheEarlierEvaluator)
{
    std::mt19937 random(15);
    std::vector<Card> deck;
    for (uint32_t r = 0; r < Card::kRankCount; ++r) {
        for (uint32_t s = 0; s < Card::kSuitCount; ++s)
            deck.emplace_back(r, s);
    }
    for (int i = 0; i < 1000000; ++i) {
        // A partial shuffle: the first seven places are a uniform deal.
        for (size_t k = 0; k < 7; ++k)
            std::swap(deck[k], deck[k + random() % (deck.size() - k)]);
        for (size_t size = 5; size <= 7; ++size)
            ExpectSameAsReference(std::vector<Card>(deck.begin(), deck.begin() + size));
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
    }
}

} // namespace
