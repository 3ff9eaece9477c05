// The start screen (module id 1), the first screen the player sees: four
// game modes (no limit, pot limit, limit, tournaments), the options, a line
// naming the current player that opens the player chooser, a close button
// (in full screen, where the window has no close box), and at the bottom a
// news line that opens its web address when clicked.
//
// Choosing a game mode writes it into the current profile and finishes the
// module, which leads to the set-up screens. With no player at all, the
// chooser opens by itself (and asks for the first name), once the game's
// notice, which may say why no player is left, has been read. Half a second
// after the screen was built, a worker fetches the version note and the
// news line (NewsFetcher); the screen shows them once they are in, and
// shows them in turn every five seconds when there are two. Leaving the
// screen cancels a fetch still under way (it starts again when the screen
// comes back); Release joins it.
//
// Its time objects only post their notices (TableEventQueue); the game
// object hands them over once per frame (ProcessEvents), so everything the
// screen does happens on the main thread.
//
// Threads: the main thread (the kernel's calls through the game object,
// input observers, ProcessEvents); the time objects' callbacks on the time
// thread only post. The news worker is NewsFetcher's.
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "game/shell/NewsFetcher.h"
#include "game/table/GameModule.h"
#include "game/table/TableEventQueue.h"
#include "timing/TimeObjectMessageObserver.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IFactory;
class IFont;
class IImageVO;
class ILinkVO;
} // namespace ControlLibrary
namespace TimeLibrary {
class ITimeObject;
class ITimeSystem;
} // namespace TimeLibrary

namespace Gamespace {

class ClickSound;
class OptionsDialog;
class ProfilesDialog;

class StartMgr final : public GameModule,
                       public ControlLibrary::MouseMessageObserver,
                       public ControlLibrary::KeybdSysMessageObserver,
                       public ControlLibrary::DialogMessageObserver,
                       public TimeLibrary::TimeObjectMessageObserver,
                       public TimerTarget {
public:
    static constexpr uint32_t kModuleId = 1;
    static constexpr char kBackground[] = "images/game_fon/fon_start.jpg";
    static constexpr int kNewsStartMs = 500;
    static constexpr int kNewsRotateMs = 5000;
    // The news line stays clear of the options button beside it.
    static constexpr int16_t kNewsWidth = 680;

    enum Button { kNoLimit, kPotLimit, kLimit, kTournament, kOptions, kProfile, kClose, kButtonCount };

    // Nothing is built before Create; the toolkit need not exist yet.
    StartMgr(GameModuleObserver* observer, uint32_t id);
    ~StartMgr() override;

    // ---- GameModule ----
    void Create() override;
    void Release() override;
    void Show() override;
    void Hide() override;

    // Runs the notices of the screen's time objects and takes the news once
    // the worker has it; once per frame, on the main thread.
    void ProcessEvents();

    void OnMouseUp(uint32_t id, int32_t button) override;
    // Space and Return choose no limit.
    void OnSysKeyDown(uint32_t key) override;
    // While the screen shows and no dialog stands over it.
    bool IsSysInputEnabled() override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    void OnTimerFinish(uint32_t id) override;
    void OnQueuedTimer(uint32_t timerId, TimerNotice notice) override;

    // What tests and walks look at (null before Create).
    ControlLibrary::IButtonVO* GetButton(Button which) const { return buttons_[which]; }
    ControlLibrary::ILinkVO* GetNewsLink() const { return newsLink_; }
    ProfilesDialog* GetProfilesDialog() const { return profilesDialog_.get(); }
    // Made at the first call after Create (null before).
    OptionsDialog* GetOptionsDialog();
    NewsFetcher* GetNewsFetcher() const { return newsFetcher_.get(); }

private:
    void CreateButtons();
    void CreateTimers();
    void PlaceControls();
    void UpdateProfileLine();
    void ShowNews();
    void ShowNewsItem();
    // The button with this id, or kButtonCount.
    Button Which(uint32_t id) const;
    void StopTimers();

    ControlLibrary::IFactory* factory_ = nullptr;
    TimeLibrary::ITimeSystem* timeSystem_ = nullptr;
    std::array<ControlLibrary::IButtonVO*, kButtonCount> buttons_{};
    ControlLibrary::IImageVO* background_ = nullptr;
    std::unique_ptr<ClickSound> clickSound_;
    ControlLibrary::ILinkVO* newsLink_ = nullptr;
    std::unique_ptr<ProfilesDialog> profilesDialog_;
    TimeLibrary::ITimeObject* profilesTimer_ = nullptr;
    TimeLibrary::ITimeObject* newsStartTimer_ = nullptr;
    TimeLibrary::ITimeObject* newsRotateTimer_ = nullptr;
    std::unique_ptr<OptionsDialog> optionsDialog_;
    ControlLibrary::IFont* captionFont_ = nullptr;
    ControlLibrary::IFont* newsFont_ = nullptr;
    std::unique_ptr<NewsFetcher> newsFetcher_;
    // Taken from the worker once it has fetched; the main thread's own.
    std::vector<NewsItem> news_;
    size_t newsIndex_ = 0;
    bool newsTaken_ = false;
    // The chooser is due and waits for the game's notice to be answered.
    bool chooserWaits_ = false;
    TableEventQueue events_;
};

} // namespace Gamespace
