#include "game/shell/RebuyAddonDlgImpl.h"

namespace Gamespace {

RebuyAddonDlgImpl::RebuyAddonDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void RebuyAddonDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

} // namespace Gamespace
