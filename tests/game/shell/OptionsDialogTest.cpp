// The options dialog: what each row shows, how far its buttons go, the
// switch between window and full screen (none to a window the desktop
// cannot hold), and how it closes.
#include "controls/IButtonVO.h"
#include "controls/IStringVO.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <string>

namespace Gamespace {
namespace {

class OptionsDialogTest : public ShellDialogScene {
protected:
    OptionsDialogTest() { ResetOptions(); }
    ~OptionsDialogTest() override { ResetOptions(); }

    std::string Text(OptionsDialog::Row row) const
    {
        std::string text;
        dialog_.GetRowText(row)->GetText(text);
        return text;
    }
    bool Enabled(OptionsDialog::Button which) const { return dialog_.GetButton(which)->IsEnabled(); }
    bool Showing(OptionsDialog::Button which) { return Shown(dialog_.GetButton(which)->GetId()); }
    void Click(OptionsDialog::Button which) { ClickOn(dialog_.GetButton(which)->GetId()); }

    OptionsDialog dialog_{nullptr};
};

TEST_F(OptionsDialogTest, ShowingItShowsTheOptionsAsTheyAreNow)
{
    SetSoundVolume(35);
    SetSoundEffVolume(100);
    SetGameSpeed(1);
    dialog_.Show(true);
    EXPECT_EQ(Text(OptionsDialog::kSoundRow), "35 %");
    EXPECT_EQ(Text(OptionsDialog::kEffectsRow), "100 %");
    EXPECT_EQ(Text(OptionsDialog::kSpeedRow), "1");
    EXPECT_TRUE(Enabled(OptionsDialog::kSoundPlus));
    EXPECT_TRUE(Enabled(OptionsDialog::kSoundMinus));
    EXPECT_FALSE(Enabled(OptionsDialog::kEffectsPlus));
    EXPECT_FALSE(Enabled(OptionsDialog::kSpeedMinus));
    EXPECT_TRUE(Enabled(OptionsDialog::kSpeedPlus));
    // In a window, the button offered is the one to the full screen.
    EXPECT_TRUE(Showing(OptionsDialog::kFullScreen));
    EXPECT_FALSE(Showing(OptionsDialog::kWindowed));
    // The dialog is 420 x 450 around the middle of the screen; the speed
    // row's minus button sits 100 left of its middle and 72 below.
    EXPECT_EQ(dialog_.GetButton(OptionsDialog::kSpeedMinus)->GetScreenRect(),
              (ControlLibrary::Rect{512 - 100 - 14, 384 + 72 - 14, 28, 28}));
}

TEST_F(OptionsDialogTest, VolumesMoveInTensAndStopAtTheEnds)
{
    SetSoundVolume(35);
    dialog_.Show(true);
    for (const char* expected : {"25 %", "15 %", "5 %", "0 %"}) {
        Click(OptionsDialog::kSoundMinus);
        EXPECT_EQ(Text(OptionsDialog::kSoundRow), expected);
    }
    EXPECT_EQ(GetSoundVolume(), 0);
    EXPECT_EQ(Factory().GetEffectsVolume(), 0);
    EXPECT_FALSE(Enabled(OptionsDialog::kSoundMinus));
    Click(OptionsDialog::kSoundMinus); // disabled: nothing happens
    EXPECT_EQ(GetSoundVolume(), 0);

    SetSoundEffVolume(95);
    dialog_.Show(false);
    dialog_.Show(true);
    Click(OptionsDialog::kEffectsPlus);
    EXPECT_EQ(GetSoundEffVolume(), 100);
    EXPECT_EQ(Factory().GetMusicVolume(), 100);
    EXPECT_EQ(Text(OptionsDialog::kEffectsRow), "100 %");
    EXPECT_FALSE(Enabled(OptionsDialog::kEffectsPlus));
    EXPECT_TRUE(Enabled(OptionsDialog::kEffectsMinus));
}

TEST_F(OptionsDialogTest, TheSpeedButtonsCannotSetZeroButAZeroFromTheRegistryStays)
{
    SetGameSpeed(2);
    dialog_.Show(true);
    Click(OptionsDialog::kSpeedMinus);
    EXPECT_EQ(GetGameSpeed(), 1);
    EXPECT_FALSE(Enabled(OptionsDialog::kSpeedMinus));

    SetGameSpeed(0);
    dialog_.Show(false);
    dialog_.Show(true);
    EXPECT_TRUE(Enabled(OptionsDialog::kSpeedMinus));
    Click(OptionsDialog::kSpeedMinus);
    EXPECT_EQ(GetGameSpeed(), 0);
    EXPECT_EQ(Text(OptionsDialog::kSpeedRow), "0");

    SetGameSpeed(9);
    Click(OptionsDialog::kSpeedPlus);
    EXPECT_EQ(GetGameSpeed(), 10);
    EXPECT_FALSE(Enabled(OptionsDialog::kSpeedPlus));
}

TEST_F(OptionsDialogTest, TheDisplayButtonSwitchesTheModeAndOffersTheWayBack)
{
    dialog_.Show(true);
    Click(OptionsDialog::kFullScreen);
    EXPECT_TRUE(IsFullScreenOption());
    EXPECT_EQ(host_->displayModes.size(), 1u);
    EXPECT_TRUE(Showing(OptionsDialog::kWindowed));
    EXPECT_FALSE(Showing(OptionsDialog::kFullScreen));

    // Shown again later, it still offers the way back.
    dialog_.Show(false);
    dialog_.Show(true);
    EXPECT_TRUE(Showing(OptionsDialog::kWindowed));
    Click(OptionsDialog::kWindowed);
    EXPECT_FALSE(IsFullScreenOption());
    EXPECT_EQ(host_->displayModes.size(), 2u);
    EXPECT_TRUE(Showing(OptionsDialog::kFullScreen));
}

TEST_F(OptionsDialogTest, ADesktopTooSmallForTheWindowIsOfferedNoWindow)
{
    // The game covers the screen whatever the option says: the row shows
    // full screen, its way to a window disabled.
    host_->windowedRefused = true;
    for (bool option : {false, true}) {
        SetFullScreenOption(option);
        dialog_.Show(true);
        EXPECT_TRUE(Showing(OptionsDialog::kWindowed)) << option;
        EXPECT_FALSE(Enabled(OptionsDialog::kWindowed)) << option;
        EXPECT_FALSE(Showing(OptionsDialog::kFullScreen)) << option;
        Click(OptionsDialog::kWindowed);
        EXPECT_TRUE(host_->displayModes.empty()) << option;
        EXPECT_EQ(IsFullScreenOption(), option) << "the choice stays for a desktop that can hold the window";
        dialog_.Show(false);
    }
}

TEST_F(OptionsDialogTest, OkAndEscapeCloseItEveryButtonClicks)
{
    dialog_.Show(true);
    Click(OptionsDialog::kSpeedPlus);
    Click(OptionsDialog::kOk);
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_FALSE(Showing(OptionsDialog::kFullScreen));
    EXPECT_EQ(Clicks(), 2u);

    const uint16_t speed = GetGameSpeed();
    PressKey(KeyDialog::kEscapeKey); // hidden: not for it
    dialog_.Show(true);
    PressKey(KeyDialog::kReturnKey); // not one of its keys
    EXPECT_TRUE(dialog_.IsVisible());
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(GetGameSpeed(), speed);
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
}

} // namespace
} // namespace Gamespace
