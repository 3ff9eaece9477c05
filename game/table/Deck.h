// The table's one deck: the undealt cards of the current hand, the five board
// (community) cards, and the screen objects that show the board: five card
// images, a dimming mask over each, and three card sounds.
//
// Threads: the table drives it from its timer callbacks on the time thread and
// the hand-result dialog highlights the winner's cards from the main thread.
// It takes no lock: the table's flow lets only one of them use it at a time.
#pragma once

#include "game/table/Card.h"
#include "game/table/HandEvaluator.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ControlLibrary {
class IFactory;
class IImageVO;
class ISound;
} // namespace ControlLibrary

class Deck {
public:
    static constexpr uint32_t kBoardSize = 5;
    static constexpr uint32_t kSoundCount = 3;

    // The deck of the program, built on first use with the kernel's control
    // factory (without one, it deals without showing anything).
    static Deck& Instance();

    // Creates the board's screen objects through `factory` (null: none).
    explicit Deck(ControlLibrary::IFactory* factory);
    // Gives nothing back to the factory: Release does that while it exists.
    ~Deck();
    Deck(const Deck&) = delete;
    Deck& operator=(const Deck&) = delete;

    // Empties the deck and the board; hides the card images and the masks.
    void Clear();
    // Clear, then a fresh deck of 52 in shuffled order.
    void Shuffle();
    // Shuffle, then the five board cards drawn first and loaded face down.
    void DealNewHand();
    // Shuffle with an empty board, for a hand restored card by card.
    void ShuffleOnly();
    // The next card, taken from the deck; the no-card value once it is empty.
    Card DrawCard();
    // Takes the first card equal to `card` out of the deck, if it is there.
    void RemoveCard(const Card& card);
    // Appends `card` to the board face up; the no-card value, any other value
    // that is not one of the 52, and a sixth card are ignored.
    void PlaceBoardCard(const Card& card);
    // Draws face-down board cards until the board holds five.
    void FillBoard();
    // Appends the board cards turned over so far, in board order.
    void GetVisibleBoardCards(std::vector<Card>& out) const;
    // Turns over the next `count` board cards and appends them to `out`.
    void RevealBoardCards(uint16_t count, std::vector<Card>& out);
    void ShowMasks(bool show);
    // Dims the board except the cards of the given hand groups (the first five
    // cards of a winner's sorted record).
    void HighlightBestHandBoardCards(const std::vector<HandGroup>& bestHand);
    // Gives the sounds, card images and masks back to the factory.
    void Release();

    const std::vector<Card>& GetBoard() const { return board_; }
    const std::vector<Card>& GetCards() const { return cards_; }

private:
    static std::string BoardImageName(const Card& card);
    void ShowCardImage(uint32_t position, bool show);
    void LoadCardImage(uint32_t position, const Card& card);
    void SetMaskVisible(uint32_t position, bool show);

    ControlLibrary::IFactory* factory_;
    std::array<ControlLibrary::ISound*, kSoundCount> sounds_{};
    std::array<ControlLibrary::IImageVO*, kBoardSize> cardImages_{};
    std::array<ControlLibrary::IImageVO*, kBoardSize> masks_{};
    // Which board places are turned over: kept in step with the card images'
    // visibility, so the board still works without screen objects.
    std::array<bool, kBoardSize> faceUp_{};
    std::vector<Card> board_;
    std::vector<Card> cards_;
};
