#include "game/shell/HumanActionDlgImpl.h"

#include "controls/IDialogVO.h"

namespace Gamespace {

HumanActionDlgImpl::HumanActionDlgImpl(ControlLibrary::DialogMessageObserver* owner,
                                       HumanActionMessageObserver* /*player*/)
    : BaseDialogImpl(owner)
{
    DialogObject().SetModeless(1);
    DialogObject().SetFaceHidden(true);
}

} // namespace Gamespace
