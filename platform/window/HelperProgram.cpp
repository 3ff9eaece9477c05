#include "platform/window/HelperProgram.h"

#include "platform/window/SessionEndSignals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// The program's path: as given when it names a folder, else the first
// executable of that name on PATH ("" when there is none).
std::string FindOnPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void BecomeHelper(const char* path, char* const* argv, int output, pid_t parent)
{
    // Ended with the program, whatever ends it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127); // the program ended before the line above
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    if (dup2(output, STDOUT_FILENO) < 0)
        _exit(127);
    // Nothing of the program's stays open in the helper.
    if (close_range(3, ~0u, 0) != 0)
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
    execve(path, argv, environ);
    _exit(127);
}

// Ends the helper at once and collects it.
void EndHelper(pid_t pid)
{
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

std::optional<HelperResult> RunHelperProgram(const std::vector<std::string>& args)
{
    if (args.empty())
        return std::nullopt;
    const std::string path = FindOnPath(args[0]);
    if (path.empty())
        return std::nullopt;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0)
        BecomeHelper(path.c_str(), argv.data(), pipeFds[1], parent);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return std::nullopt;
    }

    HelperResult result;
    // Woken by its output, its end, and every tenth of a second to see
    // whether the session is ending (the signal may go to another thread).
    bool open = true;
    for (;;) {
        if (detail::SessionEndPending()) {
            EndHelper(pid);
            close(pipeFds[0]);
            result.interrupted = true;
            return result;
        }
        int status = 0;
        if (!open) {
            const pid_t ended = waitpid(pid, &status, WNOHANG);
            if (ended == pid) {
                result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (ended < 0 && errno != EINTR)
                break;
        }
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, open ? 1 : 0, 100) <= 0 || !open)
            continue;
        char buffer[512];
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            result.output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            open = false;
    }
    close(pipeFds[0]);
    if (result.exitCode == 127)
        return std::nullopt; // it could not be started after all
    return result;
}

} // namespace platform
