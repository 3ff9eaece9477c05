// The queue between the window procedure and the main loop: input and
// activation messages wait here, in arrival order, until the loop applies
// them one per step. A few rules keep it short: nothing is queued behind a
// close, a timer tick right behind another is dropped, and one system
// colour or display change stands for any number of them.
//
// Threads: main thread only (the window procedure runs inside the loop's
// dispatch or a system modal loop on the same thread); no lock.
#pragma once

#include "platform/window/WindowTypes.h"

#include <cstddef>
#include <deque>

namespace Zolt {

struct QueuedMessage {
    platform::HWND window;
    platform::UINT message;
    platform::WPARAM wParam;
    platform::LPARAM lParam;
};

class InputQueue {
public:
    // The messages that go through the queue instead of being handled at once.
    static bool IsQueuedKind(platform::UINT message);
    // WM_MOUSEMOVE to WM_MBUTTONUP (the wheel is not among them).
    static bool IsMouseMessage(platform::UINT message);
    // The click code a mouse button message gives the widgets (1, 2 left
    // and its double click, -1, -2 right, 3 middle) and whether it presses;
    // false for a plain move. The live input and a recorded demo both go by
    // it, so a played click is the one that was made.
    static bool ClickOf(platform::UINT message, int& code, bool& down);

    // Appends the message unless the rules above drop it; true when queued.
    bool Offer(const QueuedMessage& message);
    // Takes the oldest message; false when there is none.
    bool TakeOldest(QueuedMessage& out);
    size_t Size() const { return messages_.size(); }
    bool Empty() const { return messages_.empty(); }

private:
    std::deque<QueuedMessage> messages_;
};

} // namespace Zolt
