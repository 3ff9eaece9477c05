// The hand evaluator as it stood before its rank-mask rewrite. Built in a
// translation unit of its own, as the program's evaluator is, so that the
// benchmark compares like with like.
#include "bench/reference/ReferenceHandEvaluator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace reference_evaluator {
namespace {

// Rank bits of the royal window, ten to ace.
constexpr uint32_t kRoyalWindow = 0x1F00;
// A wheel (ace to five) is five-high; its ranks are the ace and two to five.
constexpr int kWheelTop = 3;
constexpr uint32_t kAce = 12;
// Cards past the 64th of a hand are not used: groups mark their cards in a
// 64-bit mask, and no deal comes near that many.
constexpr size_t kMaxCards = 64;

// One bit per card index.
using Mask = uint64_t;
// A card as one plain word.
using CardBits = uint64_t;
static_assert(sizeof(Card) == sizeof(CardBits) && std::is_trivially_copyable_v<Card>);

// The highest straight in a rank mask, as the rank of its top card (3 for the
// wheel), or -1.
int HighestStraight(uint32_t ranks)
{
    // Bit 0 is the ace played low, bit r + 1 the rank r; a run of five set
    // bits starting at bit b is a straight topped by rank b + 3.
    const uint32_t bits = (ranks << 1) | ((ranks >> kAce) & 1u);
    const uint32_t runs = bits & (bits >> 1) & (bits >> 2) & (bits >> 3) & (bits >> 4);
    if (runs == 0)
        return -1;
    return std::bit_width(runs) - 1 + 3;
}

// The rank bits of the window topped by `top`.
uint32_t WindowRanks(int top)
{
    return top == kWheelTop ? (1u << kAce) | 0xFu : 0x1Fu << (top - 4);
}

// Shifts by a variable amount cost several steps on common processors; the
// bits the hot paths need come from tables instead.
constexpr std::array<uint32_t, Card::kRankCount> kRankBits = {
    1u << 0, 1u << 1, 1u << 2, 1u << 3, 1u << 4, 1u << 5, 1u << 6, 1u << 7, 1u << 8, 1u << 9, 1u << 10, 1u << 11, 1u << 12};
constexpr std::array<uint32_t, Card::kSuitCount> kSuitOnes = {1u, 1u << 8, 1u << 16, 1u << 24};

uint32_t RankBit(uint32_t rank) { return kRankBits[rank]; }

// One in the suit's byte of a suit counter.
uint32_t SuitOne(uint32_t suit) { return kSuitOnes[suit]; }

bool HoldsTwoOrMore(uint64_t bits) { return (bits & (bits - 1)) != 0; }

uint32_t HighestBit(uint32_t bits) { return static_cast<uint32_t>(std::bit_width(bits) - 1); }

size_t LowestBit(Mask bits) { return static_cast<size_t>(std::countr_zero(bits)); }

// What a hand holds: per suit its count, and the ranks held at least once,
// twice, three and four times. The ranks of each suit matter only to a
// flush, rare enough to count them again then. Plain 32-bit fields, so that
// the compiler keeps them in registers while a hand is counted.
struct Counts {
    uint32_t suitCounter = 0;   // one byte per suit
    uint32_t once = 0;
    uint32_t twice = 0;
    uint32_t thrice = 0;
    uint32_t fourTimes = 0;
    uint32_t cards = 0;         // real cards counted

    // One bit (the top bit of the suit's byte) for each suit holding five
    // cards or more: a count is at most 64, so adding 123 carries into the
    // top bit of its byte exactly from five on, and never out of the byte.
    uint32_t FlushSuits() const { return (suitCounter + 0x7B7B7B7Bu) & 0x80808080u; }
};

uint32_t FirstSuit(uint32_t flushSuits) { return static_cast<uint32_t>(std::countr_zero(flushSuits)) / 8; }

// Calls onCard(card, index among the real cards, bit of that index) for the
// real cards of a hand in order, at most kMaxCards of them; returns how many.
// The card bit moves one place per card, rather than being shifted into
// place (see RankBit).
template <class OnCard> size_t ForEachRealCard(const Card* cards, size_t count, OnCard onCard)
{
    size_t used = 0;
    Mask cardBit = 1;
    for (size_t i = 0; i < count && used < kMaxCards; ++i) {
        const Card& card = cards[i];
        if (!card.IsReal())
            continue;
        onCard(card, used, cardBit);
        ++used;
        cardBit <<= 1;
    }
    return used;
}

// The ranks of one suit among the real cards.
uint32_t SuitRanksOf(const Card* cards, size_t count, uint32_t suit)
{
    uint32_t ranks = 0;
    ForEachRealCard(cards, count, [&](const Card& card, size_t, Mask) {
        if (card.suit == suit)
            ranks |= RankBit(card.rank);
    });
    return ranks;
}

// Counts the real cards of a hand, calling onCard as ForEachRealCard does.
// The running counts live in locals: kept in a struct, the compiler packs
// them into vector registers and back to memory on every card, which costs
// more than the counting.
template <class OnCard> Counts CountCards(const Card* cards, size_t count, OnCard onCard)
{
    Counts counts;
    uint32_t suitCounter = 0, once = 0, twice = 0, thrice = 0, fourTimes = 0;
    const size_t used = ForEachRealCard(cards, count, [&](const Card& card, size_t index, Mask cardBit) {
        const uint32_t bit = RankBit(card.rank);
        suitCounter += SuitOne(card.suit);
        // Each level takes the bit when the level below already had it.
        fourTimes |= thrice & bit;
        thrice |= twice & bit;
        twice |= once & bit;
        once |= bit;
        onCard(card, index, cardBit);
    });
    counts.suitCounter = suitCounter;
    counts.once = once;
    counts.twice = twice;
    counts.thrice = thrice;
    counts.fourTimes = fourTimes;
    counts.cards = static_cast<uint32_t>(used);
    return counts;
}

// Decides the category from the counts (and, for a flush, the ranks of its
// suit, from groups.SuitRanks) and tells `groups` where its cards are, so
// that building the groups costs no second decision. With NoGroups it is the
// category and nothing more.
template <class Groups> uint32_t Classify(const Counts& counts, Groups& groups)
{
    const uint32_t flushSuits = counts.FlushSuits();
    if (flushSuits != 0) {
        // Only ten cards or more can give two suits of five; the highest
        // straight flush among them counts, the first suit on a tie.
        int bestTop = -1;
        uint32_t bestSuit = 0;
        for (uint32_t suits = flushSuits; suits != 0; suits &= suits - 1) {
            const uint32_t suit = FirstSuit(suits);
            const uint32_t ranks = groups.SuitRanks(suit);
            if ((ranks & kRoyalWindow) == kRoyalWindow) {
                groups.AddWindow(kRoyalFlush, kAce, static_cast<int>(suit));
                return kRoyalFlush;
            }
            const int top = HighestStraight(ranks);
            if (top > bestTop) {
                bestTop = top;
                bestSuit = suit;
            }
        }
        if (bestTop >= 0) {
            groups.AddWindow(kStraightFlush, bestTop, static_cast<int>(bestSuit));
            return kStraightFlush;
        }
    }
    if (counts.fourTimes != 0) {
        groups.AddFourOfAKind();
        return kFourOfAKind;
    }
    // A full house is a rank held three times and any other held twice or
    // more: the ranks held twice include those held three times.
    if (counts.thrice != 0 && HoldsTwoOrMore(counts.twice)) {
        groups.AddFullHouse();
        return kFullHouse;
    }
    if (flushSuits != 0) {
        groups.AddFlush(FirstSuit(flushSuits));
        return kFlush;
    }
    const int top = HighestStraight(counts.once);
    if (top >= 0) {
        groups.AddWindow(kStraight, top, -1);
        return kStraight;
    }
    if (counts.thrice != 0) {
        groups.AddThreeOfAKind();
        return kThreeOfAKind;
    }
    if (HoldsTwoOrMore(counts.twice)) {
        groups.AddTwoPair();
        return kTwoPair;
    }
    if (counts.twice != 0) {
        groups.AddPair();
        return kPair;
    }
    groups.AddHighCard();
    return kHighCard;
}

// Builds no groups; finds the ranks of a suit by going over the cards again.
struct NoGroups {
    const Card* cards;
    size_t count;

    uint32_t SuitRanks(uint32_t suit) const { return SuitRanksOf(cards, count, suit); }
    void AddWindow(uint32_t, int, int) {}
    void AddFourOfAKind() {}
    void AddFullHouse() {}
    void AddFlush(uint32_t) {}
    void AddThreeOfAKind() {}
    void AddTwoPair() {}
    void AddPair() {}
    void AddHighCard() {}
};

// The real cards of a hand in the order given, with their counts, and the
// groups being built from them. Cards are referred to by their index, and
// sets of cards by masks of those indices. Built `Sorted`, every group comes
// out as SortHandGroups would leave it (by rank, high to low, cards of equal
// rank in the order found), which saves sorting afterwards.
//
// Past the counting, no group needs a search: every rank that makes a pair,
// three or four of a kind is known from the counts, and so are its cards,
// from the mask of cards of each rank.
template <bool Sorted> class GroupBuilder {
public:
    // The counts are built in place: copied out of a just-written local,
    // they would be read back before their stores had landed.
    GroupBuilder(const Card* cards, size_t count, std::vector<HandGroup>& groups)
        : rankCards_(NoCards()),
          counts_(CountCards(cards, count,
                             [this](const Card& card, size_t index, Mask bit) {
                                 rankCards_[card.rank] |= bit;
                                 cards_[index] = std::bit_cast<CardBits>(card);
                             })),
          size_(counts_.cards),
          groups_(groups)
    {
    }

    const Counts& GetCounts() const { return counts_; }

    // The ranks of one suit, found only when a flush needs them.
    uint32_t SuitRanks(uint32_t suit) const
    {
        uint32_t ranks = 0;
        for (size_t i = 0; i < size_; ++i) {
            if (CardAt(i).suit == suit)
                ranks |= RankBit(CardAt(i).rank);
        }
        return ranks;
    }

    // The window's cards in window order: each place takes the first card of
    // its rank (and of `suit`, when one is given).
    void AddWindow(uint32_t category, int top, int suit)
    {
        const Mask allowed = suit < 0 ? ~Mask{0} : SuitCards(static_cast<uint32_t>(suit));
        CardGroup& group = Open(category);
        uint32_t ranks = WindowRanks(top);
        if (Sorted) {
            // High to low: a wheel's ace comes first as its highest bit.
            for (; ranks != 0; ranks &= ~RankBit(HighestBit(ranks)))
                Put(group, LowestBit(rankCards_[HighestBit(ranks)] & allowed));
            return;
        }
        if (top == kWheelTop) {
            Put(group, LowestBit(rankCards_[kAce] & allowed));
            ranks &= ~RankBit(kAce);
        }
        for (; ranks != 0; ranks &= ranks - 1)
            Put(group, LowestBit(rankCards_[LowestBit(ranks)] & allowed));
    }

    // The first four cards, in card order, of the rank held four times whose
    // first card comes first; the kicker is the highest card left.
    void AddFourOfAKind()
    {
        uint32_t rank = static_cast<uint32_t>(LowestBit(counts_.fourTimes));
        // Two ranks held four times take eight cards or more.
        for (uint32_t others = counts_.fourTimes & (counts_.fourTimes - 1); others != 0; others &= others - 1) {
            const uint32_t other = static_cast<uint32_t>(LowestBit(others));
            if (LowestBit(rankCards_[other]) < LowestBit(rankCards_[rank]))
                rank = other;
        }
        const Mask cards = rankCards_[rank];
        Mask rest = cards;
        for (int k = 0; k < 4; ++k)
            rest &= rest - 1;
        const Mask four = cards & ~rest;
        PutAll(Open(kFourOfAKind), four);
        // The rank of the four gives the kicker only if it has a card left.
        AddKickers(rest == 0 ? counts_.once & ~(1u << rank) : counts_.once, four, 1);
    }

    // The suit's five highest cards.
    void AddFlush(uint32_t suit)
    {
        const Mask inSuit = SuitCards(suit);
        CardGroup& group = Open(kFlush);
        size_t left = 5;
        for (uint32_t ranks = SuitRanks(suit); ranks != 0 && left > 0; ranks &= ~RankBit(HighestBit(ranks)))
            left -= PutFirst(group, rankCards_[HighestBit(ranks)] & inSuit, left);
    }

    // Every set of three, then every pair of the rest. With two sets of
    // three, the set of the higher rank is the three of a kind and the other
    // supplies the pair, whatever order the cards came in: no rank is held
    // four times here, so the higher set is all of its rank. The groups of a
    // full house always hold five cards or more, so it has no kickers.
    void AddFullHouse()
    {
        AddSets(kThreeOfAKind, counts_.thrice, 3);
        AddSets(kPair, counts_.twice & ~(1u << HighestBit(counts_.thrice)), 2);
    }

    // Below a full house, a rank held three times or twice holds exactly that
    // many cards, and every other rank a single card.
    void AddThreeOfAKind()
    {
        PutAll(Open(kThreeOfAKind), rankCards_[LowestBit(counts_.thrice)]);
        AddKickers(counts_.once & ~counts_.thrice, 0, 2);
    }

    void AddTwoPair()
    {
        // Only the two highest pairs count; a lower one may still give the kicker.
        const uint32_t highest = HighestBit(counts_.twice);
        const uint32_t second = HighestBit(counts_.twice & ~RankBit(highest));
        CardGroup& group = Open(kTwoPair);
        // Found by scanning the cards, the pair whose first card comes first
        // leads; sorted, the higher pair.
        const bool highestFirst = Sorted || LowestBit(rankCards_[highest]) < LowestBit(rankCards_[second]);
        PutAll(group, rankCards_[highestFirst ? highest : second]);
        PutAll(group, rankCards_[highestFirst ? second : highest]);
        AddKickers(counts_.once & ~(RankBit(highest) | RankBit(second)), 0, 1);
    }

    void AddPair()
    {
        PutAll(Open(kPair), rankCards_[LowestBit(counts_.twice)]);
        AddKickers(counts_.once & ~counts_.twice, 0, 3);
    }

    void AddHighCard() { AddKickers(counts_.once, 0, 5); }

private:
    // Fills the hand up to five cards (`need` more) with the highest cards
    // not in a group: the first card, not among `taken`, of each of the ranks
    // given, from the highest. Where more than one card is needed, those ranks
    // hold a single card each; cards of equal rank are taken in card order.
    // No group is added when there is no card to give.
    void AddKickers(uint32_t ranks, Mask taken, size_t need)
    {
        if (ranks == 0)
            return;
        CardGroup& group = Open(kHighCard);
        for (; ranks != 0 && need > 0; --need) {
            const uint32_t rank = HighestBit(ranks);
            Put(group, LowestBit(rankCards_[rank] & ~taken));
            ranks &= ~RankBit(rank);
        }
    }

    // One set of `size` cards (a pair, three of a kind) for each of the
    // ranks given: the first cards of the rank. No rank holds more than three
    // cards here, so a rank never gives two sets. Found by scanning the
    // cards, the sets come in the order of their first cards; sorted, by
    // rank.
    void AddSets(uint32_t category, uint32_t ranks, size_t size)
    {
        CardGroup& group = Open(category);
        if (Sorted) {
            for (; ranks != 0; ranks &= ~RankBit(HighestBit(ranks)))
                PutFirst(group, rankCards_[HighestBit(ranks)], size);
            return;
        }
        Mask firstCards = 0;
        for (; ranks != 0; ranks &= ranks - 1) {
            const Mask cards = rankCards_[LowestBit(ranks)];
            firstCards |= cards & (~cards + 1);
        }
        for (; firstCards != 0; firstCards &= firstCards - 1)
            PutFirst(group, rankCards_[CardAt(LowestBit(firstCards)).rank], size);
    }

    // Empty rank masks, cleared in two stores of 64 and 40 bytes: cleared as
    // one block the compiler uses a string instruction whose start-up costs
    // as much as counting the cards.
    static std::array<Mask, Card::kRankCount> NoCards()
    {
        std::array<Mask, Card::kRankCount> masks;
        std::memset(masks.data(), 0, 8 * sizeof(Mask));
        std::memset(masks.data() + 8, 0, (Card::kRankCount - 8) * sizeof(Mask));
        return masks;
    }

    // The cards of one suit, found only when a flush needs them.
    Mask SuitCards(uint32_t suit) const
    {
        Mask cards = 0;
        for (size_t i = 0; i < size_; ++i) {
            if (CardAt(i).suit == suit)
                cards |= Mask{1} << i;
        }
        return cards;
    }

    CardGroup& Open(uint32_t category)
    {
        HandGroup& group = groups_.emplace_back();
        group.category = category;
        return group.cards;
    }

    Card CardAt(size_t i) const { return std::bit_cast<Card>(cards_[i]); }

    void Put(CardGroup& group, size_t i) { group.push_back(CardAt(i)); }

    void PutAll(CardGroup& group, Mask cards)
    {
        for (; cards != 0; cards &= cards - 1)
            Put(group, LowestBit(cards));
    }

    // Puts the first `limit` cards of a mask in card order; returns how many.
    size_t PutFirst(CardGroup& group, Mask cards, size_t limit)
    {
        size_t put = 0;
        for (; cards != 0 && put < limit; ++put) {
            Put(group, LowestBit(cards));
            cards &= cards - 1;
        }
        return put;
    }

    // The real cards, and per rank the mask of their indices; filled while
    // the counts are made, so declared before them. The cards are kept as
    // plain words, so that only the ones counted are ever written.
    std::array<CardBits, kMaxCards> cards_;
    std::array<Mask, Card::kRankCount> rankCards_;
    Counts counts_;
    size_t size_;
    std::vector<HandGroup>& groups_;
};

template <bool Sorted> uint32_t BuildHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups)
{
    GroupBuilder<Sorted> builder(cards.data(), cards.size(), groups);
    return Classify(builder.GetCounts(), builder);
}

} // namespace

void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups)
{
    categories.push_back(BuildHand<false>(cards, groups));
}

uint32_t EvaluateHandCategory(const Card* cards, size_t count)
{
    NoGroups none{cards, count};
    return Classify(CountCards(cards, count, [](const Card&, size_t, Mask) {}), none);
}

uint32_t EvaluateSortedHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups)
{
    groups.clear();
    return BuildHand<true>(cards, groups);
}

} // namespace reference_evaluator
