#include "game/table/BoardDisplay.h"

#include "common/RandomHelpers.h"
#include "common/TextHelpers.h"
#include "controls/IFactory.h"
#include "controls/IImageVO.h"
#include "controls/ISound.h"
#include "game/table/Deck.h"

namespace Gamespace {

namespace {

constexpr int32_t kFirstCardX = 312;
constexpr int32_t kCardSpacing = 94;
constexpr int32_t kCardY = 305;
constexpr uint16_t kCardLayer = 150;
constexpr uint16_t kMaskLayer = 155;
constexpr uint32_t kHandCards = 5;

ControlLibrary::IImageVO* CreateBoardImage(ControlLibrary::IFactory& factory, uint32_t place, uint16_t layer)
{
    ControlLibrary::IImageVO* image = factory.CreateImageVO();
    if (image == nullptr)
        return nullptr;
    image->SetAlignment(1, 1);
    image->SetLayer(layer);
    image->SetAlwaysRepaint(true);
    image->SetPosition(kFirstCardX + kCardSpacing * static_cast<int32_t>(place), kCardY);
    return image;
}

std::string BoardImageName(const Card& card)
{
    return "images/cards/set1/" + card.GetRankLetter() + card.GetSuitLetter() + ".png";
}

} // namespace

BoardDisplay::BoardDisplay(ControlLibrary::IFactory* factory) : factory_(factory)
{
    if (factory_ == nullptr)
        return;
    for (uint32_t k = 0; k < kPlaces; ++k) {
        cardImages_[k] = CreateBoardImage(*factory_, k, kCardLayer);
        masks_[k] = CreateBoardImage(*factory_, k, kMaskLayer);
        if (masks_[k] != nullptr)
            masks_[k]->SetImage("images/cards/mask1.png", true);
    }
    for (ControlLibrary::ISound*& sound : sounds_) {
        sound = factory_->CreateSound(false);
        if (sound != nullptr)
            sound->Load("sounds/cards/" + IntToString(static_cast<int>(RandomInRange(0, 3))) + ".ogg");
    }
}

BoardDisplay::~BoardDisplay()
{
    if (factory_ == nullptr)
        return;
    for (ControlLibrary::ISound* sound : sounds_)
        factory_->ReleaseSound(sound);
    for (ControlLibrary::IImageVO* image : cardImages_)
        if (image != nullptr)
            factory_->ReleaseVO(image);
    for (ControlLibrary::IImageVO* mask : masks_)
        if (mask != nullptr)
            factory_->ReleaseVO(mask);
}

void BoardDisplay::Show(const Deck& deck)
{
    board_ = deck.GetBoard();
    faceUp_ = deck.FaceUpCount();
    for (uint32_t k = 0; k < kPlaces; ++k) {
        ControlLibrary::IImageVO* image = cardImages_[k];
        if (image != nullptr) {
            if (k < board_.size())
                image->SetImage(BoardImageName(board_[k]), true);
            image->SetVisible(k < faceUp_);
        }
        SetMaskVisible(k, false);
    }
}

void BoardDisplay::PlayCardSound()
{
    // Drawn even without sounds: the table's chances do not depend on a screen.
    ControlLibrary::ISound* sound = sounds_[RandomInRange(0, kSoundCount)];
    if (sound != nullptr)
        sound->Play(false);
}

void BoardDisplay::SetMaskVisible(uint32_t place, bool show)
{
    if (masks_[place] != nullptr)
        masks_[place]->SetVisible(show);
}

void BoardDisplay::ShowMasks(bool show)
{
    for (uint32_t k = 0; k < kPlaces; ++k)
        SetMaskVisible(k, show);
}

void BoardDisplay::HighlightBestHandBoardCards(const std::vector<HandGroup>& bestHand)
{
    ShowMasks(true);
    uint32_t taken = 0;
    for (const HandGroup& group : bestHand) {
        for (const Card& card : group.cards) {
            if (taken == kHandCards)
                break;
            ++taken;
            for (uint32_t k = 0; k < board_.size() && k < kPlaces; ++k)
                if (board_[k] == card)
                    SetMaskVisible(k, false);
        }
    }
    // No mask stays over a place that shows no card.
    for (uint32_t k = faceUp_; k < kPlaces; ++k)
        SetMaskVisible(k, false);
}

} // namespace Gamespace
