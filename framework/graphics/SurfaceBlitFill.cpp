// Rectangle fills and lines on a locked surface.
#include "framework/graphics/SurfaceBlit.h"
#include "framework/graphics/SurfaceBlitPixel.h"

#include <cmath>
#include <utility>

namespace Zolt::SurfaceBlit {

using namespace surface;

namespace {

// Every line coordinate must be finite and modest, or the walk's integer
// conversions would be undefined; lines beyond this reach draw nothing.
constexpr double kCoordinateLimit = 16777216.0;

bool SaneCoordinates(double x1, double y1, double x2, double y2)
{
    for (double v : {x1, y1, x2, y2})
        if (!std::isfinite(v) || std::fabs(v) > kCoordinateLimit)
            return false;
    return true;
}

template <typename P, typename Op>
void ForEachPixel(const SurfaceView& dest, const Rect& r, const Op& op)
{
    for (int row = 0; row < r.height; ++row) {
        P* d = Row<P>(dest, r.y + row) + r.x;
        for (int i = 0; i < r.width; ++i)
            d[i] = static_cast<P>(op(static_cast<uint32_t>(d[i])));
    }
}

template <typename P>
void Store(const SurfaceView& dest, const Rect& r, uint32_t value)
{
    for (int row = 0; row < r.height; ++row) {
        P* d = Row<P>(dest, r.y + row) + r.x;
        std::fill(d, d + r.width, static_cast<P>(value));
    }
}

// The sum over the channels of ((d & M) x inv + round) >> 8 & M.
inline uint32_t ScaleMasked(const SurfaceFormat& f, uint32_t d, uint32_t inv, uint32_t round)
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint64_t m = f.masks[c];
        out += static_cast<uint32_t>((((d & m) * inv + (round == 0 ? 0 : m >> round)) >> 8) & m);
    }
    return out;
}

} // namespace

void FillNormal(const SurfaceView& dest, const Rect& rect, const Color& colour)
{
    Rect r = rect;
    if (!dest.IsUsable() || !ClipRect(r, dest.width, dest.height))
        return;
    const SurfaceFormat& f = dest.format;
    const Rgba c = Clamped(colour);
    const bool wide = f.bitsPerPixel == 32;
    if (c.a == 255) {
        // The 16-bit fill rounds up to the full field, the 32-bit one does
        // not: 255 on an 8-bit field stores 254.
        uint32_t value = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const uint64_t m = f.masks[ch];
            const uint64_t v = c.Channel(ch) + (wide ? 0 : 1);
            value |= static_cast<uint32_t>(((v * m) >> 8) & m);
        }
        if (wide)
            Store<uint32_t>(dest, r, value);
        else
            Store<uint16_t>(dest, r, value);
        return;
    }
    if (c.a == 0)
        return; // leaves every channel as it is
    const uint32_t inv = 256 - c.a;
    uint32_t add = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const uint64_t m = f.masks[ch];
        const uint64_t t = ((c.Channel(ch) * c.a + (wide ? 127 : 128)) >> 8) + 1;
        add |= static_cast<uint32_t>(((t * m) >> 8) & m);
    }
    if (!wide) {
        // The destination term rounds by the mask itself. Each channel's
        // result depends on that channel alone, so it is looked up in a
        // table of at most 256 entries made once per fill.
        uint16_t table[3][256];
        for (int ch = 0; ch < 3; ++ch) {
            const uint32_t m = f.masks[ch];
            for (uint32_t v = 0; v <= f.ChannelMax(ch); ++v) {
                const uint32_t d = v << f.shifts[ch];
                table[ch][v] = static_cast<uint16_t>(((((d * inv + m) >> 8) & m) + (add & m)));
            }
        }
        const int s0 = f.shifts[0], s1 = f.shifts[1], s2 = f.shifts[2];
        const uint32_t m0 = f.ChannelMax(0), m1 = f.ChannelMax(1), m2 = f.ChannelMax(2);
        ForEachPixel<uint16_t>(dest, r, [&](uint32_t d) {
            return static_cast<uint32_t>(table[0][(d >> s0) & m0] | table[1][(d >> s1) & m1] |
                                         table[2][(d >> s2) & m2]);
        });
    } else if (f.IsBytes32()) {
        ForEachPixel<uint32_t>(dest, r, [&](uint32_t d) {
            return ((((d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) + ((((d & 0xFF00) * inv) >> 8) & 0xFF00) + add;
        });
    } else {
        ForEachPixel<uint32_t>(dest, r, [&](uint32_t d) { return ScaleMasked(f, d, inv, 0) + add; });
    }
}

void FillAdditive(const SurfaceView& dest, const SaturationTables& tables, const Rect& rect, const Color& colour)
{
    Rect r = rect;
    if (!dest.IsUsable() || !tables.Covers(dest.format) || !ClipRect(r, dest.width, dest.height))
        return;
    const SurfaceFormat& f = dest.format;
    const Rgba c = Clamped(colour);
    uint32_t add[3];
    for (int ch = 0; ch < 3; ++ch)
        add[ch] = ((c.Channel(ch) * c.a) / 255) >> (8 - f.bits[ch]);
    auto op = [&](uint32_t d) {
        uint32_t out = 0;
        for (int ch = 0; ch < 3; ++ch)
            out |= SatAdd(tables, ch, ((d & f.masks[ch]) >> f.shifts[ch]) + add[ch]) << f.shifts[ch];
        return out;
    };
    if (f.bitsPerPixel == 32)
        ForEachPixel<uint32_t>(dest, r, op);
    else
        ForEachPixel<uint16_t>(dest, r, op);
}

namespace {

// The Bresenham walk of the plain and additive lines. `plot` gets every
// pixel of the walk; pixels off the surface are dropped here.
template <typename Plot>
void WalkLine(const SurfaceView& dest, double x1, double y1, double x2, double y2, const Plot& plot)
{
    const bool yMajor = std::fabs(x2 - x1) <= std::fabs(y2 - y1);
    double sMaj = yMajor ? y1 : x1, sMin = yMajor ? x1 : y1;
    double eMaj = yMajor ? y2 : x2, eMin = yMajor ? x2 : y2;
    if (eMaj < sMaj) {
        std::swap(sMaj, eMaj);
        std::swap(sMin, eMin);
    }
    const int step = eMin - sMin < 0 ? -1 : 1;
    const double p = std::fabs(eMin - sMin);
    const double q = eMaj - sMaj;
    const double boxMin[2] = {std::min(x1, x2), std::min(y1, y2)};
    const double boxMax[2] = {std::max(x1, x2), std::max(y1, y2)};
    const int extent = yMajor ? dest.height : dest.width;

    auto emit = [&](int64_t major, int64_t minor) {
        const int64_t x = yMajor ? minor : major, y = yMajor ? major : minor;
        if (x >= 0 && y >= 0 && x < dest.width && y < dest.height)
            plot(static_cast<int>(x), static_cast<int>(y));
    };

    int64_t minor = static_cast<int64_t>(sMin);
    emit(static_cast<int64_t>(sMaj), minor);
    const int64_t inc1 = static_cast<int64_t>(2 * p);
    const int64_t inc2 = static_cast<int64_t>(2 * (p - q));
    const double frac = sMin - std::trunc(sMin);
    int64_t error = static_cast<int64_t>(frac * static_cast<double>(inc1) + std::trunc(2 * p - q));
    for (int64_t major = static_cast<int64_t>(sMaj + 1.0); static_cast<double>(major) <= eMaj; ++major) {
        if (major >= extent)
            break; // the rest of the walk is past the surface
        if (error > 0) {
            minor += step;
            error += inc2;
            const double px = static_cast<double>(yMajor ? minor : major);
            const double py = static_cast<double>(yMajor ? major : minor);
            if (px < boxMin[0] || px > boxMax[0] || py < boxMin[1] || py > boxMax[1])
                break;
        } else {
            error += inc1;
        }
        emit(major, minor);
    }
}

template <typename P, typename Op>
void WalkWith(const SurfaceView& dest, double x1, double y1, double x2, double y2, const Op& op)
{
    WalkLine(dest, x1, y1, x2, y2, [&](int x, int y) {
        P& d = Row<P>(dest, y)[x];
        d = static_cast<P>(op(static_cast<uint32_t>(d)));
    });
}

} // namespace

void LineNormal(const SurfaceView& dest, double x1, double y1, double x2, double y2, const Color& colour)
{
    if (!dest.IsUsable() || !SaneCoordinates(x1, y1, x2, y2))
        return;
    const SurfaceFormat& f = dest.format;
    const Rgba c = Clamped(colour);
    uint32_t value = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const uint64_t m = f.masks[ch];
        const uint64_t v = c.a == 255 ? c.Channel(ch) : (c.Channel(ch) * c.a + 128) >> 8;
        value += static_cast<uint32_t>(((v * m + (m >> 1)) >> 8) & m);
    }
    const uint32_t inv = 256 - c.a;
    auto op = [&](uint32_t d) { return c.a == 255 ? value : ScaleMasked(f, d, inv, 1) + value; };
    if (f.bitsPerPixel == 32)
        WalkWith<uint32_t>(dest, x1, y1, x2, y2, op);
    else
        WalkWith<uint16_t>(dest, x1, y1, x2, y2, op);
}

void LineAdditive(const SurfaceView& dest, const SaturationTables& tables, double x1, double y1, double x2,
                  double y2, const Color& colour)
{
    if (!dest.IsUsable() || !tables.Covers(dest.format) || !SaneCoordinates(x1, y1, x2, y2))
        return;
    const SurfaceFormat& f = dest.format;
    const Rgba c = Clamped(colour);
    uint32_t add[3];
    for (int ch = 0; ch < 3; ++ch)
        add[ch] = ((c.Channel(ch) * c.a) / 255) >> (8 - f.bits[ch]);
    auto op = [&](uint32_t d) {
        uint32_t out = 0;
        for (int ch = 0; ch < 3; ++ch)
            out |= SatAdd(tables, ch, ((d & f.masks[ch]) >> f.shifts[ch]) + add[ch]) << f.shifts[ch];
        return out;
    };
    if (f.bitsPerPixel == 32)
        WalkWith<uint32_t>(dest, x1, y1, x2, y2, op);
    else
        WalkWith<uint16_t>(dest, x1, y1, x2, y2, op);
}

namespace {

// One pixel of the antialiased line moved towards colour c by weight w.
uint32_t BlendWeighted(const SurfaceFormat& f, uint32_t d, uint32_t c, uint32_t w)
{
    if (f.Is565() || f.Is555()) {
        const uint32_t s = f.Is565() ? kSpread565 : kSpread555;
        return Fold((((Spread(d, s) * ((256 - w) >> 3)) >> 5) & s) + ((((w >> 3) * Spread(c, s)) >> 5) & s));
    }
    if (f.IsBytes32()) {
        return ((((d & 0x00FF00FF) * (256 - w) + (c & 0x00FF00FF) * w) >> 8) & 0x00FF00FF) |
               ((((d & 0xFF00) * (256 - w) + (c & 0xFF00) * w) >> 8) & 0xFF00);
    }
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const uint64_t m = f.masks[ch];
        out |= static_cast<uint32_t>((((d & m) * (256 - w) + (c & m) * w) >> 8) & m);
    }
    return out;
}

template <typename P>
void SmoothLine(const SurfaceView& dest, double x1, double y1, double x2, double y2, uint32_t colour,
                uint32_t alpha)
{
    const SurfaceFormat& f = dest.format;
    int64_t X1 = static_cast<int64_t>(x1), Y1 = static_cast<int64_t>(y1);
    int64_t X2 = static_cast<int64_t>(x2), Y2 = static_cast<int64_t>(y2);
    if (Y1 > Y2) {
        std::swap(X1, X2);
        std::swap(Y1, Y2);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int xStep = X2 - X1 < 0 ? -1 : 1;
    const int64_t DX = X2 > X1 ? X2 - X1 : X1 - X2;
    const int64_t DY = Y2 - Y1;
    const bool xMajor = DX >= DY;

    auto plot = [&](int64_t x, int64_t y, uint32_t w) {
        if (x < 0 || y < 0 || x >= dest.width || y >= dest.height)
            return;
        const uint32_t weight = (w * (alpha + 1)) >> 8;
        P& d = Row<P>(dest, static_cast<int>(y))[x];
        d = static_cast<P>(BlendWeighted(f, d, colour, weight));
    };
    auto mainWeight = [](int64_t acc) { return 255 - static_cast<uint32_t>((acc >> 8) & 255); };

    int64_t acc = static_cast<int64_t>(std::fabs(x1 - std::trunc(x1)) * std::fabs(y1 - std::trunc(y1)) * 65536.0);
    plot(X1, Y1, mainWeight(acc));
    const int64_t majorDelta = xMajor ? DX : DY;
    if (majorDelta == 0)
        return; // both ends in one pixel: that pixel is the line
    const double minorF = std::fabs(xMajor ? y2 - y1 : x2 - x1);
    const double majorF = std::fabs(xMajor ? x2 - x1 : y2 - y1);
    // The increment only matters below 0x10000 (the minor coordinate moves
    // at most one step per pixel); bounded so that it converts safely.
    const int64_t inc = static_cast<int64_t>(std::min(minorF / majorF * 65536.0, 2147483647.0));
    int64_t x = X1, y = Y1;
    for (int64_t i = 0; i < majorDelta - 1; ++i) {
        acc += inc;
        if (acc >= 0x10000) {
            acc &= 0xFFFF;
            if (xMajor)
                ++y;
            else
                x += xStep;
        }
        if (xMajor)
            x += xStep;
        else
            ++y;
        const uint32_t w = mainWeight(acc);
        plot(x, y, w);
        if (xMajor)
            plot(x, y + 1, 255 - w);
        else
            plot(x + xStep, y, 255 - w);
    }
    plot(X2, Y2, mainWeight(acc));
}

} // namespace

void LineSmoothNormal(const SurfaceView& dest, double x1, double y1, double x2, double y2, const Color& colour)
{
    if (!dest.IsUsable() || !SaneCoordinates(x1, y1, x2, y2))
        return;
    const SurfaceFormat& f = dest.format;
    const Rgba c = Clamped(colour);
    uint32_t value = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const uint64_t m = f.masks[ch];
        value |= static_cast<uint32_t>(((c.Channel(ch) * m) >> 8) & m);
    }
    if (f.bitsPerPixel == 32)
        SmoothLine<uint32_t>(dest, x1, y1, x2, y2, value, c.a);
    else
        SmoothLine<uint16_t>(dest, x1, y1, x2, y2, value, c.a);
}

} // namespace Zolt::SurfaceBlit
