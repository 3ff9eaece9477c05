// displaydemo: opens the display in a window and shows a test scene composed
// in the screen image (a gradient backdrop, colour-keyed sprites moving on
// their own paths, a translucent glow, bars, lines and an additive fill)
// with the software cursor circling over it.
//
//   displaydemo [--seconds N | --frames N] [--depth 16|32] [--png FILE] [--headless]
//
// --png saves the last presented frame (the window's part of the primary).
// Runs on the main thread only; the cursor is moved from the frame loop.
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DisplayHost.h"
#include "framework/graphics/Graphics.h"
#include "imagelib/ImageLib.h"
#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/SdlPresenter.h"
#include "tools/CommandLineHelp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Zolt::Color;
using Zolt::DDImage;
using Zolt::Rect;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

class DemoHost : public Zolt::DisplayHost {
public:
    int GetWidth() override { return kWidth; }
    int GetHeight() override { return kHeight; }
    void Log(const std::string& line) override { std::fputs(line.c_str(), stdout); }
};

struct Options {
    int seconds = 5;
    int frames = 0;
    int depth = 32;
    std::string png;
    bool headless = false;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seconds" && hasValue)
            options.seconds = std::atoi(argv[++i]);
        else if (arg == "--frames" && hasValue)
            options.frames = std::atoi(argv[++i]);
        else if (arg == "--depth" && hasValue)
            options.depth = std::atoi(argv[++i]);
        else if (arg == "--png" && hasValue)
            options.png = argv[++i];
        else if (arg == "--headless")
            options.headless = true;
        else
            return false;
    }
    return options.depth == 16 || options.depth == 32;
}

std::unique_ptr<DDImage> MakeImage(Zolt::DDInterface& display, int width, int height,
                                   uint32_t (*pixel)(int x, int y, int w, int h))
{
    std::vector<uint32_t> bits(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[size_t(y) * size_t(width) + size_t(x)] = pixel(x, y, width, height);
    auto image = std::make_unique<DDImage>(&display);
    image->AssignBits(bits.data(), width, height, true);
    return image;
}

uint32_t Backdrop(int x, int y, int w, int h)
{
    const uint32_t r = uint32_t(40 + 80 * x / w);
    const uint32_t g = uint32_t(30 + 60 * y / h);
    const uint32_t b = uint32_t(90 + 100 * (x + y) / (w + h));
    const bool grid = x % 64 == 0 || y % 64 == 0;
    return 0xFF000000u | ((grid ? r + 40 : r) << 16) | ((grid ? g + 40 : g) << 8) | (grid ? b + 40 : b);
}

// A ball with a darker rim and a highlight; outside the circle transparent.
template <uint32_t Rgb>
uint32_t Ball(int x, int y, int w, int h)
{
    const double dx = x + 0.5 - w / 2.0;
    const double dy = y + 0.5 - h / 2.0;
    const double d = std::sqrt(dx * dx + dy * dy) / (w / 2.0);
    if (d > 1.0)
        return 0;
    const double light = d > 0.85 ? 0.55 : (std::hypot(dx + w / 6.0, dy + h / 6.0) < w / 8.0 ? 1.6 : 1.0);
    auto channel = [&](int shift) {
        return uint32_t(std::min(255.0, ((Rgb >> shift) & 0xFF) * light)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

uint32_t Glow(int x, int y, int w, int h)
{
    const double dx = x + 0.5 - w / 2.0;
    const double dy = y + 0.5 - h / 2.0;
    const double d = std::sqrt(dx * dx + dy * dy) / (w / 2.0);
    const uint32_t a = d >= 1.0 ? 0 : uint32_t(200 * (1.0 - d));
    return (a << 24) | 0xFFFFA0u;
}

uint32_t Arrow(int x, int y, int, int)
{
    // An arrow pointing up-left, white with a black edge.
    if (y > 20 || x > y || (y > 14 && x > 20 - y))
        return 0;
    const bool edge = x == 0 || x == y || y == 20 || (y > 14 && x == 20 - y);
    return edge ? 0xFF000000u : 0xFFFFFFFFu;
}

bool SavePresentedFrame(Zolt::DDInterface& display, Zolt::DisplayHost& host, platform::HWND window,
                        const std::string& file)
{
    platform::DirectDrawSurface* primary = display.GetPrimarySurface();
    if (!primary)
        return false;
    Zolt::Point origin;
    if (!host.GetClientOrigin(window, origin))
        origin = Zolt::Point{};
    platform::DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    if (platform::FAILED(primary->Lock(nullptr, &desc, platform::DDLOCK_WAIT | platform::DDLOCK_READONLY, nullptr)))
        return false;
    const uint32_t masks[3] = {desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                               desc.ddpfPixelFormat.dwBBitMask};
    ImageLib::Image picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const int sy = y + origin.y;
        for (int x = 0; x < kWidth; ++x) {
            const int sx = x + origin.x;
            uint32_t argb = 0xFF000000u;
            if (sx >= 0 && sy >= 0 && sx < int(desc.dwWidth) && sy < int(desc.dwHeight)) {
                const auto* row = static_cast<const uint8_t*>(desc.lpSurface) + size_t(sy) * size_t(desc.lPitch);
                const uint32_t v = desc.ddpfPixelFormat.dwRGBBitCount == 16
                                       ? reinterpret_cast<const uint16_t*>(row)[sx]
                                       : reinterpret_cast<const uint32_t*>(row)[sx];
                for (int c = 0; c < 3; ++c) {
                    const uint32_t mask = masks[c];
                    const uint32_t low = mask & (~mask + 1);
                    const uint32_t value = (v & mask) / low;
                    const uint32_t top = mask / low;
                    argb |= (value * 255 / top) << (16 - 8 * c);
                }
            }
            picture.GetBits()[size_t(y) * kWidth + x] = argb;
        }
    }
    primary->Unlock(nullptr);
    return ImageLib::SavePngFile(file, &picture);
}

} // namespace

int main(int argc, char** argv)
{
    constexpr const char* kUsage =
        "usage: displaydemo [--seconds N | --frames N] [--depth 16|32] [--png FILE] [--headless]";
    if (tools::AnswerHelp(argc, argv, kUsage))
        return 0;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    platform::UseHeadlessBackend(options.headless);
    if (!options.headless && !platform::ddraw::SdlPresenter::Install(nullptr, kWidth, kHeight)) {
        std::fprintf(stderr, "no window could be opened (try --headless)\n");
        return 1;
    }

    // The window shows the desktop's part under it, so the desktop's depth
    // is the depth the scene is drawn in.
    const auto desktop = platform::ddraw::DisplayMachine::Instance().Desktop();
    if (desktop.depth != options.depth)
        platform::ddraw::testing::SetDesktop(desktop.width, desktop.height, options.depth, desktop.refresh);

    DemoHost host;
    Zolt::DDInterface display(&host);
    // The SDL presenter makes its own window and takes any handle for it;
    // without a screen a pretend window of the display service stands in.
    platform::HWND window = options.headless ? platform::ddraw::testing::CreateWindow(0, 0, kWidth, kHeight)
                                             : reinterpret_cast<platform::HWND>(uintptr_t(1));
    const int result = display.Initialize(window, true);
    if (result != Zolt::DDInterface::RESULT_OK) {
        std::fprintf(stderr, "display: %s (%s)\n", Zolt::DDInterface::ResultName(result).c_str(),
                     display.GetLastError().c_str());
        return 1;
    }
    std::printf("display: %d-bit, %d Hz\n", display.colorDepth, display.GetRefreshRate());

    auto backdrop = MakeImage(display, kWidth, kHeight, Backdrop);
    backdrop->BuildSurface();
    std::vector<std::unique_ptr<DDImage>> balls;
    balls.push_back(MakeImage(display, 64, 64, Ball<0xE03030>));
    balls.push_back(MakeImage(display, 96, 96, Ball<0x30C040>));
    balls.push_back(MakeImage(display, 48, 48, Ball<0x3060E0>));
    balls.push_back(MakeImage(display, 80, 80, Ball<0xE0C030>));
    for (auto& ball : balls)
        ball->BuildSurface(); // keyed: the corners are transparent
    auto glow = MakeImage(display, 160, 160, Glow);
    auto arrow = MakeImage(display, 21, 21, Arrow);
    display.SetCursorImage(arrow.get());

    DDImage* screen = display.GetScreenImage();
    const uint32_t start = platform::timeGetTime();
    int frame = 0;
    for (;; ++frame) {
        const uint32_t elapsed = platform::timeGetTime() - start;
        if (options.frames > 0 ? frame >= options.frames : elapsed >= uint32_t(options.seconds) * 1000u)
            break;
        const double t = options.frames > 0 ? frame / 60.0 : elapsed / 1000.0;

        Zolt::Graphics g(screen);
        g.PaintImage(backdrop.get(), 0, 0);
        for (int i = 0; i < 8; ++i) {
            g.SetColor(Color(40 + 25 * i, 200 - 20 * i, 120, 255));
            g.FillRectangle(40 + 120 * i, 690, 100, 40 + int(20 * std::sin(t * 2 + i)));
        }
        g.SetColor(Color(255, 255, 255));
        for (int i = 0; i < 12; ++i) {
            const double a = t * 0.7 + i * 0.5236;
            g.DrawLineSegment(512, 340, 512 + int(260 * std::cos(a)), 340 + int(260 * std::sin(a)));
        }
        g.SetDrawMode(Zolt::DrawMode::Additive);
        g.SetColor(Color(60, 20, 0));
        g.FillRectangle(60, 60, 300, 160);
        g.SetDrawMode(Zolt::DrawMode::Normal);
        g.PaintImage(glow.get(), 432 + int(300 * std::sin(t * 0.9)), 260 + int(120 * std::cos(t * 1.3)));
        for (size_t i = 0; i < balls.size(); ++i) {
            const double p = t * (0.8 + 0.3 * double(i)) + double(i) * 1.7;
            const int x = 480 + int(400 * std::sin(p)) - balls[i]->GetWidth() / 2;
            const int y = 360 + int(260 * std::sin(p * 1.37 + double(i))) - balls[i]->GetHeight() / 2;
            g.PaintImage(balls[i].get(), x, y);
        }
        display.MoveSoftwareCursor(512 + int(200 * std::cos(t * 1.5)), 384 + int(200 * std::sin(t * 1.5)));
        if (!display.Redraw(nullptr)) {
            std::fprintf(stderr, "present failed: %s\n", display.GetLastError().c_str());
            return 1;
        }
        platform::Sleep(16);
    }
    std::printf("presented %d frames\n", frame);
    if (!options.png.empty()) {
        if (!SavePresentedFrame(display, host, window, options.png)) {
            std::fprintf(stderr, "could not save %s\n", options.png.c_str());
            return 1;
        }
        std::printf("saved %s\n", options.png.c_str());
    }
    return 0;
}
