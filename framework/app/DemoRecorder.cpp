#include "framework/app/DemoRecorder.h"

#include "framework/app/InputQueue.h"
#include "framework/base/Buffer.h"
#include "framework/base/PathUtils.h"
#include "pak/PakFileFunctions.h"
#include "platform/core/FileSystem.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

using namespace platform;

namespace Zolt {

namespace {

constexpr long kMaxLoadedFile = 256L * 1024 * 1024;

// Reads a whole file through the archive layer; false when it cannot be
// opened or read.
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

void Assign(Buffer& buffer, const std::vector<uint8_t>& bytes)
{
    buffer.Reset();
    buffer.PutBytes(bytes.data(), int(bytes.size()));
}

// The numbers of the files base + "%d.dmo".
std::set<int> DemoNumbers(const std::string& baseName)
{
    const std::string stem = PathFileName(baseName, false);
    std::set<int> numbers;
    for (const FindData& entry : FindFiles(baseName + "*.dmo")) {
        if (entry.isDirectory || entry.name.size() <= stem.size() + 4)
            continue;
        const std::string middle = entry.name.substr(stem.size(), entry.name.size() - stem.size() - 4);
        if (middle.empty() || middle.size() > 9 || middle.find_first_not_of("0123456789") != std::string::npos)
            continue;
        numbers.insert(std::atoi(middle.c_str()));
    }
    return numbers;
}

} // namespace

DemoRecorder::DemoRecorder(std::function<int()> currentUpdate) : currentUpdate_(std::move(currentUpdate)) {}

void DemoRecorder::StartRecording()
{
    recording_ = true;
    playing_ = false;
    // A fault writes the recording from where it lies (CrashDemoImage).
    if (!stream_.IsKeptInPlace())
        stream_.KeepInPlace();
}

void DemoRecorder::StartPlaying()
{
    playing_ = true;
    recording_ = false;
}

// ---- The file ----

bool DemoRecorder::ReadFile(const std::string& productVersion, uint32_t& seed, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadThroughArchive(fileName_, bytes)) {
        error = "Demo file not found: " + fileName_;
        return false;
    }
    DemoFileData file;
    size_t commandsAt = 0;
    if (!file.ParseHead(bytes.data(), bytes.size(), error, commandsAt)) {
        error += " (" + fileName_ + ")"; // the player may have named it on the command line
        return false;
    }
    if (file.versionText != productVersion) {
        error = "This demo file appears to be for '" + file.versionText + "' (" + fileName_ + ")";
        return false;
    }
    seed = file.seed;
    finalUpdate_ = file.finalUpdate;
    markers_ = std::move(file.markers);
    // The commands are the file's bytes behind the head: they are moved to
    // the front where they lie and handed over, so a demo is held once.
    bytes.erase(bytes.begin(), bytes.begin() + std::ptrdiff_t(commandsAt));
    stream_.Load(std::move(bytes));
    const DemoStream::Ending end = stream_.CheckEnd(finalUpdate_);
    const bool closedByRule = file.version >= DemoFileData::kFirstClosedVersion;
    cutShort_ = end == DemoStream::Ending::Broken || (end == DemoStream::Ending::Open && closedByRule);
    endsAtLastCommand_ = end == DemoStream::Ending::Open && !closedByRule;
    return true;
}

bool DemoRecorder::WriteFile(uint32_t seed, const std::string& productVersion, platform::FileError* error)
{
    if (!recording_)
        return true;
    DemoFileData head;
    head.seed = seed;
    head.versionText = productVersion;
    head.markers = markers_;
    head.finalUpdate = CurrentUpdate();
    // One copy of the stream behind its head, closed at the final update,
    // the file's bytes: those a fault at this update would write (the crash
    // image's), so that a playback tells a recording read to its end from
    // one cut short.
    std::vector<uint8_t> bytes = head.SerializeHead();
    const Buffer& commands = stream_.Data();
    const std::vector<uint8_t> closing = stream_.ClosingTail(head.finalUpdate);
    bytes.reserve(bytes.size() + stream_.WholeBytes() + closing.size());
    if (commands.Bytes())
        bytes.insert(bytes.end(), commands.Bytes(), commands.Bytes() + stream_.WholeBytes());
    bytes.insert(bytes.end(), closing.begin(), closing.end());
    // Written whole to a temporary file and renamed, so an earlier demo of
    // the same name survives a failed write.
    return WriteFileAtomic(fileName_, bytes.data(), bytes.size(), error);
}

void DemoRecorder::PrepareCrashImage(uint32_t seed, const std::string& productVersion)
{
    if (!recording_)
        return;
    crashImage_.SetFile(fileName_);
    crashImage_.Prepare(seed, productVersion, markers_, stream_, CurrentUpdate());
}

void DemoRecorder::AddMarker(const std::string& name)
{
    if (recording_)
        markers_.push_back(DemoMarker{name, CurrentUpdate()});
}

int DemoRecorder::HighestNumberedDemo(const std::string& baseName, int count, bool deleteOld)
{
    const std::set<int> numbers = DemoNumbers(baseName);
    if (deleteOld && !numbers.empty() && int(numbers.size()) > count - 1)
        DeleteFile(PathDirectory(baseName, true) + PathFileName(baseName, false) + std::to_string(*numbers.begin()) +
                   ".dmo");
    return numbers.empty() ? 0 : *numbers.rbegin();
}

std::set<int> DemoRecorder::NumberedDemos(const std::string& baseName)
{
    std::set<int> numbers = DemoNumbers(baseName);
    numbers.erase(0);
    return numbers;
}

// ---- Recording ----

void DemoRecorder::WriteHeader(bool isShort, int id) { stream_.WriteHeader(CurrentUpdate(), isShort, id); }

void DemoRecorder::RecordMouse(const QueuedMessage& message)
{
    Buffer& out = stream_.Data();
    const int x = GET_X_LPARAM(message.lParam);
    const int y = GET_Y_LPARAM(message.lParam);
    const int dx = x - lastMouseX_;
    const int dy = y - lastMouseY_;
    if ((dx != 0 || dy != 0) && dx > -32 && dx < 32 && dy > -32 && dy < 32) {
        WriteHeader(true, kDemoShortMouseMove);
        out.PutBits(uint32_t(dx), 6);
        out.PutBits(uint32_t(dy), 6);
    } else {
        WriteHeader(false, kDemoMouseMoveTo);
        out.PutBits(uint32_t(x), 12);
        out.PutBits(uint32_t(y), 12);
    }
    lastMouseX_ = x;
    lastMouseY_ = y;
    int code = 0;
    bool down = true;
    if (!InputQueue::ClickOf(message.message, code, down))
        return;
    WriteHeader(true, kDemoShortMouseButton);
    out.PutBits(down ? 1 : 0, 1);
    out.PutBits(uint32_t(code), 3);
}

void DemoRecorder::RecordInput(const QueuedMessage& message, HWND mainWindow, bool altEnterSwitchesMode)
{
    Buffer& out = stream_.Data();
    const UINT m = message.message;
    if (InputQueue::IsMouseMessage(m)) {
        RecordMouse(message);
        return;
    }
    switch (m) {
    case WM_ACTIVATEAPP:
        if (message.window == mainWindow) {
            WriteHeader(false, kDemoActivate);
            out.PutBits(message.wParam != 0 ? 1 : 0, 1);
        }
        return;
    case WM_SIZE:
        if (message.window == mainWindow) {
            WriteHeader(false, kDemoMinimize);
            out.PutByte(message.wParam == SIZE_MINIMIZED ? 1 : 0);
        }
        return;
    case WM_SYSKEYDOWN:
        if (int(message.wParam) == VK_RETURN && altEnterSwitchesMode)
            return;
        [[fallthrough]];
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WriteHeader(false, (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) ? kDemoKeyDown : kDemoKeyUp);
        out.PutBits(uint32_t(message.wParam) & 0xFF, 8);
        return;
    case WM_CHAR: {
        const uint32_t c = uint32_t(message.wParam) & 0xFFFF;
        WriteHeader(false, kDemoChar);
        out.PutBits(c > 0xFF ? 1 : 0, 1);
        out.PutBits(c, c > 0xFF ? 16 : 8);
        return;
    }
    case WM_CLOSE: WriteHeader(false, kDemoClose); return;
    case WM_MOUSEWHEEL:
        WriteHeader(false, kDemoWheel);
        out.PutBits(uint32_t(GET_WHEEL_DELTA_WPARAM(message.wParam) / WHEEL_DELTA), 8);
        return;
    default: return;
    }
}

void DemoRecorder::RecordCommand(int id) { WriteHeader(false, id); }

void DemoRecorder::RecordScreenMode(bool windowedWanted, int refreshRate)
{
    WriteHeader(false, kDemoScreenMode);
    stream_.Data().PutByte(windowedWanted ? 1 : 0);
    stream_.Data().PutByte(uint8_t(refreshRate));
}

void DemoRecorder::RecordRegistryRead(bool success, uint32_t type, const void* data, uint32_t length)
{
    Buffer& out = stream_.Data();
    WriteHeader(false, kDemoRegistryRead);
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

void DemoRecorder::RecordRegistryWrite(bool success)
{
    WriteHeader(false, kDemoRegistryWrite);
    stream_.Data().PutBits(success ? 1 : 0, 1);
}

// ---- Playing ----

bool DemoRecorder::ReadScreenModeCommand(bool& windowedWanted, int& refreshRate)
{
    if (!stream_.ReadHeaderIfNeeded() || !stream_.PendingIs(false, kDemoScreenMode))
        return false;
    stream_.Consume();
    windowedWanted = stream_.Bits(8, false) != 0;
    refreshRate = stream_.Bits(8, false);
    return !stream_.Ended();
}

bool DemoRecorder::TakeCommand(int id)
{
    if (!IsFeeding())
        return false;
    // A command of another kind stays pending for the player.
    if (!stream_.ReadHeaderIfNeeded() || !stream_.PendingIs(false, id))
        return false;
    stream_.Consume();
    return true;
}

void DemoRecorder::PlayDueCommands(DemoInput& input)
{
    while (playing_ && !input.IsStopped() && stream_.ReadHeaderIfNeeded() &&
           stream_.PendingUpdate() <= CurrentUpdate()) {
        const bool isShort = stream_.PendingShort();
        const int id = stream_.PendingId();
        // A value kept for its reader (a setting, a file, a transfer's
        // result, a relayed value) waits for it through the update it was
        // recorded at: the reader may still come in that update's work, as
        // the loading completion does, which reads the game's settings as
        // the game starts. Once the update has passed, nobody asked for it.
        if (!isShort && IsReadersValue(id) && stream_.PendingUpdate() == CurrentUpdate())
            return;
        stream_.Consume();
        if (isShort || id == kDemoMouseMoveTo)
            ApplyMouseCommand(isShort ? id : -1, input);
        else
            ApplyCommand(id, input);
    }
}

bool DemoRecorder::IsReadersValue(int id)
{
    return id == kDemoRegistryRead || id == kDemoRegistryWrite || id == kDemoFileRead || id == kDemoTransfer ||
           id == kDemoRelay;
}

// `shortId` is the short command's id, -1 for the long absolute move.
void DemoRecorder::ApplyMouseCommand(int shortId, DemoInput& input)
{
    DemoStream& in = stream_;
    if (shortId == kDemoShortMouseButton) {
        const bool down = in.Bits(1, false) != 0;
        const int code = in.Bits(3, true);
        if (!in.Ended())
            input.MouseButton(lastMouseX_, lastMouseY_, code, down);
        return;
    }
    int x = 0;
    int y = 0;
    if (shortId == kDemoShortMouseMove) {
        x = lastMouseX_ + in.Bits(6, true);
        y = lastMouseY_ + in.Bits(6, true);
    } else {
        // Signed, so a drag held outside the window replays where it was.
        x = in.Bits(12, true);
        y = in.Bits(12, true);
    }
    if (in.Ended())
        return;
    lastMouseX_ = x;
    lastMouseY_ = y;
    input.MouseMove(x, y);
}

void DemoRecorder::ApplyCommand(int id, DemoInput& input)
{
    DemoStream& in = stream_;
    switch (id) {
    case kDemoActivate: {
        const bool active = in.Bits(1, false) != 0;
        if (!in.Ended())
            input.Activate(active);
        return;
    }
    case kDemoMinimize: {
        const bool minimized = in.Bits(8, false) != 0;
        if (!in.Ended())
            input.Minimize(minimized);
        return;
    }
    case kDemoKeyDown:
    case kDemoKeyUp: {
        const int key = in.Bits(8, false);
        if (!in.Ended())
            input.Key(key, id == kDemoKeyDown);
        return;
    }
    case kDemoChar: {
        const bool wide = in.Bits(1, false) != 0;
        const int c = in.Bits(wide ? 16 : 8, false);
        if (!in.Ended())
            input.Char(c);
        return;
    }
    case kDemoClose: input.Close(); return;
    case kDemoMouseEnter: input.MouseEnter(); return;
    case kDemoMouseLeave: input.MouseLeave(lastMouseX_, lastMouseY_); return;
    case kDemoLoadingDone: recordedLoadingDone_ = true; return;
    case kDemoWheel: {
        const int steps = in.Bits(8, true);
        if (!in.Ended())
            input.Wheel(steps);
        return;
    }
    case kDemoScreenMode: {
        const int windowed = in.Bits(8, false);
        const int rate = in.Bits(8, false);
        if (!in.Ended())
            input.ScreenMode(windowed != 0, rate);
        return;
    }
    default:
        // A value whose reader did not ask for it in this run: passed over
        // whole, so the commands after it still line up.
        in.SkipPayload(false, id);
        return;
    }
}

bool DemoRecorder::ReplayRegistryRead(uint32_t* type, void* buffer, uint32_t* length)
{
    if (!TakeCommand(kDemoRegistryRead))
        return false;
    if (!stream_.Bits(1, false))
        return false;
    const uint32_t valueType = stream_.U32();
    const uint32_t size = stream_.U32();
    std::vector<uint8_t> bytes;
    if (!stream_.Bytes(size, bytes))
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

bool DemoRecorder::ReplayRegistryWrite()
{
    if (!TakeCommand(kDemoRegistryWrite))
        return false;
    return stream_.Bits(1, false) != 0;
}

// ---- Relays ----

void DemoRecorder::RelayBuffer(Buffer& buffer)
{
    if (recording_) {
        WriteHeader(false, kDemoRelay);
        Buffer& out = stream_.Data();
        out.PutU32(int32_t(buffer.ByteSize()));
        out.PutBytes(buffer.Bytes(), buffer.ByteSize());
    } else if (TakeCommand(kDemoRelay)) {
        std::vector<uint8_t> bytes;
        if (stream_.Bytes(stream_.U32(), bytes))
            Assign(buffer, bytes);
    }
}

void DemoRecorder::RelayFlag(bool& flag)
{
    Buffer wrapped;
    wrapped.PutByte(flag ? 1 : 0);
    RelayBuffer(wrapped);
    wrapped.Rewind();
    flag = wrapped.TakeByte() != 0;
}

void DemoRecorder::RelayText(std::string& text)
{
    Buffer wrapped;
    wrapped.PutText(text);
    RelayBuffer(wrapped);
    wrapped.Rewind();
    text = wrapped.TakeText();
}

bool DemoRecorder::LoadFileIntoBuffer(const std::string& fileName, Buffer& out, bool notRecorded)
{
    if (IsFeeding() && !notRecorded) {
        if (!TakeCommand(kDemoFileRead) || !stream_.Bits(1, false))
            return false;
        std::vector<uint8_t> bytes;
        if (!stream_.Bytes(stream_.U32(), bytes))
            return false;
        Assign(out, bytes);
        return true;
    }
    std::vector<uint8_t> bytes;
    const bool ok = ReadThroughArchive(fileName, bytes);
    if (ok)
        Assign(out, bytes);
    if (recording_ && !notRecorded) {
        WriteHeader(false, kDemoFileRead);
        Buffer& stream = stream_.Data();
        stream.PutBits(ok ? 1 : 0, 1);
        if (ok) {
            stream.PutU32(int32_t(bytes.size()));
            stream.PutBytes(bytes.data(), int(bytes.size()));
        }
    }
    return ok;
}

} // namespace Zolt
