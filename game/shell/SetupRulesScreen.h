// What the four set-up screens (the tournament screen and the limit,
// pot-limit and no-limit cash-table screens) share: a full-screen background,
// seven buttons in one style (the first is always the start button), the
// labels and values in one font and colour, the click and selection sounds,
// the options and customize dialogs, and the rules every screen follows:
// - back reports 1 to the set-up module (the start screen follows), start
//   reports 0 (the table follows); close asks to quit the game;
// - space or Return press the start button while the screen is shown and no
//   dialog is open over it;
// - the close button shows only where the game covers the screen (a window
//   has its own close box): when the screen shows and after any of its
//   dialogs closed (the options may have switched the display mode).
// A screen keeps no choice of its own: whatever the player picks is written
// into the current profile at once, and the table reads it from there.
//
// Every object a screen made is given back to the factory by Release (or,
// at the latest, by the concrete screen's destructor, which the toolkit must
// outlive); a screen runs no timer.
//
// Threads: the main thread (input from the control factory, the set-up
// module's calls).
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "controls/Point.h"
#include "game/shell/ScreenParts.h"
#include "game/shell/SetupRulesBase.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IFactory;
class IFont;
class IImageVO;
class IStringVO;
class IVisibleObject;
} // namespace ControlLibrary

namespace Gamespace {

// An amount as the set-up screens write it: "$ " and the amount as
// AmountText writes it.
std::string SetupDollars(double amount);

class ClickSound;
class CustomizeDlg;
class OptionsDialog;

class SetupRulesScreen : public SetupRulesBase,
                         public ControlLibrary::MouseMessageObserver,
                         public ControlLibrary::KeybdSysMessageObserver,
                         public ControlLibrary::DialogMessageObserver {
public:
    static constexpr char kButtonFont[] = "fonts/MonotypeCorsiva14Italics.txt";
    static constexpr char kTextFont[] = "fonts/BrushScriptStd18.txt";
    static constexpr char kSelectSound[] = "sounds/tbl_sel.wav";
    static constexpr uint32_t kSpaceKey = 0x20;
    static constexpr uint32_t kEnterKey = 0x0D;
    static constexpr uint16_t kTextLayer = 100;

    // A button's own picture: one image for every state, the corner of each
    // state's part (normal, hover, pressed, disabled), all of the button's
    // size.
    struct ButtonLook {
        const char* image;
        uint16_t w;
        uint16_t h;
        std::array<ControlLibrary::Point, 4> frames;
        uint16_t layer = screen_parts::kButtonLayer;
    };

    ~SetupRulesScreen() override;

    void Create() final;
    void Release() final;
    void Show() final;
    void Hide() final;

    bool IsSysInputEnabled() override;
    void OnSysKeyDown(uint32_t key) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;

    // What tests and tools look at; null before Create and after Release.
    ControlLibrary::IButtonVO* StartButton() const { return start_; }
    ControlLibrary::IButtonVO* BackButton() const { return back_; }
    ControlLibrary::IButtonVO* OptionsButton() const { return options_; }
    ControlLibrary::IButtonVO* CustomizeButton() const { return customize_; }
    ControlLibrary::IButtonVO* CloseButton() const { return close_; }
    ControlLibrary::IImageVO* Background() const { return background_; }
    OptionsDialog* GetOptionsDialog() const { return optionsDialog_.get(); }
    CustomizeDlg* GetCustomizeDlg() const { return customizeDlg_.get(); }
    bool IsShown() const;

protected:
    static const ButtonLook kStartLook;
    static const ButtonLook kBackLook;
    static const ButtonLook kOptionsLook;
    static const ButtonLook kCustomizeLook;
    static const ButtonLook kCloseLook;

    SetupRulesScreen(SetupRulesObserver* observer, std::string backgroundImage);

    // The screen's part of Create, in order: its seven buttons (AddButton;
    // the start button first, then the screen's order), its texts and its
    // dialogs beyond the options and customize dialogs.
    virtual void CreateControls() = 0;
    // Places the screen's own objects around the screen's middle; the base
    // places the background, back, options and close.
    virtual void LayOut(int32_t cx, int32_t cy) = 0;
    // Show's part between the fixed objects and the close button: fill the
    // screen from the current profile.
    virtual void FillFromProfile() = 0;
    // Hide's part before the fixed objects go: the screen's own buttons.
    virtual void HideOwnObjects() = 0;
    // Release's part before the fixed objects go: what CreateControls and
    // later showings made beyond the seven buttons and the texts.
    virtual void ReleaseOwnObjects() = 0;

    // One of the seven buttons: the common style, then `look`.
    ControlLibrary::IButtonVO* AddButton(const ButtonLook& look);
    // The common buttons, made by the screen in its order.
    void AddStartButton() { start_ = AddButton(kStartLook); }
    void AddBackButton() { back_ = AddButton(kBackLook); }
    void AddOptionsButton() { options_ = AddButton(kOptionsLook); }
    void AddCustomizeButton() { customize_ = AddButton(kCustomizeLook); }
    void AddCloseButton() { close_ = AddButton(kCloseLook); }
    // A button in the common style that is not one of the seven (a
    // tournament or stake button); the screen releases it with ReleaseButton.
    ControlLibrary::IButtonVO* MakeButton(ControlLibrary::IFont* font);
    void ReleaseButton(ControlLibrary::IButtonVO*& button);
    // A text in the screen's font and colour, centred vertically on its
    // point; horizontally 0 starts, 1 centres, 2 ends there.
    ControlLibrary::IStringVO* AddText(const std::string& text, uint32_t hAlign);

    // Back, options, customize and close, as every screen handles them; true
    // when `id` was one of them.
    bool OnCommonButton(uint32_t id);
    // The button with this id is `button` (which may be null).
    static bool Is(const ControlLibrary::IVisibleObject* button, uint32_t id);
    void PlayClick();
    void PlaySelect();

    ControlLibrary::IFactory& Factory() const { return *factory_; }
    ControlLibrary::IFont* ButtonFont() const { return buttonFont_; }
    ControlLibrary::IFont* TextFont() const { return textFont_; }

private:
    // The background, the seven buttons (the close button hides with them
    // but shows by its own rule) and the texts.
    void ShowFixedObjects(bool visible);
    // The close button shows exactly where the game covers the screen.
    void ShowCloseButtonWhereNeeded();
    void ReleaseDialogs();

    std::string backgroundImage_;
    ControlLibrary::IFactory* factory_ = nullptr;
    ControlLibrary::IFont* buttonFont_ = nullptr;
    ControlLibrary::IFont* textFont_ = nullptr;
    ControlLibrary::IImageVO* background_ = nullptr;
    std::vector<ControlLibrary::IButtonVO*> buttons_;
    std::vector<ControlLibrary::IStringVO*> texts_;
    ControlLibrary::IButtonVO* start_ = nullptr;
    ControlLibrary::IButtonVO* back_ = nullptr;
    ControlLibrary::IButtonVO* options_ = nullptr;
    ControlLibrary::IButtonVO* customize_ = nullptr;
    ControlLibrary::IButtonVO* close_ = nullptr;
    std::unique_ptr<ClickSound> click_;
    std::unique_ptr<ClickSound> select_;
    std::unique_ptr<OptionsDialog> optionsDialog_;
    std::unique_ptr<CustomizeDlg> customizeDlg_;
};

} // namespace Gamespace
