// An X server of the test's own (Xvfb), with no window manager, for the
// tests that need a real display. Xvfb is one of the program's test
// dependencies: where it is missing, those tests fail saying so.
#pragma once

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

// Xvfb on a display number it picks itself; empty name when it could not start.
class XServer {
public:
    XServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its number once it serves; an end of file is its end.
        std::string number;
        char c;
        while (pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~XServer()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Name() const { return name_; }
    bool NotInstalled()
    {
        int status = 0;
        return name_.empty() && pid_ > 0 && waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) &&
               WEXITSTATUS(status) == 127 && (pid_ = 0) == 0;
    }

private:
    pid_t pid_ = -1;
    std::string name_;
};

} // namespace platform
