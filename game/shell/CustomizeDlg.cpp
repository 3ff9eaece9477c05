#include "game/shell/CustomizeDlg.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IFactory.h"
#include "controls/IImageVO.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ButtonSheets.h"

namespace Gamespace {

namespace {

using ControlLibrary::Rect;

constexpr char kFont[] = "fonts/a_BosaNova14.txt";

// The state rows (normal, hover, pressed, disabled) of each button's column
// in its sprite sheet, and the column's x.
constexpr std::array<int32_t, 4> kStyleRows{0, 35, 69, 105};
// The four choices stand one under the other as one column of buttons of
// one size, the size of the longest word's.
constexpr uint32_t kStyleW = 136;
constexpr uint32_t kStyleH = 32;
constexpr int32_t kStyleX[CustomizeDlg::kStyles] = {0, 140, 280, 420};

// The style buttons stand one under the other; the yes/no button below them
// and the ok button at the foot. Offsets from the dialog's middle.
constexpr int32_t kChoiceDx = 80;
constexpr int32_t kStyleDy[CustomizeDlg::kStyles] = {-110, -70, -30, 10};
constexpr int32_t kYesNoDy = 100;
constexpr int32_t kOkDy = 170;
// The tick stands this far left of the chosen style's button.
constexpr int32_t kTickGap = 20;

} // namespace

CustomizeDlg::CustomizeDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(500, 450);
    ControlLibrary::IFont* font = LoadFont(kFont);
    std::array<ControlLibrary::IButtonVO*, 6> buttons{};
    for (size_t i = 0; i < buttons.size(); ++i) {
        ControlLibrary::IButtonVO* button = AddButton(font, ControlLibrary::Point{0, -5}, 94, 26);
        if (!button)
            continue;
        button->SetAlignment(0, 1);
        button->SetTag(uint16_t(i + 1));
        button->SetTextColours({ControlLibrary::RGB{25, 25, 250}, ControlLibrary::RGB{0, 0, 0},
                                ControlLibrary::RGB{203, 203, 192}, ControlLibrary::RGB{203, 203, 192},
                                ControlLibrary::RGB{0, 0, 0}});
        buttons[i] = button;
    }
    for (size_t style = 0; style < kStyles; ++style) {
        styleButtons_[style] = buttons[style];
        if (styleButtons_[style])
            SetButtonLook(*styleButtons_[style], kStyleImage,
                          Frames(kStyleX[style], kStyleRows, int16_t(kStyleW), int16_t(kStyleH)), kStyleW, kStyleH);
    }
    yesNoButton_ = buttons[4];
    SetYesLook();
    okButton_ = buttons[5];
    if (okButton_) {
        SetButtonLook(*okButton_, button_sheets::kOk);
        okButton_->SetAlignment(1, 1);
    }

    tick_ = Factory().CreateImageVO();
    if (tick_) {
        tick_->SetAlignment(1, 1);
        tick_->SetLayer(kChildLayer);
        AddChild(tick_);
        tick_->SetImage(kTickImage, true);
        tick_->SetSourceRect(Rect{0, 0, 36, 36});
        tick_->SetSize(36, 36);
    }
}

void CustomizeDlg::SetYesLook()
{
    if (!yesNoButton_)
        return;
    SetButtonLook(*yesNoButton_, button_sheets::kYes);
}

void CustomizeDlg::SetNoLook()
{
    if (!yesNoButton_)
        return;
    SetButtonLook(*yesNoButton_, button_sheets::kNo);
}

void CustomizeDlg::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    for (size_t style = 0; style < kStyles; ++style)
        if (styleButtons_[style])
            styleButtons_[style]->SetPosition(centre.x + kChoiceDx, centre.y + kStyleDy[style]);
    if (yesNoButton_)
        yesNoButton_->SetPosition(centre.x + kChoiceDx, centre.y + kYesNoDy);
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + kOkDy);
    if (tick_ && styleButtons_[0]) {
        const ControlLibrary::Point first = styleButtons_[0]->GetPosition();
        tick_->SetPosition(first.x - kTickGap, first.y);
    }
}

void CustomizeDlg::ChooseStyle(size_t style)
{
    if (tick_ && styleButtons_[style]) {
        const ControlLibrary::Point at = styleButtons_[style]->GetPosition();
        tick_->SetPosition(at.x - kTickGap, at.y);
    }
    PlayClick();
    style_ = uint16_t(style);
}

void CustomizeDlg::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0)
        return;
    for (size_t style = 0; style < kStyles; ++style)
        if (id == StyleButtonId(style)) {
            ChooseStyle(style);
            return;
        }
    if (id == OkButtonId()) {
        PlayClick();
        DialogObject().SetVisible(false);
    } else if (id == YesNoButtonId()) {
        if (flag_ != 0) {
            SetNoLook();
            flag_ = 0;
        } else {
            SetYesLook();
            flag_ = 1;
        }
    }
}

void CustomizeDlg::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (dialogId != GetId())
        return;
    Profile& profile = *ProfileList::CurrentProfile();
    if (!shown) {
        profile.announceStages = flag_;
        profile.computerStyle = style_;
        return;
    }
    flag_ = profile.announceStages;
    if (flag_ != 0)
        SetYesLook();
    else
        SetNoLook();
    // A style outside the four (a damaged profile) shows, and is kept as,
    // the first.
    const uint16_t stored = uint16_t(profile.computerStyle);
    const size_t style = stored >= 1 && stored < kStyles ? stored : 0;
    OnMouseUp(StyleButtonId(style), 1);
}

uint32_t CustomizeDlg::StyleButtonId(size_t style) const
{
    return style < kStyles && styleButtons_[style] ? styleButtons_[style]->GetId() : 0;
}

uint32_t CustomizeDlg::YesNoButtonId() const
{
    return yesNoButton_ ? yesNoButton_->GetId() : 0;
}

uint32_t CustomizeDlg::OkButtonId() const
{
    return okButton_ ? okButton_->GetId() : 0;
}

} // namespace Gamespace
