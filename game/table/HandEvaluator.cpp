#include "game/table/HandEvaluator.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstring>
#include <optional>
#include <type_traits>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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
constexpr int HighestStraight(uint32_t ranks)
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

// The rank masks of the four suits, 16 bits apart: a hand of distinct cards
// is fully described by them, and every count the category needs comes from
// a few ANDs and ORs of the four, with no per-rank counting.
struct SuitMasks {
    uint64_t bits = 0;
    // Some card given twice, a field out of range or a long hand: the
    // masks may not describe it, and the general counting path decides.
    bool needsCounting = false;
};

// Each card's bit in SuitMasks::bits, by 16 * suit + rank for ranks and suits
// below 16; zero for the cards that are not real.
constexpr std::array<uint64_t, 256> kCardBits = [] {
    std::array<uint64_t, 256> bits{};
    for (uint32_t suit = 0; suit < Card::kSuitCount; ++suit) {
        for (uint32_t rank = 0; rank < Card::kRankCount; ++rank)
            bits[16 * suit + rank] = uint64_t{1} << (16 * suit + rank);
    }
    return bits;
}();

// Every instruction per card counts here: the card is read as one word
// (rank low, suit high) and indexes the bit table without a branch; a card
// with either field past 15 marks the hand for the general path. A card
// given twice carries in the sum where the OR does not; fifteen bits of at
// most 2^60 cannot wrap the sum, so longer hands take the general path too.
uint64_t CardBit(const Card& card, uint64_t& wide)
{
    const uint64_t word = std::bit_cast<uint64_t>(card);
    wide |= word;
    return kCardBits[((word >> 28) | word) & 0xFFu];
}

SuitMasks MasksOf(const Card* cards, size_t count)
{
    uint64_t bits = 0, sum = 0, wide = 0;
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const uint64_t a = CardBit(cards[i], wide), b = CardBit(cards[i + 1], wide);
        sum += a + b;
        bits |= a | b;
    }
    if (i < count) {
        const uint64_t a = CardBit(cards[i], wide);
        sum += a;
        bits |= a;
    }
    return {bits, sum != bits || count > 15 || (wide & 0xFFFFFFF0FFFFFFF0u) != 0};
}

// Per 13-bit rank mask, what it gives in each of the places it can stand:
// as the ranks of one suit (five ranks or more, a straight, the royal
// window), as the ranks of the whole hand (a straight), as the ranks held
// twice or more (a pair, or two), three times or more (some) and four times
// (some). The category takes each place's bits from one load; masks held
// in registers would need a shift, a compare or a count each. 8 KB, in cache
// after the first few hands.
constexpr uint8_t kPairFact = 0x1;
constexpr uint8_t kTwoPairFact = 0x2;
constexpr uint8_t kThreeFact = 0x4;
constexpr uint8_t kFourFact = 0x8;
constexpr uint8_t kStraightFact = 0x10;
constexpr uint8_t kFiveOrMoreFact = 0x20;
constexpr uint8_t kSuitStraightFact = 0x40;
constexpr uint8_t kRoyalFact = 0x80;
// The bits each place keeps.
constexpr uint8_t kSuitFacts = kFiveOrMoreFact | kSuitStraightFact | kRoyalFact;
constexpr uint8_t kTwiceFacts = kPairFact | kTwoPairFact;

constexpr std::array<uint8_t, 8192> kMaskFacts = [] {
    std::array<uint8_t, 8192> facts{};
    for (uint32_t ranks = 0; ranks < facts.size(); ++ranks) {
        const bool straight = HighestStraight(ranks) >= 0;
        const int held = std::popcount(ranks);
        facts[ranks] = static_cast<uint8_t>((held >= 1 ? kPairFact | kThreeFact | kFourFact : 0) |
                                            (held >= 2 ? kTwoPairFact : 0) |
                                            (straight ? kStraightFact | kSuitStraightFact : 0) |
                                            (held >= 5 ? kFiveOrMoreFact : 0) |
                                            ((ranks & kRoyalWindow) == kRoyalWindow ? kRoyalFact : 0));
    }
    return facts;
}();

// The category for every set of facts, decided as Classify decides it, from
// the highest category down: one load instead of a branch per category,
// which random hands would mispredict every few hands.
constexpr std::array<uint8_t, 256> kCategoryOfFacts = [] {
    std::array<uint8_t, 256> categories{};
    for (uint32_t facts = 0; facts < categories.size(); ++facts) {
        const auto has = [facts](uint32_t fact) { return (facts & fact) != 0; };
        uint32_t category = kHighCard;
        if (has(kRoyalFact))
            category = kRoyalFlush;
        else if (has(kSuitStraightFact))
            category = kStraightFlush;
        else if (has(kFourFact))
            category = kFourOfAKind;
        else if (has(kThreeFact) && has(kTwoPairFact))
            category = kFullHouse;
        else if (has(kFiveOrMoreFact))
            category = kFlush;
        else if (has(kStraightFact))
            category = kStraight;
        else if (has(kThreeFact))
            category = kThreeOfAKind;
        else if (has(kTwoPairFact))
            category = kTwoPair;
        else if (has(kPairFact))
            category = kPair;
        categories[facts] = static_cast<uint8_t>(category);
    }
    return categories;
}();

// The category from the four suits' rank masks and the ranks held twice or
// more, three times or more, four times and at all. Only one suit of a hand
// below ten cards can hold five; beyond, any suit's straight or royal window
// counts the same, so the suits' facts are simply joined.
inline uint32_t CategoryOfRanks(uint32_t s0, uint32_t s1, uint32_t s2, uint32_t s3, uint32_t twice,
                                uint32_t thrice, uint32_t four, uint32_t ranks)
{
    const uint32_t suitFacts = kMaskFacts[s0] | kMaskFacts[s1] | kMaskFacts[s2] | kMaskFacts[s3];
    return kCategoryOfFacts[(suitFacts & kSuitFacts) | (kMaskFacts[twice] & kTwiceFacts) |
                            (kMaskFacts[thrice] & kThreeFact) | (kMaskFacts[four] & kFourFact) |
                            (kMaskFacts[ranks] & kStraightFact)];
}

// The category of a hand of distinct cards from its suit masks (16 bits
// apart, the bits above each suit's 13 clear), without a branch.
inline uint32_t CategoryOf(uint64_t bits)
{
    const uint32_t s0 = static_cast<uint32_t>(bits) & 0xFFFFu, s1 = static_cast<uint32_t>(bits >> 16) & 0xFFFFu;
    const uint32_t s2 = static_cast<uint32_t>(bits >> 32) & 0xFFFFu, s3 = static_cast<uint32_t>(bits >> 48);
    // Ranks held in suits 0 and 1 both and in either, the same for 2 and 3.
    const uint32_t low = s0 & s1, high = s2 & s3, lowAny = s0 | s1, highAny = s2 | s3;
    return CategoryOfRanks(s0, s1, s2, s3, low | high | (lowAny & highAny), (low & highAny) | (high & lowAny),
                           low & high, lowAny | highAny);
}

// The category the general path gives: through the suit masks where they
// describe the hand, else by counting the real cards.
uint32_t ScalarCategory(const Card* cards, size_t count)
{
    const SuitMasks masks = MasksOf(cards, count);
    if (!masks.needsCounting)
        return CategoryOf(masks.bits);
    NoGroups none{cards, count};
    return Classify(CountCards(cards, count, [](const Card&, size_t, Mask) {}), none);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define PELLUCOR_VECTOR_READERS 1

// The readers below hand a word to CategoryOf only when it holds one bit for
// each of the `count` cards: a card given twice, or one that is not real,
// sets no bit of its own (a rank past 12 or a suit past 3 shifts its bit out
// of the suit masks), and such hands go to the general path.
//
// Each card is one 64-bit lane, rank low and suit high. Its bit is
// 1 << rank in the low half (zero from 32 on), kept to the 13 ranks, then
// shifted by 16 * suit + rank / 2^28, which is 64 or more (and so gives zero)
// for every suit past 3 and every rank large enough to reach the shift.

#define PELLUCOR_AVX2 __attribute__((target("avx2,popcnt")))

// The category from the suit masks in the low 64 bits of `masks`, as
// CategoryOf gives it, with the ranks counted across the four suits at once;
// -1 (as unsigned) when the masks do not hold one bit per card. The masks and
// the counts go through memory to the table loads: taken out of the register
// one by one, each would cost a shift, on the ports that also take the vector
// shifts above and every branch, and measured slower.
PELLUCOR_AVX2 inline uint32_t CategoryOfVector(__m128i masks, size_t count)
{
    uint16_t suits[8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(suits), masks);
    // Tells the compiler the stored lanes must be loaded back, which it
    // would otherwise do with two-step lane extracts.
    asm("" : "+m"(suits));
    uint64_t word;
    std::memcpy(&word, suits, sizeof(word));
    if (static_cast<size_t>(std::popcount(word)) != count)
        return ~0u;
    // In 16-bit lanes 0 to 3: the ranks of suits 0 and 1 both and either,
    // twice, then of suits 2 and 3; swapped, the other pair of suits.
    const __m128i halvesSwapped = _mm_shufflelo_epi16(masks, 0xB1);
    const __m128i both = _mm_and_si128(masks, halvesSwapped), either = _mm_or_si128(masks, halvesSwapped);
    const __m128i otherBoth = _mm_shuffle_epi32(both, 0xB1), otherEither = _mm_shuffle_epi32(either, 0xB1);
    const __m128i twice = _mm_or_si128(_mm_or_si128(both, otherBoth), _mm_and_si128(either, otherEither));
    const __m128i thrice = _mm_or_si128(_mm_and_si128(both, otherEither), _mm_and_si128(otherBoth, either));
    const __m128i four = _mm_and_si128(both, otherBoth);
    const __m128i ranks = _mm_or_si128(either, otherEither);
    // One to each of lanes 0 to 3: twice, thrice, four, ranks.
    const __m128i held =
        _mm_blend_epi16(_mm_blend_epi16(twice, thrice, 0x2), _mm_blend_epi16(four, ranks, 0x8), 0xC);
    uint16_t counts[8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), held);
    asm("" : "+m"(counts));
    return CategoryOfRanks(suits[0], suits[1], suits[2], suits[3], counts[0], counts[1], counts[2], counts[3]);
}

// Per count of cards 0..8, the lanes of the two loads of four cards.
alignas(64) constexpr std::array<std::array<int64_t, 8>, 9> kAvx2Lanes = [] {
    std::array<std::array<int64_t, 8>, 9> lanes{};
    for (size_t count = 0; count < lanes.size(); ++count) {
        for (size_t lane = 0; lane < count; ++lane)
            lanes[count][lane] = -1;
    }
    return lanes;
}();

PELLUCOR_AVX2 inline __m256i CardBitsAvx2(__m256i cards, __m256i lanes)
{
    const __m256i rankBits =
        _mm256_and_si256(_mm256_sllv_epi32(_mm256_set1_epi32(1), cards), _mm256_set1_epi64x(0x1FFF));
    return _mm256_and_si256(_mm256_sllv_epi64(rankBits, _mm256_srli_epi64(cards, 28)), lanes);
}

// The OR of two 64-bit lanes, in the low one.
PELLUCOR_AVX2 inline __m128i JoinLanes(__m128i lanes) { return _mm_or_si128(lanes, _mm_unpackhi_epi64(lanes, lanes)); }

// The suit masks of one to eight cards in the low 64 bits.
PELLUCOR_AVX2 inline __m128i Avx2Masks(const Card* cards, size_t count)
{
    const auto* lanes = reinterpret_cast<const __m256i*>(kAvx2Lanes[count].data());
    const auto* words = reinterpret_cast<const long long*>(cards);
    const __m256i low = _mm256_load_si256(lanes), high = _mm256_load_si256(lanes + 1);
    const __m256i bits = _mm256_or_si256(CardBitsAvx2(_mm256_maskload_epi64(words, low), low),
                                         CardBitsAvx2(_mm256_maskload_epi64(words + 4, high), high));
    return JoinLanes(_mm_or_si128(_mm256_castsi256_si128(bits), _mm256_extracti128_si256(bits, 1)));
}

// No cards at all take the general path too: an empty hand may have no
// array at all, and the second load's address must not be formed then.
bool Avx2Reads(size_t count) { return count - 1 < 8; }

PELLUCOR_AVX2 uint32_t Avx2Category(const Card* cards, size_t count)
{
    if (!Avx2Reads(count))
        return ScalarCategory(cards, count);
    const uint32_t category = CategoryOfVector(Avx2Masks(cards, count), count);
    return category != ~0u ? category : ScalarCategory(cards, count);
}

#define PELLUCOR_AVX512 __attribute__((target("avx512f,avx512vl,avx2,popcnt")))

constexpr std::array<__mmask8, 9> kLanesUpTo = {0x00, 0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF};

// The suit masks of up to eight cards in the low 64 bits.
PELLUCOR_AVX512 inline __m128i Avx512Masks(const Card* cards, size_t count)
{
    // Lanes past the count are neither read nor counted.
    const __mmask8 lanes = kLanesUpTo[count];
    const __m512i words = _mm512_maskz_loadu_epi64(lanes, cards);
    // The all-lane masks below only keep this compiler's intrinsics from
    // reading an undefined vector; they cost nothing.
    const __m512i rankBits = _mm512_and_si512(_mm512_maskz_sllv_epi32(0xFFFF, _mm512_set1_epi32(1), words),
                                              _mm512_set1_epi64(0x1FFF));
    const __m512i bits = _mm512_maskz_sllv_epi64(lanes, rankBits, _mm512_maskz_srli_epi64(0xFF, words, 28));
    // The four quarters side by side rather than halving twice: fewer
    // steps in a row between the load and the category.
    const __m128i quarters = _mm_or_si128(
        _mm_or_si128(_mm512_maskz_extracti32x4_epi32(0xF, bits, 0), _mm512_maskz_extracti32x4_epi32(0xF, bits, 1)),
        _mm_or_si128(_mm512_maskz_extracti32x4_epi32(0xF, bits, 2), _mm512_maskz_extracti32x4_epi32(0xF, bits, 3)));
    return JoinLanes(quarters);
}

bool Avx512Reads(size_t count) { return count <= 8; }

PELLUCOR_AVX512 uint32_t Avx512Category(const Card* cards, size_t count)
{
    if (!Avx512Reads(count))
        return ScalarCategory(cards, count);
    const uint32_t category = CategoryOfVector(Avx512Masks(cards, count), count);
    return category != ~0u ? category : ScalarCategory(cards, count);
}

// The masks out of the register, for ReadSuitMasks.
PELLUCOR_AVX2 uint64_t LowWord(__m128i masks) { return static_cast<uint64_t>(_mm_cvtsi128_si64(masks)); }
PELLUCOR_AVX2 uint64_t Avx2SuitMasks(const Card* cards, size_t count) { return LowWord(Avx2Masks(cards, count)); }
PELLUCOR_AVX512 uint64_t Avx512SuitMasks(const Card* cards, size_t count)
{
    return LowWord(Avx512Masks(cards, count));
}
#endif

using CategoryFunction = uint32_t (*)(const Card*, size_t);

CategoryFunction ReaderFunction(CategoryReader reader)
{
    switch (reader) {
#if defined(PELLUCOR_VECTOR_READERS)
    case CategoryReader::Avx512: return Avx512Category;
    case CategoryReader::Avx2: return Avx2Category;
#endif
    default: return ScalarCategory;
    }
}

std::vector<CategoryReader> FindReaders()
{
    std::vector<CategoryReader> readers;
#if defined(PELLUCOR_VECTOR_READERS)
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl"))
        readers.push_back(CategoryReader::Avx512);
    if (avx2)
        readers.push_back(CategoryReader::Avx2);
#endif
    readers.push_back(CategoryReader::Scalar);
    return readers;
}

uint32_t FirstCategory(const Card* cards, size_t count);

// Starts at a function that picks the widest reader on the first call and
// puts it here: nothing to run before main, and every later call is one
// indirect jump.
std::atomic<CategoryFunction> categoryFunction{FirstCategory};

uint32_t FirstCategory(const Card* cards, size_t count)
{
    const CategoryFunction widest = ReaderFunction(CategoryReadersHere().front());
    categoryFunction.store(widest, std::memory_order_relaxed);
    return widest(cards, count);
}

} // namespace

void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups)
{
    categories.push_back(BuildHand<false>(cards, groups));
}

uint32_t EvaluateHandCategory(const Card* cards, size_t count)
{
    return categoryFunction.load(std::memory_order_relaxed)(cards, count);
}

const std::vector<CategoryReader>& CategoryReadersHere()
{
    static const std::vector<CategoryReader> readers = FindReaders();
    return readers;
}

uint32_t EvaluateHandCategory(CategoryReader reader, const Card* cards, size_t count)
{
    return ReaderFunction(reader)(cards, count);
}

std::optional<uint64_t> ReadSuitMasks(CategoryReader reader, const Card* cards, size_t count)
{
    switch (reader) {
#if defined(PELLUCOR_VECTOR_READERS)
    case CategoryReader::Avx512:
        return Avx512Reads(count) ? std::optional(Avx512SuitMasks(cards, count)) : std::nullopt;
    case CategoryReader::Avx2:
        return Avx2Reads(count) ? std::optional(Avx2SuitMasks(cards, count)) : std::nullopt;
#endif
    default: {
        const SuitMasks masks = MasksOf(cards, count);
        return masks.needsCounting ? std::nullopt : std::optional(masks.bits);
    }
    }
}

void SortHandGroups(std::vector<HandGroup>& groups)
{
    for (HandGroup& group : groups) {
        // Groups hold a handful of cards: an insertion sort, stable.
        CardGroup& cards = group.cards;
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
    return BuildHand<true>(cards, groups);
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
