#include "game/shell/SetupRulesMgr.h"

#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesCash.h"
#include "game/shell/SetupRulesTournament.h"

namespace Gamespace {

namespace {

// The screen of each game type: limit, pot limit, no limit, then the three
// tournament kinds.
constexpr size_t kScreenOfGameType[] = {2, 1, 0, 3, 3, 3};

} // namespace

SetupRulesMgr::SetupRulesMgr(GameModuleObserver* observer, uint32_t id) : GameModule(observer, id)
{
    screens_.push_back(std::make_unique<SetupRulesUnlimit>(this));
    screens_.push_back(std::make_unique<SetupRulesPotlimit>(this));
    screens_.push_back(std::make_unique<SetupRulesLimit>(this));
    screens_.push_back(std::make_unique<SetupRulesTournament>(this));
}

SetupRulesMgr::~SetupRulesMgr() = default;

void SetupRulesMgr::Create()
{
    for (auto& screen : screens_)
        screen->Create();
}

void SetupRulesMgr::Release()
{
    shown_ = nullptr;
    for (auto& screen : screens_)
        screen->Release();
}

void SetupRulesMgr::Show()
{
    GameModule::Show();
    if (shown_)
        shown_->Hide();
    shown_ = ScreenFor(static_cast<uint32_t>(ProfileList::CurrentProfile()->gameType));
    if (shown_)
        shown_->Show();
}

void SetupRulesMgr::Hide()
{
    // The tournament screen changes the game type while it is shown; the
    // screen to hide is the one that was shown.
    if (shown_)
        shown_->Hide();
    shown_ = nullptr;
    GameModule::Hide();
}

void SetupRulesMgr::RequestQuit()
{
    if (observer_)
        observer_->QuitGame();
}

SetupRulesBase* SetupRulesMgr::ScreenFor(uint32_t gameType) const
{
    if (gameType >= std::size(kScreenOfGameType))
        return nullptr;
    const size_t index = kScreenOfGameType[gameType];
    return index < screens_.size() ? screens_[index].get() : nullptr;
}

} // namespace Gamespace
