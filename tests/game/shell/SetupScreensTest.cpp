// The set-up module and its four screens on a test factory: which screen
// shows, what each button writes into the profile, what the keys do, and
// that every object goes back to the factory.
#include "controls/ButtonFace_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/SetupRulesCash.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/SetupRulesTournament.h"
#include "game/shell/StatisticDlg.h"
#include "game/shell/TournamentEntry.h"
#include "tests/game/shell/SetupScene.h"

#include <vector>

namespace Gamespace {
namespace {

class RecordingGame : public GameModuleObserver {
public:
    void OnModuleDone(uint32_t moduleId) override { done.push_back(moduleId); }
    void QuitGame() override { ++quits; }
    std::vector<uint32_t> done;
    int quits = 0;
};

class SetupModule : public SetupScene {
protected:
    SetupModule() { module_.Create(); }
    ~SetupModule() override
    {
        module_.Release();
        // A test that went full screen leaves the next one a window.
        SetFullScreenOption(false);
    }

    void ShowFor(GameType gameType)
    {
        Ann().gameType = gameType;
        module_.Show();
    }
    template <class Screen>
    Screen& ShownScreen()
    {
        auto* screen = dynamic_cast<Screen*>(module_.ShownScreen());
        EXPECT_NE(screen, nullptr);
        return *screen;
    }
    SetupRulesCash& Cash(GameType gameType) { return *dynamic_cast<SetupRulesCash*>(module_.ScreenFor(gameType)); }
    SetupRulesTournament& Tournaments() { return *dynamic_cast<SetupRulesTournament*>(module_.ScreenFor(3)); }
    void Click(ControlLibrary::IVisibleObject* button)
    {
        ASSERT_NE(button, nullptr);
        ClickOn(button->GetId());
    }
    ControlLibrary::IButtonVO* StakeButton(SetupRulesCash& screen, size_t row)
    {
        return screen.StakeButtons().at(row).button;
    }
    ControlLibrary::IButtonVO* TournamentButton(size_t index) { return Tournaments().TournamentButtons().at(index); }
    // The image and the part of it a button shows while disabled.
    std::pair<std::string, int32_t> DisabledFace(ControlLibrary::IButtonVO* button)
    {
        auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(button);
        auto* face = bridge ? dynamic_cast<ControlLibrary::ButtonFace_impl*>(bridge->GetImpl()) : nullptr;
        if (!face)
            return {};
        std::string name;
        Factory().GetImageName(face->GetImageHandle(3), name);
        return {name, face->GetSourceRect(3).y};
    }
    // A game of tournament `id` in Ann's profile, as a start leaves it.
    SavedGame& SavedTournament(uint16_t id)
    {
        Tournament record;
        EXPECT_TRUE(FindTournament(id, record));
        return StartTournament(Ann(), record);
    }

    RecordingGame game_;
    SetupRulesMgr module_{&game_, SetupRulesMgr::kModuleId};
};

TEST_F(SetupModule, ShowsTheScreenOfTheGameTypeAndHidesTheScreenItShowed)
{
    ShowFor(4);
    EXPECT_EQ(module_.ShownScreen(), &Tournaments());
    EXPECT_TRUE(Tournaments().IsShown());
    // Choosing a no-limit tournament changes the game type while it shows.
    Click(TournamentButton(0));
    EXPECT_EQ(Ann().gameType, 5u);
    module_.Hide();
    EXPECT_FALSE(Tournaments().IsShown());
    EXPECT_FALSE(Shown(TournamentButton(0)->GetId()));

    ShowFor(0);
    EXPECT_EQ(module_.ShownScreen(), &Cash(0));
    EXPECT_EQ(Cash(0).GetGameType(), kGameLimit);
    // Shown again for another game, it leaves one screen standing.
    ShowFor(2);
    EXPECT_FALSE(Cash(0).IsShown());
    EXPECT_TRUE(Cash(2).IsShown());
    module_.Hide();
    ShowFor(6);
    EXPECT_TRUE(module_.IsActive());
    EXPECT_EQ(module_.ShownScreen(), nullptr);
    for (GameType type : {0u, 1u, 2u, 3u})
        EXPECT_FALSE(dynamic_cast<SetupRulesScreen*>(module_.ScreenFor(type))->IsShown());
    module_.Hide();
    EXPECT_FALSE(module_.IsActive());
}

TEST_F(SetupModule, StartLeadsToTheTableBackToTheStartScreenAndCloseEndsTheGameWithoutAClick)
{
    ShowFor(2);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    Click(screen.StartButton());
    EXPECT_EQ(module_.GetResult(), 0u);
    Click(screen.BackButton());
    EXPECT_EQ(module_.GetResult(), 1u);
    EXPECT_EQ(game_.done, (std::vector<uint32_t>{4, 4}));
    EXPECT_EQ(Played(ClickSound::kFile), 2u);
    // The close button is there where the game covers the screen.
    SetFullScreenOption(true);
    module_.Hide();
    module_.Show();
    Click(screen.CloseButton());
    EXPECT_EQ(game_.quits, 1);
    EXPECT_EQ(Played(ClickSound::kFile), 2u);
}

TEST_F(SetupModule, AFreshProfileOnTheLimitScreenChoosesTheFirstStakeAndTenPlayers)
{
    ShowFor(0);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    const char* captions[] = {"$1/$2", "$2/$4", "$4/$8", "$10/$20", "$25/$50", "$50/$100"};
    const ControlLibrary::Point points[] = {{291, 288}, {514, 288}, {735, 288}, {291, 466}, {514, 466}, {735, 466}};
    ASSERT_EQ(screen.StakeButtons().size(), 6u);
    for (size_t row = 0; row < 6; ++row) {
        ControlLibrary::IButtonVO* button = StakeButton(screen, row);
        EXPECT_EQ(button->GetCaption(), captions[row]);
        EXPECT_EQ(button->GetPosition(), points[row]);
        EXPECT_TRUE(Shown(button->GetId()));
        EXPECT_EQ(button->IsEnabled(), row != 0) << "the chosen stake is the disabled one, in its selected frame";
    }
    EXPECT_EQ(screen.ValueText(0), "$ 2");
    EXPECT_EQ(screen.ValueText(1), "$ 4");
    EXPECT_EQ(screen.ValueText(2), "$ 200");
    EXPECT_EQ(screen.PlayersText(), "10");
    EXPECT_FALSE(screen.PlusButton()->IsEnabled());
    EXPECT_TRUE(screen.MinusButton()->IsEnabled());
}

TEST_F(SetupModule, AStakeGoesIntoTheTableChoiceOfTheScreensOwnStructure)
{
    ShowFor(1);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    EXPECT_EQ(screen.ValueText(1), "Pot limit");
    Click(StakeButton(screen, 5));
    EXPECT_EQ(Ann().potLimit.tableIndex, 5);
    EXPECT_EQ(Ann().limit.tableIndex, 0);
    EXPECT_EQ(Ann().noLimit.tableIndex, 0);
    EXPECT_FALSE(StakeButton(screen, 5)->IsEnabled());
    EXPECT_TRUE(StakeButton(screen, 0)->IsEnabled());
    EXPECT_EQ(screen.ValueText(0), "$ 100");
    EXPECT_EQ(screen.ValueText(2), "$ 10000");
    EXPECT_EQ(Played(SetupRulesScreen::kSelectSound), 1u);
    EXPECT_EQ(Played(ClickSound::kFile), 0u);

    module_.Hide();
    ShowFor(2);
    EXPECT_EQ(ShownScreen<SetupRulesCash>().ValueText(1), "Unlimit");
    EXPECT_FALSE(StakeButton(ShownScreen<SetupRulesCash>(), 0)->IsEnabled());
}

TEST_F(SetupModule, PlayersStayBetweenTwoAndTen)
{
    ShowFor(2);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    for (int i = 0; i < 8; ++i)
        Click(screen.MinusButton());
    EXPECT_EQ(Ann().noLimit.players, 2);
    EXPECT_EQ(screen.PlayersText(), "2");
    EXPECT_FALSE(screen.MinusButton()->IsEnabled());
    EXPECT_EQ(Played(ClickSound::kFile), 8u);
    Click(screen.MinusButton());
    EXPECT_EQ(Ann().noLimit.players, 2) << "a disabled button does nothing";
    Click(screen.PlusButton());
    EXPECT_EQ(Ann().noLimit.players, 3);
    EXPECT_TRUE(screen.MinusButton()->IsEnabled());
}

TEST_F(SetupModule, ADamagedTableChoiceIsShownAndStoredInRange)
{
    Ann().limit = {9, 0};
    ShowFor(0);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    EXPECT_EQ(Ann().limit.tableIndex, 0) << "the first stake stands in for one that does not exist";
    EXPECT_FALSE(StakeButton(screen, 0)->IsEnabled());
    EXPECT_EQ(screen.ValueText(2), "$ 200");
    EXPECT_EQ(Ann().limit.players, 2);
    module_.Hide();
    Ann().limit.players = 11;
    ShowFor(0);
    EXPECT_EQ(Ann().limit.players, 10);
}

TEST_F(SetupModule, ShowingAgainUsesTheSameSixStakeButtons)
{
    ShowFor(0);
    std::vector<uint32_t> first;
    for (const auto& stake : Cash(0).StakeButtons())
        first.push_back(stake.button->GetId());
    module_.Hide();
    for (const auto& stake : Cash(0).StakeButtons()) {
        EXPECT_FALSE(stake.shown);
        EXPECT_FALSE(Shown(stake.button->GetId()));
    }
    ShowFor(0);
    std::vector<uint32_t> again;
    for (const auto& stake : Cash(0).StakeButtons())
        again.push_back(stake.button->GetId());
    EXPECT_EQ(again, first);
    // Made again after a release, the screen shows six new stakes.
    module_.Release();
    module_.Create();
    ShowFor(0);
    ASSERT_EQ(Cash(0).StakeButtons().size(), 6u);
    for (const auto& stake : Cash(0).StakeButtons())
        EXPECT_TRUE(stake.button && Shown(stake.button->GetId()));
}

TEST_F(SetupModule, EnterAndSpaceStartOnlyWhileTheScreenShowsAndNoDialogIsOpenOverIt)
{
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_TRUE(game_.done.empty());
    ShowFor(0);
    PressKey('A');
    EXPECT_TRUE(game_.done.empty()) << "only Return and Space start the game";
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    Click(screen.CustomizeButton());
    ASSERT_TRUE(screen.GetCustomizeDlg()->IsVisible());
    PressKey(SetupRulesScreen::kSpaceKey);
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_TRUE(game_.done.empty()) << "the keys are the dialog's, not a start behind it";
    screen.GetCustomizeDlg()->Show(false);
    PressKey(SetupRulesScreen::kSpaceKey);
    EXPECT_EQ(game_.done, std::vector<uint32_t>{4});
    EXPECT_EQ(module_.GetResult(), 0u);
    module_.Hide();
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_EQ(game_.done.size(), 1u);
}

// A dialog that stood over the customize button would hide its caption.
TEST_F(SetupModule, NoDialogOfAScreenCoversItsCustomizeButton)
{
    for (GameType type : {0u, 1u, 2u, 3u}) {
        ShowFor(type);
        auto* screen = dynamic_cast<SetupRulesScreen*>(module_.ShownScreen());
        ASSERT_NE(screen, nullptr);
        std::vector<BaseDialog*> dialogs = {screen->GetOptionsDialog(), screen->GetCustomizeDlg()};
        if (auto* tournaments = dynamic_cast<SetupRulesTournament*>(screen))
            dialogs.push_back(tournaments->GetStatisticDlg());
        const ControlLibrary::Rect button = screen->CustomizeButton()->GetScreenRect();
        for (BaseDialog* dialog : dialogs) {
            dialog->Show(true);
            const ControlLibrary::Rect over = dynamic_cast<BaseDialogImpl*>(dialog)->DialogObject().GetScreenRect();
            EXPECT_FALSE(button.x < over.x + over.w && over.x < button.x + button.w && button.y < over.y + over.h &&
                         over.y < button.y + button.h)
                << "game type " << type;
            dialog->Show(false);
        }
        module_.Hide();
    }
}

// Return closes the statistics, and must not then start the game behind
// them, even when the screen hears of keys after its dialogs.
TEST_F(SetupModule, AKeyThatClosesADialogNeverStartsTheGameBehindItWhateverTheOrderOfListening)
{
    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    Factory().RemoveSysObserver(&screen);
    Factory().AddSysObserver(&screen);
    screen.GetStatisticDlg()->Show(true);
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_FALSE(screen.GetStatisticDlg()->IsVisible());
    EXPECT_TRUE(game_.done.empty());
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_EQ(game_.done, std::vector<uint32_t>{4});
}

// A dialog over the screen disables every button behind it; only the chosen
// stake or tournament then shows the chosen frame.
TEST_F(SetupModule, BehindADialogOnlyTheChoiceShowsTheChosenFrame)
{
    for (const char* frame : {SetupRulesCash::kStakeImage, SetupRulesCash::kHoverStakeImage,
                              SetupRulesCash::kChosenStakeImage, SetupRulesCash::kHeldStakeImage})
        host_->AddImage(frame, 186, 133, 0xFF204020);
    ShowFor(0);
    SetupRulesCash& cash = ShownScreen<SetupRulesCash>();
    Click(StakeButton(cash, 4));
    Click(cash.CustomizeButton());
    ASSERT_TRUE(cash.GetCustomizeDlg()->IsVisible());
    for (size_t row = 0; row < 6; ++row) {
        EXPECT_FALSE(StakeButton(cash, row)->IsEnabled());
        EXPECT_EQ(DisabledFace(StakeButton(cash, row)).first,
                  row == 4 ? SetupRulesCash::kChosenStakeImage : SetupRulesCash::kHeldStakeImage)
            << "stake " << row;
    }
    cash.GetCustomizeDlg()->Show(false);
    module_.Hide();

    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    Click(TournamentButton(6));
    Click(screen.CustomizeButton());
    ASSERT_TRUE(screen.GetCustomizeDlg()->IsVisible());
    for (size_t i = 0; i < screen.TournamentButtons().size(); ++i) {
        EXPECT_FALSE(TournamentButton(i)->IsEnabled());
        EXPECT_EQ(DisabledFace(TournamentButton(i)).second, i == 6 ? 90 : 182) << "tournament " << i;
    }
    screen.GetCustomizeDlg()->Show(false);
}

// A window has its own close box; only a game that covers the screen (full
// screen, or a desktop too small for the window) shows its own close button,
// on every set-up screen, when it opens and after any of its dialogs.
TEST_F(SetupModule, TheCloseButtonShowsExactlyWhereTheGameCoversTheScreenWhateverDialogClosed)
{
    struct Mode {
        const char* name;
        bool fullScreen;
        bool windowRefused;
    };
    const Mode modes[] = {{"window", false, false}, {"full screen", true, false}, {"no room for a window", false, true}};
    for (const Mode& mode : modes) {
        SetFullScreenOption(mode.fullScreen);
        host_->windowedRefused = mode.windowRefused;
        const bool covers = mode.fullScreen || mode.windowRefused;
        for (GameType type : {0u, 1u, 2u, 3u}) {
            SCOPED_TRACE(std::string(mode.name) + ", game type " + std::to_string(type));
            ShowFor(type);
            auto* screen = dynamic_cast<SetupRulesScreen*>(module_.ShownScreen());
            ASSERT_NE(screen, nullptr);
            const uint32_t close = screen->CloseButton()->GetId();
            EXPECT_EQ(Shown(close), covers) << "as the screen opens";
            std::vector<std::pair<ControlLibrary::IButtonVO*, BaseDialog*>> dialogs = {
                {screen->OptionsButton(), screen->GetOptionsDialog()},
                {screen->CustomizeButton(), screen->GetCustomizeDlg()}};
            if (auto* tournaments = dynamic_cast<SetupRulesTournament*>(screen))
                dialogs.emplace_back(tournaments->StatisticsButton(), tournaments->GetStatisticDlg());
            for (const auto& [button, dialog] : dialogs) {
                Click(button);
                ASSERT_TRUE(dialog->IsVisible());
                dialog->Show(false);
                EXPECT_EQ(Shown(close), covers) << "after a dialog closed";
            }
            module_.Hide();
            EXPECT_FALSE(Shown(close));
        }
    }
}

// The screen may go while one of its dialogs is still open (the game ends
// under it); the dialog closing after it must not bring the button back.
TEST_F(SetupModule, ADialogClosedAfterItsScreenWentBringsNoCloseButton)
{
    SetFullScreenOption(true);
    ShowFor(2);
    SetupRulesCash& screen = ShownScreen<SetupRulesCash>();
    ASSERT_TRUE(Shown(screen.CloseButton()->GetId()));
    Click(screen.OptionsButton());
    ASSERT_TRUE(screen.GetOptionsDialog()->IsVisible());
    module_.Hide();
    screen.GetOptionsDialog()->Show(false);
    EXPECT_FALSE(Shown(screen.CloseButton()->GetId()));
}

TEST_F(SetupModule, TheCloseButtonFollowsTheDisplayModeChosenInTheOptions)
{
    for (GameType type : {0u, 1u, 2u, 3u}) {
        SCOPED_TRACE("game type " + std::to_string(type));
        ShowFor(type);
        auto* screen = dynamic_cast<SetupRulesScreen*>(module_.ShownScreen());
        ASSERT_NE(screen, nullptr);
        OptionsDialog& options = *screen->GetOptionsDialog();
        Click(screen->OptionsButton());
        Click(options.GetButton(OptionsDialog::kFullScreen));
        Click(options.GetButton(OptionsDialog::kOk));
        ASSERT_TRUE(IsFullScreenOption());
        EXPECT_TRUE(Shown(screen->CloseButton()->GetId())) << "in full screen";
        Click(screen->OptionsButton());
        Click(options.GetButton(OptionsDialog::kWindowed));
        Click(options.GetButton(OptionsDialog::kOk));
        ASSERT_FALSE(IsFullScreenOption());
        EXPECT_FALSE(Shown(screen->CloseButton()->GetId())) << "back in a window";
        module_.Hide();
    }
}

TEST_F(SetupModule, AFreshProfileOnTheTournamentScreenChoosesTheFirstTournament)
{
    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    ASSERT_NE(screen.ChosenTournament(), nullptr);
    EXPECT_EQ(screen.ChosenTournament()->name, "Satellite N");
    EXPECT_FALSE(Shown(screen.ContinueButton()->GetId()));
    EXPECT_EQ(Ann().gameType, kGameNoLimitTournament);
    const std::vector<std::string> expected = {"1", "10", "$ 20 (x50)", "2 min.", "$ 8", "Unlimit", "No", "No"};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(screen.ValueText(SetupRulesTournament::Value(i)), expected[i]);
    // Three columns of three: limit, pot limit, no limit.
    EXPECT_EQ(TournamentButton(6)->GetPosition(), (ControlLibrary::Point{260, 300}));
    EXPECT_EQ(TournamentButton(4)->GetPosition(), (ControlLibrary::Point{500, 360}));
    EXPECT_EQ(TournamentButton(2)->GetPosition(), (ControlLibrary::Point{740, 420}));
}

TEST_F(SetupModule, ChoosingATournamentShowsItsRulesAndSetsItsKind)
{
    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    Click(TournamentButton(1));
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kRebuy), "1 (up to 7 level)");
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kAddOn), "No");
    Click(TournamentButton(2));
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kRebuy), "3 (up to 10 level)");
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kAddOn), "1 (on 15 level)");
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kLevelTime), "10 min.");
    Click(TournamentButton(6));
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kMinBet), "$ 4");
    EXPECT_EQ(screen.ValueText(SetupRulesTournament::kMaxBet), "$ 8");
    EXPECT_EQ(screen.ChosenKind(), 0u);
    EXPECT_EQ(Ann().gameType, kGameLimitTournament);
    EXPECT_FALSE(TournamentButton(6)->IsEnabled());
    EXPECT_TRUE(TournamentButton(2)->IsEnabled());
    EXPECT_EQ(Played(SetupRulesScreen::kSelectSound), 3u);
}

TEST_F(SetupModule, StartingWritesAFreshGameAndContinuingResumesTheSavedOne)
{
    SavedTournament(3).level = 7;
    ShowFor(5);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    EXPECT_EQ(screen.ChosenTournament()->id, 3u) << "the current game's tournament";
    EXPECT_TRUE(Shown(screen.ContinueButton()->GetId()));
    Click(screen.ContinueButton());
    EXPECT_EQ(module_.GetResult(), 0u);
    ASSERT_EQ(Ann().savedGames.size(), 1u);
    EXPECT_EQ(Ann().savedGames[0]->level, 7u);
    EXPECT_EQ(Ann().savedGames[0]->newGame, 0);
    EXPECT_EQ(Played(ClickSound::kFile), 1u);

    Click(TournamentButton(0));
    EXPECT_FALSE(Shown(screen.ContinueButton()->GetId()));
    PressKey(SetupRulesScreen::kEnterKey);
    ASSERT_EQ(Ann().savedGames.size(), 2u);
    EXPECT_EQ(Ann().GetCurrentSavedGame()->tournamentId, 1);
    EXPECT_EQ(Ann().GetCurrentSavedGame()->newGame, 1);
    EXPECT_EQ(game_.done.size(), 2u);

    Click(TournamentButton(2));
    Click(screen.StartButton());
    ASSERT_EQ(Ann().savedGames.size(), 2u) << "the game of Big game N is replaced";
    EXPECT_EQ(Ann().GetCurrentSavedGame()->level, 1u);
}

TEST_F(SetupModule, ASavedGameOfATournamentThereIsNotShowsTheFirstTournament)
{
    SavedTournament(1).tournamentId = 42;
    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    ASSERT_NE(screen.ChosenTournament(), nullptr);
    EXPECT_EQ(screen.ChosenTournament()->id, 1u);
    EXPECT_FALSE(Shown(screen.ContinueButton()->GetId()));
}

TEST_F(SetupModule, StatisticsOpenWithoutAClick)
{
    ShowFor(3);
    SetupRulesTournament& screen = ShownScreen<SetupRulesTournament>();
    Click(screen.StatisticsButton());
    EXPECT_TRUE(screen.GetStatisticDlg()->IsVisible());
    EXPECT_EQ(Played(ClickSound::kFile), 0u);
    EXPECT_TRUE(game_.done.empty());
}

TEST_F(SetupModule, ReleaseGivesEveryObjectBackAndStopsTakingKeys)
{
    // Ids are handed out in rising order: everything the screens made lies
    // between two probes.
    auto probe = [] {
        ControlLibrary::IImageVO* image = Factory().CreateImageVO();
        const uint32_t id = image->GetId();
        Factory().ReleaseVO(image);
        return id;
    };
    module_.Release();
    const uint32_t before = probe();
    module_.Create();
    for (GameType type : {0u, 1u, 2u, 3u}) {
        ShowFor(type);
        if (type == 3)
            Click(Tournaments().CustomizeButton());
        else
            module_.Hide();
    }
    ClickOn(Tournaments().GetCustomizeDlg()->StyleButtonId(2));
    const uint32_t after = probe();
    ASSERT_GT(Factory().CountSounds(), 0u);
    module_.Release();
    EXPECT_EQ(module_.ShownScreen(), nullptr);
    EXPECT_EQ(Ann().computerStyle, 2u) << "the choice of the dialog left open is kept";
    for (uint32_t id = before + 1; id < after; ++id)
        EXPECT_EQ(Factory().FindObject(id), nullptr) << id;
    EXPECT_EQ(Factory().CountSounds(), 0u);
    EXPECT_EQ(Factory().GetModalDepth(), 0u) << "the open dialog was closed";
    PressKey(SetupRulesScreen::kEnterKey);
    EXPECT_TRUE(game_.done.empty());
}

} // namespace
} // namespace Gamespace
