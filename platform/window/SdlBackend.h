// The back end over SDL2: native windows are SDL windows, input comes from
// SDL's event queue, cursors are SDL cursors, the clipboard and URLs go
// through SDL. A message box is the one the program draws itself, in a
// window of the drawn-window kit (SdlDrawnWindow), which goes with the
// program; SDL's own box (SdlSystemBox), which runs in a process of its
// own, only where that cannot show. The two small dialogs (a list to choose
// from and a text entry) use the desktop's zenity helper when it is
// installed (HelperProgram: never outliving the program); without it the
// list is a drawn box with one button per entry (the first ten) and the
// text entry is reported as unavailable and cancelled.
//
// Threads: created, pumped and called on the main thread (SDL's video
// thread); the desktop queries may come from any thread, as SDL allows.
#pragma once

#include "platform/window/WindowBackend.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

struct SDL_Cursor;

namespace platform {

class DisplayConnectionWait;
class DrawnMessageBox;
struct SystemBoxRequest;

class SdlBackend final : public WindowBackend {
public:
    // Null (and the reason) when SDL's video cannot start.
    static std::unique_ptr<SdlBackend> Open(std::string* error);
    ~SdlBackend() override;

    uint32_t CreateNativeWindow(const NativeWindowSpec& spec) override;
    void DestroyNativeWindow(uint32_t id) override;
    void SetNativeTitle(uint32_t id, const std::string& title) override;
    void SetNativeBounds(uint32_t id, int x, int y, int width, int height) override;
    void ShowNative(uint32_t id, bool visible) override;
    void MinimizeNative(uint32_t id) override;
    void RestoreNative(uint32_t id) override;
    void RaiseNative(uint32_t id) override;
    void CoverMonitorWith(uint32_t id, const RECT& monitor) override;
    void UncoverMonitorWith(uint32_t id, const RECT& client, bool decorated) override;
    void PumpEvents(std::vector<InputEvent>* events) override;
    bool WaitForEvents(DWORD milliseconds) override;
    void WakeWaiter() override;
    std::optional<POINT> GlobalPointer() override;
    void WarpPointer(int x, int y) override;
    void CapturePointer(bool capture) override;
    bool PointerOver(uint32_t id) override;
    void ApplyCursor(const CursorObject* cursor, bool visible) override;
    void ForgetCursor(const CursorObject* cursor) override;
    bool SetClipboardText(const std::string& utf8) override;
    std::optional<std::string> GetClipboardText() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, uint32_t owner) override;
    int ChooseFromList(const std::string& caption, const std::vector<std::string>& items, uint32_t owner) override;
    std::optional<std::string> EnterText(const std::string& caption, const std::string& initial, size_t maxLength,
                                         uint32_t owner) override;
    bool OpenUrl(const std::string& url) override;
    DesktopMode Desktop() override;
    RECT WorkArea() override;

private:
    SdlBackend();
    SDL_Cursor* NativeCursor(const CursorObject* cursor);
    // The drawn box in front of `owner` until it is answered (or the session
    // or the display ends first); nothing when it cannot show here.
    std::optional<int> ShowDrawn(DrawnMessageBox& box, uint32_t owner);
    // SDL's own box (ShowSdlSystemBox), with the program's X connection
    // watched while SDL keeps this thread from reading it.
    std::optional<int> ShowSystemBox(const SystemBoxRequest& request);
    // Puts window `id`'s own corner at (x, y) once a window manager has
    // framed it, within a few seconds.
    void PlaceWhenFramed(uint32_t id, int x, int y);
    void SettlePlacements(std::vector<InputEvent>* events);

    struct Placement {
        int x = 0;
        int y = 0;
        uint64_t giveUpAt = 0;
        int tries = 0;
    };
    static constexpr uint64_t kPlacementMs = 3000;

    std::map<const CursorObject*, SDL_Cursor*> cursors_; // main thread only
    uint64_t lastPump_ = 0;                              // main thread only
    std::map<uint32_t, Placement> placements_;           // main thread only
    std::unique_ptr<DisplayConnectionWait> connectionWait_;
    std::thread::id videoThread_; // the thread that started SDL's video
};

} // namespace platform
