// The evaluator and the showdown against the plain rating of a hand (the
// best of the 21 five-card choices of seven cards, each rated by the
// ordinary rules of poker): two players sharing a board are rated as the
// rating rates them, and the showdown ranks them as it orders them.
#include "bench/reference/PlainHandRating.h"
#include "game/table/HandComparison.h"
#include "game/table/HandEvaluator.h"
#include "tests/game/table/CardsByName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

namespace {

using cards_by_name::FullDeck;

int Sign(uint32_t a, uint32_t b) { return a < b ? -1 : (b < a ? 1 : 0); }

// Deals two players from the top of the pack, the second sharing the
// board (cards 2..6) as at the table; checks both records and the
// showdown between them both ways round. Returns the first player's record
// and the rating's verdict (1: the first wins, 0: they split).
struct Showdown {
    Gamespace::HandRecord first;
    int verdict = 0;
};
Showdown ExpectShowdownAsRated(const std::vector<Card>& pack)
{
    const std::vector<Card> first(pack.begin(), pack.begin() + 7);
    std::vector<Card> second(pack.begin() + 7, pack.begin() + 9);
    second.insert(second.end(), pack.begin() + 2, pack.begin() + 7);
    Gamespace::HandRecord a, b;
    a.category = EvaluateSortedHand(first, a.groups);
    b.category = EvaluateSortedHand(second, b.groups);
    const plain_rating::Rating ratedA = plain_rating::RateHand(first), ratedB = plain_rating::RateHand(second);
    EXPECT_TRUE(plain_rating::RecordHoldsRating(a.category, a.groups, ratedA));
    EXPECT_TRUE(plain_rating::RecordHoldsRating(b.category, b.groups, ratedB));
    const int verdict = Sign(ratedA.strength, ratedB.strength);
    EXPECT_EQ(Gamespace::CompareHands(a, b), verdict > 0);
    EXPECT_EQ(Gamespace::CompareHands(b, a), verdict < 0);
    return {a, verdict};
}

} // namespace

TEST(HandEvaluatorReference, RandomDealsAreRatedAndRankedAsThePlainRatingDoes)
{
    std::mt19937 random(20261207);
    std::vector<Card> deck = FullDeck();
    std::array<int, 10> seen{};
    int ties = 0;
    for (int deal = 0; deal < 60000 && !testing::Test::HasFailure(); ++deal) {
        std::shuffle(deck.begin(), deck.end(), random);
        const Showdown showdown = ExpectShowdownAsRated(deck);
        seen[showdown.first.category]++;
        ties += showdown.verdict == 0;
    }
    // The sample reaches every category up to four of a kind, and ties.
    for (uint32_t category = kHighCard; category <= kFourOfAKind; ++category)
        EXPECT_GT(seen[category], 0) << category;
    EXPECT_GT(ties, 0);
}

// Deals from small packs, so that the rarer categories, the ties and the
// near ties within a category come up often.
TEST(HandEvaluatorReference, CloseCallsAreRankedAsThePlainRatingRanksThem)
{
    std::mt19937 random(71);
    const std::vector<Card> deck = FullDeck();
    const std::vector<std::vector<uint32_t>> rankSets = {
        {}, {0, 1, 2, 3, 4, 12, 9, 10}, {5, 6, 7, 8, 9, 10, 11, 12}, {2, 7, 11}, {3, 5, 8, 12}};
    std::array<int, 10> seen{};
    for (const std::vector<uint32_t>& ranks : rankSets) {
        std::vector<Card> pack;
        for (const Card& card : deck)
            if (ranks.empty() || std::find(ranks.begin(), ranks.end(), card.rank) != ranks.end())
                pack.push_back(card);
        for (int deal = 0; deal < 4000 && !testing::Test::HasFailure(); ++deal) {
            std::shuffle(pack.begin(), pack.end(), random);
            seen[ExpectShowdownAsRated(pack).first.category]++;
        }
    }
    for (uint32_t category = kHighCard; category <= kFourOfAKind; ++category)
        EXPECT_GT(seen[category], 0) << category;
}

TEST(HandEvaluatorReference, EveryStraightFlushWindowOfEverySuitAgrees)
{
    // Every straight flush window of every suit, with two off cards.
    for (uint32_t suit = 0; suit < 4; ++suit) {
        for (int top = 3; top <= 12; ++top) {
            std::vector<Card> hand;
            for (int k = 0; k < 5; ++k) {
                const int r = top - k < 0 || (top == 3 && k == 4) ? 12 : top - k;
                hand.emplace_back(static_cast<uint32_t>(r), suit);
            }
            hand.insert(hand.begin(), Card(static_cast<uint32_t>((top + 3) % 13), (suit + 1) % 4));
            hand.insert(hand.begin(), Card(static_cast<uint32_t>(top), (suit + 2) % 4));
            std::vector<HandGroup> groups;
            const uint32_t category = EvaluateSortedHand(hand, groups);
            EXPECT_TRUE(plain_rating::RecordHoldsRating(category, groups, plain_rating::RateHand(hand)))
                << suit << " " << top;
        }
    }
}
