// The player chooser and its new-player, error and delete-player dialogs:
// who may cancel, which names are taken, what a refused name leaves on disk,
// what Delete removes (and what it never removes), and that every closing
// of a sub-dialog saves and lists the players afresh.
#include "common/BinaryDataFile.h"
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IStringVO.h"
#include "game/shell/DeletePlayerDialog.h"
#include "game/shell/ErrorDialog.h"
#include "game/shell/NewPlayerDialog.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfilesDialog.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <string>

namespace Gamespace {
namespace {

class ProfileDialogs : public ShellDialogScene {
protected:
    ProfileDialogs() { chooser_.DialogObject().SetSize(380, 450); }

    NewPlayerDialog& NewPlayer() { return chooser_.GetNewPlayerDialog(); }
    DeletePlayerDialog& DeletePlayer() { return chooser_.GetDeletePlayerDialog(); }
    ErrorDialog& Error() { return NewPlayer().GetErrorDialog(); }

    void Type(const std::string& text)
    {
        for (char c : text)
            Factory().DispatchChar(c);
    }
    std::string Entry()
    {
        std::string text;
        NewPlayer().NameEntry()->GetText(text);
        return text;
    }
    std::string NameOn(size_t i) { return chooser_.NameButton(i)->GetCaption(); }
    // A saved profile on disk, listed, the current one when `current`.
    static Profile* Listed(const std::string& name, bool current = false)
    {
        auto profile = std::make_unique<Profile>();
        profile->name = name;
        EXPECT_TRUE(ProfileList::Instance()->Add(profile.get()));
        Profile* listed = profile.release();
        if (current)
            listed->SetActive(true);
        EXPECT_TRUE(SaveProfile(*listed));
        return listed;
    }
    static bool OnDisk(const std::string& name) { return platform::FileExists("save/" + name + "_.usr"); }
    static size_t FilesInSave()
    {
        std::vector<std::string> names;
        BinaryDataFile::ListFiles("save/", "usr", &names);
        return names.size();
    }
    static std::string Bytes(const std::string& name)
    {
        std::string bytes;
        platform::ReadWholeFile("save/" + name + "_.usr", &bytes);
        return bytes;
    }

    ScopedProfileFolder folder_;
    ProfilesDialog chooser_{nullptr};
};

TEST_F(ProfileDialogs, TheFirstPlayerIsAskedForANameAndCannotSkipIt)
{
    chooser_.Show(true);
    ASSERT_TRUE(NewPlayer().IsVisible());
    EXPECT_FALSE(NewPlayer().CancelButton()->IsEnabled());
    EXPECT_FALSE(NewPlayer().OkButton()->IsEnabled());
    EXPECT_TRUE(NewPlayer().NameEntry()->HasFocus());

    Type("Ann");
    EXPECT_TRUE(NewPlayer().OkButton()->IsEnabled());
    PressKey(13); // Return in the name confirms
    EXPECT_FALSE(NewPlayer().IsVisible());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    // Saved as the new-player dialog closed, and listed in gold.
    EXPECT_TRUE(OnDisk("Ann"));
    EXPECT_TRUE(chooser_.IsVisible());
    EXPECT_EQ(NameOn(0), "Ann");
    EXPECT_TRUE(chooser_.NameButton(0)->IsEnabled());
    EXPECT_FALSE(chooser_.NameButton(1)->IsEnabled());
    EXPECT_EQ(NameOn(1), "");
    EXPECT_TRUE(chooser_.NewButton()->IsEnabled());
}

TEST_F(ProfileDialogs, ANameIsTenLettersOrDigitsAtMost)
{
    Listed("Bob", true);
    chooser_.Show(true);
    ClickOn(chooser_.NewButton()->GetId());
    ASSERT_TRUE(NewPlayer().IsVisible());
    EXPECT_TRUE(NewPlayer().CancelButton()->IsEnabled());
    Type("Ann Lee-2./\\");
    EXPECT_EQ(Entry(), "AnnLee2");
    Type("345678");
    EXPECT_EQ(Entry(), "AnnLee2345");
    // Return with an empty name confirms nothing.
    NewPlayer().NameEntry()->SetText("");
    NewPlayer().OnTextChanged(NewPlayer().NameEntry()->GetId());
    PressKey(13);
    EXPECT_TRUE(NewPlayer().IsVisible());
    EXPECT_FALSE(Error().IsVisible());
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);

    ClickOn(NewPlayer().CancelButton()->GetId());
    EXPECT_FALSE(NewPlayer().IsVisible());
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
}

TEST_F(ProfileDialogs, ATakenNameIsRefusedWithTheMessageAndNoFileIsTouched)
{
    Profile* ann = Listed("Ann", true);
    ann->money[0] = 500;
    ASSERT_TRUE(SaveProfile(*ann));
    const std::string before = Bytes("Ann");
    chooser_.Show(true);
    ClickOn(chooser_.NewButton()->GetId());
    Type("aNN"); // one file for both: the same name
    PressKey(13);
    ASSERT_TRUE(Error().IsVisible());
    EXPECT_TRUE(Shown(Error().OkButton()->GetId()));
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(Bytes("Ann"), before);
    EXPECT_EQ(FilesInSave(), 1u);

    // The name behind the message takes no more keys.
    Type("x");
    PressKey(13);
    EXPECT_EQ(Entry(), "aNN");

    ClickOn(Error().OkButton()->GetId());
    EXPECT_FALSE(Error().IsVisible());
    EXPECT_TRUE(NewPlayer().IsVisible());
    EXPECT_EQ(Entry(), "");
    EXPECT_TRUE(NewPlayer().NameEntry()->HasFocus());
    EXPECT_FALSE(NewPlayer().OkButton()->IsEnabled());
    EXPECT_EQ(ProfileList::CurrentProfile(), ann);
}

TEST_F(ProfileDialogs, AClickOnANameMakesThatPlayerCurrentAndGold)
{
    Listed("Ann", true);
    Profile* bob = Listed("Bob");
    chooser_.Show(true);
    ClickOn(chooser_.NameButton(1)->GetId());
    EXPECT_EQ(ProfileList::CurrentProfile(), bob);
    EXPECT_EQ(Clicks(), 1u);
    // An empty slot does nothing.
    ClickOn(chooser_.NameButton(2)->GetId());
    EXPECT_EQ(ProfileList::CurrentProfile(), bob);
    EXPECT_EQ(Clicks(), 1u);
}

TEST_F(ProfileDialogs, FourPlayersFillTheListAndAFifthIsKeptWithoutAButton)
{
    for (const char* name : {"Ann", "Bob", "Cid", "Dee"})
        Listed(name, std::string(name) == "Ann");
    chooser_.Show(true);
    EXPECT_FALSE(chooser_.NewButton()->IsEnabled());
    EXPECT_EQ(NameOn(3), "Dee");
    chooser_.Show(false);

    Listed("Eve");
    ProfileList::Instance()->At(0)->SetActive(false);
    chooser_.Show(true);
    EXPECT_EQ(ProfileList::Instance()->Count(), 5u);
    EXPECT_EQ(NameOn(3), "Dee");
    EXPECT_FALSE(chooser_.NewButton()->IsEnabled());

    // With one of them deleted, the fifth moves up into the list; four
    // remain, so there is still no room for a new one.
    ClickOn(chooser_.NameButton(1)->GetId());
    ClickOn(chooser_.DeleteButton()->GetId());
    ClickOn(DeletePlayer().DeleteButton()->GetId());
    EXPECT_EQ(NameOn(1), "Cid");
    EXPECT_EQ(NameOn(3), "Eve");
    EXPECT_FALSE(chooser_.NewButton()->IsEnabled());
    ClickOn(chooser_.DeleteButton()->GetId());
    ClickOn(DeletePlayer().DeleteButton()->GetId());
    EXPECT_TRUE(chooser_.NewButton()->IsEnabled());
}

TEST_F(ProfileDialogs, DeleteRemovesTheCurrentPlayerAndItsFileAndTheFirstBecomesCurrent)
{
    Listed("Ann");
    Listed("Bob", true);
    chooser_.Show(true);
    ClickOn(chooser_.DeleteButton()->GetId());
    ASSERT_TRUE(DeletePlayer().IsVisible());
    std::string shownName;
    DeletePlayer().NameText()->GetText(shownName);
    EXPECT_EQ(shownName, "Bob");

    // Return is no answer to this question: nothing goes, it stays open.
    PressKey(KeyDialog::kReturnKey);
    EXPECT_TRUE(DeletePlayer().IsVisible());
    EXPECT_TRUE(OnDisk("Bob"));

    // Escape leaves everything as it was.
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_FALSE(DeletePlayer().IsVisible());
    EXPECT_TRUE(chooser_.IsVisible()) << "Escape was for the delete dialog only";
    EXPECT_TRUE(OnDisk("Bob"));

    ClickOn(chooser_.DeleteButton()->GetId());
    ClickOn(DeletePlayer().DeleteButton()->GetId());
    EXPECT_FALSE(DeletePlayer().IsVisible());
    EXPECT_FALSE(OnDisk("Bob"));
    EXPECT_TRUE(OnDisk("Ann"));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    EXPECT_EQ(NameOn(0), "Ann");
    EXPECT_EQ(NameOn(1), "");
}

TEST_F(ProfileDialogs, DeletingTheLastPlayerAsksForANewOneAtOnce)
{
    Listed("Ann", true);
    chooser_.Show(true);
    ClickOn(chooser_.DeleteButton()->GetId());
    ClickOn(DeletePlayer().DeleteButton()->GetId());
    EXPECT_EQ(ProfileList::Instance()->Count(), 0u);
    EXPECT_FALSE(OnDisk("Ann"));
    EXPECT_TRUE(NewPlayer().IsVisible());
    EXPECT_FALSE(NewPlayer().CancelButton()->IsEnabled());
}

TEST_F(ProfileDialogs, TheStandInProfileIsNeverDeleted)
{
    // No player at all: the current profile is the built-in stand-in.
    Profile* standIn = ProfileList::CurrentProfile();
    ASSERT_TRUE(ProfileList::IsDefaultProfile(standIn));
    DeletePlayerDialog dialog(nullptr);
    dialog.Show(true);
    ClickOn(dialog.DeleteButton()->GetId());
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(ProfileList::CurrentProfile(), standIn);
    standIn->gameType = kGameLimit; // still a live record
    EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGameLimit);
    standIn->gameType = kGameNoLimit;

    // A listed player that is not current is not deleted in its place.
    Listed("Ann");
    dialog.Show(true);
    ClickOn(dialog.DeleteButton()->GetId());
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_TRUE(OnDisk("Ann"));
}

TEST_F(ProfileDialogs, ReturnAndEscapeCloseTheChooserWhichSavedWhenShown)
{
    Profile* ann = Listed("Ann", true);
    ann->announceStages = 0;
    chooser_.Show(true);
    const std::string saved = Bytes("Ann");
    EXPECT_EQ(saved[1], 0) << "showing the chooser saved every profile";
    ann->announceStages = 1;
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_FALSE(chooser_.IsVisible());
    EXPECT_EQ(Bytes("Ann"), saved) << "closing saves nothing";
    chooser_.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(chooser_.IsVisible());
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
}

TEST_F(ProfileDialogs, CloseTakesDownEveryDialogWithoutAskingAgain)
{
    chooser_.Show(true);
    ASSERT_TRUE(NewPlayer().IsVisible());
    chooser_.Close();
    EXPECT_FALSE(chooser_.IsVisible());
    EXPECT_FALSE(NewPlayer().IsVisible());
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
}

TEST_F(ProfileDialogs, EverythingTheChooserMadeGoesWithIt)
{
    const size_t soundsBefore = Factory().CountSounds();
    std::vector<uint32_t> ids;
    {
        ProfilesDialog chooser(nullptr);
        chooser.DialogObject().SetSize(380, 450);
        chooser.Show(true);
        for (ControlLibrary::IVisibleObject* object : Factory().ShownObjects())
            ids.push_back(object->GetId());
        chooser.Close();
    }
    EXPECT_GT(ids.size(), 5u);
    for (uint32_t id : ids)
        EXPECT_EQ(Factory().FindObject(id), nullptr) << id;
    EXPECT_EQ(Factory().CountSounds(), soundsBefore);
    PressKey(KeyDialog::kReturnKey); // no observer left behind
}

} // namespace
} // namespace Gamespace
