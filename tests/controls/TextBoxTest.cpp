// The text box: wrapping paragraphs to the width, alignment, and paging.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::kFontAdvance;
using testing_support::Opaque;

namespace {

class TextBoxTest : public ::testing::Test {
protected:
    void SetUp() override { box = scene.Factory().CreateTextBoxVO(); }
    void TearDown() override { scene.Factory().ReleaseVO(box); }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> out;
        for (const auto& line : dynamic_cast<TextBoxVO_bridge*>(box)->Kind().GetLines())
            out.push_back(line.text);
        return out;
    }
    std::vector<TextBoxVO_impl::Line> Laid() { return dynamic_cast<TextBoxVO_bridge*>(box)->Kind().GetLines(); }

    ControlScene scene;
    ITextBoxVO* box = nullptr;
};

} // namespace

TEST_F(TextBoxTest, ShortTextStaysOneLineAndANewlineBreaksIt)
{
    box->SetSize(300, 100);
    box->AddText("two words", scene.Font(), 0, RGB{});
    box->AddText("one\nmore", scene.Font(), 0, RGB{});
    EXPECT_EQ(Lines(), (std::vector<std::string>{"two words", "one\n", "more"}));
    const auto laid = Laid();
    EXPECT_EQ(laid[0].y, 10);
    EXPECT_EQ(laid[2].y, 30);
}

TEST_F(TextBoxTest, LongTextBreaksAtTheLastSpaceAndKeepsItsTail)
{
    box->SetSize(10 * kFontAdvance, 100);
    box->AddText("aaaa bbbb cc", scene.Font(), 0, RGB{});
    EXPECT_EQ(Lines(), (std::vector<std::string>{"aaaa bbbb", " cc"}));
    box->Clear();
    box->AddText("abcdefghijkl", scene.Font(), 0, RGB{});
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abcdefghij", "kl"}));
}

TEST_F(TextBoxTest, CentredAndRightAlignedLinesArePlacedInTheWidth)
{
    box->SetSize(300, 100);
    box->AddText(std::string(100 / kFontAdvance + 1, 'x').substr(0, 1) + "", scene.Font(), 1, RGB{});
    box->AddText("abcde", scene.Font(), 2, RGB{});
    const auto laid = Laid();
    EXPECT_EQ(laid[0].x, 150 - kFontAdvance / 2);
    EXPECT_EQ(laid[1].x, 300 - 5 * kFontAdvance);
}

TEST_F(TextBoxTest, PagesOfTheBoxHeightScrollAndDraw)
{
    box->SetSize(100, 20);
    box->AddText("l1\nl2\nl3\nl4\nl5", scene.Font(), 0, RGB{255, 0, 0});
    EXPECT_TRUE(box->CanScrollDown());
    EXPECT_FALSE(box->CanScrollUp());
    EXPECT_TRUE(box->ScrollDown());
    EXPECT_TRUE(box->ScrollDown());
    EXPECT_FALSE(box->ScrollDown());
    EXPECT_TRUE(box->CanScrollUp());
    box->SetPosition(10, 10);
    box->SetVisible(true);
    scene.Draw();
    // Page 2 holds l5 alone, drawn as the first line of the page: its top
    // one line height below the box's top.
    EXPECT_EQ(scene.Pixel(10, 22), Opaque(255, 0, 0));
    EXPECT_EQ(scene.Pixel(10, 12), Opaque(0, 0, 0));

    box->Clear();
    box->AddText("fits", scene.Font(), 0, RGB{});
    EXPECT_FALSE(box->CanScrollDown());
    EXPECT_FALSE(box->ScrollDown());
    EXPECT_FALSE(box->ScrollUp());
}

TEST_F(TextBoxTest, NullFontOrEmptyBoxMakesNoLines)
{
    box->AddText("text", nullptr, 0, RGB{});
    box->AddText("text", scene.Font(), 0, RGB{});
    EXPECT_TRUE(Lines().empty()) << "a box without width lays nothing out";
    box->SetSize(100, 20);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"text"}));
}
