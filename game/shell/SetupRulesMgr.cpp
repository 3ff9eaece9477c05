#include "game/shell/SetupRulesMgr.h"

#include "game/shell/ProfileList.h"

namespace Gamespace {

namespace {

// The screen of each game type: limit, pot limit, no limit, then the three
// tournament kinds.
constexpr size_t kScreenOfGameType[] = {2, 1, 0, 3, 3, 3};

} // namespace

SetupRulesMgr::SetupRulesMgr(GameModuleObserver* observer, uint32_t id) : GameModule(observer, id) {}

SetupRulesMgr::~SetupRulesMgr() = default;

void SetupRulesMgr::Create()
{
    for (auto& screen : screens_)
        screen->Create();
}

void SetupRulesMgr::Release()
{
    for (auto& screen : screens_)
        screen->Release();
}

void SetupRulesMgr::Show()
{
    GameModule::Show();
    if (SetupRulesBase* screen = CurrentScreen())
        screen->Show();
}

void SetupRulesMgr::Hide()
{
    if (SetupRulesBase* screen = CurrentScreen())
        screen->Hide();
    GameModule::Hide();
}

void SetupRulesMgr::RequestQuit()
{
    if (observer_)
        observer_->QuitGame();
}

SetupRulesBase* SetupRulesMgr::CurrentScreen() const
{
    const auto gameType = static_cast<uint32_t>(ProfileList::CurrentProfile()->gameType);
    if (gameType >= std::size(kScreenOfGameType))
        return nullptr;
    const size_t index = kScreenOfGameType[gameType];
    return index < screens_.size() ? screens_[index].get() : nullptr;
}

} // namespace Gamespace
