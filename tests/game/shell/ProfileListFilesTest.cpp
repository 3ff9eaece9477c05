// The list never lets two players write one file: a player read from a file
// named after another (copied or renamed by hand) keeps that file, and no
// later player of the name the file bears may take it.
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "tests/game/shell/ProfileTestSupport.h"

#include <memory>
#include <string>

namespace {

using ProfileListFiles = ProfileFolderTest;

bool AddedAs(const std::string& name, const std::string& file = {})
{
    auto profile = std::make_unique<Profile>();
    profile->name = name;
    profile->file = file;
    if (!ProfileList::Instance()->Add(profile.get()))
        return false;
    profile.release();
    return true;
}

TEST_F(ProfileListFiles, ANewPlayerMayNotTakeTheFileAListedPlayerWasReadFrom)
{
    // Ann's profile, found in Bob_.usr.
    ASSERT_TRUE(AddedAs("Ann", ProfileFolder() + "Bob_.usr"));
    EXPECT_FALSE(AddedAs("Bob")) << "Bob's saves would replace Ann's";
    EXPECT_FALSE(AddedAs("bOB")) << "file names match without regard to case";
    EXPECT_TRUE(AddedAs("Bobby"));
    EXPECT_TRUE(AddedAs("Cy"));
    EXPECT_EQ(ProfileList::Instance()->Count(), 3u);
    EXPECT_EQ(ProfileList::Instance()->FindSharingFile("Ann")->FilePath(), ProfileFolder() + "Bob_.usr");
}

} // namespace
