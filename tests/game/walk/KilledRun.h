// What a killed run of the game (tests/programs/KilledRunChild.cpp) and the
// walk that kills it (KilledRunsWalkTest.cpp) agree on: where the player's
// profile is on the run's machine, how its content is named in the reports,
// and the descriptor the run reports on, one line each:
//   "step"                         after every step of the program
//   "hand N"                       N hands paid out so far
//   "saved FINGERPRINT N"          the profile file's new content, N hands paid out
#pragma once

#include "game/shell/ProgramInfo.h"

#include <functional>
#include <string>

namespace killed_run {

constexpr int kReportDescriptor = 3;

inline std::string ProfilePathIn(const std::string& machine)
{
    return machine + "/data/" + Gamespace::kProductName + " " + Gamespace::kProductVersion + "/save/Ann_.usr";
}

inline std::string Fingerprint(const std::string& bytes) { return std::to_string(std::hash<std::string>{}(bytes)); }

} // namespace killed_run
