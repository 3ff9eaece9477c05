#include "platform/core/Testing.h"

#include <atomic>
#include <deque>
#include <map>
#include <mutex>

namespace platform {

namespace {

std::atomic<bool> gHeadless{false};

struct PendingFailure {
    int64_t code = 0;
    int remaining = 0; // below 0: every call, until stopped
};

// Function-local statics: services may consult the hooks from their own
// static initialisers.
struct TestState {
    std::mutex mutex;
    std::map<std::string, PendingFailure, std::less<>> failures; // guarded by mutex
    std::map<std::string, std::deque<testing::ScriptedAnswer>, std::less<>> answers; // guarded by mutex
    std::atomic<bool> anyFailure{false};
    std::atomic<bool> anyAnswer{false};
};

TestState& State()
{
    static TestState state;
    return state;
}

// ScopedFailuresOff objects alive on this thread.
thread_local int tFailuresOff = 0;

} // namespace

void UseHeadlessBackend(bool headless) { gHeadless.store(headless); }
bool IsHeadless() { return gHeadless.load(); }

namespace testing {

void FailNext(std::string_view operation, int64_t code, int times)
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (times <= 0) {
        if (auto it = s.failures.find(operation); it != s.failures.end())
            s.failures.erase(it);
    } else {
        s.failures[std::string(operation)] = PendingFailure{code, times};
    }
    s.anyFailure.store(!s.failures.empty());
}

bool ShouldFail(std::string_view operation, int64_t* code)
{
    TestState& s = State();
    if (!s.anyFailure.load(std::memory_order_relaxed) || tFailuresOff > 0)
        return false;
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.failures.find(operation);
    if (it == s.failures.end())
        return false;
    if (code)
        *code = it->second.code;
    if (it->second.remaining > 0 && --it->second.remaining == 0)
        s.failures.erase(it);
    s.anyFailure.store(!s.failures.empty());
    return true;
}

void FailEveryCall(std::string_view operation, int64_t code)
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.failures[std::string(operation)] = PendingFailure{code, -1};
    s.anyFailure.store(true);
}

void StopFailing(std::string_view operation)
{
    FailNext(operation, 0, 0);
}

ScopedFailuresOff::ScopedFailuresOff() { ++tFailuresOff; }
ScopedFailuresOff::~ScopedFailuresOff() { --tFailuresOff; }

int PendingFailures(std::string_view operation)
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.failures.find(operation);
    return it == s.failures.end() ? 0 : it->second.remaining;
}

void ClearFailures()
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.failures.clear();
    s.anyFailure.store(false);
}

void ScriptAnswer(std::string_view key, ScriptedAnswer answer)
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.answers[std::string(key)].push_back(std::move(answer));
    s.anyAnswer.store(true);
}

void ScriptAnswer(std::string_view key, int64_t value) { ScriptAnswer(key, ScriptedAnswer{value, {}}); }

bool TakeScriptedAnswer(std::string_view key, ScriptedAnswer* answer)
{
    TestState& s = State();
    if (!s.anyAnswer.load(std::memory_order_relaxed))
        return false;
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.answers.find(key);
    if (it == s.answers.end() || it->second.empty())
        return false;
    if (answer)
        *answer = std::move(it->second.front());
    it->second.pop_front();
    if (it->second.empty())
        s.answers.erase(it);
    s.anyAnswer.store(!s.answers.empty());
    return true;
}

size_t PendingAnswers(std::string_view key)
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.answers.find(key);
    return it == s.answers.end() ? 0 : it->second.size();
}

void ClearScriptedAnswers()
{
    TestState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.answers.clear();
    s.anyAnswer.store(false);
}

} // namespace testing
} // namespace platform
