// The four set-up screens (the tournament screen and the limit, pot-limit
// and no-limit cash-table screens) as the set-up module drives them, and the
// way a screen reports back to the module.
//
// Threads: the main thread.
#pragma once

#include <cstdint>

namespace Gamespace {

class SetupRulesObserver {
public:
    virtual ~SetupRulesObserver() = default;
    // The screen is done: 0 opens the table, 1 goes back to the start screen.
    virtual void OnSetupDone(uint32_t result) = 0;
    // The player ends the game from the screen.
    virtual void RequestQuit() = 0;
};

class SetupRulesBase {
public:
    // `observer` (not owned) hears the screen's reports.
    explicit SetupRulesBase(SetupRulesObserver* observer) : observer_(observer) {}
    virtual ~SetupRulesBase() = default;
    SetupRulesBase(const SetupRulesBase&) = delete;
    SetupRulesBase& operator=(const SetupRulesBase&) = delete;

    // Builds every control of the screen (once, before the first Show).
    virtual void Create() = 0;
    // Destroys the screen's controls.
    virtual void Release() = 0;
    // Makes the screen visible and fills it from the current profile.
    virtual void Show() = 0;
    // Makes every control of the screen invisible.
    virtual void Hide() = 0;

protected:
    SetupRulesObserver* observer_;
};

} // namespace Gamespace
