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

// One running copy per data folder: the copies that would write the same
// player's files. The first process to Acquire holds two locks until it ends
// or Release is called (a copy lets go as it begins to end, so a new start
// need not wait for its shutdown): an exclusive lock on a file in that
// folder, and a name of the system's, which needs no file and so holds in a
// folder where none can be made, and which copies that do not share the
// system's names do not see. Either one taken by a copy of this user's
// refuses. A later process finds the lock taken and knocks with
// NotifyFirstInstance; the first picks the knock up by polling
// TakeNotifications from its message loop and, once its window has come to
// the front, says so with AnswerNotifications. HandOverToFirst is the whole
// of a later copy's side.
//
// The name is open to every user of the system: only a copy of the same
// user counts. Each side asks the system who is at the other end of a
// knock's connection, never the caller itself: a name held by another user
// (or by a program that takes no knocks on it) is passed over, and the lock
// file alone keeps this user's copies apart (PassedOver says so); a knock
// from another user is closed unheard, neither counted nor answered. The
// name carries the user's id as well, so that two users' copies meet on it
// only when one takes the other's on purpose.
//
// Test hooks (testing::FailNext with the user id to see as the code): the
// system reports another user for the holder a later copy reaches,
// "SingleInstance.HolderIsAnotherUser", or for a knocking copy the first
// takes in, "SingleInstance.KnockerIsAnotherUser".
//
// Threads: one thread uses an instance.
class SingleInstance {
public:
    // `name` names the lock file in `folder` (made safe as a file name).
    SingleInstance(std::string folder, std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is (now) the first instance. Also true when
    // neither lock can be had at all (better two copies than none); Doubt
    // then says why this copy cannot tell.
    bool Acquire();
    void Release();
    bool IsFirst() const { return first_; }
    // Empty when this copy holds a lock; otherwise why it cannot tell
    // whether another copy runs over the same folder.
    const std::string& Doubt() const { return doubt_; }
    // Empty unless the last Acquire passed over the system's name because
    // no copy of this user's holds it: who does ("held by another user,
    // ...").
    const std::string& PassedOver() const { return passedOver_; }

    // From a later instance: knocks at the first one. False when none
    // listens (it is ending, or could not listen) or the name's holder is
    // not a copy of this user's.
    bool NotifyFirstInstance();
    // Empty unless the last knock could not be made because the name is
    // held by no copy of this user's (the first passed it over): who holds
    // it ("held by another user, ...").
    const std::string& Unreachable() const { return unreachable_; }
    // True when the first answered a knock within `milliseconds`: its
    // window came to the front.
    bool AwaitAnswer(DWORD milliseconds);

    enum class HandOver {
        Acquired,       // the first let go (it was ending): this copy is the first now
        BroughtToFront, // the first answered: its window is in front
        NoAnswer,       // the first holds on but did not answer in time
    };
    // A later instance's whole course: knocks, waits up to `patience` for
    // the answer, and takes the lock the moment the first lets go of it.
    HandOver HandOverToFirst(DWORD patience);

    // In the first instance: knocks received since the last call. Their
    // senders wait for AnswerNotifications.
    int TakeNotifications();
    // In the first instance: tells the copies that knocked that its window
    // is in front now.
    void AnswerNotifications();

    // The lock file used (for tests and messages).
    std::string LockFilePath() const;
    // The system's name claimed, as the system lists it ("@pellucor-…").
    std::string ClaimName() const;

private:
    // Who holds the system's name, as a later copy finds on connecting.
    enum class Holder {
        ThisUser,    // a copy of this user's: the connection is kept to knock on
        AnotherUser, // a program of another user's
        NoListener,  // nothing, or a program that takes no connections on it
        Unknown,     // it cannot be reached now (no socket, a full queue)
    };
    Holder ReachFirst(std::string* who);
    // "held by …": who holds the name that no copy of this user's holds
    // (another user, or a program that takes no knocks; `who` as ReachFirst
    // said it).
    static std::string HeldByWords(Holder holder, const std::string& who);
    void CollectAnswers();
    void CloseCallers();
    std::string Folder() const;

    struct Caller {
        int fd;
        bool knocked;
    };

    std::string folder_;
    std::string name_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int knockFd_ = -1;      // a later instance's connection to the first
    bool answered_ = false; // the first said its window is in front
    bool first_ = false;
    std::string doubt_;
    std::string passedOver_;
    std::string unreachable_;
    std::vector<Caller> callers_; // the first's connections from copies of this user's
};

// Prepares an end of the process that skips its orderly course (the display
// went away, or a termination signal was not honoured in time): the
// single-copy lock is let go, so that a new start need not wait, and the
// processes this one started in its own session (a box, a helper, and
// theirs) are ended, so that none stays on the screen or holds the
// program's files. A process that made a session of its own (the crash
// report viewer) means to outlive the program and is left. Async-signal-safe.
void PrepareAbruptEnd();
// PrepareAbruptEnd, then the process ends with `code` at once: no exit
// handler, no destructor, no flush. Async-signal-safe (the test watcher of
// WatchProcessEnd aside).
[[noreturn]] void EndProcessAbruptly(UINT code);

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
