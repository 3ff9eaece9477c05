#include "game/shell/FinishDlgImpl.h"

#include "common/RandomHelpers.h"
#include "controls/IDialogVO.h"
#include "controls/IFactory.h"
#include "controls/ISound.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/table/BoardDisplay.h"
#include "game/table/PlayerI.h"

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kTitleColour{255, 255, 255};
constexpr ControlLibrary::RGB kTextColour{255, 255, 10};

std::string ChipSoundFile(uint32_t variant)
{
    return "sounds/table/chips_finish" + std::to_string(variant) + ".ogg";
}

} // namespace

FinishDlgImpl::FinishDlgImpl(ControlLibrary::DialogMessageObserver* owner, BoardDisplay& board)
    : KeyDialog(owner), board_(board)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(kWidth, kHeight);
    DialogObject().SetPosition(kCentreX, kCentreY);
    AddCloseButton();
    ControlLibrary::IFont* font = LoadFont(kFont);
    title_ = AddString(font, kTitleColour, kChildLayer);
    text_ = AddString(font, kTextColour, kChildLayer);
    // Replaced before the dialog is first seen.
    SetTextOf(text_, "Winner");
    SetTextOf(title_, "Test");
    for (ControlLibrary::ISound*& sound : sounds_) {
        // With the music flag, as the click is made.
        sound = Factory().CreateSound(true);
        if (sound)
            sound->Load(ChipSoundFile(RandomInRange(0, kSoundCount)));
    }
}

FinishDlgImpl::~FinishDlgImpl()
{
    ClearPots();
    for (ControlLibrary::ISound*& sound : sounds_) {
        Factory().ReleaseSound(sound);
        sound = nullptr;
    }
}

void FinishDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (title_)
        title_->SetPosition(centre.x, centre.y - 45);
    if (text_)
        text_->SetPosition(centre.x, centre.y);
    PlaceCloseButton(0, 45);
}

void FinishDlgImpl::AddPot(const std::string& potName)
{
    pots_.push_back(Pot{{}, potName});
}

void FinishDlgImpl::AddWinner(PlayerI* winner, double amount, const std::string& handName)
{
    if (pots_.empty() || winner == nullptr)
        return;
    pots_.back().winners.push_back(Winner{winner, handName, amount});
}

std::string FinishDlgImpl::WinnersLine(const Pot& pot)
{
    if (pot.winners.empty())
        return std::string();
    const Winner& first = pot.winners.front();
    if (pot.winners.size() == 1)
        return first.player->GetName() + " win " + MoneyText(first.amount) + " with " + first.handName;
    const std::string players = std::to_string(pot.winners.size()) + " players ";
    double total = 0.0;
    bool even = true;
    for (const Winner& winner : pot.winners) {
        total += winner.amount;
        even = even && winner.amount == first.amount;
    }
    // The first winner takes the dollars the split leaves over: then the
    // shares differ, and only the pot's amount is true of them all.
    if (!even)
        return players + "split " + MoneyText(total);
    return players + "win " + MoneyText(first.amount) + " each";
}

void FinishDlgImpl::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (dialogId != GetId())
        return;
    if (!shown) {
        ClearPots();
        return;
    }
    current_ = 0;
    ControlLibrary::ISound* sound = sounds_[RandomInRange(0, kSoundCount)];
    if (sound)
        sound->Play(false);
    ShowCurrentPot();
}

void FinishDlgImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0 || id != CloseButtonId())
        return;
    PlayClick();
    ++current_;
    if (current_ < pots_.size() && !pots_[current_].winners.empty())
        ShowCurrentPot();
    else
        DialogObject().SetVisible(false);
}

void FinishDlgImpl::ShowCurrentPot()
{
    if (current_ >= pots_.size()) {
        SetTextOf(title_, "");
        SetTextOf(text_, "");
        return;
    }
    const Pot& pot = pots_[current_];
    SetTextOf(title_, pot.name);
    SetTextOf(text_, WinnersLine(pot));
    for (const Pot& any : pots_)
        for (const Winner& winner : any.winners) {
            winner.player->SetHighlighted(false);
            winner.player->DimHoleCards();
        }
    for (const Winner& winner : pot.winners) {
        winner.player->TakeWinnings(winner.amount);
        winner.player->SetHighlighted(true);
        std::vector<HandGroup> bestHand;
        winner.player->GetBestHandGroups(bestHand);
        board_.HighlightBestHandBoardCards(bestHand);
    }
}

} // namespace Gamespace
