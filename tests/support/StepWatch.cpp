#include "tests/support/StepWatch.h"

#include "platform/window/WindowTesting.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace walk {

namespace {

std::string SecondsBetween(StepWatch::Clock::time_point from, StepWatch::Clock::time_point to)
{
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(to - from).count()) + " s";
}

void Say(const std::string& line)
{
    std::fputs(("the walk's step watch: " + line + "\n").c_str(), stderr);
    std::fflush(stderr);
}

} // namespace

StepWatch::StepWatch() : deadline_(Clock::time_point::max()), thread_([this] { Run(); }) {}

StepWatch::~StepWatch()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void StepWatch::Await(const std::string& what, Clock::time_point deadline)
{
    std::lock_guard<std::mutex> lock(mutex_);
    what_ = what;
    deadline_ = deadline;
}

void StepWatch::Enter()
{
    std::lock_guard<std::mutex> lock(mutex_);
    inside_ = true;
    ++step_;
    enteredAt_ = Clock::now();
}

void StepWatch::Leave()
{
    std::lock_guard<std::mutex> lock(mutex_);
    inside_ = false;
}

std::string StepWatch::TakeReport()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(report_, std::string());
}

void StepWatch::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        changed_.wait_for(lock, std::chrono::milliseconds(250));
        if (stopping_ || !inside_)
            continue;
        const Clock::time_point now = Clock::now();
        if (endedStep_ != step_ && deadline_ != Clock::time_point::max() && now > deadline_ + kGrace) {
            endedStep_ = step_;
            endedAt_ = now;
            report_ = "waited in vain for " + what_ + ": a step of the program had not come back after " +
                      SecondsBetween(enteredAt_, now) +
                      " (a box or dialog of the program waiting for a person, or a program that hangs), "
                      "and the program was asked to end as at a session's end";
            const std::string said = report_;
            lock.unlock();
            Say(said);
            // Every box of the program gives way to it, and the program
            // then ends as it does at a session's end.
            platform::testing::RaiseSessionEndSignal(platform::testing::SessionEndSignal::Terminate);
            lock.lock();
        } else if (endedStep_ == step_ && now > endedAt_ + kLastGrace) {
            Say("waited in vain for " + what_ + ": the step is still out " + SecondsBetween(endedAt_, now) +
                " after the program was asked to end; the test program ends here");
            std::_Exit(1);
        }
    }
}

} // namespace walk
