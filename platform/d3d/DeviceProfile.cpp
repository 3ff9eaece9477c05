#include "platform/d3d/DeviceProfile.h"

#include <cstring>
#include <mutex>

namespace platform::d3d {

namespace {
std::mutex gProfileMutex;
DeviceProfile& Current()
{
    static DeviceProfile profile;
    return profile;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }
} // namespace

D3DDEVICEDESC7 DeviceProfile::Describe() const
{
    D3DDEVICEDESC7 d;
    std::memset(&d, 0, sizeof d);
    d.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                  D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                  D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWRASTERIZATION;
    D3DPRIMCAPS p;
    std::memset(&p, 0, sizeof p);
    p.dwSize = sizeof p;
    p.dwMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    p.dwRasterCaps = D3DPRASTERCAPS_SUBPIXEL;
    p.dwSrcBlendCaps = alphaBlending ? srcBlendCaps : 0;
    p.dwDestBlendCaps = alphaBlending ? destBlendCaps : 0;
    p.dwShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                    (alphaBlending ? D3DPSHADECAPS_ALPHAGOURAUDBLEND : 0);
    p.dwTextureCaps = textureCaps;
    p.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR | D3DPTFILTERCAPS_MINFPOINT |
                            D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MAGFPOINT |
                            D3DPTFILTERCAPS_MAGFLINEAR;
    p.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_INDEPENDENTUV;
    d.dpcLineCaps = p;
    d.dpcTriCaps = p;
    d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
    d.dwMinTextureWidth = minTextureWidth;
    d.dwMinTextureHeight = minTextureHeight;
    d.dwMaxTextureWidth = maxTextureWidth;
    d.dwMaxTextureHeight = maxTextureHeight;
    d.dwMaxTextureRepeat = 8192;
    d.dwMaxTextureAspectRatio = maxTextureAspect;
    d.dwMaxAnisotropy = 1;
    d.dvGuardBandLeft = -8192.0f;
    d.dvGuardBandTop = -8192.0f;
    d.dvGuardBandRight = 8192.0f;
    d.dvGuardBandBottom = 8192.0f;
    d.dwFVFCaps = 1;
    d.dwTextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                        D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD;
    d.wMaxTextureBlendStages = 1;
    d.wMaxSimultaneousTextures = 1;
    d.dvMaxVertexW = 1.0e10f;
    d.deviceGUID = IID_IDirect3DHALDevice;
    return d;
}

HRESULT DeviceProfile::CheckTextureSize(int width, int height) const
{
    const int minW = int(minTextureWidth), minH = int(minTextureHeight);
    if (maxTextureWidth && width > int(maxTextureWidth)) return D3DERR_TEXTURE_BADSIZE;
    if (maxTextureHeight && height > int(maxTextureHeight)) return D3DERR_TEXTURE_BADSIZE;
    if (width < minW || height < minH) return D3DERR_TEXTURE_BADSIZE;
    if ((textureCaps & D3DPTEXTURECAPS_POW2) && (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)))
        return D3DERR_TEXTURE_BADSIZE;
    if ((textureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) return D3DERR_TEXTURE_BADSIZE;
    if (maxTextureAspect) {
        const int64_t longer = width > height ? width : height, shorter = width > height ? height : width;
        if (longer > int64_t(maxTextureAspect) * shorter) return D3DERR_TEXTURE_BADSIZE;
    }
    return D3D_OK;
}

DDPIXELFORMAT TextureFormat(TextureFormatBit format)
{
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    auto rgb = [&](DWORD bits, DWORD a, DWORD r, DWORD g, DWORD b) {
        pf.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
        pf.dwRGBBitCount = bits;
        pf.dwRGBAlphaBitMask = a;
        pf.dwRBitMask = r;
        pf.dwGBitMask = g;
        pf.dwBBitMask = b;
    };
    switch (format) {
    case kTextureA8R8G8B8: rgb(32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF); break;
    case kTextureA4R4G4B4: rgb(16, 0xF000, 0x0F00, 0x00F0, 0x000F); break;
    case kTextureR5G6B5: rgb(16, 0, 0xF800, 0x07E0, 0x001F); break;
    case kTextureA1R5G5B5: rgb(16, 0x8000, 0x7C00, 0x03E0, 0x001F); break;
    case kTextureX8R8G8B8: rgb(32, 0, 0xFF0000, 0xFF00, 0xFF); break;
    case kTexturePalette8:
        pf.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
        pf.dwRGBBitCount = 8;
        break;
    }
    return pf;
}

DeviceProfile CurrentProfile()
{
    std::lock_guard lock(gProfileMutex);
    return Current();
}

void SetCurrentProfile(const DeviceProfile& profile)
{
    std::lock_guard lock(gProfileMutex);
    Current() = profile;
}

} // namespace platform::d3d
