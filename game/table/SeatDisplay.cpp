#include "game/table/SeatDisplay.h"

#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "controls/ISound.h"
#include "controls/IStringVO.h"
#include "common/RandomHelpers.h"
#include "common/TextHelpers.h"

#include <algorithm>

namespace Gamespace {

namespace {

const std::array<SeatLayout, 10> kSeatLayouts = {{
    {512, 630, -13, -5, 33, 33, -36, -24, 50, -70},
    {265, 605, -67, 0, -21, 38, -36, -24, 50, -50},
    {150, 480, -80, 0, -34, 38, -36, -24, 55, -40},
    {150, 330, -80, -160, -34, -122, -36, -74, 40, -30},
    {275, 165, -67, -160, -21, -122, -36, -74, 50, 20},
    {512, 165, -13, -160, 33, -122, -36, -74, 50, 20},
    {815, 165, 0, -160, -46, -122, -36, -74, -110, 20},
    {960, 330, 0, -160, -46, -122, -36, -74, -105, -30},
    {960, 480, 0, 0, -46, 38, -36, -24, -115, -40},
    {830, 605, 0, 0, -46, 38, -36, -24, -110, -50},
}};

const char* const kIconFiles[kIconCount] = {"check.png", "open.png", "fold.png", "call.png", "raise.png", "allin.png"};
const ControlLibrary::RGB kNameColour{255, 255, 255};
const ControlLibrary::RGB kHighlightedNameColour{255, 230, 40};
// The re-buy and add-on news: bright, to stand out on the wood.
const ControlLibrary::RGB kNewsColour{255, 255, 10};
// The table is laid out for a screen 1024 pixels wide.
constexpr int32_t kTableWidth = 1024;
// The plate's picture (150 x 100, centred on the seat's point) draws the
// plate, lit, 130 wide in its lower half; the upper half is left for the
// cards.
constexpr int32_t kPlateHalfWidth = 65;
constexpr int32_t kPlateBottomDy = 50;
constexpr int32_t kNewsGap = 2;
constexpr int32_t kNewsMargin = 4;

// Where each seat's news stands against its plate. Under the plates of the
// lower seats and of those by the screen's sides lies bare wood; the upper
// seats' cards lie under theirs, so their news goes beside the plate, away
// from the corner panels, into the gap towards the next plate along the rim
// (some 170 pixels: the news is set in the bet label's small font). The two
// seats that share the gap on the right of the top one take its upper and
// its lower half. `dy`: the news's middle, down from the seat's point.
enum class NewsSide { Below, Right, Left };
struct NewsSpot {
    NewsSide side;
    int32_t dy;
};
constexpr int32_t kPlateMiddleDy = 25;
constexpr NewsSpot kNewsSpots[10] = {
    {NewsSide::Below, 0},              // 0, the human's
    {NewsSide::Below, 0},              // 1
    {NewsSide::Below, 0},              // 2, by the left side
    {NewsSide::Right, kPlateMiddleDy}, // 3
    {NewsSide::Right, kPlateMiddleDy}, // 4, the top row's left
    {NewsSide::Right, 11},             // 5, the top one: the gap's upper half
    {NewsSide::Left, 36},              // 6: the same gap's lower half
    {NewsSide::Left, kPlateMiddleDy},  // 7
    {NewsSide::Below, 0},              // 8, by the right side
    {NewsSide::Below, 0},              // 9
};

template <typename T>
void SetVisible(T* object, bool visible)
{
    if (object != nullptr)
        object->SetVisible(visible);
}

template <typename T>
void SetText(T* object, const std::string& text)
{
    if (object != nullptr)
        object->SetText(text);
}

ControlLibrary::Point Offset(ControlLibrary::Point at, int32_t dx, int32_t dy)
{
    return ControlLibrary::Point{at.x + dx, at.y + dy};
}

} // namespace

SeatLayout TableSeatLayout(uint16_t seat)
{
    return kSeatLayouts.at(seat);
}

SeatDisplay::SeatDisplay(ControlLibrary::IFactory* factory, bool human) : factory_(factory), human_(human)
{
    if (factory_ == nullptr)
        return;
    seatFont_ = factory_->CreateFont();
    if (seatFont_ != nullptr)
        seatFont_->Load("fonts/MonotypeCorsiva14Italics.txt");
    betFont_ = factory_->CreateFont();
    if (betFont_ != nullptr)
        betFont_->Load("fonts/a_BosaNova10.txt");
    newsFont_ = factory_->CreateFont();
    if (newsFont_ != nullptr)
        newsFont_->Load(kNewsFont);

    nameLabel_ = NewText(seatFont_, 510);
    chipsLabel_ = NewText(seatFont_, 510);
    betLabel_ = NewText(betFont_, 600);
    newsLabel_ = NewText(newsFont_, 1500);
    if (newsLabel_ != nullptr)
        newsLabel_->SetColour(kNewsColour);
    for (size_t i = 0; i < 2; ++i) {
        cards_[i] = NewImage("", static_cast<uint16_t>(500 + 10 * i), 2);
        masks_[i] = NewImage(human_ ? "images/cards/mask1.png" : "images/cards/mask2.png",
                             static_cast<uint16_t>(505 + 10 * i), 2);
    }
    dealerButton_ = NewImage("images/player/dealer.png", 155, 2);
    background_ = NewImage("images/player/back.png", 100);
    highlight_ = NewImage("images/player/back_h.png", 100);
    betBackground_ = NewImage("images/player/bet_fon.png", 550);
    winnerBadge_ = NewImage("images/player/winner.png", 550);
    if (winnerBadge_ != nullptr) {
        winnerBadge_->SetSourceRect(ControlLibrary::Rect{0, 0, 111, 40});
        winnerBadge_->SetSize(111, 40);
    }
    for (size_t i = 0; i < kIconCount; ++i)
        icons_[i] = NewImage(std::string("images/player/actions/") + kIconFiles[i], 510);
    for (auto& chip : chips_)
        chip = NewImage("", 510);

    chipsSound_ = factory_->CreateSound(false);
    if (chipsSound_ != nullptr)
        chipsSound_->Load("sounds/table/chips_set" + std::to_string(RandomInRange(0, 5)) + ".ogg");
}

SeatDisplay::~SeatDisplay()
{
    if (factory_ == nullptr)
        return;
    for (ControlLibrary::IStringVO* text : {nameLabel_, chipsLabel_, betLabel_, newsLabel_})
        if (text != nullptr)
            factory_->ReleaseVO(text);
    std::vector<ControlLibrary::IImageVO*> images = {dealerButton_, background_, highlight_, betBackground_,
                                                      winnerBadge_};
    images.insert(images.end(), cards_.begin(), cards_.end());
    images.insert(images.end(), masks_.begin(), masks_.end());
    images.insert(images.end(), icons_.begin(), icons_.end());
    images.insert(images.end(), chips_.begin(), chips_.end());
    for (ControlLibrary::IImageVO* image : images)
        if (image != nullptr)
            factory_->ReleaseVO(image);
    factory_->ReleaseSound(cardSound_);
    factory_->ReleaseSound(chipsSound_);
    factory_->ReleaseFont(seatFont_);
    factory_->ReleaseFont(betFont_);
    factory_->ReleaseFont(newsFont_);
}

ControlLibrary::IImageVO* SeatDisplay::NewImage(const std::string& file, uint16_t layer, uint32_t vAlign)
{
    ControlLibrary::IImageVO* image = factory_->CreateImageVO();
    if (image == nullptr)
        return nullptr;
    image->SetAlignment(1, vAlign);
    image->SetLayer(layer);
    image->SetAlwaysRepaint(true);
    if (!file.empty())
        image->SetImage(file, true);
    return image;
}

ControlLibrary::IStringVO* SeatDisplay::NewText(ControlLibrary::IFont* font, uint16_t layer)
{
    ControlLibrary::IStringVO* text = factory_->CreateStringVO();
    if (text == nullptr)
        return nullptr;
    if (font != nullptr)
        text->SetFont(font);
    text->SetAlignment(1, 1);
    text->SetLayer(layer);
    text->SetAlwaysRepaint(true);
    return text;
}

void SeatDisplay::Place(ControlLibrary::IImageVO* object, ControlLibrary::Point at)
{
    if (object != nullptr)
        object->SetPosition(at);
}

void SeatDisplay::Layout(const SeatLayout& layout, uint16_t seat)
{
    if (factory_ == nullptr)
        return;
    ControlLibrary::Point anchor{layout.anchorX, layout.anchorY};
    ControlLibrary::Point seatAt = Offset(anchor, layout.cardsDx, layout.cardsDy);
    Place(background_, seatAt);
    Place(highlight_, seatAt);
    plateAt_ = seatAt;
    seat_ = seat;
    if (nameLabel_ != nullptr)
        nameLabel_->SetPosition(Offset(seatAt, -5, 14));
    if (chipsLabel_ != nullptr)
        chipsLabel_->SetPosition(Offset(seatAt, -5, 34));
    Place(dealerButton_, Offset(anchor, layout.chipsDx, layout.chipsDy));
    for (ControlLibrary::IImageVO* icon : icons_)
        Place(icon, Offset(anchor, layout.labelDx, layout.labelDy));
    betAnchor_ = Offset(anchor, layout.nameDx, layout.nameDy);
    if (betLabel_ != nullptr)
        betLabel_->SetPosition(betAnchor_);
    Place(betBackground_, betAnchor_);
    for (size_t i = 0; i < kChipImages; ++i)
        Place(chips_[i], Offset(betAnchor_, 0, -3 * static_cast<int32_t>(i)));
    Place(cards_[0], Offset(anchor, -52, -10));
    Place(masks_[0], Offset(anchor, -52, -10));
    Place(cards_[1], Offset(anchor, -14, -10));
    Place(masks_[1], Offset(anchor, -14, -10));
    Place(winnerBadge_, Offset(anchor, -40, -24));
    if (cardSound_ == nullptr) {
        cardSound_ = factory_->CreateSound(false);
        if (cardSound_ != nullptr)
            cardSound_->Load("sounds/cards/" + std::to_string(seat) + ".ogg");
    }
}

void SeatDisplay::Show(bool on, bool dealer)
{
    shown_ = on;
    SetVisible(nameLabel_, on);
    SetVisible(chipsLabel_, on);
    SetVisible(background_, on);
    SetVisible(dealerButton_, on && dealer);
    SetVisible(winnerBadge_, false);
    if (!on) {
        HideNews();
        SetVisible(betLabel_, false);
        SetVisible(betBackground_, false);
        SetVisible(highlight_, false);
        HideChips();
        ShowMasks(false);
        HideIcons();
        HideHoleCards();
    }
}

void SeatDisplay::ResetForHand(bool dealer)
{
    HideHoleCards();
    SetVisible(masks_[0], false);
    SetVisible(masks_[1], false);
    SetVisible(betBackground_, false);
    SetVisible(highlight_, false);
    SetVisible(winnerBadge_, false);
    SetVisible(dealerButton_, shown_ && dealer);
    SetVisible(background_, shown_);
    if (nameLabel_ != nullptr)
        nameLabel_->SetColour(kNameColour);
    SetText(betLabel_, "");
    SetVisible(betLabel_, false);
    HideChips();
    HideIcons();
}

void SeatDisplay::SetName(const std::string& name)
{
    SetText(nameLabel_, name);
}

void SeatDisplay::SetHighlighted(bool on)
{
    SetVisible(highlight_, on && shown_);
    if (nameLabel_ != nullptr)
        nameLabel_->SetColour(on ? kHighlightedNameColour : kNameColour);
}

void SeatDisplay::SetDealer(bool on)
{
    SetVisible(dealerButton_, on && shown_);
}

std::string SeatDisplay::FaceImage(const Card& card) const
{
    return std::string("images/cards/") + (human_ ? "set1/" : "set2/") + card.Name() + ".png";
}

void SeatDisplay::ShowHoleCard(size_t index, const Card& card, bool faceUp)
{
    if (index >= cards_.size() || cards_[index] == nullptr)
        return;
    cards_[index]->SetImage(faceUp ? FaceImage(card) : "images/cards/back2.png", true);
    cards_[index]->SetVisible(shown_);
}

void SeatDisplay::HideHoleCards()
{
    SetVisible(cards_[0], false);
    SetVisible(cards_[1], false);
}

void SeatDisplay::RevealHoleCards(const std::vector<Card>& cards)
{
    // The cards on the table turn face up, dimmed until the hand result
    // lights a winner's; a folded hand stays out of sight.
    for (size_t i = 0; i < cards_.size(); ++i) {
        if (cards_[i] == nullptr)
            continue;
        if (i < cards.size() && cards[i].IsReal())
            cards_[i]->SetImage(FaceImage(cards[i]), true);
        SetVisible(masks_[i], cards_[i]->IsVisible());
    }
    HideIcons();
    SetHighlighted(false);
    HideChips();
}

void SeatDisplay::ShowMasks(bool on)
{
    for (size_t i = 0; i < masks_.size(); ++i)
        SetVisible(masks_[i], on && cards_[i] != nullptr && cards_[i]->IsVisible());
}

void SeatDisplay::HideMask(size_t index)
{
    if (index < masks_.size())
        SetVisible(masks_[index], false);
}

void SeatDisplay::ShowWinnerBadge(bool on)
{
    SetVisible(winnerBadge_, on && shown_);
}

void SeatDisplay::ShowIcon(SeatIcon icon)
{
    HideIcons();
    if (icon < kIconCount)
        SetVisible(icons_[icon], shown_);
}

void SeatDisplay::HideIcons()
{
    for (ControlLibrary::IImageVO* icon : icons_)
        SetVisible(icon, false);
}

void SeatDisplay::HideChips()
{
    for (ControlLibrary::IImageVO* chip : chips_)
        SetVisible(chip, false);
}

void SeatDisplay::RefreshBet(double bet, double chips)
{
    if (factory_ == nullptr)
        return;
    if (bet <= 0.0) {
        SetVisible(betLabel_, false);
        SetVisible(betBackground_, false);
        HideChips();
    } else {
        SetText(betLabel_, FormatMoney(bet));
        HideChips();
        SetVisible(betLabel_, shown_);
        SetVisible(betBackground_, shown_);
        std::vector<uint32_t> stack = BreakIntoChips(static_cast<uint64_t>(WholeDollars(bet)));
        for (size_t i = 0; i < stack.size(); ++i) {
            if (chips_[i] == nullptr)
                continue;
            chips_[i]->SetImage("images/player/chips/" + std::to_string(stack[i]) + ".png", true);
            chips_[i]->SetVisible(shown_);
        }
    }
    SetText(chipsLabel_, FormatMoney(chips));
}

void SeatDisplay::ShowNews(const std::string& text)
{
    if (newsLabel_ == nullptr)
        return;
    newsLabel_->SetText(text);
    const NewsSpot& spot = kNewsSpots[seat_ < std::size(kNewsSpots) ? seat_ : 0];
    const int32_t middleY = plateAt_.y + spot.dy;
    switch (spot.side) {
    case NewsSide::Below: {
        // Centred under the plate, moved in at the screen's sides just far
        // enough to be read whole.
        const int32_t half = newsFont_ != nullptr ? newsFont_->GetStringWidth(text) / 2 : 0;
        const int32_t leftmost = half + kNewsMargin;
        const int32_t x = std::clamp(plateAt_.x, leftmost, std::max(leftmost, kTableWidth - half - kNewsMargin));
        newsLabel_->SetAlignment(1, 0);
        newsLabel_->SetPosition(ControlLibrary::Point{x, plateAt_.y + kPlateBottomDy + kNewsGap});
        break;
    }
    case NewsSide::Right:
        newsLabel_->SetAlignment(0, 1);
        newsLabel_->SetPosition(ControlLibrary::Point{plateAt_.x + kPlateHalfWidth + kNewsGap, middleY});
        break;
    case NewsSide::Left:
        newsLabel_->SetAlignment(2, 1);
        newsLabel_->SetPosition(ControlLibrary::Point{plateAt_.x - kPlateHalfWidth - kNewsGap, middleY});
        break;
    }
    SetVisible(newsLabel_, shown_);
}

void SeatDisplay::HideNews()
{
    SetVisible(newsLabel_, false);
}

void SeatDisplay::PlayCardSound()
{
    if (cardSound_ != nullptr)
        cardSound_->Play(false);
}

void SeatDisplay::PlayChipsSound()
{
    if (chipsSound_ != nullptr)
        chipsSound_->Play(false);
}

std::string SeatDisplay::FormatMoney(double amount)
{
    return "$ " + AmountToString(amount, " ");
}

std::vector<uint32_t> SeatDisplay::BreakIntoChips(uint64_t value)
{
    static const uint32_t kDenominations[] = {5000, 2500, 1000, 500, 250, 100, 50, 25, 10, 5, 2, 1};
    std::vector<uint32_t> stack;
    uint64_t v = value;
    for (uint32_t chip : kDenominations) {
        while (v > 0 && stack.size() < kChipImages) {
            if (v <= 3) {
                stack.insert(stack.end(), std::min<size_t>(v, kChipImages - stack.size()), 1u);
                return stack;
            }
            if (v < chip)
                break;
            stack.push_back(chip);
            v -= chip;
        }
        if (v == 0 || stack.size() == kChipImages)
            break;
    }
    return stack;
}

} // namespace Gamespace
