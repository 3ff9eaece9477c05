#include "game/shell/BannerDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kTextColour{255, 255, 10};

} // namespace

BannerDialog::BannerDialog(ControlLibrary::DialogMessageObserver* owner, ControlLibrary::Point centre,
                           std::initializer_list<RowButton> row)
    : KeyDialog(owner), row_(row)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(500, 90);
    DialogObject().SetPosition(centre);
    ControlLibrary::IFont* buttonFont = LoadFont(kButtonFont);
    for (const RowButton& place : row_) {
        ControlLibrary::IButtonVO* button = AddCaptionButton(buttonFont, place.caption);
        if (button)
            button->SetFaceHidden(false);
        buttons_.push_back(button);
    }
    text_ = AddString(LoadFont(kFont), kTextColour, kChildLayer);
}

void BannerDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (text_)
        text_->SetPosition(centre.x, centre.y - 25);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i])
            buttons_[i]->SetPosition(centre.x + row_[i].dx, centre.y + 25);
}

std::string BannerDialog::Text() const
{
    return TextOf(text_);
}

void BannerDialog::SetText(const std::string& text)
{
    SetTextOf(text_, text);
}

} // namespace Gamespace
