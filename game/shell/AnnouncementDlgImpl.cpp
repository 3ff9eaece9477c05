#include "game/shell/AnnouncementDlgImpl.h"

#include "game/table/PlayerI.h"

namespace Gamespace {

namespace {

// Until the table says what to announce.
constexpr char kUnsetText[] = "Winner";

} // namespace

AnnouncementPanel::AnnouncementPanel(ControlLibrary::DialogMessageObserver* owner, ControlLibrary::Point centre,
                                     const std::string& text)
    : BannerDialog(owner, centre, {{"Close", 0}})
{
    UseAsCloseButton(Button(0));
    SetText(text);
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
