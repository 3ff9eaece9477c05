// The table's one-line banners: where each stands and what it says, and
// that the button, or Return while it is the top dialog, closes it once.
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/AnnouncementDlgImpl.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/TableShell.h"
#include "game/table/BoardDisplay.h"
#include "game/table/FinishDlg.h"
#include "game/table/HumanActionDlg.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/TableDialogs.h"
#include "tests/game/shell/TableDialogScene.h"

#include <functional>
#include <memory>
#include <optional>

namespace Gamespace {
namespace {

class CountingOwner : public ControlLibrary::DialogMessageObserver {
public:
    void OnDialogShown(uint32_t, bool shown) override { ++(shown ? opened : closed); }
    int opened = 0;
    int closed = 0;
};

struct Banner {
    const char* what;
    std::function<std::unique_ptr<AnnouncementPanel>(ControlLibrary::DialogMessageObserver*)> make;
    ControlLibrary::Point centre;
    const char* text;
};

const Banner kBanners[] = {
    {"stage", [](auto* owner) { return std::make_unique<StageDlgImpl>(owner); }, {512, 350}, "Winner"},
    {"dealer", [](auto* owner) { return std::make_unique<DealerSelectDlgImpl>(owner); }, {512, 350}, "Winner"},
    {"bankrupt", [](auto* owner) { return std::make_unique<BankruptDlgImpl>(owner); }, {520, 410},
     "You have finished this game."},
};

class Announcements : public TableDialogScene {
protected:
    CountingOwner owner_;
};

TEST_F(Announcements, EachBannerStandsWhereItBelongsWithItsFirstTextAboveTheCloseButton)
{
    for (const Banner& kind : kBanners) {
        SCOPED_TRACE(kind.what);
        std::unique_ptr<AnnouncementPanel> banner = kind.make(&owner_);
        EXPECT_EQ(banner->Text(), kind.text);
        banner->Show(true);
        const ControlLibrary::Rect area = banner->DialogObject().GetScreenRect();
        EXPECT_EQ(area, (ControlLibrary::Rect{kind.centre.x - 250, kind.centre.y - 45, 500, 90}));
        const ControlLibrary::IStringVO* text = ShownText(kind.text);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetColour(), (ControlLibrary::RGB{255, 255, 10}));
        EXPECT_EQ(Middle(*text), (ControlLibrary::Point{kind.centre.x, kind.centre.y - 25}));
        const auto buttons = Shown<ControlLibrary::IButtonVO>();
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0]->GetCaption(), "Close");
        EXPECT_EQ(Middle(*buttons[0]), (ControlLibrary::Point{kind.centre.x, kind.centre.y + 25}));
        // The banner carries no bed for the caption: the button draws its own.
        EXPECT_TRUE(DrawsItsFace(*buttons[0]));
        banner->Show(false);
    }
}

// The table's panels, its hand result and the dealer's announcement leave
// the table working; the menu, the questions and the other announcements
// hold it until they are answered.
TEST_F(Announcements, ThePanelsAndTheResultLeaveTheTableWorkingAndTheRestHoldIt)
{
    TableShell shell;
    BoardDisplay board(nullptr);
    const auto holds = [&](auto dialog) {
        dialog->Show(true);
        const bool held = Factory().GetModalDepth() != 0;
        dialog->Show(false);
        return held;
    };
    EXPECT_FALSE(holds(shell.CreateFinishDlg(&owner_, board)));
    EXPECT_FALSE(holds(shell.CreateDealerSelectDlg(&owner_)));
    EXPECT_FALSE(holds(shell.CreateTrnInfoDlg(&owner_)));
    EXPECT_FALSE(holds(shell.CreateTrnPlayersDlg(&owner_)));
    EXPECT_FALSE(holds(shell.CreateHumanActionDlg(&owner_, nullptr)));
    EXPECT_TRUE(holds(shell.CreateMenuDlg(&owner_)));
    EXPECT_TRUE(holds(shell.CreateBankruptDlg(&owner_)));
    EXPECT_TRUE(holds(shell.CreateStageDlg(&owner_)));
    EXPECT_TRUE(holds(shell.CreateTrnFinishDlg(&owner_)));
    EXPECT_TRUE(holds(shell.CreateRebuyAddonDlg(&owner_)));
}

TEST_F(Announcements, TheTableSetsTheStageAndTheDealerAndABlankNameStillReadsAsASentence)
{
    StageDlgImpl stage(&owner_);
    stage.SetCaption("Turn");
    EXPECT_EQ(stage.Text(), "Turn");

    DealerSelectDlgImpl dealer(&owner_);
    dealer.SetDealer(Seat(3, "Emma", 100));
    EXPECT_EQ(dealer.Text(), "Emma is the dealer.");
    dealer.SetDealer(Seat(4, "", 100));
    EXPECT_EQ(dealer.Text(), " is the dealer.");
}

TEST_F(Announcements, CloseAndReturnEachCloseTheBannerOnceWithAClick)
{
    BankruptDlgImpl banner(&owner_);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(owner_.closed, 0);

    banner.Show(true);
    banner.Show(true); // laid out again, nobody told twice
    EXPECT_EQ(owner_.opened, 1);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(banner.IsVisible());
    EXPECT_EQ(owner_.closed, 1);
    EXPECT_EQ(Clicks(), 1u);

    banner.Show(true);
    ClickOn(Shown<ControlLibrary::IButtonVO>().at(0)->GetId());
    EXPECT_FALSE(banner.IsVisible());
    EXPECT_EQ(owner_.closed, 2);
    EXPECT_EQ(Clicks(), 2u);
}

TEST_F(Announcements, ReturnOnTheExitQuestionAboveAModelessBannerLeavesTheBannerOpen)
{
    DealerSelectDlgImpl dealer(&owner_);
    dealer.DialogObject().SetModeless(1);
    ExitDialog question(nullptr);
    dealer.Show(true);
    question.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(question.IsVisible());
    EXPECT_TRUE(dealer.IsVisible());
    EXPECT_EQ(owner_.closed, 0);
}

} // namespace
} // namespace Gamespace
