#include "platform/core/DebugOutput.h"

#include "platform/core/Process.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

namespace platform {

namespace {

struct OutputState {
    std::mutex mutex;
    std::vector<testing::DebugOutputCapture*> captures; // guarded by mutex
    std::atomic<int> enabled{-1};                       // -1: not yet read from the environment
};

OutputState& State()
{
    static OutputState state;
    return state;
}

} // namespace

void SetDebugOutputEnabled(bool enabled) { State().enabled.store(enabled ? 1 : 0); }

bool IsDebugOutputEnabled()
{
    OutputState& s = State();
    int enabled = s.enabled.load();
    if (enabled < 0) {
        std::optional<std::string> env = GetEnvironmentVariable("PELLUCOR_DEBUG_OUTPUT");
        enabled = env && !env->empty() && *env != "0" ? 1 : 0;
        s.enabled.store(enabled);
    }
    return enabled == 1;
}

void OutputDebugString(std::string_view text)
{
    OutputState& s = State();
    bool toStderr = IsDebugOutputEnabled();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (testing::DebugOutputCapture* capture : s.captures)
        capture->text_.append(text);
    if (toStderr) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
}

namespace testing {

DebugOutputCapture::DebugOutputCapture()
{
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.captures.push_back(this);
}

DebugOutputCapture::~DebugOutputCapture()
{
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.captures.erase(std::remove(s.captures.begin(), s.captures.end(), this), s.captures.end());
}

std::string DebugOutputCapture::Text() const
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return text_;
}

void DebugOutputCapture::Clear()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    text_.clear();
}

} // namespace testing
} // namespace platform
