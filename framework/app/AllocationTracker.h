// The allocation tracker behind the memory-leak report. Blocks are recorded
// with the source position that allocated them; at exit, when the report
// switch is on, the blocks still allocated are written to "mem_leaks.txt"
// and to the debugger output. The program leaves the switch off and records
// nothing, so in normal runs the report is never written.
//
// Threads: any thread may record and forget blocks; the tracker's critical
// section guards its table and its switch.
#pragma once

#include "framework/base/CriticalSection.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace Zolt {

class AllocationTracker {
public:
    static AllocationTracker& Instance();

    void Record(const void* block, size_t size, const char* file, int line);
    void Forget(const void* block);
    size_t BlockCount();

    void SetReportAtExit(bool on);
    bool ReportAtExit();

    // The report text for the blocks still recorded, oldest first.
    std::string BuildReport(const std::string& programName);
    // Writes the report to `path` and, line by line, to the debugger output;
    // false when the file could not be written.
    bool WriteReport(const std::string& programName, const std::string& path);
    // The exit step: writes "mem_leaks.txt" only when the switch is on.
    void OnProgramExit(const std::string& programName);

private:
    struct Block {
        uint64_t sequence;
        size_t size;
        std::string file;
        int line;
    };

    CriticalSection lock_;
    std::map<const void*, Block> blocks_; // guarded by lock_
    uint64_t nextSequence_ = 0;           // guarded by lock_
    bool reportAtExit_ = false;           // guarded by lock_
};

} // namespace Zolt
