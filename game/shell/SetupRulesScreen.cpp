#include "game/shell/SetupRulesScreen.h"

#include "controls/IButtonVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "game/table/ClickSound.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/MoneyText.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/ScreenSize.h"
#include "kernel/Kernel.h"

namespace Gamespace {

namespace {

using namespace screen_parts;

constexpr ControlLibrary::RGB kTextColour{240, 176, 21};

} // namespace

std::string SetupDollars(double amount)
{
    return "$ " + AmountText(amount);
}

const SetupRulesScreen::ButtonLook SetupRulesScreen::kStartLook{
    "images/btn_sel_rules_scr.png", 104, 28, {{{188, 4}, {188, 34}, {188, 65}, {188, 95}}}};
const SetupRulesScreen::ButtonLook SetupRulesScreen::kBackLook{
    "images/btn_sel_rules_scr.png", 106, 30, {{{0, 1}, {0, 32}, {0, 63}, {0, 94}}}};
const SetupRulesScreen::ButtonLook SetupRulesScreen::kOptionsLook{
    "images/btn_options.png", 100, 41, {{{0, 2}, {0, 45}, {0, 89}, {0, 132}}}};
const SetupRulesScreen::ButtonLook SetupRulesScreen::kCustomizeLook{
    "images/btn_customize.png", 135, 32, {{{0, 0}, {0, 35}, {0, 70}, {0, 105}}}};
const SetupRulesScreen::ButtonLook SetupRulesScreen::kCloseLook{
    kCloseImage, 32, 32, {{{0, 0}, {0, 32}, {0, 0}, {0, 0}}}, kCloseLayer};

SetupRulesScreen::SetupRulesScreen(SetupRulesObserver* observer, std::string backgroundImage)
    : SetupRulesBase(observer), backgroundImage_(std::move(backgroundImage))
{
}

SetupRulesScreen::~SetupRulesScreen() = default;

void SetupRulesScreen::Create()
{
    if (factory_)
        return;
    factory_ = KernelLibrary::GetFactory();
    if (!factory_)
        return;
    factory_->AddSysObserver(this);
    buttonFont_ = LoadFont(*factory_, kButtonFont);
    textFont_ = LoadFont(*factory_, kTextFont);
    CreateControls();

    background_ = MakeBackground(*factory_, backgroundImage_);
    optionsDialog_ = std::make_unique<OptionsDialog>(this);
    customizeDlg_ = std::make_unique<CustomizeDlg>(this);

    ControlLibrary::Size screen;
    GetScreenSize(screen);
    const int32_t cx = int32_t(screen.w / 2);
    const int32_t cy = int32_t(screen.h / 2);
    if (background_)
        background_->SetPosition(cx, cy);
    if (back_)
        back_->SetPosition(cx - 400, cy + 300);
    if (options_)
        options_->SetPosition(cx - 400, cy + 350);
    if (close_)
        close_->SetPosition(kClosePosition);
    LayOut(cx, cy);

    click_ = std::make_unique<ClickSound>(factory_);
    select_ = std::make_unique<ClickSound>(factory_, kSelectSound);
}

ControlLibrary::IButtonVO* SetupRulesScreen::MakeButton(ControlLibrary::IFont* font)
{
    return screen_parts::MakeButton(*factory_, font, this);
}

ControlLibrary::IButtonVO* SetupRulesScreen::AddButton(const ButtonLook& look)
{
    ControlLibrary::IButtonVO* button = MakeButton(buttonFont_);
    if (!button)
        return nullptr;
    button->SetImages({look.image, look.image, look.image, look.image});
    std::array<ControlLibrary::Rect, 4> sources{};
    for (size_t i = 0; i < sources.size(); ++i)
        sources[i] = ControlLibrary::Rect{look.frames[i].x, look.frames[i].y, int16_t(look.w), int16_t(look.h)};
    button->SetSourceRects(sources);
    button->SetSize(look.w, look.h);
    button->SetLayer(look.layer);
    buttons_.push_back(button);
    return button;
}

void SetupRulesScreen::ReleaseButton(ControlLibrary::IButtonVO*& button)
{
    if (factory_)
        screen_parts::Release(*factory_, button);
}

ControlLibrary::IStringVO* SetupRulesScreen::AddText(const std::string& text, uint32_t hAlign)
{
    ControlLibrary::IStringVO* label = factory_->CreateStringVO();
    if (!label)
        return nullptr;
    label->SetFont(textFont_);
    label->SetLayer(kTextLayer);
    label->SetColour(kTextColour);
    label->SetAlignment(hAlign, 1);
    label->SetText(text);
    texts_.push_back(label);
    return label;
}

void SetupRulesScreen::Show()
{
    if (!factory_)
        return;
    ShowFixedObjects(true);
    FillFromProfile();
    ShowCloseButtonWhereNeeded();
}

void SetupRulesScreen::ShowCloseButtonWhereNeeded()
{
    // A window has its own close box; a screen the game covers has only
    // this one. The start screen keeps the same rule.
    if (close_)
        close_->SetVisible(GameCoversTheScreen(*factory_));
}

void SetupRulesScreen::Hide()
{
    if (!factory_)
        return;
    HideOwnObjects();
    ShowFixedObjects(false);
}

void SetupRulesScreen::ShowFixedObjects(bool visible)
{
    if (background_)
        background_->SetVisible(visible);
    // The close button shows by its own rule; a frame drawn in between
    // never shows it for a moment.
    for (ControlLibrary::IButtonVO* button : buttons_)
        if (button && (button != close_ || !visible))
            button->SetVisible(visible);
    for (ControlLibrary::IStringVO* text : texts_)
        if (text)
            text->SetVisible(visible);
}

void SetupRulesScreen::Release()
{
    if (!factory_)
        return;
    // Dialogs first: one still open is closed (a customize dialog commits its
    // choices to the profile) while the screen it reports to still stands.
    ReleaseOwnObjects();
    ReleaseDialogs();
    for (ControlLibrary::IButtonVO*& button : buttons_)
        screen_parts::Release(*factory_, button);
    buttons_.clear();
    start_ = back_ = options_ = customize_ = close_ = nullptr;
    for (ControlLibrary::IStringVO*& text : texts_)
        screen_parts::Release(*factory_, text);
    texts_.clear();
    screen_parts::Release(*factory_, background_);
    factory_->ReleaseFont(buttonFont_);
    factory_->ReleaseFont(textFont_);
    buttonFont_ = textFont_ = nullptr;
    click_.reset();
    select_.reset();
    factory_->RemoveSysObserver(this);
    factory_ = nullptr;
}

void SetupRulesScreen::ReleaseDialogs()
{
    for (BaseDialog* dialog : {static_cast<BaseDialog*>(optionsDialog_.get()),
                               static_cast<BaseDialog*>(customizeDlg_.get())})
        if (dialog && dialog->IsVisible())
            dialog->Show(false);
    optionsDialog_.reset();
    customizeDlg_.reset();
}

bool SetupRulesScreen::IsShown() const
{
    return background_ && background_->IsVisible();
}

bool SetupRulesScreen::IsSysInputEnabled()
{
    // While a dialog is open over the screen its modality has disabled the
    // start button. The screen declines the key then, before any observer
    // hears of it: a dialog that closes on the same key (and enables the
    // button again) may be told first, whatever the order the screen and
    // its dialogs asked for keys in.
    return IsShown() && start_ && start_->IsEnabled();
}

void SetupRulesScreen::OnSysKeyDown(uint32_t key)
{
    if ((key == kSpaceKey || key == kEnterKey) && start_)
        start_->PerformClick();
}

void SetupRulesScreen::OnDialogShown(uint32_t /*dialogId*/, bool shown)
{
    // Any of the screen's dialogs may have changed the display mode (the
    // options switch it); a dialog closed while the screen is away (at
    // Release) leaves the button as it is.
    if (!shown && IsShown())
        ShowCloseButtonWhereNeeded();
}

bool SetupRulesScreen::OnCommonButton(uint32_t id)
{
    if (Is(back_, id)) {
        PlayClick();
        observer_->OnSetupDone(1);
    } else if (Is(options_, id)) {
        PlayClick();
        if (optionsDialog_)
            optionsDialog_->Show(true);
    } else if (Is(customize_, id)) {
        PlayClick();
        if (customizeDlg_)
            customizeDlg_->Show(true);
    } else if (Is(close_, id)) {
        observer_->RequestQuit();
    } else {
        return false;
    }
    return true;
}

bool SetupRulesScreen::Is(const ControlLibrary::IVisibleObject* button, uint32_t id)
{
    return button && id != 0 && button->GetId() == id;
}

void SetupRulesScreen::PlayClick()
{
    if (click_)
        click_->Play();
}

void SetupRulesScreen::PlaySelect()
{
    if (select_)
        select_->Play();
}

} // namespace Gamespace
