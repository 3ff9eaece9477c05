// The player profiles an earlier build kept in "save/" beside the program,
// where every user of one copy shared one list (and a copy installed where
// the user may not write could keep none), taken over into the user's own
// profile folder the first time this build starts: each file is moved, or,
// when the profile folder has another of that name already, kept beside it
// as "<file>.earlier"; nothing is lost (platform/core/FileTakeover.h). Each
// file taken over is said on standard error.
//
// Threads: the main thread, before the profiles are loaded.
#pragma once

#include <string>
#include <vector>

// Takes the files of `earlier` over into `folder` (both ending with their
// separator). The names of the profiles that could not be moved: they stay
// in `earlier`, to be read from there.
std::vector<std::string> TakeOverEarlierProfiles(const std::string& earlier, const std::string& folder);
