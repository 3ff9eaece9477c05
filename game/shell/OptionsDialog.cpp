#include "game/shell/OptionsDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IFactory.h"
#include "controls/IStringVO.h"
#include "game/shell/Options.h"

#include <algorithm>

namespace Gamespace {

namespace {

constexpr char kStepImage[] = "images/dialog/options/bt_opt.png";
constexpr char kDisplayImage[] = "images/dialog/options/bt_fs.png";
constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kTextFont[] = "fonts/BrushScriptStd18.txt";
constexpr ControlLibrary::RGB kTextColour{203, 203, 192};
constexpr uint16_t kTextLayer = 100;
constexpr uint16_t kLowestSpeedByButton = 1;

struct Look {
    const char* image;
    int32_t x;
    std::array<int32_t, 4> tops;
    int16_t w;
    int16_t h;
    int32_t dx; // from the dialog's middle
    int32_t dy;
};

constexpr std::array<int32_t, 4> kStepTops{0, 29, 58, 86};
constexpr std::array<int32_t, 4> kDisplayTops{0, 44, 89, 133};

// In the order of OptionsDialog::Button.
constexpr std::array<Look, OptionsDialog::kButtonCount> kLooks{{
    {kDisplayImage, 104, kDisplayTops, 52, 42, 0, 190},  // OK
    {kStepImage, 28, kStepTops, 28, 28, 100, -73},       // sound +
    {kStepImage, 0, kStepTops, 28, 28, -100, -73},       // sound -
    {kStepImage, 28, kStepTops, 28, 28, 100, -1},        // effects +
    {kStepImage, 0, kStepTops, 28, 28, -100, -1},        // effects -
    {kStepImage, 28, kStepTops, 28, 28, 100, 72},        // speed +
    {kStepImage, 0, kStepTops, 28, 28, -100, 72},        // speed -
    {kDisplayImage, 0, kDisplayTops, 42, 42, 0, 145},    // windowed
    {kDisplayImage, 44, kDisplayTops, 60, 42, 0, 145},   // full screen
}};

// The rows' texts, from the dialog's middle.
constexpr std::array<int32_t, OptionsDialog::kRowCount> kTextDy{-78, -5, 68};

} // namespace

bool GameCoversTheScreen(ControlLibrary::IFactory& factory)
{
    return IsFullScreenOption() || factory.IsWindowedRefused();
}

OptionsDialog::OptionsDialog(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(420, 450);
    ControlLibrary::IFont* captionFont = LoadFont(kCaptionFont);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const Look& look = kLooks[i];
        buttons_[i] = AddButton(captionFont, ControlLibrary::Point{0, -5}, look.image,
                                Frames(look.x, look.tops, look.w, look.h), uint32_t(look.w), uint32_t(look.h));
    }
    // Only the one that switches away from the current mode shows.
    for (Button which : {kWindowed, kFullScreen})
        if (buttons_[which])
            buttons_[which]->SetShowWithDialog(false);
    ControlLibrary::IFont* textFont = LoadFont(kTextFont);
    for (ControlLibrary::IStringVO*& text : texts_)
        text = AddString(textFont, kTextColour, kTextLayer);
    LayoutControls();
}

void OptionsDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i])
            buttons_[i]->SetPosition(centre.x + kLooks[i].dx, centre.y + kLooks[i].dy);
    for (size_t i = 0; i < texts_.size(); ++i)
        if (texts_[i])
            texts_[i]->SetPosition(centre.x, centre.y + kTextDy[i]);
}

void OptionsDialog::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (dialogId != GetId() || !shown)
        return;
    ShowRow(kSoundRow, GetSoundVolume(), 0, kMaxVolume);
    ShowRow(kEffectsRow, GetSoundEffVolume(), 0, kMaxVolume);
    ShowRow(kSpeedRow, GetGameSpeed(), kLowestSpeedByButton, kMaxGameSpeed);
    ShowDisplayRow();
}

void OptionsDialog::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    const Button which = Which(id);
    if (which == kButtonCount)
        return;
    PlayClick();
    auto raised = [](uint16_t value, uint16_t step) { return uint16_t(value + step); };
    auto lowered = [](uint16_t value, uint16_t step) { return uint16_t(value > step ? value - step : 0); };
    switch (which) {
    case kOk:
        DialogObject().SetVisible(false);
        break;
    case kSoundPlus:
    case kSoundMinus:
        SetSoundVolume(which == kSoundPlus ? raised(GetSoundVolume(), kVolumeStep)
                                           : lowered(GetSoundVolume(), kVolumeStep));
        ShowRow(kSoundRow, GetSoundVolume(), 0, kMaxVolume);
        break;
    case kEffectsPlus:
    case kEffectsMinus:
        SetSoundEffVolume(which == kEffectsPlus ? raised(GetSoundEffVolume(), kVolumeStep)
                                                : lowered(GetSoundEffVolume(), kVolumeStep));
        ShowRow(kEffectsRow, GetSoundEffVolume(), 0, kMaxVolume);
        break;
    case kSpeedPlus:
    case kSpeedMinus:
        SetGameSpeed(which == kSpeedPlus ? raised(GetGameSpeed(), 1) : lowered(GetGameSpeed(), 1));
        ShowRow(kSpeedRow, GetGameSpeed(), kLowestSpeedByButton, kMaxGameSpeed);
        break;
    case kWindowed:
    case kFullScreen:
        Factory().ToggleScreenMode();
        SetFullScreenOption(!IsFullScreenOption());
        ShowDisplayRow();
        break;
    case kButtonCount:
        break;
    }
}

void OptionsDialog::OnSysKeyDown(uint32_t key)
{
    if (key == kEscapeKey)
        DialogObject().SetVisible(false);
}

void OptionsDialog::ShowRow(Row row, uint16_t value, uint16_t lowest, uint16_t highest)
{
    const bool volume = row != kSpeedRow;
    if (texts_[row])
        texts_[row]->SetText(std::to_string(value) + (volume ? " %" : ""));
    const Button plus = row == kSoundRow ? kSoundPlus : (row == kEffectsRow ? kEffectsPlus : kSpeedPlus);
    const Button minus = static_cast<Button>(plus + 1);
    if (buttons_[plus])
        buttons_[plus]->SetEnabled(value != highest);
    if (buttons_[minus])
        buttons_[minus]->SetEnabled(value != lowest);
}

void OptionsDialog::ShowDisplayRow()
{
    const bool fullScreen = GameCoversTheScreen(Factory());
    if (buttons_[kWindowed]) {
        buttons_[kWindowed]->SetVisible(fullScreen);
        buttons_[kWindowed]->SetEnabled(!Factory().IsWindowedRefused());
    }
    if (buttons_[kFullScreen])
        buttons_[kFullScreen]->SetVisible(!fullScreen);
}

OptionsDialog::Button OptionsDialog::Which(uint32_t id) const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] && buttons_[i]->GetId() == id)
            return static_cast<Button>(i);
    return kButtonCount;
}

} // namespace Gamespace
