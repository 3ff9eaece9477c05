#include "game/shell/TrnPlayersDlgImpl.h"

#include "controls/IDialogVO.h"

namespace Gamespace {

TrnPlayersDlgImpl::TrnPlayersDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetModeless(1);
}

} // namespace Gamespace
