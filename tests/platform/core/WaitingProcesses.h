// Processes a test starts to stand for what a program starts (a box's own
// process, a helper), to see whether the program's end takes them along.
#pragma once

#include "tests/support/PlatformTesting.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::testing {

// A process of the caller's that waits until it is ended. With
// `ignoreTerm` it takes no notice of SIGTERM, as a box forked off the
// program does not (it keeps the program's own handler); with `ownSession`
// it leaves the caller's session, as the crash report viewer does. Of the
// caller's open files it keeps only the one at `keepOpen` (a lock it
// shares, say): a death test waits for its own pipes to close, and a child
// that outlived what should have ended it would otherwise hold the test up
// instead of failing it.
//
// Returns once the process stands as asked, so that on a loaded machine an
// end that comes at once finds it so (a child not yet in its own session
// would be taken along as the program's own).
inline pid_t StartWaitingChild(bool ignoreTerm, bool ownSession, const std::string& keepOpen = "")
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid != 0) {
        close(ready[1]);
        char byte = 0;
        while (pid > 0 && read(ready[0], &byte, 1) < 0 && errno == EINTR) {
        }
        close(ready[0]);
        return pid;
    }
    if (ignoreTerm)
        std::signal(SIGTERM, SIG_IGN);
    if (ownSession)
        setsid();
    for (int fd = 3; fd < 1024; ++fd) {
        char target[4096];
        const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
        if (fd == ready[1] || (length >= 0 && std::string(target, static_cast<size_t>(length)) == keepOpen))
            continue;
        close(fd);
    }
    const char byte = 1;
    (void)!write(ready[1], &byte, 1);
    close(ready[1]);
    for (;;)
        pause();
}

// The process ids written, blank-separated, into `file`.
inline std::vector<pid_t> ListedPids(const std::string& file)
{
    std::istringstream in(ReadTestFile(file));
    std::vector<pid_t> pids;
    for (pid_t pid = 0; in >> pid;)
        pids.push_back(pid);
    return pids;
}

// Ended: gone, or a zombie its parent has not reaped.
inline bool Gone(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t close = text.rfind(')');
    return text.empty() || (close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z');
}

// Kills `program`, a child of the caller's, reaps it, and waits a minute at
// most for `process`, which should end with it: 1 when it did, 0 when it
// outlived it, -1 when it had ended before the kill. The handle on it is
// taken first, so that its number, given out again, cannot answer for it;
// its end is an event (the handle becomes readable), not a poll of /proc.
inline int EndsWithItsProgram(pid_t program, pid_t process)
{
    const int handle = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
    if (handle < 0)
        return -1;
    pollfd ended{handle, POLLIN, 0};
    const int ready = poll(&ended, 1, 60'000);
    close(handle);
    return ready == 1 ? 1 : 0;
}

} // namespace platform::testing
