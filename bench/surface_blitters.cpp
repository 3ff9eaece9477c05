// The hot surface blits in 565 and 32-bit layouts, on a 1024 x 768 screen and
// on a 72 x 96 card, each against memcpy of the bytes it writes (w x h x bytes
// per pixel) in the same run. Surfaces have padded rows, as real ones do.
// The table at the end gives each blit's time over memcpy's.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/SurfaceBlit.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Zolt::Color;
using Zolt::Rect;
using Zolt::SurfaceFormat;
namespace SB = Zolt::SurfaceBlit;

struct Size {
    const char* name;
    int w, h;
};
constexpr Size kSizes[] = {{"screen", 1024, 768}, {"card", 72, 96}};

struct Layout {
    const char* name;
    SurfaceFormat format;
};
const Layout kLayouts[] = {{"565", SurfaceFormat::FromMasks(16, 0xF800, 0x07E0, 0x001F)},
                           {"32", SurfaceFormat::FromMasks(32, 0xFF0000, 0xFF00, 0xFF)}};

enum class Op { OpaqueCopy, KeyedCopy, RunBlit, Fill, Additive, Rotate };
constexpr Op kOps[] = {Op::OpaqueCopy, Op::KeyedCopy, Op::RunBlit, Op::Fill, Op::Additive, Op::Rotate};

const char* OpName(Op op)
{
    switch (op) {
    case Op::OpaqueCopy: return "opaque copy";
    case Op::KeyedCopy: return "keyed copy";
    case Op::RunBlit: return "translucent runs";
    case Op::Fill: return "translucent fill";
    case Op::Additive: return "additive";
    case Op::Rotate: return "rotate 30";
    }
    return "?";
}

// Pixels of a game image: the card's rounded corners and border are
// transparent, a few pixels translucent, colours varying.
std::unique_ptr<Zolt::MemoryImage> Sprite(int w, int h, Op op)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            uint32_t a = 255;
            const bool edge = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
            if (op == Op::KeyedCopy)
                a = edge || (x / 8 + y / 8) % 5 == 0 ? 0 : 255;
            else if (op == Op::RunBlit || op == Op::Additive)
                a = edge ? 0 : ((x + y) % 17 == 0 ? 128 : 255);
            const uint32_t rgb = a == 0 ? 0 : (seed >> 8) & 0xFFFFFF;
            px[static_cast<size_t>(y) * w + x] = (a << 24) | rgb;
        }
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    image->AssignBits(px.data(), w, h, true);
    return image;
}

struct Surface {
    Surface(const SurfaceFormat& f, int w, int h)
    {
        const int bytes = f.BytesPerPixel();
        view.pitch = (w + 8) * bytes; // padded rows
        memory.assign(static_cast<size_t>(view.pitch) * h + 64, 0x5A);
        view.pixels = memory.data();
        view.width = w;
        view.height = h;
        view.format = f;
    }
    std::vector<uint8_t> memory;
    Zolt::SurfaceView view;
};

void Blit(benchmark::State& state, Op op, Layout layout, Size size)
{
    Surface surface(layout.format, size.w, size.h);
    Zolt::NativeDisplay display;
    display.SetFormat(layout.format.bitsPerPixel, layout.format.masks[0], layout.format.masks[1],
                      layout.format.masks[2]);
    Zolt::SaturationTableSet tables(layout.format);
    auto sprite = Sprite(size.w, size.h, op);
    // The caches are built once per change of an image, not per blit.
    const Zolt::SourcePixels native{sprite->RequireNativeAlpha(&display), nullptr, size.w, size.h};
    const uint8_t* alphaRuns = sprite->RequireRLAlpha();
    const uint8_t* additiveRuns = sprite->RequireRLAdditive(&display);
    const Zolt::SourcePixels argb{sprite->RequireBits(), nullptr, size.w, size.h};
    const Rect whole(0, 0, size.w, size.h);
    for (auto _ : state) {
        switch (op) {
        case Op::OpaqueCopy: SB::CopyNative(surface.view, native, false, 0, 0, whole); break;
        case Op::KeyedCopy: SB::CopyNative(surface.view, native, true, 0, 0, whole); break;
        case Op::RunBlit: SB::BlendRuns(surface.view, native, alphaRuns, 0, 0, whole, Color::White, false); break;
        case Op::Fill: SB::FillNormal(surface.view, whole, Color(40, 120, 200, 128)); break;
        case Op::Additive:
            SB::AddRuns(surface.view, tables.View(), native, additiveRuns, 0, 0, whole, Color::White, false);
            break;
        case Op::Rotate:
            SB::Rotate(surface.view, tables.View(), argb, 0.0f, 0.0f, whole, whole, Color::White, 0, 0.5235987755983,
                       size.w / 2.0f, size.h / 2.0f, true);
            break;
        }
        benchmark::DoNotOptimize(surface.memory.data());
        benchmark::ClobberMemory();
    }
}

void Memcpy(benchmark::State& state, Layout layout, Size size)
{
    const size_t bytes = static_cast<size_t>(size.w) * size.h * static_cast<size_t>(layout.format.BytesPerPixel());
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

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

std::string Key(const std::string& what, const Layout& layout, const Size& size)
{
    return what + "/" + layout.name + "/" + size.name;
}

} // namespace

int main(int argc, char** argv)
{
    for (const Size& size : kSizes)
        for (const Layout& layout : kLayouts) {
            benchmark::RegisterBenchmark(Key("memcpy", layout, size).c_str(), Memcpy, layout, size);
            for (Op op : kOps)
                benchmark::RegisterBenchmark(Key(OpName(op), layout, size).c_str(), Blit, op, layout, size);
        }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-18s %-6s %-7s %12s %12s %10s\n", "operation", "layout", "size", "blit ns", "memcpy ns",
                "blit/mem");
    for (const Size& size : kSizes)
        for (const Layout& layout : kLayouts) {
            const auto mem = reporter.times.find(Key("memcpy", layout, size));
            for (Op op : kOps) {
                const auto blit = reporter.times.find(Key(OpName(op), layout, size));
                if (blit == reporter.times.end() || mem == reporter.times.end())
                    continue;
                std::printf("%-18s %-6s %-7s %12.0f %12.0f %10.2f\n", OpName(op), layout.name, size.name,
                            blit->second, mem->second, blit->second / mem->second);
            }
        }
    return 0;
}
