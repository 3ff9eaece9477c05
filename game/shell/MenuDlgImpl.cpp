#include "game/shell/MenuDlgImpl.h"

namespace Gamespace {

MenuDlgImpl::MenuDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    AddCloseButton();
}

void MenuDlgImpl::LayoutControls()
{
    PlaceCloseButton(0, 70);
}

} // namespace Gamespace
