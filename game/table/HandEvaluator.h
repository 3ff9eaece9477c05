// Rates up to seven cards (two hole cards and the board dealt so far) as one
// of ten categories and records which cards make the hand, in groups: the
// cards of the category first, the kickers last. The showdown ranks players by
// this record, the computer opponents decide by it and the hand-result display
// dims the board cards outside a winner's groups.
//
// Pure functions of their arguments: any thread may call them.
#pragma once

#include "game/table/Card.h"
#include "game/table/CardGroup.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr uint32_t kHighCard = 0;
constexpr uint32_t kPair = 1;
constexpr uint32_t kTwoPair = 2;
constexpr uint32_t kThreeOfAKind = 3;
constexpr uint32_t kStraight = 4;
constexpr uint32_t kFlush = 5;
constexpr uint32_t kFullHouse = 6;
constexpr uint32_t kFourOfAKind = 7;
constexpr uint32_t kStraightFlush = 8;
constexpr uint32_t kRoyalFlush = 9;

// One group of the cards that make a hand. The category says what the group
// stands for: 9 royal, 8 straight flush, 7 four of a kind, 5 flush,
// 4 straight, 3 three of a kind, 2 two pair, 1 pair, 0 kickers. A full house
// is a three-of-a-kind group followed by a pair group. A group holds at most
// seven cards, as many as a hold'em hand has; only a full house found among
// nine or more cards could make a bigger one, and keeps its first seven.
struct HandGroup {
    uint32_t category = kHighCard;
    CardGroup cards;
};

// Appends the hand's category to `categories` (exactly one entry) and its
// groups to `groups`; the caller clears both first. Cards are used in the
// order given (hole cards first, then the board in board order): where
// several cards could fill a place, the first in that order is taken. Cards
// that are not real (the no-card value, or anything out of range) are left
// out. Within a group, cards appear in the order they were found, not sorted.
void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups);

// The category EvaluateHand would give, without building the groups.
uint32_t EvaluateHandCategory(const Card* cards, size_t count);
inline uint32_t EvaluateHandCategory(const std::vector<Card>& cards)
{
    return EvaluateHandCategory(cards.data(), cards.size());
}

// The ways the category can read a hand of up to eight cards: one card at a
// time, or all at once with the processor's vector unit. Longer hands, and
// hands with a card given twice or a card that is not real, take the general
// path whichever reader starts. EvaluateHandCategory uses the widest reader
// here; the others stay callable, so that tests hold each one to the same
// results on any machine that can run it.
enum class CategoryReader {
    Scalar,
    Avx2,   // two 256-bit loads of four cards
    Avx512, // one 512-bit load of up to eight cards under a mask
};

// The readers this processor can run, widest first; Scalar is always last.
const std::vector<CategoryReader>& CategoryReadersHere();

// The category with `reader`, which must be one of CategoryReadersHere().
uint32_t EvaluateHandCategory(CategoryReader reader, const Card* cards, size_t count);

// What `reader` makes of the cards before the category is decided: the rank
// masks of the four suits, 16 bits apart (bit 16 * suit + rank per card).
// Empty for a hand the reader leaves to the general path by its length
// alone, and for one the scalar reader finds it cannot describe; a vector
// reader gives its word for any other hand, which is trusted only when it
// holds as many bits as there are cards.
std::optional<uint64_t> ReadSuitMasks(CategoryReader reader, const Card* cards, size_t count);

// Sorts the cards of every group holding more than one card by rank, high to
// low: an ace-to-five straight then reads A, 5, 4, 3, 2 and two pair reads the
// higher pair first.
void SortHandGroups(std::vector<HandGroup>& groups);

// The record the table and the players keep: `groups` cleared, the hand
// evaluated, every group sorted; returns the category.
uint32_t EvaluateSortedHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups);

// "High Card" .. "Royal Flush"; empty for a value above 9.
std::string HandCategoryName(uint32_t category);

// Whether some suit holds exactly three (or exactly four) of the real cards.
bool HasSuitWithExactlyThree(const std::vector<Card>& cards);
bool HasSuitWithExactlyFour(const std::vector<Card>& cards);
