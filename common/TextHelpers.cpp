#include "common/TextHelpers.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <limits>
#include <sstream>

int StringToInt(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    // long is wider than int here; clamp the way a 32-bit strtol saturates.
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::string IntToString(int value) { return std::to_string(value); }

std::string UShortToString(uint16_t value) { return std::to_string(static_cast<unsigned>(value)); }

std::string DoubleToString(double value)
{
    std::ostringstream out;
    // Money must read the same whatever locale the process was given.
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

int64_t WholeDollars(double amount)
{
    if (std::isnan(amount))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (amount >= kLimit)
        return std::numeric_limits<int64_t>::max();
    if (amount <= -kLimit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(amount);
}

std::string ToLowerCase(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return lower;
}
