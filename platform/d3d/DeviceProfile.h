// The graphics card our Direct3D device pretends to be: which texture
// formats it offers, its texture size limits and texture caps, and which
// blend factors it really carries out. A stock profile describes a capable
// card; tests narrow it (platform/d3d/D3DTesting.h) to provoke the program's
// fallbacks. A device takes a copy when it is created, as a real device's
// caps are fixed for its lifetime.
//
// Threads: the current profile is guarded by a mutex of its own; copies are
// plain values.
#pragma once

#include "platform/d3d/D3DTypes.h"

namespace platform::d3d {

// The texture formats a profile may offer, one bit each.
enum TextureFormatBit : DWORD {
    kTextureA8R8G8B8 = 0x01,
    kTextureA4R4G4B4 = 0x02,
    kTextureR5G6B5 = 0x04,
    kTexturePalette8 = 0x08,
    kTextureA1R5G5B5 = 0x10,
    kTextureX8R8G8B8 = 0x20,
};
constexpr DWORD kAllTextureFormats = 0x3F;

struct DeviceProfile {
    DWORD textureFormats = kAllTextureFormats;
    DWORD minTextureWidth = 1;
    DWORD minTextureHeight = 1;
    DWORD maxTextureWidth = 2048;
    DWORD maxTextureHeight = 2048;
    DWORD maxTextureAspect = 2048; // 0: no limit
    DWORD textureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_ALPHAPALETTE;
    DWORD srcBlendCaps = kD3DAllBlendCaps;
    DWORD destBlendCaps = kD3DAllBlendCaps;
    bool alphaBlending = true; // false: ALPHABLENDENABLE has no effect

    // The description GetCaps and EnumDevices report for this card.
    D3DDEVICEDESC7 Describe() const;
    // False (and why, as a result code) when a texture of this size cannot
    // be used on this card.
    HRESULT CheckTextureSize(int width, int height) const;
};

// The pixel format of one offered texture format.
DDPIXELFORMAT TextureFormat(TextureFormatBit format);

// A copy of the profile new devices get.
DeviceProfile CurrentProfile();
void SetCurrentProfile(const DeviceProfile& profile);

} // namespace platform::d3d
