#include "game/shell/StartMgr.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "game/table/ClickSound.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfilesDialog.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/ScreenParts.h"
#include "game/shell/ScreenSize.h"
#include "kernel/Kernel.h"
#include "timing/ITimeObject.h"
#include "timing/ITimeSystem.h"

namespace Gamespace {

namespace {

using namespace screen_parts;
using ControlLibrary::Rect;
using ControlLibrary::RGB;

constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kNewsFont[] = "fonts/a_BosaNova14.txt";
constexpr char kModeImage[] = "images/btn_game_modes.png";
constexpr char kOptionsImage[] = "images/btn_options.png";
constexpr char kProfileCaption[] = "Create";
constexpr RGB kCaptionColour{203, 203, 192};
constexpr RGB kNewsHoverColour{248, 208, 87};
constexpr uint16_t kNewsLayer = 500;
constexpr uint32_t kSpaceKey = 32;
constexpr uint32_t kReturnKey = 13;
constexpr uint32_t kProfileLineHeight = 27;
constexpr uint32_t kProfilesDialogWidth = 380;
constexpr uint32_t kProfilesDialogHeight = 450;

struct Look {
    const char* image; // null: a caption only
    int32_t x;
    std::array<int32_t, 4> tops;
    int16_t w;
    int16_t h;
    int32_t dx; // from the middle of the screen
    int32_t dy;
};

// In the order of StartMgr::Button; the close button stands in the corner.
constexpr std::array<Look, StartMgr::kButtonCount> kLooks{{
    {kModeImage, 0, {0, 48, 102, 152}, 108, 52, 132, -20},   // no limit
    {kModeImage, 334, {0, 48, 102, 152}, 112, 52, 10, -50},  // pot limit
    {kModeImage, 108, {0, 48, 102, 152}, 76, 52, -110, -12}, // limit
    {kModeImage, 186, {0, 49, 103, 152}, 148, 49, 20, 120},  // tournaments
    {kOptionsImage, 0, {2, 45, 89, 130}, 100, 41, -400, 350},
    {nullptr, 0, {0, 0, 0, 0}, 0, kProfileLineHeight, 0, -185},
    {kCloseImage, 0, {0, 32, 0, 0}, 32, 32, 0, 0},
}};

// The game type each mode button chooses.
GameType ModeOf(StartMgr::Button which)
{
    switch (which) {
    case StartMgr::kNoLimit:
        return kGameNoLimit;
    case StartMgr::kPotLimit:
        return kGamePotLimit;
    case StartMgr::kLimit:
        return kGameLimit;
    default:
        return kGameLimitTournament;
    }
}

// The longest start of `text` that `font` draws within `width`.
std::string Fitted(ControlLibrary::IFont* font, std::string text, int16_t width)
{
    while (font && !text.empty() && font->GetStringWidth(text) > width)
        text.pop_back();
    return text;
}

} // namespace

StartMgr::StartMgr(GameModuleObserver* observer, uint32_t id) : GameModule(observer, id) {}

StartMgr::~StartMgr() = default;

void StartMgr::Create()
{
    factory_ = KernelLibrary::GetFactory();
    timeSystem_ = KernelLibrary::GetTimeSystem();
    if (!factory_)
        return;
    factory_->AddSysObserver(this);
    captionFont_ = LoadFont(*factory_, kCaptionFont);
    CreateButtons();
    background_ = MakeBackground(*factory_, kBackground);
    clickSound_ = std::make_unique<ClickSound>(factory_);
    newsFont_ = LoadFont(*factory_, kNewsFont);
    newsLink_ = factory_->CreateLinkVO();
    if (newsLink_) {
        newsLink_->SetFont(newsFont_);
        newsLink_->SetLayer(kNewsLayer);
        newsLink_->SetAlignment(1, 1);
        newsLink_->SetColour(kCaptionColour);
        newsLink_->SetHoverColour(kNewsHoverColour);
        newsLink_->SetShowWithDialog(false);
    }
    if (observer_)
        newsFetcher_ = std::make_unique<NewsFetcher>(*observer_, kHomePageAddress, kDownloadPageAddress);
    CreateTimers();
    profilesDialog_ = std::make_unique<ProfilesDialog>(this);
    profilesDialog_->DialogObject().SetSize(kProfilesDialogWidth, kProfilesDialogHeight);
    // The options dialog is made when it is first asked for: its pictures
    // are not on the first screen, which is drawn without waiting for them.
    PlaceControls();
}

OptionsDialog* StartMgr::GetOptionsDialog()
{
    if (!optionsDialog_ && factory_)
        optionsDialog_ = std::make_unique<OptionsDialog>(this);
    return optionsDialog_.get();
}

void StartMgr::CreateButtons()
{
    for (size_t i = 0; i < buttons_.size(); ++i) {
        ControlLibrary::IButtonVO* button = MakeButton(*factory_, captionFont_, this);
        buttons_[i] = button;
        if (!button)
            continue;
        const Look& look = kLooks[i];
        if (i == kClose)
            button->SetLayer(kCloseLayer);
        if (look.image) {
            button->SetImages({look.image, "", "", ""});
            std::array<Rect, 4> parts{};
            for (size_t s = 0; s < parts.size(); ++s)
                parts[s] = Rect{look.x, look.tops[s], look.w, look.h};
            button->SetSourceRects(parts);
            button->SetSize(uint32_t(look.w), uint32_t(look.h));
        }
    }
    if (ControlLibrary::IButtonVO* profile = buttons_[kProfile]) {
        profile->SetCaption(kProfileCaption);
        profile->SetFaceHidden(true);
        profile->SetSize(captionFont_ ? uint32_t(captionFont_->GetStringWidth(kProfileCaption)) : 0,
                         kProfileLineHeight);
    }
}

void StartMgr::CreateTimers()
{
    if (!timeSystem_)
        return;
    profilesTimer_ = timeSystem_->CreateTimeObject(this, 1, 1);
    newsStartTimer_ = timeSystem_->CreateTimeObject(this, kNewsStartMs, kNewsStartMs);
    newsRotateTimer_ = timeSystem_->CreateTimeObject(this, kNewsRotateMs, kNewsRotateMs);
    if (newsStartTimer_)
        newsStartTimer_->Start(false, 0);
}

void StartMgr::PlaceControls()
{
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    const int32_t cx = int32_t(screen.w / 2);
    const int32_t cy = int32_t(screen.h / 2);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i])
            buttons_[i]->SetPosition(cx + kLooks[i].dx, cy + kLooks[i].dy);
    if (buttons_[kClose])
        buttons_[kClose]->SetPosition(kClosePosition);
    if (background_)
        background_->SetPosition(cx, cy);
    if (newsLink_)
        newsLink_->SetPosition(cx, cy + 350);
}

void StartMgr::Release()
{
    // The timers stop before anything they tell of goes; a notice already
    // posted is dropped with them.
    StopTimers();
    if (timeSystem_)
        for (TimeLibrary::ITimeObject** timer : {&profilesTimer_, &newsStartTimer_, &newsRotateTimer_}) {
            timeSystem_->DestroyTimeObject(*timer);
            *timer = nullptr;
        }
    events_.Purge(this);
    newsFetcher_.reset();
    profilesDialog_.reset();
    optionsDialog_.reset();
    clickSound_.reset();
    if (!factory_)
        return;
    for (ControlLibrary::IButtonVO*& button : buttons_)
        screen_parts::Release(*factory_, button);
    screen_parts::Release(*factory_, background_);
    screen_parts::Release(*factory_, newsLink_);
    factory_->ReleaseFont(captionFont_);
    captionFont_ = nullptr;
    factory_->ReleaseFont(newsFont_);
    newsFont_ = nullptr;
    factory_->RemoveSysObserver(this);
    factory_ = nullptr;
}

void StartMgr::Show()
{
    GameModule::Show();
    if (background_)
        background_->SetVisible(true);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] && i != kClose)
            buttons_[i]->SetVisible(true);
    if (buttons_[kNoLimit])
        buttons_[kNoLimit]->SetFocus(true);
    UpdateProfileLine();
    if (ProfileList::Instance()->Count() == 0 && profilesTimer_)
        profilesTimer_->Start(false, 0);
    if (newsTaken_) {
        newsIndex_ = 0;
        ShowNews();
    } else if (newsFetcher_ && !newsFetcher_->Running() && newsStartTimer_ && !newsStartTimer_->IsRunning()) {
        // A fetch cancelled when the screen was left starts again.
        newsStartTimer_->Start(false, 0);
    }
    // A window has its own close box; a screen the game covers has only
    // this one, also where the option asks for a window the desktop cannot
    // hold.
    if (buttons_[kClose])
        buttons_[kClose]->SetVisible(GameCoversTheScreen(*factory_));
}

void StartMgr::Hide()
{
    StopTimers();
    chooserWaits_ = false;
    events_.Purge(this);
    if (newsFetcher_ && !newsFetcher_->Fetched())
        newsFetcher_->Cancel();
    // The screen's dialogs go with it (a mode chosen by key, or the flow
    // moving on, never leaves one standing over the next screen).
    if (profilesDialog_)
        profilesDialog_->Close();
    if (optionsDialog_)
        optionsDialog_->Show(false);
    if (background_)
        background_->SetVisible(false);
    for (ControlLibrary::IButtonVO* button : buttons_)
        if (button)
            button->SetVisible(false);
    if (newsLink_)
        newsLink_->SetVisible(false);
    GameModule::Hide();
}

void StartMgr::StopTimers()
{
    for (TimeLibrary::ITimeObject* timer : {profilesTimer_, newsStartTimer_, newsRotateTimer_})
        if (timer)
            timer->Stop();
}

void StartMgr::ProcessEvents()
{
    events_.DispatchAll();
    if (chooserWaits_ && !(observer_ && observer_->IsNoticeShown())) {
        chooserWaits_ = false;
        profilesDialog_->Show(true);
    }
    if (!newsTaken_ && newsFetcher_ && newsFetcher_->Fetched()) {
        news_ = newsFetcher_->Items();
        newsTaken_ = true;
        newsIndex_ = 0;
        if (background_ && background_->IsVisible())
            ShowNews();
    }
}

void StartMgr::UpdateProfileLine()
{
    ControlLibrary::IButtonVO* line = buttons_[kProfile];
    if (!line || ProfileList::Instance()->Count() == 0)
        return;
    const std::string caption = "if you not " + ProfileList::CurrentProfile()->name + " click here";
    line->SetCaption(caption);
    line->SetSize(captionFont_ ? uint32_t(captionFont_->GetStringWidth(caption)) : 0, kProfileLineHeight);
}

void StartMgr::ShowNews()
{
    if (!newsLink_)
        return;
    if (news_.empty()) {
        newsLink_->SetVisible(false);
        return;
    }
    ShowNewsItem();
    if (news_.size() > 1 && newsRotateTimer_)
        newsRotateTimer_->Start(false, 0);
    newsLink_->SetVisible(true);
}

void StartMgr::ShowNewsItem()
{
    if (!newsLink_ || newsIndex_ >= news_.size())
        return;
    newsLink_->SetText(Fitted(newsFont_, news_[newsIndex_].text, kNewsWidth));
    newsLink_->SetUrl(news_[newsIndex_].link);
}

void StartMgr::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    const Button which = Which(id);
    switch (which) {
    case kNoLimit:
    case kPotLimit:
    case kLimit:
    case kTournament:
        clickSound_->Play();
        ProfileList::CurrentProfile()->gameType = ModeOf(which);
        Finish(0);
        break;
    case kProfile:
        clickSound_->Play();
        profilesDialog_->Show(true);
        break;
    case kOptions:
        clickSound_->Play();
        GetOptionsDialog()->Show(true);
        break;
    case kClose:
        if (observer_)
            observer_->QuitGame();
        break;
    case kButtonCount:
        break;
    }
}

void StartMgr::OnSysKeyDown(uint32_t key)
{
    if ((key == kSpaceKey || key == kReturnKey) && buttons_[kNoLimit])
        buttons_[kNoLimit]->PerformClick();
}

bool StartMgr::IsSysInputEnabled()
{
    return background_ && background_->IsVisible() && background_->IsEnabled();
}

void StartMgr::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown)
        return;
    if (profilesDialog_ && dialogId == profilesDialog_->GetId()) {
        if (buttons_[kNoLimit])
            buttons_[kNoLimit]->SetFocus(true);
        UpdateProfileLine();
    } else if (optionsDialog_ && dialogId == optionsDialog_->GetId() && buttons_[kClose] && IsActive()) {
        buttons_[kClose]->SetVisible(GameCoversTheScreen(*factory_));
    }
}

void StartMgr::OnTimerFinish(uint32_t id)
{
    events_.Post(this, id, TimerNotice::Finish);
}

void StartMgr::OnQueuedTimer(uint32_t timerId, TimerNotice notice)
{
    if (notice != TimerNotice::Finish)
        return;
    if (profilesTimer_ && timerId == profilesTimer_->GetId()) {
        // Asked for a name over the notice, the player could not read why
        // the players are gone until after answering.
        if (observer_ && observer_->IsNoticeShown())
            chooserWaits_ = true;
        else
            profilesDialog_->Show(true);
    } else if (newsStartTimer_ && timerId == newsStartTimer_->GetId()) {
        if (newsFetcher_)
            newsFetcher_->Start();
    } else if (newsRotateTimer_ && timerId == newsRotateTimer_->GetId() && !news_.empty()) {
        newsIndex_ = (newsIndex_ + 1) % news_.size();
        ShowNewsItem();
        newsRotateTimer_->Start(false, 0);
    }
}

StartMgr::Button StartMgr::Which(uint32_t id) const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] && buttons_[i]->GetId() == id)
            return static_cast<Button>(i);
    return kButtonCount;
}

} // namespace Gamespace
