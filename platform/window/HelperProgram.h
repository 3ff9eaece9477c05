// A helper program of the desktop that shows a dialog for the program (the
// list to choose from and the text entry, through zenity): started with an
// argument vector (never a shell), what it prints collected. It never
// outlives the program: the system ends it the moment the program ends,
// however that comes (a crash, SIGKILL), and a request to end the session
// (SIGTERM and its kin, noted by SessionEndSignals) ends it at once and
// gives up its answer. It holds none of the program's descriptors (the
// single-copy lock, the display connection).
//
// Threads: the thread that shows the dialog; it waits there.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct HelperResult {
    int exitCode = -1; // -1 when it did not end by itself
    std::string output;
    // The session ended while it was up: it was ended, its answer dropped.
    bool interrupted = false;
};

// Runs `args[0]` (looked up on PATH) to its end; nothing when it is not
// installed or cannot be started.
std::optional<HelperResult> RunHelperProgram(const std::vector<std::string>& args);

} // namespace platform
