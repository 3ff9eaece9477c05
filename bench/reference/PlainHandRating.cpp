#include "bench/reference/PlainHandRating.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace plain_rating {
namespace {

constexpr int kAce = 12;
constexpr int kFive = 3;

// Rates up to five cards, given in the order of the hand.
Rating RateChoice(const std::array<Card, 5>& choice, size_t size)
{
    // How many cards of each rank there are: the ranks held most often
    // first, higher ranks first among those held as often.
    std::array<std::pair<int, int>, 5> held{}; // (cards, rank)
    size_t distinct = 0;
    bool flush = size == 5;
    for (size_t i = 0; i < size; ++i) {
        const int rank = static_cast<int>(choice[i].rank);
        size_t k = 0;
        while (k < distinct && held[k].second != rank)
            ++k;
        if (k == distinct)
            held[distinct++] = {0, rank};
        ++held[k].first;
        flush = flush && choice[i].suit == choice[0].suit;
    }
    // Places no card took hold (0, 0) and go last.
    std::sort(held.begin(), held.end(), std::greater<>());
    std::array<int, 5> ranks{};
    for (size_t i = 0; i < distinct; ++i)
        ranks[i] = held[i].second;

    const bool fiveRanks = distinct == 5;
    const bool wheel = fiveRanks && ranks[0] == kAce && ranks[1] == kFive;
    const bool straight = fiveRanks && (ranks[0] - ranks[4] == 4 || wheel);
    const int most = distinct > 0 ? held[0].first : 0;
    const int next = distinct > 1 ? held[1].first : 0;

    Rating rating;
    if (straight && flush)
        rating.category = ranks[0] == kAce && !wheel ? kRoyalFlush : kStraightFlush;
    else if (most >= 4)
        rating.category = kFourOfAKind;
    else if (most == 3 && next >= 2)
        rating.category = kFullHouse;
    else if (flush)
        rating.category = kFlush;
    else if (straight)
        rating.category = kStraight;
    else if (most == 3)
        rating.category = kThreeOfAKind;
    else if (most == 2 && next == 2)
        rating.category = kTwoPair;
    else if (most == 2)
        rating.category = kPair;
    else
        rating.category = kHighCard;

    // A straight is decided by its top card alone, the five of a wheel.
    const size_t deciding = straight ? 1 : distinct;
    rating.strength = rating.category;
    for (size_t i = 0; i < 5; ++i) {
        const int rank = i >= deciding ? -1 : wheel ? kFive : ranks[i];
        rating.strength = rating.strength * 16 + static_cast<uint32_t>(rank + 1);
    }

    for (size_t i = 0; i < distinct; ++i) {
        for (size_t k = 0; k < size; ++k) {
            if (static_cast<int>(choice[k].rank) == ranks[i])
                rating.cards.push_back(choice[k]);
        }
    }
    return rating;
}

} // namespace

Rating RateHand(const Card* cards, size_t count)
{
    std::vector<Card> real;
    for (size_t i = 0; i < count; ++i) {
        if (cards[i].IsReal())
            real.push_back(cards[i]);
    }
    std::array<Card, 5> choice;
    if (real.size() <= 5) {
        std::copy(real.begin(), real.end(), choice.begin());
        return RateChoice(choice, real.size());
    }
    // Every five of the cards, taken in the order of their places: a later
    // choice replaces the best so far only when it is better.
    Rating best;
    bool any = false;
    const size_t n = real.size();
    for (size_t a = 0; a < n; ++a)
        for (size_t b = a + 1; b < n; ++b)
            for (size_t c = b + 1; c < n; ++c)
                for (size_t d = c + 1; d < n; ++d)
                    for (size_t e = d + 1; e < n; ++e) {
                        choice = {real[a], real[b], real[c], real[d], real[e]};
                        const Rating rating = RateChoice(choice, 5);
                        if (!any || rating.strength > best.strength)
                            best = rating;
                        any = true;
                    }
    return best;
}

bool RecordHoldsRating(uint32_t category, const std::vector<HandGroup>& groups, const Rating& rating)
{
    if (category != rating.category)
        return false;
    const bool fullHouse = category == kFullHouse;
    std::vector<Card> read;
    for (size_t g = 0; g < groups.size(); ++g) {
        const HandGroup& group = groups[g];
        // The group of the category leads (three of a kind and then a pair
        // in a full house); every later group holds kickers.
        const uint32_t expected = g == 0 ? (fullHouse ? kThreeOfAKind : category)
                                         : (fullHouse && g == 1 ? kPair : kHighCard);
        if (group.category != expected || group.cards.empty())
            return false;
        const size_t take = fullHouse ? std::min<size_t>(group.cards.size(), g == 0 ? 3 : 2) : group.cards.size();
        read.insert(read.end(), group.cards.begin(), group.cards.begin() + static_cast<std::ptrdiff_t>(take));
    }
    return std::equal(read.begin(), read.end(), rating.cards.begin(), rating.cards.end());
}

} // namespace plain_rating
