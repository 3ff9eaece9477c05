#include "platform/d3d/Rasteriser.h"

#include "platform/d3d/PixelArithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform::d3d {

using ddraw::LoadPixel;
using ddraw::PixelLayout;
using ddraw::StorePixel;
using namespace detail;

Rasteriser::TexelKind Rasteriser::KindOf(const PixelLayout& l)
{
    if (l.IsPalettised()) return TexelKind::Palette8;
    if (l.bitsPerPixel == 32 && l.red == 0xFF0000 && l.green == 0xFF00 && l.blue == 0xFF)
        return l.alpha == 0xFF000000u ? TexelKind::Argb32 : (l.alpha == 0 ? TexelKind::Xrgb32 : TexelKind::Generic);
    if (l.bitsPerPixel == 16 && l.red == 0x0F00 && l.green == 0xF0 && l.blue == 0x0F && l.alpha == 0xF000)
        return TexelKind::Argb4444;
    if (l.bitsPerPixel == 16 && l.red == 0xF800 && l.green == 0x7E0 && l.blue == 0x1F && l.alpha == 0)
        return TexelKind::Rgb565;
    if (l.bitsPerPixel == 16 && l.red == 0x7C00 && l.green == 0x3E0 && l.blue == 0x1F && l.alpha == 0x8000)
        return TexelKind::Argb1555;
    return TexelKind::Generic;
}

namespace {

struct Expansions {
    uint8_t five[32];
    uint8_t six[64];
    Expansions()
    {
        for (uint32_t i = 0; i < 32; ++i) five[i] = uint8_t((i * 255 + 15) / 31);
        for (uint32_t i = 0; i < 64; ++i) six[i] = uint8_t((i * 255 + 31) / 63);
    }
};
const Expansions& Expand()
{
    static const Expansions table;
    return table;
}

inline uint32_t From565(uint32_t p)
{
    const Expansions& e = Expand();
    return 0xFF000000u | uint32_t(e.five[p >> 11 & 31]) << 16 | uint32_t(e.six[p >> 5 & 63]) << 8 | e.five[p & 31];
}
inline uint32_t To565(uint32_t argb) { return (argb >> 8 & 0xF800) | (argb >> 5 & 0x07E0) | (argb >> 3 & 0x1F); }
inline uint32_t From555(uint32_t p)
{
    const Expansions& e = Expand();
    return 0xFF000000u | uint32_t(e.five[p >> 10 & 31]) << 16 | uint32_t(e.five[p >> 5 & 31]) << 8 | e.five[p & 31];
}
inline uint32_t To555(uint32_t argb) { return (argb >> 9 & 0x7C00) | (argb >> 6 & 0x03E0) | (argb >> 3 & 0x1F); }
inline uint32_t SwapRedBlue(uint32_t argb) { return (argb & 0xFF00FF00u) | (argb >> 16 & 0xFF) | (argb & 0xFF) << 16; }

inline uint32_t Lerp8(uint32_t a, uint32_t b, uint32_t w) { return (a * (256 - w) + b * w) >> 8; }

uint32_t Bilinear(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t fx, uint32_t fy)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t top = Lerp8(Channel(c00, shift), Channel(c10, shift), fx);
        uint32_t bottom = Lerp8(Channel(c01, shift), Channel(c11, shift), fx);
        out |= Lerp8(top, bottom, fy) << shift;
    }
    return out;
}

} // namespace

Rasteriser::Rasteriser(const RenderTarget& target, const TextureImage* texture, const PipelineState& state)
    : target_(target),
      texture_(texture && texture->pixels && texture->width > 0 && texture->height > 0 ? texture : nullptr),
      state_(state)
{
    if (texture_) texelKind_ = KindOf(texture_->layout);
    const PixelLayout& l = target_.layout;
    if (l.bitsPerPixel == 32 && l.red == 0xFF0000 && l.green == 0xFF00 && l.blue == 0xFF &&
        (l.alpha == 0 || l.alpha == 0xFF000000u))
        targetKind_ = TargetKind::Xrgb32;
    else if (l.bitsPerPixel == 32 && l.red == 0xFF && l.green == 0xFF00 && l.blue == 0xFF0000 && l.alpha == 0)
        targetKind_ = TargetKind::Xbgr32;
    else if (l.bitsPerPixel == 24 && l.red == 0xFF0000 && l.green == 0xFF00 && l.blue == 0xFF && l.alpha == 0)
        targetKind_ = TargetKind::Rgb24;
    else if (l.bitsPerPixel == 16 && l.red == 0xF800 && l.green == 0x7E0 && l.blue == 0x1F && l.alpha == 0)
        targetKind_ = TargetKind::Rgb565;
    else if (l.bitsPerPixel == 16 && l.red == 0x7C00 && l.green == 0x3E0 && l.blue == 0x1F && l.alpha == 0)
        targetKind_ = TargetKind::Rgb555;
    else
        targetKind_ = TargetKind::Generic;

    if (!state_.blend)
        blendKind_ = BlendKind::Replace;
    else if (state_.srcBlend == D3DBLEND_SRCALPHA && state_.destBlend == D3DBLEND_INVSRCALPHA)
        blendKind_ = BlendKind::AlphaOver;
    else if (state_.srcBlend == D3DBLEND_ONE && state_.destBlend == D3DBLEND_ONE)
        blendKind_ = BlendKind::Add;
    else if (state_.srcBlend == D3DBLEND_SRCALPHA && state_.destBlend == D3DBLEND_ONE)
        blendKind_ = BlendKind::AlphaAdd;
    else if (state_.srcBlend == D3DBLEND_ONE && state_.destBlend == D3DBLEND_ZERO)
        blendKind_ = BlendKind::Replace;
    else
        blendKind_ = BlendKind::General;

    auto isDiffuse = [](DWORD arg) { return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT; };
    const bool colourModulates =
        state_.colorOp == D3DTOP_MODULATE && ((state_.colorArg1 == D3DTA_TEXTURE && isDiffuse(state_.colorArg2)) ||
                                              (state_.colorArg2 == D3DTA_TEXTURE && isDiffuse(state_.colorArg1)));
    const bool alphaFromTexture = state_.alphaOp == D3DTOP_SELECTARG1 && state_.alphaArg1 == D3DTA_TEXTURE;
    alphaModulate_ =
        state_.alphaOp == D3DTOP_MODULATE && ((state_.alphaArg1 == D3DTA_TEXTURE && isDiffuse(state_.alphaArg2)) ||
                                              (state_.alphaArg2 == D3DTA_TEXTURE && isDiffuse(state_.alphaArg1)));
    simpleShade_ = colourModulates && (alphaFromTexture || alphaModulate_) && !state_.specular;
}

// ------------------------------------------------------------- shading --

uint32_t Rasteriser::Texel(int x, int y) const
{
    const TextureImage& t = *texture_;
    const uint8_t* row = t.pixels + size_t(y) * size_t(t.pitch);
    switch (texelKind_) {
    case TexelKind::Argb32: {
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v;
    }
    case TexelKind::Xrgb32: {
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v | 0xFF000000u;
    }
    case TexelKind::Argb4444: {
        uint32_t v = LoadPixel(row + size_t(x) * 2, 2);
        return ((v >> 12 & 15) * 17) << 24 | ((v >> 8 & 15) * 17) << 16 | ((v >> 4 & 15) * 17) << 8 | (v & 15) * 17;
    }
    case TexelKind::Rgb565: return From565(LoadPixel(row + size_t(x) * 2, 2));
    case TexelKind::Argb1555: {
        uint32_t v = LoadPixel(row + size_t(x) * 2, 2);
        const Expansions& e = Expand();
        return ((v & 0x8000) ? 0xFF000000u : 0u) | uint32_t(e.five[v >> 10 & 31]) << 16 |
               uint32_t(e.five[v >> 5 & 31]) << 8 | e.five[v & 31];
    }
    case TexelKind::Palette8: return t.palette ? (*t.palette)[row[x]] : t.layout.ToArgb(row[x]);
    case TexelKind::Generic: break;
    }
    int bytes = t.layout.BytesPerPixel();
    return t.layout.ToArgb(LoadPixel(row + size_t(x) * size_t(bytes), bytes));
}

uint32_t Rasteriser::Sample(int64_t s, int64_t t, bool linear) const
{
    const int w = texture_->width, h = texture_->height;
    if (!linear) {
        int x = Address(int(std::clamp<int64_t>(s >> 32, INT32_MIN / 2, INT32_MAX / 2)), w, state_.addressU);
        int y = Address(int(std::clamp<int64_t>(t >> 32, INT32_MIN / 2, INT32_MAX / 2)), h, state_.addressV);
        return Texel(x, y);
    }
    s -= int64_t(1) << 31; // texel centres lie at half coordinates
    t -= int64_t(1) << 31;
    int x0 = int(std::clamp<int64_t>(s >> 32, INT32_MIN / 2, INT32_MAX / 2));
    int y0 = int(std::clamp<int64_t>(t >> 32, INT32_MIN / 2, INT32_MAX / 2));
    uint32_t fx = uint32_t(s >> 24) & 0xFF, fy = uint32_t(t >> 24) & 0xFF;
    int xa = Address(x0, w, state_.addressU), xb = Address(x0 + 1, w, state_.addressU);
    int ya = Address(y0, h, state_.addressV), yb = Address(y0 + 1, h, state_.addressV);
    return Bilinear(Texel(xa, ya), Texel(xb, ya), Texel(xa, yb), Texel(xb, yb), fx, fy);
}

namespace {
uint32_t Argument(DWORD arg, uint32_t diffuse, uint32_t specular, uint32_t texel, uint32_t factor)
{
    uint32_t v;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: v = texel; break;
    case D3DTA_TFACTOR: v = factor; break;
    case D3DTA_SPECULAR: v = specular; break;
    default: v = diffuse; break; // diffuse, and current at the first stage
    }
    if (arg & D3DTA_COMPLEMENT) v = ~v;
    if (arg & D3DTA_ALPHAREPLICATE) v = (v >> 24) * 0x01010101u;
    return v;
}

uint32_t Operate(DWORD op, uint32_t a1, uint32_t a2, int shift)
{
    uint32_t x = Channel(a1, shift), y = Channel(a2, shift);
    switch (op) {
    case D3DTOP_SELECTARG1: return x;
    case D3DTOP_SELECTARG2: return y;
    case D3DTOP_MODULATE2X: return std::min(255u, Mul255(x, y) * 2);
    case D3DTOP_MODULATE4X: return std::min(255u, Mul255(x, y) * 4);
    case D3DTOP_ADD: return std::min(255u, x + y);
    case D3DTOP_DISABLE: return y;
    default: return Mul255(x, y);
    }
}
} // namespace

uint32_t Rasteriser::Shade(uint32_t diffuse, uint32_t specular, uint32_t texel) const
{
    if (simpleShade_) {
        uint32_t a = alphaModulate_ ? Mul255(texel >> 24, diffuse >> 24) : texel >> 24;
        return Pack(a, Mul255(Channel(texel, 16), Channel(diffuse, 16)), Mul255(Channel(texel, 8), Channel(diffuse, 8)),
                    Mul255(texel & 0xFF, diffuse & 0xFF));
    }
    uint32_t out = diffuse;
    if (state_.colorOp != D3DTOP_DISABLE) {
        uint32_t a1 = Argument(state_.colorArg1, diffuse, specular, texel, state_.textureFactor);
        uint32_t a2 = Argument(state_.colorArg2, diffuse, specular, texel, state_.textureFactor);
        out = (out & 0xFF000000u) | Operate(state_.colorOp, a1, a2, 16) << 16 |
              Operate(state_.colorOp, a1, a2, 8) << 8 | Operate(state_.colorOp, a1, a2, 0);
        // With the colour operation disabled the alpha operation is too.
        uint32_t b1 = Argument(state_.alphaArg1, diffuse, specular, texel, state_.textureFactor);
        uint32_t b2 = Argument(state_.alphaArg2, diffuse, specular, texel, state_.textureFactor);
        DWORD alphaOp = state_.alphaOp == D3DTOP_DISABLE ? D3DTOP_SELECTARG2 : state_.alphaOp;
        out = (out & 0x00FFFFFFu) | Operate(alphaOp, b1, b2, 24) << 24;
    }
    if (state_.specular) {
        out = (out & 0xFF000000u) | std::min(255u, Channel(out, 16) + Channel(specular, 16)) << 16 |
              std::min(255u, Channel(out, 8) + Channel(specular, 8)) << 8 |
              std::min(255u, (out & 0xFF) + (specular & 0xFF));
    }
    return out;
}

namespace {
uint32_t Factor(DWORD blend, int shift, uint32_t src, uint32_t dst)
{
    uint32_t sa = src >> 24, da = dst >> 24;
    switch (blend) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return Channel(src, shift);
    case D3DBLEND_INVSRCCOLOR: return 255 - Channel(src, shift);
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_BOTHSRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_BOTHINVSRCALPHA: return 255 - sa;
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return 255 - da;
    case D3DBLEND_DESTCOLOR: return Channel(dst, shift);
    case D3DBLEND_INVDESTCOLOR: return 255 - Channel(dst, shift);
    case D3DBLEND_SRCALPHASAT: return shift == 24 ? 255 : std::min(sa, 255 - da);
    default: return 255;
    }
}
} // namespace

uint32_t Rasteriser::BlendGeneral(uint32_t src, uint32_t dst) const
{
    DWORD srcBlend = state_.srcBlend, destBlend = state_.destBlend;
    // The two "both" factors set the destination factor themselves.
    if (srcBlend == D3DBLEND_BOTHSRCALPHA) destBlend = D3DBLEND_INVSRCALPHA;
    if (srcBlend == D3DBLEND_BOTHINVSRCALPHA) {
        srcBlend = D3DBLEND_INVSRCALPHA;
        destBlend = D3DBLEND_SRCALPHA;
    }
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t v = Channel(src, shift) * Factor(srcBlend, shift, src, dst) +
                     Channel(dst, shift) * Factor(destBlend, shift, src, dst);
        out |= std::min(255u, Div255(v)) << shift;
    }
    return out;
}

// ---------------------------------------------------------------- spans --

template <Rasteriser::TargetKind kTarget>
inline uint32_t Rasteriser::LoadQuick(const uint8_t* out, bool keepAlpha)
{
    if constexpr (kTarget == TargetKind::Xrgb32) {
        uint32_t v;
        std::memcpy(&v, out, 4);
        return keepAlpha ? v : v | 0xFF000000u;
    } else if constexpr (kTarget == TargetKind::Xbgr32) {
        uint32_t v;
        std::memcpy(&v, out, 4);
        return SwapRedBlue(v) | 0xFF000000u;
    } else if constexpr (kTarget == TargetKind::Rgb24) {
        return LoadPixel(out, 3) | 0xFF000000u;
    } else if constexpr (kTarget == TargetKind::Rgb565) {
        return From565(LoadPixel(out, 2));
    } else {
        return From555(LoadPixel(out, 2));
    }
}

template <Rasteriser::TargetKind kTarget, Rasteriser::BlendKind kBlend>
inline void Rasteriser::PutQuick(uint8_t* out, uint32_t src, bool keepAlpha)
{
    const uint32_t a = src >> 24;
    uint32_t result;
    if constexpr (kBlend == BlendKind::Replace) {
        result = src;
    } else if constexpr (kBlend == BlendKind::AlphaOver) {
        if (a == 0) return;
        result = a == 255 ? src : MixAll(src, LoadQuick<kTarget>(out, keepAlpha), a);
    } else if constexpr (kBlend == BlendKind::AlphaAdd) {
        if (a == 0) return;
        result = AddAll(ScaleAll(src, a), LoadQuick<kTarget>(out, keepAlpha));
    } else {
        result = AddAll(src, LoadQuick<kTarget>(out, keepAlpha));
    }
    if constexpr (kTarget == TargetKind::Xrgb32) {
        if (!keepAlpha) result &= 0x00FFFFFFu;
        std::memcpy(out, &result, 4);
    } else if constexpr (kTarget == TargetKind::Xbgr32) {
        result = SwapRedBlue(result) & 0x00FFFFFFu;
        std::memcpy(out, &result, 4);
    } else if constexpr (kTarget == TargetKind::Rgb24) {
        StorePixel(out, 3, result);
    } else if constexpr (kTarget == TargetKind::Rgb565) {
        StorePixel(out, 2, To565(result));
    } else {
        StorePixel(out, 2, To555(result));
    }
}

template <Rasteriser::TargetKind kTarget, Rasteriser::BlendKind kBlend>
bool Rasteriser::QuickSpan(uint8_t* row, int x0, int x1, const Span& start)
{
    if (perspectiveNow_ || varyColour_) return false;
    const bool keepAlpha = target_.layout.alpha != 0;
    uint32_t diffuse = 0, specular = 0;
    for (int i = 0; i < 4; ++i) {
        diffuse = diffuse << 8 | uint32_t(std::clamp<int64_t>(start.c[i] >> 16, 0, 255));
        specular = specular << 8 | uint32_t(std::clamp<int64_t>(start.sc[i] >> 16, 0, 255));
    }
    uint8_t* out = row + size_t(x0) * QuickBytes<kTarget>();

    if (!texture_) {
        // One colour for the whole span (rectangle fills).
        const uint32_t src = Shade(diffuse, specular, 0xFFFFFFFFu);
        for (int x = x0; x <= x1; ++x, out += QuickBytes<kTarget>()) PutQuick<kTarget, kBlend>(out, src, keepAlpha);
        return true;
    }
    if (!simpleShade_ || texelKind_ == TexelKind::Generic) return false;
    // Texel indices are clamped below; that is the whole of the addressing
    // when the mode is clamp, and changes nothing when every sample (and,
    // filtered, its neighbours) falls inside the texture.
    const int64_t n = x1 - x0;
    const int64_t sEnd = start.s + step_.s * n, tEnd = start.t + step_.t * n;
    const int64_t margin = linearNow_ ? int64_t(1) << 31 : 0;
    const int64_t w = int64_t(texture_->width) << 32, h = int64_t(texture_->height) << 32;
    const bool inside = std::min(start.s, sEnd) >= margin && std::max(start.s, sEnd) < w - margin &&
                        std::min(start.t, tEnd) >= margin && std::max(start.t, tEnd) < h - margin;
    if (!inside && !(state_.addressU == D3DTADDRESS_CLAMP && state_.addressV == D3DTADDRESS_CLAMP)) return false;
    if (linearNow_)
        inside ? QuickTexturedRun<kTarget, kBlend, true, false>(out, x0, x1, start, diffuse)
               : QuickTexturedRun<kTarget, kBlend, true, true>(out, x0, x1, start, diffuse);
    else
        inside ? QuickTexturedRun<kTarget, kBlend, false, false>(out, x0, x1, start, diffuse)
               : QuickTexturedRun<kTarget, kBlend, false, true>(out, x0, x1, start, diffuse);
    return true;
}

template <Rasteriser::TargetKind kTarget, Rasteriser::BlendKind kBlend, bool kLinear, bool kClamp>
inline void Rasteriser::QuickTexturedRun(uint8_t* out, int x0, int x1, const Span& start, uint32_t diffuse) const
{
    const bool keepAlpha = target_.layout.alpha != 0;
    const bool direct = texelKind_ == TexelKind::Argb32 || texelKind_ == TexelKind::Xrgb32;
    const int64_t lastX = texture_->width - 1, lastY = texture_->height - 1;
    const uint8_t* texels = texture_->pixels;
    const size_t pitch = size_t(texture_->pitch);
    const uint32_t alphaOr = texelKind_ == TexelKind::Xrgb32 ? 0xFF000000u : 0u;
    const bool white = diffuse == 0xFFFFFFFFu;
    auto lerp = [](uint32_t a, uint32_t b, uint32_t f) {
        uint32_t rb = (((a & 0x00FF00FFu) * (256 - f) + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
        uint32_t ag = ((a >> 8 & 0x00FF00FFu) * (256 - f) + (b >> 8 & 0x00FF00FFu) * f) & 0xFF00FF00u;
        return rb | ag;
    };
    auto texel = [&](int64_t x, int64_t y) {
        if constexpr (kClamp) {
            x = std::clamp<int64_t>(x, 0, lastX);
            y = std::clamp<int64_t>(y, 0, lastY);
        }
        if (!direct) return Texel(int(x), int(y));
        uint32_t v;
        std::memcpy(&v, texels + size_t(y) * pitch + size_t(x) * 4, 4);
        return v | alphaOr;
    };
    // Held in locals: the pixel stores below may alias any member.
    const int64_t stepS = step_.s, stepT = step_.t;
    const bool modulateAlpha = alphaModulate_;
    int64_t s = start.s, t = start.t;
    for (int x = x0; x <= x1; ++x, out += QuickBytes<kTarget>(), s += stepS, t += stepT) {
        uint32_t src;
        if constexpr (!kLinear) {
            src = texel(s >> 32, t >> 32);
        } else {
            const int64_t ls = s - (int64_t(1) << 31), lt = t - (int64_t(1) << 31);
            const int64_t tx = ls >> 32, ty = lt >> 32;
            const uint32_t fx = uint32_t(ls >> 24) & 0xFF, fy = uint32_t(lt >> 24) & 0xFF;
            src = lerp(lerp(texel(tx, ty), texel(tx + 1, ty), fx), lerp(texel(tx, ty + 1), texel(tx + 1, ty + 1), fx),
                       fy);
        }
        if (!white) {
            uint32_t a = modulateAlpha ? Mul255(src >> 24, diffuse >> 24) : src >> 24;
            src = Pack(a, Mul255(Channel(src, 16), Channel(diffuse, 16)), Mul255(Channel(src, 8), Channel(diffuse, 8)),
                       Mul255(src & 0xFF, diffuse & 0xFF));
        }
        PutQuick<kTarget, kBlend>(out, src, keepAlpha);
    }
}

template <Rasteriser::BlendKind kBlend>
inline uint32_t Rasteriser::BlendPixel(uint32_t src, uint32_t dst) const
{
    if constexpr (kBlend == BlendKind::Replace) {
        return src;
    } else if constexpr (kBlend == BlendKind::AlphaOver) {
        uint32_t a = src >> 24, ia = 255 - a;
        return Div255(Channel(src, 24) * a + Channel(dst, 24) * ia) << 24 |
               Div255(Channel(src, 16) * a + Channel(dst, 16) * ia) << 16 |
               Div255(Channel(src, 8) * a + Channel(dst, 8) * ia) << 8 | Div255((src & 0xFF) * a + (dst & 0xFF) * ia);
    } else if constexpr (kBlend == BlendKind::Add) {
        return std::min(255u, Channel(src, 24) + Channel(dst, 24)) << 24 |
               std::min(255u, Channel(src, 16) + Channel(dst, 16)) << 16 |
               std::min(255u, Channel(src, 8) + Channel(dst, 8)) << 8 | std::min(255u, (src & 0xFF) + (dst & 0xFF));
    } else if constexpr (kBlend == BlendKind::AlphaAdd) {
        uint32_t a = src >> 24;
        return std::min(255u, Mul255(Channel(src, 24), a) + Channel(dst, 24)) << 24 |
               std::min(255u, Mul255(Channel(src, 16), a) + Channel(dst, 16)) << 16 |
               std::min(255u, Mul255(Channel(src, 8), a) + Channel(dst, 8)) << 8 |
               std::min(255u, Mul255(src & 0xFF, a) + (dst & 0xFF));
    } else {
        return BlendGeneral(src, dst);
    }
}

template <Rasteriser::TargetKind kTarget, Rasteriser::BlendKind kBlend>
inline uint32_t Rasteriser::LoadTarget(const uint8_t* p) const
{
    if constexpr (kBlend == BlendKind::Replace) {
        return 0xFF000000u; // never read
    } else if constexpr (kTarget == TargetKind::Xrgb32) {
        uint32_t dst;
        std::memcpy(&dst, p, 4);
        return target_.layout.alpha != 0 ? dst : dst | 0xFF000000u;
    } else if constexpr (kTarget == TargetKind::Rgb565) {
        return From565(LoadPixel(p, 2));
    } else {
        return target_.layout.ToArgb(LoadPixel(p, target_.layout.BytesPerPixel()));
    }
}

template <Rasteriser::TargetKind kTarget>
inline void Rasteriser::StoreTarget(uint8_t* p, uint32_t argb) const
{
    if constexpr (kTarget == TargetKind::Xrgb32) {
        uint32_t v = target_.layout.alpha != 0 ? argb : (argb & 0x00FFFFFFu);
        std::memcpy(p, &v, 4);
    } else if constexpr (kTarget == TargetKind::Rgb565) {
        StorePixel(p, 2, To565(argb));
    } else {
        StorePixel(p, target_.layout.BytesPerPixel(), target_.layout.FromArgb(argb));
    }
}

inline void Rasteriser::StepSpan(Span& cur) const
{
    if (texture_) {
        if (perspectiveNow_) {
            cur.q += step_.q;
            cur.sq += step_.sq;
            cur.tq += step_.tq;
        } else {
            cur.s += step_.s;
            cur.t += step_.t;
        }
    }
    if (varyColour_)
        for (int i = 0; i < 4; ++i) {
            cur.c[i] += step_.c[i];
            cur.sc[i] += step_.sc[i];
        }
}

template <Rasteriser::TargetKind kTarget, Rasteriser::BlendKind kBlend>
void Rasteriser::DrawSpan(int y, int x0, int x1, const Span& start)
{
    uint8_t* row = target_.pixels + size_t(y) * size_t(target_.pitch);
    if constexpr (kTarget != TargetKind::Generic && kBlend != BlendKind::General)
        if (QuickSpan<kTarget, kBlend>(row, x0, x1, start)) return;
    Span cur = start;
    auto pack = [](const int64_t* c) {
        uint32_t ch[4];
        for (int i = 0; i < 4; ++i) ch[i] = uint32_t(std::clamp<int64_t>(c[i] >> 16, 0, 255));
        return Pack(ch[0], ch[1], ch[2], ch[3]);
    };
    const uint32_t flatDiffuse = pack(cur.c), flatSpecular = pack(cur.sc);
    const size_t bytes = kTarget == TargetKind::Xrgb32   ? 4
                         : kTarget == TargetKind::Rgb565 ? 2
                                                         : size_t(target_.layout.BytesPerPixel());
    for (int x = x0; x <= x1; ++x) {
        uint32_t texel = 0xFFFFFFFFu;
        if (texture_) {
            if (perspectiveNow_) {
                double q = cur.q != 0 ? cur.q : 1e-30;
                texel = Sample(ToTexelFixed(cur.sq / q), ToTexelFixed(cur.tq / q), linearNow_);
            } else {
                texel = Sample(cur.s, cur.t, linearNow_);
            }
        }
        const uint32_t diffuse = varyColour_ ? pack(cur.c) : flatDiffuse;
        const uint32_t specular = varyColour_ ? pack(cur.sc) : flatSpecular;
        uint8_t* p = row + size_t(x) * bytes;
        StoreTarget<kTarget>(p, BlendPixel<kBlend>(Shade(diffuse, specular, texel), LoadTarget<kTarget, kBlend>(p)));
        StepSpan(cur);
    }
}

void Rasteriser::DispatchSpan(int y, int x0, int x1, const Span& start)
{
#define PELLUCOR_SPAN(target)                                                                                          \
    switch (blendKind_) {                                                                                              \
    case BlendKind::Replace: return DrawSpan<target, BlendKind::Replace>(y, x0, x1, start);                            \
    case BlendKind::AlphaOver: return DrawSpan<target, BlendKind::AlphaOver>(y, x0, x1, start);                        \
    case BlendKind::Add: return DrawSpan<target, BlendKind::Add>(y, x0, x1, start);                                    \
    case BlendKind::AlphaAdd: return DrawSpan<target, BlendKind::AlphaAdd>(y, x0, x1, start);                          \
    case BlendKind::General: return DrawSpan<target, BlendKind::General>(y, x0, x1, start);                            \
    }
    switch (targetKind_) {
    case TargetKind::Xrgb32: PELLUCOR_SPAN(TargetKind::Xrgb32) break;
    case TargetKind::Xbgr32: PELLUCOR_SPAN(TargetKind::Xbgr32) break;
    case TargetKind::Rgb24: PELLUCOR_SPAN(TargetKind::Rgb24) break;
    case TargetKind::Rgb565: PELLUCOR_SPAN(TargetKind::Rgb565) break;
    case TargetKind::Rgb555: PELLUCOR_SPAN(TargetKind::Rgb555) break;
    case TargetKind::Generic: PELLUCOR_SPAN(TargetKind::Generic) break;
    }
#undef PELLUCOR_SPAN
}

} // namespace platform::d3d
