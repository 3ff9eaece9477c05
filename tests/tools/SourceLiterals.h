// The string literals of the program's sources: every "..." outside
// comments and character literals, with its file and line, from the .cpp and
// .h files below the given folders. The asset tests read the file names the
// code uses from them, so that no hand-kept list can fall behind the code.
#pragma once

#include <string>
#include <vector>

struct SourceLiteral {
    std::string file; // relative to the source root
    int line = 0;
    std::string text; // with escapes resolved
};

std::vector<SourceLiteral> CollectSourceLiterals(const std::string& sourceRoot, const std::vector<std::string>& folders);
// The literals of one source text (exposed for its own test).
std::vector<SourceLiteral> ScanLiterals(const std::string& file, const std::string& text);
