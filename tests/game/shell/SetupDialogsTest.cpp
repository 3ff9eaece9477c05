// The statistics and customize dialogs of the set-up screens: what they read
// from the profile, what they write back, where the tick stands.
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/StatisticDlg.h"
#include "tests/game/shell/SetupScene.h"

namespace Gamespace {
namespace {

using Statistics = SetupScene;

TEST_F(Statistics, ANewProfileReadsZeroInEveryCell)
{
    StatisticDlg dialog(nullptr);
    dialog.Show(true);
    for (auto row : {StatisticDlg::kLimitRow, StatisticDlg::kPotLimitRow, StatisticDlg::kNoLimitRow})
        for (auto column : {StatisticDlg::kBuyInColumn, StatisticDlg::kCashOutColumn, StatisticDlg::kProfitColumn})
            EXPECT_EQ(dialog.Figure(row, column), "0");
}

TEST_F(Statistics, EachRowReadsItsOwnPairOfTotalsAfreshOnEveryShow)
{
    StatisticDlg dialog(nullptr);
    dialog.Show(true);
    dialog.Show(false);
    // Pairs in the profile: limit, no limit, pot limit.
    Ann().money = {400, 250, 100, 2600000, 30.5, 10};
    dialog.Show(true);
    EXPECT_EQ(dialog.Figure(StatisticDlg::kLimitRow, StatisticDlg::kProfitColumn), "-150");
    EXPECT_EQ(dialog.Figure(StatisticDlg::kPotLimitRow, StatisticDlg::kBuyInColumn), "30.5");
    EXPECT_EQ(dialog.Figure(StatisticDlg::kPotLimitRow, StatisticDlg::kProfitColumn), "-20.5");
    EXPECT_EQ(dialog.Figure(StatisticDlg::kNoLimitRow, StatisticDlg::kCashOutColumn), "2600000")
        << "large totals read in full, never in exponent form";
    EXPECT_EQ(dialog.Figure(StatisticDlg::kNoLimitRow, StatisticDlg::kProfitColumn), "2599900");
}

TEST_F(Statistics, ReturnClosesItOnlyWhileItIsShown)
{
    StatisticDlg dialog(nullptr);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog.IsVisible());
    dialog.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog.IsVisible());
}

class Customize : public SetupScene {
protected:
    Customize() : dialog_(nullptr) {}

    int32_t TickY() const { return dialog_.Tick()->GetScreenRect().y + 18; }
    int32_t StyleY(size_t style) const
    {
        return Factory().FindObject(dialog_.StyleButtonId(style))->GetPosition().y +
               dialog_.DialogObject().GetScreenRect().y;
    }

    CustomizeDlg dialog_;
};

TEST_F(Customize, ShowsTheProfilesStyleWithTheTickAndStoresTheNewOneOnOk)
{
    Ann().computerStyle = 0;
    dialog_.Show(true);
    EXPECT_EQ(TickY(), StyleY(0));
    EXPECT_EQ(Played(ClickSound::kFile), 1u) << "the automatic click on the shown style";
    ClickOn(dialog_.StyleButtonId(2));
    EXPECT_EQ(TickY(), StyleY(2));
    // The tick stands 20 pixels left of the button's left edge.
    const ControlLibrary::Rect style = Factory().FindObject(dialog_.StyleButtonId(2))->GetScreenRect();
    EXPECT_EQ(dialog_.Tick()->GetScreenRect().x + 18, style.x - 20);
    EXPECT_EQ(Ann().computerStyle, 0u) << "nothing is stored before the dialog closes";
    ClickOn(dialog_.OkButtonId());
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(Ann().computerStyle, 2u);
}

TEST_F(Customize, TheFourStylesAreButtonsOfOneSizeInOneColumn)
{
    dialog_.Show(true);
    const ControlLibrary::Rect first = Factory().FindObject(dialog_.StyleButtonId(0))->GetScreenRect();
    for (size_t style = 1; style < CustomizeDlg::kStyles; ++style) {
        const ControlLibrary::Rect rect = Factory().FindObject(dialog_.StyleButtonId(style))->GetScreenRect();
        EXPECT_EQ(rect.x, first.x) << style;
        EXPECT_EQ(rect.w, first.w) << style;
        EXPECT_EQ(rect.h, first.h) << style;
    }
}

TEST_F(Customize, AStyleOutsideTheFourShowsAndStoresTheFirst)
{
    for (uint32_t outside : {7u, 4u}) {
        // Shown once with the third style, then with one outside the four.
        Ann().computerStyle = 2;
        dialog_.Show(true);
        dialog_.Show(false);
        Ann().computerStyle = outside;
        dialog_.Show(true);
        EXPECT_EQ(dialog_.ChosenStyle(), 0) << outside;
        // However the dialog is hidden, its choices go to the profile.
        dialog_.Show(false);
        EXPECT_EQ(Ann().computerStyle, 0u) << outside;
    }
}

TEST_F(Customize, TheStageAnnouncementToggleIsStoredInTheProfile)
{
    dialog_.Show(true);
    ClickOn(dialog_.YesNoButtonId());
    ClickOn(dialog_.YesNoButtonId());
    ClickOn(dialog_.OkButtonId());
    EXPECT_EQ(Ann().announceStages, 1) << "toggled twice";
    EXPECT_EQ(Played(ClickSound::kFile), 2u) << "the toggle makes no sound";

    dialog_.Show(true);
    ClickOn(dialog_.YesNoButtonId());
    EXPECT_EQ(Factory().FindObject(dialog_.YesNoButtonId())->GetSize(), (ControlLibrary::Size{58, 50}))
        << "the no picture";
    ClickOn(dialog_.OkButtonId());
    EXPECT_EQ(Ann().announceStages, 0);
    dialog_.Show(true);
    EXPECT_FALSE(dialog_.AnnouncesStages());
    EXPECT_EQ(Factory().FindObject(dialog_.YesNoButtonId())->GetSize(), (ControlLibrary::Size{58, 50}));
}

} // namespace
} // namespace Gamespace
