// The evaluator against a plain reference written here: the best of the 21
// five-card subsets of seven cards, rated by the ordinary rules of poker.
#include "game/table/HandComparison.h"
#include "game/table/HandEvaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

namespace {

using Key = std::vector<int>;

// Category followed by the ranks that break ties, highest first.
Key RateFive(const std::array<Card, 5>& hand)
{
    std::array<int, 13> count{};
    bool flush = true;
    for (const Card& c : hand) {
        count[c.rank]++;
        flush = flush && c.suit == hand[0].suit;
    }
    // Ranks ordered by how many there are, then by rank.
    std::vector<std::pair<int, int>> byCount;
    for (int r = 12; r >= 0; --r) {
        if (count[r] > 0)
            byCount.push_back({count[r], r});
    }
    std::stable_sort(byCount.begin(), byCount.end(), [](auto a, auto b) { return a.first > b.first; });
    int straightTop = -1;
    if (byCount.size() == 5) {
        if (byCount[0].second - byCount[4].second == 4)
            straightTop = byCount[0].second;
        else if (byCount[0].second == 12 && byCount[1].second == 3)
            straightTop = 3;
    }
    Key ranks;
    for (auto [n, r] : byCount)
        ranks.push_back(r);
    auto with = [&](int category, Key tail) {
        tail.insert(tail.begin(), category);
        return tail;
    };
    if (straightTop >= 0 && flush)
        return straightTop == 12 ? Key{9} : Key{8, straightTop};
    if (byCount[0].first == 4)
        return with(7, ranks);
    if (byCount[0].first == 3 && byCount[1].first == 2)
        return with(6, ranks);
    if (flush)
        return with(5, ranks);
    if (straightTop >= 0)
        return Key{4, straightTop};
    if (byCount[0].first == 3)
        return with(3, ranks);
    if (byCount[0].first == 2 && byCount[1].first == 2)
        return with(2, ranks);
    if (byCount[0].first == 2)
        return with(1, ranks);
    return with(0, ranks);
}

Key ReferenceBest(const std::vector<Card>& seven)
{
    Key best;
    for (int skipA = 0; skipA < 7; ++skipA) {
        for (int skipB = skipA + 1; skipB < 7; ++skipB) {
            std::array<Card, 5> five;
            size_t n = 0;
            for (int i = 0; i < 7; ++i) {
                if (i != skipA && i != skipB)
                    five[n++] = seven[static_cast<size_t>(i)];
            }
            best = std::max(best, RateFive(five));
        }
    }
    return best;
}

// What the showdown reads from a sorted record: the category, then the ranks
// that decide between two hands of that category.
Key KeyOfRecord(uint32_t category, const std::vector<HandGroup>& groups)
{
    Key key{static_cast<int>(category)};
    auto rank = [&](size_t group, size_t card) { return static_cast<int>(groups.at(group).cards.at(card).rank); };
    auto all = [&](size_t group) {
        if (group < groups.size()) {
            for (const Card& c : groups[group].cards)
                key.push_back(static_cast<int>(c.rank));
        }
    };
    switch (category) {
    case kHighCard:
    case kFlush:
        all(0);
        break;
    case kPair:
    case kThreeOfAKind:
    case kFourOfAKind:
        key.push_back(rank(0, 0));
        all(1);
        break;
    case kTwoPair:
        key.push_back(rank(0, 0));
        key.push_back(rank(0, 2));
        all(1);
        break;
    case kFullHouse:
        key.push_back(rank(0, 0));
        key.push_back(rank(1, 0));
        break;
    case kStraight:
    case kStraightFlush:
        key.push_back(rank(0, 0) == 12 && rank(0, 1) == 3 ? 3 : rank(0, 0));
        break;
    default:
        break;
    }
    return key;
}

int Sign(const Key& a, const Key& b) { return a < b ? -1 : (b < a ? 1 : 0); }

// The reference keeps every rank of a full house or quads; the record keeps
// what decides. Cut the reference to the same length for a full house.
Key Trim(Key key)
{
    if (key[0] == kFullHouse)
        key.resize(3);
    return key;
}

std::vector<Card> FullDeck()
{
    std::vector<Card> deck;
    for (uint32_t r = 0; r < 13; ++r) {
        for (uint32_t s = 0; s < 4; ++s)
            deck.emplace_back(r, s);
    }
    return deck;
}

} // namespace

TEST(HandEvaluatorReference, AgreesWithBestOfTwentyOneOnRandomDeals)
{
    std::mt19937 random(20261207);
    std::vector<Card> deck = FullDeck();
    std::array<int, 10> seen{};
    int ties = 0;
    for (int deal = 0; deal < 60000; ++deal) {
        std::shuffle(deck.begin(), deck.end(), random);
        const std::vector<Card> first(deck.begin(), deck.begin() + 7);
        // The second player shares the board (cards 2..6), as at the table.
        std::vector<Card> second(deck.begin() + 7, deck.begin() + 9);
        second.insert(second.end(), deck.begin() + 2, deck.begin() + 7);

        std::vector<HandGroup> groupsA, groupsB;
        const uint32_t catA = EvaluateSortedHand(first, groupsA);
        const uint32_t catB = EvaluateSortedHand(second, groupsB);
        const Key refA = Trim(ReferenceBest(first));
        const Key refB = Trim(ReferenceBest(second));
        ASSERT_EQ(catA, static_cast<uint32_t>(refA[0])) << ::testing::PrintToString(refA);
        ASSERT_EQ(catB, static_cast<uint32_t>(refB[0]));
        ASSERT_EQ(EvaluateHandCategory(first), catA);
        const Key keyA = KeyOfRecord(catA, groupsA);
        const Key keyB = KeyOfRecord(catB, groupsB);
        ASSERT_EQ(keyA, refA) << "deal " << deal;
        ASSERT_EQ(Sign(keyA, keyB), Sign(refA, refB)) << "deal " << deal;
        seen[catA]++;
        ties += Sign(refA, refB) == 0;
    }
    // The sample reaches every category up to straight flushes, and ties.
    for (uint32_t category = kHighCard; category <= kFourOfAKind; ++category)
        EXPECT_GT(seen[category], 0) << category;
    EXPECT_GT(ties, 0);
}

// The showdown's comparison of two rated hands, both ways round, against the
// reference's order: random deals sharing a board, and deals made to land in
// each category so that ties and near ties within it come up often.
TEST(HandEvaluatorReference, TheShowdownRanksTwoHandsAsTheReferenceDoes)
{
    std::mt19937 random(71);
    std::vector<Card> deck = FullDeck();
    // Small decks make the rarer categories and the close calls common.
    const std::vector<std::vector<uint32_t>> rankSets = {
        {}, {0, 1, 2, 3, 4, 12, 9, 10}, {5, 6, 7, 8, 9, 10, 11, 12}, {2, 7, 11}, {3, 5, 8, 12}};
    std::array<int, 10> seen{};
    for (const std::vector<uint32_t>& ranks : rankSets) {
        std::vector<Card> pack;
        for (const Card& card : deck)
            if (ranks.empty() || std::find(ranks.begin(), ranks.end(), card.rank) != ranks.end())
                pack.push_back(card);
        for (int deal = 0; deal < 4000; ++deal) {
            std::shuffle(pack.begin(), pack.end(), random);
            const std::vector<Card> first(pack.begin(), pack.begin() + 7);
            std::vector<Card> second(pack.begin() + 7, pack.begin() + 9);
            second.insert(second.end(), pack.begin() + 2, pack.begin() + 7);
            Gamespace::HandRecord a, b;
            a.category = EvaluateSortedHand(first, a.groups);
            b.category = EvaluateSortedHand(second, b.groups);
            const int reference = Sign(Trim(ReferenceBest(first)), Trim(ReferenceBest(second)));
            ASSERT_EQ(Gamespace::CompareHands(a, b), reference > 0) << "deal " << deal;
            ASSERT_EQ(Gamespace::CompareHands(b, a), reference < 0) << "deal " << deal;
            seen[a.category]++;
        }
    }
    for (uint32_t category = kHighCard; category <= kFourOfAKind; ++category)
        EXPECT_GT(seen[category], 0) << category;
}

TEST(HandEvaluatorReference, RareHandsAgreeToo)
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
            EXPECT_EQ(KeyOfRecord(category, groups), Trim(ReferenceBest(hand))) << suit << " " << top;
        }
    }
}
