#include "platform/d3d/D3DTesting.h"

#include "platform/d3d/DeviceProfile.h"
#include "platform/d3d/Direct3D.h"

namespace platform::d3d::testing {

namespace {
template <class Change> void Update(Change change)
{
    DeviceProfile profile = CurrentProfile();
    change(profile);
    SetCurrentProfile(profile);
}
} // namespace

void ResetDevice()
{
    EnsureDirect3DRegistered();
    SetCurrentProfile(DeviceProfile{});
}

void SetTextureFormats(DWORD formats)
{
    Update([&](DeviceProfile& p) { p.textureFormats = formats; });
}

void SetTextureLimits(DWORD minWidth, DWORD minHeight, DWORD maxWidth, DWORD maxHeight, DWORD maxAspect)
{
    Update([&](DeviceProfile& p) {
        p.minTextureWidth = minWidth;
        p.minTextureHeight = minHeight;
        p.maxTextureWidth = maxWidth;
        p.maxTextureHeight = maxHeight;
        p.maxTextureAspect = maxAspect;
    });
}

void SetTextureCaps(DWORD textureCaps)
{
    Update([&](DeviceProfile& p) { p.textureCaps = textureCaps; });
}

void SetBlendCaps(DWORD sourceCaps, DWORD destCaps)
{
    Update([&](DeviceProfile& p) {
        p.srcBlendCaps = sourceCaps;
        p.destBlendCaps = destCaps;
    });
}

void SetAlphaBlending(bool supported)
{
    Update([&](DeviceProfile& p) { p.alphaBlending = supported; });
}

} // namespace platform::d3d::testing
