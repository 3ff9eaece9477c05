// A web address handed to the system's browser, and the wait to learn
// whether the browser came up. The system gives no answer, so the
// application judges by its own activation: losing the foreground means the
// browser opened (at once, or at the first timer tick 8 s after the launch);
// still being in front 12 s after it means the launch failed. Timer ticks
// only count once they have run steadily for 5 s, so a program just woken
// from a stall does not judge too early.
//
// Threads: main thread only; no lock.
#pragma once

#include <cstdint>
#include <string>

namespace Zolt {

class UrlLauncher {
public:
    enum class Verdict { Waiting, Launched, Failed };

    // Starts waiting for `url`; false when that very address is still
    // awaited (it is not opened twice).
    bool Begin(const std::string& url, bool quitAfter, uint32_t now);
    // The wait is over (either way).
    void End() { pending_ = false; }
    bool IsPending() const { return pending_; }
    const std::string& Url() const { return url_; }
    // The application ends once the browser is up.
    bool QuitsAfter() const { return quitAfter_; }
    // A timer tick at `now`, whose steady run began at `tickRunStart`.
    Verdict Judge(uint32_t now, uint32_t tickRunStart, bool active) const;

private:
    bool pending_ = false;
    bool quitAfter_ = false;
    std::string url_;
    uint32_t launchTime_ = 0;
};

} // namespace Zolt
