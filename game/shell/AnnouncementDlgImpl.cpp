#include "game/shell/AnnouncementDlgImpl.h"

namespace Gamespace {

StageDlgImpl::StageDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void StageDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

DealerSelectDlgImpl::DealerSelectDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void DealerSelectDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

BankruptDlgImpl::BankruptDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void BankruptDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

} // namespace Gamespace
