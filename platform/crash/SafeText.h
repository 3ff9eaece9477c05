// Text built in a fixed buffer, for code that runs inside a signal handler:
// no allocation, no locale, no stdio. Appends that do not fit are cut at the
// buffer's end (the text stays terminated) and remembered as truncated.
//
// Threads: an object belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

class SafeText {
public:
    SafeText(char* buffer, size_t capacity);
    SafeText(const SafeText&) = delete;
    SafeText& operator=(const SafeText&) = delete;

    SafeText& Append(const char* text);               // null appends nothing
    SafeText& Append(const char* text, size_t length);
    SafeText& Char(char c);
    // Upper-case hex with at least `digits` digits (zero padded).
    SafeText& Hex(uint64_t value, int digits = 1);
    // Lower-case hex, as printf's %x.
    SafeText& LowerHex(uint64_t value, int digits = 1);
    SafeText& Decimal(int64_t value, int digits = 1);

    const char* Data() const { return buffer_; }
    size_t Length() const { return length_; }
    bool Truncated() const { return truncated_; }
    void Clear();

private:
    SafeText& Number(uint64_t value, unsigned base, int digits, bool upper);

    char* buffer_;
    size_t capacity_;
    size_t length_ = 0;
    bool truncated_ = false;
};

// Small helpers that signal handlers need instead of the C library's.
size_t SafeLength(const char* text);
bool SafeEqual(const char* a, const char* b, size_t length);
// The last path component (after the last '/' or '\').
const char* SafeBaseName(const char* path);

} // namespace platform
