// What a killed run of the game (tests/programs/KilledRunChild.cpp) and the
// walks that kill it (KilledRunsWalkTest.cpp) agree on: how a run is started,
// where the player's profile is on the run's machine, how its content and
// the options are named in the reports, and the descriptor the run reports
// on, one line each:
//   "step"                         after every step of the program
//   "seated LEVEL SECONDS"         sat at the table: the level and its time left
//   "hand N LEVEL"                 N hands paid out so far, the last at LEVEL
//   "saved FINGERPRINT N"          the profile file's new content, N hands paid out
//   "click OPTION"                 about to click a button of OPTION
//   "chose OPTIONS"                the options the program holds after the click
#pragma once

#include "game/shell/ProgramInfo.h"

#include <cstdint>
#include <functional>
#include <string>

namespace killed_run {

constexpr int kReportDescriptor = 3;

// The helper program's first argument: what the run does.
constexpr char kPlays[] = "plays";     // plays MACHINE TOURNAMENT NEW_GAME
constexpr char kChooses[] = "chooses"; // chooses MACHINE SEED

// Big game N: ten players, ten-minute levels, three re-buys: a long game.
constexpr uint16_t kBigGameN = 3;

// The four options, in the order OptionsText gives them.
constexpr const char* kOptionValues[] = {"SoundVol", "SoundEffVol", "Speed", "FullScreen"};

inline std::string ProfilePathIn(const std::string& machine)
{
    return machine + "/data/" + Gamespace::kProductName + " " + Gamespace::kProductVersion + "/save/Ann_.usr";
}

inline std::string Fingerprint(const std::string& bytes) { return std::to_string(std::hash<std::string>{}(bytes)); }

// The options the program holds: "sound effects speed full-screen".
inline std::string OptionsText(uint32_t sound, uint32_t effects, uint32_t speed, uint32_t fullScreen)
{
    return std::to_string(sound) + " " + std::to_string(effects) + " " + std::to_string(speed) + " " +
           std::to_string(fullScreen);
}

} // namespace killed_run
