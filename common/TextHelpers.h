// Number and text conversions shared by the game and the control toolkit.
// Plain functions without state: any thread may call them.
#pragma once

#include <cstdint>
#include <string>

// Decimal conversion in the manner of strtol: leading white space skipped, an
// optional sign, digits up to the first other character; 0 when there is no
// digit; values past the 32-bit range stick at INT_MIN / INT_MAX.
int StringToInt(const std::string& text);

// Decimal digits, with a leading '-' for negative values.
std::string IntToString(int value);

// Decimal digits of an unsigned 16-bit value.
std::string UShortToString(uint16_t value);

// What a default-formatted output stream writes: six significant digits, the
// shorter of fixed and exponent notation as "%g" chooses, no trailing zeros.
std::string DoubleToString(double value);

// The whole part of an amount of money, cut toward zero, as a 64-bit integer:
// no amount the game can hold wraps or is cut to 16 or 32 bits. Amounts
// beyond the range stick at its ends; a value that is no number is 0.
int64_t WholeDollars(double amount);

// ASCII upper case letters lowered; every other byte kept as it is.
std::string ToLowerCase(const std::string& text);
