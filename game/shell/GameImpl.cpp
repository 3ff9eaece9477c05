#include "game/shell/GameImpl.h"

#include "controls/IButtonVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "game/table/ClickSound.h"
#include "game/shell/EarlierProfiles.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/FinishDlgImpl.h"
#include "game/shell/NewsFetcher.h"
#include "game/shell/Options.h"
#include "game/shell/PlayerFilesNotice.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/ScreenSize.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "game/table/TableServices.h"
#include "kernel/ISysApp.h"
#include "kernel/Kernel.h"
#include "platform/window/SystemDialogs.h"

#include <climits>
#include <new>
#include <utility>

namespace Gamespace {

GameImpl::GameImpl()
    : title_(std::string(kProductName) + " " + kProductVersion),
      version_(kProductVersion),
      registryKey_(kRegistryKey),
      startMgr_(std::make_unique<StartMgr>(this, StartMgr::kModuleId)),
      setupRulesMgr_(std::make_unique<SetupRulesMgr>(this, SetupRulesMgr::kModuleId))
{
}

GameImpl::~GameImpl() = default;

void GameImpl::Initialize()
{
    factory_ = KernelLibrary::GetFactory();
    factory_->AddPakArchive(0, kDataArchive);
    LoadOptions();
    LoadProfiles();
    CreateTable();
    startMgr_->Create();
    // Loaded once so that the first screen that uses it finds it ready.
    if (ControlLibrary::IFont* font = factory_->CreateFont()) {
        font->Load(kWarmFont);
        factory_->ReleaseFont(font);
    }
    CreateHomePageButton();
    click_ = std::make_unique<ClickSound>(factory_);
}

void GameImpl::LoadProfiles()
{
    // A demo played back replays what a player did with the profiles of
    // the recording: the player's own files stay as they are.
    HoldProfileWrites(sysApp_ != nullptr && sysApp_->IsPlayingDemo());
    const std::string data = factory_->GetAppDataFolder();
    // Where earlier builds kept them: beside the program, which is the
    // current folder.
    const std::string earlier = "save/";
    SetProfileFolder(data.empty() ? earlier : data + "save/");
    // From here on the game's notice tells every problem; what is met before
    // the first screen waits for it.
    KernelLibrary::SetProblemSink(this);
    // Those that could not be moved are read where they are.
    std::vector<KernelLibrary::Problem> problems;
    std::vector<std::string> leftBeside;
    if (!data.empty() && !AreProfileWritesHeld())
        leftBeside = TakeOverEarlierProfiles(earlier, ProfileFolder(), &problems);
    for (const KernelLibrary::Problem& problem : LoadAllProfiles(*ProfileList::Instance(), leftBeside))
        problems.push_back(problem);
    TellProblems(problems);
}

void GameImpl::MakeLaterScreens()
{
    if (laterScreensMade_)
        return;
    laterScreensMade_ = true;
    setupRulesMgr_->Create();
    gameMgr_->Create();
    // Only the table asks before leaving; its question comes with it.
    exitDialog_ = std::make_unique<ExitDialog>(this);
}

void GameImpl::CreateTable()
{
    TableServices services;
    services.shell = &tableShell_;
    services.timeSystem = KernelLibrary::GetTimeSystem();
    services.factory = factory_;
    gameMgr_ = std::make_unique<GameMgr>(this, GameMgr::kModuleId, services);
}

void GameImpl::CreateHomePageButton()
{
    homePageButton_ = factory_->CreateButtonVO();
    if (!homePageButton_)
        return;
    homePageButton_->SetLayer(1500);
    homePageButton_->SetSize(100, 26);
    homePageButton_->AddMouseObserver(this);
    homePageButton_->SetAlignment(1, 1);
    homePageButton_->SetImages({kHomePageImage, "", "", ""});
    homePageButton_->SetSourceRects(
        {ControlLibrary::Rect{0, 0, 68, 68}, {0, 68, 68, 68}, {0, 68, 68, 68}, {0, 136, 68, 68}});
    homePageButton_->SetSize(68, 68);
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    homePageButton_->SetPosition(int32_t(screen.w / 2) - 460, int32_t(screen.h / 2) - 335);
}

void GameImpl::Start()
{
    if (IsFullScreenOption())
        factory_->ToggleScreenMode();
    startMgr_->Show();
    ShowHomePageButton(true);
    started_ = true;
    ShowNotice();
}

void GameImpl::Stop()
{
    // A table that is not shown (or not even made) ignores this (it would
    // otherwise save its empty seats over the tournament in progress).
    if (gameMgr_)
        gameMgr_->Hide();
    ShowHomePageButton(false);
}

void GameImpl::Shutdown()
{
    // Screens never made have nothing to release.
    if (laterScreensMade_) {
        if (gameMgr_) {
            gameMgr_->Release();
            RemoveOptionObserver(gameMgr_.get());
        }
        setupRulesMgr_->Release();
    }
    startMgr_->Release();
    // The notice goes: a last save that fails, unless the player was told
    // of it already, is told in a box.
    KernelLibrary::SetProblemSink(nullptr);
    started_ = false;
    ReleaseOwnControls();
    SaveAllProfiles(*ProfileList::Instance(), SaveRetry::Never);
    SaveOptions();
    ProfileList::Free();
}

void GameImpl::ReleaseOwnControls()
{
    notice_.reset();
    exitDialog_.reset();
    click_.reset();
    if (factory_ && homePageButton_)
        factory_->ReleaseVO(homePageButton_);
    homePageButton_ = nullptr;
}

void GameImpl::OnFrameUpdate()
{
    startMgr_->ProcessEvents();
    if (gameMgr_)
        gameMgr_->ProcessEvents();
}

void GameImpl::OnModuleDone(uint32_t moduleId)
{
    MakeLaterScreens();
    if (moduleId == startMgr_->GetId()) {
        startMgr_->Hide();
        setupRulesMgr_->Show();
    } else if (moduleId == setupRulesMgr_->GetId()) {
        setupRulesMgr_->Hide();
        if (setupRulesMgr_->GetResult() == 0) {
            gameMgr_->Show();
            ShowHomePageButton(false);
            // A tournament is kept from the moment it is entered.
            SaveCurrentProfile();
        } else {
            startMgr_->Show();
        }
    } else if (gameMgr_ && moduleId == gameMgr_->GetId()) {
        gameMgr_->Hide();
        setupRulesMgr_->Show();
        ShowHomePageButton(true);
        // The tournament left as it stood (or ended).
        SaveCurrentProfile();
    }
}

void GameImpl::OnCloseRequest()
{
    AskToLeave(Leaving::ByClose);
}

void GameImpl::OnWindowMinimized(bool minimized)
{
    windowMinimized_ = minimized;
    if (minimized) {
        if (gameMgr_ && gameMgr_->IsActive())
            gameMgr_->SetPaused(true);
        return;
    }
    ResumeTable();
}

void GameImpl::AskToLeave(Leaving how)
{
    if (gameMgr_ && gameMgr_->IsActive()) {
        if (!exitDialog_ || exitDialog_->IsVisible())
            return;
        if (IsNoticeShown()) {
            // The player answered yes already and was told that leaving
            // again quits without the save: it does, whatever notice shows.
            if (quitToldUnsaved_) {
                Leave(how);
                return;
            }
            // The notice stays in front of every dialog: the question
            // follows it.
            closeWaitsForNotice_ = true;
            leaving_ = how;
            return;
        }
        leaving_ = how;
        gameMgr_->SetPaused(true);
        exitDialog_->Show(true);
        return;
    }
    Leave(how);
}

void GameImpl::Leave(Leaving how)
{
    // The players are saved while the game can still say that it failed;
    // once it has, leaving again quits all the same, unless a save went
    // through since: what the player was told is then no longer so.
    if (quitToldUnsaved_ && ProfileSavesSoFar() != savesWhenQuitTold_)
        quitToldUnsaved_ = false;
    const SaveRetry retry = how == Leaving::ByMenuExit ? SaveRetry::ExitAgain : SaveRetry::CloseAgain;
    if (!quitToldUnsaved_ && SaveAllProfiles(*ProfileList::Instance(), retry) > 0) {
        quitToldUnsaved_ = true;
        savesWhenQuitTold_ = ProfileSavesSoFar();
        ResumeTable();
        return;
    }
    if (sysApp_)
        sysApp_->Quit();
}

void GameImpl::TellPlayer(const std::string& /*subject*/, const std::vector<std::string>& lines)
{
    if (!factory_)
        return;
    if (!notice_)
        notice_ = std::make_unique<PlayerFilesNotice>(this);
    notice_->Add(lines);
    ShowNotice();
}

bool GameImpl::IsNoticeShown()
{
    return notice_ && notice_->IsVisible();
}

void GameImpl::ShowNotice()
{
    if (!started_ || !notice_ || notice_->IsVisible() || !notice_->HasWaiting())
        return;
    // At the table the hand's result, which the notice may come with, stays
    // in sight below it.
    const bool atTable = gameMgr_ && gameMgr_->IsActive();
    notice_->StandAbove(atTable ? FinishDlgImpl::kTop : INT32_MAX);
    notice_->ShowNext();
    // The table waits for the player to read it, its clock too.
    if (gameMgr_ && gameMgr_->IsActive() && !noticeHoldsTable_) {
        noticeHoldsTable_ = true;
        gameMgr_->SetPaused(true);
    }
}

void GameImpl::ResumeTable()
{
    if (!gameMgr_ || !gameMgr_->IsActive() || windowMinimized_ || (notice_ && notice_->IsVisible()) ||
        (exitDialog_ && exitDialog_->IsVisible()))
        return;
    gameMgr_->SetPaused(false);
}

bool GameImpl::IsLatestVersion()
{
    return IsVersionCurrent(HttpGet(webPages_.versionPage, webPages_.timeouts), version_);
}

std::string GameImpl::GetNewsText()
{
    return HttpGet(webPages_.newsPage, webPages_.timeouts);
}

void GameImpl::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown)
        return;
    if (notice_ && dialogId == notice_->GetId()) {
        if (noticeHoldsTable_) {
            noticeHoldsTable_ = false;
            ResumeTable();
        }
        if (std::exchange(closeWaitsForNotice_, false))
            AskToLeave(leaving_);
        return;
    }
    if (!exitDialog_ || dialogId != exitDialog_->GetId())
        return;
    if (exitDialog_->AnswerYes())
        Leave(leaving_);
    else
        ResumeTable();
}

void GameImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (!homePageButton_ || id != homePageButton_->GetId())
        return;
    if (click_)
        click_->Play();
    platform::ShellExecuteA(nullptr, "open", kHomePageAddress, nullptr, nullptr, platform::SW_SHOWNORMAL);
}

void GameImpl::ShowHomePageButton(bool show)
{
    if (homePageButton_)
        homePageButton_->SetVisible(show);
}

std::unique_ptr<GameImpl> CreateGameObject()
{
    try {
        return std::make_unique<GameImpl>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace Gamespace
