#include "platform/d3d/Direct3DDevice.h"

#include "platform/core/Testing.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DirectDrawPalette.h"

#include <algorithm>
#include <cstring>

namespace platform {

using d3d::Rasteriser;
using d3d::Vertex;

namespace {

constexpr DWORD kMaxVertices = 0xFFFF; // the most one call may pass

HRESULT ArrangedFailure(const char* operation)
{
    int64_t code = 0;
    return testing::ShouldFail(operation, &code) ? static_cast<HRESULT>(code) : D3D_OK;
}

// The offered formats, in the order they are enumerated.
constexpr d3d::TextureFormatBit kFormatOrder[] = {d3d::kTextureA8R8G8B8, d3d::kTextureA4R4G4B4, d3d::kTextureR5G6B5,
                                                  d3d::kTextureA1R5G5B5, d3d::kTextureX8R8G8B8, d3d::kTexturePalette8};

bool LayoutMatches(const ddraw::PixelLayout& layout, const DDPIXELFORMAT& pf)
{
    if (pf.dwFlags & DDPF_PALETTEINDEXED8) return layout.IsPalettised();
    if (layout.IsPalettised()) return false;
    DWORD alpha = (pf.dwFlags & DDPF_ALPHAPIXELS) ? pf.dwRGBAlphaBitMask : 0;
    return DWORD(layout.bitsPerPixel) == pf.dwRGBBitCount && layout.red == pf.dwRBitMask &&
           layout.green == pf.dwGBitMask && layout.blue == pf.dwBBitMask && layout.alpha == alpha;
}

d3d::RenderTarget TargetOf(DirectDrawSurface& s)
{
    d3d::RenderTarget t;
    t.pixels = s.Pixels();
    t.pitch = s.Pitch();
    t.width = s.Width();
    t.height = s.Height();
    t.layout = s.Layout();
    return t;
}

} // namespace

Direct3DDevice::Direct3DDevice(Direct3D* owner, DirectDrawSurface* target, const d3d::DeviceProfile& profile)
    : owner_(owner), target_(target), profile_(profile)
{
    owner_->AddRef();
    target_->AddRef();
    viewport_ = D3DVIEWPORT7{0, 0, DWORD(target->Width()), DWORD(target->Height()), 0.0f, 1.0f};

    renderStates_[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = TRUE;
    renderStates_[D3DRENDERSTATE_FILLMODE] = 3; // solid
    renderStates_[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates_[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
    renderStates_[D3DRENDERSTATE_LASTPIXEL] = TRUE;
    renderStates_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRENDERSTATE_TEXTUREFACTOR] = 0xFFFFFFFF;
    renderStates_[D3DRENDERSTATE_CLIPPING] = TRUE;
    renderStates_[D3DRENDERSTATE_LIGHTING] = TRUE;
    renderStates_[D3DRENDERSTATE_COLORVERTEX] = TRUE;

    for (DWORD stage = 0; stage < kD3DTextureStages; ++stage) {
        auto& s = stageStates_[stage];
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_ADDRESS] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        s[D3DTSS_MAGFILTER] = D3DTFG_POINT;
        s[D3DTSS_MINFILTER] = D3DTFN_POINT;
        s[D3DTSS_MIPFILTER] = D3DTFP_NONE;
        s[D3DTSS_MAXANISOTROPY] = 1;
    }
}

Direct3DDevice::~Direct3DDevice()
{
    for (DirectDrawSurface*& t : textures_)
        if (t) t->Release();
    target_->Release();
    owner_->Release();
}

HRESULT Direct3DDevice::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(iid == IID_IDirect3DDevice7) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *out = this;
    return D3D_OK;
}

ULONG Direct3DDevice::AddRef() { return ++references_; }

ULONG Direct3DDevice::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Direct3DDevice::GetCaps(D3DDEVICEDESC7* desc)
{
    if (HRESULT hr = ArrangedFailure("GetCaps"); FAILED(hr)) return hr;
    if (!desc) return DDERR_INVALIDPARAMS;
    *desc = profile_.Describe();
    return D3D_OK;
}

HRESULT Direct3DDevice::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context)
{
    if (HRESULT hr = ArrangedFailure("EnumTextureFormats"); FAILED(hr)) return hr;
    if (!callback) return DDERR_INVALIDPARAMS;
    for (d3d::TextureFormatBit format : kFormatOrder) {
        if (!(profile_.textureFormats & format)) continue;
        DDPIXELFORMAT pf = d3d::TextureFormat(format);
        if (callback(&pf, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}

HRESULT Direct3DDevice::GetDirect3D(Direct3D** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    owner_->AddRef();
    *out = owner_;
    return D3D_OK;
}

HRESULT Direct3DDevice::BeginScene()
{
    if (HRESULT hr = ArrangedFailure("BeginScene"); FAILED(hr)) return hr;
    if (inScene_) return D3DERR_SCENE_IN_SCENE;
    if (target_->IsLost() != DD_OK) return DDERR_SURFACELOST;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Direct3DDevice::EndScene()
{
    if (HRESULT hr = ArrangedFailure("EndScene"); FAILED(hr)) return hr;
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    target_->PresentIfVisible();
    return D3D_OK;
}

HRESULT Direct3DDevice::SetRenderTarget(DirectDrawSurface* target, DWORD)
{
    if (HRESULT hr = ArrangedFailure("SetRenderTarget"); FAILED(hr)) return hr;
    if (!target) return DDERR_INVALIDPARAMS;
    if (!(target->Caps() & DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
    if (target->Layout().IsPalettised() || target->Layout().bitsPerPixel < 16) return DDERR_INVALIDPIXELFORMAT;
    if (target->IsLost() != DD_OK) return DDERR_SURFACELOST;
    target->AddRef();
    target_->Release();
    target_ = target;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetRenderTarget(DirectDrawSurface** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    target_->AddRef();
    *out = target_;
    return D3D_OK;
}

HRESULT Direct3DDevice::SetViewport(D3DVIEWPORT7* viewport)
{
    if (HRESULT hr = ArrangedFailure("SetViewport"); FAILED(hr)) return hr;
    if (!viewport || viewport->dwWidth == 0 || viewport->dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (viewport->dwX > 0x7FFF || viewport->dwY > 0x7FFF || viewport->dwWidth > 0x7FFF || viewport->dwHeight > 0x7FFF)
        return DDERR_INVALIDPARAMS;
    if (!(viewport->dvMinZ >= 0.0f && viewport->dvMaxZ <= 1.0f && viewport->dvMinZ <= viewport->dvMaxZ))
        return DDERR_INVALIDPARAMS;
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetViewport(D3DVIEWPORT7* viewport)
{
    if (!viewport) return DDERR_INVALIDPARAMS;
    *viewport = viewport_;
    return D3D_OK;
}

RECT Direct3DDevice::ClipRect() const
{
    RECT r;
    r.left = LONG(std::min<DWORD>(viewport_.dwX, DWORD(target_->Width())));
    r.top = LONG(std::min<DWORD>(viewport_.dwY, DWORD(target_->Height())));
    r.right = LONG(std::min<DWORD>(viewport_.dwX + viewport_.dwWidth, DWORD(target_->Width())));
    r.bottom = LONG(std::min<DWORD>(viewport_.dwY + viewport_.dwHeight, DWORD(target_->Height())));
    return r;
}

HRESULT Direct3DDevice::Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE, DWORD)
{
    if (HRESULT hr = ArrangedFailure("Clear"); FAILED(hr)) return hr;
    if (count > 0 && !rects) return DDERR_INVALIDPARAMS;
    if (flags & D3DCLEAR_ZBUFFER) return D3DERR_ZBUFFER_NOTPRESENT;
    if (flags & D3DCLEAR_STENCIL) return D3DERR_STENCILBUFFER_NOTPRESENT;
    if (!(flags & D3DCLEAR_TARGET)) return DDERR_INVALIDPARAMS;
    if (target_->IsLost() != DD_OK) return DDERR_SURFACELOST;
    if (target_->IsLockedOrBusy()) return DDERR_SURFACEBUSY;
    const RECT clip = ClipRect();
    const d3d::RenderTarget target = TargetOf(*target_);
    if (count == 0) {
        Rasteriser::Fill(target, clip, color);
    } else {
        for (DWORD i = 0; i < count; ++i) {
            RECT r{std::max(rects[i].x1, clip.left), std::max(rects[i].y1, clip.top), std::min(rects[i].x2, clip.right),
                   std::min(rects[i].y2, clip.bottom)};
            Rasteriser::Fill(target, r, color);
        }
    }
    target_->PresentIfVisible();
    return D3D_OK;
}

HRESULT Direct3DDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (HRESULT hr = ArrangedFailure("SetRenderState"); FAILED(hr)) return hr;
    if (state == 0 || state >= kD3DRenderStateCount) return DDERR_INVALIDPARAMS;
    renderStates_[state] = value;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || state == 0 || state >= kD3DRenderStateCount) return DDERR_INVALIDPARAMS;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT Direct3DDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value)
{
    if (HRESULT hr = ArrangedFailure("SetTextureStageState"); FAILED(hr)) return hr;
    if (stage >= kD3DTextureStages || state == 0 || state >= kD3DTextureStageStateCount) return DDERR_INVALIDPARAMS;
    stageStates_[stage][state] = value;
    if (state == D3DTSS_ADDRESS) stageStates_[stage][D3DTSS_ADDRESSU] = stageStates_[stage][D3DTSS_ADDRESSV] = value;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD* value)
{
    if (!value || stage >= kD3DTextureStages || state == 0 || state >= kD3DTextureStageStateCount)
        return DDERR_INVALIDPARAMS;
    *value = stageStates_[stage][state];
    return D3D_OK;
}

HRESULT Direct3DDevice::SetTexture(DWORD stage, DirectDrawSurface* texture)
{
    if (HRESULT hr = ArrangedFailure("SetTexture"); FAILED(hr)) return hr;
    if (stage >= kD3DTextureStages) return DDERR_INVALIDPARAMS;
    if (texture) {
        if (!(texture->Caps() & DDSCAPS_TEXTURE)) return DDERR_INVALIDPARAMS;
        bool offered = false;
        for (d3d::TextureFormatBit format : kFormatOrder)
            if ((profile_.textureFormats & format) && LayoutMatches(texture->Layout(), d3d::TextureFormat(format)))
                offered = true;
        if (!offered) return D3DERR_WRONGTEXTUREFORMAT;
        if (HRESULT hr = profile_.CheckTextureSize(texture->Width(), texture->Height()); FAILED(hr)) return hr;
        texture->AddRef();
    }
    if (textures_[stage]) textures_[stage]->Release();
    textures_[stage] = texture;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetTexture(DWORD stage, DirectDrawSurface** out)
{
    if (!out || stage >= kD3DTextureStages) return DDERR_INVALIDPARAMS;
    *out = textures_[stage];
    if (*out) (*out)->AddRef();
    return D3D_OK;
}

d3d::PipelineState Direct3DDevice::Pipeline() const
{
    const auto& rs = renderStates_;
    const auto& ts = stageStates_[0];
    d3d::PipelineState p;
    p.blend = rs[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE && profile_.alphaBlending;
    // A factor the card lacks comes out as the plain one, as on such a card.
    p.srcBlend =
        (profile_.srcBlendCaps & BlendCapOf(rs[D3DRENDERSTATE_SRCBLEND])) ? rs[D3DRENDERSTATE_SRCBLEND] : D3DBLEND_ONE;
    p.destBlend = (profile_.destBlendCaps & BlendCapOf(rs[D3DRENDERSTATE_DESTBLEND])) ? rs[D3DRENDERSTATE_DESTBLEND]
                                                                                      : D3DBLEND_ZERO;
    p.colorOp = ts[D3DTSS_COLOROP];
    p.colorArg1 = ts[D3DTSS_COLORARG1];
    p.colorArg2 = ts[D3DTSS_COLORARG2];
    p.alphaOp = ts[D3DTSS_ALPHAOP];
    p.alphaArg1 = ts[D3DTSS_ALPHAARG1];
    p.alphaArg2 = ts[D3DTSS_ALPHAARG2];
    p.textureFactor = rs[D3DRENDERSTATE_TEXTUREFACTOR];
    p.magLinear = ts[D3DTSS_MAGFILTER] == D3DTFG_LINEAR;
    p.minLinear = ts[D3DTSS_MINFILTER] == D3DTFN_LINEAR;
    p.addressU = ts[D3DTSS_ADDRESSU];
    p.addressV = ts[D3DTSS_ADDRESSV];
    p.specular = rs[D3DRENDERSTATE_SPECULARENABLE] != FALSE;
    p.gouraud = rs[D3DRENDERSTATE_SHADEMODE] != D3DSHADE_FLAT;
    p.perspective = rs[D3DRENDERSTATE_TEXTUREPERSPECTIVE] != FALSE;
    p.cull = rs[D3DRENDERSTATE_CULLMODE];
    p.clip = ClipRect();
    return p;
}

HRESULT Direct3DDevice::DecodeVertices(DWORD fvf, const void* vertices, DWORD count)
{
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW) return D3DERR_INVALIDVERTEXTYPE;
    if (fvf & (D3DFVF_NORMAL | D3DFVF_RESERVED1)) return D3DERR_INVALIDVERTEXFORMAT;
    if (fvf & ~DWORD(D3DFVF_POSITION_MASK | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK))
        return D3DERR_INVALIDVERTEXFORMAT;
    const DWORD texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texSets > 8) return D3DERR_INVALIDVERTEXFORMAT;
    const bool diffuse = fvf & D3DFVF_DIFFUSE, specular = fvf & D3DFVF_SPECULAR;
    const size_t stride = 16 + (diffuse ? 4 : 0) + (specular ? 4 : 0) + 8 * texSets;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    vertices_.resize(count);
    for (DWORD i = 0; i < count; ++i) {
        const uint8_t* p = bytes + size_t(i) * stride;
        Vertex& v = vertices_[i];
        std::memcpy(&v.x, p, 4);
        std::memcpy(&v.y, p + 4, 4);
        std::memcpy(&v.z, p + 8, 4);
        std::memcpy(&v.rhw, p + 12, 4);
        p += 16;
        v.diffuse = 0xFFFFFFFF;
        v.specular = 0;
        v.u = v.v = 0;
        if (diffuse) {
            std::memcpy(&v.diffuse, p, 4);
            p += 4;
        }
        if (specular) {
            std::memcpy(&v.specular, p, 4);
            p += 4;
        }
        if (texSets > 0) {
            std::memcpy(&v.u, p, 4);
            std::memcpy(&v.v, p + 4, 4);
        }
    }
    return D3D_OK;
}

HRESULT Direct3DDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, void* vertices, DWORD count, DWORD)
{
    if (HRESULT hr = ArrangedFailure("DrawPrimitive"); FAILED(hr)) return hr;
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (type < D3DPT_LINELIST || type > D3DPT_TRIANGLEFAN) return D3DERR_INVALIDPRIMITIVETYPE;
    if (count > kMaxVertices) return DDERR_INVALIDPARAMS;
    if (count > 0 && !vertices) return DDERR_INVALIDPARAMS;
    if (target_->IsLost() != DD_OK) return DDERR_SURFACELOST;
    if (target_->IsLockedOrBusy()) return DDERR_SURFACEBUSY;
    if (HRESULT hr = DecodeVertices(fvf, vertices, count); FAILED(hr)) return hr;

    d3d::TextureImage image;
    const d3d::TextureImage* texture = nullptr;
    if (DirectDrawSurface* t = textures_[0]) {
        image.pixels = t->Pixels();
        image.pitch = t->Pitch();
        image.width = t->Width();
        image.height = t->Height();
        image.layout = t->Layout();
        if (image.layout.IsPalettised()) {
            if (!t->Palette()) return D3DERR_INVALIDPALETTE;
            image.palette = &t->Palette()->Argb();
        }
        texture = &image;
    }
    Rasteriser raster(TargetOf(*target_), texture, Pipeline());
    const std::vector<Vertex>& v = vertices_;
    switch (type) {
    case D3DPT_TRIANGLELIST:
        for (DWORD i = 0; i + 2 < count; i += 3) raster.Triangle(v[i], v[i + 1], v[i + 2]);
        break;
    case D3DPT_TRIANGLESTRIP:
        // Every other triangle of a strip is turned round to keep the winding.
        for (DWORD i = 0; i + 2 < count; ++i) {
            if (i % 2 == 0)
                raster.Triangle(v[i], v[i + 1], v[i + 2]);
            else
                raster.Triangle(v[i], v[i + 2], v[i + 1]);
        }
        break;
    case D3DPT_TRIANGLEFAN:
        for (DWORD i = 1; i + 1 < count; ++i) raster.Triangle(v[0], v[i], v[i + 1]);
        break;
    case D3DPT_LINELIST:
        for (DWORD i = 0; i + 1 < count; i += 2) raster.Line(v[i], v[i + 1]);
        break;
    case D3DPT_LINESTRIP:
        for (DWORD i = 0; i + 1 < count; ++i) raster.Line(v[i], v[i + 1]);
        break;
    default: break;
    }
    return D3D_OK;
}

} // namespace platform
