// Text helpers shared by the framework and the game: printf-style
// formatting, narrow/wide conversion, case and white space, case-insensitive
// search and ordering, number parsing and the literal tests of the
// descriptor parsers. Strings are 8-bit text in the Windows-1252 code page
// unless a wide string is named.
//
// Threads: every function may be called from any thread; none keeps state.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

// Formatting and diagnostics. The result holds the whole text, however long.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string VFormatString(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
// Formats and hands the text to the debugger output.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Digits grouped by three with ","; "" for a negative number.
std::string CommaSeparated(int n);

// Conversions. Wide to narrow uses the Windows-1252 code page (wide
// characters 0x80..0x9F pass through as the same byte, so NarrowToWide text
// converts back unchanged); a text with a character the code page lacks
// gives "".
void ConvertWideToNarrow(std::string& out, const std::wstring& text);
std::string WideToNarrow(const std::wstring& text);
// Each byte becomes the wide character of the same value.
std::wstring NarrowToWide(const std::string& text);

// Case and white space, by the C library's classification of each byte.
std::string UpperCased(const std::string& text);
std::string LowerCased(const std::string& text);
std::string TrimSpaces(const std::string& text);
// Index of the first case-insensitive occurrence of needle; -1 when there is
// none or the haystack is empty (or either is null).
int IndexOfNoCase(const char* haystack, const char* needle);
// Case-insensitive "less", the ordering of the case-insensitive maps.
bool NoCaseLess(const std::string& a, const std::string& b);
struct NoCaseCompare {
    bool operator()(const std::string& a, const std::string& b) const { return NoCaseLess(a, b); }
};

// Number parsing.
// Optional "-", decimal digits; an "x"/"X" at index 1 while the value is
// still 0 switches to hexadecimal digits. out is 0 whenever the result is
// false. A decimal value outside the int range is refused; a hexadecimal one
// may use all 32 bits (0xFFFFFFFF gives -1, as colours are written) but no
// more.
bool ParseInt(const std::string& text, int& out);
// Optional "-", digits, at most one ".", digits; false with out = 0 otherwise.
bool ParseDouble(const std::string& text, double& out);
// Hexadecimal digits only; "" gives true and 0. A value needing more than
// 32 bits is refused. out is 0 whenever the result is false.
bool ParseHexDigits(const std::string& text, uint32_t& out);
// True when the token starts with a digit, "-", "+", ' or ".
bool IsLiteralValue(const std::string& token);
// A text starting with ' or " loses that quote character everywhere, except
// that a doubled one stands for one; other texts are returned unchanged.
std::string StripQuotes(const std::string& text);
