// The set-up module (module id 4), between the start screen and the table:
// the player picks a cash table or a tournament on one of its four set-up
// screens. The module has no controls of its own: it builds and destroys the
// screens together, shows the one that fits the current profile's game type
// and passes the screens' reports on to the game object.
//
// Threads: the main thread.
#pragma once

#include "game/shell/SetupRulesBase.h"
#include "game/table/GameModule.h"

#include <memory>
#include <vector>

namespace Gamespace {

class SetupRulesMgr final : public GameModule, public SetupRulesObserver {
public:
    static constexpr uint32_t kModuleId = 4;

    // Nothing is built before Create; the toolkit need not exist yet.
    SetupRulesMgr(GameModuleObserver* observer, uint32_t id);
    ~SetupRulesMgr() override;

    void Create() override;
    void Release() override;
    // Active, and the screen of the current game type shown (none for a
    // game type outside the six).
    void Show() override;
    // The screen shown is hidden, whatever the game type is by now.
    void Hide() override;

    void OnSetupDone(uint32_t result) override { Finish(result); }
    void RequestQuit() override;

    // What tests and tools look at: the screen for `gameType` (null for a
    // game type outside the six), and the screen shown (null when none).
    SetupRulesBase* ScreenFor(uint32_t gameType) const;
    SetupRulesBase* ShownScreen() const { return shown_; }

private:
    // No-limit, pot-limit, limit, tournament, in that order.
    std::vector<std::unique_ptr<SetupRulesBase>> screens_;
    SetupRulesBase* shown_ = nullptr;
};

} // namespace Gamespace
