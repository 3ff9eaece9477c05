// Cost of presenting one 1024 x 768 frame in a window: the Blt of the draw
// surface onto the window's area of the primary, which the headless
// presenter converts into its frame in one pass, as the real one converts it
// into the window surface.
// Each case also times a plain memcpy of the same number of bytes in the same
// run and reports the ratio, so that numbers from different machines compare.
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DisplayHost.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DisplayMachine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

class BenchHost : public Zolt::DisplayHost {
public:
    int GetWidth() override { return kWidth; }
    int GetHeight() override { return kHeight; }
    void Log(const std::string&) override {}
};

// Seconds per memcpy of `bytes`, measured over enough copies to be steady.
double MemcpySeconds(size_t bytes)
{
    std::vector<uint8_t> from(bytes, 0x5A);
    std::vector<uint8_t> to(bytes);
    constexpr int kCopies = 200;
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < kCopies; ++i) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
    benchmark::DoNotOptimize(to.data());
    return spent.count() / kCopies;
}

void BM_PresentFrame(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    const bool rgb555 = state.range(1) != 0;
    platform::UseHeadlessBackend(true);
    namespace dd = platform::ddraw::testing;
    dd::ResetDisplay();
    dd::SetDesktop(1280, 1024, depth, 60, rgb555);
    platform::HWND window = dd::CreateWindow(100, 80, kWidth, kHeight);

    BenchHost host;
    Zolt::DDInterface display(&host);
    if (display.Initialize(window, true) != Zolt::DDInterface::RESULT_OK) {
        state.SkipWithError(display.GetLastError().c_str());
        return;
    }
    display.GetScreenImage()->FillRectangle(Zolt::Rect(0, 0, kWidth, kHeight), Zolt::Color(30, 90, 160),
                                            Zolt::DrawMode::Normal);

    const int presentsBefore = dd::PresentCount();
    if (!display.Redraw(nullptr) || dd::PresentCount() == presentsBefore) {
        state.SkipWithError("the frame was not presented");
        return;
    }
    const size_t bytes = size_t(kWidth) * size_t(kHeight) * size_t(depth / 8);
    const double memcpySeconds = MemcpySeconds(bytes);

    int64_t frames = 0;
    const auto begin = std::chrono::steady_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(display.Redraw(nullptr));
        ++frames;
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
    const double perFrame = frames ? spent.count() / double(frames) : 0.0;
    state.SetBytesProcessed(frames * int64_t(bytes));
    state.counters["memcpy_us"] = memcpySeconds * 1e6;
    state.counters["x_memcpy"] = memcpySeconds > 0 ? perFrame / memcpySeconds : 0.0;
    dd::ResetDisplay();
}
// 16 bits as 5-6-5 and as 5-5-5 (the two layouts the display offers), then 32.
BENCHMARK(BM_PresentFrame)
    ->ArgNames({"depth", "rgb555"})
    ->Args({16, 0})
    ->Args({16, 1})
    ->Args({32, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace
