// The text of a crash report, written from a captured fault into a fixed
// buffer with nothing but signal-safe calls:
//
//   Exception: Access Violation (code 0xc0000005) at address 00005581A2C01234 in thread 2F1A
//   Data Address: 0000000000000010            (memory faults only)
//   Module: pellucor
//   Logical Address: 0002:00001234
//
//   <one entry per frame, innermost first: pc, frame, then
//    symbol+displacement (module+offset) or segment:offset module>
//
//   <registers>
//
//   OS Ver: Linux 6.1.0 #1 SMP x86_64
//   <details of the application, when a writer is given>
//
//   Modules:
//   <load address and file of every module>
//
// Lines end in "\r\n" as the report always has; addresses are printed with at
// least eight hex digits and never cut short. A logical address is the
// 1-based mapping ("segment") of the module and the offset into it.
//
// Threads: any thread; the caller owns the buffer.
#pragma once

#include "platform/crash/FaultRecord.h"
#include "platform/crash/SafeText.h"

namespace platform {

// Appends the application's part of the report; must itself be signal-safe
// when the report is written from a signal handler.
using CrashDetailsWriter = void (*)(SafeText& out, void* context);

void FormatCrashReport(const FaultRecord& fault, SafeText& out, CrashDetailsWriter details = nullptr,
                       void* detailsContext = nullptr);

// The exception line alone (also the title of an uploaded report).
void FormatExceptionLine(const FaultRecord& fault, SafeText& out);

// Writes all `length` bytes to `fd`, again after an interrupted or partial
// write; 0, or the errno of the write that failed (EIO when it wrote
// nothing, as a full pipe that does not wait does). Signal-safe.
int WriteFully(int fd, const char* text, size_t length);

// A run of bytes a file is written from.
struct ByteSpan {
    const void* data;
    size_t size;
};

// Writes the spans one after another to `path`, whole or not at all: into a
// temporary file of a fresh name beside it ("<path>.tmp-<pid>-<n>", the
// first of kTemporaryNames numbers whose name is free, made anew: never
// through a link or into a pipe that is in the way, never waiting), flushed,
// then renamed over `path`. Something at `path` that is
// no file or link (a folder, a pipe, a device) is left alone and the write
// fails. False on any failure, with `*error` (when given) the errno of the
// step that failed; no file is left behind then. Signal-safe.
//
// Test hooks (platform::testing::FailNext, for calls outside a signal
// handler): "CrashReport.Write" makes the next write take only half of what
// it is given (code 0), as the system may, or fail with the code (EINTR: it
// was interrupted, and is tried again); "CrashReport.Sync" makes the flush
// to the disk fail with the code.
constexpr int kTemporaryNames = 16;
bool WriteSpansToFile(const char* path, const ByteSpan* spans, size_t count, int* error = nullptr);

// Writes a crash report: `length` bytes and one newline to `path`, as
// WriteSpansToFile does, except that a report already at `path`, which was
// never sent (the viewer moves a sent one aside), is first moved beside it
// as "<path>.earlier", else "<path>.earlier1", ... up to
// kMaxEarlierReports; when none of those names is free, or the earlier
// report cannot be moved, the new one is not written (EEXIST or the
// reason). Signal-safe.
constexpr int kMaxEarlierReports = 100;
bool WriteReportFile(const char* path, const char* text, size_t length, int* error = nullptr);

// What a sent report at `path` is renamed to, out of the way of the next one.
constexpr const char* kSentReportSuffix = ".sent";

} // namespace platform
