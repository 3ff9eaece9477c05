// A hand rated the plain way, as a person checks one: every choice of five
// of the cards (all of them when there are fewer) is rated on its own, from
// how many cards of each rank and suit it holds, and the best choice is
// kept. Slow by design and plainly right, it shares no method with the
// program's evaluator: the hand-evaluator benchmark measures that evaluator
// against it, and the evaluator's tests hold its record to it. Not part of
// the program.
//
// Pure functions of their arguments: any thread may call them.
#pragma once

#include "game/table/CardGroup.h"
#include "game/table/HandEvaluator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plain_rating {

struct Rating {
    uint32_t category = kHighCard;
    // The category and the ranks that decide between two hands of it, in
    // one number: the better of two hands has the greater strength, and
    // hands that split a pot have equal ones.
    uint32_t strength = 0;
    // The cards chosen, in the order that decides: ranks held more often
    // first, then higher ranks first (a wheel reads A, 5, 4, 3, 2), cards of
    // one rank in the order given.
    CardGroup cards;
};

// Cards that are not real are left out. Where several choices rate the
// same, the one whose cards come earliest in the order given is kept.
Rating RateHand(const Card* cards, size_t count);
inline Rating RateHand(const std::vector<Card>& cards)
{
    return RateHand(cards.data(), cards.size());
}

// Whether an evaluator's sorted record (EvaluateSortedHand's) is the hand
// the rating found: the same category, the group of that category first
// (three of a kind, then a pair, for a full house) and kickers after it, and
// the same cards in the same order, reading the groups one after the other.
// A full house's groups may hold a second set of three and a second pair;
// only their first three and first two cards make the hand.
bool RecordHoldsRating(uint32_t category, const std::vector<HandGroup>& groups, const Rating& rating);

} // namespace plain_rating
