#include "platform/crash/ReportNames.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace platform {

namespace {

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Skips a run of upper-case hex digits and one blank after it; npos when
// the run is missing.
size_t HexThenBlank(const std::string& line, size_t at)
{
    const size_t start = at;
    while (at < line.size() && IsUpperHex(line[at]))
        ++at;
    if (at == start || at >= line.size() || line[at] != ' ')
        return std::string::npos;
    return at + 1;
}

std::string Demangled(const std::string& name)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable ? std::string(readable.get()) : name;
}

// One line without its line end.
std::string DemangleLine(const std::string& line)
{
    size_t at = HexThenBlank(line, 0);
    if (at != std::string::npos)
        at = HexThenBlank(line, at);
    if (at == std::string::npos || line.compare(at, 2, "_Z") != 0)
        return line;
    const size_t module = line.rfind(" (");
    const size_t plus = module == std::string::npos ? module : line.rfind('+', module);
    if (plus == std::string::npos || plus < at)
        return line;
    return line.substr(0, at) + Demangled(line.substr(at, plus - at)) + line.substr(plus);
}

} // namespace

std::string DemangleReportNames(const std::string& report)
{
    std::string out;
    out.reserve(report.size() + report.size() / 2);
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        end = end == std::string::npos ? report.size() : end + 1;
        size_t body = end;
        while (body > start && (report[body - 1] == '\n' || report[body - 1] == '\r'))
            --body;
        out += DemangleLine(report.substr(start, body - start));
        out.append(report, body, end - body);
        start = end;
    }
    return out;
}

} // namespace platform
