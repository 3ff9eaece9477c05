// A screen module of the game (the start screen, the set-up screens, the
// table) and the game's side of the modules. The game shows exactly one
// module at a time; a module that is done calls Finish, and the game moves on.
// It lives with the table, whose GameMgr is one of the modules; the shell's
// screens build on it from above.
//
// Threads: the main thread.
#pragma once

#include <cstdint>
#include <string>

namespace Gamespace {

class GameModuleObserver {
public:
    virtual ~GameModuleObserver() = default;
    virtual void OnModuleDone(uint32_t /*moduleId*/) {}
    // Asks to leave the game (the exit question).
    virtual void RequestExit() {}
    virtual void QuitGame() {}
    // What the version check and the news fetch found (the start screen's).
    virtual bool IsLatestVersion() { return true; }
    virtual std::string GetNewsText() { return std::string(); }
    // A message the player must read first stands on the screen: a dialog
    // that would open by itself waits until it is answered.
    virtual bool IsNoticeShown() { return false; }
};

class GameModule {
public:
    GameModule(GameModuleObserver* observer, uint32_t id) : observer_(observer), id_(id) {}
    virtual ~GameModule() = default;
    virtual uint32_t GetId() { return id_; }
    // Builds and destroys the module's controls.
    virtual void Create() {}
    virtual void Release() {}
    virtual void Show() { active_ = true; }
    virtual void Hide() { active_ = false; }
    virtual bool IsActive() { return active_; }

    // Stores the result and tells the observer that this module is done.
    void Finish(uint32_t result)
    {
        result_ = result;
        if (observer_ != nullptr)
            observer_->OnModuleDone(GetId());
    }
    uint32_t GetResult() const { return result_; }

protected:
    GameModuleObserver* observer_;
    uint32_t id_;
    uint32_t result_ = 2;
    bool active_ = false;
};

} // namespace Gamespace
