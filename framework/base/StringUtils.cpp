#include "framework/base/StringUtils.h"

#include "platform/core/DebugOutput.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The ctype functions take an unsigned char value; a plain char above 0x7F
// is negative and would be undefined behaviour.
int ToUpperByte(char c) { return std::toupper(static_cast<unsigned char>(c)); }
int ToLowerByte(char c) { return std::tolower(static_cast<unsigned char>(c)); }
bool IsSpaceByte(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigitByte(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Unicode code points of the Windows-1252 bytes 0x80..0x9F; 0 marks the five
// bytes the code page leaves undefined.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// The code-page byte of a wide character, or -1 when it has none.
int Cp1252Byte(wchar_t wc)
{
    const auto code = static_cast<uint32_t>(wc);
    if (code < 0x100) {
        return static_cast<int>(code);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == code) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace

std::string VFormatString(const char* format, va_list args)
{
    if (format == nullptr) {
        return {};
    }
    char small[160];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        return std::string(small, static_cast<size_t>(needed));
    }
    std::vector<char> large(static_cast<size_t>(needed) + 1);
    va_copy(copy, args);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    return std::string(large.data(), static_cast<size_t>(needed));
}

std::string FormatString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = VFormatString(format, args);
    va_end(args);
    return text;
}

void DebugPrint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = VFormatString(format, args);
    va_end(args);
    platform::OutputDebugString(text);
}

std::string CommaSeparated(int n)
{
    if (n < 0) {
        return {};
    }
    const std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

void ConvertWideToNarrow(std::string& out, const std::wstring& text)
{
    std::string converted;
    converted.reserve(text.size());
    for (wchar_t wc : text) {
        const int byte = Cp1252Byte(wc);
        if (byte < 0) {
            out.clear();
            return;
        }
        converted += static_cast<char>(byte);
    }
    out = std::move(converted);
}

std::string WideToNarrow(const std::wstring& text)
{
    std::string out;
    ConvertWideToNarrow(out, text);
    return out;
}

std::wstring NarrowToWide(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (char c : text) {
        out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return out;
}

std::string UpperCased(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        c = static_cast<char>(ToUpperByte(c));
    }
    return out;
}

std::string LowerCased(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        c = static_cast<char>(ToLowerByte(c));
    }
    return out;
}

std::string TrimSpaces(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpaceByte(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpaceByte(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

int IndexOfNoCase(const char* haystack, const char* needle)
{
    if (haystack == nullptr || needle == nullptr || *haystack == '\0') {
        return -1;
    }
    const size_t hayLength = std::strlen(haystack);
    const size_t needleLength = std::strlen(needle);
    if (needleLength > hayLength) {
        return -1;
    }
    for (size_t start = 0; start + needleLength <= hayLength; ++start) {
        size_t i = 0;
        while (i < needleLength && ToLowerByte(haystack[start + i]) == ToLowerByte(needle[i])) {
            ++i;
        }
        if (i == needleLength) {
            return static_cast<int>(start);
        }
    }
    return -1;
}

bool NoCaseLess(const std::string& a, const std::string& b)
{
    // As _stricmp: both sides folded to lower case, compared as unsigned
    // bytes, the text ending at its first NUL.
    const char* pa = a.c_str();
    const char* pb = b.c_str();
    for (;; ++pa, ++pb) {
        const int ca = ToLowerByte(*pa);
        const int cb = ToLowerByte(*pb);
        if (ca != cb || ca == 0) {
            return ca < cb;
        }
    }
}

bool ParseInt(const std::string& text, int& out)
{
    out = 0;
    if (text.empty()) {
        return false;
    }
    const bool negative = text[0] == '-';
    bool hex = false;
    // The magnitude is kept in 64 bits and checked at every digit, so no
    // text can overflow it.
    uint64_t value = 0;
    const uint64_t decimalLimit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    const uint64_t hexLimit = 0xFFFFFFFFull;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!hex && i == 1 && value == 0 && (c == 'x' || c == 'X')) {
            hex = true;
            continue;
        }
        const int digit = hex ? HexDigitValue(c) : (IsDigitByte(c) ? c - '0' : -1);
        if (digit < 0) {
            return false;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > (hex ? hexLimit : decimalLimit)) {
            return false;
        }
    }
    // Negation in unsigned arithmetic: "-2147483648" and "-0x80000000" have
    // no positive int, and a hexadecimal value keeps its 32 bits.
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) {
        bits = 0u - bits;
    }
    out = static_cast<int>(bits);
    return true;
}

bool ParseDouble(const std::string& text, double& out)
{
    out = 0.0;
    if (text.empty()) {
        return false;
    }
    const bool negative = text[0] == '-';
    bool seenPoint = false;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] == '.' && !seenPoint) {
            seenPoint = true;
        } else if (!IsDigitByte(text[i])) {
            return false;
        }
    }
    // A leading "0" lets "", "." and ".5" through the standard parser.
    const std::string digits = "0" + text.substr(negative ? 1 : 0);
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec != std::errc()) {
        return false;
    }
    out = (negative && value != 0.0) ? -value : value;
    return true;
}

bool ParseHexDigits(const std::string& text, uint32_t& out)
{
    out = 0;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            return false;
        }
    }
    out = static_cast<uint32_t>(value);
    return true;
}

bool IsLiteralValue(const std::string& token)
{
    if (token.empty()) {
        return false;
    }
    const char c = token[0];
    return IsDigitByte(c) || c == '-' || c == '+' || c == '\'' || c == '"';
}

std::string StripQuotes(const std::string& text)
{
    if (text.empty() || (text[0] != '\'' && text[0] != '"')) {
        return text;
    }
    const char quote = text[0];
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != quote) {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == quote) {
            out += quote;
            ++i;
        }
    }
    return out;
}
