// The tools' answer to "--help" (or "-h") anywhere on their command line:
// the usage text on standard output and exit code 0, before anything is
// done with the other arguments (a tool that takes a file name would
// otherwise make a file named "--help").
//
// Threads: main only.
#pragma once

#include <cstdio>
#include <cstring>

namespace tools {

// True, once `usage` is printed, when an argument asks for help.
inline bool AnswerHelp(int argc, char** argv, const char* usage)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s\n", usage);
            return true;
        }
    }
    return false;
}

} // namespace tools
