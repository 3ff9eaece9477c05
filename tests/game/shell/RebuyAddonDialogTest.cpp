// The re-buy and add-on question: its words from the tournament being
// played, its answers by button and key, and a question without a
// tournament.
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ProfileList.h"
#include "game/shell/RebuyAddonDlgImpl.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <memory>
#include <string>

namespace Gamespace {
namespace {

class RebuyQuestion : public ShellDialogScene, public ControlLibrary::DialogMessageObserver {
protected:
    RebuyQuestion() : dialog_(this) {}
    ~RebuyQuestion() override { ProfileList::CurrentProfile()->savedGames.clear(); }

    // The current profile plays tournament `id`.
    void PlayTournament(uint16_t id)
    {
        auto saved = std::make_unique<SavedGame>();
        saved->tournamentId = id;
        saved->inUse = 1;
        saved->current = 1;
        ProfileList::CurrentProfile()->savedGames.push_back(std::move(saved));
    }
    std::string Question() { return dialog_.Text(); }
    void Ask(uint8_t mode)
    {
        dialog_.SetMode(mode);
        dialog_.Show(true);
    }
    void OnDialogShown(uint32_t, bool shown) override
    {
        if (!shown)
            answers_.push_back(dialog_.GetAnswer() == 1 ? "yes" : "no");
    }

    RebuyAddonDlgImpl dialog_;
    std::vector<std::string> answers_;
};

TEST_F(RebuyQuestion, AsksForTheTournamentsChipsAndPrice)
{
    PlayTournament(1); // Satellite N: $20, 50 chips a dollar
    Ask(RebuyAddonDlg::kRebuy);
    EXPECT_EQ(Question(), "Re-Buy 1000 chips for $20?");
    dialog_.Show(false);
    Ask(RebuyAddonDlg::kAddOn);
    EXPECT_EQ(Question(), "Add-On 1000 chips for $20?");
    // The question lies above the answers: "No" left, "Yes" right.
    const ControlLibrary::Rect area = dialog_.DialogObject().GetScreenRect();
    EXPECT_EQ(area, (ControlLibrary::Rect{262, 305, 500, 90}));
    const ControlLibrary::Rect yes = Factory().FindObject(dialog_.YesButtonId())->GetScreenRect();
    const ControlLibrary::Rect no = Factory().FindObject(dialog_.NoButtonId())->GetScreenRect();
    EXPECT_EQ(yes.x + yes.w / 2, 612);
    EXPECT_EQ(no.x + no.w / 2, 412);
    EXPECT_EQ(yes.y + yes.h / 2, 375);
    // Both answers draw their own beds, the banner carries none.
    for (uint32_t id : {dialog_.YesButtonId(), dialog_.NoButtonId()})
        EXPECT_TRUE(DrawsItsFace(*Factory().FindObject(id)));
    EXPECT_EQ(Factory().GetModalDepth(), 1u);
}

TEST_F(RebuyQuestion, ButtonsAndKeysAnswerAndClose)
{
    PlayTournament(3);
    Ask(RebuyAddonDlg::kRebuy);
    EXPECT_EQ(Question(), "Re-Buy 22500 chips for $150?");
    ClickOn(dialog_.YesButtonId());
    Ask(RebuyAddonDlg::kRebuy);
    ClickOn(dialog_.NoButtonId());
    Ask(RebuyAddonDlg::kAddOn);
    PressKey(KeyDialog::kReturnKey);
    Ask(RebuyAddonDlg::kAddOn);
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_EQ(answers_, (std::vector<std::string>{"yes", "no", "yes", "no"}));
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(Clicks(), 4u);
    // Keys while it is closed answer nothing.
    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(answers_.size(), 4u);
}

TEST_F(RebuyQuestion, IsWrittenAgainOnTheCloseWithTheModeOfThatMoment)
{
    PlayTournament(1);
    Ask(RebuyAddonDlg::kRebuy);
    dialog_.SetMode(RebuyAddonDlg::kAddOn);
    ClickOn(dialog_.YesButtonId());
    EXPECT_EQ(Question(), "Add-On 1000 chips for $20?");
}

TEST_F(RebuyQuestion, WithoutATournamentTheQuestionIsEmpty)
{
    Ask(RebuyAddonDlg::kRebuy);
    EXPECT_EQ(Question(), "");
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_EQ(answers_, (std::vector<std::string>{"no"}));
}

} // namespace
} // namespace Gamespace
