// The debugger's output channel (OutputDebugString). Text goes to stderr when
// enabled (environment PELLUCOR_DEBUG_OUTPUT set to anything but "0", or
// SetDebugOutputEnabled), and to every active capture regardless, so tests
// can read what the program reported.
//
// Threads: any thread may write; one mutex keeps texts whole and guards the
// captures.
#pragma once

#include <string>
#include <string_view>

namespace platform {

void OutputDebugString(std::string_view text);
void SetDebugOutputEnabled(bool enabled);
bool IsDebugOutputEnabled();

namespace testing {
// Collects everything written while it lives.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;
    std::string Text() const;
    void Clear();

private:
    friend void platform::OutputDebugString(std::string_view text);
    std::string text_; // guarded by the output mutex
};
} // namespace testing

} // namespace platform
