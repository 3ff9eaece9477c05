// Breaking a text into lines no wider than a box, the one way every box of
// the program does it (the drawn message box, the crash window's report,
// the text handed to the system's box): at the text's own line ends ("\r\n"
// or "\n"), then after the last blank that fits (the blank itself is not
// kept), and inside a word too long for a line. Tabs stand at every eighth
// column. A text too long for its box keeps its first lines, the last ending
// in an ellipsis.
//
// Threads: pure functions; any thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

struct WrapRule {
    // The width of a run of text, in whatever unit `width` is.
    std::function<int(const std::string&)> measure;
    int width = 0;
    // Lines are never broken inside a UTF-8 sequence (the text is UTF-8
    // rather than single bytes).
    bool utf8 = false;
};

std::vector<std::string> WrapText(const std::string& text, const WrapRule& rule);

// The line as it is when it fits the width, else cut to fit with `ellipsis`
// at its end.
std::string FitOneLine(std::string line, const std::string& ellipsis, const WrapRule& rule);
// Keeps the first `maxLines` lines; when some are dropped the last kept one
// ends in `ellipsis`, cut as needed to keep within the width.
void KeepFirstLines(std::vector<std::string>& lines, size_t maxLines, const std::string& ellipsis,
                    const WrapRule& rule);

// A UTF-8 text fitted for a box the program does not lay out itself (SDL's
// box grows with its longest line and its count of lines, past the screen's
// edges): lines of at most 80 characters, at most 24 of them.
std::string FitForSystemBox(const std::string& utf8);

} // namespace platform
