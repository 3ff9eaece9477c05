#include "platform/window/Cursor.h"

#include "platform/window/WindowBackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

constexpr WORD kSystemCursors[] = {IDC_ARROW,  IDC_IBEAM,  IDC_WAIT,   IDC_CROSS,   IDC_UPARROW,
                                   IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL,
                                   IDC_NO,     IDC_HAND,   IDC_APPSTARTING, IDC_HELP};

struct CursorState {
    std::mutex mutex;
    std::map<WORD, std::unique_ptr<CursorObject>> system;  // guarded by mutex
    std::vector<std::unique_ptr<CursorObject>> made; // guarded by mutex
    HCURSOR current = nullptr;                              // guarded by mutex
    int showCount = 0;                                      // guarded by mutex
    HCURSOR applied = nullptr;                              // guarded by mutex
    bool appliedShown = true;                               // guarded by mutex
};

CursorState& State()
{
    static CursorState state;
    return state;
}

bool IsMade(CursorState& s, HCURSOR cursor)
{
    for (const auto& c : s.made) {
        if (c.get() == cursor)
            return true;
    }
    return false;
}

// Tells the back end; called without the lock.
void Apply(HCURSOR cursor, bool shown)
{
    {
        CursorState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        s.applied = cursor;
        s.appliedShown = shown;
    }
    GetWindowBackend().ApplyCursor(cursor, shown);
}

HCURSOR AddMade(std::unique_ptr<CursorObject> cursor)
{
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    HCURSOR handle = cursor.get();
    s.made.push_back(std::move(cursor));
    return handle;
}

} // namespace

HCURSOR LoadCursorA(HINSTANCE instance, WORD systemCursorId)
{
    if (instance)
        return nullptr; // the program keeps no cursor resources
    bool known = false;
    for (WORD id : kSystemCursors)
        known = known || id == systemCursorId;
    if (!known)
        return nullptr;
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto& slot = s.system[systemCursorId];
    if (!slot) {
        slot = std::make_unique<CursorObject>();
        slot->systemId = systemCursorId;
        slot->width = 32;
        slot->height = 32;
    }
    return slot.get();
}

HCURSOR CreateCursor(HINSTANCE, int hotX, int hotY, int width, int height, const void* andPlane, const void* xorPlane)
{
    if (width < 1 || height < 1 || width > 256 || height > 256 || !andPlane || !xorPlane)
        return nullptr;
    const auto* andBits = static_cast<const uint8_t*>(andPlane);
    const auto* xorBits = static_cast<const uint8_t*>(xorPlane);
    const int stride = ((width + 15) / 16) * 2;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int byte = y * stride + x / 8;
            const int bit = 7 - (x % 8);
            const bool a = (andBits[byte] >> bit) & 1;
            const bool o = (xorBits[byte] >> bit) & 1;
            uint32_t colour = 0x00000000u;
            if (!a)
                colour = o ? 0xFFFFFFFFu : 0xFF000000u;
            else if (o)
                colour = 0xFF000000u;
            pixels[static_cast<size_t>(y) * width + x] = colour;
        }
    }
    return CreateCursorFromPixels(pixels.data(), width, height, hotX, hotY);
}

HCURSOR CreateCursorFromPixels(const uint32_t* pixels, int width, int height, int hotX, int hotY)
{
    if (!pixels || width < 1 || height < 1 || width > 256 || height > 256)
        return nullptr;
    auto cursor = std::make_unique<CursorObject>();
    cursor->width = width;
    cursor->height = height;
    cursor->hotX = std::min(std::max(hotX, 0), width - 1);
    cursor->hotY = std::min(std::max(hotY, 0), height - 1);
    cursor->pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
    return AddMade(std::move(cursor));
}

BOOL DestroyCursor(HCURSOR cursor)
{
    std::unique_ptr<CursorObject> doomed;
    bool wasCurrent = false;
    bool shown = true;
    {
        CursorState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        for (auto it = s.made.begin(); it != s.made.end(); ++it) {
            if (it->get() == cursor) {
                doomed = std::move(*it);
                s.made.erase(it);
                break;
            }
        }
        if (!doomed)
            return FALSE;
        if (s.current == cursor) {
            s.current = nullptr;
            wasCurrent = true;
        }
        shown = s.showCount >= 0;
    }
    if (wasCurrent)
        Apply(nullptr, shown);
    GetWindowBackend().ForgetCursor(doomed.get());
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous;
    bool shown;
    {
        CursorState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (cursor && !cursor->systemId && !IsMade(s, cursor))
            return s.current; // not a live cursor
        previous = s.current;
        if (previous == cursor)
            return previous;
        s.current = cursor;
        shown = s.showCount >= 0;
    }
    Apply(cursor, shown);
    return previous;
}

HCURSOR GetCursor()
{
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.current;
}

int ShowCursor(BOOL show)
{
    int count;
    HCURSOR current;
    bool changed;
    {
        CursorState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        const bool before = s.showCount >= 0;
        s.showCount += show ? 1 : -1;
        count = s.showCount;
        changed = before != (count >= 0);
        current = s.current;
    }
    if (changed)
        Apply(current, count >= 0);
    return count;
}

namespace testing {

HCURSOR AppliedCursor()
{
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.applied;
}

bool CursorShown()
{
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.appliedShown;
}

void ResetCursors()
{
    CursorState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.made.clear();
    s.current = nullptr;
    s.applied = nullptr;
    s.showCount = 0;
    s.appliedShown = true;
}

} // namespace testing

} // namespace platform
