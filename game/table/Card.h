// One playing card, copied by value everywhere. Ranks run 0 (the two) to 12
// (the ace), suits 0 to 3; the pair (14, 5) is the no-card value, which is
// what drawing from an empty deck gives and what a saved game stores for a
// board place not yet dealt.
#pragma once

#include <cstdint>
#include <string>

struct Card {
    static constexpr uint32_t kNoRank = 14;
    static constexpr uint32_t kNoSuit = 5;
    static constexpr uint32_t kRankCount = 13;
    static constexpr uint32_t kSuitCount = 4;

    uint32_t rank = kNoRank;
    uint32_t suit = kNoSuit;

    Card() = default;
    Card(uint32_t cardRank, uint32_t cardSuit) : rank(cardRank), suit(cardSuit) {}

    static Card None() { return Card(kNoRank, kNoSuit); }
    // The value operations taking a card ignore: rank 14 or suit 5.
    bool IsNone() const { return rank == kNoRank || suit == kNoSuit; }
    // A card of the 52: rank 0..12 and suit 0..3.
    bool IsReal() const { return rank < kRankCount && suit < kSuitCount; }

    bool operator==(const Card& other) const { return rank == other.rank && suit == other.suit; }
    bool operator!=(const Card& other) const { return !(*this == other); }
    // Higher rank; the suit plays no part.
    bool operator>(const Card& other) const
    {
        return static_cast<int32_t>(rank) > static_cast<int32_t>(other.rank);
    }

    void Swap(Card& other)
    {
        Card kept = *this;
        *this = other;
        other = kept;
    }

    // "2".."9", "0" for the ten, "J", "Q", "K", "A"; empty outside 0..12.
    static std::string RankLetter(uint32_t rank);
    // "s", "c", "d", "b"; empty outside 0..3.
    static std::string SuitLetter(uint32_t suit);
    std::string GetRankLetter() const { return RankLetter(rank); }
    std::string GetSuitLetter() const { return SuitLetter(suit); }
    // Rank letter then suit letter: two characters for every real card.
    std::string Name() const { return GetRankLetter() + GetSuitLetter(); }
};
