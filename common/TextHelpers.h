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

// An amount of money as the screens write it: every digit of its whole part
// (never an exponent), then its cents when it has any (37.5 reads "37.5",
// 12.75 "12.75", 200 "200"), with a leading '-' below zero. The amount is cut
// toward zero at the cent, so the text never reads more than the amount;
// past what a double holds to the cent (some 90 billion billion cents) it
// reads whole dollars. `groupSeparator`, when given, stands between every
// group of three digits of the whole part, counted from the right.
std::string AmountToString(double amount, const char* groupSeparator = nullptr);

// The whole part of an amount of money, cut toward zero, as a 64-bit integer:
// no amount the game can hold wraps or is cut to 16 or 32 bits. Amounts
// beyond the range stick at its ends; a value that is no number is 0.
int64_t WholeDollars(double amount);

// ASCII upper case letters lowered; every other byte kept as it is.
std::string ToLowerCase(const std::string& text);
