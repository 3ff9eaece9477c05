// The table's deck: the undealt cards of the current hand and the five board
// (community) cards, with how many of them are turned over. It holds cards
// only; what the board shows is the BoardDisplay's, which the table keeps in
// step with it.
//
// The board's face-up cards are always its first ones: cards are turned over
// in board order, and a card placed face up (a restored hand) goes after the
// ones already there, before the board is filled face down.
//
// Threads: the main thread (the table's steps).
#pragma once

#include "game/table/Card.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Deck {
public:
    static constexpr uint32_t kBoardSize = 5;

    // Empties the deck and the board.
    void Clear();
    // Clear, then a fresh deck of 52 in shuffled order.
    void Shuffle();
    // Shuffle, then the five board cards drawn first, face down.
    void DealNewHand();
    // Shuffle with an empty board, for a hand restored card by card.
    void ShuffleOnly();
    // The next card, taken from the deck; the no-card value once it is empty.
    Card DrawCard();
    // Takes the first card equal to `card` out of the deck, if it is there;
    // whether it was.
    bool RemoveCard(const Card& card);
    // Appends `card` to the board face up; the no-card value, any other value
    // that is not one of the 52, and a sixth card are ignored.
    void PlaceBoardCard(const Card& card);
    // The same, face down: after every face-up card.
    void PlaceFaceDownBoardCard(const Card& card);
    // Draws face-down board cards until the board holds five.
    void FillBoard();
    // Appends the board cards turned over so far, in board order.
    void GetVisibleBoardCards(std::vector<Card>& out) const;
    // Turns over the next `count` board cards and appends them to `out`.
    void RevealBoardCards(uint16_t count, std::vector<Card>& out);

    const std::vector<Card>& GetBoard() const { return board_; }
    const std::vector<Card>& GetCards() const { return cards_; }
    // How many of the board's first cards are face up.
    size_t FaceUpCount() const { return faceUp_; }

private:
    std::vector<Card> board_;
    std::vector<Card> cards_;
    size_t faceUp_ = 0;
};
