#include "game/table/HandComparison.h"

#include <algorithm>
#include <cmath>

namespace Gamespace {

namespace {

const CardGroup* GroupCards(const HandRecord& hand, size_t index)
{
    return index < hand.groups.size() ? &hand.groups[index].cards : nullptr;
}

int RankAt(const HandRecord& hand, size_t group, size_t card)
{
    const CardGroup* cards = GroupCards(hand, group);
    if (cards == nullptr || card >= cards->size())
        return -1;
    return static_cast<int>((*cards)[card].rank);
}

// Position by position: 1 when a's first differing rank is higher, -1 when
// lower, 0 when every rank is equal.
int CompareRanks(const CardGroup* a, const CardGroup* b)
{
    size_t count = std::max(a ? a->size() : 0, b ? b->size() : 0);
    for (size_t i = 0; i < count; ++i) {
        int ra = (a && i < a->size()) ? static_cast<int>((*a)[i].rank) : -1;
        int rb = (b && i < b->size()) ? static_cast<int>((*b)[i].rank) : -1;
        if (ra != rb)
            return ra > rb ? 1 : -1;
    }
    return 0;
}

// The top rank of a straight: an ace followed by a five is the five-high one.
int StraightTop(const HandRecord& hand)
{
    int first = RankAt(hand, 0, 0);
    if (first == 12 && RankAt(hand, 0, 1) == 3)
        return 3;
    return first;
}

CardGroup SortedByRank(const CardGroup* cards)
{
    CardGroup sorted = cards ? *cards : CardGroup();
    std::stable_sort(sorted.begin(), sorted.end(), [](const Card& a, const Card& b) { return a.rank > b.rank; });
    return sorted;
}

} // namespace

bool CompareHands(const HandRecord& a, const HandRecord& b)
{
    if (a.category != b.category)
        return a.category > b.category;
    switch (a.category) {
    case kHighCard:
        return CompareRanks(GroupCards(a, 0), GroupCards(b, 0)) > 0;
    case kPair:
    case kThreeOfAKind:
    case kFourOfAKind: {
        int ra = RankAt(a, 0, 0);
        int rb = RankAt(b, 0, 0);
        if (ra != rb)
            return ra > rb;
        return CompareRanks(GroupCards(a, 1), GroupCards(b, 1)) > 0;
    }
    case kTwoPair: {
        int a1 = RankAt(a, 0, 0), a2 = RankAt(a, 0, 2);
        int b1 = RankAt(b, 0, 0), b2 = RankAt(b, 0, 2);
        if ((a1 == b1 && a2 == b2) || (a1 == b2 && a2 == b1))
            return CompareRanks(GroupCards(a, 1), GroupCards(b, 1)) > 0;
        if (a1 != b1)
            return a1 > b1;
        return a2 > b2;
    }
    case kFlush: {
        CardGroup fa = SortedByRank(GroupCards(a, 0));
        CardGroup fb = SortedByRank(GroupCards(b, 0));
        return CompareRanks(&fa, &fb) > 0;
    }
    case kFullHouse: {
        int ta = RankAt(a, 0, 0), tb = RankAt(b, 0, 0);
        if (ta != tb)
            return ta > tb;
        return RankAt(a, 1, 0) > RankAt(b, 1, 0);
    }
    case kStraight:
    case kStraightFlush:
        return StraightTop(a) > StraightTop(b);
    default:
        return false;
    }
}

std::vector<WinnerRow> AwardPot(double amount, std::vector<Contender> contenders)
{
    std::vector<WinnerRow> rows;
    if (contenders.empty())
        return rows;
    if (contenders.size() == 1) {
        rows.push_back(WinnerRow{contenders[0].player, HandCategoryName(contenders[0].hand.category), amount});
        return rows;
    }
    std::stable_sort(contenders.begin(), contenders.end(),
                     [](const Contender& a, const Contender& b) { return CompareHands(a.hand, b.hand); });
    const Contender& best = contenders.front();
    size_t winners = 1;
    while (winners < contenders.size()) {
        const Contender& next = contenders[winners];
        if (next.hand.category != best.hand.category || CompareHands(best.hand, next.hand))
            break;
        ++winners;
    }
    double share = std::floor(std::trunc(amount) / static_cast<double>(winners));
    double first = amount - share * static_cast<double>(winners - 1);
    for (size_t i = 0; i < winners; ++i) {
        const Contender& winner = contenders[i];
        rows.push_back(WinnerRow{winner.player, HandCategoryName(winner.hand.category), i == 0 ? first : share});
    }
    return rows;
}

} // namespace Gamespace
