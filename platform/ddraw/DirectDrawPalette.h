// A 256-entry palette for 8-bit surfaces (palettised textures, an 8-bit
// primary). With DDPCAPS_ALPHA the entries' flags byte is their alpha.
//
// Threads: whoever holds the display's lock; the reference count is atomic.
#pragma once

#include "platform/ddraw/DDrawTypes.h"

#include <array>
#include <atomic>

namespace platform {

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

constexpr DWORD DDPCAPS_4BIT = 0x00000001;
constexpr DWORD DDPCAPS_8BITENTRIES = 0x00000002;
constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_PRIMARYSURFACE = 0x00000010;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;
constexpr DWORD DDPCAPS_1BIT = 0x00000100;
constexpr DWORD DDPCAPS_2BIT = 0x00000200;
constexpr DWORD DDPCAPS_ALPHA = 0x00000400;

constexpr GUID IID_IDirectDrawPalette = {0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

class DirectDrawPalette final : public IUnknown {
public:
    // A new palette with one reference, filled from 256 entries.
    static DirectDrawPalette* Create(DWORD caps, const PALETTEENTRY* entries);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetCaps(DWORD* caps);
    HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries);
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries);

    // Entry i as 0xAARRGGBB (alpha from the flags byte with DDPCAPS_ALPHA, else 255).
    const std::array<uint32_t, 256>& Argb() const { return argb_; }

private:
    DirectDrawPalette(DWORD caps, const PALETTEENTRY* entries);
    ~DirectDrawPalette() override = default;
    void Recolour(DWORD start, DWORD count);

    std::atomic<ULONG> references_{1};
    DWORD caps_;
    std::array<PALETTEENTRY, 256> entries_;
    std::array<uint32_t, 256> argb_{};
};

using IDirectDrawPalette = DirectDrawPalette;
using LPDIRECTDRAWPALETTE = DirectDrawPalette*;

} // namespace platform
