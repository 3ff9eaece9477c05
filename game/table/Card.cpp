#include "game/table/Card.h"

std::string Card::RankLetter(uint32_t rank)
{
    static const char kLetters[] = "234567890JQKA";
    if (rank >= kRankCount)
        return std::string();
    return std::string(1, kLetters[rank]);
}

std::string Card::SuitLetter(uint32_t suit)
{
    static const char kLetters[] = "scdb";
    if (suit >= kSuitCount)
        return std::string();
    return std::string(1, kLetters[suit]);
}
