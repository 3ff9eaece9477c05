// The test surface of the platform layer. Production code asks it whether a
// named operation should fail now (ShouldFail) or whether a scripted answer
// waits for a question that would otherwise go to the user
// (TakeScriptedAnswer); tests arrange both beforehand. With nothing arranged
// every query is a single relaxed atomic load, so the hooks may sit on any
// path.
//
// Threads: every function may be called from any thread; one mutex guards
// the pending failures and the answer queues.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Which back end the window, display and sound services use: the real one
// (SDL) or the headless one (no window, memory surfaces, audio into a buffer).
// Chosen once at start-up, before any service opens.
void UseHeadlessBackend(bool headless);
bool IsHeadless();

namespace testing {

// Makes the next `times` calls of `operation` fail with `code` (an HRESULT,
// a Win32 error or an errno, whatever that operation reports).
void FailNext(std::string_view operation, int64_t code, int times = 1);
// Asked by the operation itself: true (and the code) when a failure was
// arranged for it; each true answer uses up one arranged failure.
bool ShouldFail(std::string_view operation, int64_t* code = nullptr);
// Makes every call of `operation` fail with `code` from now on, until
// StopFailing or ClearFailures: a condition that lasts. A full disk is
// "WriteFileAtomic.Write" with ENOSPC, a folder that may not be written
// "WriteFileAtomic.Open" with EACCES (platform/core/FileSystem.h), whoever
// runs the test (root writes into any folder).
void FailEveryCall(std::string_view operation, int64_t code);
void StopFailing(std::string_view operation);
// While alive, no arranged failure fires on the calling thread (its
// operations go on as arranged afterwards): a test writes its own files
// (screenshots) in the middle of a full disk it made for the program.
class ScopedFailuresOff {
public:
    ScopedFailuresOff();
    ~ScopedFailuresOff();
    ScopedFailuresOff(const ScopedFailuresOff&) = delete;
    ScopedFailuresOff& operator=(const ScopedFailuresOff&) = delete;
};
// Arranged failures not yet used up for `operation` (-1: every call fails).
int PendingFailures(std::string_view operation);
void ClearFailures();

// A scripted reply to a question asked by name (a message box, a dialog):
// a number (the button) and, for text entry, a text.
struct ScriptedAnswer {
    int64_t value = 0;
    std::string text;
};
// Appends an answer to the queue of `key`; answers are taken in order.
void ScriptAnswer(std::string_view key, ScriptedAnswer answer);
void ScriptAnswer(std::string_view key, int64_t value);
// Takes the oldest answer queued under `key`; false when none waits.
bool TakeScriptedAnswer(std::string_view key, ScriptedAnswer* answer);
size_t PendingAnswers(std::string_view key);
void ClearScriptedAnswers();

// Holds the next fork-unsafe work named `name` (ForkQuiet.h; the real audio
// device's opening is "SdlAudioDevice.Open", the file layer's error words
// "ErrnoText") on its thread once it has begun, until a ForkQuiet waits for
// it or ReleaseForkUnsafeWork: the moment at which a process forked would
// find the C library's locks taken. Defined in ForkQuiet.cpp.
void HoldForkUnsafeWork(std::string_view name);
// True while the work so held waits in its hold. Async-signal-safe: a fork
// handler in the child may ask it.
bool ForkUnsafeWorkHeld();
// Lets the held work go on, and holds no other.
void ReleaseForkUnsafeWork();

// The threads the process has started so far, counted by the thread census
// (platform_thread_census, which the tests link); CountsThreads() is false
// where it cannot count (sanitizer builds, whose runtimes stand in front of
// thread creation themselves).
bool CountsThreads();
uint64_t ThreadsStarted();

} // namespace testing
} // namespace platform
