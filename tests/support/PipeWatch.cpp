#include "tests/support/PipeWatch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::testing {

PipeWatch::PipeWatch(const std::string& path) : ownName_(folder_ / "pipe")
{
    if (mkfifo(ownName_.c_str(), 0600) != 0 || link(ownName_.c_str(), path.c_str()) != 0) {
        ADD_FAILURE() << "cannot make the pipe " << path << ": " << std::strerror(errno);
        return;
    }
    watcher_ = std::thread([this] { Watch(); });
}

PipeWatch::~PipeWatch() { Stop(); }

int PipeWatch::Stop()
{
    if (watcher_.joinable()) {
        stopping_ = true;
        // A reader of its own lets the watcher's wait for one end.
        const int release = open(ownName_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        watcher_.join();
        if (release >= 0)
            close(release);
    }
    return opens_;
}

void PipeWatch::Watch()
{
    // A reader gone before the zeros are written must not end the tests.
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
    static const char kZeros[4096] = {};
    for (;;) {
        const int fd = open(ownName_.c_str(), O_WRONLY | O_CLOEXEC); // waits for a reader
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0 || stopping_) {
            if (fd >= 0)
                close(fd);
            return;
        }
        ++opens_;
        [[maybe_unused]] const ssize_t put = write(fd, kZeros, sizeof kZeros);
        close(fd);
        // Until that reader has closed the pipe, the next open would count it
        // again: a writer that does not wait finds a reader only while there
        // is one.
        for (;;) {
            if (stopping_)
                return;
            const int probe = open(ownName_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (probe < 0)
                break;
            close(probe);
            sched_yield();
        }
    }
}

} // namespace platform::testing
