#include "game/table/Deck.h"

#include "controls/IFactory.h"
#include "controls/IImageVO.h"
#include "controls/ISound.h"
#include "common/RandomHelpers.h"
#include "common/TextHelpers.h"

#include <algorithm>

namespace {

constexpr int32_t kFirstCardX = 312;
constexpr int32_t kCardSpacing = 94;
constexpr int32_t kCardY = 305;
constexpr uint16_t kCardLayer = 150;
constexpr uint16_t kMaskLayer = 155;
constexpr uint32_t kSwapPasses = 2;

ControlLibrary::IImageVO* CreateBoardImage(ControlLibrary::IFactory& factory, uint32_t position, uint16_t layer)
{
    ControlLibrary::IImageVO* image = factory.CreateImageVO();
    if (image == nullptr)
        return nullptr;
    image->SetAlignment(1, 1);
    image->SetLayer(layer);
    image->SetAlwaysRepaint(true);
    image->SetPosition(kFirstCardX + kCardSpacing * static_cast<int32_t>(position), kCardY);
    return image;
}

} // namespace

Deck::Deck(ControlLibrary::IFactory* factory) : factory_(factory)
{
    if (factory_ == nullptr)
        return;
    for (uint32_t k = 0; k < kBoardSize; ++k) {
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

Deck::~Deck() = default;

std::string Deck::BoardImageName(const Card& card)
{
    return "images/cards/set1/" + card.GetRankLetter() + card.GetSuitLetter() + ".png";
}

void Deck::ShowCardImage(uint32_t position, bool show)
{
    faceUp_[position] = show;
    if (cardImages_[position] != nullptr)
        cardImages_[position]->SetVisible(show);
}

void Deck::LoadCardImage(uint32_t position, const Card& card)
{
    if (cardImages_[position] != nullptr)
        cardImages_[position]->SetImage(BoardImageName(card), true);
}

void Deck::SetMaskVisible(uint32_t position, bool show)
{
    if (masks_[position] != nullptr)
        masks_[position]->SetVisible(show);
}

void Deck::Clear()
{
    cards_.clear();
    board_.clear();
    for (uint32_t k = 0; k < kBoardSize; ++k) {
        ShowCardImage(k, false);
        SetMaskVisible(k, false);
    }
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
    for (uint32_t k = 0; k < kBoardSize; ++k) {
        const Card card = DrawCard();
        board_.push_back(card);
        LoadCardImage(k, card);
    }
    ShowMasks(false);
}

void Deck::ShuffleOnly()
{
    Shuffle();
    ShowMasks(false);
}

Card Deck::DrawCard()
{
    if (cards_.empty())
        return Card::None();
    const Card card = cards_.front();
    cards_.erase(cards_.begin());
    return card;
}

void Deck::RemoveCard(const Card& card)
{
    if (card.IsNone())
        return;
    auto it = std::find(cards_.begin(), cards_.end(), card);
    if (it != cards_.end())
        cards_.erase(it);
}

void Deck::PlaceBoardCard(const Card& card)
{
    // Only real cards go on the board (a damaged saved game may hold anything),
    // and a full board has no place left for another.
    if (!card.IsReal() || board_.size() >= kBoardSize)
        return;
    const uint32_t position = static_cast<uint32_t>(board_.size());
    board_.push_back(card);
    LoadCardImage(position, card);
    ShowCardImage(position, true);
}

void Deck::FillBoard()
{
    while (board_.size() < kBoardSize) {
        const uint32_t position = static_cast<uint32_t>(board_.size());
        const Card card = DrawCard();
        board_.push_back(card);
        LoadCardImage(position, card);
    }
}

void Deck::GetVisibleBoardCards(std::vector<Card>& out) const
{
    for (uint32_t k = 0; k < kBoardSize && k < board_.size(); ++k) {
        if (!faceUp_[k])
            break;
        out.push_back(board_[k]);
    }
}

void Deck::RevealBoardCards(uint16_t count, std::vector<Card>& out)
{
    uint32_t first = 0;
    while (first < kBoardSize && faceUp_[first])
        ++first;
    if (first == kBoardSize || count == 0)
        return;
    for (uint32_t p = first; p < first + count && p < kBoardSize; ++p) {
        // Only dealt places can be turned over.
        if (p >= board_.size())
            break;
        ControlLibrary::ISound* sound = sounds_[RandomInRange(0, kSoundCount)];
        if (sound != nullptr)
            sound->Play(false);
        ShowCardImage(p, true);
        out.push_back(board_[p]);
    }
}

void Deck::ShowMasks(bool show)
{
    for (uint32_t k = 0; k < kBoardSize; ++k)
        SetMaskVisible(k, show);
}

void Deck::HighlightBestHandBoardCards(const std::vector<HandGroup>& bestHand)
{
    ShowMasks(true);
    uint32_t taken = 0;
    for (const HandGroup& group : bestHand) {
        for (const Card& card : group.cards) {
            if (taken == 5)
                break;
            ++taken;
            for (uint32_t k = 0; k < board_.size() && k < kBoardSize; ++k) {
                if (board_[k] == card)
                    SetMaskVisible(k, false);
            }
        }
    }
    // No mask stays over a place that shows no card.
    for (uint32_t k = 0; k < kBoardSize; ++k) {
        if (!faceUp_[k])
            SetMaskVisible(k, false);
    }
}

void Deck::Release()
{
    if (factory_ == nullptr)
        return;
    for (ControlLibrary::ISound*& sound : sounds_) {
        factory_->ReleaseSound(sound);
        sound = nullptr;
    }
    for (ControlLibrary::IImageVO*& image : cardImages_) {
        if (image != nullptr)
            factory_->ReleaseVO(image);
        image = nullptr;
    }
    for (ControlLibrary::IImageVO*& mask : masks_) {
        if (mask != nullptr)
            factory_->ReleaseVO(mask);
        mask = nullptr;
    }
}
