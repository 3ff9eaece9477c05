// What one frame of the display costs on the headless machine: the draw
// surface copied to the primary and presented (converted to ARGB), windowed
// and full screen, in the two desktop depths the program accepts.
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DirectDraw.h"

#include <benchmark/benchmark.h>

#include <cstring>

using namespace platform;
namespace hooks = platform::ddraw::testing;

namespace {

DDSURFACEDESC2 Desc(DWORD flags, DWORD caps, int width, int height)
{
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = flags;
    d.ddsCaps.dwCaps = caps;
    d.dwWidth = DWORD(width);
    d.dwHeight = DWORD(height);
    return d;
}

void WindowedFrame(benchmark::State& state)
{
    platform::UseHeadlessBackend(true);
    hooks::ResetDisplay();
    hooks::SetDesktop(1920, 1080, int(state.range(0)), 60);
    HWND window = hooks::CreateWindow(200, 100, 1024, 768);
    DirectDraw* dd = DirectDraw::Create();
    dd->SetCooperativeLevel(window, DDSCL_NORMAL);
    DDSURFACEDESC2 p = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE, 0, 0);
    DirectDrawSurface* primary = nullptr;
    dd->CreateSurface(&p, &primary, nullptr);
    DirectDrawClipper* clipper = nullptr;
    dd->CreateClipper(0, &clipper, nullptr);
    clipper->SetHWnd(0, window);
    primary->SetClipper(clipper);
    clipper->Release();
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 1024, 768);
    DirectDrawSurface* draw = nullptr;
    dd->CreateSurface(&d, &draw, nullptr);
    RECT to{200, 100, 1224, 868};
    for (auto _ : state) benchmark::DoNotOptimize(primary->Blt(&to, draw, nullptr, DDBLT_WAIT, nullptr));
    draw->Release();
    primary->Release();
    dd->Release();
    hooks::ResetDisplay();
}
BENCHMARK(WindowedFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void FullScreenFlip(benchmark::State& state)
{
    platform::UseHeadlessBackend(true);
    hooks::ResetDisplay();
    HWND window = hooks::CreateWindow(0, 0, 1024, 768);
    DirectDraw* dd = DirectDraw::Create();
    dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    dd->SetDisplayMode(1024, 768, DWORD(state.range(0)));
    DDSURFACEDESC2 p = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX, 0, 0);
    p.dwBackBufferCount = 1;
    DirectDrawSurface* primary = nullptr;
    dd->CreateSurface(&p, &primary, nullptr);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    DirectDrawSurface* back = nullptr;
    primary->GetAttachedSurface(&caps, &back);
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 1024, 768);
    DirectDrawSurface* draw = nullptr;
    dd->CreateSurface(&d, &draw, nullptr);
    for (auto _ : state) {
        back->Blt(nullptr, draw, nullptr, DDBLT_WAIT, nullptr);
        benchmark::DoNotOptimize(primary->Flip(nullptr, DDFLIP_WAIT));
    }
    draw->Release();
    back->Release();
    primary->Release();
    dd->Release();
    hooks::ResetDisplay();
}
BENCHMARK(FullScreenFlip)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

} // namespace
