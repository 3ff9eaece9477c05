// The developer's tunable-value reload (Alt+R in developer mode): numeric
// constants written in the source as ZOLT_MODVAL(number) can be edited while
// the program runs, and a reload re-reads the changed source files and
// stores the new numbers into the running program.
//
// Each tunable constant is a record carrying the tag "ZOLTMODVAL", a text of
// its source file name followed at once by "line,index" (the line of the
// call and its number among the tunable calls of that line), and its value.
// Records enter a process-local list when they are constructed; a reload
// takes the well-formed ones into a registry of files. The program itself
// defines no records, so a reload ends in the warning box naming "none".
//
// Threads: the main thread (developer keys). A mutex guards the record list,
// the registry and the last reload time; message boxes are shown with it
// released.
#pragma once

#include <functional>
#include <string>

namespace Zolt {

struct TunableRecord {
    char tag[11];         // "ZOLTMODVAL"
    const char* location; // source file name, then "%d,%d"
    double value;
};

// Adds a record to the process-local list (the records of the program
// image). The record must outlive every reload.
void RegisterTunableRecord(TunableRecord* record);
// Forgets every record and the last reload time (tests start afresh).
void ClearTunableRecords();

// Shows a message box: (text, caption).
using TunableMessageBox = std::function<void(const std::string& text, const std::string& caption)>;

} // namespace Zolt

// Re-reads every registered source file changed since the last reload and
// stores the values found; when no file had changed, shows the
// "MODVAL WARNING!" box listing the files parsed. Parse failures are shown in
// "MODVAL ERROR" boxes, and the values of such a file are left as they were.
void ReloadTunableValues(const Zolt::TunableMessageBox& showBox);
