// Cost of showing one 1024 x 768 frame in full screen against showing it in
// a window, through the real presenter (SDL's window surfaces, under its
// dummy video driver so that no X server is needed): windowed the frame is
// converted straight into the window surface; in full screen it is
// converted once and scaled into a monitor-sized window surface with black
// bars. Each iteration shows one frame both ways, on the same clock, and the
// benchmark reports the ratio of the two sums (x_windowed).
#include "platform/ddraw/DisplayPresenter.h"
#include "platform/ddraw/PixelLayout.h"
#include "platform/ddraw/SdlPresenter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

double Seconds(const std::chrono::steady_clock::time_point& begin)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void BM_FullScreenAgainstWindowed(benchmark::State& state)
{
    const int monitorWidth = static_cast<int>(state.range(0));
    const int monitorHeight = static_cast<int>(state.range(1));
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
        // Each presenter makes a window of its size on first use.
        platform::ddraw::SdlPresenter windowed(nullptr, kWidth, kHeight);
        platform::ddraw::SdlPresenter fullScreen(nullptr, monitorWidth, monitorHeight);
        if (!windowed.IsReady() || !fullScreen.IsReady()) {
            state.SkipWithError("SDL video did not start");
            return;
        }
        // A draw surface's pixels in the common 32-bit desktop format.
        const int pitch = kWidth * 4 + 64;
        std::vector<uint8_t> pixels(size_t(pitch) * kHeight);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i * 2654435761u >> 13);
        const platform::ddraw::SurfaceView view{pixels.data(), kWidth, kHeight, pitch,
                                                platform::ddraw::PixelLayout::Xrgb8888(), nullptr};
        const platform::RECT whole{0, 0, kWidth, kHeight};

        double windowedSeconds = 0;
        double fullSeconds = 0;
        int64_t frames = 0;
        for (auto _ : state) {
            auto begin = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(windowed.PresentDirect(nullptr, view, whole, whole));
            windowedSeconds += Seconds(begin);
            begin = std::chrono::steady_clock::now();
            fullScreen.Present(nullptr, view, whole, true);
            const double spent = Seconds(begin);
            fullSeconds += spent;
            state.SetIterationTime(spent);
            ++frames;
        }
        state.counters["windowed_us"] = frames ? windowedSeconds / double(frames) * 1e6 : 0.0;
        state.counters["x_windowed"] = windowedSeconds > 0 ? fullSeconds / windowedSeconds : 0.0;
    }
}
BENCHMARK(BM_FullScreenAgainstWindowed)
    ->ArgNames({"width", "height"})
    ->Args({1024, 768})
    ->Args({1280, 1024})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
