#include "game/table/Deck.h"

#include "common/RandomHelpers.h"

#include <algorithm>

namespace {
constexpr uint32_t kSwapPasses = 2;
}

void Deck::Clear()
{
    cards_.clear();
    board_.clear();
    faceUp_ = 0;
}

void Deck::Shuffle()
{
    Clear();
    SeedRandom();
    for (uint32_t rank = 0; rank < Card::kRankCount; ++rank) {
        for (uint32_t suit = 0; suit < Card::kSuitCount; ++suit)
            cards_.emplace_back(rank, suit);
    }
    const uint16_t count = static_cast<uint16_t>(cards_.size());
    const uint16_t swapsPerPass = static_cast<uint16_t>(count / 1.5);
    for (uint32_t pass = 0; pass < kSwapPasses; ++pass) {
        uint16_t counted = 0;
        while (counted < swapsPerPass) {
            const uint32_t i = RandomInRange(0, count);
            const uint32_t j = RandomInRange(0, count);
            if (i != j) {
                cards_[i].Swap(cards_[j]);
                ++counted;
            } else if (counted == 0) {
                // The first draw of a pass counts even when it swaps nothing.
                ++counted;
            }
        }
    }
}

void Deck::DealNewHand()
{
    Shuffle();
    FillBoard();
}

void Deck::ShuffleOnly()
{
    Shuffle();
}

Card Deck::DrawCard()
{
    if (cards_.empty())
        return Card::None();
    const Card card = cards_.front();
    cards_.erase(cards_.begin());
    return card;
}

bool Deck::RemoveCard(const Card& card)
{
    if (card.IsNone())
        return false;
    auto it = std::find(cards_.begin(), cards_.end(), card);
    if (it == cards_.end())
        return false;
    cards_.erase(it);
    return true;
}

void Deck::PlaceBoardCard(const Card& card)
{
    // Only real cards go on the board (a damaged saved game may hold anything),
    // and a full board has no place left for another.
    if (!card.IsReal() || board_.size() >= kBoardSize)
        return;
    board_.push_back(card);
    faceUp_ = board_.size();
}

void Deck::PlaceFaceDownBoardCard(const Card& card)
{
    if (card.IsReal() && board_.size() < kBoardSize)
        board_.push_back(card);
}

void Deck::FillBoard()
{
    while (board_.size() < kBoardSize)
        board_.push_back(DrawCard());
}

void Deck::GetVisibleBoardCards(std::vector<Card>& out) const
{
    out.insert(out.end(), board_.begin(), board_.begin() + static_cast<std::ptrdiff_t>(faceUp_));
}

void Deck::RevealBoardCards(uint16_t count, std::vector<Card>& out)
{
    // Only dealt places can be turned over.
    size_t last = std::min<size_t>(faceUp_ + count, board_.size());
    for (; faceUp_ < last; ++faceUp_)
        out.push_back(board_[faceUp_]);
}
