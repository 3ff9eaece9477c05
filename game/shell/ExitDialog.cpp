#include "game/shell/ExitDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"

namespace Gamespace {

namespace {

constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kTextFont[] = "fonts/Pristina18.txt";

} // namespace

ExitDialog::ExitDialog(ControlLibrary::DialogMessageObserver* owner) : YesNoDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(380, 250);
    ControlLibrary::IFont* captionFont = LoadFont(kCaptionFont);
    ControlLibrary::IButtonVO* yes = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    ControlLibrary::IButtonVO* no = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    if (yes)
        SetButtonLook(*yes, button_sheets::kYes);
    if (no)
        SetButtonLook(*no, button_sheets::kNo);
    SetAnswerButtons(yes, no);
    LoadFont(kTextFont);
    LayoutControls();
}

void ExitDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (YesButton())
        YesButton()->SetPosition(centre.x + 80, centre.y + 55);
    if (NoButton())
        NoButton()->SetPosition(centre.x - 80, centre.y + 55);
}

} // namespace Gamespace
