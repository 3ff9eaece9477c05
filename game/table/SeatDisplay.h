// The screen objects of one seat: name and chip labels, the bet label with a
// stack of chip images, two hole cards with their dimming masks, the seat
// background, the turn highlight, the dealer button, the winner badge, six
// action icons and a line of news (a re-buy or an add-on). The player owns
// one and tells it what to show; without a control factory every operation
// does nothing, so the table plays headless.
//
// Threads: the main thread.
#pragma once

#include "controls/Point.h"
#include "game/table/Card.h"
#include "game/table/TableState.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ControlLibrary {
class IFactory;
class IFont;
class IImageVO;
class ISound;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

// Where the labels, cards and chips of table seat `seat` (0 to 9, the
// human's first) stand on the 1024 x 768 screen.
SeatLayout TableSeatLayout(uint16_t seat);

enum SeatIcon : uint32_t { kIconCheck, kIconOpen, kIconFold, kIconCall, kIconRaise, kIconAllIn, kIconCount };

class SeatDisplay {
public:
    static constexpr size_t kChipImages = 18;
    static constexpr char kNewsFont[] = "fonts/a_BosaNova10.txt";

    SeatDisplay(ControlLibrary::IFactory* factory, bool human);
    ~SeatDisplay();
    SeatDisplay(const SeatDisplay&) = delete;
    SeatDisplay& operator=(const SeatDisplay&) = delete;

    // Places every object of seat `seat` and loads its card sound.
    void Layout(const SeatLayout& layout, uint16_t seat);
    // Shows or hides the seat's labels and images.
    void Show(bool on, bool dealer);
    // Hides the cards, masks, highlight, badge, chips and icons of a hand.
    void ResetForHand(bool dealer);
    void SetName(const std::string& name);
    void SetHighlighted(bool on);
    void SetDealer(bool on);
    // Shows hole card `index` face up (`faceUp`) or as the computer's back.
    void ShowHoleCard(size_t index, const Card& card, bool faceUp);
    void HideHoleCards();
    // Faces for every held card on the table, each dimmed by its mask; a
    // hidden (folded) card stays hidden.
    void RevealHoleCards(const std::vector<Card>& cards);
    void ShowMasks(bool on);
    void HideMask(size_t index);
    void ShowWinnerBadge(bool on);
    void ShowIcon(SeatIcon icon);
    void HideIcons();
    void HideChips();
    // The bet label with its chip stack, and the chips label.
    void RefreshBet(double bet, double chips);
    // The news stands beside the seat's plate, on the side where no other
    // object of the table is ever drawn, until HideNews.
    void ShowNews(const std::string& text);
    void HideNews();
    void PlayCardSound();
    void PlayChipsSound();

    // "$ " and the amount, cents and all, with a blank between the groups of
    // three digits of its whole part.
    static std::string FormatMoney(double amount);
    // The chips that show a bet of `value`, largest first: the first
    // kChipImages of them, all a stack can show.
    static std::vector<uint32_t> BreakIntoChips(uint64_t value);

private:
    // "images/cards/" and the face of the seat's card set.
    std::string FaceImage(const Card& card) const;
    ControlLibrary::IImageVO* NewImage(const std::string& file, uint16_t layer, uint32_t vAlign = 1);
    ControlLibrary::IStringVO* NewText(ControlLibrary::IFont* font, uint16_t layer);
    void Place(ControlLibrary::IImageVO* object, ControlLibrary::Point at);

    ControlLibrary::IFactory* factory_;
    bool human_;
    ControlLibrary::ISound* cardSound_ = nullptr;
    ControlLibrary::ISound* chipsSound_ = nullptr;
    ControlLibrary::IFont* seatFont_ = nullptr;
    ControlLibrary::IFont* betFont_ = nullptr;
    ControlLibrary::IFont* newsFont_ = nullptr;
    ControlLibrary::IStringVO* nameLabel_ = nullptr;
    ControlLibrary::IStringVO* chipsLabel_ = nullptr;
    ControlLibrary::IStringVO* betLabel_ = nullptr;
    ControlLibrary::IStringVO* newsLabel_ = nullptr;
    std::array<ControlLibrary::IImageVO*, 2> cards_{};
    std::array<ControlLibrary::IImageVO*, 2> masks_{};
    ControlLibrary::IImageVO* dealerButton_ = nullptr;
    ControlLibrary::IImageVO* background_ = nullptr;
    ControlLibrary::IImageVO* highlight_ = nullptr;
    ControlLibrary::IImageVO* betBackground_ = nullptr;
    ControlLibrary::IImageVO* winnerBadge_ = nullptr;
    std::array<ControlLibrary::IImageVO*, kIconCount> icons_{};
    std::array<ControlLibrary::IImageVO*, kChipImages> chips_{};
    ControlLibrary::Point betAnchor_;
    // The middle of the seat's plate picture, and the seat's number.
    ControlLibrary::Point plateAt_;
    uint16_t seat_ = 0;
    bool shown_ = false;
};

} // namespace Gamespace
