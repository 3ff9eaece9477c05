// The set-up module (module id 4), between the start screen and the table:
// the player picks a cash table or a tournament on one of its four set-up
// screens. The module has no controls of its own: it builds and destroys the
// screens together, shows the one that fits the current profile's game type
// and passes the screens' reports on to the game object.
//
// The screens come with the set-up screens themselves; until then the list
// is empty and the module shows nothing.
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
    // Active, and the screen of the current game type shown.
    void Show() override;
    void Hide() override;

    void OnSetupDone(uint32_t result) override { Finish(result); }
    void RequestQuit() override;

private:
    // The screen of the current profile's game type, or null.
    SetupRulesBase* CurrentScreen() const;

    // No-limit, pot-limit, limit, tournament, in that order.
    std::vector<std::unique_ptr<SetupRulesBase>> screens_;
};

} // namespace Gamespace
