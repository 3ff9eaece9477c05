#include "game/shell/TrnFinishDlgImpl.h"

namespace Gamespace {

TrnFinishDlgImpl::TrnFinishDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void TrnFinishDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

} // namespace Gamespace
