#include "game/shell/KeyDialog.h"

#include "controls/IDialogVO.h"
#include "controls/IFactory.h"

#include <algorithm>
#include <vector>

namespace Gamespace {

namespace {

std::vector<const KeyDialog*>& LiveKeyDialogs()
{
    static std::vector<const KeyDialog*> dialogs;
    return dialogs;
}

} // namespace

KeyDialog::KeyDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    LiveKeyDialogs().push_back(this);
    Factory().AddSysObserver(this);
}

KeyDialog::~KeyDialog()
{
    Factory().RemoveSysObserver(this);
    auto& dialogs = LiveKeyDialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
}

bool KeyDialog::IsSysInputEnabled()
{
    return IsTopKeyDialog();
}

void KeyDialog::OnSysKeyDown(uint32_t key)
{
    const uint32_t button = key == kReturnKey ? ReturnButtonId() : key == kEscapeKey ? EscapeButtonId() : 0;
    if (button != 0)
        OnMouseUp(button, 1);
}

bool KeyDialog::IsTopKeyDialog() const
{
    const ControlLibrary::IDialogVO& self = DialogObject();
    if (!self.IsVisible() || !self.IsEnabled())
        return false;
    const uint32_t layer = self.GetAbsoluteLayer();
    for (const KeyDialog* other : LiveKeyDialogs())
        if (other != this && other->DialogObject().IsVisible() && other->DialogObject().GetAbsoluteLayer() > layer)
            return false;
    return true;
}

} // namespace Gamespace
