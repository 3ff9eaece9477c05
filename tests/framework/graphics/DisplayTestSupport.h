// Scenario builders for the display tests: an application stand-in with the
// switches the display reads, a 3D path that only records, a presenter that
// places the window and watches every present, and a fixture that puts the
// display machine back to its defaults around each test.
#pragma once

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/DisplayHost.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DisplayMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace displaytest {

using platform::ddraw::DisplayMachine;
using platform::ddraw::DisplayMode;

inline platform::HWND TestWindow() { return reinterpret_cast<platform::HWND>(0x5EED); }

class TestHost : public Zolt::DisplayHost {
public:
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }
    int GetFullScreenDepth() override { return depth; }
    bool IsAspectForced() override { return aspectForced; }
    Zolt::Fraction GetForcedAspect() override { return forcedAspect; }
    bool IsStretchToFill() override { return stretch; }
    void SetVSyncUnreliable(bool unreliable) override { vsyncUnreliable = unreliable; }
    void SetPresentationRect(const Zolt::Rect& rect) override { presentation = rect; }
    bool GetClientOrigin(platform::HWND, Zolt::Point& origin) override
    {
        origin = clientOrigin;
        return true;
    }
    void Log(const std::string&) override {}

    int width = 320;
    int height = 240;
    int depth = 16;
    bool aspectForced = false;
    Zolt::Fraction forcedAspect{16, 10};
    bool stretch = false;
    bool vsyncUnreliable = false;
    Zolt::Rect presentation;
    Zolt::Point clientOrigin{40, 30};
};

// A 3D path that accepts everything and draws nothing.
class Null3DPath : public Zolt::Display3DPath {
public:
    TestResult RunCapabilityTest(platform::HWND, platform::DirectDraw*, int, int) override { return {}; }
    bool Initialize(Zolt::DDInterface*) override { return initializes; }
    void Cleanup() override {}
    const std::string& GetLastError() const override { return error; }
    bool HasRuntimeError() const override { return false; }
    void FinishScene() override {}
    void ReleaseImageTextures(Zolt::MemoryImage*) override {}
    bool IsTransformStackEmpty() const override { return true; }
    bool FillPolygon(const Zolt::Point*, int, const Zolt::Rect&, const Zolt::Color&, int, int, int, bool) override
    {
        return true;
    }
    void FillRect(const Zolt::Rect&, const Zolt::Color&, int) override {}
    void DrawLine(double, double, double, double, const Zolt::Color&, int) override {}
    void BlitAt(Zolt::Image*, float, float, const Zolt::Rect&, const Zolt::Color&, int, bool) override {}
    void BlitTranslated(Zolt::Image*, float, float, const Zolt::Rect&, const Zolt::Rect&, const Zolt::Color&,
                        int) override
    {
    }
    void BlitMirrored(Zolt::Image*, float, float, const Zolt::Rect&, const Zolt::Color&, int, bool) override {}
    void BlitTransformed(Zolt::Image*, float, float, const float*, const Zolt::Rect&, const Zolt::Color&, int,
                         const Zolt::Rect&, bool) override
    {
    }
    void DrawTexturedTriangles(Zolt::Image*, const Zolt::TriVertex (*)[3], int, const Zolt::Rect&,
                               const Zolt::Color&, int, float, float, bool) override
    {
    }

    bool initializes = true;
    std::string error = "no device";
};

// Places every window's client area at a fixed spot of the desktop and
// hands each present to a callback.
class WatchingPresenter : public platform::ddraw::DisplayPresenter {
public:
    explicit WatchingPresenter(platform::RECT client) : client_(client) {}
    bool GetClientArea(platform::HWND, platform::RECT& area) override
    {
        area = client_;
        return true;
    }
    void SetFullScreen(platform::HWND, bool, int, int) override {}
    void Present(platform::HWND, const platform::ddraw::SurfaceView& primary, const platform::RECT&, bool) override
    {
        if (onPresent)
            onPresent(primary);
    }

    std::function<void(const platform::ddraw::SurfaceView&)> onPresent;

private:
    platform::RECT client_;
};

class DisplayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UseHeadlessBackend(true);
        platform::ddraw::testing::ResetDisplay();
        platform::testing::ClearFailures();
        platform::testing::ClearModuleHiding();
        // Every window's client area at (40, 30), large enough for any test.
        DisplayMachine::Instance().InstallPresenter(
            std::make_unique<WatchingPresenter>(platform::RECT{40, 30, 1880, 1050}));
    }
    void TearDown() override
    {
        display.reset();
        platform::ddraw::testing::ResetDisplay();
        platform::testing::ClearFailures();
        platform::testing::ClearModuleHiding();
    }

    static void SetDesktop(int width, int height, int depth, int refresh, bool bgr32 = false)
    {
        platform::ddraw::testing::SetDesktop(width, height, depth, refresh, false, bgr32);
    }
    static void FailNext(const char* operation, platform::HRESULT result)
    {
        platform::ddraw::testing::FailNext(operation, result, 1);
    }

    Zolt::DDInterface& MakeDisplay(std::unique_ptr<Zolt::Display3DPath> path3D = nullptr)
    {
        display = std::make_unique<Zolt::DDInterface>(&host, std::move(path3D));
        return *display;
    }
    int InitWindowed() { return display->Initialize(TestWindow(), true); }

    // The pixel of a surface as 0xRRGGBB.
    static uint32_t PixelAt(platform::DirectDrawSurface* surface, int x, int y)
    {
        platform::DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT | platform::DDLOCK_READONLY, nullptr)))
            return 0xDEADBEEF;
        const auto* row = static_cast<const uint8_t*>(desc.lpSurface) + size_t(y) * size_t(desc.lPitch);
        const uint32_t raw = desc.ddpfPixelFormat.dwRGBBitCount == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                                       : reinterpret_cast<const uint32_t*>(row)[x];
        surface->Unlock(nullptr);
        if (desc.ddpfPixelFormat.dwRGBBitCount == 16) {
            const SurfaceFormat f(desc.ddpfPixelFormat);
            return f.ToRgb(raw);
        }
        return raw & 0xFFFFFF;
    }

    struct SurfaceFormat {
        explicit SurfaceFormat(const platform::DDPIXELFORMAT& pf) : green(pf.dwGBitMask) {}
        uint32_t ToRgb(uint32_t v) const
        {
            if (green == 0x07E0)
                return ((v >> 11 & 31) << 19) | ((v >> 5 & 63) << 10) | ((v & 31) << 3);
            return ((v >> 10 & 31) << 19) | ((v >> 5 & 31) << 11) | ((v & 31) << 3);
        }
        uint32_t green;
    };

    TestHost host;
    std::unique_ptr<Zolt::DDInterface> display;
};

// A memory image of one colour, or of the given pixels.
inline std::unique_ptr<Zolt::DDImage> MakeImage(Zolt::DDInterface* display, int width, int height,
                                                const std::vector<uint32_t>& pixels)
{
    auto image = std::make_unique<Zolt::DDImage>(display);
    image->AssignBits(pixels.data(), width, height, true);
    return image;
}

inline std::unique_ptr<Zolt::DDImage> MakeSolid(Zolt::DDInterface* display, int width, int height, uint32_t argb)
{
    return MakeImage(display, width, height, std::vector<uint32_t>(size_t(width) * size_t(height), argb));
}

} // namespace displaytest
