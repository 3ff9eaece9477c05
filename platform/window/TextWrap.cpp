#include "platform/window/TextWrap.h"

namespace platform {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string ExpandTabs(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == '\t')
            out.append(8 - out.size() % 8, ' ');
        else
            out += c;
    }
    return out;
}

// The longest start of `line` within the width: at least one character, so
// that a box narrower than a character still moves on.
size_t FittingLength(const std::string& line, const WrapRule& rule)
{
    size_t lo = 1;
    size_t hi = line.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (rule.measure(line.substr(0, mid)) <= rule.width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (rule.utf8) {
        while (lo > 1 && lo < line.size() && IsContinuation(line[lo]))
            --lo;
        while (lo < line.size() && IsContinuation(line[lo]))
            ++lo; // a first character wider than the box goes whole
    }
    return lo;
}

void WrapParagraph(std::string rest, const WrapRule& rule, std::vector<std::string>& lines)
{
    while (rule.measure(rest) > rule.width) {
        const size_t fits = FittingLength(rest, rule);
        if (fits >= rest.size())
            break;
        // The last blank within the fitting part, or right after it; the
        // blanks that start the line are its indent, not a break.
        const size_t indent = rest.find_first_not_of(' ');
        const size_t blank = rest.rfind(' ', fits);
        if (blank != std::string::npos && indent != std::string::npos && blank > indent) {
            lines.push_back(rest.substr(0, blank));
            rest.erase(0, blank + 1);
        } else {
            lines.push_back(rest.substr(0, fits));
            rest.erase(0, fits);
        }
    }
    lines.push_back(rest);
}

// The line cut, a character at a time, until it fits with `ellipsis` after it.
std::string CutToFit(std::string line, const std::string& ellipsis, const WrapRule& rule)
{
    while (!line.empty() && rule.measure(line + ellipsis) > rule.width) {
        // One character off the end: its trailing bytes, then its first.
        while (rule.utf8 && !line.empty() && IsContinuation(line.back()))
            line.pop_back();
        if (!line.empty())
            line.pop_back();
    }
    return line + ellipsis;
}

} // namespace

std::vector<std::string> WrapText(const std::string& text, const WrapRule& rule)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        WrapParagraph(ExpandTabs(line), rule, lines);
        if (last)
            break;
        start = end + 1;
    }
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string FitOneLine(std::string line, const std::string& ellipsis, const WrapRule& rule)
{
    if (rule.measure(line) <= rule.width)
        return line;
    return CutToFit(std::move(line), ellipsis, rule);
}

void KeepFirstLines(std::vector<std::string>& lines, size_t maxLines, const std::string& ellipsis,
                    const WrapRule& rule)
{
    if (lines.size() <= maxLines || maxLines == 0)
        return;
    lines.resize(maxLines);
    lines.back() = CutToFit(std::move(lines.back()), ellipsis, rule);
}

std::string FitForSystemBox(const std::string& utf8)
{
    WrapRule rule;
    rule.width = 80;
    rule.utf8 = true;
    rule.measure = [](const std::string& text) {
        int characters = 0;
        for (char c : text)
            characters += IsContinuation(c) ? 0 : 1;
        return characters;
    };
    std::vector<std::string> lines = WrapText(utf8, rule);
    KeepFirstLines(lines, 24, "...", rule);
    std::string fitted;
    for (const std::string& line : lines)
        fitted += (fitted.empty() ? "" : "\n") + line;
    return fitted;
}

} // namespace platform
