// The shell's set-up screens and their dialogs on a test factory, with a
// listed, active profile "Ann" for them to read and change, and the sounds
// they played told apart by file.
#pragma once

#include "game/shell/ProfileList.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <string>

class SetupScene : public ShellDialogScene {
protected:
    SetupScene()
    {
        ProfileList::Free();
        auto ann = std::make_unique<Profile>();
        ann->name = "Ann";
        profile_ = ann.get();
        ProfileList::Instance()->Add(ann.release());
        profile_->SetActive(true);
    }
    ~SetupScene() override { ProfileList::Free(); }

    // How often the sound of this file started.
    size_t Played(const std::string& file) const
    {
        size_t count = 0;
        for (const auto& start : host_->music.starts) {
            auto loaded = host_->music.loaded.find(start.id);
            count += loaded != host_->music.loaded.end() && loaded->second == file ? 1 : 0;
        }
        return count;
    }

    Profile& Ann() { return *profile_; }

private:
    Profile* profile_ = nullptr;
};
