// Tagged and wrapped text of the drawing context, with a fixed-width font of
// the test's own that records what it is asked to draw.
#include "RecordingImage.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zolt {
namespace {

using testing::RecordingImage;

// Every character 6 pixels wide, except that 'V' after 'A' kerns by -2.
// Ascent 10 with 2 of padding, height 14, line advance 16.
class GridFont : public Font {
public:
    GridFont()
    {
        ascent_ = 10;
        ascentPadding_ = 2;
        height_ = 14;
        lineSpacingOffset_ = 2;
    }
    int32_t MeasureText(const std::string& text) override
    {
        int32_t w = 0;
        char previous = 0;
        for (char c : text) {
            w += MeasureCharAfter(c, previous);
            previous = c;
        }
        return w;
    }
    int32_t MeasureCharAfter(char c, char previous) override { return previous == 'A' && c == 'V' ? 4 : 6; }
    void RenderText(Graphics*, int x, int y, const std::string& text, const Color& color, const Rect&) override
    {
        runs.push_back({x, y, text, color});
    }
    Font* Clone() override { return new GridFont(*this); }

    struct Run {
        int x, y;
        std::string text;
        Color color;
    };
    std::vector<Run> runs;
};

class GraphicsText : public ::testing::Test {
protected:
    GraphicsText() : dest(200, 200), g(&dest) { g.SetFont(&font); }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto& r : font.runs)
            out.push_back(r.text);
        return out;
    }

    RecordingImage dest;
    GridFont font;
    Graphics g;
};

TEST_F(GraphicsText, ColourTagSwitchesColourAndKeepsAlpha)
{
    g.SetColor(Color(0, 0, 255, 200));
    const int width = g.WriteTaggedText("red^FF0000^blue", 5, 20, 0, -1, true, 0, -1, -1);
    ASSERT_EQ(font.runs.size(), 2u);
    EXPECT_EQ(font.runs[0].text, "red");
    EXPECT_EQ(font.runs[0].color, Color(0, 0, 255, 200));
    EXPECT_EQ(font.runs[1].text, "blue");
    EXPECT_EQ(font.runs[1].x, 5 + 18);
    EXPECT_EQ(font.runs[1].color, Color(255, 0, 0, 200));
    EXPECT_EQ(width, 42);
    EXPECT_EQ(g.GetColor(), Color(255, 0, 0, 200)); // the last tag stays set
}

TEST_F(GraphicsText, DoubledCaretIsOneCaretAndUnfinishedTagEndsTheText)
{
    EXPECT_EQ(g.WriteTaggedText("a^^b", 0, 0, 0, -1, true, 0, -1, -1), 18);
    EXPECT_EQ(g.WriteTaggedText("abc^12", 0, 0, 0, -1, true, 0, -1, -1), 18);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a^b", "abc"}));
}

TEST_F(GraphicsText, OldColourTagAndMisspeltOne)
{
    g.WriteTaggedText("^oldclr^x", 0, 0, 0, -1, true, 0, -1, 0x123456);
    EXPECT_EQ(g.GetColor(), Color(0x12, 0x34, 0x56));
    g.WriteTaggedText("^oops!!^x", 0, 0, 0, -1, true, 0, -1, 0x123456);
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0));
    g.WriteTaggedText("^zz00Gf^x", 0, 0, 0, -1, true, 0, -1, -1); // non-hex digits count 0
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0x0f));
}

TEST_F(GraphicsText, MeasuringNeverChangesTheColour)
{
    g.SetColor(Color(1, 2, 3));
    EXPECT_EQ(g.WriteTaggedText("ab^FF0000^cd", 0, 0, 0, -1, false, 0, -1, -1), 24);
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    EXPECT_TRUE(font.runs.empty());
}

TEST_F(GraphicsText, JustificationAndCharacterRange)
{
    g.WriteTaggedText("ab", 10, 0, 100, 1, true, 0, -1, -1);
    g.WriteTaggedText("ab", 10, 0, 100, 0, true, 0, -1, -1);
    g.WriteTaggedText("hello", 0, 0, 0, -1, true, 1, 3, -1);
    g.WriteTaggedText("hello", 0, 0, 0, -1, true, 9, 3, -1); // starts past the end: nothing
    ASSERT_EQ(font.runs.size(), 3u);
    EXPECT_EQ(font.runs[0].x, 10 + 88);
    EXPECT_EQ(font.runs[1].x, 10 + 44);
    EXPECT_EQ(font.runs[2].text, "ell");
}

TEST_F(GraphicsText, TwoWordsWrapAtTheSpace)
{
    int widest = -1;
    const int height = g.WriteWrappedText(Rect(3, 40, 30, 0), "abc def", -1, -1, &widest, -1, nullptr);
    ASSERT_EQ(Texts(), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(font.runs[0].y, 40 + 8);
    EXPECT_EQ(font.runs[1].y, 40 + 8 + 16);
    EXPECT_EQ(font.runs[1].x, 3);
    EXPECT_EQ(height, 4 + 40 - 16);
    // A broken line counts up to and including the character that did not fit.
    EXPECT_EQ(widest, 36);
}

TEST_F(GraphicsText, LongWordIsCutBeforeTheFirstCharacterThatDoesNotFit)
{
    g.WriteWrappedText(Rect(0, 0, 20, 0), "abcdef", -1, -1, nullptr, -1, nullptr);
    g.WriteWrappedText(Rect(0, 0, 4, 0), "xyz", -1, -1, nullptr, -1, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abc", "def", "x", "y", "z"}));
}

TEST_F(GraphicsText, NewlinesBreakAndATrailingOneAddsALine)
{
    int lineWidth = 50;
    const int height = g.WriteWrappedText(Rect(0, 0, 100, 0), "ab\n", -1, -1, nullptr, -1, &lineWidth);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"ab"}));
    EXPECT_EQ(height, 4 + (8 + 16 + 16) - 16);
    EXPECT_EQ(lineWidth, 0);
    EXPECT_EQ(font.runs[0].x, 50); // the first line started at the given offset
}

TEST_F(GraphicsText, LinesBelowTheClipAreSkippedButTheLastIsDrawn)
{
    Graphics small(&dest);
    small.SetFont(&font);
    small.NarrowClip(0, 0, 200, 20);
    small.WriteWrappedText(Rect(0, 0, 12, 0), "aa bb cc dd", -1, -1, nullptr, -1, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"aa", "bb", "dd"}));
}

TEST_F(GraphicsText, CharacterLimitStopsTheText)
{
    g.WriteWrappedText(Rect(0, 0, 30, 0), "abc def ghi", -1, -1, nullptr, 5, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abc", "d"}));
    font.runs.clear();
    g.WriteWrappedText(Rect(0, 0, 500, 0), "abc def ghi", -1, -1, nullptr, 5, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abc d"}));
}

TEST_F(GraphicsText, TagAtTheEndOfAWrappedTextStaysInsideIt)
{
    g.SetColor(Color(7, 7, 7));
    g.WriteWrappedText(Rect(0, 0, 100, 0), "ab^12", -1, -1, nullptr, -1, nullptr);
    g.WriteWrappedText(Rect(0, 0, 100, 0), "cd^00FF00^", -1, -1, nullptr, -1, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(g.GetColor(), Color(7, 7, 7)); // restored after the block
}

TEST_F(GraphicsText, KerningCountsInWrapping)
{
    // "AVA" is 6 + 4 + 6 = 16 wide with kerning: fits a box of 16.
    g.WriteWrappedText(Rect(0, 0, 16, 0), "AVA", -1, -1, nullptr, -1, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"AVA"}));
}

TEST_F(GraphicsText, HeightOfEmptyTextAndWithoutFont)
{
    EXPECT_EQ(g.MeasureWrappedHeight(100, "", -1, nullptr), 10 - 2 + 4 - 16);
    EXPECT_EQ(g.MeasureWrappedHeight(100, "", 20, nullptr), 10 - 2 + 4 - 20);
    int widest = 0;
    EXPECT_EQ(g.MeasureWrappedHeight(30, "abc def", -1, &widest), 28);
    EXPECT_TRUE(font.runs.empty() || font.runs.size() == 2u);
    Graphics bare(&dest);
    bare.RenderText("x", 0, 0);
    EXPECT_EQ(bare.WriteWrappedText(Rect(0, 0, 10, 0), "x", -1, -1, nullptr, -1, nullptr), 0);
}

} // namespace
} // namespace Zolt
