#include "framework/base/StringUtils.h"

#include "platform/core/DebugOutput.h"

#include <gtest/gtest.h>

#include <limits>

TEST(FormatString, LongResultsComeBackWhole)
{
    const std::string word(300, 'w');
    EXPECT_EQ(FormatString("<%s|%d>", word.c_str(), 42), "<" + word + "|42>");
    // Either side of what fits the first try, to the last character.
    for (size_t length : {159u, 160u, 161u}) {
        const std::string text = std::string(length - 1, 'x') + "y";
        EXPECT_EQ(FormatString("%s", text.c_str()), text) << length;
    }
    const std::string huge(2'000'000, 'h');
    EXPECT_EQ(FormatString("%s!", huge.c_str()).size(), huge.size() + 1);
}

TEST(FormatString, DebugPrintReachesTheDebuggerOutput)
{
    platform::testing::DebugOutputCapture capture;
    DebugPrint("value %d\n", 7);
    EXPECT_EQ(capture.Text(), "value 7\n");
}

TEST(CommaSeparated, GroupsDigitsByThree)
{
    EXPECT_EQ(CommaSeparated(0), "0");
    EXPECT_EQ(CommaSeparated(999), "999");
    EXPECT_EQ(CommaSeparated(1000), "1,000");
    EXPECT_EQ(CommaSeparated(1234567), "1,234,567");
    EXPECT_EQ(CommaSeparated(std::numeric_limits<int>::max()), "2,147,483,647");
    EXPECT_EQ(CommaSeparated(-5), "");
}

TEST(WideText, CodePageCharactersSurviveARoundTrip)
{
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(WideToNarrow(NarrowToWide(all)), all);
    EXPECT_EQ(NarrowToWide("\xE9"), std::wstring(1, L'\xE9'));
    EXPECT_EQ(WideToNarrow(L"\x20AC 5"), "\x80 5"); // the euro sign
    EXPECT_EQ(WideToNarrow(L"ok \x4E2D"), "");      // not in the code page
}

TEST(CaseAndSpaces, BytesAboveAsciiAreSafeAndUnchanged)
{
    EXPECT_EQ(UpperCased("abc\xE9xyz"), "ABC\xE9XYZ");
    EXPECT_EQ(LowerCased("ABC\xC9"), "abc\xC9");
    EXPECT_EQ(TrimSpaces(" \t x y \r\n"), "x y");
    EXPECT_EQ(TrimSpaces("\xA0z\xA0"), "\xA0z\xA0");
    EXPECT_EQ(TrimSpaces("   "), "");
}

TEST(NoCase, SearchAndOrderIgnoreCase)
{
    EXPECT_EQ(IndexOfNoCase("Hello World", "WORLD"), 6);
    EXPECT_EQ(IndexOfNoCase("abc", "abcd"), -1);
    EXPECT_EQ(IndexOfNoCase("", ""), -1);
    EXPECT_EQ(IndexOfNoCase(nullptr, "a"), -1);
    EXPECT_TRUE(NoCaseLess("apple", "BANANA"));
    EXPECT_FALSE(NoCaseLess("Apple", "apple"));
    EXPECT_FALSE(NoCaseLess("apple", "Apple"));
    EXPECT_TRUE(NoCaseLess("app", "APPLE"));
    // Letters fold to lower case first, as the Windows comparison does.
    EXPECT_TRUE(NoCaseLess("_", "A"));
    EXPECT_FALSE(NoCaseLess("A", "_"));
}

TEST(ParseInt, AcceptsDecimalAndHexadecimal)
{
    int value = -1;
    EXPECT_TRUE(ParseInt("0x1F", value));
    EXPECT_EQ(value, 31);
    EXPECT_TRUE(ParseInt("-12", value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(ParseInt("-", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ParseInt("-x10", value));
    EXPECT_EQ(value, -16);
    EXPECT_TRUE(ParseInt("0XfF", value));
    EXPECT_EQ(value, 255);
}

TEST(ParseInt, RefusesMalformedTextWithZero)
{
    int value = 5;
    EXPECT_FALSE(ParseInt("12a", value));
    EXPECT_EQ(value, 0);
    value = 5;
    EXPECT_FALSE(ParseInt("", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(ParseInt("x1", value));
    EXPECT_FALSE(ParseInt("1x2", value));
    EXPECT_FALSE(ParseInt("-0x1", value));
    EXPECT_FALSE(ParseInt(" 1", value));
}

TEST(ParseInt, OverflowIsRefusedAndFullHexWordsKeepTheirBits)
{
    int value = 0;
    EXPECT_TRUE(ParseInt("2147483647", value));
    EXPECT_EQ(value, std::numeric_limits<int>::max());
    EXPECT_TRUE(ParseInt("-2147483648", value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    EXPECT_FALSE(ParseInt("2147483648", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(ParseInt("99999999999999999999999", value));
    // Colours are written as full 32-bit words.
    EXPECT_TRUE(ParseInt("0xFFFFFFFF", value));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(ParseInt("0x80000000", value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    EXPECT_FALSE(ParseInt("0x100000000", value));
}

TEST(ParseDouble, DigitsWithOnePointOnly)
{
    double value = 9.0;
    EXPECT_TRUE(ParseDouble("12.5", value));
    EXPECT_DOUBLE_EQ(value, 12.5);
    EXPECT_TRUE(ParseDouble("-0.25", value));
    EXPECT_DOUBLE_EQ(value, -0.25);
    EXPECT_TRUE(ParseDouble(".5", value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_FALSE(ParseDouble("1.2.3", value));
    EXPECT_EQ(value, 0.0);
    value = 9.0;
    EXPECT_FALSE(ParseDouble("1e5", value));
    EXPECT_EQ(value, 0.0);
    EXPECT_FALSE(ParseDouble("", value));
    EXPECT_FALSE(ParseDouble("+1", value));
}

TEST(ParseHexDigits, ReadsAddressesAndRefusesOverflow)
{
    uint32_t value = 1;
    EXPECT_TRUE(ParseHexDigits("0040a1Ff", value));
    EXPECT_EQ(value, 0x0040A1FFu);
    EXPECT_TRUE(ParseHexDigits("", value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(ParseHexDigits("0000000012345678", value));
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_FALSE(ParseHexDigits("123456789", value));
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(ParseHexDigits("12g", value));
}

TEST(DescriptorTokens, LiteralsAndQuotes)
{
    EXPECT_TRUE(IsLiteralValue("12"));
    EXPECT_TRUE(IsLiteralValue("-x"));
    EXPECT_TRUE(IsLiteralValue("+"));
    EXPECT_TRUE(IsLiteralValue("'a'"));
    EXPECT_TRUE(IsLiteralValue("\"a\""));
    EXPECT_FALSE(IsLiteralValue("Name"));
    EXPECT_FALSE(IsLiteralValue(""));
    EXPECT_FALSE(IsLiteralValue("\xB2"));

    EXPECT_EQ(StripQuotes("'it''s'"), "it's");
    EXPECT_EQ(StripQuotes("\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(StripQuotes("\"a'b\""), "a'b");
    EXPECT_EQ(StripQuotes("plain 'text'"), "plain 'text'");
    EXPECT_EQ(StripQuotes(""), "");
}
