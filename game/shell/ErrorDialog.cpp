#include "game/shell/ErrorDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/ProfileDialogLooks.h"

namespace Gamespace {

ErrorDialog::ErrorDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(400, 200);
    okButton_ = AddOkCloseButton(LoadFont(profile_looks::kCaptionFont));
    message_ = AddString(LoadFont(profile_looks::kPromptFont), profile_looks::kPromptColour, profile_looks::kTextLayer);
    SetTextOf(message_, kMessage);
    LayoutControls();
}

void ErrorDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + 50);
    if (message_)
        message_->SetPosition(centre.x, centre.y - 25);
}

} // namespace Gamespace
