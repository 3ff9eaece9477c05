// Demo recording and playback of the application: input, activation,
// loading, registry results, file reads, relayed values and display modes
// are written into the command stream as they arrive and, when a demo is
// played, fed back at the same update numbers in place of the live ones.
// Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/InputQueue.h"
#include "framework/widgets/WidgetManager.h"
#include "pak/PakFileFunctions.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cstdio>

using namespace platform;

namespace Zolt {

namespace {

constexpr long kMaxLoadedFile = 256L * 1024 * 1024;

// Reads a whole file through the archive layer; false when it cannot be opened or read.
bool ReadThroughArchive(const std::string& name, std::vector<uint8_t>& out)
{
    PakFileHandle* file = PakFileOpen(name.c_str(), "rb");
    if (!file)
        return false;
    bool ok = PakFileSeek(file, 0, SEEK_END) == 0;
    const long size = ok ? PakFileTell(file) : -1;
    ok = ok && size >= 0 && size <= kMaxLoadedFile && PakFileSeek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(size_t(size));
        ok = size == 0 || PakFileRead(out.data(), 1, size_t(size), file) == size_t(size);
    }
    PakFileClose(file);
    if (!ok)
        out.clear();
    return ok;
}

} // namespace

// ---- Recording ----

void ZoltAppBase::WriteDemoCommandTime(bool isShort, int id) { demo_.stream.WriteHeader(updateCount_, isShort, id); }

void ZoltAppBase::RecordInput(const QueuedMessage& msg)
{
    Buffer& out = demo_.stream.Data();
    const UINT m = msg.message;
    if (InputQueue::IsMouseMessage(m)) {
        const int x = GET_X_LPARAM(msg.lParam);
        const int y = GET_Y_LPARAM(msg.lParam);
        const int dx = x - demo_.lastMouseX;
        const int dy = y - demo_.lastMouseY;
        if ((dx != 0 || dy != 0) && dx > -32 && dx < 32 && dy > -32 && dy < 32) {
            WriteDemoCommandTime(true, kDemoShortMouseMove);
            out.PutBits(uint32_t(dx), 6);
            out.PutBits(uint32_t(dy), 6);
        } else {
            WriteDemoCommandTime(false, kDemoMouseMoveTo);
            out.PutBits(uint32_t(x), 12);
            out.PutBits(uint32_t(y), 12);
        }
        demo_.lastMouseX = x;
        demo_.lastMouseY = y;
        int code = 0;
        bool down = true;
        switch (m) {
        case WM_LBUTTONDOWN: code = 1; break;
        case WM_LBUTTONDBLCLK: code = 2; break;
        case WM_RBUTTONDOWN: code = -1; break;
        case WM_RBUTTONDBLCLK: code = -2; break;
        case WM_MBUTTONDOWN: code = 3; break;
        case WM_LBUTTONUP: code = 1; down = false; break;
        case WM_RBUTTONUP: code = -1; down = false; break;
        case WM_MBUTTONUP: code = 3; down = false; break;
        default: return;
        }
        WriteDemoCommandTime(true, kDemoShortMouseButton);
        out.PutBits(down ? 1 : 0, 1);
        out.PutBits(uint32_t(code), 3);
        return;
    }
    switch (m) {
    case WM_ACTIVATEAPP:
        if (msg.window == mainWindow_) {
            WriteDemoCommandTime(false, kDemoActivate);
            out.PutBits(msg.wParam != 0 ? 1 : 0, 1);
        }
        return;
    case WM_SIZE:
        if (msg.window == mainWindow_) {
            WriteDemoCommandTime(false, kDemoMinimize);
            out.PutByte(msg.wParam == SIZE_MINIMIZED ? 1 : 0);
        }
        return;
    case WM_SYSKEYDOWN:
        // Alt+Enter switching the screen mode never reaches the widgets; the
        // display reset it causes is recorded on its own.
        if (int(msg.wParam) == VK_RETURN && !windowedRefused_ && !fullScreenFailed_)
            return;
        [[fallthrough]];
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WriteDemoCommandTime(false, (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) ? kDemoKeyDown : kDemoKeyUp);
        out.PutBits(uint32_t(msg.wParam) & 0xFF, 8);
        return;
    case WM_CHAR: {
        const uint32_t c = uint32_t(msg.wParam) & 0xFFFF;
        WriteDemoCommandTime(false, kDemoChar);
        out.PutBits(c > 0xFF ? 1 : 0, 1);
        out.PutBits(c, c > 0xFF ? 16 : 8);
        return;
    }
    case WM_CLOSE: WriteDemoCommandTime(false, kDemoClose); return;
    case WM_MOUSEWHEEL:
        WriteDemoCommandTime(false, kDemoWheel);
        out.PutBits(uint32_t(GET_WHEEL_DELTA_WPARAM(msg.wParam) / WHEEL_DELTA), 8);
        return;
    default: return;
    }
}

void ZoltAppBase::RecordSimpleCommand(int id) { WriteDemoCommandTime(false, id); }

void ZoltAppBase::RecordScreenMode()
{
    WriteDemoCommandTime(false, kDemoScreenMode);
    demo_.stream.Data().PutByte(windowedWanted ? 1 : 0);
    demo_.stream.Data().PutByte(uint8_t(refreshRate));
}

void ZoltAppBase::RecordRegistryRead(bool success, uint32_t type, const void* data, uint32_t length)
{
    Buffer& out = demo_.stream.Data();
    WriteDemoCommandTime(false, kDemoRegistryRead);
    out.PutBits(success ? 1 : 0, 1);
    if (!success)
        return;
    out.PutU32(int32_t(type));
    out.PutU32(int32_t(length));
    // A size query has no bytes to keep; zeros stand in so the length holds.
    std::vector<uint8_t> bytes(length, 0);
    if (data && length > 0)
        std::copy_n(static_cast<const uint8_t*>(data), length, bytes.begin());
    out.PutBytes(bytes.data(), int(bytes.size()));
}

void ZoltAppBase::RecordRegistryWrite(bool success)
{
    WriteDemoCommandTime(false, kDemoRegistryWrite);
    demo_.stream.Data().PutBits(success ? 1 : 0, 1);
}

void ZoltAppBase::WriteDemoFile()
{
    if (!recording_)
        return;
    DemoFileData file;
    file.seed = timeLoaded_;
    file.versionText = productVersion;
    file.markers = demo_.markers;
    file.finalUpdate = updateCount_;
    const Buffer& commands = demo_.stream.Data();
    if (commands.Bytes())
        file.commands.assign(commands.Bytes(), commands.Bytes() + commands.ByteSize());
    const std::vector<uint8_t> bytes = file.Serialize();
    std::string error;
    // Written whole to a temporary file and renamed, so an earlier demo of
    // the same name survives a failed write.
    if (!WriteFileAtomic(demoFileName_, bytes.data(), bytes.size(), &error))
        OutputDebugString("Demo file not written: " + demoFileName_ + " " + error + "\r\n");
}

void ZoltAppBase::AddDemoMarker(const std::string& name)
{
    if (recording_)
        demo_.markers.push_back(DemoMarker{name, updateCount_});
}

// ---- Reading the file ----

bool ZoltAppBase::ReadDemoFile(std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadThroughArchive(demoFileName_, bytes)) {
        error = "Demo file not found: " + demoFileName_;
        return false;
    }
    DemoFileData file;
    if (!file.Parse(bytes.data(), bytes.size(), error))
        return false;
    if (file.versionText != productVersion) {
        error = "This demo file appears to be for '" + file.versionText + "'";
        return false;
    }
    timeLoaded_ = file.seed;
    demo_.finalUpdate = file.finalUpdate;
    demo_.markers = std::move(file.markers);
    demo_.stream.Load(file.commands);
    return true;
}

bool ZoltAppBase::ReadScreenModeCommand()
{
    DemoStream& in = demo_.stream;
    if (!in.ReadHeaderIfNeeded() || !in.PendingIs(false, kDemoScreenMode))
        return false;
    in.Consume();
    windowedWanted = in.Bits(8, false) != 0;
    refreshRate = in.Bits(8, false);
    return !in.Ended();
}

// ---- Playback ----

bool ZoltAppBase::TakeDemoCommand(int id)
{
    if (!playing_ || closedDuringPlayback_)
        return false;
    DemoStream& in = demo_.stream;
    // A command of another kind stays pending for the player.
    if (!in.ReadHeaderIfNeeded() || !in.PendingIs(false, id))
        return false;
    in.Consume();
    return true;
}

void ZoltAppBase::PlayDemoCommand()
{
    DemoStream& in = demo_.stream;
    while (playing_ && !quit_ && in.ReadHeaderIfNeeded() && in.PendingUpdate() <= updateCount_) {
        const bool isShort = in.PendingShort();
        const int id = in.PendingId();
        in.Consume();
        ApplyDemoCommand(isShort, id);
    }
}

void ZoltAppBase::ApplyDemoCommand(bool isShort, int id)
{
    DemoStream& in = demo_.stream;
    auto mapped = [this](int& x, int& y) {
        x = demo_.lastMouseX;
        y = demo_.lastMouseY;
        widgetManager->MapWindowToWidgetCoords(x, y);
    };
    int x = 0;
    int y = 0;
    if (isShort) {
        if (id == kDemoShortMouseMove) {
            const int dx = in.Bits(6, true);
            const int dy = in.Bits(6, true);
            if (in.Ended())
                return;
            demo_.lastMouseX += dx;
            demo_.lastMouseY += dy;
            mapped(x, y);
            widgetManager->HandleMouseMove(x, y);
        } else {
            const bool down = in.Bits(1, false) != 0;
            const int code = in.Bits(3, true);
            if (in.Ended())
                return;
            mapped(x, y);
            if (down)
                widgetManager->HandleMouseDown(x, y, code);
            else
                widgetManager->HandleMouseUp(x, y, code);
        }
        return;
    }
    switch (id) {
    case kDemoMouseMoveTo: {
        // Signed, so a drag held outside the window replays where it was.
        const int nx = in.Bits(12, true);
        const int ny = in.Bits(12, true);
        if (in.Ended())
            return;
        demo_.lastMouseX = nx;
        demo_.lastMouseY = ny;
        mapped(x, y);
        widgetManager->HandleMouseMove(x, y);
        return;
    }
    case kDemoActivate: {
        const bool on = in.Bits(1, false) != 0;
        if (in.Ended())
            return;
        active_ = on;
        UpdateActiveState();
        if (active_ && !isWindowed)
            RepaintAll();
        if (urlPending_ && !active_)
            OnUrlLaunched(pendingUrl_);
        return;
    }
    case kDemoMinimize: {
        const bool minimizedNow = in.Bits(8, false) != 0;
        if (!in.Ended())
            ApplyMinimized(minimizedNow);
        return;
    }
    case kDemoKeyDown:
    case kDemoKeyUp: {
        const int key = in.Bits(8, false);
        if (in.Ended())
            return;
        if (id == kDemoKeyDown)
            widgetManager->HandleKeyDown(key);
        else
            widgetManager->HandleKeyUp(key);
        return;
    }
    case kDemoChar: {
        const bool wide = in.Bits(1, false) != 0;
        const int c = in.Bits(wide ? 16 : 8, false);
        if (!in.Ended())
            widgetManager->HandleChar(char(uint8_t(c)));
        return;
    }
    case kDemoClose: Quit(); return;
    case kDemoMouseEnter:
        mouseInWindow_ = true;
        UpdateCursor();
        return;
    case kDemoMouseLeave:
        mapped(x, y);
        widgetManager->HandleMouseExit(x, y);
        mouseInWindow_ = false;
        UpdateCursor();
        return;
    case kDemoLoadingDone: demo_.recordedLoadingFinished = true; return;
    case kDemoWheel: {
        const int steps = in.Bits(8, true);
        if (!in.Ended())
            widgetManager->HandleMouseWheel(steps);
        return;
    }
    case kDemoScreenMode: {
        const int windowed = in.Bits(8, false);
        const int rate = in.Bits(8, false);
        if (!in.Ended()) {
            windowedWanted = windowed != 0;
            refreshRate = rate;
        }
        return;
    }
    default:
        // A value whose reader did not ask for it in this run: passed over
        // whole, so the commands after it still line up.
        in.SkipPayload(false, id);
        return;
    }
}

bool ZoltAppBase::PlayRegistryRead(uint32_t* type, void* buffer, uint32_t* length)
{
    if (!TakeDemoCommand(kDemoRegistryRead))
        return false;
    DemoStream& in = demo_.stream;
    if (!in.Bits(1, false))
        return false;
    const uint32_t valueType = in.U32();
    const uint32_t size = in.U32();
    std::vector<uint8_t> bytes;
    if (!in.Bytes(size, bytes))
        return false;
    // Never more than the caller's buffer holds, whatever the file says.
    const uint32_t room = length ? *length : 0;
    if (buffer && size > room)
        return false;
    if (buffer && size > 0)
        std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(buffer));
    if (type)
        *type = valueType;
    if (length)
        *length = size;
    return true;
}

bool ZoltAppBase::PlayRegistryWrite()
{
    if (!TakeDemoCommand(kDemoRegistryWrite))
        return false;
    return demo_.stream.Bits(1, false) != 0;
}

// ---- Relays ----

void ZoltAppBase::DemoRelayBuffer(Buffer& buffer)
{
    if (recording_) {
        WriteDemoCommandTime(false, kDemoRelay);
        Buffer& out = demo_.stream.Data();
        out.PutU32(int32_t(buffer.ByteSize()));
        out.PutBytes(buffer.Bytes(), buffer.ByteSize());
    } else if (TakeDemoCommand(kDemoRelay)) {
        std::vector<uint8_t> bytes;
        if (!demo_.stream.Bytes(demo_.stream.U32(), bytes))
            return;
        buffer.Reset();
        buffer.PutBytes(bytes.data(), int(bytes.size()));
    }
}

void ZoltAppBase::DemoRelayFlag(bool& flag)
{
    Buffer wrapped;
    wrapped.PutByte(flag ? 1 : 0);
    DemoRelayBuffer(wrapped);
    wrapped.Rewind();
    flag = wrapped.TakeByte() != 0;
}

void ZoltAppBase::DemoRelayText(std::string& text)
{
    Buffer wrapped;
    wrapped.PutText(text);
    DemoRelayBuffer(wrapped);
    wrapped.Rewind();
    text = wrapped.TakeText();
}

bool ZoltAppBase::LoadFileIntoBuffer(const std::string& fileName, Buffer& out, bool notRecorded)
{
    if (playing_ && !notRecorded && !closedDuringPlayback_) {
        if (!TakeDemoCommand(kDemoFileRead))
            return false;
        DemoStream& in = demo_.stream;
        if (!in.Bits(1, false))
            return false;
        std::vector<uint8_t> bytes;
        if (!in.Bytes(in.U32(), bytes))
            return false;
        out.Reset();
        out.PutBytes(bytes.data(), int(bytes.size()));
        return true;
    }
    std::vector<uint8_t> bytes;
    const bool ok = ReadThroughArchive(fileName, bytes);
    if (ok) {
        out.Reset();
        out.PutBytes(bytes.data(), int(bytes.size()));
    }
    if (recording_ && !notRecorded) {
        WriteDemoCommandTime(false, kDemoFileRead);
        Buffer& stream = demo_.stream.Data();
        stream.PutBits(ok ? 1 : 0, 1);
        if (ok) {
            stream.PutU32(int32_t(bytes.size()));
            stream.PutBytes(bytes.data(), int(bytes.size()));
        }
    }
    return ok;
}

void ZoltAppBase::RaiseCrashReport()
{
    // The crash handler takes over here once it is built in; until then the
    // request ends the program as an unhandled fault would.
    OutputDebugString("Crash requested from the command line\r\n");
    ExitProcess(1);
}

} // namespace Zolt
