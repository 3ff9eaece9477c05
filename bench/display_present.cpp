// Cost of presenting one 1024 x 768 frame in a window: the Blt of the draw
// surface onto the window's area of the primary, which the headless
// presenter converts into its frame in one pass, as the real one converts it
// into the window surface.
// Each case also times a plain memcpy of the frame's bytes, one before every
// present, and reports the ratio, so that numbers from different machines
// compare.
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

// A plain copy of the frame's bytes between two buffers kept for the run:
// the reference each present is held against.
class FrameCopy {
public:
    explicit FrameCopy(size_t bytes) : from_(bytes, 0x5A), to_(bytes) {}

    // Seconds one copy took.
    double Time()
    {
        const auto begin = std::chrono::steady_clock::now();
        std::memcpy(to_.data(), from_.data(), from_.size());
        benchmark::ClobberMemory();
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
        benchmark::DoNotOptimize(to_.data());
        return spent.count();
    }

private:
    std::vector<uint8_t> from_;
    std::vector<uint8_t> to_;
};

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
    FrameCopy copy(bytes);
    copy.Time();

    // Each frame is presented right after one copy, on the same clock, so
    // that both run under the same load and from the same state of the
    // caches; the ratio is of the two sums.
    int64_t frames = 0;
    double presentSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        copySeconds += copy.Time();
        const auto begin = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(display.Redraw(nullptr));
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
        presentSeconds += spent.count();
        state.SetIterationTime(spent.count());
        ++frames;
    }
    state.SetBytesProcessed(frames * int64_t(bytes));
    state.counters["memcpy_us"] = frames ? copySeconds / double(frames) * 1e6 : 0.0;
    state.counters["x_memcpy"] = copySeconds > 0 ? presentSeconds / copySeconds : 0.0;
    dd::ResetDisplay();
}
// 16 bits as 5-6-5 and as 5-5-5 (the two layouts the display offers), then 32.
BENCHMARK(BM_PresentFrame)
    ->ArgNames({"depth", "rgb555"})
    ->Args({16, 0})
    ->Args({16, 1})
    ->Args({32, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
