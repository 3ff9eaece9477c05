#include "game/table/HandEvaluator.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

// Rank bits of the five-card windows.
constexpr uint16_t kRoyalWindow = 0x1F00;          // ten to ace
constexpr uint16_t kWheelWindow = 0x100F;          // ace, two to five
constexpr uint32_t kWheelTop = 3;                  // a wheel is five-high

// The highest straight in a rank mask, as the rank of its top card (3 for the
// wheel), or -1.
int HighestStraight(uint16_t ranks)
{
    for (int top = 12; top >= 4; --top) {
        const uint16_t window = static_cast<uint16_t>(0x1Fu << (top - 4));
        if ((ranks & window) == window)
            return top;
    }
    if ((ranks & kWheelWindow) == kWheelWindow)
        return static_cast<int>(kWheelTop);
    return -1;
}

// The five ranks of the window topped by `top`, in window order.
std::array<uint32_t, 5> WindowRanks(int top)
{
    if (top == static_cast<int>(kWheelTop))
        return {12, 0, 1, 2, 3};
    const uint32_t low = static_cast<uint32_t>(top - 4);
    return {low, low + 1, low + 2, low + 3, low + 4};
}

// The real cards of a hand in the order given, with the counts every test
// needs. Hands of more than kInline cards (not dealt by the table, but
// accepted) spill into a vector.
class HandView {
public:
    explicit HandView(const Card* cards, size_t count)
    {
        if (count > kInline)
            spill_.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const Card& card = cards[i];
            // Cards past the 64th cannot be marked; no deal comes near that.
            if (!card.IsReal() || seen_ == kMaxCards)
                continue;
            ++seen_;
            if (count > kInline)
                spill_.push_back(card);
            else
                inline_[size_++] = card;
            rankCount_[card.rank]++;
            suitCount_[card.suit]++;
            suitRanks_[card.suit] |= static_cast<uint16_t>(1u << card.rank);
            ranks_ |= static_cast<uint16_t>(1u << card.rank);
        }
        if (count > kInline) {
            data_ = spill_.data();
            size_ = spill_.size();
        } else {
            data_ = inline_.data();
        }
    }

    size_t size() const { return size_; }
    const Card& operator[](size_t i) const { return data_[i]; }
    uint32_t RankCount(uint32_t rank) const { return rankCount_[rank]; }
    uint32_t SuitCount(uint32_t suit) const { return suitCount_[suit]; }
    uint16_t SuitRanks(uint32_t suit) const { return suitRanks_[suit]; }
    uint16_t Ranks() const { return ranks_; }

private:
    static constexpr size_t kInline = 16;
    static constexpr size_t kMaxCards = 64;
    size_t seen_ = 0;
    std::array<Card, kInline> inline_{};
    std::vector<Card> spill_;
    const Card* data_ = nullptr;
    size_t size_ = 0;
    std::array<uint8_t, Card::kRankCount> rankCount_{};
    std::array<uint8_t, Card::kSuitCount> suitCount_{};
    std::array<uint16_t, Card::kSuitCount> suitRanks_{};
    uint16_t ranks_ = 0;
};

// Counts of what the hand holds, from which the category follows.
struct Shape {
    int royalSuit = -1;
    int straightFlushTop = -1;
    int straightFlushSuit = -1;
    int quadRank = -1;
    int flushSuit = -1;
    int straightTop = -1;
    uint32_t triples = 0;   // ranks with three or more cards
    uint32_t pairs = 0;     // ranks with exactly two cards
};

Shape ShapeOf(const HandView& hand)
{
    Shape shape;
    for (uint32_t suit = 0; suit < Card::kSuitCount; ++suit) {
        const uint16_t ranks = hand.SuitRanks(suit);
        if (shape.royalSuit < 0 && (ranks & kRoyalWindow) == kRoyalWindow)
            shape.royalSuit = static_cast<int>(suit);
        const int top = HighestStraight(ranks);
        if (top > shape.straightFlushTop) {
            shape.straightFlushTop = top;
            shape.straightFlushSuit = static_cast<int>(suit);
        }
        if (shape.flushSuit < 0 && hand.SuitCount(suit) >= 5)
            shape.flushSuit = static_cast<int>(suit);
    }
    for (uint32_t rank = 0; rank < Card::kRankCount; ++rank) {
        const uint32_t count = hand.RankCount(rank);
        if (count >= 4 && shape.quadRank < 0)
            shape.quadRank = static_cast<int>(rank);
        if (count >= 3)
            ++shape.triples;
        else if (count == 2)
            ++shape.pairs;
    }
    shape.straightTop = HighestStraight(hand.Ranks());
    return shape;
}

uint32_t CategoryOf(const Shape& shape)
{
    if (shape.royalSuit >= 0)
        return kRoyalFlush;
    if (shape.straightFlushTop >= 0)
        return kStraightFlush;
    if (shape.quadRank >= 0)
        return kFourOfAKind;
    if (shape.triples >= 1 && shape.triples + shape.pairs >= 2)
        return kFullHouse;
    if (shape.flushSuit >= 0)
        return kFlush;
    if (shape.straightTop >= 0)
        return kStraight;
    if (shape.triples >= 1)
        return kThreeOfAKind;
    if (shape.pairs >= 2)
        return kTwoPair;
    if (shape.pairs == 1)
        return kPair;
    return kHighCard;
}

// A small list of card indices: on the stack for any hand the table deals.
struct Indices {
    std::array<size_t, 16> fixed;
    std::vector<size_t> spill;
    size_t* at = fixed.data();
    size_t count = 0;

    Indices() = default;
    Indices(const Indices&) = delete;
    Indices& operator=(const Indices&) = delete;

    void Add(size_t i)
    {
        if (spill.empty() && count < fixed.size()) {
            fixed[count++] = i;
            return;
        }
        if (spill.empty())
            spill.assign(fixed.begin(), fixed.begin() + static_cast<std::ptrdiff_t>(count));
        spill.push_back(i);
        at = spill.data();
        ++count;
    }
};

// One bit per card index.
using Mask = uint64_t;
constexpr size_t kNone = static_cast<size_t>(-1);
Mask Bit(size_t i) { return Mask{1} << i; }
bool Has(Mask mask, size_t i) { return (mask & Bit(i)) != 0; }

// Builds the groups of one hand. Cards are referred to by their index in the
// hand; `used` marks the cards already in a group.
class GroupBuilder {
public:
    GroupBuilder(const HandView& hand, std::vector<HandGroup>& groups) : hand_(hand), groups_(groups) {}

    // The window's cards in window order: each place takes the first card of
    // its rank (and of `suit`, when one is given).
    void AddWindow(uint32_t category, int top, int suit)
    {
        Indices picked;
        for (uint32_t rank : WindowRanks(top)) {
            for (size_t i = 0; i < hand_.size(); ++i) {
                if (hand_[i].rank == rank && (suit < 0 || hand_[i].suit == static_cast<uint32_t>(suit))) {
                    picked.Add(i);
                    break;
                }
            }
        }
        Append(category, picked);
    }

    void AddFourOfAKind(uint32_t rank)
    {
        Indices picked;
        for (size_t i = 0; i < hand_.size() && picked.count < 4; ++i) {
            if (hand_[i].rank == rank)
                picked.Add(i);
        }
        Append(kFourOfAKind, picked);
        AddKickers();
    }

    void AddFlush(uint32_t suit)
    {
        Indices ofSuit;
        for (size_t i = 0; i < hand_.size(); ++i) {
            if (hand_[i].suit == suit)
                ofSuit.Add(i);
        }
        SortByRank(ofSuit);
        ofSuit.count = std::min<size_t>(ofSuit.count, 5);
        Append(kFlush, ofSuit);
    }

    // Every triple in the order found: a card with the first two later cards
    // of its rank. Returns the number of triples.
    size_t FindTriples(Indices& triples)
    {
        Mask taken = 0;
        size_t found = 0;
        for (size_t i = 0; i < hand_.size(); ++i) {
            if (Has(taken, i))
                continue;
            size_t j = Next(i, taken);
            if (j == kNone)
                continue;
            size_t k = Next(j, taken);
            if (k == kNone)
                continue;
            triples.Add(i);
            triples.Add(j);
            triples.Add(k);
            taken |= Bit(i) | Bit(j) | Bit(k);
            ++found;
        }
        return found;
    }

    // Every pair in the order found among the cards not in `excluded`: a card
    // not yet paired with the first later card of its rank.
    size_t FindPairs(Mask excluded, Indices& pairs)
    {
        Mask taken = excluded;
        size_t found = 0;
        for (size_t i = 0; i < hand_.size(); ++i) {
            if (Has(taken, i))
                continue;
            size_t j = Next(i, taken);
            if (j == kNone)
                continue;
            pairs.Add(i);
            pairs.Add(j);
            taken |= Bit(i) | Bit(j);
            ++found;
        }
        return found;
    }

    void AddFullHouse()
    {
        Indices triples;
        const size_t tripleCount = FindTriples(triples);
        // With two sets of three, the set of the higher rank is the three of a
        // kind and the other supplies the pair, whatever order the cards came in.
        size_t best = 0;
        for (size_t t = 1; t < tripleCount; ++t) {
            if (hand_[triples.at[t * 3]].rank > hand_[triples.at[best * 3]].rank)
                best = t;
        }
        const Mask threeOfAKind = Bit(triples.at[best * 3]) | Bit(triples.at[best * 3 + 1]) |
                                  Bit(triples.at[best * 3 + 2]);
        Indices pairs;
        FindPairs(threeOfAKind, pairs);
        Append(kThreeOfAKind, triples);
        Append(kPair, pairs);
        AddKickers();
    }

    void AddThreeOfAKind()
    {
        Indices triples;
        FindTriples(triples);
        Append(kThreeOfAKind, triples);
        AddKickers();
    }

    void AddTwoPair()
    {
        Indices pairs;
        size_t pairCount = FindPairs(0, pairs);
        // Only the two highest pairs count; a lower one may still give the kicker.
        while (pairCount > 2) {
            size_t lowest = 0;
            for (size_t p = 1; p < pairCount; ++p) {
                if (hand_[pairs.at[p * 2]].rank < hand_[pairs.at[lowest * 2]].rank)
                    lowest = p;
            }
            for (size_t i = lowest * 2; i + 2 < pairs.count; ++i)
                pairs.at[i] = pairs.at[i + 2];
            pairs.count -= 2;
            --pairCount;
        }
        Append(kTwoPair, pairs);
        AddKickers();
    }

    void AddPair()
    {
        Indices pairs;
        FindPairs(0, pairs);
        Append(kPair, pairs);
        AddKickers();
    }

    // Fills the hand up to five cards with the highest cards not in a group.
    void AddKickers()
    {
        if (used_count_ >= 5)
            return;
        const size_t need = 5 - used_count_;
        Indices all;
        for (size_t i = 0; i < hand_.size(); ++i)
            all.Add(i);
        SortByRank(all);
        Indices kickers;
        for (size_t k = 0; k < all.count && kickers.count < need; ++k) {
            if (!Has(used_, all.at[k]))
                kickers.Add(all.at[k]);
        }
        if (kickers.count > 0)
            Append(kHighCard, kickers);
    }

private:
    // The next card after `i` of the same rank that is not taken.
    size_t Next(size_t i, Mask taken) const
    {
        for (size_t j = i + 1; j < hand_.size(); ++j) {
            if (hand_[j].rank == hand_[i].rank && !Has(taken, j))
                return j;
        }
        return kNone;
    }

    // High to low; cards of equal rank keep the order given.
    void SortByRank(Indices& indices) const
    {
        for (size_t a = 1; a < indices.count; ++a) {
            const size_t moving = indices.at[a];
            size_t b = a;
            while (b > 0 && hand_[indices.at[b - 1]].rank < hand_[moving].rank) {
                indices.at[b] = indices.at[b - 1];
                --b;
            }
            indices.at[b] = moving;
        }
    }

    void Append(uint32_t category, const Indices& picked)
    {
        HandGroup& group = groups_.emplace_back();
        group.category = category;
        group.cards.reserve(picked.count);
        for (size_t k = 0; k < picked.count; ++k) {
            group.cards.push_back(hand_[picked.at[k]]);
            if (!Has(used_, picked.at[k])) {
                used_ |= Bit(picked.at[k]);
                ++used_count_;
            }
        }
    }

    const HandView& hand_;
    std::vector<HandGroup>& groups_;
    Mask used_ = 0;
    size_t used_count_ = 0;
};

} // namespace

void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups)
{
    const HandView hand(cards.data(), cards.size());
    const Shape shape = ShapeOf(hand);
    const uint32_t category = CategoryOf(shape);
    GroupBuilder builder(hand, groups);
    switch (category) {
    case kRoyalFlush:
        builder.AddWindow(kRoyalFlush, 12, shape.royalSuit);
        break;
    case kStraightFlush:
        builder.AddWindow(kStraightFlush, shape.straightFlushTop, shape.straightFlushSuit);
        break;
    case kFourOfAKind:
        builder.AddFourOfAKind(static_cast<uint32_t>(shape.quadRank));
        break;
    case kFullHouse:
        builder.AddFullHouse();
        break;
    case kFlush:
        builder.AddFlush(static_cast<uint32_t>(shape.flushSuit));
        break;
    case kStraight:
        builder.AddWindow(kStraight, shape.straightTop, -1);
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
    categories.push_back(category);
}

uint32_t EvaluateHandCategory(const Card* cards, size_t count)
{
    return CategoryOf(ShapeOf(HandView(cards, count)));
}

void SortHandGroups(std::vector<HandGroup>& groups)
{
    for (HandGroup& group : groups) {
        if (group.cards.size() > 1) {
            std::stable_sort(group.cards.begin(), group.cards.end(),
                             [](const Card& a, const Card& b) { return a > b; });
        }
    }
}

uint32_t EvaluateSortedHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups)
{
    std::vector<uint32_t> categories;
    groups.clear();
    EvaluateHand(cards, categories, groups);
    SortHandGroups(groups);
    return categories.front();
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
