#include "game/table/HandEvaluator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>

namespace {

// Rank bits of the royal window, ten to ace.
constexpr uint16_t kRoyalWindow = 0x1F00;
// A wheel (ace to five) is five-high.
constexpr int kWheelTop = 3;
// Cards past the 64th of a hand are not used: groups mark their cards in a
// 64-bit mask, and no deal comes near that many.
constexpr size_t kMaxCards = 64;

// The highest straight in a rank mask, as the rank of its top card (3 for the
// wheel), or -1.
int HighestStraight(uint32_t ranks)
{
    // Bit 0 is the ace played low, bit r + 1 the rank r; a run of five set
    // bits starting at bit b is a straight topped by rank b + 3.
    const uint32_t bits = (ranks << 1) | ((ranks >> 12) & 1u);
    const uint32_t runs = bits & (bits >> 1) & (bits >> 2) & (bits >> 3) & (bits >> 4);
    if (runs == 0)
        return -1;
    return std::bit_width(runs) - 1 + 3;
}

// The five ranks of the window topped by `top`, in window order.
std::array<uint32_t, 5> WindowRanks(int top)
{
    if (top == kWheelTop)
        return {12, 0, 1, 2, 3};
    const uint32_t low = static_cast<uint32_t>(top - 4);
    return {low, low + 1, low + 2, low + 3, low + 4};
}

// Bits set in a rank mask (kept here so it compiles to plain arithmetic on
// any target, without a library call).
int CountRanks(uint32_t ranks)
{
    ranks = ranks - ((ranks >> 1) & 0x5555u);
    ranks = (ranks & 0x3333u) + ((ranks >> 2) & 0x3333u);
    ranks = (ranks + (ranks >> 4)) & 0x0F0Fu;
    return static_cast<int>((ranks + (ranks >> 8)) & 0x1Fu);
}

// What a hand holds: per suit its ranks and count, and the ranks held at
// least once, twice, three and four times. Plain 32-bit fields, so that the
// compiler keeps them in registers while a hand is counted.
struct Counts {
    std::array<uint32_t, Card::kSuitCount> suitRanks{};
    uint32_t suitCounter = 0;   // one byte per suit
    uint32_t once = 0;
    uint32_t twice = 0;
    uint32_t thrice = 0;
    uint32_t fourTimes = 0;

    uint32_t SuitCount(uint32_t suit) const { return (suitCounter >> (8 * suit)) & 0xFFu; }
};

// Counts the real cards of a hand (at most kMaxCards of them), calling
// onCard(card) for each in order. The running counts live in locals: kept in
// a struct, the compiler packs them into vector registers and back to memory
// on every card, which costs more than the counting.
template <class OnCard> Counts CountCards(const Card* cards, size_t count, OnCard onCard)
{
    Counts counts;
    uint32_t suitCounter = 0, once = 0, twice = 0, thrice = 0, fourTimes = 0;
    size_t used = 0;
    for (size_t i = 0; i < count && used < kMaxCards; ++i) {
        const Card& card = cards[i];
        if (!card.IsReal())
            continue;
        const uint32_t bit = 1u << card.rank;
        counts.suitRanks[card.suit] |= bit;
        suitCounter += 1u << (8 * card.suit);
        // Each level takes the bit when the level below already had it.
        fourTimes |= thrice & bit;
        thrice |= twice & bit;
        twice |= once & bit;
        once |= bit;
        onCard(card);
        ++used;
    }
    counts.suitCounter = suitCounter;
    counts.once = once;
    counts.twice = twice;
    counts.thrice = thrice;
    counts.fourTimes = fourTimes;
    return counts;
}

// The category, and where its cards are, from the counts alone.
struct Shape {
    uint32_t category = kHighCard;
    int suit = -1;   // royal, straight flush or flush
    int top = -1;    // straight or straight flush
};

Shape ShapeOf(const Counts& counts)
{
    Shape shape;
    for (uint32_t suit = 0; suit < Card::kSuitCount; ++suit) {
        if (counts.SuitCount(suit) < 5)
            continue;
        const uint32_t ranks = counts.suitRanks[suit];
        if ((ranks & kRoyalWindow) == kRoyalWindow)
            return {kRoyalFlush, static_cast<int>(suit), 12};
        const int top = HighestStraight(ranks);
        if (top > shape.top)
            shape = {kStraightFlush, static_cast<int>(suit), top};
    }
    if (shape.category == kStraightFlush)
        return shape;
    if (counts.fourTimes != 0)
        return {kFourOfAKind, -1, -1};
    const int triples = CountRanks(counts.thrice);
    const int pairs = CountRanks(counts.twice & ~counts.thrice);
    if (triples >= 1 && triples + pairs >= 2)
        return {kFullHouse, -1, -1};
    for (uint32_t suit = 0; suit < Card::kSuitCount; ++suit) {
        if (counts.SuitCount(suit) >= 5)
            return {kFlush, static_cast<int>(suit), -1};
    }
    const int top = HighestStraight(counts.once);
    if (top >= 0)
        return {kStraight, -1, top};
    if (triples >= 1)
        return {kThreeOfAKind, -1, -1};
    if (pairs >= 2)
        return {kTwoPair, -1, -1};
    if (pairs == 1)
        return {kPair, -1, -1};
    return {kHighCard, -1, -1};
}

// A list of card indices, never longer than a hand.
struct Indices {
    std::array<uint8_t, kMaxCards> at;
    size_t count = 0;

    void Add(size_t i) { at[count++] = static_cast<uint8_t>(i); }
    // Appends the cards of a mask in card order, at most `limit` of them.
    void AddLowest(uint64_t cards, size_t limit)
    {
        for (; cards != 0 && limit > 0; --limit) {
            Add(static_cast<size_t>(std::countr_zero(cards)));
            cards &= cards - 1;
        }
    }
};

// One bit per card index.
using Mask = uint64_t;

bool HoldsAtLeast(Mask cards, size_t count)
{
    for (; count > 1 && cards != 0; --count)
        cards &= cards - 1;
    return cards != 0;
}

// Sets of `size` cards (pairs, triples) in the order they are found scanning
// the cards: by the index of each set's first card.
void OrderSetsByFirstCard(Indices& sets, size_t size)
{
    for (size_t a = size; a < sets.count; a += size) {
        for (size_t b = a; b >= size && sets.at[b] < sets.at[b - size]; b -= size) {
            for (size_t k = 0; k < size; ++k)
                std::swap(sets.at[b + k], sets.at[b - size + k]);
        }
    }
}

// The real cards of a hand in the order given, with their counts, and the
// groups being built from them. Cards are referred to by their index, and
// sets of cards by masks of those indices.
class GroupBuilder {
public:
    GroupBuilder(const Card* cards, size_t count, std::vector<HandGroup>& groups) : groups_(groups)
    {
        counts_ = CountCards(cards, count, [this](const Card& card) {
            rank_[size_] = static_cast<uint8_t>(card.rank);
            suit_[size_] = static_cast<uint8_t>(card.suit);
            rankCards_[card.rank] |= Mask{1} << size_;
            suitCards_[card.suit] |= Mask{1} << size_;
            ++size_;
        });
    }

    const Counts& GetCounts() const { return counts_; }

    // The window's cards in window order: each place takes the first card of
    // its rank (and of `suit`, when one is given).
    void AddWindow(uint32_t category, int top, int suit)
    {
        const Mask allowed = suit < 0 ? ~Mask{0} : suitCards_[static_cast<size_t>(suit)];
        Indices picked;
        for (uint32_t rank : WindowRanks(top))
            picked.AddLowest(rankCards_[rank] & allowed, 1);
        Append(category, picked);
    }

    // The first four cards, in card order, of the rank held four times whose
    // first card comes first.
    void AddFourOfAKind()
    {
        int firstRank = -1;
        size_t firstCard = kMaxCards;
        for (uint32_t ranks = counts_.fourTimes; ranks != 0; ranks &= ranks - 1) {
            const int rank = std::countr_zero(ranks);
            const size_t card = static_cast<size_t>(std::countr_zero(rankCards_[static_cast<size_t>(rank)]));
            if (card < firstCard) {
                firstCard = card;
                firstRank = rank;
            }
        }
        Indices picked;
        picked.AddLowest(rankCards_[static_cast<size_t>(firstRank)], 4);
        Append(kFourOfAKind, picked);
        AddKickers();
    }

    // The suit's five highest cards.
    void AddFlush(uint32_t suit)
    {
        Indices picked;
        for (int rank = 12; rank >= 0 && picked.count < 5; --rank)
            picked.AddLowest(rankCards_[static_cast<size_t>(rank)] & suitCards_[suit], 5 - picked.count);
        Append(kFlush, picked);
    }

    void AddFullHouse()
    {
        Indices triples;
        FindSets(counts_.thrice, 3, 0, triples);
        // With two sets of three, the set of the higher rank is the three of a
        // kind and the other supplies the pair, whatever order the cards came in.
        const size_t highest = static_cast<size_t>(std::bit_width(counts_.thrice) - 1);
        Mask threeOfAKind = 0;
        for (size_t k = 0; k < triples.count; ++k) {
            if (rank_[triples.at[k]] == highest)
                threeOfAKind |= Mask{1} << triples.at[k];
        }
        Indices pairs;
        FindSets(counts_.twice, 2, threeOfAKind, pairs);
        Append(kThreeOfAKind, triples);
        Append(kPair, pairs);
        AddKickers();
    }

    void AddThreeOfAKind()
    {
        Indices triples;
        FindSets(counts_.thrice, 3, 0, triples);
        Append(kThreeOfAKind, triples);
        AddKickers();
    }

    void AddTwoPair()
    {
        Indices pairs;
        // Only the two highest pairs count; a lower one may still give the kicker.
        uint32_t ranks = counts_.twice;
        while (CountRanks(ranks) > 2)
            ranks &= ranks - 1;
        FindSets(ranks, 2, 0, pairs);
        Append(kTwoPair, pairs);
        AddKickers();
    }

    void AddPair()
    {
        Indices pairs;
        FindSets(counts_.twice, 2, 0, pairs);
        Append(kPair, pairs);
        AddKickers();
    }

    // Fills the hand up to five cards with the highest cards not in a group;
    // cards of equal rank are taken in card order.
    void AddKickers()
    {
        if (usedCount_ >= 5)
            return;
        const size_t need = 5 - usedCount_;
        Indices kickers;
        for (int rank = 12; rank >= 0 && kickers.count < need; --rank)
            kickers.AddLowest(rankCards_[static_cast<size_t>(rank)] & ~used_, need - kickers.count);
        if (kickers.count > 0)
            Append(kHighCard, kickers);
    }

private:
    // Every set of `size` cards of one rank (pairs, triples) among the ranks
    // given and the cards not excluded: each card not yet in a set with the
    // next cards of its rank, in the order the scan finds them.
    void FindSets(uint32_t ranks, size_t size, Mask excluded, Indices& sets) const
    {
        for (; ranks != 0; ranks &= ranks - 1) {
            Mask cards = rankCards_[static_cast<size_t>(std::countr_zero(ranks))] & ~excluded;
            while (HoldsAtLeast(cards, size)) {
                for (size_t k = 0; k < size; ++k) {
                    sets.Add(static_cast<size_t>(std::countr_zero(cards)));
                    cards &= cards - 1;
                }
            }
        }
        OrderSetsByFirstCard(sets, size);
    }

    void Append(uint32_t category, const Indices& picked)
    {
        HandGroup& group = groups_.emplace_back();
        group.category = category;
        group.cards.reserve(picked.count);
        for (size_t k = 0; k < picked.count; ++k) {
            const size_t i = picked.at[k];
            group.cards.emplace_back(rank_[i], suit_[i]);
            const Mask bit = Mask{1} << i;
            usedCount_ += (used_ & bit) == 0;
            used_ |= bit;
        }
    }

    std::array<uint8_t, kMaxCards> rank_;
    std::array<uint8_t, kMaxCards> suit_;
    std::array<Mask, Card::kRankCount> rankCards_{};
    std::array<Mask, Card::kSuitCount> suitCards_{};
    size_t size_ = 0;
    Counts counts_;
    std::vector<HandGroup>& groups_;
    Mask used_ = 0;
    size_t usedCount_ = 0;
};

} // namespace

namespace {

// Appends the hand's groups and returns its category.
uint32_t BuildHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups)
{
    GroupBuilder builder(cards.data(), cards.size(), groups);
    const Shape shape = ShapeOf(builder.GetCounts());
    switch (shape.category) {
    case kRoyalFlush:
    case kStraightFlush:
    case kStraight:
        builder.AddWindow(shape.category, shape.top, shape.suit);
        break;
    case kFourOfAKind:
        builder.AddFourOfAKind();
        break;
    case kFullHouse:
        builder.AddFullHouse();
        break;
    case kFlush:
        builder.AddFlush(static_cast<uint32_t>(shape.suit));
        break;
    case kThreeOfAKind:
        builder.AddThreeOfAKind();
        break;
    case kTwoPair:
        builder.AddTwoPair();
        break;
    case kPair:
        builder.AddPair();
        break;
    default:
        builder.AddKickers();
        break;
    }
    return shape.category;
}

} // namespace

void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups)
{
    categories.push_back(BuildHand(cards, groups));
}

uint32_t EvaluateHandCategory(const Card* cards, size_t count)
{
    return ShapeOf(CountCards(cards, count, [](const Card&) {})).category;
}

void SortHandGroups(std::vector<HandGroup>& groups)
{
    for (HandGroup& group : groups) {
        // Groups hold a handful of cards: an insertion sort, stable and
        // without the buffer a library stable sort would allocate.
        std::vector<Card>& cards = group.cards;
        for (size_t a = 1; a < cards.size(); ++a) {
            const Card moving = cards[a];
            size_t b = a;
            for (; b > 0 && moving > cards[b - 1]; --b)
                cards[b] = cards[b - 1];
            cards[b] = moving;
        }
    }
}

uint32_t EvaluateSortedHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups)
{
    groups.clear();
    const uint32_t category = BuildHand(cards, groups);
    SortHandGroups(groups);
    return category;
}

std::string HandCategoryName(uint32_t category)
{
    static const char* const kNames[] = {"High Card",       "Pair",       "Two Pair",
                                         "Three of a Kind", "Straight",   "Flush",
                                         "Full House",      "Four of a Kind", "Straight Flush",
                                         "Royal Flush"};
    if (category > kRoyalFlush)
        return std::string();
    return kNames[category];
}

namespace {

bool HasSuitWithExactly(const std::vector<Card>& cards, uint32_t wanted)
{
    std::array<uint32_t, Card::kSuitCount> counts{};
    for (const Card& card : cards) {
        if (card.IsReal())
            counts[card.suit]++;
    }
    return std::find(counts.begin(), counts.end(), wanted) != counts.end();
}

} // namespace

bool HasSuitWithExactlyThree(const std::vector<Card>& cards) { return HasSuitWithExactly(cards, 3); }

bool HasSuitWithExactlyFour(const std::vector<Card>& cards) { return HasSuitWithExactly(cards, 4); }
