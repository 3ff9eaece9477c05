// The start screen (module id 1), the first screen the player sees: the game
// modes, the options, the player profiles, the news line. Choosing a game
// mode finishes the module, which leads to the set-up screen.
//
// For now an empty screen: it only keeps the module's active flag (the game
// object shows its home-page button over it). The screen's controls come
// with the start screen itself.
//
// Threads: the main thread.
#pragma once

#include "game/table/GameModule.h"

namespace Gamespace {

class StartMgr final : public GameModule {
public:
    static constexpr uint32_t kModuleId = 1;

    // Nothing is built before Create; the toolkit need not exist yet.
    StartMgr(GameModuleObserver* observer, uint32_t id) : GameModule(observer, id) {}
};

} // namespace Gamespace
