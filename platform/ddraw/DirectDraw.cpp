#include "platform/ddraw/DirectDraw.h"

#include "platform/ddraw/DisplayMachine.h"

#include "platform/core/ModuleRegistry.h"

#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>
#include <type_traits>
#include <vector>

namespace platform {

using ddraw::DisplayMachine;
using ddraw::DisplayMode;
using ddraw::PixelLayout;

namespace {

constexpr int kLargestSide = 16384;
constexpr size_t kLargestSurfaceBytes = size_t(256) << 20;

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
};

std::mutex gMakersMutex;
std::map<GUID, DirectDraw::InterfaceMaker, GuidLess>& Makers()
{
    static std::map<GUID, DirectDraw::InterfaceMaker, GuidLess> makers;
    return makers;
}

// The modes a monitor of the desktop's size offers: the common sizes that fit
// it, plus the desktop itself, in the depths the display code may ask for.
std::vector<DisplayMode> OfferedModes()
{
    static const int kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                    {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},
                                    {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200},
                                    {2560, 1440}, {2560, 1600}, {3840, 2160}};
    DisplayMode desktop = DisplayMachine::Instance().Desktop();
    std::vector<DisplayMode> modes;
    for (int depth : {8, 16, 24, 32}) {
        if (depth == 24 && desktop.depth != 24) continue;
        bool desktopListed = false;
        for (const auto& size : kSizes) {
            if (size[0] > desktop.width || size[1] > desktop.height) continue;
            desktopListed |= size[0] == desktop.width && size[1] == desktop.height;
            modes.push_back(DisplayMode{size[0], size[1], depth, desktop.refresh});
        }
        if (!desktopListed) modes.push_back(DisplayMode{desktop.width, desktop.height, depth, desktop.refresh});
    }
    return modes;
}

// Reads a pixel format a caller asked for; false when no surface can hold it.
bool LayoutFromRequest(const DDPIXELFORMAT& pf, PixelLayout& layout)
{
    if (pf.dwSize != sizeof pf) return false;
    if (pf.dwFlags & DDPF_PALETTEINDEXED8) {
        if (pf.dwRGBBitCount != 8) return false;
        layout = PixelLayout::Palette8();
        return true;
    }
    if (!(pf.dwFlags & DDPF_RGB)) return false;
    int bits = static_cast<int>(pf.dwRGBBitCount);
    if (bits != 16 && bits != 24 && bits != 32) return false;
    DWORD alpha = (pf.dwFlags & DDPF_ALPHAPIXELS) ? pf.dwRGBAlphaBitMask : 0;
    DWORD masks[4] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, alpha};
    DWORD limit = bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    DWORD seen = 0;
    for (int i = 0; i < 4; ++i) {
        if ((masks[i] & ~limit) || (masks[i] & seen)) return false;
        if (i < 3 && !masks[i]) return false;
        seen |= masks[i];
    }
    layout = PixelLayout{bits, DDPF_RGB, pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, alpha};
    return true;
}

DDSURFACEDESC2 Widen(const DDSURFACEDESC& narrow)
{
    DDSURFACEDESC2 wide;
    std::memset(&wide, 0, sizeof wide);
    std::memcpy(&wide, &narrow, offsetof(DDSURFACEDESC, ddsCaps));
    wide.dwSize = sizeof wide;
    wide.ddsCaps.dwCaps = narrow.ddsCaps.dwCaps;
    return wide;
}

} // namespace

DirectDraw* DirectDraw::Create() { return new DirectDraw(); }

DirectDraw::DirectDraw() : link_(std::make_shared<ddraw::DeviceLink>()) {}

DirectDraw::~DirectDraw()
{
    GiveUpExclusive();
    if (changedMode_) {
        DisplayMachine::Instance().RestoreDesktopMode();
        DisplayMachine::Instance().LoseAllSurfaces();
    }
    link_->alive = false;
    link_->primary = nullptr;
}

void DirectDraw::RegisterInterface(const GUID& iid, InterfaceMaker maker)
{
    std::lock_guard lock(gMakersMutex);
    if (maker)
        Makers()[iid] = maker;
    else
        Makers().erase(iid);
}

HRESULT DirectDraw::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("QueryInterface"); FAILED(hr)) return hr;
    if (iid == IID_IDirectDraw || iid == IID_IDirectDraw7 || iid == IID_IUnknown) {
        AddRef();
        *out = this;
        return DD_OK;
    }
    InterfaceMaker maker = nullptr;
    {
        std::lock_guard lock(gMakersMutex);
        auto it = Makers().find(iid);
        if (it != Makers().end()) maker = it->second;
    }
    return maker ? maker(this, out) : E_NOINTERFACE;
}

ULONG DirectDraw::AddRef() { return ++references_; }

ULONG DirectDraw::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

void DirectDraw::GiveUpExclusive()
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (machine.ExclusiveOwner() != this) return;
    machine.SetExclusiveOwner(nullptr);
    DisplayMode desktop = machine.Desktop();
    machine.SetFullScreen(link_->window, false, desktop.width, desktop.height);
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (HRESULT hr = machine.TakeFailure("SetCooperativeLevel"); FAILED(hr)) return hr;
    bool normal = flags & DDSCL_NORMAL;
    bool exclusive = flags & DDSCL_EXCLUSIVE;
    if (normal == exclusive) return DDERR_INVALIDPARAMS;
    if (exclusive != bool(flags & DDSCL_FULLSCREEN)) return DDERR_INVALIDPARAMS;
    if (exclusive && !window) return DDERR_INVALIDPARAMS;
    if (exclusive) {
        DirectDraw* owner = machine.ExclusiveOwner();
        if (owner && owner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
        machine.SetExclusiveOwner(this);
        link_->window = window;
        link_->level = flags;
        DisplayMode mode = machine.Current();
        machine.SetFullScreen(window, true, mode.width, mode.height);
        return DD_OK;
    }
    GiveUpExclusive();
    if (changedMode_) {
        machine.RestoreDesktopMode();
        machine.LoseAllSurfaces();
        changedMode_ = false;
    }
    link_->window = window;
    link_->level = flags;
    return DD_OK;
}

HRESULT DirectDraw::TestCooperativeLevel()
{
    DirectDraw* owner = DisplayMachine::Instance().ExclusiveOwner();
    if (owner && owner != this) return DDERR_NOEXCLUSIVEMODE;
    if (link_->IsFullScreen() && owner != this) return DDERR_NOEXCLUSIVEMODE;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (HRESULT hr = machine.TakeFailure("SetDisplayMode"); FAILED(hr)) return hr;
    if (flags & ~DDEDM_REFRESHRATES) return DDERR_INVALIDPARAMS;
    DirectDraw* owner = machine.ExclusiveOwner();
    if (owner && owner != this) return DDERR_NOEXCLUSIVEMODE;
    const DisplayMode* match = nullptr;
    std::vector<DisplayMode> modes = OfferedModes();
    for (const DisplayMode& m : modes)
        if (DWORD(m.width) == width && DWORD(m.height) == height && DWORD(m.depth) == bitsPerPixel &&
            (refreshRate == 0 || DWORD(m.refresh) == refreshRate))
            match = &m;
    if (!match) return DDERR_INVALIDMODE;
    machine.SetCurrentMode(*match);
    machine.LoseAllSurfaces();
    changedMode_ = true;
    if (owner == this) machine.SetFullScreen(link_->window, true, match->width, match->height);
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode()
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (HRESULT hr = machine.TakeFailure("RestoreDisplayMode"); FAILED(hr)) return hr;
    if (!changedMode_) return DD_OK;
    machine.RestoreDesktopMode();
    machine.LoseAllSurfaces();
    changedMode_ = false;
    if (machine.ExclusiveOwner() == this) {
        DisplayMode mode = machine.Current();
        machine.SetFullScreen(link_->window, true, mode.width, mode.height);
    }
    return DD_OK;
}

template <class Desc>
void DirectDraw::DescribeMode(Desc& desc, int width, int height, int depth, int refresh) const
{
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    PixelLayout layout = DisplayMachine::Instance().LayoutForDepth(depth);
    desc.lPitch = width * layout.BytesPerPixel();
    desc.dwRefreshRate = DWORD(refresh);
    desc.ddpfPixelFormat = layout.ToDD();
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC2* desc)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetDisplayMode"); FAILED(hr)) return hr;
    if (!desc || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    DisplayMode mode = DisplayMachine::Instance().Current();
    DescribeMode(*desc, mode.width, mode.height, mode.depth, mode.refresh);
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC* desc)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetDisplayMode"); FAILED(hr)) return hr;
    if (!desc || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    DisplayMode mode = DisplayMachine::Instance().Current();
    DescribeMode(*desc, mode.width, mode.height, mode.depth, mode.refresh);
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD, DDSURFACEDESC2* filter, void* context, EnumModesCallback2 callback)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("EnumDisplayModes"); FAILED(hr)) return hr;
    if (!callback || (filter && filter->dwSize != sizeof *filter)) return DDERR_INVALIDPARAMS;
    for (const DisplayMode& m : OfferedModes()) {
        if (filter) {
            if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != DWORD(m.width)) continue;
            if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != DWORD(m.height)) continue;
            if ((filter->dwFlags & DDSD_PIXELFORMAT) && filter->ddpfPixelFormat.dwRGBBitCount != DWORD(m.depth))
                continue;
        }
        DDSURFACEDESC2 desc;
        DescribeMode(desc, m.width, m.height, m.depth, m.refresh);
        if (callback(&desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD flags, DDSURFACEDESC* filter, void* context, EnumModesCallback callback)
{
    if (!callback || (filter && filter->dwSize != sizeof *filter)) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC2 wide;
    if (filter) wide = Widen(*filter);
    struct Relay {
        EnumModesCallback callback;
        void* context;
    } relay{callback, context};
    return EnumDisplayModes(
        flags, filter ? &wide : nullptr, &relay, [](DDSURFACEDESC2* mode, void* c) -> HRESULT {
            auto* r = static_cast<Relay*>(c);
            DDSURFACEDESC narrow;
            std::memset(&narrow, 0, sizeof narrow);
            std::memcpy(&narrow, mode, offsetof(DDSURFACEDESC, ddsCaps));
            narrow.dwSize = sizeof narrow;
            return r->callback(&narrow, r->context);
        });
}

HRESULT DirectDraw::GetMonitorFrequency(DWORD* hertz)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetMonitorFrequency"); FAILED(hr)) return hr;
    if (!hertz) return DDERR_INVALIDPARAMS;
    *hertz = DWORD(DisplayMachine::Instance().Current().refresh);
    return DD_OK;
}

HRESULT DirectDraw::GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (HRESULT hr = machine.TakeFailure("GetAvailableVidMem"); FAILED(hr)) return hr;
    if (!caps) return DDERR_INVALIDPARAMS;
    if (total) *total = machine.VideoMemoryTotal();
    if (free) *free = machine.VideoMemoryFree();
    return DD_OK;
}

HRESULT DirectDraw::GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetDeviceIdentifier"); FAILED(hr)) return hr;
    if (!identifier) return DDERR_INVALIDPARAMS;
    std::memset(identifier, 0, sizeof *identifier);
    ddraw::AdapterIdentity adapter = DisplayMachine::Instance().Adapter();
    std::strncpy(identifier->szDriver, adapter.driver.c_str(), sizeof identifier->szDriver - 1);
    std::strncpy(identifier->szDescription, adapter.description.c_str(), sizeof identifier->szDescription - 1);
    identifier->guidDeviceIdentifier = adapter.guid;
    return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(DWORD flags, void*)
{
    if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
    return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface()
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("FlipToGDISurface"); FAILED(hr)) return hr;
    if (!link_->primary) return DDERR_NOTFOUND;
    return link_->primary->FlipToOriginal();
}

HRESULT DirectDraw::RestoreAllSurfaces()
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("RestoreAllSurfaces"); FAILED(hr)) return hr;
    std::vector<DirectDrawSurface*> surfaces(link_->surfaces.begin(), link_->surfaces.end());
    for (DirectDrawSurface* s : surfaces) {
        HRESULT hr = s->Restore();
        if (FAILED(hr) && hr != DDERR_IMPLICITLYCREATED) return hr;
    }
    return DD_OK;
}

HRESULT DirectDraw::CreateClipper(DWORD flags, DirectDrawClipper** out, IUnknown* outer)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("CreateClipper"); FAILED(hr)) return hr;
    if (!out || flags != 0) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    *out = DirectDrawClipper::Create();
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD caps, PALETTEENTRY* entries, DirectDrawPalette** out, IUnknown* outer)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("CreatePalette"); FAILED(hr)) return hr;
    if (!out || !entries) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(caps & DDPCAPS_8BIT) || (caps & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT))) return DDERR_UNSUPPORTED;
    *out = DirectDrawPalette::Create(caps, entries);
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, DirectDrawSurface** out, IUnknown* outer)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("CreateSurface"); FAILED(hr)) return hr;
    if (!desc || !out || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return MakeSurface(*desc, out);
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC* desc, DirectDrawSurface** out, IUnknown* outer)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("CreateSurface"); FAILED(hr)) return hr;
    if (!desc || !out || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return MakeSurface(Widen(*desc), out);
}

namespace {

void ApplyColorKeys(const DDSURFACEDESC2& desc, DirectDrawSurface* surface)
{
    if (desc.dwFlags & DDSD_CKSRCBLT) {
        DDCOLORKEY key = desc.ddckCKSrcBlt;
        surface->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key);
    }
    if (desc.dwFlags & DDSD_CKDESTBLT) {
        DDCOLORKEY key = desc.ddckCKDestBlt;
        surface->SetColorKey(DDCKEY_DESTBLT | DDCKEY_COLORSPACE, &key);
    }
}

// The flipping chain's back buffer, in video memory beside the front.
HRESULT AttachBackBuffer(DirectDrawSurface* front, const DirectDrawSurface::Setup& frontSetup, DWORD caps)
{
    DirectDrawSurface::Setup back = frontSetup;
    back.caps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                (caps & DDSCAPS_3DDEVICE);
    back.implicit = true;
    size_t bytes = size_t(DirectDrawSurface::PitchFor(back.width, back.layout.BytesPerPixel())) * size_t(back.height);
    if (!DisplayMachine::Instance().ReserveVideoMemory(bytes)) return DDERR_OUTOFVIDEOMEMORY;
    back.videoBytes = bytes;
    front->AttachBackBuffer(DirectDrawSurface::Create(back));
    return DD_OK;
}

} // namespace

HRESULT DirectDraw::MakeSurface(const DDSURFACEDESC2& desc, DirectDrawSurface** out)
{
    // Textures get a failure name of their own, so the 3D path's fallbacks
    // can be provoked without failing every other surface.
    if (desc.ddsCaps.dwCaps & DDSCAPS_TEXTURE)
        if (HRESULT hr = DisplayMachine::Instance().TakeFailure("CreateTexture"); FAILED(hr)) return hr;
    if (link_->level == 0) return DDERR_NOCOOPERATIVELEVELSET;
    DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : 0;
    DWORD caps2 = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps2 : 0;
    if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;

    DirectDrawSurface::Setup setup;
    setup.link = link_;
    setup.caps2 = caps2;
    const bool primary = caps & DDSCAPS_PRIMARYSURFACE;
    const bool chain = caps & DDSCAPS_FLIP;
    const bool backCount = desc.dwFlags & DDSD_BACKBUFFERCOUNT;
    if (chain != backCount || (chain && !(caps & DDSCAPS_COMPLEX))) return DDERR_INVALIDCAPS;
    if (chain && !primary) return DDERR_INVALIDCAPS;
    if (chain && desc.dwBackBufferCount != 1) return desc.dwBackBufferCount == 0 ? DDERR_INVALIDPARAMS : DDERR_UNSUPPORTED;
    const HRESULT set = primary ? SetUpPrimary(desc, caps, chain, setup) : SetUpOffScreen(desc, caps, caps2, setup);
    if (FAILED(set)) return set;

    DirectDrawSurface* surface = DirectDrawSurface::Create(setup);
    ApplyColorKeys(desc, surface);
    if (chain) {
        if (HRESULT hr = AttachBackBuffer(surface, setup, caps); FAILED(hr)) {
            surface->Release();
            return hr;
        }
    }
    if (primary) link_->primary = surface;
    *out = surface;
    return DD_OK;
}

HRESULT DirectDraw::SetUpPrimary(const DDSURFACEDESC2& desc, DWORD caps, bool chain, DirectDrawSurface::Setup& setup)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (link_->primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (chain && (!link_->IsFullScreen() || machine.ExclusiveOwner() != this)) return DDERR_NOEXCLUSIVEMODE;
    DisplayMode mode = machine.Current();
    setup.width = mode.width;
    setup.height = mode.height;
    setup.layout = machine.LayoutForDepth(mode.depth);
    setup.caps = (caps & ~DDSCAPS_SYSTEMMEMORY) | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | DDSCAPS_VISIBLE |
                 (chain ? DDSCAPS_FRONTBUFFER : 0);
    return DD_OK;
}

HRESULT DirectDraw::SetUpOffScreen(const DDSURFACEDESC2& desc, DWORD caps, DWORD caps2,
                                   DirectDrawSurface::Setup& setup)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth == 0 || desc.dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth > DWORD(kLargestSide)) return DDERR_TOOBIGWIDTH;
    if (desc.dwHeight > DWORD(kLargestSide)) return DDERR_TOOBIGHEIGHT;
    setup.width = int(desc.dwWidth);
    setup.height = int(desc.dwHeight);
    if (desc.dwFlags & DDSD_PIXELFORMAT) {
        if (!LayoutFromRequest(desc.ddpfPixelFormat, setup.layout)) return DDERR_INVALIDPIXELFORMAT;
    } else {
        setup.layout = machine.CurrentLayout();
    }
    size_t bytes = size_t(DirectDrawSurface::PitchFor(setup.width, setup.layout.BytesPerPixel())) * size_t(setup.height);
    if (bytes > kLargestSurfaceBytes) return DDERR_TOOBIGSIZE;
    // Video memory when asked for (or failing), else when there is room,
    // unless the surface is to be in system memory or managed.
    bool video = false;
    if (caps & DDSCAPS_VIDEOMEMORY) {
        if (!machine.ReserveVideoMemory(bytes)) return DDERR_OUTOFVIDEOMEMORY;
        video = true;
    } else if (!(caps & DDSCAPS_SYSTEMMEMORY) && !(caps2 & (DDSCAPS2_TEXTUREMANAGE | DDSCAPS2_D3DTEXTUREMANAGE))) {
        video = machine.ReserveVideoMemory(bytes);
    }
    setup.videoBytes = video ? bytes : 0;
    setup.caps = (caps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) |
                 (video ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY);
    return DD_OK;
}

// ------------------------------------------------------------ entry points --

HRESULT DirectDrawCreate(GUID*, IDirectDraw** out, IUnknown* outer)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("DirectDrawCreate"); FAILED(hr)) return hr;
    if (outer) return CLASS_E_NOAGGREGATION;
    *out = DirectDraw::Create();
    return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID*, void** out, REFIID iid, IUnknown* outer)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("DirectDrawCreateEx"); FAILED(hr)) return hr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    *out = DirectDraw::Create();
    return DD_OK;
}

HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer)
{
    if (!out || flags != 0) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("DirectDrawCreateClipper"); FAILED(hr)) return hr;
    if (outer) return CLASS_E_NOAGGREGATION;
    *out = DirectDrawClipper::Create();
    return DD_OK;
}

void* ddraw::FindEntryPoint(const char* name)
{
    if (!name) return nullptr;
    if (std::strcmp(name, "DirectDrawCreate") == 0)
        return reinterpret_cast<void*>(static_cast<LPDIRECTDRAWCREATE>(&DirectDrawCreate));
    if (std::strcmp(name, "DirectDrawCreateEx") == 0)
        return reinterpret_cast<void*>(static_cast<LPDIRECTDRAWCREATEEX>(&DirectDrawCreateEx));
    if (std::strcmp(name, "DirectDrawCreateClipper") == 0)
        return reinterpret_cast<void*>(static_cast<LPDIRECTDRAWCREATECLIPPER>(&DirectDrawCreateClipper));
    return nullptr;
}

void ddraw::EnsureDDrawRegistered()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterModule("ddraw.dll", {Entry("DirectDrawCreate", &DirectDrawCreate),
                                     Entry("DirectDrawCreateEx", &DirectDrawCreateEx),
                                     Entry("DirectDrawCreateClipper", &DirectDrawCreateClipper)});
    });
}

} // namespace platform
