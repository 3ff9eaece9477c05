#include "framework/app/InputQueue.h"

#include <algorithm>

using namespace platform;

namespace Zolt {

namespace {

bool IsColourOrDisplayChange(UINT message) { return message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE; }

} // namespace

bool InputQueue::IsMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP; }

bool InputQueue::ClickOf(UINT message, int& code, bool& down)
{
    down = true;
    switch (message) {
    case WM_LBUTTONDOWN: code = 1; return true;
    case WM_LBUTTONDBLCLK: code = 2; return true;
    case WM_RBUTTONDOWN: code = -1; return true;
    case WM_RBUTTONDBLCLK: code = -2; return true;
    case WM_MBUTTONDOWN: code = 3; return true;
    case WM_LBUTTONUP: code = 1; break;
    case WM_RBUTTONUP: code = -1; break;
    case WM_MBUTTONUP: code = 3; break;
    default: return false;
    }
    down = false;
    return true;
}

bool InputQueue::IsQueuedKind(UINT message)
{
    switch (message) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_ACTIVATEAPP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return IsMouseMessage(message);
    }
}

bool InputQueue::Offer(const QueuedMessage& message)
{
    const UINT last = messages_.empty() ? 0 : messages_.back().message;
    if (last == WM_CLOSE)
        return false;
    if (message.message == WM_TIMER && last == WM_TIMER)
        return false;
    if (IsColourOrDisplayChange(message.message) &&
        std::any_of(messages_.begin(), messages_.end(),
                    [](const QueuedMessage& queued) { return IsColourOrDisplayChange(queued.message); }))
        return false;
    messages_.push_back(message);
    return true;
}

bool InputQueue::TakeOldest(QueuedMessage& out)
{
    if (messages_.empty())
        return false;
    out = messages_.front();
    messages_.pop_front();
    return true;
}

} // namespace Zolt
