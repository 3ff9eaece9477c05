// Scenario builders shared by the display service's tests: a fresh headless
// machine, DirectDraw objects and surfaces held by references that release
// themselves, and pixel access through real locks.
#pragma once

#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DirectDraw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace ddtest {

using namespace platform;
namespace hooks = platform::ddraw::testing;

struct Releaser {
    void operator()(IUnknown* object) const
    {
        if (object) object->Release();
    }
};
template <class T> using Ref = std::unique_ptr<T, Releaser>;

inline DDSURFACEDESC2 Desc(DWORD flags, DWORD caps, int width = 0, int height = 0)
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

inline DDBLTFX Fx()
{
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    return fx;
}

class DisplayScenario : public ::testing::Test {
protected:
    void SetUp() override { hooks::ResetDisplay(); }
    void TearDown() override { hooks::ResetDisplay(); }

    Ref<DirectDraw> MakeDirectDraw(HWND window = nullptr, DWORD level = DDSCL_NORMAL)
    {
        void* raw = nullptr;
        EXPECT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr), DD_OK);
        Ref<DirectDraw> dd(static_cast<DirectDraw*>(raw));
        EXPECT_EQ(dd->SetCooperativeLevel(window, level), DD_OK);
        return dd;
    }

    Ref<DirectDrawSurface> MakeSurface(DirectDraw& dd, int width, int height,
                                       DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY)
    {
        DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, caps, width, height);
        DirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd.CreateSurface(&d, &s, nullptr), DD_OK);
        return Ref<DirectDrawSurface>(s);
    }

    Ref<DirectDrawSurface> MakePrimary(DirectDraw& dd)
    {
        DDSURFACEDESC2 d = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
        DirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd.CreateSurface(&d, &s, nullptr), DD_OK);
        return Ref<DirectDrawSurface>(s);
    }

    static uint32_t Read(DirectDrawSurface& s, int x, int y)
    {
        DDSURFACEDESC2 d = Desc(0, 0);
        if (s.Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return 0xDEADBEEF;
        int bytes = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        auto* p = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes;
        uint32_t v = 0;
        std::memcpy(&v, p, size_t(bytes));
        s.Unlock(nullptr);
        return v;
    }

    static void Write(DirectDrawSurface& s, int x, int y, uint32_t v)
    {
        DDSURFACEDESC2 d = Desc(0, 0);
        ASSERT_EQ(s.Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
        int bytes = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, &v, size_t(bytes));
        s.Unlock(nullptr);
    }

    static void Fill(DirectDrawSurface& s, uint32_t v)
    {
        DDBLTFX fx = Fx();
        fx.dwFillColor = v;
        ASSERT_EQ(s.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    }
};

} // namespace ddtest
