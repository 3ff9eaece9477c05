// The memory image's software blitters against pixman on identical buffers,
// with memcpy of the bytes each operation writes as the physical limit.
// Every operation runs on a 1024 x 768 screen and on a 72 x 96 card; the
// table at the end gives our time over pixman's (below 1: we are faster)
// and over memcpy's.
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Zolt::Color;
using Zolt::MemoryImage;
using Zolt::Rect;

struct Size {
    const char* name;
    int w, h;
};
constexpr Size kSizes[] = {{"screen", 1024, 768}, {"card", 72, 96}};

// Pixels with every alpha class a game image has: mostly opaque, some
// fully transparent, some translucent, colours varying.
std::unique_ptr<MemoryImage> Sprite(int w, int h, bool translucentOnly)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t rgb = (seed >> 8) & 0xFFFFFF;
            uint32_t a;
            if (translucentOnly)
                a = 1 + (static_cast<uint32_t>(x + y) % 254);
            else
                a = (x < 3 || y < 3) ? 0 : ((x + y) % 17 == 0 ? 128 : 255);
            px[static_cast<size_t>(y) * w + x] = (a << 24) | rgb;
        }
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->AssignBits(px.data(), w, h, true);
    return image;
}

std::unique_ptr<MemoryImage> Opaque(int w, int h, uint32_t colour)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, colour | 0xFF000000);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] ^= static_cast<uint32_t>(i * 2654435761u) & 0x3F3F3F;
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->AssignBits(px.data(), w, h, true);
    return image;
}

// Premultiplies a copy of the pixels for pixman, which blends
// premultiplied colour.
std::vector<uint32_t> Premultiplied(MemoryImage& image)
{
    const uint32_t* p = image.RequireBits();
    std::vector<uint32_t> out(static_cast<size_t>(image.GetWidth()) * image.GetHeight());
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t a = p[i] >> 24;
        const uint32_t r = ((p[i] >> 16) & 0xFF) * a / 255, g = ((p[i] >> 8) & 0xFF) * a / 255,
                       b = (p[i] & 0xFF) * a / 255;
        out[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    return out;
}

pixman_image_t* Wrap(uint32_t* bits, int w, int h)
{
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits, w * 4);
}

enum class Op { Copy, Blend, Add, Fill, Stretch2, Stretch05, Rotate30 };
const char* OpName(Op op)
{
    switch (op) {
    case Op::Copy: return "opaque copy";
    case Op::Blend: return "alpha blit";
    case Op::Add: return "additive blit";
    case Op::Fill: return "translucent fill";
    case Op::Stretch2: return "stretch 2x";
    case Op::Stretch05: return "stretch 0.5x";
    case Op::Rotate30: return "rotate 30";
    }
    return "?";
}

// Destination size of an operation on a w x h source.
void DestSize(Op op, int w, int h, int& dw, int& dh)
{
    dw = w;
    dh = h;
    if (op == Op::Stretch2) {
        dw = w * 2;
        dh = h * 2;
    } else if (op == Op::Stretch05) {
        dw = w / 2;
        dh = h / 2;
    } else if (op == Op::Rotate30) {
        const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
        dw = static_cast<int>(std::ceil(w * c + h * s)) + 2;
        dh = static_cast<int>(std::ceil(w * s + h * c)) + 2;
    }
}

void Ours(benchmark::State& state, Op op, Size size)
{
    const int w = size.w, h = size.h;
    int dw, dh;
    DestSize(op, w, h, dw, dh);
    auto source = op == Op::Copy ? Opaque(w, h, 0x336699) : Sprite(w, h, op == Op::Blend);
    if (op == Op::Add)
        source = Opaque(w, h, 0x102030);
    auto dest = Opaque(dw, dh, 0x808080);
    const Rect all(0, 0, w, h), destAll(0, 0, dw, dh);
    for (auto _ : state) {
        switch (op) {
        case Op::Copy:
        case Op::Blend:
            dest->BlitImage(source.get(), 0, 0, all, Color::White, Zolt::DrawMode::Normal);
            break;
        case Op::Add:
            dest->BlitImage(source.get(), 0, 0, all, Color::White, Zolt::DrawMode::Additive);
            break;
        case Op::Fill:
            dest->FillRectangle(destAll, Color(40, 90, 200, 128), Zolt::DrawMode::Normal);
            break;
        case Op::Stretch2:
        case Op::Stretch05:
            dest->BlitImageStretched(source.get(), destAll, all, destAll, Color::White, Zolt::DrawMode::Normal,
                                     false);
            break;
        case Op::Rotate30:
            dest->BlitImageRotated(source.get(), (dw - w) / 2.0f, (dh - h) / 2.0f, all, destAll, Color::White,
                                   Zolt::DrawMode::Normal, M_PI / 6, w / 2.0f, h / 2.0f);
            break;
        }
        benchmark::DoNotOptimize(dest->GetBits());
        benchmark::ClobberMemory();
    }
}

void Pixman(benchmark::State& state, Op op, Size size)
{
    const int w = size.w, h = size.h;
    int dw, dh;
    DestSize(op, w, h, dw, dh);
    auto sourceImage = op == Op::Copy ? Opaque(w, h, 0x336699) : Sprite(w, h, op == Op::Blend);
    if (op == Op::Add)
        sourceImage = Opaque(w, h, 0x102030);
    auto destImage = Opaque(dw, dh, 0x808080);
    std::vector<uint32_t> src = Premultiplied(*sourceImage);
    std::vector<uint32_t> dst(destImage->RequireBits(), destImage->RequireBits() + static_cast<size_t>(dw) * dh);
    pixman_image_t* s = Wrap(src.data(), w, h);
    pixman_image_t* d = Wrap(dst.data(), dw, dh);
    pixman_transform_t t;
    if (op == Op::Stretch2 || op == Op::Stretch05) {
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(w) / dw), pixman_double_to_fixed(double(h) / dh));
        pixman_image_set_transform(s, &t);
        pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    } else if (op == Op::Rotate30) {
        // Destination to source: move the centre to the origin, turn back,
        // move to the source centre.
        pixman_f_transform_t f;
        pixman_f_transform_init_translate(&f, -dw / 2.0, -dh / 2.0);
        pixman_f_transform_rotate(&f, nullptr, std::cos(M_PI / 6), -std::sin(M_PI / 6));
        pixman_f_transform_translate(&f, nullptr, w / 2.0, h / 2.0);
        pixman_transform_from_pixman_f_transform(&t, &f);
        pixman_image_set_transform(s, &t);
        pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    const pixman_color_t fill = {static_cast<uint16_t>(40 * 128 / 255 * 257), static_cast<uint16_t>(90 * 128 / 255 * 257),
                                 static_cast<uint16_t>(200 * 128 / 255 * 257), 128 * 257};
    const pixman_rectangle16_t rect = {0, 0, static_cast<uint16_t>(dw), static_cast<uint16_t>(dh)};
    for (auto _ : state) {
        switch (op) {
        case Op::Copy: pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h); break;
        case Op::Blend: pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h); break;
        case Op::Add: pixman_image_composite32(PIXMAN_OP_ADD, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h); break;
        case Op::Fill: pixman_image_fill_rectangles(PIXMAN_OP_OVER, d, &fill, 1, &rect); break;
        case Op::Stretch2:
        case Op::Stretch05:
        case Op::Rotate30: pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, dw, dh); break;
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(d);
}

void Memcpy(benchmark::State& state, Op op, Size size)
{
    int dw, dh;
    DestSize(op, size.w, size.h, dw, dh);
    const size_t bytes = static_cast<size_t>(dw) * dh * 4;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

// Keeps each run's time per iteration for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

std::string Key(const char* who, Op op, const Size& size)
{
    return std::string(who) + "/" + OpName(op) + "/" + size.name;
}

} // namespace

int main(int argc, char** argv)
{
    const Op ops[] = {Op::Copy, Op::Blend, Op::Add, Op::Fill, Op::Stretch2, Op::Stretch05, Op::Rotate30};
    for (const Size& size : kSizes)
        for (Op op : ops) {
            benchmark::RegisterBenchmark(Key("ours", op, size).c_str(), Ours, op, size);
            benchmark::RegisterBenchmark(Key("pixman", op, size).c_str(), Pixman, op, size);
            benchmark::RegisterBenchmark(Key("memcpy", op, size).c_str(), Memcpy, op, size);
        }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-18s %-7s %12s %12s %12s %10s %10s\n", "operation", "size", "ours ns", "pixman ns", "memcpy ns",
                "ours/pix", "ours/mem");
    for (const Size& size : kSizes)
        for (Op op : ops) {
            const auto ours = reporter.times.find(Key("ours", op, size));
            const auto pix = reporter.times.find(Key("pixman", op, size));
            const auto mem = reporter.times.find(Key("memcpy", op, size));
            if (ours == reporter.times.end() || pix == reporter.times.end() || mem == reporter.times.end())
                continue;
            std::printf("%-18s %-7s %12.0f %12.0f %12.0f %10.2f %10.2f\n", OpName(op), size.name, ours->second,
                        pix->second, mem->second, ours->second / pix->second, ours->second / mem->second);
        }
    return 0;
}
