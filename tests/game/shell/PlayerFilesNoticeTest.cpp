// The "Player files" notice on its own: every word of a long message is
// shown inside its frame, a path too long for it names its file, a message
// told again while it waits is answered by one Return and shown again once
// read, every Ok clicks, and the notice stands on the screen above what it
// keeps in sight, no higher than it must.
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "controls/Size.h"
#include "game/shell/FinishDlgImpl.h"
#include "game/shell/PlayerFilesNotice.h"
#include "game/shell/ScreenSize.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace Gamespace {
namespace {

class Notice : public ShellDialogScene {
protected:
    std::string Joined()
    {
        std::string text;
        for (const std::string& line : notice_.Message())
            text += (text.empty() ? "" : " ") + line;
        return text;
    }

    PlayerFilesNotice notice_{nullptr};
};

TEST_F(Notice, ALongReasonIsShownWholeInsideTheFrameAndALongPathByItsFileName)
{
    const std::string why = "(it is a folder; nothing was replaced); the change was not saved.";
    const std::string what = "The settings could not be kept as they should be:";
    // A path wider than a line, then one longer than the whole notice.
    for (const size_t depth : {12u, 80u}) {
        std::string folder;
        for (size_t i = 0; i < depth; ++i)
            folder += "/folder" + std::to_string(i);
        const std::string path = folder + "/pellucor/registry.txt";
        notice_.Add({what, "cannot save " + path + " " + why});
        notice_.ShowNext();
        ASSERT_TRUE(notice_.IsVisible());
        const std::vector<std::string> lines = notice_.Message();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), what);
        const std::string shown = Joined();
        EXPECT_NE(shown.find(why), std::string::npos) << shown;
        EXPECT_EQ(shown.find("..."), std::string::npos) << shown;
        EXPECT_NE(shown.find("registry.txt"), std::string::npos) << shown;
        if (depth == 12u) {
            EXPECT_NE(shown.find("/folder11/pellucor/"), std::string::npos) << "the whole path where it fits";
        }
        const ControlLibrary::Rect frame = notice_.DialogObject().GetScreenRect();
        // Its lines and its button: all the scene shows besides the notice.
        for (ControlLibrary::IVisibleObject* child : Factory().ShownObjects()) {
            if (child->GetId() == notice_.GetId())
                continue;
            const ControlLibrary::Rect r = child->GetScreenRect();
            EXPECT_GE(r.x, frame.x + 20);
            EXPECT_LE(r.x + r.w, frame.x + frame.w - 20);
            EXPECT_GE(r.y, frame.y + 60) << "under the title";
            EXPECT_LE(r.y + r.h, frame.y + frame.h - 10) << "object " << child->GetId();
        }
        PressKey(PlayerFilesNotice::kReturnKey);
        EXPECT_FALSE(notice_.IsVisible());
    }
}

TEST_F(Notice, AFileNameTooLongForTheWholeNoticeLosesItsMiddleAndTheReasonAndOutcomeStay)
{
    const std::string name = std::string(300, 'a') + std::string(300, 'z') + "_.usr";
    const std::string reason = "the disk is full.";
    const std::string outcome = "It is kept and saved again later.";
    notice_.Add({"The player Ann was not saved:", "cannot write /home/ann/" + name + ": " + reason, outcome});
    notice_.ShowNext();
    ASSERT_TRUE(notice_.IsVisible());
    EXPECT_LE(notice_.Message().size(), PlayerFilesNotice::kMaxLines);
    const std::string shown = Joined();
    EXPECT_NE(shown.find("aaa..."), std::string::npos) << shown;
    EXPECT_NE(shown.find("zzz_.usr"), std::string::npos) << shown;
    EXPECT_NE(shown.find(reason), std::string::npos) << shown;
    EXPECT_NE(shown.find(outcome), std::string::npos) << shown;
}

TEST_F(Notice, AMessageToldAgainWhileItShowsOrWaitsIsAnsweredByOneReturn)
{
    const std::vector<std::string> full{"Ann's tournament was not saved:", "the disk is full.",
                                        "It is kept and saved again later."};
    const std::vector<std::string> other{"The player Bob was not saved:", "the disk is full."};
    for (int i = 0; i < 5; ++i) {
        notice_.Add(full);
        notice_.ShowNext();
        notice_.Add(other);
    }
    ASSERT_TRUE(notice_.IsVisible());
    EXPECT_EQ(notice_.Message(), full);
    PressKey(PlayerFilesNotice::kReturnKey);
    ASSERT_TRUE(notice_.IsVisible());
    EXPECT_EQ(notice_.Message(), other);
    PressKey(PlayerFilesNotice::kReturnKey);
    EXPECT_FALSE(notice_.IsVisible());
    // Once read, each is told again when it comes back, the last one read
    // too (a second failed delete of the same player says the same words).
    for (const std::vector<std::string>& message : {other, full, full}) {
        notice_.Add(message);
        notice_.ShowNext();
        ASSERT_TRUE(notice_.IsVisible());
        EXPECT_EQ(notice_.Message(), message);
        PressKey(PlayerFilesNotice::kReturnKey);
        EXPECT_FALSE(notice_.IsVisible());
    }
}

TEST_F(Notice, EveryOkClicksAndTheNoticeStandsOnTheScreenAboveWhatItKeepsInSight)
{
    const std::vector<std::string> first{"The player Ann was not deleted:", "the folder cannot be written."};
    const std::vector<std::string> second{"The player Ann was not saved:", "the disk is full."};
    notice_.Add(first);
    notice_.Add(second);
    notice_.ShowNext();
    PressKey(PlayerFilesNotice::kReturnKey);
    EXPECT_EQ(notice_.Message(), second);
    EXPECT_EQ(Clicks(), 1u) << "paging on";
    PressKey(PlayerFilesNotice::kReturnKey);
    EXPECT_FALSE(notice_.IsVisible());
    EXPECT_EQ(Clicks(), 2u) << "closing";

    // In the middle where what it keeps in sight is below it; raised above
    // what stands higher, but never past the top of the screen.
    for (const int32_t edge : {INT32_MAX, 700, 500, 100, -50}) {
        SCOPED_TRACE("edge " + std::to_string(edge));
        notice_.StandAbove(edge);
        const ControlLibrary::Rect r = notice_.DialogObject().GetScreenRect();
        EXPECT_GE(r.y, 0);
        if (edge >= 384 + PlayerFilesNotice::kHeight / 2 + 8) {
            EXPECT_EQ(r.y + r.h / 2, 384) << "the middle of the screen";
        } else if (edge - 8 >= PlayerFilesNotice::kHeight) {
            EXPECT_EQ(r.y + r.h, edge - 8) << "just above the edge";
        } else {
            EXPECT_EQ(r.y, 0) << "at the top";
        }
    }
}

TEST_F(Notice, ItStandsInTheMiddleUnlessItWouldReachTheEdgeBelowItThenJustAboveThatEdge)
{
    notice_.Add({"The player Ann was not saved:", "the disk is full."});
    notice_.ShowNext();
    ASSERT_TRUE(notice_.IsVisible());
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    const int32_t middle = static_cast<int32_t>(screen.h / 2);
    const int32_t centredBottom = middle + PlayerFilesNotice::kHeight / 2;
    // Nothing to keep in sight, an edge well below it, one it would cover by
    // a little and by much (the hand result's top at the table).
    for (const int32_t edge : {INT32_MAX, centredBottom + 100, centredBottom, centredBottom - 40,
                               FinishDlgImpl::kTop}) {
        notice_.StandAbove(edge);
        const ControlLibrary::Rect r = notice_.DialogObject().GetScreenRect();
        EXPECT_EQ(r.h, PlayerFilesNotice::kHeight);
        EXPECT_EQ(r.x + r.w / 2, static_cast<int32_t>(screen.w / 2)) << "edge " << edge;
        if (edge > centredBottom + 20) {
            EXPECT_EQ(r.y + r.h / 2, middle) << "edge " << edge;
            continue;
        }
        EXPECT_LT(r.y + r.h, edge) << "edge " << edge;
        EXPECT_GT(r.y + r.h, edge - 20) << "no higher than it must, edge " << edge;
        EXPECT_GE(r.y, 0);
    }
}

TEST_F(Notice, AWordWiderThanALineBreaksAtASlashOnlyWhereThatKeepsMostOfTheLine)
{
    // One slash just after the start, none later.
    const std::string word = "/a/" + std::string(200, 'b') + ".usr";
    notice_.Add({"cannot write " + word});
    notice_.ShowNext();
    ASSERT_TRUE(notice_.IsVisible());
    const std::vector<std::string> lines = notice_.Message();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "cannot write");
    EXPECT_GT(lines[1].size(), 20u) << "broken at the early slash: " << lines[1];
    EXPECT_EQ(lines[1].substr(0, 4), "/a/b");
    std::string joined;
    for (size_t i = 1; i < lines.size(); ++i)
        joined += lines[i];
    EXPECT_EQ(joined, word) << "not a character lost";
}

TEST_F(Notice, PathsShortenedToTheirFilesKeepTheBracketBeforeThemAndNothingElse)
{
    // More long paths than lines: they are named by their files.
    std::string paths = "cannot write";
    for (int i = 0; i < 9; ++i)
        paths += " /home/ann/" + std::string(40, static_cast<char>('a' + i)) + "/p" + std::to_string(i) + "_.usr";
    const std::vector<std::string> lines{"The players were not saved:", paths,
                                         "see save/Ann_.usr and (/home/ann/.config/registry.txt)."};
    notice_.Add(lines);
    notice_.ShowNext();
    ASSERT_TRUE(notice_.IsVisible());
    const std::string shown = Joined();
    EXPECT_NE(shown.find("p8_.usr"), std::string::npos) << shown;
    EXPECT_NE(shown.find("see Ann_.usr and (registry.txt)."), std::string::npos) << shown;
}

} // namespace
} // namespace Gamespace
