// The software rasteriser behind the Direct3D device: fills triangles and
// draws lines of transformed, lit vertices straight into a surface's memory,
// textured from another surface's memory, with the stage-0 colour and alpha
// operations and the frame-buffer blend of the device's states.
//
// Triangles, lines and fills are set up in RasteriserGeometry.cpp; spans
// are shaded and blended in Rasteriser.cpp.
//
// Rules (those of the hardware the program was written for):
// - pixel centres lie at whole coordinates; a pixel is covered when its
//   centre lies inside the triangle, or on a top or left edge, so triangles
//   sharing an edge never draw a pixel twice nor leave one out;
// - positions are snapped to 1/256 pixel, texture positions to 1/256 texel;
//   point sampling takes the texel whose area holds the sample, linear
//   filtering weighs the four texels around it (texel centres at half
//   coordinates);
// - colours are 8 bits per channel; blend and modulate round to nearest;
//   additive results saturate;
// - nothing is ever written outside the clip rectangle, which callers keep
//   inside the surface.
//
// Threads: one object per draw call, on the caller's thread.
#pragma once

#include "platform/d3d/D3DTypes.h"
#include "platform/ddraw/PixelLayout.h"

#include <array>
#include <cstdint>

namespace platform::d3d {

struct RenderTarget {
    uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    ddraw::PixelLayout layout;
};

struct TextureImage {
    const uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    ddraw::PixelLayout layout;
    const std::array<uint32_t, 256>* palette = nullptr; // palettised textures
};

// A vertex as the rasteriser reads it, whatever the caller's vertex format.
struct Vertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    uint32_t diffuse = 0xFFFFFFFF;
    uint32_t specular = 0;
    float u = 0, v = 0;
};

// The device states a draw depends on, already checked against the card's
// caps (unsupported blend factors replaced, blending dropped when the card
// cannot blend).
struct PipelineState {
    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD colorOp = D3DTOP_MODULATE;
    DWORD colorArg1 = D3DTA_TEXTURE;
    DWORD colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1;
    DWORD alphaArg1 = D3DTA_TEXTURE;
    DWORD alphaArg2 = D3DTA_CURRENT;
    uint32_t textureFactor = 0xFFFFFFFF;
    bool magLinear = false;
    bool minLinear = false;
    DWORD addressU = D3DTADDRESS_WRAP;
    DWORD addressV = D3DTADDRESS_WRAP;
    bool specular = false;
    bool gouraud = true;
    bool perspective = true;
    DWORD cull = D3DCULL_CCW;
    RECT clip{0, 0, 0, 0}; // pixels drawn: left <= x < right, top <= y < bottom
};

class Rasteriser {
public:
    // `texture` may be null (the texture argument then reads opaque white).
    Rasteriser(const RenderTarget& target, const TextureImage* texture, const PipelineState& state);

    void Triangle(const Vertex& a, const Vertex& b, const Vertex& c);
    // The pixels from `a` up to, not including, the pixel `b` ends on.
    void Line(const Vertex& a, const Vertex& b);

    // Fills `area` (already clipped to the surface) with a colour given as
    // 0xAARRGGBB, converted to the target's format.
    static void Fill(const RenderTarget& target, const RECT& area, uint32_t argb);

    // Interpolated values at the start of one span.
    struct Span {
        int64_t s = 0, t = 0;         // texel units, 32.32
        int64_t c[4] = {0, 0, 0, 0};  // diffuse a, r, g, b in 16.16
        int64_t sc[4] = {0, 0, 0, 0}; // specular a, r, g, b in 16.16
        double q = 0, sq = 0, tq = 0; // perspective: rhw, u*rhw*W, v*rhw*H
    };

private:
    enum class TargetKind { Xrgb32, Xbgr32, Rgb24, Rgb565, Rgb555, Generic };
    enum class BlendKind { Replace, AlphaOver, Add, AlphaAdd, General };
    enum class TexelKind { Argb32, Xrgb32, Argb4444, Rgb565, Argb1555, Palette8, Generic };
    static TexelKind KindOf(const ddraw::PixelLayout& layout);

    // An attribute of the current triangle as a plane over the screen:
    // a0 + dx x + dy y, in pixels.
    struct Plane {
        double a0 = 0, dx = 0, dy = 0;
        double At(double x, double y) const { return a0 + dx * x + dy * y; }
    };
    // Fits planes through the triangle's three snapped corners.
    struct PlaneFit {
        double x0, y0, ex1, ey1, ex2, ey2, det;
        Plane Through(double a, double b, double c) const;
    };
    // The planes of the current triangle's attributes.
    struct Planes {
        Plane s, t, q, sq, tq;
        Plane colour[4], spec[4];
    };

    void SnappedTriangle(const Vertex* v[3]);
    // Set-up of the current triangle: texture coordinates (and the filter
    // and steps they imply), then the vertex colours.
    void SetUpTexture(const Vertex* v[3], const PlaneFit& fit, Planes& planes);
    void SetUpColour(const Vertex* v[3], const PlaneFit& fit, Planes& planes);
    // Walks rows yStart to yEnd, drawing the span inside the three edges.
    void ScanTriangle(const int64_t X[3], const int64_t Y[3], int64_t yStart, int64_t yEnd, const Planes& planes);
    Span SpanStart(const Planes& planes, double x, double y) const;
    void ClippedTriangle(const Vertex& a, const Vertex& b, const Vertex& c);
    template <TargetKind kTarget, BlendKind kBlend> void DrawSpan(int y, int x0, int x1, const Span& start);
    // The common case of sprites and backgrounds: a 32-bit texture point
    // sampled inside its bounds or clamped, one vertex colour, a target in one
    // of the display's formats.
    template <TargetKind kTarget, BlendKind kBlend> bool QuickSpan(uint8_t* row, int x0, int x1, const Span& start);
    // The quick span's texture run: nearest or linear, clamped or not,
    // tinted by the one diffuse colour.
    template <TargetKind kTarget, BlendKind kBlend, bool kLinear, bool kClamp>
    void QuickTexturedRun(uint8_t* out, int x0, int x1, const Span& start, uint32_t diffuse) const;
    // The quick targets' pixels: their size, reading one as ARGB, and
    // blending a colour into one.
    template <TargetKind kTarget> static constexpr size_t QuickBytes()
    {
        return kTarget == TargetKind::Xrgb32 || kTarget == TargetKind::Xbgr32 ? 4
               : kTarget == TargetKind::Rgb24                                ? 3
                                                                             : 2;
    }
    template <TargetKind kTarget> static uint32_t LoadQuick(const uint8_t* out, bool keepAlpha);
    template <TargetKind kTarget, BlendKind kBlend> static void PutQuick(uint8_t* out, uint32_t src, bool keepAlpha);
    // The general span's pieces: the blend, the target pixel read and
    // written as ARGB, and the step to the next pixel.
    template <BlendKind kBlend> uint32_t BlendPixel(uint32_t src, uint32_t dst) const;
    template <TargetKind kTarget, BlendKind kBlend> uint32_t LoadTarget(const uint8_t* p) const;
    template <TargetKind kTarget> void StoreTarget(uint8_t* p, uint32_t argb) const;
    void StepSpan(Span& cur) const;
    void DispatchSpan(int y, int x0, int x1, const Span& start);
    uint32_t Sample(int64_t s, int64_t t, bool linear) const;
    uint32_t Texel(int x, int y) const;
    uint32_t Shade(uint32_t diffuse, uint32_t specular, uint32_t texel) const;
    uint32_t BlendGeneral(uint32_t src, uint32_t dst) const;

    RenderTarget target_;
    const TextureImage* texture_;
    PipelineState state_;
    TargetKind targetKind_;
    BlendKind blendKind_;
    TexelKind texelKind_ = TexelKind::Generic;
    bool simpleShade_; // texel x diffuse with the alpha of the stock stage (no switch per pixel)
    bool alphaModulate_;
    // Steps per pixel along x of the current primitive.
    struct Steps {
        int64_t s = 0, t = 0;         // texel units, 32.32
        int64_t c[4] = {0, 0, 0, 0};  // diffuse a, r, g, b in 16.16
        int64_t sc[4] = {0, 0, 0, 0}; // specular a, r, g, b in 16.16
        double q = 0, sq = 0, tq = 0; // perspective: rhw, u*rhw*W, v*rhw*H
    } step_;
    bool varyColour_ = false;
    bool perspectiveNow_ = false;
    bool linearNow_ = false;
};

} // namespace platform::d3d
