#include "game/shell/FinishDlgImpl.h"

namespace Gamespace {

FinishDlgImpl::FinishDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void FinishDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

} // namespace Gamespace
