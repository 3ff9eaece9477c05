#include "framework/app/TunableValues.h"

#include "framework/base/PathUtils.h"
#include "framework/base/StringUtils.h"
#include "framework/resources/TunableNumber.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

constexpr char kTag[] = "ZOLTMODVAL";
constexpr char kCallName[] = "ZOLT_MODVAL";

struct Entry {
    Zolt::TunableRecord* record;
    int line;
    int index;
};
using Registry = std::map<std::string, std::vector<Entry>, NoCaseCompare>;
// (line, index among the calls of that line) -> value
using FoundValues = std::map<std::pair<int, int>, double>;

struct Box {
    std::string text;
    std::string caption;
};

// Guards the three values below.
std::mutex gMutex;
std::vector<Zolt::TunableRecord*> gRecords;
bool gReloadedOnce = false;
uint64_t gLastReloadTime = 0; // seconds since 1970

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "file12,3" into its non-empty file name, line and index.
bool ParseLocation(const char* location, std::string& file, int& line, int& index)
{
    if (location == nullptr) {
        return false;
    }
    const std::string text = location;
    const size_t comma = text.rfind(',');
    if (comma == std::string::npos) {
        return false;
    }
    const std::string indexText = text.substr(comma + 1);
    size_t lineStart = comma;
    while (lineStart > 0 && text[lineStart - 1] >= '0' && text[lineStart - 1] <= '9') {
        --lineStart;
    }
    const std::string lineText = text.substr(lineStart, comma - lineStart);
    if (lineStart == 0 || !AllDigits(lineText) || !AllDigits(indexText)) {
        return false;
    }
    file = text.substr(0, lineStart);
    return ParseInt(lineText, line) && ParseInt(indexText, index);
}

Registry BuildRegistry()
{
    Registry registry;
    for (Zolt::TunableRecord* record : gRecords) {
        std::string file;
        int line = 0;
        int index = 0;
        if (std::memcmp(record->tag, kTag, sizeof kTag - 1) == 0 &&
            ParseLocation(record->location, file, line, index)) {
            registry[file].push_back(Entry{record, line, index});
        }
    }
    return registry;
}

bool IsIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Finds every ZOLT_MODVAL(number) of a source file outside comments, string
// and character literals and preprocessor lines. On failure `error` holds the
// message and nothing found counts.
class SourceScanner {
public:
    SourceScanner(const std::string& file, const std::string& source) : file_(file), s_(source) {}

    bool Scan(FoundValues& values, std::string& error)
    {
        bool lineStart = true;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            const char next = i_ + 1 < s_.size() ? s_[i_ + 1] : '\0';
            if (c == '\n') {
                NewLine();
                lineStart = true;
                ++i_;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i_;
                continue;
            }
            if (lineStart && c == '#') {
                SkipToLineEnd();
                continue;
            }
            lineStart = false;
            if (c == '/' && next == '/') {
                if (!SkipToLineEnd()) {
                    error = FormatString("ERROR in %s on line %d: Unterminated C++-style comment", file_.c_str(), line_);
                    return false;
                }
            } else if (c == '/' && next == '*') {
                const int startLine = line_;
                if (!SkipBlockComment()) {
                    error = FormatString("ERROR in %s on line %d: Unterminated C-style comment", file_.c_str(), startLine);
                    return false;
                }
            } else if (c == '"' || c == '\'') {
                if (!SkipLiteral(c)) {
                    error = FormatString("ERROR in %s on line %d: Error parsing quotes", file_.c_str(), line_);
                    return false;
                }
            } else if (IsIdentifierChar(c)) {
                const size_t start = i_;
                while (i_ < s_.size() && IsIdentifierChar(s_[i_])) {
                    ++i_;
                }
                if (s_.compare(start, i_ - start, kCallName) == 0 && !ReadCall(values)) {
                    error = FormatString("ERROR in %s on line %d.  Parsing Error.", file_.c_str(), line_);
                    return false;
                }
            } else {
                ++i_;
            }
        }
        return true;
    }

private:
    void NewLine()
    {
        ++line_;
        callsOnLine_ = 0;
    }

    // To the end of the line, following backslash continuations; false when
    // the file ends inside a continued line.
    bool SkipToLineEnd()
    {
        while (i_ < s_.size() && s_[i_] != '\n') {
            if (s_[i_] == '\\' && ContinuesLine(i_ + 1)) {
                i_ = s_.find('\n', i_);
                NewLine();
                if (i_ + 1 >= s_.size()) {
                    return false;
                }
            }
            ++i_;
        }
        return true;
    }

    bool ContinuesLine(size_t pos) const
    {
        while (pos < s_.size() && s_[pos] == '\r') {
            ++pos;
        }
        return pos < s_.size() && s_[pos] == '\n';
    }

    bool SkipBlockComment()
    {
        i_ += 2;
        while (i_ + 1 < s_.size() && !(s_[i_] == '*' && s_[i_ + 1] == '/')) {
            if (s_[i_] == '\n') {
                NewLine();
            }
            ++i_;
        }
        if (i_ + 1 >= s_.size()) {
            i_ = s_.size();
            return false;
        }
        i_ += 2;
        return true;
    }

    // A literal ends on its own line, escapes aside.
    bool SkipLiteral(char quote)
    {
        ++i_;
        while (i_ < s_.size() && s_[i_] != quote) {
            if (s_[i_] == '\n') {
                return false;
            }
            if (s_[i_] == '\\' && i_ + 1 < s_.size()) {
                if (ContinuesLine(i_ + 1)) {
                    i_ = s_.find('\n', i_);
                    NewLine();
                } else {
                    ++i_;
                }
            }
            ++i_;
        }
        if (i_ >= s_.size()) {
            return false;
        }
        ++i_;
        return true;
    }

    // After the call's name: "(" and the number; a name without "(" is a
    // mention, not a call.
    bool ReadCall(FoundValues& values)
    {
        size_t pos = i_;
        while (pos < s_.size() && (s_[pos] == ' ' || s_[pos] == '\t')) {
            ++pos;
        }
        if (pos >= s_.size() || s_[pos] != '(') {
            return true;
        }
        ++pos;
        while (pos < s_.size() && (s_[pos] == ' ' || s_[pos] == '\t')) {
            ++pos;
        }
        double value = 0.0;
        if (!ParseTunableNumber(s_.c_str() + pos, value)) {
            return false;
        }
        values[{line_, callsOnLine_++}] = value;
        i_ = pos;
        return true;
    }

    const std::string& file_;
    const std::string& s_;
    size_t i_ = 0;
    int line_ = 1;
    int callsOnLine_ = 0;
};

} // namespace

namespace Zolt {

void RegisterTunableRecord(TunableRecord* record)
{
    if (record == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    gRecords.push_back(record);
}

void ClearTunableRecords()
{
    std::lock_guard<std::mutex> lock(gMutex);
    gRecords.clear();
    gReloadedOnce = false;
    gLastReloadTime = 0;
}

} // namespace Zolt

void ReloadTunableValues(const Zolt::TunableMessageBox& showBox)
{
    std::vector<Box> boxes;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        const Registry registry = BuildRegistry();
        std::map<std::string, uint64_t, NoCaseCompare> times;
        for (const auto& [file, entries] : registry) {
            times[file] = GetFileTimeUnix(file);
        }
        if (!gReloadedOnce) {
            gReloadedOnce = true;
            for (const auto& [file, time] : times) {
                gLastReloadTime = std::max(gLastReloadTime, time);
            }
        }

        bool anyChanged = false;
        uint64_t newest = gLastReloadTime;
        for (const auto& [file, entries] : registry) {
            const uint64_t time = times[file];
            if (time <= gLastReloadTime) {
                continue;
            }
            anyChanged = true;
            newest = std::max(newest, time);
            std::string source;
            if (!platform::ReadWholeFile(file, &source)) {
                boxes.push_back({"ERROR: Unable to open " + file + " for reparsing.", "MODVAL ERROR!"});
                continue;
            }
            FoundValues values;
            std::string error;
            if (!SourceScanner(file, source).Scan(values, error)) {
                boxes.push_back({error, "MODVAL ERROR"});
                continue;
            }
            for (const Entry& entry : entries) {
                const auto found = values.find({entry.line, entry.index});
                if (found != values.end()) {
                    entry.record->value = found->second;
                }
            }
        }
        gLastReloadTime = newest;

        if (!anyChanged) {
            std::string text = "WARNING: No file changes detected.  Files parsed: \r\n  ";
            if (registry.empty()) {
                text += "none";
            }
            bool first = true;
            for (const auto& [file, entries] : registry) {
                if (!first) {
                    text += "\r\n  ";
                }
                text += file;
                first = false;
            }
            boxes.push_back({text, "MODVAL WARNING!"});
        }
    }
    if (showBox) {
        for (const Box& box : boxes) {
            showBox(box.text, box.caption);
        }
    }
}
