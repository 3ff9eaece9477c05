#include "platform/crash/SafeText.h"

namespace platform {

SafeText::SafeText(char* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity)
{
    if (capacity_ > 0)
        buffer_[0] = '\0';
}

void SafeText::Clear()
{
    length_ = 0;
    truncated_ = false;
    if (capacity_ > 0)
        buffer_[0] = '\0';
}

SafeText& SafeText::Append(const char* text, size_t length)
{
    if (!text || capacity_ == 0)
        return *this;
    for (size_t i = 0; i < length; ++i) {
        if (length_ + 1 >= capacity_) {
            truncated_ = true;
            break;
        }
        buffer_[length_++] = text[i];
    }
    buffer_[length_] = '\0';
    return *this;
}

SafeText& SafeText::Append(const char* text) { return text ? Append(text, SafeLength(text)) : *this; }

SafeText& SafeText::Char(char c) { return Append(&c, 1); }

SafeText& SafeText::Number(uint64_t value, unsigned base, int digits, bool upper)
{
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[64];
    int n = 0;
    do {
        reversed[n++] = set[value % base];
        value /= base;
    } while (value != 0 && n < 64);
    if (digits > 64)
        digits = 64;
    while (n < digits)
        reversed[n++] = '0';
    char out[64];
    for (int i = 0; i < n; ++i)
        out[i] = reversed[n - 1 - i];
    return Append(out, static_cast<size_t>(n));
}

SafeText& SafeText::Hex(uint64_t value, int digits) { return Number(value, 16, digits, true); }

SafeText& SafeText::LowerHex(uint64_t value, int digits) { return Number(value, 16, digits, false); }

SafeText& SafeText::Decimal(int64_t value, int digits)
{
    if (value < 0) {
        Char('-');
        // Negate in unsigned arithmetic so the smallest value survives.
        return Number(0 - static_cast<uint64_t>(value), 10, digits, false);
    }
    return Number(static_cast<uint64_t>(value), 10, digits, false);
}

size_t SafeLength(const char* text)
{
    size_t n = 0;
    if (text)
        while (text[n] != '\0')
            ++n;
    return n;
}

bool SafeEqual(const char* a, const char* b, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

const char* SafeBaseName(const char* path)
{
    if (!path)
        return "";
    const char* last = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            last = p + 1;
    return last;
}

} // namespace platform
