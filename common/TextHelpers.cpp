#include "common/TextHelpers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
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

std::string AmountToString(double amount, const char* groupSeparator)
{
    if (std::isnan(amount))
        return "0";
    const double magnitude = std::min(std::fabs(amount), std::numeric_limits<double>::max());
    std::string digits;
    uint64_t cents = 0;
    // 2^53 cents: below it every cent of the amount is held.
    constexpr double kCentsHeld = 9007199254740992.0 / 100.0;
    if (magnitude < kCentsHeld) {
        // A hair over, so that an amount held a shade below its cent (0.29
        // is 0.28999...) still reads that cent; the amounts of the game are
        // whole and half dollars, held exactly.
        const auto total = static_cast<uint64_t>(std::floor(magnitude * 100.0 + 1e-6));
        digits = std::to_string(total / 100);
        cents = total % 100;
    } else {
        // Every digit of the whole part, as the C library writes it (the
        // cents are below what the double holds).
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(magnitude));
        digits = buffer;
    }
    std::string text = (amount < 0.0 && (digits != "0" || cents != 0)) ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (groupSeparator != nullptr && i > 0 && (digits.size() - i) % 3 == 0)
            text += groupSeparator;
        text += digits[i];
    }
    if (cents != 0) {
        text += '.';
        text += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0)
            text += static_cast<char>('0' + cents % 10);
    }
    return text;
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
