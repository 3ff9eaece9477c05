// A named pipe that tells whether anyone opened it for reading, for tests of
// code that must never open one. Whoever opens a pipe for reading waits for
// a writer, so the fault would hang a test instead of failing it: the watch
// is that writer. Each time the pipe is opened for reading it counts the
// open, writes a block of zero bytes (a reader that also holds the pipe for
// writing would otherwise wait for data forever) and closes, so the reader
// reads those bytes, then the end of the file.
//
// Threads: the watch has a thread of its own, from construction to Stop.
#pragma once

#include "tests/support/PlatformTesting.h"

#include <atomic>
#include <string>
#include <thread>

namespace platform::testing {

class PipeWatch {
public:
    // Makes the pipe at `path`, where nothing may be yet. The watch keeps a
    // second name of its own for it, so that it can end even after the code
    // watched has deleted the first.
    explicit PipeWatch(const std::string& path);
    ~PipeWatch();
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;

    // Ends the watch; how often the pipe was opened for reading.
    int Stop();

private:
    void Watch();

    ScopedTempFolder folder_;
    std::string ownName_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> opens_{0};
    std::thread watcher_;
};

} // namespace platform::testing
