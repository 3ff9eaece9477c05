// Cards for the hand-evaluator tests: by name, and the whole deck.
#pragma once

#include "game/table/Card.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace cards_by_name {

// "As Kd 0c" -> those cards, in that order: ranks "234567890JQKA", suits
// "scdb".
inline std::vector<Card> Hand(const std::string& text)
{
    static const std::string ranks = "234567890JQKA";
    static const std::string suits = "scdb";
    std::vector<Card> cards;
    std::istringstream in(text);
    std::string name;
    while (in >> name)
        cards.emplace_back(static_cast<uint32_t>(ranks.find(name[0])), static_cast<uint32_t>(suits.find(name[1])));
    return cards;
}

// The 52 cards, by rank and then suit.
inline std::vector<Card> FullDeck()
{
    std::vector<Card> deck;
    for (uint32_t r = 0; r < Card::kRankCount; ++r) {
        for (uint32_t s = 0; s < Card::kSuitCount; ++s)
            deck.emplace_back(r, s);
    }
    return deck;
}

} // namespace cards_by_name
