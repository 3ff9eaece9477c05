// The edit box: typing with a length limit and a filtering observer,
// backspace, Ctrl+V from the clipboard, focus and the blinking caret.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "controls/IEditBoxMsgObserver.h"
#include "controls/KeybdMessageObserver.h"
#include "platform/window/Clipboard.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::Opaque;

namespace {

struct EditLog : IEditBoxMsgObserver, KeybdMessageObserver {
    void OnTextChanged(uint32_t) override { ++changes; }
    void OnFocusGained(uint32_t) override { ++gained; }
    void OnFocusLost(uint32_t) override { ++lost; }
    bool AcceptChar(char c) override { return c != '#'; }
    void OnChar(uint32_t, char) override { ++chars; }
    void OnKeyDown(uint32_t, uint32_t) override { ++keys; }
    int changes = 0, gained = 0, lost = 0, chars = 0, keys = 0;
};

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box = scene.Factory().CreateEditBoxVO();
        box->SetSize(60, 20);
        box->AddEditObserver(&log);
        box->AddEditObserver(&log);
        box->AddKeybdObserver(&log);
        box->SetVisible(true);
        box->SetFocus(true);
    }
    void TearDown() override { scene.Factory().ReleaseVO(box); }
    std::string Text()
    {
        std::string out;
        box->GetText(out);
        return out;
    }
    void Type(const std::string& s)
    {
        for (char c : s)
            scene.Factory().DispatchChar(c);
    }
    void Paste(const std::string& clip)
    {
        ASSERT_TRUE(platform::PutClipboardText(clip));
        scene.Factory().DispatchKeyDown(17);
        scene.Factory().DispatchKeyDown('V');
        scene.Factory().DispatchKeyUp(17);
    }

    ControlScene scene;
    IEditBoxVO* box = nullptr;
    EditLog log;
};

} // namespace

TEST_F(EditBoxTest, TypingStopsAtTheLimitButKeyboardObserversHearEveryCharacter)
{
    box->SetMaxLength(5);
    Type("ab#cdef");
    EXPECT_EQ(Text(), "abcde");
    EXPECT_EQ(log.changes, 5) << "the first observer's refusal and the limit tell nobody";
    EXPECT_EQ(log.chars, 7);
}

TEST_F(EditBoxTest, BackspaceOnAnEmptyBoxTellsNobody)
{
    scene.Factory().DispatchKeyDown(8);
    EXPECT_EQ(log.changes, 0);
    Type("ab");
    scene.Factory().DispatchKeyDown(8);
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(log.changes, 3);
}

TEST_F(EditBoxTest, PasteTakesAtMostTwentyCharactersAndIsCutToTheLimit)
{
    Paste("0123456789abcdefghijKLMNOPQRST");
    EXPECT_EQ(Text(), "0123456789abcdefghij");
    box->SetText("hello");
    box->SetMaxLength(8);
    Paste("world");
    EXPECT_EQ(Text(), "hellowor");
}

TEST_F(EditBoxTest, PastedCharactersPassTheSameFilterAsTypedOnes)
{
    struct DigitsOnly : IEditBoxMsgObserver {
        bool AcceptChar(char c) override { return c >= '0' && c <= '9'; }
    } digits;
    IEditBoxVO* amount = scene.Factory().CreateEditBoxVO();
    amount->AddEditObserver(&digits);
    amount->SetVisible(true);
    amount->SetFocus(true);
    Paste("../x");
    Paste("1#2a3");
    std::string text;
    amount->GetText(text);
    EXPECT_EQ(text, "123");
    scene.Factory().ReleaseVO(amount);
}

TEST_F(EditBoxTest, AProposedTextIsTypedOverByTheFirstCharacterTheBoxLetsIn)
{
    box->SetMaxLength(3);
    box->ProposeText("100");
    EXPECT_TRUE(box->IsTextProposed());
    Type("#");
    EXPECT_EQ(Text(), "100") << "a refused character leaves the proposal";
    EXPECT_TRUE(box->IsTextProposed());
    Type("7");
    EXPECT_EQ(Text(), "7") << "a full proposal takes no room";
    EXPECT_FALSE(box->IsTextProposed());
    Type("5");
    EXPECT_EQ(Text(), "75");
    EXPECT_EQ(log.changes, 2);

    // Backspace edits a proposal as any text; what follows is typed after it.
    box->ProposeText("20");
    scene.Factory().DispatchKeyDown(8);
    Type("5");
    EXPECT_EQ(Text(), "25");
    // A text set plainly is no proposal.
    box->ProposeText("20");
    box->SetText("20");
    EXPECT_FALSE(box->IsTextProposed());
    Type("1");
    EXPECT_EQ(Text(), "201");
}

TEST_F(EditBoxTest, APasteReplacesAProposalUnlessNothingOfItIsLetIn)
{
    box->ProposeText("20");
    Paste("##");
    EXPECT_EQ(Text(), "20");
    EXPECT_TRUE(box->IsTextProposed());
    Paste("6#0");
    EXPECT_EQ(Text(), "60");
    EXPECT_FALSE(box->IsTextProposed());
    Paste("1");
    EXPECT_EQ(Text(), "601");
}

TEST_F(EditBoxTest, ACtrlStillDownWhenTheFocusLeavesDoesNotPasteOnALaterV)
{
    IEditBoxVO* other = scene.Factory().CreateEditBoxVO();
    other->SetVisible(true);
    ASSERT_TRUE(platform::PutClipboardText("pasted"));
    scene.Factory().DispatchKeyDown(17);
    other->SetFocus(true);
    scene.Factory().DispatchKeyUp(17); // the release reaches the other box
    box->SetFocus(true);
    scene.Factory().DispatchKeyDown('V');
    EXPECT_EQ(Text(), "");
    scene.Factory().ReleaseVO(other);
}

TEST_F(EditBoxTest, ZeroLimitRefusesTypingButNotPasting)
{
    box->SetMaxLength(0);
    Type("abc");
    EXPECT_EQ(Text(), "");
    Paste("xyz");
    EXPECT_EQ(Text(), "xyz");
}

TEST_F(EditBoxTest, FocusStartsTheCaretBlinkAndLosingItHidesTheCaret)
{
    auto* bridge = dynamic_cast<EditBoxVO_bridge*>(box);
    EXPECT_EQ(log.gained, 1);
    EXPECT_FALSE(bridge->Kind().IsCaretShown());
    scene.Step(495);
    EXPECT_FALSE(bridge->Kind().IsCaretShown());
    scene.Step(5);
    EXPECT_TRUE(bridge->Kind().IsCaretShown());
    box->SetFocus(false);
    EXPECT_FALSE(bridge->Kind().IsCaretShown());
    EXPECT_EQ(log.lost, 1);
    scene.Step(1000);
    EXPECT_FALSE(bridge->Kind().IsCaretShown());
}

TEST_F(EditBoxTest, TextIsDrawnCentredInTheFrameWithTheCaretBesideIt)
{
    box->SetFont(scene.Font());
    box->SetPosition(10, 10);
    box->SetTextColour(RGB{0, 0, 255});
    box->SetCaretColour(RGB{255, 0, 0});
    box->SetText("ab");
    scene.Step(500);
    scene.Draw();
    // Box 10..69 x 10..29, centre (40, 20); text 12 wide from x 34 with its
    // line 15..25, blocks on rows 17..24.
    EXPECT_EQ(scene.Pixel(12, 12), Opaque(255, 255, 255));
    EXPECT_EQ(scene.Pixel(34, 20), Opaque(0, 0, 255));
    EXPECT_EQ(scene.Pixel(47, 20), Opaque(255, 0, 0));
    EXPECT_EQ(scene.Pixel(48, 20), Opaque(255, 255, 255)) << "a caret one pixel wide";
}
