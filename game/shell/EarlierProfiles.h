// The player profiles an earlier build kept in "save/" beside the program,
// where every user of one copy shared one list (and a copy installed where
// the user may not write could keep none), taken over into the user's own
// profile folder the first time this build starts: each profile file is
// moved, or, when the profile folder has another of that name already, kept
// beside it as "<file>.earlier"; nothing is lost
// (platform/core/FileTakeover.h). Files there that are no profiles stay
// where they are. A file moved is said on standard error; one kept beside or
// left where it was is a problem to tell the player.
//
// Threads: the main thread, before the profiles are loaded.
#pragma once

#include "kernel/PlayerProblems.h"

#include <string>
#include <vector>

// Takes the profile files of `earlier` over into `folder` (both ending with
// their separator); adds to `problems` those to tell. The paths of the
// profiles that could not be moved: they stay in `earlier`, to be read from
// there.
std::vector<std::string> TakeOverEarlierProfiles(const std::string& earlier, const std::string& folder,
                                                 std::vector<KernelLibrary::Problem>* problems);
