#include "framework/graphics/DDImage.h"

#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/ImageHost.h"
#include "framework/graphics/SurfacePixelFormat.h"
#include "platform/ddraw/DirectDraw.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace Zolt {

using namespace platform;

namespace {

constexpr uint32_t kFullWord = 0xFFFFFFFFu;

// The lowest value whose bit is clear in a table of used values, searching
// the words in order and skipping only words with every bit set. With
// `lastWins` the last such word decides (the 16-bit search), else the first.
bool FindUnusedValue(const std::vector<uint32_t>& used, bool lastWins, uint32_t& value)
{
    bool found = false;
    for (size_t w = 0; w < used.size(); ++w) {
        if (used[w] == kFullWord)
            continue;
        value = static_cast<uint32_t>(w * 32 + std::countr_one(used[w]));
        found = true;
        if (!lastWins)
            break;
    }
    return found;
}

} // namespace

DDImage::DDImage(DDInterface* display) : MemoryImage(display ? display->GetImageHost() : nullptr), display_(display)
{
    if (display_)
        display_->RegisterImage(this);
}

DDImage::~DDImage()
{
    if (surface_) {
        if (lockCount_ > 0)
            surface_->Unlock(nullptr);
        surface_->Release();
        surface_ = nullptr;
    }
    if (display_)
        display_->UnregisterImage(this);
}

HRESULT DDImage::AttachSurface(DirectDrawSurface* surface)
{
    if (!surface)
        return DDERR_INVALIDPARAMS;
    surface->AddRef();
    if (surface_) {
        if (lockCount_ > 0)
            surface_->Unlock(nullptr);
        surface_->Release();
    }
    lockCount_ = 0;
    surfaceAttached_ = true;
    surface_ = surface;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    const HRESULT result = surface_->GetSurfaceDesc(&desc);
    if (SUCCEEDED(result)) {
        width_ = static_cast<int32_t>(desc.dwWidth);
        height_ = static_cast<int32_t>(desc.dwHeight);
    }
    videoMemoryScreen_ = false;
    return result;
}

bool DDImage::IsScreen3D() const
{
    return display_ && display_->IsIn3DMode() && surface_ && surface_ == display_->GetDrawSurface();
}

bool IsScreen3DImage(Image* image)
{
    const auto* dd = dynamic_cast<DDImage*>(image);
    return dd && dd->IsScreen3D();
}

void DDImage::PlaceInVideoMemory(bool videoMemory)
{
    if (videoMemory == videoMemoryWanted_)
        return;
    videoMemoryWanted_ = videoMemory;
    if (surfaceAttached_)
        return; // the display decides where its own surfaces live
    RequireBits();
    ReleaseSurface();
}

bool DDImage::BuildSurface() { return MakeSurface(); }

DirectDrawSurface* DDImage::RequireSurface()
{
    if (!surface_)
        MakeSurface();
    return surface_;
}

void DDImage::ReleaseSurface()
{
    if (!surface_)
        return;
    if (!palette_ && !bits_ && !texture_)
        RequireBits();
    if (lockCount_ > 0)
        surface_->Unlock(nullptr);
    lockCount_ = 0;
    lockedDesc_.lpSurface = nullptr;
    surface_->Release();
    surface_ = nullptr;
    surfaceAttached_ = false;
}

bool DDImage::MakeSurface()
{
    if (surface_)
        return true;
    if (!display_)
        return false;
    ScanAlpha();
    if (hasAlpha_)
        return false;
    surfaceWanted_ = true;
    if (palette_ && indices_)
        RequireBits();
    else if (!bits_ && (nativeAlpha_ || texture_))
        MemoryImage::RequireBits(); // so that the new surface gets the pixels

    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(width_);
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.ddsCaps.dwCaps = videoMemoryWanted_ ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;

    CriticalSectionLock guard(display_->GetLock());
    if (display_->CreateSurface(&desc, &surface_) != DD_OK) {
        surface_ = nullptr;
        return false;
    }
    if (!AcquireSurfaceLock()) {
        // An unfilled surface must not pass for the image's pixels.
        surface_->Release();
        surface_ = nullptr;
        return false;
    }
    if (bits_)
        UploadBits();
    ReleaseSurfaceLock();
    return true;
}

bool DDImage::AcquireSurfaceLock()
{
    if (IsScreen3D())
        return false;
    if (lockCount_ == 0) {
        DirectDrawSurface* surface = RequireSurface();
        if (!surface)
            return false;
        std::memset(&lockedDesc_, 0, sizeof lockedDesc_);
        lockedDesc_.dwSize = sizeof lockedDesc_;
        if (surface->Lock(nullptr, &lockedDesc_, DDLOCK_WAIT, nullptr) != DD_OK) {
            lockedDesc_.lpSurface = nullptr;
            return false;
        }
    }
    ++lockCount_;
    return true;
}

bool DDImage::ReleaseSurfaceLock()
{
    if (IsScreen3D())
        return false;
    // A release without its acquire would unlock a lock some other caller
    // still relies on.
    if (lockCount_ <= 0)
        return false;
    if (--lockCount_ == 0) {
        if (surface_)
            surface_->Unlock(nullptr);
        lockedDesc_.lpSurface = nullptr;
    }
    return true;
}

bool DDImage::GetColorKey(uint32_t& key) const
{
    if (!surface_)
        return false;
    DDCOLORKEY colorKey{};
    if (FAILED(surface_->GetColorKey(DDCKEY_SRCBLT, &colorKey)))
        return false;
    key = colorKey.dwColorSpaceLowValue;
    return true;
}

void DDImage::UploadBits()
{
    const SurfacePixelFormat format(lockedDesc_.ddpfPixelFormat);
    auto* base = static_cast<uint8_t*>(lockedDesc_.lpSurface);
    if (!base || !bits_ || !format.IsSupported())
        return;
    const uint32_t* bits = bits_.get();
    const size_t count = PixelCount();
    const int w = width_;
    const size_t pitch = static_cast<size_t>(lockedDesc_.lPitch);

    // Converted pixels, and the first transparent pixel's value as the key
    // candidate. Keys are chosen among converted values: only they can
    // collide on the surface.
    std::vector<uint32_t> converted(count);
    uint32_t candidate = 0;
    bool haveCandidate = false;
    for (size_t i = 0; i < count; ++i) {
        converted[i] = format.FromArgb(bits[i]);
        if (!haveCandidate && (bits[i] >> 24) < 255) {
            candidate = converted[i];
            haveCandidate = true;
        }
    }

    const bool keyed = hasTrans_;
    uint32_t key = candidate;
    if (keyed) {
        bool collides = false;
        for (size_t i = 0; i < count && !collides; ++i)
            collides = (bits[i] >> 24) == 255 && converted[i] == candidate;
        if (collides) {
            // A value no visible pixel has: 2^16 bits for 16-bit surfaces,
            // 2^24 for 32-bit ones (whose values fit in the low 24 bits).
            const size_t values = format.bitsPerPixel == 16 ? (size_t(1) << 16) : (size_t(1) << 24);
            std::vector<uint32_t> used(values / 32, 0);
            for (size_t i = 0; i < count; ++i) {
                if ((bits[i] >> 24) == 0)
                    continue;
                const uint32_t v = converted[i] & static_cast<uint32_t>(values - 1);
                used[v >> 5] |= 1u << (v & 31);
            }
            FindUnusedValue(used, format.bitsPerPixel == 16, key);
        }
    }

    for (int y = 0; y < height_; ++y) {
        uint8_t* row = base + static_cast<size_t>(y) * pitch;
        const size_t first = static_cast<size_t>(y) * static_cast<size_t>(w);
        for (int x = 0; x < w; ++x) {
            const size_t i = first + static_cast<size_t>(x);
            const uint32_t value = keyed && (bits[i] >> 24) < 255 ? key : converted[i];
            if (format.bitsPerPixel == 16)
                reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(value);
            else
                reinterpret_cast<uint32_t*>(row)[x] = value;
        }
    }
    if (keyed) {
        DDCOLORKEY colorKey{key, key};
        surface_->SetColorKey(DDCKEY_SRCBLT, &colorKey);
    }
}

void DDImage::ReadSurface(uint32_t* out)
{
    const SurfacePixelFormat format(lockedDesc_.ddpfPixelFormat);
    const auto* base = static_cast<const uint8_t*>(lockedDesc_.lpSurface);
    if (!base || !format.IsSupported())
        return;
    // Pixels holding the colour key were transparent when uploaded and come
    // back transparent, so that a keyed image survives a trip through memory.
    uint32_t key = 0;
    const bool keyed = GetColorKey(key);
    const size_t pitch = static_cast<size_t>(lockedDesc_.lPitch);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* row = base + static_cast<size_t>(y) * pitch;
        uint32_t* dst = out + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (int x = 0; x < width_; ++x) {
            const uint32_t v = format.bitsPerPixel == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                         : reinterpret_cast<const uint32_t*>(row)[x];
            const uint32_t argb = format.ToArgb(v);
            dst[x] = keyed && v == key ? (argb & 0x00FFFFFFu) : argb;
        }
    }
}

uint32_t* DDImage::RequireBits()
{
    if (bits_)
        return bits_.get();
    if (!surface_ || palette_)
        return MemoryImage::RequireBits();
    if (videoMemoryScreen_)
        return nullptr;
    bits_ = AllocateBits();
    if (AcquireSurfaceLock()) {
        ReadSurface(bits_.get());
        ReleaseSurfaceLock();
    } else {
        // A lost surface has nothing to give back; opaque black keeps every
        // reader of the bits on valid memory until the display is reset.
        std::fill(bits_.get(), bits_.get() + PixelCount(), 0xFF000000u);
    }
    return bits_.get();
}

void DDImage::DropBits()
{
    if (surfaceAttached_)
        return;
    purged_ = true;
    ScanAlpha();
    if (display_ && display_->IsIn3DMode()) {
        if (surface_) {
            RequireBits();
            ReleaseSurface();
        }
        MemoryImage::DropBits();
        return;
    }
    if (surfaceWanted_ && MakeSurface()) {
        bits_.reset();
        indices_.reset();
        palette_.reset();
        return;
    }
    MemoryImage::DropBits();
}

void DDImage::DropCaches()
{
    if (surfaceAttached_)
        return;
    MemoryImage::DropCaches();
    ReleaseSurface();
}

void DDImage::ReapplyCompaction()
{
    MemoryImage::ReapplyCompaction();
    if (surfaceWanted_)
        MakeSurface();
}

void DDImage::MarkBitsChanged()
{
    MemoryImage::MarkBitsChanged();
    if (!surface_)
        return;
    if (surfaceAttached_) {
        // The display's own surfaces cannot be let go: the new bits go into
        // them instead, and the surface stays the one truth.
        if (bits_ && AcquireSurfaceLock()) {
            UploadBits();
            ReleaseSurfaceLock();
            DiscardMemoryCopies();
        }
        return;
    }
    if (lockCount_ > 0)
        surface_->Unlock(nullptr);
    lockCount_ = 0;
    lockedDesc_.lpSurface = nullptr;
    surface_->Release();
    surface_ = nullptr;
}

void DDImage::ScanAlpha()
{
    if (!surface_)
        MemoryImage::ScanAlpha();
}

void DDImage::DropNativeData()
{
    if (surfaceAttached_)
        return;
    MemoryImage::DropNativeData();
    ReleaseSurface();
}

void DDImage::MakeBlank(int width, int height)
{
    bits_.reset();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    MarkBitsChanged();
}

bool DDImage::ConvertToPalette()
{
    const bool converted = MemoryImage::ConvertToPalette();
    if (converted)
        ReleaseSurface();
    return converted;
}

bool DDImage::BltFromSurface(DDImage* source, int x, int y, const Rect& sourceRect)
{
    if (!source || !source->surface_ || source == this || !RequireSurface())
        return false;
    // Clip to both surfaces: DirectDraw refuses rectangles that leave them.
    int sx = sourceRect.x;
    int sy = sourceRect.y;
    int w = sourceRect.width;
    int h = sourceRect.height;
    if (sx < 0) { x -= sx; w += sx; sx = 0; }
    if (sy < 0) { y -= sy; h += sy; sy = 0; }
    if (x < 0) { sx -= x; w += x; x = 0; }
    if (y < 0) { sy -= y; h += y; y = 0; }
    w = std::min({w, width_ - x, source->width_ - sx});
    h = std::min({h, height_ - y, source->height_ - sy});
    if (w <= 0 || h <= 0)
        return true;

    const bool wasLocked = lockCount_ > 0;
    if (wasLocked)
        surface_->Unlock(nullptr);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    RECT dest{x, y, x + w, y + h};
    RECT src{sx, sy, sx + w, sy + h};
    const DWORD flags = DDBLT_WAIT | (source->HasTransparency() ? DDBLT_KEYSRC : 0);
    const HRESULT result = surface_->Blt(&dest, source->surface_, &src, flags, &fx);
    if (wasLocked && surface_->Lock(nullptr, &lockedDesc_, DDLOCK_WAIT, nullptr) != DD_OK)
        lockedDesc_.lpSurface = nullptr; // nothing may draw through the old pointer
    if (FAILED(result))
        return false;
    DiscardMemoryCopies();
    return true;
}

bool DDImage::StretchBltFromSurface(DDImage* source, const RECT& destEdges, const RECT& sourceEdges)
{
    if (!source || !source->surface_ || source == this || !RequireSurface())
        return true;
    const bool wasLocked = lockCount_ > 0;
    if (wasLocked)
        surface_->Unlock(nullptr);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    RECT dest = destEdges;
    RECT src = sourceEdges;
    const DWORD flags = DDBLT_WAIT | (source->HasTransparency() ? DDBLT_KEYSRC : 0);
    surface_->Blt(&dest, source->surface_, &src, flags, &fx);
    if (wasLocked && surface_->Lock(nullptr, &lockedDesc_, DDLOCK_WAIT, nullptr) != DD_OK) {
        lockedDesc_.lpSurface = nullptr; // nothing may draw through the old pointer
        return false;
    }
    return true;
}

} // namespace Zolt
