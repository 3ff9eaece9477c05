// What the table learns of the player from the shell: the current profile
// and the options, as they stand when it asks.
#include "game/shell/Options.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileSaving.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileTableShell.h"
#include "game/table/FinishDlg.h"
#include "game/table/HumanActionDlg.h"
#include "game/table/IOptionObserver.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/SavedGame.h"
#include "game/table/TableDialogs.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/ProfileTestSupport.h"

#include <gtest/gtest.h>

namespace Gamespace {
namespace {

// The shell's answers without its dialogs.
class AnswersOnly final : public ProfileTableShell {
public:
    std::unique_ptr<MenuDlg> CreateMenuDlg(ControlLibrary::DialogMessageObserver*) override { return nullptr; }
    std::unique_ptr<FinishDlg> CreateFinishDlg(ControlLibrary::DialogMessageObserver*, BoardDisplay&) override
    {
        return nullptr;
    }
    std::unique_ptr<DealerSelectDlg> CreateDealerSelectDlg(ControlLibrary::DialogMessageObserver*) override
    {
        return nullptr;
    }
    std::unique_ptr<TrnInfoDlg> CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver*) override { return nullptr; }
    std::unique_ptr<TrnPlayersDlg> CreateTrnPlayersDlg(ControlLibrary::DialogMessageObserver*) override
    {
        return nullptr;
    }
    std::unique_ptr<BankruptDlg> CreateBankruptDlg(ControlLibrary::DialogMessageObserver*) override { return nullptr; }
    std::unique_ptr<StageDlg> CreateStageDlg(ControlLibrary::DialogMessageObserver*) override { return nullptr; }
    std::unique_ptr<TrnFinishDlg> CreateTrnFinishDlg(ControlLibrary::DialogMessageObserver*) override
    {
        return nullptr;
    }
    std::unique_ptr<HumanActionDlg> CreateHumanActionDlg(ControlLibrary::DialogMessageObserver*,
                                                         HumanActionMessageObserver*) override
    {
        return nullptr;
    }
    std::unique_ptr<RebuyAddonDlg> CreateRebuyAddonDlg(ControlLibrary::DialogMessageObserver*) override
    {
        return nullptr;
    }
};

class SpeedWatcher final : public IOptionObserver {
public:
    void OnSpeedChanged() override { ++changes; }
    int changes = 0;
};

class ProfileTableShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProfileList::Free();
        ResetOptions();
    }
    void TearDown() override
    {
        ProfileList::Free();
        ResetOptions();
    }
    AnswersOnly shell;
};

TEST_F(ProfileTableShellTest, TheTableReadsTheCurrentProfileAsItIsNow)
{
    EXPECT_EQ(shell.GetPlayerName(), "") << "the default profile stands in while none is active";
    EXPECT_EQ(shell.GetGameType(), kGameNoLimit);
    EXPECT_EQ(shell.GetCurrentSavedGame(), nullptr);

    Profile& ann = AddActiveProfile("Ann");
    ann.gameType = kGamePotLimit;
    ann.potLimit = {3, 6};
    ann.noLimit = {1, 9};
    ann.computerStyle = 2;
    ann.announceStages = 0;
    EXPECT_EQ(shell.GetPlayerName(), "Ann");
    EXPECT_EQ(shell.GetTableChoice().tableIndex, 3);
    EXPECT_EQ(shell.GetTableChoice().players, 6);
    EXPECT_EQ(shell.GetComputerStyle(), 2u);
    EXPECT_FALSE(shell.AnnouncesStages());

    // A choice made on a set-up screen counts at the next question.
    ann.gameType = kGameNoLimitTournament;
    EXPECT_EQ(shell.GetTableChoice().tableIndex, 1) << "a tournament's structure picks the no-limit choice";
    auto saved = std::make_unique<SavedGame>();
    saved->current = 1;
    SavedGame* current = saved.get();
    ann.savedGames.push_back(std::move(saved));
    EXPECT_EQ(shell.GetCurrentSavedGame(), current);
}

// The customize dialog's yes/no is the table's stage-announcement choice: the
// one field the dialog writes, the file keeps and the table reads.
class StageAnnouncementChoice : public ProfileFolderTest {
protected:
    AnswersOnly shell;
};

TEST_F(StageAnnouncementChoice, IsTheStoredCustomizeOptionAndTheTableReadsItAfterASaveAndLoad)
{
    auto ann = std::make_unique<Profile>();
    ann->name = "Ann";
    Profile& current = *ann;
    ASSERT_TRUE(ProfileList::Instance()->Add(ann.release()));
    current.SetActive(true);
    EXPECT_TRUE(shell.AnnouncesStages()) << "announcements are on for a new player";

    current.announceStages = 0; // what the customize dialog stores for "no"
    EXPECT_FALSE(shell.AnnouncesStages());
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_EQ(Bytes("save/Ann_.usr")[1], '\0');

    ProfileList::Free();
    LoadAllProfiles(ProfileList::Instance());
    ASSERT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    EXPECT_FALSE(shell.AnnouncesStages()) << "the choice outlives the run";

    // A file written before the choice was made keeps announcing.
    ProfileList::CurrentProfile()->announceStages = 1;
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    ProfileList::Free();
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_TRUE(shell.AnnouncesStages());
}

TEST_F(ProfileTableShellTest, TheTableHearsOfSpeedChangesThroughTheOptions)
{
    SpeedWatcher table;
    shell.AddOptionObserver(&table);
    shell.AddOptionObserver(&table);
    SetGameSpeed(9);
    EXPECT_EQ(table.changes, 1);
    EXPECT_EQ(shell.GetGameSpeed(), 9);
    RemoveOptionObserver(&table);
}

} // namespace
} // namespace Gamespace
