// Watches, from a thread of its own, that each step of the program a walk
// runs on the real back end comes back in time for the wait it belongs to.
// Between steps the walk looks at its deadline itself; inside one it cannot:
// a box or dialog of the program waiting for a person (which the real back
// end shows, and nobody answers), or a program that hangs, would hold the
// walk until the test suite's own limit, saying nothing of what the walk was
// waiting for. A step still out some seconds past its wait's deadline is
// reported (what the walk waited for, and for how long the step has been
// out), and the program is asked to end as a session's end asks it (a
// termination signal, which every box of the program gives way to): the step
// comes back, the program ends as it does then, and the wait fails as a
// wait in vain does. A step still out a minute after that (the program does
// not answer even that) ends the test program, saying so: well before the
// suite's limit, and with what was awaited.
//
// Threads: Await, Enter, Leave and TakeReport on the walk's thread (the
// program's main thread); the watch's thread reads what they set under the
// watch's mutex.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace walk {

class StepWatch {
public:
    using Clock = std::chrono::steady_clock;
    // How long past its wait's deadline a step may still be out before the
    // watch ends the program's box; and how long after that before it ends
    // the test program.
    static constexpr std::chrono::seconds kGrace{5};
    static constexpr std::chrono::seconds kLastGrace{60};

    StepWatch();
    ~StepWatch();
    StepWatch(const StepWatch&) = delete;
    StepWatch& operator=(const StepWatch&) = delete;

    // From now on the walk waits for `what` until `deadline` (real time).
    void Await(const std::string& what, Clock::time_point deadline);
    // A step of the program begins; it has come back.
    void Enter();
    void Leave();
    // What the watch found and did about a step that overran, once; "" when
    // nothing overran.
    std::string TakeReport();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string what_;                 // guarded by mutex_
    Clock::time_point deadline_;       // guarded by mutex_
    bool inside_ = false;              // guarded by mutex_
    uint64_t step_ = 0;                // guarded by mutex_: steps entered so far
    Clock::time_point enteredAt_;      // guarded by mutex_
    uint64_t endedStep_ = 0;           // guarded by mutex_: the step whose box was ended (0: none)
    Clock::time_point endedAt_;        // guarded by mutex_
    std::string report_;               // guarded by mutex_
    bool stopping_ = false;            // guarded by mutex_
    std::thread thread_;
};

} // namespace walk
