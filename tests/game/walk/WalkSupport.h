// What the walks share: which module the game shows, and the profile files
// of a scripted player's machine, written before the program starts as an
// earlier run would have left them and read back after it ended as the next
// run will find them.
#pragma once

#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "platform/core/FileSystem.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace walk {

// Which module is shown: "start", "set-up", "table", or a list of several.
inline std::string ShownModules(Gamespace::GameImpl& game)
{
    std::string shown;
    auto add = [&](bool active, const char* name) {
        if (active)
            shown += shown.empty() ? name : std::string("+") + name;
    };
    add(game.GetStartMgr().IsActive(), "start");
    add(game.GetSetupRulesMgr().IsActive(), "set-up");
    add(game.GetGameMgr()->IsActive(), "table");
    return shown;
}

inline std::string ProfilePath(const ScriptedPlayer& player, const std::string& name)
{
    return player.ProgramFolder() + "/save/" + name + "_.usr";
}

inline std::string ProfileBytes(const ScriptedPlayer& player, const std::string& name)
{
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(ProfilePath(player, name), &bytes)) << name;
    return bytes;
}

// Saves `profile` into the player's "save/" folder; the file's bytes.
inline std::string PutProfile(const ScriptedPlayer& player, Profile& profile)
{
    const std::string previous = platform::GetCurrentDirectory();
    platform::SetCurrentDirectory(player.ProgramFolder());
    EXPECT_TRUE(SaveProfile(profile));
    platform::SetCurrentDirectory(previous);
    return ProfileBytes(player, profile.name);
}

inline void PutProfileBytes(const ScriptedPlayer& player, const std::string& name, const std::string& bytes)
{
    EXPECT_TRUE(platform::WriteFileAtomic(ProfilePath(player, name), bytes));
}

// The profile as the file on disk holds it now.
inline std::unique_ptr<Profile> ProfileOnDisk(const ScriptedPlayer& player, const std::string& name)
{
    auto profile = std::make_unique<Profile>();
    EXPECT_TRUE(LoadProfile(*profile, ProfilePath(player, name))) << name;
    return profile;
}

} // namespace walk
