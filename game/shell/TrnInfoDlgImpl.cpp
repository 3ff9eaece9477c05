#include "game/shell/TrnInfoDlgImpl.h"

#include "controls/IDialogVO.h"

namespace Gamespace {

TrnInfoDlgImpl::TrnInfoDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetModeless(1);
}

} // namespace Gamespace
