// The game object: what the kernel runs (KernelLibrary::IGame), and the frame
// in which the game's screen modules take turns.
//
// It owns the three modules: the start screen (StartMgr, id 1), the table
// (GameMgr, id 2) and the set-up screens (SetupRulesMgr, id 4). Exactly one
// is shown at a time; a module that is done calls Finish, which lands in
// OnModuleDone, and the game object shows the next one:
//   start screen done -> set-up; set-up done with 0 -> the table, with any
//   other result -> the start screen; the table done -> set-up.
// It adds the archive "data.pak", loads the options and the player profiles
// when it initialises and saves them when it shuts down, asks before leaving
// a running table (the exit dialog), and shows a small button that opens the
// maker's home page on the start and set-up screens.
//
// The table runs with the game object's TableShell (the profile, the
// options and the shell's dialogs) and the kernel's toolkit; its time
// objects only queue their notices, and the game object hands the queue to
// the table once per frame update (OnFrameUpdate), on the main thread.
//
// Player profiles live in the player's data folder ("save/" in it; an
// earlier build's "save/" beside the program is taken over at the first
// start). They are saved as the game goes (ProfileSaving.h); quitting asks
// for one more save first and, when that fails, tells the player so in the
// words of the way the player left (the window's close, or the table menu's
// Exit) and quits when the player leaves again: that way, or any other, or
// by a close of the window while a notice holds the table. While a demo
// plays back no profile file is written, moved or removed.
//
// Every problem with the player's files or settings, the framework's
// included, is shown in the game's "Player files" notice (PlayerFilesNotice)
// from the moment the game loads its profiles (the game registers it with
// the kernel as the face of the program's one teller); those met before the
// game starts wait for its first screen. While the notice shows at the
// table, the table, its level clock included, is held.
//
// The table module is made in Initialize, not in the constructor: the table
// is handed the toolkit's singletons when it is made, and those exist only
// once the kernel has started, after the game object was constructed. The
// start and set-up modules are made in the constructor and build nothing
// before Create.
//
// Threads: the main thread (the kernel's calls, input observers, modules).
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "game/shell/TableShell.h"
#include "game/shell/WebPages.h"
#include "game/table/GameModule.h"
#include "kernel/IGame.h"
#include "kernel/PlayerProblems.h"

#include <memory>
#include <string>

namespace ControlLibrary {
class IButtonVO;
class IFactory;
} // namespace ControlLibrary

namespace Gamespace {

class ClickSound;
class ExitDialog;
class PlayerFilesNotice;
class GameMgr;
class SetupRulesMgr;
class StartMgr;

class GameImpl final : public KernelLibrary::IGame,
                       public GameModuleObserver,
                       public ControlLibrary::DialogMessageObserver,
                       public ControlLibrary::MouseMessageObserver,
                       public KernelLibrary::IFrameUpdate,
                       public KernelLibrary::ProblemSink {
public:
    static constexpr char kDataArchive[] = "data.pak";
    static constexpr char kWarmFont[] = "fonts/a_BosaNova14.txt";
    static constexpr char kHomePageImage[] = "images/buttons/btn_tovrelly.png";

    GameImpl();
    ~GameImpl() override;
    GameImpl(const GameImpl&) = delete;
    GameImpl& operator=(const GameImpl&) = delete;

    // ---- KernelLibrary::IGame ----
    void SetSysApp(KernelLibrary::ISysApp* sysApp) override { sysApp_ = sysApp; }
    void Initialize() override;
    void Shutdown() override;
    void Start() override;
    void Stop() override;
    void GetTitle(std::string* out) override { *out = title_; }
    void GetVersion(std::string* out) override { *out = version_; }
    void GetRegistryKey(std::string* out) override { *out = registryKey_; }
    // At the table: pause it and ask (once, however often the window is
    // closed meanwhile), after the notice when one shows; anywhere else:
    // quit at once.
    void OnCloseRequest() override;
    // The table holds still while the window is down, its clock too, and
    // goes on when it is back unless something else holds it.
    void OnWindowMinimized(bool minimized) override;

    // ---- KernelLibrary::IFrameUpdate ----
    // Runs the steps the start screen's and the table's timers asked for
    // since the last frame.
    void OnFrameUpdate() override;

    // ---- GameModuleObserver ----
    void OnModuleDone(uint32_t moduleId) override;
    // The table menu's Exit: as a close of the window, in its own words.
    void RequestExit() override { AskToLeave(Leaving::ByMenuExit); }
    // The start and set-up screens' close buttons.
    void QuitGame() override { Leave(Leaving::ByClose); }
    // The version and news pages (on the news worker's thread): current when
    // the version page cannot be read; "" when the news page cannot.
    bool IsLatestVersion() override;
    std::string GetNewsText() override;
    // The notice shows.
    bool IsNoticeShown() override;

    // The exit dialog closed: quit on yes, else the table goes on. The
    // notice closed: the table goes on.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    // The home-page button.
    void OnMouseUp(uint32_t id, int32_t button) override;

    // A problem with the player's files or settings: shown in the notice
    // (after those shown before it; once the game has started).
    void TellPlayer(const std::string& subject, const std::vector<std::string>& lines) override;

    // Where the version and news pages come from (before Start).
    void SetWebPages(WebPages pages) { webPages_ = std::move(pages); }
    const WebPages& GetWebPages() const { return webPages_; }

    // What tests and tools look at.
    StartMgr& GetStartMgr() const { return *startMgr_; }
    SetupRulesMgr& GetSetupRulesMgr() const { return *setupRulesMgr_; }
    // Null before Initialize.
    GameMgr* GetGameMgr() const { return gameMgr_.get(); }
    // Null until the player first leaves the start screen.
    ExitDialog* GetExitDialog() const { return exitDialog_.get(); }
    ControlLibrary::IButtonVO* GetHomePageButton() const { return homePageButton_; }

private:
    // How the player asked to leave; a quit that could not save says to do
    // it again.
    enum class Leaving { ByClose, ByMenuExit };
    // At the table: pause it and ask, after the notice when one shows;
    // anywhere else: leave at once.
    void AskToLeave(Leaving how);
    // Saves the players and quits; when the save fails and that was not yet
    // told for a quit, tells it and stays.
    void Leave(Leaving how);

    void CreateTable();
    void CreateHomePageButton();
    void ShowHomePageButton(bool show);
    // Makes the set-up screens and the table, once, when first needed. The
    // start screen is made in Initialize; the others wait until the player
    // leaves it, so that neither the first picture on screen waits for them
    // nor their pictures take memory while the start screen is all there is.
    void MakeLaterScreens();
    bool laterScreensMade_ = false;
    void ReleaseOwnControls();
    // Shows the next problem waiting once the game has started; holds the
    // table while it shows.
    void ShowNotice();
    // Lets the table go on unless the notice, the exit question or the
    // minimised window holds it.
    void ResumeTable();
    // The profile folder in the player's data folder, with what an earlier
    // build left beside the program taken over; the profiles loaded.
    void LoadProfiles();

    ControlLibrary::IButtonVO* homePageButton_ = nullptr;
    KernelLibrary::ISysApp* sysApp_ = nullptr;
    std::string title_;
    std::string version_;
    std::string registryKey_;
    std::unique_ptr<StartMgr> startMgr_;
    std::unique_ptr<GameMgr> gameMgr_;
    std::unique_ptr<SetupRulesMgr> setupRulesMgr_;
    std::unique_ptr<ExitDialog> exitDialog_;
    std::unique_ptr<PlayerFilesNotice> notice_;
    bool started_ = false;
    // The notice paused the table.
    bool noticeHoldsTable_ = false;
    // The window is minimised.
    bool windowMinimized_ = false;
    // The window was closed at the table while the notice showed: the exit
    // question comes once it is answered.
    bool closeWaitsForNotice_ = false;
    // How the player asked to leave the table: the exit question's yes
    // leaves that way.
    Leaving leaving_ = Leaving::ByClose;
    // The save before quitting failed and the player was told: the next
    // quit goes on without it, as long as no save goes through meanwhile
    // (ProfileSavesSoFar() stays at savesWhenQuitTold_).
    bool quitToldUnsaved_ = false;
    size_t savesWhenQuitTold_ = 0;
    ControlLibrary::IFactory* factory_ = nullptr;
    TableShell tableShell_;
    std::unique_ptr<ClickSound> click_;
    WebPages webPages_ = WebPages::On(kWebServer);
};

// The game object the program's main entry hands to the kernel; null when
// it could not be made.
std::unique_ptr<GameImpl> CreateGameObject();

} // namespace Gamespace
