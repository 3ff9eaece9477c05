#include "framework/graphics/DDInterface.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DirectXErrorName.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/DisplayHost.h"
#include "framework/graphics/Graphics.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/ddraw/DirectDraw.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Zolt {

using namespace platform;

std::atomic<bool> gDisplayRgbOrder{false};

namespace {

template <class T>
void ReleaseInterface(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

DDSURFACEDESC2 EmptyDescription()
{
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

// The first-version description carrying the same fields.
DDSURFACEDESC ToFirstVersion(const DDSURFACEDESC2& in)
{
    DDSURFACEDESC out;
    std::memset(&out, 0, sizeof out);
    out.dwSize = sizeof out;
    out.dwFlags = in.dwFlags;
    out.dwHeight = in.dwHeight;
    out.dwWidth = in.dwWidth;
    out.lPitch = in.lPitch;
    out.dwBackBufferCount = in.dwBackBufferCount;
    out.dwMipMapCount = in.dwMipMapCount;
    out.dwAlphaBitDepth = in.dwAlphaBitDepth;
    out.lpSurface = in.lpSurface;
    out.ddckCKDestOverlay = in.ddckCKDestOverlay;
    out.ddckCKDestBlt = in.ddckCKDestBlt;
    out.ddckCKSrcOverlay = in.ddckCKSrcOverlay;
    out.ddckCKSrcBlt = in.ddckCKSrcBlt;
    out.ddpfPixelFormat = in.ddpfPixelFormat;
    out.ddsCaps.dwCaps = in.ddsCaps.dwCaps;
    return out;
}

} // namespace

DDInterface::DDInterface(DisplayHost* host, std::unique_ptr<Display3DPath> path3D)
    : host_(host), path3D_(std::move(path3D))
{
    if (!host_) {
        ownHost_ = std::make_unique<DisplayHost>();
        host_ = ownHost_.get();
    }
    library_ = LoadModule("ddraw.dll");
    if (library_) {
        directDrawCreate_ = GetEntryAs<CreateFn>(library_, "DirectDrawCreate");
        directDrawCreateEx_ = GetEntryAs<CreateExFn>(library_, "DirectDrawCreateEx");
    }
    Graphics::SetScreen3DQuery(&IsScreen3DImage);
}

DDInterface::~DDInterface()
{
    Cleanup();
    // Images that outlive the display must not call back into it.
    for (DDImage* image : images_)
        image->ForgetDisplay();
    images_.clear();
    path3D_.reset();
    if (library_)
        FreeModule(library_);
}

ImageHost* DDInterface::GetImageHost() const { return host_->GetImageHost(); }

bool DDInterface::Set3DMode(bool on)
{
    CriticalSectionLock guard(lock_);
    if (on && !path3D_)
        return false;
    in3DMode_ = on;
    return true;
}

void DDInterface::Log(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    host_->Log(line);
}

bool DDInterface::CheckResult(HRESULT result, const char* step)
{
    if (!FAILED(result))
        return false;
    lastError_ = std::string(step) + ": " + DirectXErrorName(result);
    return true;
}

std::string DDInterface::ResultName(int result)
{
    switch (result) {
    case RESULT_OK: return "RESULT_OK";
    case RESULT_FAIL: return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL: return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL: return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL: return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL: return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH: return "RESULT_INVALID_COLORDEPTH";
    default: return "RESULT_UNKNOWN";
    }
}

int DDInterface::Initialize(HWND window, bool windowed)
{
    CriticalSectionLock guard(lock_);
    const int result = InitializeLocked(window, windowed);
    if (result != RESULT_OK) {
        // Nothing of a failed attempt stays behind (an exclusive level or a
        // changed mode would otherwise outlive it); the error text stays.
        Cleanup();
    }
    return result;
}

int DDInterface::InitializeLocked(HWND window, bool windowed)
{
    initialized_ = false;
    Cleanup();

    HRESULT createResult = DD_OK;
    if (directDrawCreateEx_) {
        void* object = nullptr;
        if (CheckResult(directDrawCreateEx_(nullptr, &object, IID_IDirectDraw7, nullptr), "DirectDrawCreateEx"))
            return RESULT_DD_CREATE_FAIL;
        directDraw7_ = static_cast<DirectDraw*>(object);
        void* first = nullptr;
        if (CheckResult(directDraw7_->QueryInterface(IID_IDirectDraw, &first), "QueryrInterface IID_IDirectDraw"))
            return RESULT_DD_CREATE_FAIL;
        directDraw_ = static_cast<DirectDraw*>(first);
    } else if (directDrawCreate_) {
        createResult = directDrawCreate_(nullptr, &directDraw_, nullptr);
    } else {
        createResult = DDERR_NODIRECTDRAWSUPPORT;
    }

    if (RunCapabilityTest(window) && lastTestFresh_)
        host_->OnDisplayInitHook();

    window_ = window;
    drawWidth_ = host_->GetWidth();
    drawHeight_ = host_->GetHeight();
    drawAspect_.SetReduced(drawWidth_, drawHeight_);
    host_->GetDesktopSize(desktopWidth_, desktopHeight_);
    desktopAspect_.SetReduced(desktopWidth_, desktopHeight_);
    displayWidth_ = drawWidth_;
    displayHeight_ = drawHeight_;
    displayAspect_ = drawAspect_;
    aspectCorrected_ = false;
    presentationRect_ = Rect(0, 0, drawWidth_, drawHeight_);
    host_->SetPresentationRect(presentationRect_);
    fullScreenDepth_ = host_->GetFullScreenDepth();
    windowed_ = windowed;
    cursorDrawn_ = false;
    Log("Application requests %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(drawWidth_),
        static_cast<unsigned long>(drawHeight_), drawAspect_.Numerator(), drawAspect_.Denominator());

    if (CheckResult(createResult, "DirectDrawCreate") || !directDraw_)
        return RESULT_DD_CREATE_FAIL;

    const int surfaces = windowed ? CreateWindowedSurfaces(window) : CreateFullScreenSurfaces(window);
    if (surfaces != RESULT_OK)
        return surfaces;

    Log("Draw buffer is       %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(drawWidth_),
        static_cast<unsigned long>(drawHeight_), drawAspect_.Numerator(), drawAspect_.Denominator());

    ReadRefreshRate();
    if (const int cursor = CreateCursorAreas(); cursor != RESULT_OK)
        return cursor;
    if (const int format = ReadPixelFormat(); format != RESULT_OK)
        return format;

    RebuildScreenImage(screenInVideoMemory_);

    if (in3DMode_ && path3D_ && !path3D_->Initialize(this)) {
        lastError_ = "3D init error: " + path3D_->GetLastError();
        return RESULT_3D_FAIL;
    }
    // The corrected rectangle is the one the mouse must be mapped through.
    host_->SetPresentationRect(presentationRect_);
    initialized_ = true;
    return RESULT_OK;
}

int DDInterface::CreateWindowedSurfaces(HWND window)
{
    const Fraction forced = host_->GetForcedAspect();
    Log("Hack aspect is                   [%2d:%2d]\n", forced.Numerator(), forced.Denominator());
    if (host_->IsAspectForced() && drawAspect_.IsLess(forced) && forced.Denominator() != 0) {
        aspectCorrected_ = true;
        displayHeight_ = drawHeight_;
        displayWidth_ = forced.Numerator() * drawHeight_ / forced.Denominator();
        displayAspect_ = forced;
        Point origin;
        host_->GetClientOrigin(window, origin);
        const Rect client(origin.x - (displayWidth_ - drawWidth_) / 2, origin.y - (displayHeight_ - drawHeight_) / 2,
                          displayWidth_, displayHeight_);
        host_->PlaceWindowAroundClient(window, client);
        if (!host_->IsStretchToFill()) {
            presentationRect_ = Rect((displayWidth_ - drawWidth_) / 2, 0, drawWidth_, drawHeight_);
        } else {
            drawWidth_ = displayWidth_;
            drawHeight_ = displayHeight_;
            drawAspect_ = displayAspect_;
            presentationRect_ = Rect(0, 0, displayWidth_, displayHeight_);
        }
    }
    Log("Window is            %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(displayWidth_),
        static_cast<unsigned long>(displayHeight_), displayAspect_.Numerator(), displayAspect_.Denominator());

    directDraw_->SetCooperativeLevel(window, DDSCL_NORMAL);

    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (in3DMode_ ? DDSCAPS_3DDEVICE : 0);
    const HRESULT primary = CreateSurface(&desc, &primary_);
    if (CheckResult(primary, "CreateSurface Windowed Primary"))
        return primary == DDERR_INVALIDPIXELFORMAT ? RESULT_INVALID_COLORDEPTH : RESULT_SURFACE_FAIL;

    desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(drawWidth_);
    desc.dwHeight = static_cast<DWORD>(drawHeight_);
    desc.ddsCaps.dwCaps = in3DMode_ ? (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY)
                                    : (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    if (CheckResult(CreateSurface(&desc, &drawSurface_), "CreateSurface Windowed DrawSurface"))
        return RESULT_SURFACE_FAIL;

    return AttachClipper(window, "CreateClipper Windowed");
}

int DDInterface::CreateFullScreenSurfaces(HWND window)
{
    Log("Desktop is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(desktopWidth_),
        static_cast<unsigned long>(desktopHeight_), desktopAspect_.Numerator(), desktopAspect_.Denominator());
    if (in3DMode_ && drawAspect_.IsLess(desktopAspect_) && drawHeight_ > 0 && desktopAspect_.Denominator() != 0) {
        // A wider desktop: keep its mode and show the draw buffer scaled
        // into it, either pillar-boxed or stretched to fill.
        aspectCorrected_ = true;
        displayWidth_ = desktopWidth_;
        displayHeight_ = desktopHeight_;
        displayAspect_ = desktopAspect_;
        if (!host_->IsStretchToFill()) {
            const int width = drawWidth_ * desktopHeight_ / drawHeight_;
            presentationRect_ = Rect((desktopWidth_ - width) / 2, 0, width, desktopHeight_);
        } else {
            drawAspect_ = desktopAspect_;
            drawWidth_ = desktopAspect_.Numerator() * drawHeight_ / desktopAspect_.Denominator();
            presentationRect_ = Rect(0, 0, desktopWidth_, desktopHeight_);
        }
    }
    Log("Display is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(displayWidth_),
        static_cast<unsigned long>(displayHeight_), displayAspect_.Numerator(), displayAspect_.Denominator());

    if (CheckResult(directDraw_->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                    "SetCooperativeLevel FullScreen"))
        return RESULT_EXCLUSIVE_FAIL;
    if (CheckResult(directDraw_->SetDisplayMode(static_cast<DWORD>(displayWidth_), static_cast<DWORD>(displayHeight_),
                                                static_cast<DWORD>(fullScreenDepth_)),
                    "SetDisplayMode FullScreen"))
        return RESULT_DISPCHANGE_FAIL;

    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | (in3DMode_ ? DDSCAPS_3DDEVICE : 0);
    const HRESULT primary = CreateSurface(&desc, &primary_);
    if (CheckResult(primary, "CreateSurface FullScreen Primary"))
        return primary == DDERR_INVALIDPIXELFORMAT ? RESULT_INVALID_COLORDEPTH : RESULT_SURFACE_FAIL;
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    if (CheckResult(primary_->GetAttachedSurface(&backCaps, &secondary_), "GetAttachedSurface"))
        return RESULT_SURFACE_FAIL;
    if (aspectCorrected_) {
        ClearSurface(primary_);
        ClearSurface(secondary_);
    }

    desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(drawWidth_);
    desc.dwHeight = static_cast<DWORD>(drawHeight_);
    desc.ddsCaps.dwCaps = in3DMode_ ? (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY)
                                    : (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    if (CheckResult(CreateSurface(&desc, &drawSurface_), "CreateSurface FullScreen DrawSurface"))
        return RESULT_SURFACE_FAIL;

    if (const int clipper = AttachClipper(window, "CreateClipper FullScreen"); clipper != RESULT_OK)
        return clipper;
    if (!host_->AllowsPageFlipping())
        directDraw_->FlipToGDISurface();
    return RESULT_OK;
}

int DDInterface::AttachClipper(HWND window, const char* step)
{
    DirectDrawClipper* clipper = nullptr;
    if (CheckResult(directDraw_->CreateClipper(0, &clipper, nullptr), step))
        return RESULT_FAIL;
    if (SUCCEEDED(clipper->SetHWnd(0, window)))
        primary_->SetClipper(clipper);
    clipper->Release();
    return RESULT_OK;
}

void DDInterface::ReadRefreshRate()
{
    DWORD hertz = 0;
    const HRESULT result = directDraw_->GetMonitorFrequency(&hertz);
    refreshRate_ = static_cast<int>(hertz);
    if (FAILED(result) || hertz < 60) {
        host_->SetVSyncUnreliable(true);
        refreshRate_ = 60;
    } else if (hertz > 100) {
        host_->SetVSyncUnreliable(true);
        refreshRate_ = 100;
    }
    millisecondsPerFrame_ = static_cast<int>(1000u / static_cast<unsigned>(refreshRate_));
}

int DDInterface::CreateCursorAreas()
{
    const struct {
        DirectDrawSurface** surface;
        std::unique_ptr<DDImage>* image;
        const char* step;
        DWORD size;
    } areas[3] = {{&oldCursorArea_, &oldCursorImage_, "CreateSurface OldCursorArea", kCursorAreaSize},
                  {&newCursorArea_, &newCursorImage_, "CreateSurface NewCursorArea", kCursorAreaSize},
                  {&compositionArea_, &compositionImage_, "CreateSurface CursorComposition", 2 * kCursorAreaSize}};
    for (const auto& area : areas) {
        DDSURFACEDESC2 desc = EmptyDescription();
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = area.size;
        desc.dwHeight = area.size;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (CheckResult(CreateSurface(&desc, area.surface), area.step))
            return RESULT_SURFACE_FAIL;
        *area.image = std::make_unique<DDImage>(this);
        (*area.image)->AttachSurface(*area.surface);
        (*area.image)->ForceAlphaFlags(false, false);
    }
    return RESULT_OK;
}

int DDInterface::ReadPixelFormat()
{
    if (!primary_)
        return RESULT_OK;
    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    if (CheckResult(primary_->GetSurfaceDesc(&desc), "GetSurfaceDesc Primary"))
        return RESULT_SURFACE_FAIL;
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    const int depth = static_cast<int>(format.dwRGBBitCount);
    if (depth != 16 && depth != 32) {
        lastError_ = "Invalid color depth: " + std::to_string(depth);
        return RESULT_INVALID_COLORDEPTH;
    }
    SetFormat(depth, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask);

    const int bits[3] = {redBits, greenBits, blueBits};
    const uint32_t masks[3] = {format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
    for (int c = 0; c < 3; ++c) {
        const uint32_t top = (1u << bits[c]) - 1u;
        saturation_[c].assign((size_t(1) << (bits[c] + 1)) - 1, 0);
        for (size_t i = 0; i < saturation_[c].size(); ++i)
            saturation_[c][i] = std::min<uint32_t>(static_cast<uint32_t>(i), top);
        for (uint32_t i = 0; i < 256; ++i)
            channelTables_[c][i] = static_cast<uint32_t>(uint64_t(i) * masks[c] / 255u) & masks[c];
    }
    return RESULT_OK;
}

void DDInterface::Cleanup()
{
    CriticalSectionLock guard(lock_);
    initialized_ = false;
    if (path3D_)
        path3D_->Cleanup();
    oldCursorImage_.reset();
    newCursorImage_.reset();
    compositionImage_.reset();
    ReleaseInterface(oldCursorArea_);
    ReleaseInterface(newCursorArea_);
    ReleaseInterface(compositionArea_);
    cursorDrawn_ = false;
    screenImage_.reset();
    ReleaseInterface(drawSurface_);
    ReleaseInterface(secondary_);
    ReleaseInterface(primary_);
    if (directDraw_) {
        directDraw_->SetCooperativeLevel(window_, DDSCL_NORMAL);
        ReleaseInterface(directDraw_);
    }
    ReleaseInterface(directDraw7_);
}

HRESULT DDInterface::CreateSurface(DDSURFACEDESC2* desc, DirectDrawSurface** out, void* reserved)
{
    (void)reserved;
    CriticalSectionLock guard(lock_);
    *out = nullptr;
    HRESULT result;
    if (directDraw7_) {
        DirectDrawSurface* surface7 = nullptr;
        result = directDraw7_->CreateSurface(desc, &surface7, nullptr);
        if (SUCCEEDED(result)) {
            void* first = nullptr;
            result = surface7->QueryInterface(IID_IDirectDrawSurface, &first);
            surface7->Release();
            *out = static_cast<DirectDrawSurface*>(first);
        }
    } else if (directDraw_) {
        DDSURFACEDESC first = ToFirstVersion(*desc);
        result = directDraw_->CreateSurface(&first, out, nullptr);
    } else {
        result = DDERR_NOTINITIALIZED;
    }
    if (FAILED(result)) {
        *out = nullptr;
        return result;
    }

    // The display's format comes from the primary; without one (before the
    // display is set up, or after it was torn down) no surface can be
    // judged, so none is made.
    if (!primary_) {
        ReleaseInterface(*out);
        return DDERR_NOTINITIALIZED;
    }
    DDSURFACEDESC2 primaryDesc = EmptyDescription();
    primaryDesc.dwFlags = DDSD_PIXELFORMAT;
    if (FAILED(primary_->GetSurfaceDesc(&primaryDesc))) {
        const bool isPrimary = out == &primary_;
        ReleaseInterface(*out);
        if (isPrimary)
            primary_ = nullptr;
        return DDERR_INVALIDOBJECT;
    }
    const DDPIXELFORMAT& format = primaryDesc.ddpfPixelFormat;
    gDisplayRgbOrder = format.dwRBitMask > format.dwGBitMask && format.dwGBitMask > format.dwBBitMask;
    if (format.dwRGBBitCount != 16 && format.dwRGBBitCount != 32) {
        ReleaseInterface(*out);
        return DDERR_INVALIDPIXELFORMAT;
    }
    return DD_OK;
}

void DDInterface::ClearSurface(DirectDrawSurface* surface)
{
    if (!surface)
        return;
    DDSURFACEDESC2 desc = EmptyDescription();
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr)))
        return;
    const size_t rowBytes = size_t(desc.dwWidth) * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
    auto* row = static_cast<uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; row && y < desc.dwHeight; ++y, row += desc.lPitch)
        std::memset(row, 0, rowBytes);
    surface->Unlock(nullptr);
}

void DDInterface::RebuildScreenImage(bool videoMemory)
{
    CriticalSectionLock guard(lock_);
    screenInVideoMemory_ = videoMemory;
    if (videoMemory && !secondary_) {
        DDSURFACEDESC2 desc = EmptyDescription();
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(drawWidth_);
        desc.dwHeight = static_cast<DWORD>(drawHeight_);
        desc.ddsCaps.dwCaps = DDSCAPS_VIDEOMEMORY;
        if (FAILED(CreateSurface(&desc, &secondary_)))
            screenInVideoMemory_ = false;
    }
    screenImage_.reset();
    screenImage_ = std::make_unique<DDImage>(this);
    screenImage_->AttachSurface(screenInVideoMemory_ ? secondary_ : drawSurface_);
    screenImage_->SetVideoMemoryFlags(screenInVideoMemory_, screenInVideoMemory_);
    screenImage_->ForceAlphaFlags(false, false);
}

void DDInterface::RegisterImage(DDImage* image)
{
    CriticalSectionLock guard(lock_);
    images_.insert(image);
}

void DDInterface::UnregisterImage(DDImage* image)
{
    CriticalSectionLock guard(lock_);
    images_.erase(image);
}

void DDInterface::ReleaseImageTextures(MemoryImage* image)
{
    CriticalSectionLock guard(lock_);
    if (path3D_)
        path3D_->ReleaseImageTextures(image);
}

Point DDInterface::ClientOrigin()
{
    // A full-screen window's client area is the whole screen.
    Point origin;
    if (!windowed_ || !host_->GetClientOrigin(window_, origin))
        return Point{};
    return origin;
}

bool DDInterface::IsCursorArea(const DDImage* image) const
{
    return image &&
           (image == oldCursorImage_.get() || image == newCursorImage_.get() || image == compositionImage_.get());
}

bool DDInterface::RunCapabilityTest(HWND window)
{
    if (testerRan_ || !path3D_ || !(host_->WantsAuto3DDetection() || host_->WantsTest3D()))
        return false;
    testerRan_ = true;
    const Display3DPath::TestResult result = path3D_->RunCapabilityTest(
        window, directDraw7_, host_->GetMinVideoMemoryMB(), host_->GetRecommendedVideoMemoryMB());
    if (host_->WantsAuto3DDetection() && !host_->HasChosen3D())
        in3DMode_ = !result.failed && !result.warned;
    if (result.failed)
        in3DMode_ = false;
    if (result.fresh && (result.failed || result.warned))
        in3DMode_ = false;
    lastTestFresh_ = result.fresh;
    return true;
}

bool DDInterface::PresentsPartsInPlace()
{
    CriticalSectionLock guard(lock_);
    return initialized_ && windowed_ && !in3DMode_ && !cursorImage_;
}

bool DDInterface::ShowPictureAgain()
{
    CriticalSectionLock guard(lock_);
    if (!initialized_ || !windowed_ || in3DMode_ || cursorImage_ || aspectCorrected_)
        return false;
    const Rect& p = presentationRect_;
    const Point origin = ClientOrigin();
    RECT shown{p.x + origin.x, p.y + origin.y, p.x + origin.x + p.width, p.y + origin.y + p.height};
    return primary_->ShowAgain(shown);
}

bool DDInterface::Redraw(const Rect* area)
{
    CriticalSectionLock guard(lock_);
    if (!initialized_)
        return false;
    presenting_ = true;
    if (in3DMode_ && path3D_) {
        if (path3D_->HasRuntimeError()) {
            presenting_ = false;
            in3DMode_ = false;
            return false;
        }
        path3D_->FinishScene();
    }

    RECT source;
    RECT dest;
    if (!area || aspectCorrected_) {
        source = RECT{0, 0, drawWidth_, drawHeight_};
        const Rect& p = presentationRect_;
        dest = RECT{p.x, p.y, p.x + p.width, p.y + p.height};
    } else {
        source = RECT{area->x, area->y, area->x + area->width, area->y + area->height};
        dest = source;
    }
    const Point origin = ClientOrigin();
    {
        dest.left += origin.x;
        dest.right += origin.x;
        dest.top += origin.y;
        dest.bottom += origin.y;
    }

    // Waits for drawing still pending on the draw surface.
    DDSURFACEDESC2 wait = EmptyDescription();
    if (SUCCEEDED(drawSurface_->Lock(nullptr, &wait, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        drawSurface_->Unlock(nullptr);

    HRESULT result;
    const char* step;
    if (!windowed_ && host_->AllowsPageFlipping() && !host_->IsSystemDialogShowing()) {
        step = "Redraw FullScreen Flip";
        result = DD_OK;
        if (!screenInVideoMemory_)
            result = secondary_->Blt(&dest, drawSurface_, &source, DDBLT_WAIT, nullptr);
        if (SUCCEEDED(result)) {
            drawnCursor_ = GetLatestCursorPosition();
            DrawSoftwareCursor(secondary_, true);
            result = primary_->Flip(nullptr, DDFLIP_WAIT);
        }
    } else if (!windowed_) {
        step = "Redraw FullScreen Blt";
        result = primary_->Blt(&dest, drawSurface_, &source, DDBLT_WAIT, nullptr);
    } else {
        // The cursor goes out with the frame and is taken out of the frame
        // again; it stays drawn on the primary.
        step = "Redraw Windowed";
        DirectDrawSurface* frame = screenInVideoMemory_ ? secondary_ : drawSurface_;
        drawnCursor_ = GetLatestCursorPosition();
        DrawSoftwareCursor(frame, false);
        result = primary_->Blt(&dest, frame, &source, DDBLT_WAIT, nullptr);
        if (cursorDrawn_) {
            EraseSoftwareCursor(frame, false);
            cursorDrawn_ = true;
        }
    }
    presenting_ = false;
    return !CheckResult(result, step);
}

} // namespace Zolt
