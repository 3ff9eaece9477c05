// What the board shows: five card images in a row, a dimming mask over each,
// and three card sounds, one of which plays for every card turned over. The
// table owns it and shows the deck's board on it after every change of the
// board; the hand-result dialog dims the board round a winner's best cards.
// Without a control factory it shows nothing but still draws its sounds'
// chances, so a table plays the same game with or without a screen.
//
// Threads: the main thread.
#pragma once

#include "game/table/Card.h"
#include "game/table/HandEvaluator.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ControlLibrary {
class IFactory;
class IImageVO;
class ISound;
} // namespace ControlLibrary

class Deck;

namespace Gamespace {

class BoardDisplay {
public:
    static constexpr uint32_t kPlaces = 5;
    static constexpr uint32_t kSoundCount = 3;

    // Creates the screen objects through `factory` (null: none), hidden.
    explicit BoardDisplay(ControlLibrary::IFactory* factory);
    // Gives every object back to the factory.
    ~BoardDisplay();
    BoardDisplay(const BoardDisplay&) = delete;
    BoardDisplay& operator=(const BoardDisplay&) = delete;

    // Shows the deck's board: each dealt card loaded into its place, shown
    // when it is face up; no mask.
    void Show(const Deck& deck);
    // One of the three card sounds, drawn at random.
    void PlayCardSound();
    void ShowMasks(bool show);
    // Dims the board except the cards of the given hand groups (the first five
    // cards of a winner's sorted record).
    void HighlightBestHandBoardCards(const std::vector<HandGroup>& bestHand);

private:
    void SetMaskVisible(uint32_t place, bool show);

    ControlLibrary::IFactory* factory_;
    std::array<ControlLibrary::ISound*, kSoundCount> sounds_{};
    std::array<ControlLibrary::IImageVO*, kPlaces> cardImages_{};
    std::array<ControlLibrary::IImageVO*, kPlaces> masks_{};
    // The board last shown, and how many of its first cards face up.
    std::vector<Card> board_;
    size_t faceUp_ = 0;
};

} // namespace Gamespace
