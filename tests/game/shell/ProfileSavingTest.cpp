// Saving the players as the game goes: every failed save told to the player
// in words (and once on standard error, until saved again), the profiles
// kept for the next save; and no file written, moved or removed while
// writes are held for a demo.
#include "game/shell/ProfileSaving.h"

#include "tests/game/shell/ProfileTestSupport.h"

#include <cerrno>
#include <cstring>

namespace {

class ToldLines final : public ProfileProblemObserver {
public:
    void OnProfileProblem(const std::vector<std::string>& lines) override { told.push_back(lines); }
    std::vector<std::vector<std::string>> told;
};

class ProfileSaving : public ProfileFolderTest {
protected:
    ProfileSaving() { SetProfileProblemObserver(&player_); }

    ToldLines player_;
};

} // namespace

TEST_F(ProfileSaving, AFailedSaveIsToldEveryTimeAndOnStandardErrorOnceUntilItSucceeds)
{
    AddActiveProfile("Ann");
    AddActiveProfile("Bob");
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    const std::string failing = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(player_.told.size(), 2u);
    EXPECT_EQ(player_.told[0], (std::vector<std::string>{"The players Ann and Bob were not saved:",
                                                         "the disk is full.", "They are kept and saved again later."}));
    EXPECT_EQ(std::count(failing.begin(), failing.end(), '\n'), 2) << failing;
    EXPECT_NE(failing.find("save/Ann_.usr"), std::string::npos) << failing;
    EXPECT_FALSE(platform::FileExists("save/Ann_.usr"));

    // Room again: both are written as they are now, and that is said.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    ProfileList::Instance()->FindByName("Bob")->computerStyle = 3;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(SaveCurrentProfile());
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    const std::string recovered = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(player_.told.size(), 2u);
    EXPECT_NE(recovered.find("save/Bob_.usr': saved again."), std::string::npos) << recovered;
    Profile bob;
    ASSERT_TRUE(LoadProfile(bob, "save/Bob_.usr"));
    EXPECT_EQ(bob.computerStyle, 3u);
}

TEST_F(ProfileSaving, ReasonsAreSaidInThePlayersWords)
{
    EXPECT_EQ(ReasonInWords(std::string("Cannot write x: ") + std::strerror(EROFS)), "the disk is read-only");
    EXPECT_EQ(ReasonInWords(std::string("Cannot write x: ") + std::strerror(EDQUOT)), "the disk quota is used up");
    EXPECT_EQ(ReasonInWords(std::string("Cannot write x: ") + std::strerror(ENAMETOOLONG)), "file name too long");
}

TEST_F(ProfileSaving, WhileWritesAreHeldNoFileIsWrittenMovedOrRemoved)
{
    AddActiveProfile("Ann");
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    const std::string ann = Bytes("save/Ann_.usr");
    WriteBytes("save/Gil_.usr", std::string(80, '\x07'));
    WriteBytes("save/Ann_.usr.tmp-999999999-0", "half a save of a killed run");

    HoldProfileWrites(true);
    ProfileList::CurrentProfile()->announceStages = 0;
    AddActiveProfile("Cid");
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_TRUE(DeleteCurrentProfile());
    ProfileList::Free();
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(Bytes("save/Ann_.usr"), ann);
    EXPECT_FALSE(platform::FileExists("save/Cid_.usr"));
    EXPECT_EQ(Bytes("save/Gil_.usr"), std::string(80, '\x07')) << "a damaged file stays where it is";
    EXPECT_FALSE(platform::FileExists("save/Gil_.usr.damaged"));
    EXPECT_TRUE(platform::FileExists("save/Ann_.usr.tmp-999999999-0"));
    EXPECT_TRUE(player_.told.empty());
}
