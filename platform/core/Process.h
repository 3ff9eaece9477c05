// The running program as Windows describes it: its file and folder, a
// command line (kept as argv and as one Windows-style string), the per-user
// application-data folder, environment variables, the single-instance lock
// with which a second start hands over to the first, and ending the process.
//
// Threads: SetCommandLineArguments is called once by main before other
// threads start; the readers may then be called from any thread. Changing the
// environment is not safe while other threads read it (as with setenv).
#pragma once

#include "platform/core/Types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The program file's full path (empty when the system will not say) and the
// folder that holds it (no trailing separator).
std::string GetProgramPath();
std::string GetProgramFolder();

// Called by main with its arguments.
void SetCommandLineArguments(int argc, const char* const* argv);
// argv as given (argv[0] first); empty before SetCommandLineArguments.
const std::vector<std::string>& GetArguments();
// The arguments as one line, as GetCommandLine: separated by spaces, each
// one quoted when it is empty or holds blanks or quotes (a quote inside as
// \", backslashes before a quote doubled).
std::string GetCommandLine();

// The user's folder for the data of every program (the XDG data folder):
// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share (no
// trailing separator). Each program keeps a folder of its own in it; this
// game's is the framework's application-data folder (Zolt::GetAppDataFolder).
std::string GetUserDataFolder();
// The per-user folder for settings: $XDG_CONFIG_HOME when absolute, else
// $HOME/.config.
std::string GetConfigFolder();

std::optional<std::string> GetEnvironmentVariable(std::string_view name);
// Sets the variable, or removes it when `value` is empty (nullopt).
bool SetEnvironmentVariable(std::string_view name, const std::optional<std::string>& value);

// One running copy per product name and user. The first process to Acquire
// holds an exclusive lock on a file in $XDG_RUNTIME_DIR (else the system's
// temporary folder) until it ends or Release is called; a later process finds
// the lock taken and may wake the first with NotifyFirstInstance, which the
// first picks up by polling TakeNotifications from its message loop.
//
// Threads: one thread uses an instance.
class SingleInstance {
public:
    explicit SingleInstance(std::string productName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is (now) the first instance. Also true when no
    // lock file can be made at all: better two copies than none.
    bool Acquire();
    void Release();
    bool IsFirst() const { return lockFd_ >= 0 || unlocked_; }

    // From a later instance: tell the first one. False when none listens.
    bool NotifyFirstInstance();
    // In the first instance: notifications received since the last call.
    int TakeNotifications();

    // The lock file used for this product (for tests and messages).
    std::string LockFilePath() const;

private:
    std::string product_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    bool unlocked_ = false;
};

// Ends the process with `code`, as ExitProcess does in a program built as
// one file: C streams are flushed, but no exit handler and no destructor of
// a static object runs (the call comes from fatal errors deep inside the
// program, whose shutdown must not run on a half-made state). Under
// testing::ScopedExitInterception it throws testing::ProcessExit instead,
// so a test can watch a path that ends the program.
[[noreturn]] void ExitProcess(UINT code);
// Ends the process with `code` at once, as TerminateProcess does: the same
// as ExitProcess here (a program in trouble must not tear itself down).
// Intercepted like ExitProcess.
[[noreturn]] void TerminateProcess(UINT code);

namespace testing {
struct ProcessExit {
    UINT code;
};
// While alive, ExitProcess and TerminateProcess throw ProcessExit{code} on
// every thread.
class ScopedExitInterception {
public:
    ScopedExitInterception();
    ~ScopedExitInterception();
    ScopedExitInterception(const ScopedExitInterception&) = delete;
    ScopedExitInterception& operator=(const ScopedExitInterception&) = delete;
};
// Called, on whatever thread ends the process, just before ExitProcess or
// TerminateProcess ends it for real (not under interception), with the
// code; it may end the process itself with another code. The test main
// watches with it for a test that ends its process before its verdict.
// nullptr removes the watcher.
using ProcessEndWatcher = void (*)(UINT code);
void WatchProcessEnd(ProcessEndWatcher watcher);
} // namespace testing

} // namespace platform
