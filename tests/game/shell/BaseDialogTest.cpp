// The shell's dialog base: where a dialog starts, who hears it open and
// close, its close button and click, what it gives back when it goes, and
// which dialog Return reaches.
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/KeyDialog.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <memory>
#include <string>
#include <vector>

namespace Gamespace {
namespace {

using Log = std::vector<std::string>;

class RecordingOwner : public ControlLibrary::DialogMessageObserver {
public:
    explicit RecordingOwner(Log& log) : log_(log) {}
    void OnDialogShown(uint32_t, bool shown) override { log_.push_back(shown ? "owner shown" : "owner closed"); }

private:
    Log& log_;
};

// A dialog with nothing but the common close button.
class CloseOnlyDialog : public KeyDialog {
public:
    CloseOnlyDialog(ControlLibrary::DialogMessageObserver* owner, Log* log = nullptr) : KeyDialog(owner), log_(log)
    {
        AddCloseButton();
    }
    void LayoutControls() override { PlaceCloseButton(0, 70); }
    void OnDialogShown(uint32_t, bool shown) override
    {
        if (log_)
            log_->push_back(shown ? "dialog shown" : "dialog closed");
    }
    void MakeModeless() { DialogObject().SetModeless(1); }
    uint32_t CloseId() const { return CloseButtonId(); }

private:
    Log* log_;
};

// A modal dialog that takes no keys.
class KeylessDialog : public BaseDialogImpl {
public:
    KeylessDialog() : BaseDialogImpl(nullptr) {}
    void LayoutControls() override {}
};

class ShellDialog : public ShellDialogScene {};

TEST_F(ShellDialog, StartsHiddenInTheMiddleAndTellsItselfBeforeItsOwner)
{
    Log log;
    RecordingOwner owner(log);
    CloseOnlyDialog dialog(&owner, &log);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_FALSE(Shown(dialog.GetId()));
    const ControlLibrary::Rect area = dialog.DialogObject().GetScreenRect();
    EXPECT_EQ(area, (ControlLibrary::Rect{412, 284, 200, 200}));

    dialog.Show(true);
    dialog.Show(true); // already shown: laid out again, nobody told
    EXPECT_TRUE(Shown(dialog.GetId()));
    dialog.Show(false);
    EXPECT_EQ(log, (Log{"dialog shown", "owner shown", "dialog closed", "owner closed"}));
}

TEST_F(ShellDialog, TheCloseButtonClosesTheDialogWithAClick)
{
    Log log;
    RecordingOwner owner(log);
    CloseOnlyDialog dialog(&owner);
    dialog.Show(true);
    ASSERT_TRUE(Shown(dialog.CloseId()));
    auto* close = dynamic_cast<ControlLibrary::IButtonVO*>(Factory().FindObject(dialog.CloseId()));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetCaption(), "Close");
    EXPECT_EQ(close->GetSize(), (ControlLibrary::Size{76, 20}));
    // Laid out below the middle of the dialog.
    EXPECT_EQ(close->GetScreenRect().y + 10, 384 + 70);

    ClickOn(dialog.CloseId());
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_FALSE(Shown(dialog.CloseId()));
    EXPECT_EQ(log, (Log{"owner shown", "owner closed"}));
    ASSERT_EQ(Clicks(), 1u);
    EXPECT_EQ(host_->music.loaded.begin()->second, "sounds/click.wav");
}

TEST_F(ShellDialog, GivesBackItsChildrenFontsAndSoundWhenItGoes)
{
    uint32_t dialogId = 0;
    uint32_t closeId = 0;
    {
        CloseOnlyDialog dialog(nullptr);
        dialog.Show(true);
        dialogId = dialog.GetId();
        closeId = dialog.CloseId();
        EXPECT_EQ(Factory().CountSounds(), 1u);
    }
    EXPECT_EQ(Factory().FindObject(dialogId), nullptr);
    EXPECT_EQ(Factory().FindObject(closeId), nullptr);
    EXPECT_EQ(Factory().CountSounds(), 0u);
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
}

TEST_F(ShellDialog, ReturnClicksTheCloseButtonOnlyWhileTheDialogIsShown)
{
    Log log;
    RecordingOwner owner(log);
    CloseOnlyDialog dialog(&owner);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_TRUE(log.empty());

    dialog.Show(true);
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_TRUE(dialog.IsVisible());
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(log, (Log{"owner shown", "owner closed"}));
}

TEST_F(ShellDialog, ReturnOnAModalDialogNeverAlsoClosesTheDialogItCovers)
{
    CloseOnlyDialog covered(nullptr);
    covered.MakeModeless();
    CloseOnlyDialog modal(nullptr);
    covered.Show(true);
    modal.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(modal.IsVisible());
    // Closing the modal one enabled the covered one again; the key was not
    // meant for it.
    EXPECT_TRUE(covered.IsVisible());
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(covered.IsVisible());
}

TEST_F(ShellDialog, AModalDialogThatTakesNoKeysKeepsReturnFromTheDialogItCovers)
{
    CloseOnlyDialog covered(nullptr);
    covered.MakeModeless();
    KeylessDialog modal;
    covered.Show(true);
    modal.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_TRUE(covered.IsVisible());
    modal.Show(false);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(covered.IsVisible());
}

TEST_F(ShellDialog, OfTwoModelessDialogsOnlyTheTopOneTakesReturn)
{
    CloseOnlyDialog lower(nullptr);
    CloseOnlyDialog upper(nullptr);
    lower.MakeModeless();
    upper.MakeModeless();
    lower.Show(true);
    upper.Show(true);
    // A dialog that goes takes only itself from the dialogs that weigh who is on top.
    std::make_unique<CloseOnlyDialog>(nullptr).reset();
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(upper.IsVisible());
    EXPECT_TRUE(lower.IsVisible());
}

class ExitQuestion : public ShellDialogScene {
protected:
    ExitQuestion() : owner_(log_), dialog_(&owner_) {}
    Log log_;
    RecordingOwner owner_;
    ExitDialog dialog_;
};

TEST_F(ExitQuestion, YesAndNoButtonsSitLeftAndRightBelowTheQuestion)
{
    dialog_.Show(true);
    const ControlLibrary::Rect yes = Factory().FindObject(dialog_.YesButtonId())->GetScreenRect();
    const ControlLibrary::Rect no = Factory().FindObject(dialog_.NoButtonId())->GetScreenRect();
    // The dialog is 380 x 250 around (512, 384): its corner is (322, 259).
    EXPECT_EQ(yes, (ControlLibrary::Rect{322 + 190 + 80 - 35, 259 + 125 + 55 - 25, 70, 50}));
    EXPECT_EQ(no, (ControlLibrary::Rect{322 + 190 - 80 - 29, 259 + 125 + 55 - 25, 58, 50}));
}

TEST_F(ExitQuestion, NoClosesWithoutYesAndYesIsKept)
{
    dialog_.Show(true);
    ClickOn(dialog_.NoButtonId());
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_FALSE(dialog_.AnswerYes());
    dialog_.Show(true);
    ClickOn(dialog_.YesButtonId());
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_TRUE(dialog_.AnswerYes());
    EXPECT_EQ(Clicks(), 2u);
    EXPECT_EQ(log_, (Log{"owner shown", "owner closed", "owner shown", "owner closed"}));
}

TEST_F(ExitQuestion, EscapeAnswersNoReturnAnswersYesAndHiddenItHearsNoKeys)
{
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog_.AnswerYes());
    EXPECT_TRUE(log_.empty());

    dialog_.Show(true);
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_FALSE(dialog_.AnswerYes());
    dialog_.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_TRUE(dialog_.AnswerYes());
}

} // namespace
} // namespace Gamespace
