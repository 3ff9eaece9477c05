// The start screen on its own: what the mode buttons and keys choose, when
// the player chooser opens by itself, the player line, the close button
// where the game covers the screen, the news line and its turns, and that
// leaving and releasing the screen leave nothing behind.
#include "controls/IButtonVO.h"
#include "controls/ILinkVO.h"
#include "game/shell/DeletePlayerDialog.h"
#include "game/shell/ErrorDialog.h"
#include "game/shell/NewPlayerDialog.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/ProfilesDialog.h"
#include "game/shell/StartMgr.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/ShellDialogScene.h"
#include "tests/support/WaitUntil.h"
#include "timing/TimeSystem_impl.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Gamespace {
namespace {

class ScreenOwner : public GameModuleObserver {
public:
    void OnModuleDone(uint32_t id) override { done.push_back(id); }
    void QuitGame() override { ++quits; }
    bool IsLatestVersion() override { return latest; }
    std::string GetNewsText() override { return news; }

    std::vector<uint32_t> done;
    int quits = 0;
    bool latest = true;
    std::string news;
};

class StartScreen : public ShellDialogScene {
protected:
    StartScreen() : timeSystem_(TimeLibrary::CreateTimeSystem()) { ResetOptions(); }
    ~StartScreen() override
    {
        screen_.Release();
        TimeLibrary::DestroyTimeSystem();
        ResetOptions();
    }

    // Time passes; the notices reach the screen as a frame hands them over.
    void Pass(int ms)
    {
        for (int t = 0; t < ms; t += TimeLibrary::TimeSystem_impl::kPassMs) {
            timeSystem_->TickAll();
            screen_.ProcessEvents();
        }
    }
    static Profile* Player(const std::string& name)
    {
        auto profile = std::make_unique<Profile>();
        profile->name = name;
        EXPECT_TRUE(ProfileList::Instance()->Add(profile.get()));
        profile->SetActive(true);
        return profile.release();
    }
    ControlLibrary::IButtonVO& Button(StartMgr::Button which) { return *screen_.GetButton(which); }
    std::string NewsShown()
    {
        std::string text;
        screen_.GetNewsLink()->GetText(text);
        return Shown(screen_.GetNewsLink()->GetId()) ? text : "(none)";
    }
    // The worker runs for real; its answers come at once.
    void AwaitTheNews()
    {
        Pass(StartMgr::kNewsStartMs);
        ASSERT_TRUE(test_support::WaitUntil([&] { return screen_.GetNewsFetcher()->Fetched(); }));
        screen_.ProcessEvents();
    }

    ScopedProfileFolder folder_;
    TimeLibrary::TimeSystem_impl* timeSystem_;
    ScreenOwner owner_;
    StartMgr screen_{&owner_, StartMgr::kModuleId};
};

TEST_F(StartScreen, EachModeIsWrittenIntoThePlayerAndFinishesTheScreen)
{
    Profile* ann = Player("Ann");
    screen_.Create();
    const std::pair<StartMgr::Button, GameType> modes[] = {{StartMgr::kNoLimit, kGameNoLimit},
                                                           {StartMgr::kPotLimit, kGamePotLimit},
                                                           {StartMgr::kLimit, kGameLimit},
                                                           {StartMgr::kTournament, kGameLimitTournament}};
    for (const auto& [button, type] : modes) {
        screen_.Show();
        ann->gameType = 99;
        ClickOn(Button(button).GetId());
        EXPECT_EQ(ann->gameType, type);
        EXPECT_EQ(screen_.GetResult(), 0u);
        screen_.Hide();
    }
    EXPECT_EQ(owner_.done, std::vector<uint32_t>(4, StartMgr::kModuleId));
    EXPECT_EQ(Clicks(), 4u);
}

TEST_F(StartScreen, TheFirstScreenLoadsNoPictureOfADialogUntilItIsShown)
{
    const auto loaded = [&](const char* name) {
        const auto& loads = host_->imageLoads;
        return std::find(loads.begin(), loads.end(), name) != loads.end();
    };
    screen_.Create();
    screen_.Show();
    Pass(5);
    ASSERT_TRUE(screen_.GetProfilesDialog()->GetNewPlayerDialog().IsVisible());
    EXPECT_FALSE(loaded(OptionsDialog::kBackground));
    EXPECT_FALSE(loaded(DeletePlayerDialog::kBackground));
    EXPECT_FALSE(loaded(ErrorDialog::kBackground));

    screen_.GetProfilesDialog()->Close();
    ClickOn(Button(StartMgr::kOptions).GetId());
    EXPECT_TRUE(screen_.GetOptionsDialog()->IsVisible());
    EXPECT_TRUE(loaded(OptionsDialog::kBackground));
    screen_.GetOptionsDialog()->Show(false);
    screen_.GetProfilesDialog()->GetDeletePlayerDialog().Show(true);
    EXPECT_TRUE(loaded(DeletePlayerDialog::kBackground));
    EXPECT_TRUE(screen_.GetProfilesDialog()->GetDeletePlayerDialog().IsVisible());
}

TEST_F(StartScreen, SpaceAndReturnChooseNoLimitButNotWhileADialogStandsOverIt)
{
    Player("Ann");
    screen_.Create();
    screen_.Show();
    ClickOn(Button(StartMgr::kOptions).GetId());
    ASSERT_TRUE(screen_.GetOptionsDialog()->IsVisible());
    PressKey(32);
    PressKey(13);
    EXPECT_TRUE(owner_.done.empty());
    PressKey(27);
    ASSERT_FALSE(screen_.GetOptionsDialog()->IsVisible());
    EXPECT_TRUE(owner_.done.empty()) << "Escape only closed the dialog";
    PressKey(32);
    EXPECT_EQ(owner_.done.size(), 1u);
    EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGameNoLimit);
    PressKey(13);
    EXPECT_EQ(owner_.done.size(), 2u);
    screen_.Hide();
    PressKey(13); // a hidden screen takes no keys
    EXPECT_EQ(owner_.done.size(), 2u);
}

TEST_F(StartScreen, WithoutAPlayerTheChooserOpensByItselfAndAsksForAName)
{
    screen_.Create();
    screen_.Show();
    EXPECT_EQ(Button(StartMgr::kProfile).GetCaption(), "Create");
    EXPECT_EQ(Button(StartMgr::kProfile).GetSize(), (ControlLibrary::Size{6 * testing_support::kFontAdvance, 27}));
    EXPECT_FALSE(screen_.GetProfilesDialog()->IsVisible()) << "not before the screen's first frame";
    Pass(5);
    EXPECT_TRUE(screen_.GetProfilesDialog()->IsVisible());
    EXPECT_TRUE(screen_.GetProfilesDialog()->GetNewPlayerDialog().IsVisible());
}

TEST_F(StartScreen, ANoticeDueAsTheScreenIsLeftOpensNothingOverTheNextScreen)
{
    screen_.Create();
    screen_.Show();
    timeSystem_->TickAll(); // the chooser's timer ends; its notice waits for a frame
    screen_.Hide();
    screen_.ProcessEvents();
    EXPECT_FALSE(screen_.GetProfilesDialog()->IsVisible());
}

TEST_F(StartScreen, ThePlayerLineNamesTheCurrentPlayerAndFollowsTheChooser)
{
    Player("Ann");
    screen_.Create();
    screen_.Show();
    Pass(5);
    EXPECT_FALSE(screen_.GetProfilesDialog()->IsVisible());
    EXPECT_EQ(Button(StartMgr::kProfile).GetCaption(), "if you not Ann click here");
    EXPECT_EQ(Button(StartMgr::kProfile).GetSize().h, 27u);
    EXPECT_GT(Button(StartMgr::kProfile).GetSize().w, 100u) << "as wide as its words";

    Player("Bob");
    ClickOn(Button(StartMgr::kProfile).GetId());
    ASSERT_TRUE(screen_.GetProfilesDialog()->IsVisible());
    PressKey(13);
    EXPECT_EQ(Button(StartMgr::kProfile).GetCaption(), "if you not Bob click here");
    EXPECT_TRUE(Button(StartMgr::kNoLimit).HasFocus());
}

TEST_F(StartScreen, TheCloseButtonShowsInFullScreenAndQuits)
{
    Player("Ann");
    screen_.Create();
    screen_.Show();
    EXPECT_FALSE(Shown(Button(StartMgr::kClose).GetId()));
    ClickOn(Button(StartMgr::kOptions).GetId());
    ClickOn(screen_.GetOptionsDialog()->GetButton(OptionsDialog::kFullScreen)->GetId());
    ClickOn(screen_.GetOptionsDialog()->GetButton(OptionsDialog::kOk)->GetId());
    ASSERT_TRUE(Shown(Button(StartMgr::kClose).GetId()));
    EXPECT_EQ(Button(StartMgr::kClose).GetScreenRect(), (ControlLibrary::Rect{1000 - 16, 50 - 16, 32, 32}));
    screen_.Hide();
    screen_.Show();
    EXPECT_TRUE(Shown(Button(StartMgr::kClose).GetId()));
    ClickOn(Button(StartMgr::kClose).GetId());
    EXPECT_EQ(owner_.quits, 1);
}

TEST_F(StartScreen, ADesktopTooSmallForTheWindowGetsTheCloseButtonWhatTheOptionSays)
{
    // The game covers the screen there though the option asks for a window:
    // the first screen must still offer a way out.
    host_->windowedRefused = true;
    Player("Ann");
    screen_.Create();
    screen_.Show();
    ASSERT_FALSE(IsFullScreenOption());
    ASSERT_TRUE(Shown(Button(StartMgr::kClose).GetId()));
    ClickOn(Button(StartMgr::kOptions).GetId());
    ClickOn(screen_.GetOptionsDialog()->GetButton(OptionsDialog::kOk)->GetId());
    EXPECT_TRUE(Shown(Button(StartMgr::kClose).GetId())) << "closing the options hid it";
    ClickOn(Button(StartMgr::kClose).GetId());
    EXPECT_EQ(owner_.quits, 1);
}

TEST_F(StartScreen, AnOutdatedVersionAndTheNewsTakeTurnsEveryFiveSeconds)
{
    Player("Ann");
    owner_.latest = false;
    owner_.news = "tovrelly_text: Spring cup tovrelly_link: http://n.example/";
    screen_.Create();
    screen_.Show();
    EXPECT_EQ(NewsShown(), "(none)");
    Pass(StartMgr::kNewsStartMs - 5);
    EXPECT_FALSE(screen_.GetNewsFetcher()->Running() || screen_.GetNewsFetcher()->Fetched());
    AwaitTheNews();
    EXPECT_EQ(NewsShown(), kNewVersionText);
    Pass(StartMgr::kNewsRotateMs);
    EXPECT_EQ(NewsShown(), "Spring cup");
    Pass(StartMgr::kNewsRotateMs);
    EXPECT_EQ(NewsShown(), kNewVersionText);

    // Away, the line goes and stops turning; back, it starts from the first.
    Pass(StartMgr::kNewsRotateMs);
    screen_.Hide();
    EXPECT_EQ(NewsShown(), "(none)");
    Pass(StartMgr::kNewsRotateMs);
    screen_.Show();
    EXPECT_EQ(NewsShown(), kNewVersionText);
}

TEST_F(StartScreen, LeftBeforeTheNewsCameTheScreenFetchesThemAgainAFullWaitAfterItsReturn)
{
    Player("Ann");
    owner_.news = "tovrelly_text: Spring cup";
    screen_.Create();
    screen_.Show();
    Pass(StartMgr::kNewsStartMs - 5);
    screen_.Hide();
    screen_.Show();
    Pass(StartMgr::kNewsStartMs - 5);
    EXPECT_FALSE(screen_.GetNewsFetcher()->Running() || screen_.GetNewsFetcher()->Fetched());
    Pass(5);
    ASSERT_TRUE(screen_.GetNewsFetcher()->Running() || screen_.GetNewsFetcher()->Fetched());
    ASSERT_TRUE(test_support::WaitUntil([&] { return screen_.GetNewsFetcher()->Fetched(); }));
    screen_.ProcessEvents();
    EXPECT_EQ(NewsShown(), "Spring cup");
}

TEST_F(StartScreen, OneItemStaysWithoutTurning)
{
    Player("Ann");
    owner_.news = "tovrelly_text: Only this";
    screen_.Create();
    screen_.Show();
    AwaitTheNews();
    EXPECT_EQ(NewsShown(), "Only this");
    Pass(StartMgr::kNewsRotateMs * 2);
    EXPECT_EQ(NewsShown(), "Only this");
}

TEST_F(StartScreen, NoNewsNoLine)
{
    Player("Ann");
    screen_.Create();
    screen_.Show();
    AwaitTheNews();
    EXPECT_TRUE(screen_.GetNewsFetcher()->Items().empty());
    EXPECT_EQ(NewsShown(), "(none)");
}

TEST_F(StartScreen, ALongNewsLineIsCutToTheRoomBesideTheOptionsButton)
{
    Player("Ann");
    owner_.news = "tovrelly_text: " + std::string(150, 'w');
    screen_.Create();
    screen_.Show();
    AwaitTheNews();
    EXPECT_LE(screen_.GetNewsLink()->GetSize().w, uint32_t(StartMgr::kNewsWidth));
    EXPECT_GT(NewsShown().size(), 50u);
}

TEST_F(StartScreen, LeavingClosesItsDialogsAndReleasingGivesEverythingBack)
{
    screen_.Create();
    screen_.Show();
    Pass(5);
    ASSERT_TRUE(screen_.GetProfilesDialog()->GetNewPlayerDialog().IsVisible());
    std::vector<uint32_t> ids;
    for (ControlLibrary::IVisibleObject* object : Factory().ShownObjects())
        ids.push_back(object->GetId());
    ids.push_back(screen_.GetOptionsDialog()->GetId());
    screen_.Hide();
    EXPECT_FALSE(screen_.GetProfilesDialog()->IsVisible());
    EXPECT_FALSE(screen_.GetProfilesDialog()->GetNewPlayerDialog().IsVisible());
    EXPECT_TRUE(Factory().ShownObjects().empty());
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
    EXPECT_FALSE(screen_.GetNewsFetcher()->Running());

    screen_.Release();
    EXPECT_EQ(screen_.GetNewsFetcher(), nullptr);
    for (uint32_t id : ids)
        EXPECT_EQ(Factory().FindObject(id), nullptr) << id;
    EXPECT_EQ(Factory().CountSounds(), 0u);
    // The three time objects are gone: a new one takes the first entry.
    TimeLibrary::TimeObjectMessageObserver silent;
    TimeLibrary::ITimeObject* probe = timeSystem_->CreateTimeObject(&silent, 10, 10);
    EXPECT_EQ(probe->GetId(), 1u);
    timeSystem_->DestroyTimeObject(probe);
    PressKey(13); // the screen no longer listens
    EXPECT_TRUE(owner_.done.empty());
}

} // namespace
} // namespace Gamespace
