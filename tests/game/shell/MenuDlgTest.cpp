// The in-game menu: its five picture buttons, the leave button of the game
// being played, and the choice the table reads when the menu closes.
#include "controls/IDialogVO.h"
#include "game/shell/KeyDialog.h"
#include "game/shell/MenuDlgImpl.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/ProfileList.h"
#include "game/shell/RulesDlg.h"
#include "tests/game/shell/TableDialogScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/ScreenSight.h"

#include <optional>

namespace Gamespace {
namespace {

using ControlLibrary::Rect;

class CountingOwner : public ControlLibrary::DialogMessageObserver {
public:
    void OnDialogShown(uint32_t, bool shown) override { closes += shown ? 0 : 1; }
    int closes = 0;
};

class Menu : public TableDialogScene {
protected:
    Menu()
    {
        // The buttons' pictures, so that they show which they are.
        host_->AddImage(MenuDlgImpl::kButtons, 594, 217, 0xFF203040);
        host_->AddImage(MenuDlgImpl::kTournamentLeave, 103, 217, 0xFF203040);
        host_->AddImage(MenuDlgImpl::kExitButton, 80, 219, 0xFF203040);
        menu_ = std::make_unique<MenuDlgImpl>(&owner_);
    }
    ~Menu() override { ProfileList::CurrentProfile()->gameType = kGameNoLimit; }

    std::optional<walk::Seen> Look(MenuDlgImpl::Button button)
    {
        for (const walk::Seen& seen : walk::LookAtScreen())
            if (seen.id == menu_->ButtonId(button))
                return seen;
        return std::nullopt;
    }
    void Choose(MenuDlgImpl::Button button)
    {
        menu_->Show(true);
        ClickOn(menu_->ButtonId(button));
    }

    CountingOwner owner_;
    std::unique_ptr<MenuDlgImpl> menu_;
};

TEST_F(Menu, FivePictureButtonsStandInAColumnDownTheMiddle)
{
    menu_->Show(true);
    EXPECT_EQ(menu_->DialogObject().GetScreenRect(), (Rect{512 - 150, 384 - 225, 300, 450}));
    struct Expected {
        MenuDlgImpl::Button button;
        const char* image;
        Rect part;
        int32_t dy;
    };
    const Expected buttons[] = {
        {MenuDlgImpl::kResume, MenuDlgImpl::kButtons, {0, 4, 134, 50}, -140},
        {MenuDlgImpl::kRules, MenuDlgImpl::kButtons, {134, 4, 102, 50}, -80},
        {MenuDlgImpl::kOptions, MenuDlgImpl::kButtons, {464, 7, 130, 50}, -30},
        {MenuDlgImpl::kLeave, MenuDlgImpl::kButtons, {236, 8, 228, 50}, 80},
        {MenuDlgImpl::kExit, MenuDlgImpl::kExitButton, {0, 0, 80, 56}, 170},
    };
    for (const Expected& expected : buttons) {
        SCOPED_TRACE(expected.button);
        std::optional<walk::Seen> seen = Look(expected.button);
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->image, expected.image);
        EXPECT_EQ(seen->part, expected.part);
        EXPECT_EQ(seen->area.w, expected.part.w);
        EXPECT_EQ(seen->area.h, expected.part.h);
        EXPECT_EQ(seen->CentreX(), 512);
        EXPECT_EQ(seen->CentreY(), 384 + expected.dy);
        EXPECT_EQ(seen->caption, "");
    }
}

TEST_F(Menu, TheMenuLooksAsKept)
{
    menu_->Show(true);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/menu.txt");
}

TEST_F(Menu, ATournamentShowsItsOwnNarrowLeaveButton)
{
    ProfileList::CurrentProfile()->gameType = kGamePotLimitTournament;
    menu_->Show(true);
    EXPECT_EQ(Look(MenuDlgImpl::kLeave)->image, MenuDlgImpl::kTournamentLeave);
    EXPECT_EQ(Look(MenuDlgImpl::kLeave)->part, (Rect{0, 7, 103, 50}));
    EXPECT_EQ(Look(MenuDlgImpl::kLeave)->area.w, 103);
    menu_->Show(false);

    ProfileList::CurrentProfile()->gameType = kGameLimit;
    menu_->Show(true);
    EXPECT_EQ(Look(MenuDlgImpl::kLeave)->image, MenuDlgImpl::kButtons);
    EXPECT_EQ(Look(MenuDlgImpl::kLeave)->area.w, 228);
}

TEST_F(Menu, TheLastChoiceIsTheOneTheTableReads)
{
    Choose(MenuDlgImpl::kLeave);
    EXPECT_FALSE(menu_->IsVisible());
    EXPECT_TRUE(menu_->LeaveRequested());
    EXPECT_FALSE(menu_->ExitRequested());

    Choose(MenuDlgImpl::kExit);
    EXPECT_FALSE(menu_->LeaveRequested());
    EXPECT_TRUE(menu_->ExitRequested());

    // The exit question was declined; the player goes back to the game.
    Choose(MenuDlgImpl::kResume);
    EXPECT_FALSE(menu_->LeaveRequested());
    EXPECT_FALSE(menu_->ExitRequested());
    EXPECT_EQ(owner_.closes, 3);
    EXPECT_EQ(Clicks(), 3u);
}

TEST_F(Menu, RulesAndOptionsOpenAboveTheMenuAndClosingThemReturnsToIt)
{
    Choose(MenuDlgImpl::kRules);
    EXPECT_TRUE(menu_->Rules().IsVisible());
    EXPECT_TRUE(menu_->IsVisible());
    ClickOn(menu_->Rules().OkButton()->GetId());
    EXPECT_FALSE(menu_->Rules().IsVisible());
    EXPECT_TRUE(menu_->IsVisible());

    ClickOn(menu_->ButtonId(MenuDlgImpl::kOptions));
    EXPECT_TRUE(menu_->Options().IsVisible());
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_FALSE(menu_->Options().IsVisible());
    EXPECT_TRUE(menu_->IsVisible());
    // The menu never closed, so the table heard nothing.
    EXPECT_EQ(owner_.closes, 0);
    EXPECT_FALSE(menu_->LeaveRequested());
    EXPECT_FALSE(menu_->ExitRequested());
    // The menu's two buttons and the rules' OK click.
    EXPECT_EQ(Clicks(), 3u);
}

TEST_F(Menu, TheMenuIsModalAndTakesNoKeys)
{
    menu_->Show(true);
    EXPECT_EQ(Factory().GetModalDepth(), 1u);
    PressKey(KeyDialog::kReturnKey);
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_TRUE(menu_->IsVisible());
}

TEST(IsTournament, OnlyTheThreeTournamentGameTypesAre)
{
    Profile& profile = *ProfileList::CurrentProfile();
    const GameType before = profile.gameType;
    for (GameType type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 100u}) {
        profile.gameType = type;
        EXPECT_EQ(IsTournament(), type >= 3 && type <= 5) << type;
    }
    profile.gameType = before;
}

} // namespace
} // namespace Gamespace
