// The program's one display: the DirectDraw objects, the primary surface, the
// draw surface every frame is composed in, the screen image attached to it,
// the software mouse cursor, the register of live display images and the
// seam to the Direct3D path. The application makes it once, initialises it
// for its window (again on every display reset or mode change), presents a
// frame with Redraw and moves the cursor from its cursor thread.
//
// Threads and locks: the main thread does everything but MoveSoftwareCursor,
// which the cursor thread calls every 10 ms. The display lock (`lock_`,
// recursive) guards every surface and field below, the image register and
// surface creation; images take it when they make or upload a surface.
// Locking an image's surface for drawing does not take it. The latest cursor
// position is one atomic word, so a reader never sees x of one move and y of
// another; the presenting flag lets the cursor thread skip a move while a
// frame is being presented.
#pragma once

#include "framework/base/CriticalSection.h"
#include "framework/base/Fraction.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/Rect.h"
#include "platform/ddraw/DDrawTypes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace platform {
class DirectDraw;
class DirectDrawSurface;
} // namespace platform

namespace Zolt {

class DDImage;
class DisplayHost;
class Image;
class ImageHost;
class MemoryImage;

// True when the primary's channel masks run blue < green < red; written only
// by DDInterface::CreateSurface, read by the packed-pixel surface blitters.
extern std::atomic<bool> gDisplayRgbOrder;

class DDInterface : public NativeDisplay {
public:
    // Result codes of Initialize.
    enum Result : int {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };
    static constexpr int kCursorAreaSize = 64;

    // `host` may be null (defaults of DisplayHost); `path3D` may be null
    // (no 3D). Looks up the display library's creation entry points.
    explicit DDInterface(DisplayHost* host, std::unique_ptr<Display3DPath> path3D = nullptr);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    int Initialize(platform::HWND window, bool windowed);
    void Cleanup();
    // Presents the draw surface (all of it, or `area`); false when not
    // initialised, when 3D mode was just given up, or when presenting failed.
    bool Redraw(const Rect* area);

    // The software cursor (null: none). True when the image changed.
    bool SetCursorImage(Image* image);
    void MoveSoftwareCursor(int x, int y);

    void RebuildScreenImage(bool videoMemory);
    DDImage* GetScreenImage() const { return screenImage_.get(); }

    void RegisterImage(DDImage* image);
    void UnregisterImage(DDImage* image);
    void ReleaseImageTextures(MemoryImage* image);

    // Creates a surface through the newest interface at hand; refuses (and
    // releases) one on a display that is neither 16 nor 32 bits deep, and
    // any surface while no primary exists to tell the display's format.
    platform::HRESULT CreateSurface(platform::DDSURFACEDESC2* desc, platform::DirectDrawSurface** out,
                                    void* reserved = nullptr);
    void ClearSurface(platform::DirectDrawSurface* surface);
    // True (and the last error text set) when `result` is a failure.
    bool CheckResult(platform::HRESULT result, const char* step);
    static std::string ResultName(int result);

    bool RunCapabilityTest(platform::HWND window);

    // The cursor steps; each takes the display lock.
    void DrawSoftwareCursor(platform::DirectDrawSurface* target, bool screenCoordinates);
    void MoveDrawnCursor(platform::DirectDrawSurface* target, bool screenCoordinates, int x, int y);
    void EraseSoftwareCursor(platform::DirectDrawSurface* target, bool screenCoordinates);

    // The display lock, for images, the 3D path and the application.
    CriticalSection& GetLock() { return lock_; }

    DisplayHost* GetHost() const { return host_; }
    ImageHost* GetImageHost() const;
    Display3DPath* Get3DPath() const { return path3D_.get(); }
    bool IsIn3DMode() const { return in3DMode_; }
    // Only a display with a 3D path can enter 3D mode; false when refused.
    bool Set3DMode(bool on);
    bool IsInitialized() const { return initialized_; }
    bool IsWindowed() const { return windowed_; }
    // Whether a Redraw of part of the screen leaves the rest of the window
    // showing the last frame, and the draw surface keeps its picture from
    // one frame to the next: windowed, drawn in software, without a cursor
    // of our own drawn into the frame.
    bool PresentsPartsInPlace();
    // Shows the window the picture it shows already, without sending it
    // again (nothing was drawn since the last present): false when the
    // window no longer holds that picture, and Redraw must send it.
    bool ShowPictureAgain();
    const std::string& GetLastError() const { return lastError_; }

    platform::DirectDraw* GetDirectDraw() const { return directDraw_; }
    platform::DirectDrawSurface* GetPrimarySurface() const { return primary_; }
    platform::DirectDrawSurface* GetSecondarySurface() const { return secondary_; }
    platform::DirectDrawSurface* GetDrawSurface() const { return drawSurface_; }
    bool IsScreenInVideoMemory() const { return screenInVideoMemory_; }
    // The cursor area images (OldCursorArea, NewCursorArea, composition).
    DDImage* GetOldCursorImage() const { return oldCursorImage_.get(); }
    DDImage* GetNewCursorImage() const { return newCursorImage_.get(); }
    DDImage* GetCompositionCursorImage() const { return compositionImage_.get(); }
    bool IsCursorArea(const DDImage* image) const;

    int GetDrawWidth() const { return drawWidth_; }
    int GetDrawHeight() const { return drawHeight_; }
    int GetDisplayWidth() const { return displayWidth_; }
    int GetDisplayHeight() const { return displayHeight_; }
    const Fraction& GetDrawAspect() const { return drawAspect_; }
    const Fraction& GetDisplayAspect() const { return displayAspect_; }
    bool IsAspectCorrected() const { return aspectCorrected_; }
    const Rect& GetPresentationRect() const { return presentationRect_; }
    int GetRefreshRate() const { return refreshRate_; }
    int GetMillisecondsPerFrame() const { return millisecondsPerFrame_; }
    bool IsCursorDrawn() const { return cursorDrawn_; }
    Point GetLatestCursorPosition() const;
    Point GetDrawnCursorPosition() const { return drawnCursor_; }

    // Per channel (0 red, 1 green, 2 blue): the saturation table
    // (2^(bits+1) - 1 entries, entry i = min(i, 2^bits - 1)) and the table
    // placing an 8-bit value into the channel.
    const std::vector<uint32_t>& GetSaturationTable(int channel) const { return saturation_[channel]; }
    const std::array<uint32_t, 256>& GetChannelTable(int channel) const { return channelTables_[channel]; }

private:
    int InitializeLocked(platform::HWND window, bool windowed);
    int CreateWindowedSurfaces(platform::HWND window);
    int CreateFullScreenSurfaces(platform::HWND window);
    int AttachClipper(platform::HWND window, const char* step);
    void ReadRefreshRate();
    int CreateCursorAreas();
    int ReadPixelFormat();
    void Log(const char* format, ...);

    // Where the 64 x 64 area around (x, y) lands: on the target (`target`,
    // desktop coordinates when `screen`) and inside the area (`inArea`).
    // False when nothing of it is visible.
    bool CursorRects(int x, int y, bool screen, platform::RECT& target, platform::RECT& inArea);
    // Saves target pixels into `into`, retrying once clipped to the primary.
    bool SaveUnderCursor(platform::DirectDrawSurface* target, platform::RECT& targetRect,
                         platform::RECT& areaRect, platform::DirectDrawSurface* into);
    void PaintCursorInto(DDImage* image);
    // Moves the cursor by redrawing the bounding box of both places in the
    // composition area; false when the box is too large or unreadable.
    bool MoveWithinUnion(platform::DirectDrawSurface* target, const platform::RECT& oldTarget,
                         const platform::RECT& oldArea, const platform::RECT& newTarget,
                         const platform::RECT& newArea);
    void StoreLatestCursor(int x, int y);
    // The window's client origin on the desktop; (0, 0) in full screen.
    Point ClientOrigin();

    DisplayHost* host_;
    std::unique_ptr<DisplayHost> ownHost_; // the defaults, when no host was given
    std::unique_ptr<Display3DPath> path3D_;
    bool testerRan_ = false;
    bool lastTestFresh_ = false;
    bool in3DMode_ = false;
    CriticalSection lock_;
    std::atomic<bool> presenting_{false};

    platform::DirectDraw* directDraw_ = nullptr;  // the first-version interface
    platform::DirectDraw* directDraw7_ = nullptr; // null without DirectDrawCreateEx
    platform::DirectDrawSurface* primary_ = nullptr;
    platform::DirectDrawSurface* secondary_ = nullptr;
    platform::DirectDrawSurface* drawSurface_ = nullptr;

    int drawWidth_ = 0;
    int drawHeight_ = 0;
    Fraction drawAspect_;
    int desktopWidth_ = 0;
    int desktopHeight_ = 0;
    Fraction desktopAspect_;
    bool aspectCorrected_ = false;
    int displayWidth_ = 0;
    int displayHeight_ = 0;
    Fraction displayAspect_;
    Rect presentationRect_;
    int fullScreenDepth_ = 16;
    int refreshRate_ = 60;
    int millisecondsPerFrame_ = 16;
    std::array<std::vector<uint32_t>, 3> saturation_;
    std::array<std::array<uint32_t, 256>, 3> channelTables_{};
    bool initialized_ = false;
    platform::HWND window_ = nullptr;
    bool windowed_ = true;
    std::unique_ptr<DDImage> screenImage_;
    std::set<DDImage*> images_;
    bool screenInVideoMemory_ = false;

    // x in the high half, y in the low half.
    std::atomic<uint64_t> latestCursor_{0};
    Point drawnCursor_;
    Image* cursorImage_ = nullptr; // not owned
    bool cursorDrawn_ = false;
    platform::DirectDrawSurface* oldCursorArea_ = nullptr;
    platform::DirectDrawSurface* newCursorArea_ = nullptr;
    std::unique_ptr<DDImage> oldCursorImage_;
    std::unique_ptr<DDImage> newCursorImage_;
    // Where a moved cursor is composed before it goes onto the target in
    // one blit ("CursorComposition", twice the area's size each way).
    platform::DirectDrawSurface* compositionArea_ = nullptr;
    std::unique_ptr<DDImage> compositionImage_;
    bool cursorChanged_ = false; // a new image waits to be drawn

    std::string lastError_;

    using CreateFn = platform::HRESULT (*)(platform::GUID*, platform::DirectDraw**, platform::IUnknown*);
    using CreateExFn = platform::HRESULT (*)(platform::GUID*, void**, platform::REFIID, platform::IUnknown*);
    CreateFn directDrawCreate_ = nullptr;
    CreateExFn directDrawCreateEx_ = nullptr;
    platform::HMODULE library_ = nullptr;
};

} // namespace Zolt
