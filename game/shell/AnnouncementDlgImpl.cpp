#include "game/shell/AnnouncementDlgImpl.h"

#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/table/PlayerI.h"

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kTextColour{255, 255, 10};
// Until the table says what to announce.
constexpr char kUnsetText[] = "Winner";

} // namespace

AnnouncementPanel::AnnouncementPanel(ControlLibrary::DialogMessageObserver* owner, ControlLibrary::Point centre,
                                     const std::string& text)
    : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(500, 90);
    DialogObject().SetPosition(centre);
    AddCloseButton();
    text_ = AddString(LoadFont(kFont), kTextColour, kChildLayer);
    SetText(text);
}

void AnnouncementPanel::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (text_)
        text_->SetPosition(centre.x, centre.y - 25);
    PlaceCloseButton(0, 25);
}

std::string AnnouncementPanel::Text() const
{
    return TextOf(text_);
}

void AnnouncementPanel::SetText(const std::string& text)
{
    SetTextOf(text_, text);
}

StageDlgImpl::StageDlgImpl(ControlLibrary::DialogMessageObserver* owner)
    : AnnouncementPanel(owner, ControlLibrary::Point{512, 350}, kUnsetText)
{
}

DealerSelectDlgImpl::DealerSelectDlgImpl(ControlLibrary::DialogMessageObserver* owner)
    : AnnouncementPanel(owner, ControlLibrary::Point{512, 350}, kUnsetText)
{
}

void DealerSelectDlgImpl::SetDealer(PlayerI& player)
{
    SetText(player.GetName() + " is the dealer.");
}

BankruptDlgImpl::BankruptDlgImpl(ControlLibrary::DialogMessageObserver* owner)
    : AnnouncementPanel(owner, ControlLibrary::Point{520, 410}, "You have finished this game.")
{
}

} // namespace Gamespace
