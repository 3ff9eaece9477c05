// Taking over a file that an earlier build of the program kept somewhere
// else (beside the program, where every user shared it) into the place this
// build keeps it (the user's data folder), once and without losing anything:
//  - nothing waits at the new place: the file is moved there (copied and
//    then removed when the two places are on different file systems);
//  - the new place holds the same bytes already (an earlier take-over could
//    not remove the old file): the old file is only removed;
//  - the new place holds something else: that stays, and the old file is
//    moved beside it as "<name>.earlier" (".earlier1", ... when taken), or
//    only removed when such a copy holds its bytes already.
// A symbolic link is taken over as a link to the same file. A file that
// cannot be read, written or moved stays where it was; the
// result says why. The old file is removed only once its bytes are safe at
// the new place, so a kill at any moment loses nothing either.
//
// Threads: any; two take-overs of the same files must not run at once.
#pragma once

#include "platform/core/FileSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct TakeOver {
    enum class Outcome {
        NothingThere,   // no file at the old place
        Moved,          // now at the new place
        AlreadyThere,   // the new place held its bytes; the old file is gone (or, when it could not be removed, left)
        KeptBeside,     // the new place holds another file; the old one is kept as `keptAs`
        Failed,         // left where it was; `error` says why
    };
    Outcome outcome = Outcome::NothingThere;
    std::string keptAs;
    FileError error;
};

// Takes the file at `from` over into `to` (whose folder is made when
// missing). Only a regular file is taken; anything else counts as nothing.
TakeOver TakeOverFile(std::string_view from, std::string_view to);

struct TakenFile {
    std::string name; // within the folder
    TakeOver result;
};
// Takes over the files of the folder `from` whose names match `names` (a
// FindFiles pattern: "*" for all of them) into the folder `to`; the others,
// and its sub-folders, stay. First deletes what saves interrupted by a kill
// left there (RemoveInterruptedWrites); removes `from` when that leaves it
// empty. What became of each file, in name order.
std::vector<TakenFile> TakeOverFolder(std::string_view from, std::string_view to, std::string_view names = "*");

} // namespace platform
