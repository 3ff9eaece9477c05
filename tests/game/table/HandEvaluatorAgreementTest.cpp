// The evaluator against the plain rating of a hand (kept under bench/ as the
// benchmark's reference: the best of every five-card choice, each rated on
// its own): the same category, and a sorted record holding the cards the
// rating chose, in its order, on random hands of five, six and seven
// distinct cards (every category among them), on hands built for each
// tie-break in every order of their cards, and on hands with repeated and
// unreal cards; the unsorted record is the sorted one before its sort. The
// category once more through each way of reading the cards.
#include "bench/reference/PlainHandRating.h"
#include "game/table/HandEvaluator.h"
#include "tests/game/table/CardsByName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <optional>
#include <random>
#include <string>

namespace {

using cards_by_name::FullDeck;
using cards_by_name::Hand;

std::string Describe(const std::vector<Card>& hand)
{
    std::string text;
    for (const Card& card : hand)
        text += (text.empty() ? "" : " ") + std::to_string(card.rank) + "/" + std::to_string(card.suit);
    return text;
}

std::string Describe(const std::vector<HandGroup>& groups)
{
    std::string text;
    for (const HandGroup& group : groups) {
        text += (text.empty() ? "" : " | ") + std::to_string(group.category) + ":";
        text += Describe(std::vector<Card>(group.cards.begin(), group.cards.end()));
    }
    return text;
}

// A hand the table could deal: at most seven cards, the real ones distinct.
// The plain rating finds the same hand as the evaluator's record there; with
// more cards, or a card given twice, only the category is the same.
bool IsDealtHand(const std::vector<Card>& hand)
{
    std::vector<Card> real;
    std::copy_if(hand.begin(), hand.end(), std::back_inserter(real), [](const Card& card) { return card.IsReal(); });
    for (size_t i = 0; i < real.size(); ++i)
        if (std::find(real.begin() + static_cast<std::ptrdiff_t>(i) + 1, real.end(), real[i]) != real.end())
            return false;
    return real.size() <= 7;
}

// Compares category, sorted record and raw record; returns the category.
uint32_t ExpectAgreesWithPlainRating(const std::vector<Card>& hand)
{
    const plain_rating::Rating plain = plain_rating::RateHand(hand);
    const uint32_t category = EvaluateHandCategory(hand);
    EXPECT_EQ(category, plain.category) << Describe(hand);

    // The sorted evaluation starts from a stale record and clears it first.
    std::vector<HandGroup> sorted = {HandGroup{kPair, {Card(0, 0)}}};
    EXPECT_EQ(EvaluateSortedHand(hand, sorted), category) << Describe(hand);
    if (IsDealtHand(hand)) {
        EXPECT_TRUE(plain_rating::RecordHoldsRating(category, sorted, plain))
            << Describe(hand) << " gives " << Describe(sorted);
    }

    std::vector<uint32_t> categories;
    std::vector<HandGroup> raw;
    EvaluateHand(hand, categories, raw);
    EXPECT_EQ(categories, std::vector<uint32_t>{category}) << Describe(hand);
    // A group full to its seven cards (a full house among nine cards or
    // more) keeps the first it found, which need not be the highest.
    SortHandGroups(raw);
    const auto full = [](const HandGroup& group) { return group.cards.size() == CardGroup::kCapacity; };
    if (std::none_of(sorted.begin(), sorted.end(), full)) {
        EXPECT_EQ(Describe(raw), Describe(sorted)) << Describe(hand);
    }
    return category;
}

// The hand sets below call `check` on each hand and stop at the first
// failure; each is used for the whole record and for every category reader.

// Hands of five, six and seven distinct cards, uniform deals.
template <class Check> void ForRandomDistinctHands(Check check)
{
    std::mt19937 random(15);
    std::vector<Card> deck = FullDeck();
    for (int i = 0; i < 200000; ++i) {
        // A partial shuffle: the first seven places are a uniform deal.
        for (size_t k = 0; k < 7; ++k)
            std::swap(deck[k], deck[k + random() % (deck.size() - k)]);
        for (size_t size = 5; size <= 7; ++size) {
            check(std::vector<Card>(deck.begin(), deck.begin() + size));
            if (testing::Test::HasFailure())
                return;
        }
    }
}

// Each hand puts a choice to the evaluator: which cards fill a window,
// which pairs and kickers count, which card of a rank comes first. All
// 5040 orders of seven cards try each choice from every side.
template <class Check> void ForEveryTieBreakOrder(Check check)
{
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
    const auto before = [](const Card& a, const Card& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.suit < b.suit;
    };
    for (const char* text : hands) {
        std::vector<Card> hand = Hand(text);
        std::sort(hand.begin(), hand.end(), before);
        do {
            check(hand);
            if (testing::Test::HasFailure())
                return;
        } while (std::next_permutation(hand.begin(), hand.end(), before));
    }
}

// Hands of up to four cards (the bare flop and less) and hands of eight to
// thirteen cards, where two flushes or two sets of four can meet.
template <class Check> void ForShortAndLongHands(Check check)
{
    std::mt19937 random(17);
    std::vector<Card> deck = FullDeck();
    for (int i = 0; i < 20000; ++i) {
        std::shuffle(deck.begin(), deck.end(), random);
        const size_t size = i % 2 == 0 ? static_cast<size_t>(i / 2 % 5) : 8 + static_cast<size_t>(i / 2 % 6);
        check(std::vector<Card>(deck.begin(), deck.begin() + size));
        if (testing::Test::HasFailure())
            return;
    }
}

// Seven places, mostly real cards from a small pool (so repeats are common),
// now and then the no-card value or a field out of range; and every kind of
// card that is not real in every place of an otherwise plain hand.
template <class Check> void ForRepeatedAndUnrealHands(Check check)
{
    std::mt19937 random(16);
    for (int i = 0; i < 200000; ++i) {
        std::vector<Card> hand;
        for (int k = 0; k < 7; ++k) {
            const uint32_t pick = random() % 40;
            hand.push_back(pick < 36 ? Card(9 + pick % 4, pick % 3) : pick < 38 ? Card::None() : Card(pick, 1));
        }
        check(hand);
        if (testing::Test::HasFailure())
            return;
    }
    // Fields just past the real ones, at the edges of a suit's 16 bits, and
    // far out: none may pass for a real card.
    const Card unreal[] = {Card(13, 0), Card(15, 1), Card(16, 0), Card(16, 2), Card(31, 1), Card(32, 0),
                           Card(63, 0), Card(64, 0), Card(0, 4), Card(0, 5), Card(3, 16), Card(0xFFFFFFFFu, 0),
                           Card(0, 0xFFFFFFFFu), Card(0x10000000u, 2), Card::None()};
    const std::vector<Card> plain = Hand("2s 4c 6d 8b 0s Qc Ad");
    for (const Card& bad : unreal) {
        for (size_t place = 0; place < plain.size(); ++place) {
            std::vector<Card> hand = plain;
            hand[place] = bad;
            check(hand);
            if (testing::Test::HasFailure())
                return;
        }
    }
}

TEST(HandEvaluatorAgreement, RandomDistinctHandsRateAsThePlainRatingRatesThem)
{
    std::array<int, kRoyalFlush + 1> seen{};
    ForRandomDistinctHands([&](const std::vector<Card>& hand) { ++seen[ExpectAgreesWithPlainRating(hand)]; });
    // The deals reach every category, royal flushes included (about ten of
    // them in six hundred thousand hands).
    for (uint32_t category = kHighCard; category <= kRoyalFlush; ++category)
        EXPECT_GT(seen[category], 0) << HandCategoryName(category);
}

TEST(HandEvaluatorAgreement, EveryTieBreakAgreesInEveryCardOrder)
{
    ForEveryTieBreakOrder(ExpectAgreesWithPlainRating);
}

TEST(HandEvaluatorAgreement, ShortAndLongHandsAgree) { ForShortAndLongHands(ExpectAgreesWithPlainRating); }

TEST(HandEvaluatorAgreement, RepeatedAndUnrealCardsAgree) { ForRepeatedAndUnrealHands(ExpectAgreesWithPlainRating); }

// Each way of reading the cards, called directly whatever the dispatch here
// picks, against the plain rating over the same hands.
class CategoryReaderAgreement : public testing::TestWithParam<CategoryReader> {
protected:
    void SetUp() override
    {
        const auto& here = CategoryReadersHere();
        if (std::find(here.begin(), here.end(), GetParam()) == here.end())
            GTEST_SKIP() << "this processor lacks the vector unit of this reader";
    }

    void ExpectSameCategory(const std::vector<Card>& hand) const
    {
        ASSERT_EQ(EvaluateHandCategory(GetParam(), hand.data(), hand.size()),
                  plain_rating::RateHand(hand).category)
            << Describe(hand);
    }

    std::function<void(const std::vector<Card>&)> Check() const
    {
        return [this](const std::vector<Card>& hand) { ExpectSameCategory(hand); };
    }
};

TEST_P(CategoryReaderAgreement, RandomDistinctHands) { ForRandomDistinctHands(Check()); }

TEST_P(CategoryReaderAgreement, EveryTieBreakOrder) { ForEveryTieBreakOrder(Check()); }

TEST_P(CategoryReaderAgreement, ShortAndLongHands) { ForShortAndLongHands(Check()); }

TEST_P(CategoryReaderAgreement, RepeatedAndUnrealCards) { ForRepeatedAndUnrealHands(Check()); }

TEST_P(CategoryReaderAgreement, CardsPastTheCountAreNeverRead)
{
    // A hand inside a longer row: the cards after it would change the
    // category (four kings, then a fifth heart) if a reader took them in.
    const std::vector<Card> row = Hand("Ks Kd 2b 5b 9b Jb Kc Kb Qb Qs Qc");
    for (size_t count = 0; count <= 7; ++count) {
        const std::vector<Card> hand(row.begin(), row.begin() + count);
        ASSERT_EQ(EvaluateHandCategory(GetParam(), row.data(), count),
                  plain_rating::RateHand(hand).category)
            << count << " cards";
    }
}

// The bit of each real card in the suit masks, 16 * suit + rank.
uint64_t BitsOf(const std::vector<Card>& hand)
{
    uint64_t bits = 0;
    for (const Card& card : hand) {
        if (card.IsReal())
            bits |= uint64_t{1} << (16 * card.suit + card.rank);
    }
    return bits;
}

bool AllRealAndDistinct(const std::vector<Card>& hand)
{
    return std::all_of(hand.begin(), hand.end(), [](const Card& card) { return card.IsReal(); }) &&
           static_cast<size_t>(std::popcount(BitsOf(hand))) == hand.size();
}

// The reading itself, apart from the category: a reader that lost a card's
// bit would still give the right category, through the general path, and
// only run slower.
TEST_P(CategoryReaderAgreement, SuitMasksHoldExactlyTheCardsOfADistinctRealHand)
{
    std::mt19937 random(18);
    std::vector<Card> deck = FullDeck();
    for (int i = 0; i < 20000; ++i) {
        std::shuffle(deck.begin(), deck.end(), random);
        const std::vector<Card> hand(deck.begin(), deck.begin() + i % 9);
        const std::optional<uint64_t> masks = ReadSuitMasks(GetParam(), hand.data(), hand.size());
        // Only the AVX2 reader leaves an empty hand to the general path.
        if (!masks.has_value()) {
            ASSERT_TRUE(hand.empty() && GetParam() == CategoryReader::Avx2) << Describe(hand);
            continue;
        }
        ASSERT_EQ(*masks, BitsOf(hand)) << Describe(hand);
    }
}

TEST_P(CategoryReaderAgreement, SuitMasksOfRepeatedOrUnrealCardsNeverPassForTheHand)
{
    ForRepeatedAndUnrealHands([](const std::vector<Card>& hand) {
        const std::optional<uint64_t> masks = ReadSuitMasks(GetParam(), hand.data(), hand.size());
        if (!masks.has_value())
            return; // left to the general path
        // The scalar reader leaves unreal cards out and passes the real
        // ones on; a vector reader's word falls short of the count.
        if (AllRealAndDistinct(hand) || GetParam() == CategoryReader::Scalar)
            ASSERT_EQ(*masks, BitsOf(hand)) << Describe(hand);
        else
            ASSERT_LT(static_cast<size_t>(std::popcount(*masks)), hand.size()) << Describe(hand);
    });
}

INSTANTIATE_TEST_SUITE_P(EachReader, CategoryReaderAgreement,
                         testing::Values(CategoryReader::Scalar, CategoryReader::Avx2, CategoryReader::Avx512),
                         [](const testing::TestParamInfo<CategoryReader>& info) {
                             switch (info.param) {
                             case CategoryReader::Avx512: return std::string("Avx512");
                             case CategoryReader::Avx2: return std::string("Avx2");
                             default: return std::string("Scalar");
                             }
                         });

TEST(CategoryReaders, ScalarIsAlwaysThereAndEveryReaderAgreesWithTheDispatchedCall)
{
    const auto& here = CategoryReadersHere();
    ASSERT_FALSE(here.empty());
    EXPECT_EQ(here.back(), CategoryReader::Scalar);
    // A hand each reader rates the same way as the dispatched call.
    const std::vector<Card> hand = Hand("As Ks Qs Js 0s 2d 3c");
    for (CategoryReader reader : here)
        EXPECT_EQ(EvaluateHandCategory(reader, hand.data(), hand.size()), EvaluateHandCategory(hand));
}

} // namespace
