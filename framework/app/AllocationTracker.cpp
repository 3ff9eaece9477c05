#include "framework/app/AllocationTracker.h"

#include "framework/base/StringUtils.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <vector>

namespace Zolt {

AllocationTracker& AllocationTracker::Instance()
{
    static AllocationTracker tracker;
    return tracker;
}

void AllocationTracker::Record(const void* block, size_t size, const char* file, int line)
{
    if (block == nullptr) {
        return;
    }
    CriticalSectionLock guard(lock_);
    blocks_[block] = Block{nextSequence_++, size, file != nullptr ? file : "", line};
}

void AllocationTracker::Forget(const void* block)
{
    CriticalSectionLock guard(lock_);
    blocks_.erase(block);
}

size_t AllocationTracker::BlockCount()
{
    CriticalSectionLock guard(lock_);
    return blocks_.size();
}

void AllocationTracker::SetReportAtExit(bool on)
{
    CriticalSectionLock guard(lock_);
    reportAtExit_ = on;
}

bool AllocationTracker::ReportAtExit()
{
    CriticalSectionLock guard(lock_);
    return reportAtExit_;
}

std::string AllocationTracker::BuildReport(const std::string& programName)
{
    std::vector<Block> live;
    {
        CriticalSectionLock guard(lock_);
        for (const auto& entry : blocks_) {
            live.push_back(entry.second);
        }
    }
    std::sort(live.begin(), live.end(),
              [](const Block& a, const Block& b) { return a.sequence < b.sequence; });

    std::string report = FormatString("Memory Leak Report for %s\n", programName.c_str());
    uint64_t total = 0;
    for (const Block& block : live) {
        report += FormatString("%s(%d) : Leak %d byte%s\n", block.file.c_str(), block.line,
                               static_cast<int>(block.size), block.size >= 2 ? "s" : "");
        total += block.size;
    }
    report += std::string(59, '-') + "\n";
    report += FormatString("Total Unfreed: %d bytes (%dKB)\n\n", static_cast<int>(total),
                           static_cast<int>(total / 1024));
    return report;
}

bool AllocationTracker::WriteReport(const std::string& programName, const std::string& path)
{
    const std::string report = BuildReport(programName);
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        end = end == std::string::npos ? report.size() : end + 1;
        platform::OutputDebugString(std::string_view(report).substr(start, end - start));
        start = end;
    }
    return platform::WriteFileAtomic(path, report);
}

void AllocationTracker::OnProgramExit(const std::string& programName)
{
    if (ReportAtExit()) {
        WriteReport(programName, "mem_leaks.txt");
    }
}

} // namespace Zolt
