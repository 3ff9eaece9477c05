#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileSaving.h"
#include "tests/game/shell/ProfileTestSupport.h"

namespace {

Profile* AddNamed(const std::string& name, bool active = false)
{
    auto profile = std::make_unique<Profile>();
    profile->name = name;
    if (!ProfileList::Instance()->Add(profile.get()))
        return nullptr;
    Profile* added = profile.release();
    if (active)
        added->SetActive(true);
    return added;
}

using ProfileListTest = ProfileFolderTest;

} // namespace

TEST_F(ProfileListTest, WithoutProfilesTheDefaultProfileIsCurrent)
{
    Profile* current = ProfileList::CurrentProfile();
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(ProfileList::IsDefaultProfile(current));
    EXPECT_EQ(current->gameType, kGameNoLimit);
    EXPECT_EQ(ProfileList::Instance()->Count(), 0u);

    // Listed but inactive profiles leave the default profile current.
    AddNamed("Ann");
    EXPECT_TRUE(ProfileList::IsDefaultProfile(ProfileList::CurrentProfile()));
    EXPECT_FALSE(ProfileList::Instance()->Add(current)) << "the default profile is never listed";
}

TEST_F(ProfileListTest, NamesThatWouldShareAFileAreRefused)
{
    EXPECT_NE(AddNamed("Ann"), nullptr);
    EXPECT_EQ(AddNamed("Ann"), nullptr);
    EXPECT_EQ(AddNamed("aNN"), nullptr) << "file names match without regard to case";
    EXPECT_NE(AddNamed("Anna"), nullptr);
    EXPECT_EQ(AddNamed(""), nullptr);
    EXPECT_EQ(ProfileList::Instance()->Count(), 2u);

    // Every letter counts, the first and the last too.
    EXPECT_NE(AddNamed("Bob"), nullptr);
    EXPECT_NE(AddNamed("Rob"), nullptr);
    EXPECT_NE(AddNamed("Boa"), nullptr);
    EXPECT_EQ(AddNamed("rOB"), nullptr);
}

TEST_F(ProfileListTest, OnlyNamesTheNewPlayerDialogCouldMakeAreTaken)
{
    for (const char* name : {"../evil", "a/b", "a\\b", "..", "C:x", "tab\there", "Ann Lee", "Ann.", "Zoë",
                             "ElevenChars"})
        EXPECT_EQ(AddNamed(name), nullptr) << name;
    EXPECT_NE(AddNamed("TenLetters"), nullptr);
    EXPECT_NE(AddNamed("R2d2"), nullptr);
    // The ends of each range of letters and digits.
    for (const char* name : {"Ava", "Zed", "zoe", "Ann0", "Bo9"})
        EXPECT_NE(AddNamed(name), nullptr) << name;

    Profile outsider;
    outsider.name = "../../escaped";
    platform::FileError error;
    EXPECT_FALSE(SaveProfile(outsider, &error));
    EXPECT_EQ(error.code, EINVAL);
    EXPECT_FALSE(platform::FileExists("escaped_.usr"));
    EXPECT_FALSE(platform::FileExists("../escaped_.usr"));
}

TEST_F(ProfileListTest, SetActiveLeavesExactlyOneActiveProfile)
{
    Profile* ann = AddNamed("Ann", true);
    Profile* bob = AddNamed("Bob");
    EXPECT_EQ(ProfileList::CurrentProfile(), ann);
    bob->SetActive(true);
    EXPECT_EQ(ProfileList::CurrentProfile(), bob);
    EXPECT_EQ(ann->active, 0);
    EXPECT_EQ(bob->active, 1) << "the flag the profile file stores as one byte";
}

TEST_F(ProfileListTest, RemovingTheActiveProfileActivatesTheFirstRemaining)
{
    AddNamed("Ann");
    Profile* bob = AddNamed("Bob", true);
    Profile* cid = AddNamed("Cid");
    std::unique_ptr<Profile> removed = ProfileList::Instance()->Remove(bob);
    ASSERT_EQ(removed.get(), bob);
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    EXPECT_EQ(cid->active, 0);

    // An inactive one goes without touching any flag.
    removed = ProfileList::Instance()->Remove(cid);
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
}

TEST_F(ProfileListTest, DeletingTheCurrentProfileRemovesItsFileOnly)
{
    Profile* ann = AddNamed("Ann", true);
    AddNamed("Bob");
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    ASSERT_TRUE(platform::FileExists("save/Ann_.usr"));

    DeleteProfile(ProfileList::Instance()->Remove(ann));
    EXPECT_FALSE(platform::FileExists("save/Ann_.usr"));
    EXPECT_TRUE(platform::FileExists("save/Bob_.usr"));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Bob");

    // Deleting "the current profile" when only the stand-in is left does
    // nothing: the stand-in is not in the list and is never freed.
    DeleteProfile(ProfileList::Instance()->Remove(ProfileList::Instance()->At(0)));
    Profile* fallback = ProfileList::CurrentProfile();
    DeleteProfile(ProfileList::Instance()->Remove(fallback));
    EXPECT_TRUE(ProfileList::IsDefaultProfile(ProfileList::CurrentProfile()));
}
