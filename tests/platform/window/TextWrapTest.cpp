// How every box breaks its text into lines: the drawn box, the crash
// window's report and the text handed to the system's box.
#include "platform/window/TextWrap.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace platform {
namespace {

// Every character one unit wide.
WrapRule Columns(int width)
{
    WrapRule rule;
    rule.width = width;
    rule.measure = [](const std::string& text) { return static_cast<int>(text.size()); };
    return rule;
}

using Lines = std::vector<std::string>;

TEST(TextWrap, BreaksAtLineEndsThenAfterTheLastBlankThatFitsThenInsideAWordTooLong)
{
    EXPECT_EQ(WrapText("one two three four\r\nfive", Columns(9)), (Lines{"one two", "three", "four", "five"}));
    EXPECT_EQ(WrapText("abcdefghijklmnop qr", Columns(6)), (Lines{"abcdef", "ghijkl", "mnop", "qr"}));
    EXPECT_EQ(WrapText("ab cd", Columns(2)), (Lines{"ab", "cd"})) << "a blank right after the line breaks there";
    EXPECT_EQ(WrapText("    indented line", Columns(12)), (Lines{"    indented", "line"}));
    EXPECT_EQ(WrapText("    indented line", Columns(10)), (Lines{"    indent", "ed line"})) << "an indent is no break";
    EXPECT_EQ(WrapText("a\tb\n\nc\n\n", Columns(20)), (Lines{"a       b", "", "c"}))
        << "tabs stand at every eighth column; blank lines inside stay, at the end go";
    EXPECT_EQ(WrapText("abcdefgh\tb", Columns(20)), (Lines{"abcdefgh        b"})) << "a tab at a stop goes to the next";
    EXPECT_EQ(WrapText("ab\xA9" "c", Columns(2)), (Lines{"ab", "\xA9" "c"}))
        << "a Windows-1252 character is a byte like any other, whatever UTF-8 would make of it";
    EXPECT_EQ(WrapText("", Columns(5)), (Lines{""}));
    EXPECT_EQ(WrapText("xyz", Columns(0)), (Lines{"x", "y", "z"})) << "a box narrower than a character moves on";
}

TEST(TextWrap, ATextTooLongKeepsItsFirstLinesAndEndsInAnEllipsisWithinTheWidth)
{
    Lines lines = WrapText("one two three four five six", Columns(9));
    KeepFirstLines(lines, 2, "...", Columns(9));
    EXPECT_EQ(lines, (Lines{"one two", "three..."}));
    lines = {"a full line", "more"};
    KeepFirstLines(lines, 1, "...", Columns(11));
    EXPECT_EQ(lines, (Lines{"a full l..."}));
    EXPECT_EQ(FitOneLine("short", "...", Columns(9)), "short");
    EXPECT_EQ(FitOneLine("much too long", "...", Columns(9)), "much t...");
}

TEST(TextWrap, TheSystemBoxGetsEightyCharactersALineAndNeverHalfAUtf8Character)
{
    // "é" is two bytes and one character.
    std::string word;
    for (int i = 0; i < 100; ++i)
        word += "\xC3\xA9";
    const std::string fitted = FitForSystemBox("Profile: " + word + "\n" + std::string(30 * 81, 'x'));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = fitted.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(fitted.substr(start, end - start));
    lines.push_back(fitted.substr(start));
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[0], "Profile:");
    EXPECT_EQ(lines[1], word.substr(0, 160)) << "80 characters, 160 bytes";
    EXPECT_EQ(lines[2], word.substr(160));
    EXPECT_EQ(lines[3], std::string(80, 'x'));
    EXPECT_EQ(lines.back(), std::string(77, 'x') + "...");

    // The same rule on a box narrower than a character, and cutting to fit.
    WrapRule rule = Columns(0);
    rule.utf8 = true;
    rule.measure = [](const std::string& text) {
        return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    EXPECT_EQ(WrapText(word.substr(0, 4), rule), (Lines{word.substr(0, 2), word.substr(0, 2)}))
        << "a character wider than the box goes whole";
    rule.width = 6;
    rule.measure = Columns(6).measure; // bytes, as a font's widths would differ
    EXPECT_EQ(FitOneLine(word.substr(0, 12), "...", rule), word.substr(0, 2) + "...");
}

} // namespace
} // namespace platform
