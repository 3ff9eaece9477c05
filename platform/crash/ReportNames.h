// Readable function names in a crash report. The signal handler writes each
// frame's symbol as the linker keeps it ("_ZN4Zolt11ZoltAppBase3RunEv"),
// because turning that into "Zolt::ZoltAppBase::Run()" allocates; the
// report's viewer, a process of its own, and reports made in normal context
// pass the text through here before anyone reads it.
//
// Threads: any; normal context only (never inside a signal handler).
#pragma once

#include <string>

namespace platform {

// The report with the symbol of every frame line ("PC FRAME symbol+DISP
// (module+OFFSET)") demangled; every other byte is kept.
std::string DemangleReportNames(const std::string& report);

} // namespace platform
