#include "platform/d3d/Rasteriser.h"

#include "platform/d3d/PixelArithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace platform::d3d {

using namespace detail;
using ddraw::StorePixel;

// ------------------------------------------------------------ triangles --

void Rasteriser::Triangle(const Vertex& a, const Vertex& b, const Vertex& c)
{
    for (const Vertex* v : {&a, &b, &c})
        if (!std::isfinite(v->x) || !std::isfinite(v->y)) return;
    if (state_.clip.left >= state_.clip.right || state_.clip.top >= state_.clip.bottom) return;

    double area = (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
    // Positive area runs clockwise on the screen (y grows downwards).
    if (state_.cull == D3DCULL_CW && area > 0) return;
    if (state_.cull == D3DCULL_CCW && area < 0) return;

    const double left = state_.clip.left - kGuardBand, right = state_.clip.right + kGuardBand;
    const double top = state_.clip.top - kGuardBand, bottom = state_.clip.bottom + kGuardBand;
    for (const Vertex* v : {&a, &b, &c}) {
        if (v->x < left || v->x > right || v->y < top || v->y > bottom) {
            ClippedTriangle(a, b, c);
            return;
        }
    }
    const Vertex* v[3] = {&a, &b, &c};
    SnappedTriangle(v);
}

namespace {
Vertex Crossing(const Vertex& a, const Vertex& b, double t)
{
    auto mix = [t](double p, double q) { return float(p + (q - p) * t); };
    auto mixColour = [t](uint32_t p, uint32_t q) {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            double v = Channel(p, shift) + (double(Channel(q, shift)) - Channel(p, shift)) * t;
            out |= uint32_t(std::clamp(std::lround(v), 0l, 255l)) << shift;
        }
        return out;
    };
    Vertex out;
    out.x = mix(a.x, b.x);
    out.y = mix(a.y, b.y);
    out.z = mix(a.z, b.z);
    out.rhw = mix(a.rhw, b.rhw);
    out.u = mix(a.u, b.u);
    out.v = mix(a.v, b.v);
    out.diffuse = mixColour(a.diffuse, b.diffuse);
    out.specular = mixColour(a.specular, b.specular);
    return out;
}
} // namespace

void Rasteriser::ClippedTriangle(const Vertex& a, const Vertex& b, const Vertex& c)
{
    // Only triangles reaching far beyond the clip rectangle come here: they
    // are cut to a box a little larger than it (the cut edges lie outside
    // the pixels drawn) and drawn as a fan.
    std::vector<Vertex> poly{a, b, c}, next;
    const double bounds[4] = {state_.clip.left - 16.0, state_.clip.top - 16.0, state_.clip.right + 16.0,
                              state_.clip.bottom + 16.0};
    for (int side = 0; side < 4 && poly.size() >= 3; ++side) {
        auto value = [side](const Vertex& v) { return side % 2 == 0 ? double(v.x) : double(v.y); };
        auto inside = [&](const Vertex& v) { return side < 2 ? value(v) >= bounds[side] : value(v) <= bounds[side]; };
        next.clear();
        for (size_t i = 0; i < poly.size(); ++i) {
            const Vertex& p = poly[(i + poly.size() - 1) % poly.size()];
            const Vertex& q = poly[i];
            bool pin = inside(p), qin = inside(q);
            if (pin != qin) next.push_back(Crossing(p, q, (bounds[side] - value(p)) / (value(q) - value(p))));
            if (qin) next.push_back(q);
        }
        poly.swap(next);
    }
    for (size_t i = 1; i + 1 < poly.size(); ++i) {
        const Vertex* v[3] = {&poly[0], &poly[i], &poly[i + 1]};
        SnappedTriangle(v);
    }
}

void Rasteriser::SnappedTriangle(const Vertex* v[3])
{
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = std::llround(double(v[i]->x) * kSubpixel);
        Y[i] = std::llround(double(v[i]->y) * kSubpixel);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
    }

    int64_t yStart = CeilDiv(std::min({Y[0], Y[1], Y[2]}), kSubpixel);
    int64_t yEnd = FloorDiv(std::max({Y[0], Y[1], Y[2]}), kSubpixel);
    yStart = std::max<int64_t>(yStart, state_.clip.top);
    yEnd = std::min<int64_t>(yEnd, state_.clip.bottom - 1);
    if (yStart > yEnd) return;

    // Attribute planes over the snapped positions, in pixels.
    PlaneFit fit;
    fit.x0 = double(X[0]) / kSubpixel;
    fit.y0 = double(Y[0]) / kSubpixel;
    fit.ex1 = double(X[1] - X[0]) / kSubpixel;
    fit.ey1 = double(Y[1] - Y[0]) / kSubpixel;
    fit.ex2 = double(X[2] - X[0]) / kSubpixel;
    fit.ey2 = double(Y[2] - Y[0]) / kSubpixel;
    fit.det = fit.ex1 * fit.ey2 - fit.ex2 * fit.ey1;
    Planes planes;
    SetUpTexture(v, fit, planes);
    SetUpColour(v, fit, planes);
    ScanTriangle(X, Y, yStart, yEnd, planes);
}

Rasteriser::Plane Rasteriser::PlaneFit::Through(double a, double b, double c) const
{
    Plane p;
    p.dx = ((b - a) * ey2 - (c - a) * ey1) / det;
    p.dy = ((c - a) * ex1 - (b - a) * ex2) / det;
    p.a0 = a - p.dx * x0 - p.dy * y0;
    return p;
}

void Rasteriser::SetUpTexture(const Vertex* v[3], const PlaneFit& fit, Planes& planes)
{
    perspectiveNow_ = false;
    linearNow_ = false;
    if (!texture_)
        return;
    const double tw = texture_->width, th = texture_->height;
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = std::isfinite(v[i]->rhw) && v[i]->rhw > 0 ? v[i]->rhw : 1.0;
    perspectiveNow_ = state_.perspective && !(r[0] == r[1] && r[1] == r[2]);
    auto uOf = [](const Vertex* p) { return std::isfinite(p->u) ? std::clamp(double(p->u), -1024.0, 1024.0) : 0.0; };
    auto vOf = [](const Vertex* p) { return std::isfinite(p->v) ? std::clamp(double(p->v), -1024.0, 1024.0) : 0.0; };
    planes.s = fit.Through(uOf(v[0]) * tw, uOf(v[1]) * tw, uOf(v[2]) * tw);
    planes.t = fit.Through(vOf(v[0]) * th, vOf(v[1]) * th, vOf(v[2]) * th);
    if (perspectiveNow_) {
        planes.q = fit.Through(r[0], r[1], r[2]);
        planes.sq = fit.Through(uOf(v[0]) * tw * r[0], uOf(v[1]) * tw * r[1], uOf(v[2]) * tw * r[2]);
        planes.tq = fit.Through(vOf(v[0]) * th * r[0], vOf(v[1]) * th * r[1], vOf(v[2]) * th * r[2]);
    }
    // More than one texel per pixel step means minification.
    double footprint = std::max(std::hypot(planes.s.dx, planes.t.dx), std::hypot(planes.s.dy, planes.t.dy));
    linearNow_ = footprint > 1.0 + 1e-6 ? state_.minLinear : state_.magLinear;
    step_.s = ToTexelStep(planes.s.dx);
    step_.t = ToTexelStep(planes.t.dx);
    step_.q = planes.q.dx;
    step_.sq = planes.sq.dx;
    step_.tq = planes.tq.dx;
}

void Rasteriser::SetUpColour(const Vertex* v[3], const PlaneFit& fit, Planes& planes)
{
    const Vertex* first = v[0]; // flat shading takes the colour of the first vertex
    varyColour_ = state_.gouraud && !(v[0]->diffuse == v[1]->diffuse && v[1]->diffuse == v[2]->diffuse &&
                                      v[0]->specular == v[1]->specular && v[1]->specular == v[2]->specular);
    for (int i = 0; i < 4; ++i) {
        int shift = 24 - 8 * i;
        Plane& colour = planes.colour[i];
        Plane& spec = planes.spec[i];
        if (varyColour_) {
            colour = fit.Through(Channel(v[0]->diffuse, shift), Channel(v[1]->diffuse, shift),
                                 Channel(v[2]->diffuse, shift));
            spec = fit.Through(Channel(v[0]->specular, shift), Channel(v[1]->specular, shift),
                               Channel(v[2]->specular, shift));
            step_.c[i] = ToFixed16(std::clamp(colour.dx, -255.0, 255.0));
            step_.sc[i] = ToFixed16(std::clamp(spec.dx, -255.0, 255.0));
        } else {
            colour.a0 = Channel(first->diffuse, shift);
            spec.a0 = Channel(first->specular, shift);
            step_.c[i] = step_.sc[i] = 0;
        }
    }
}

void Rasteriser::ScanTriangle(const int64_t X[3], const int64_t Y[3], int64_t yStart, int64_t yEnd,
                              const Planes& planes)
{
    struct Edge {
        int64_t dx, dy, px, py;
        int64_t bias; // 0 on top and left edges (pixel centres on them are inside), else 1
    } edges[3];
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        Edge& e = edges[i];
        e.dx = X[j] - X[i];
        e.dy = Y[j] - Y[i];
        e.px = X[i];
        e.py = Y[i];
        bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
        e.bias = topLeft ? 0 : 1;
    }

    for (int64_t py = yStart; py <= yEnd; ++py) {
        int64_t lo = state_.clip.left, hi = int64_t(state_.clip.right) - 1;
        const int64_t Yc = py * kSubpixel;
        for (const Edge& e : edges) {
            // Inside: dx * (Yc - py) - dy * (X - px) >= bias, with X = px * 256.
            const int64_t a = -e.dy * kSubpixel;
            const int64_t b = e.dx * (Yc - e.py) + e.dy * e.px;
            if (a > 0)
                lo = std::max(lo, CeilDiv(e.bias - b, a));
            else if (a < 0)
                hi = std::min(hi, FloorDiv(b - e.bias, -a));
            else if (b < e.bias)
                hi = lo - 1;
        }
        if (lo > hi) continue;
        DispatchSpan(int(py), int(lo), int(hi), SpanStart(planes, double(lo), double(py)));
    }
}

Rasteriser::Span Rasteriser::SpanStart(const Planes& planes, double x, double y) const
{
    Span start;
    if (texture_) {
        if (perspectiveNow_) {
            start.q = planes.q.At(x, y);
            start.sq = planes.sq.At(x, y);
            start.tq = planes.tq.At(x, y);
        } else {
            start.s = ToTexelFixed(planes.s.At(x, y));
            start.t = ToTexelFixed(planes.t.At(x, y));
        }
    }
    for (int i = 0; i < 4; ++i) {
        start.c[i] = ToFixed16(varyColour_ ? planes.colour[i].At(x, y) : planes.colour[i].a0);
        start.sc[i] = ToFixed16(varyColour_ ? planes.spec[i].At(x, y) : planes.spec[i].a0);
    }
    return start;
}

// ---------------------------------------------------------------- lines --

void Rasteriser::Line(const Vertex& a, const Vertex& b)
{
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    if (dx == 0 && dy == 0) return;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double from = xMajor ? a.x : a.y, to = xMajor ? b.x : b.y, delta = xMajor ? dx : dy;
    // The pixel centres along the major axis from the start up to, not
    // including, the end.
    double first, last;
    if (delta > 0) {
        first = std::ceil(from);
        last = std::ceil(to) - 1;
    } else {
        first = std::floor(to) + 1;
        last = std::floor(from);
    }
    const double lowBound = xMajor ? state_.clip.left : state_.clip.top;
    const double highBound = (xMajor ? state_.clip.right : state_.clip.bottom) - 1;
    first = std::max(first, lowBound);
    last = std::min(last, highBound);
    if (first > last) return;
    // The minor coordinate is held to the clip while still a double: a wild
    // vertex puts it far outside what an int can hold.
    const double minorLow = xMajor ? state_.clip.top : state_.clip.left;
    const double minorHigh = xMajor ? state_.clip.bottom : state_.clip.right;

    varyColour_ = true;
    perspectiveNow_ = false;
    linearNow_ = state_.magLinear;
    const double tw = texture_ ? texture_->width : 1, th = texture_ ? texture_->height : 1;
    for (double major = first; major <= last; major += 1.0) {
        const double f = (major - from) / delta;
        const double minor = (xMajor ? a.y : a.x) + f * (xMajor ? dy : dx);
        const double pixelMinor = std::floor(minor + 0.5);
        if (!(pixelMinor >= minorLow && pixelMinor < minorHigh)) continue;
        const int x = int(xMajor ? major : pixelMinor), y = int(xMajor ? pixelMinor : major);
        Span span;
        const Vertex& colourFrom = a;
        for (int i = 0; i < 4; ++i) {
            int shift = 24 - 8 * i;
            double ca = Channel(colourFrom.diffuse, shift), cb = Channel(b.diffuse, shift);
            double sa = Channel(colourFrom.specular, shift), sb = Channel(b.specular, shift);
            span.c[i] = ToFixed16(state_.gouraud ? ca + (cb - ca) * f : ca);
            span.sc[i] = ToFixed16(state_.gouraud ? sa + (sb - sa) * f : sa);
        }
        if (texture_) {
            span.s = ToTexelFixed((a.u + (double(b.u) - a.u) * f) * tw);
            span.t = ToTexelFixed((a.v + (double(b.v) - a.v) * f) * th);
        }
        DispatchSpan(y, x, x, span);
    }
}

// ----------------------------------------------------------------- fill --

void Rasteriser::Fill(const RenderTarget& target, const RECT& area, uint32_t argb)
{
    if (area.left >= area.right || area.top >= area.bottom) return;
    const int bytes = target.layout.BytesPerPixel();
    uint32_t raw = target.layout.FromArgb(argb);
    for (int y = area.top; y < area.bottom; ++y) {
        uint8_t* row = target.pixels + size_t(y) * size_t(target.pitch) + size_t(area.left) * size_t(bytes);
        if (bytes == 4) {
            for (int x = area.left; x < area.right; ++x, row += 4) std::memcpy(row, &raw, 4);
        } else {
            for (int x = area.left; x < area.right; ++x, row += bytes) StorePixel(row, bytes, raw);
        }
    }
}

} // namespace platform::d3d
