// What the shell's screens and dialogs show, held against a scene of each
// kept under tests/game/shell/scenes/ (tests/support/KeptScene.h): every
// object a player sees, the top one first. The pictures are the game's own
// sizes.
//
// PELLUCOR_KEEP_SCENES=1 writes the scenes from the program as it is; look
// at the screens (the walks' screenshots) before keeping a changed scene.
#include "controls/IButtonVO.h"
#include "controls/ILinkVO.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/RulesDlg.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/shell/StatisticDlg.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/Tournament.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/SetupScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/WaitUntil.h"
#include "timing/TimeSystem_impl.h"

namespace Gamespace {
namespace {

using ControlLibrary::Rect;

class NoGame : public GameModuleObserver {
public:
    std::string GetNewsText() override { return "tovrelly_text: Spring cup"; }
};

class ScreenSheet : public SetupScene {
protected:
    // The scene shown now, against tests/game/shell/scenes/NAME.txt.
    static void ExpectSheet(const std::string& name)
    {
        testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/" + name + ".txt");
    }
};

// The comparison's report reads as a line diff: a line put in or taken out
// is named alone, never the lines it moved.
TEST(KeptSceneComparison, ReportsOnlyTheLinesAddedAndRemoved)
{
    EXPECT_EQ(testing_support::LineDiff("a\nb\nc\nd\n", "x\na\nb\nd\ne\n"), "+ 1: x\n- 3: c\n+ 5: e\n");
    EXPECT_EQ(testing_support::LineDiff("a\nb\n", "a\nb\n"), "");
    EXPECT_EQ(testing_support::LineDiff("a\nb\nc\n", "x\ny\nz\n", 2), "- 1: a\n- 2: b\n... and 4 lines more\n");
}

TEST_F(ScreenSheet, StartScreen)
{
    ScopedProfileFolder folder;
    auto ann = std::make_unique<Profile>();
    ann->name = "Ann";
    ProfileList::Instance()->Add(ann.get());
    ann.release()->SetActive(true);
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::CreateTimeSystem();
    SetFullScreenOption(true);
    NoGame game;
    StartMgr screen(&game, StartMgr::kModuleId);
    screen.Create();
    screen.Show();
    for (int t = 0; t <= StartMgr::kNewsStartMs; t += TimeLibrary::TimeSystem_impl::kPassMs) {
        time->TickAll();
        screen.ProcessEvents();
    }
    ASSERT_TRUE(test_support::WaitUntil([&] { return screen.GetNewsFetcher()->Fetched(); }));
    screen.ProcessEvents();
    // The pointer on the news line: it takes its hover colour.
    const Rect news = screen.GetNewsLink()->GetScreenRect();
    Factory().DispatchMouseMove(news.x + news.w / 2, news.y + news.h / 2);
    ExpectSheet("start");
    // The player line opens the chooser over the screen.
    ClickOn(screen.GetButton(StartMgr::kProfile)->GetId());
    ExpectSheet("start-players");
    screen.Release();
    TimeLibrary::DestroyTimeSystem();
    ResetOptions();
}

TEST_F(ScreenSheet, SetupScreens)
{
    NoGame game;
    SetupRulesMgr module(&game, SetupRulesMgr::kModuleId);
    module.Create();
    const std::pair<GameType, const char*> screens[] = {
        {kGameLimit, "limit"}, {kGamePotLimit, "pot-limit"}, {kGameNoLimit, "no-limit"}, {3, "tournaments"}};
    for (const auto& [gameType, name] : screens) {
        Ann().gameType = gameType;
        if (gameType == 3) { // with a game to continue
            Tournament record;
            ASSERT_TRUE(FindTournament(1, record));
            StartTournament(Ann(), record);
        }
        module.Show();
        ExpectSheet(name);
        module.Hide();
    }
    module.Release();
}

TEST_F(ScreenSheet, Dialogs)
{
    {
        OptionsDialog options(nullptr);
        options.Show(true);
        ExpectSheet("options");
        options.Show(false);
        SetFullScreenOption(true);
        options.Show(true);
        ExpectSheet("options-full-screen");
        ResetOptions();
    }
    {
        CustomizeDlg customize(nullptr);
        customize.Show(true);
        ExpectSheet("customize");
    }
    {
        Ann().money = {400, 250, 100, 2600000, 30.5, 10};
        StatisticDlg statistics(nullptr);
        statistics.Show(true);
        ExpectSheet("statistics");
    }
    {
        RulesDlg rules(nullptr);
        rules.Show(true);
        ExpectSheet("rules");
    }
    {
        ExitDialog exit(nullptr);
        exit.Show(true);
        ExpectSheet("exit");
    }
}

} // namespace
} // namespace Gamespace
