// The queue between the window procedure and the loop: what it takes, and
// the rules that keep a burst of ticks or colour changes, or anything after
// a close, out of it.
#include "framework/app/InputQueue.h"

#include "platform/window/WindowTypes.h"

#include <gtest/gtest.h>

#include <vector>

using Zolt::InputQueue;
using Zolt::QueuedMessage;
namespace pw = platform;

namespace {

QueuedMessage Message(pw::UINT message, pw::WPARAM wParam = 0)
{
    return QueuedMessage{nullptr, message, wParam, 0};
}

std::vector<pw::UINT> Drain(InputQueue& queue)
{
    std::vector<pw::UINT> out;
    QueuedMessage m{};
    while (queue.TakeOldest(m))
        out.push_back(m.message);
    return out;
}

} // namespace

TEST(InputQueue, TakesInputAndActivationButNotPaintOrCursorMessages)
{
    for (pw::UINT m : {pw::WM_KEYDOWN, pw::WM_SYSKEYUP, pw::WM_CHAR, pw::WM_MOUSEMOVE, pw::WM_RBUTTONDBLCLK,
                       pw::WM_MBUTTONUP, pw::WM_MOUSEWHEEL, pw::WM_ACTIVATEAPP, pw::WM_SIZE, pw::WM_MOVE, pw::WM_CLOSE,
                       pw::WM_TIMER})
        EXPECT_TRUE(InputQueue::IsQueuedKind(m)) << m;
    for (pw::UINT m : {pw::WM_PAINT, pw::WM_SETCURSOR, pw::WM_SYSCHAR, pw::WM_NCLBUTTONDOWN, pw::WM_ENABLE})
        EXPECT_FALSE(InputQueue::IsQueuedKind(m)) << m;
    EXPECT_FALSE(InputQueue::IsMouseMessage(pw::WM_MOUSEWHEEL));
}

TEST(InputQueue, BurstOfTimerTicksLeavesOneBehindTheLastMessage)
{
    InputQueue queue;
    EXPECT_TRUE(queue.Offer(Message(pw::WM_TIMER)));
    EXPECT_FALSE(queue.Offer(Message(pw::WM_TIMER)));
    EXPECT_FALSE(queue.Offer(Message(pw::WM_TIMER)));
    queue.Offer(Message(pw::WM_KEYDOWN, 'A'));
    EXPECT_TRUE(queue.Offer(Message(pw::WM_TIMER))) << "a tick after other input is queued again";
    EXPECT_EQ(Drain(queue), (std::vector<pw::UINT>{pw::WM_TIMER, pw::WM_KEYDOWN, pw::WM_TIMER}));
}

TEST(InputQueue, OneColourOrDisplayChangeStandsForAll)
{
    InputQueue queue;
    EXPECT_TRUE(queue.Offer(Message(pw::WM_SYSCOLORCHANGE)));
    queue.Offer(Message(pw::WM_KEYDOWN, 'A'));
    EXPECT_FALSE(queue.Offer(Message(pw::WM_DISPLAYCHANGE))) << "one is still waiting further up";
    EXPECT_EQ(queue.Size(), 2u);
    Drain(queue);
    EXPECT_TRUE(queue.Offer(Message(pw::WM_DISPLAYCHANGE))) << "once applied, the next one counts";
}

TEST(InputQueue, NothingIsQueuedBehindAClose)
{
    InputQueue queue;
    queue.Offer(Message(pw::WM_KEYDOWN, 'A'));
    EXPECT_TRUE(queue.Offer(Message(pw::WM_CLOSE)));
    EXPECT_FALSE(queue.Offer(Message(pw::WM_KEYDOWN, 'B')));
    EXPECT_FALSE(queue.Offer(Message(pw::WM_CLOSE)));
    EXPECT_EQ(Drain(queue), (std::vector<pw::UINT>{pw::WM_KEYDOWN, pw::WM_CLOSE}));
    EXPECT_TRUE(queue.Empty());
}
