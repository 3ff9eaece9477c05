// Scenario builders for the Direct3D path and the capability test: a host
// that records what the path writes to the registry and plays the demo's
// part, a display initialised in 3D mode on the headless machine with a
// stock card, the draw surface read back as 0xAARRGGBB words, and a working
// folder (card lists) and settings folder (registry) of each test's own.
#pragma once

#include "DisplayTestSupport.h"

#include "framework/graphics/D3DHost.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/d3d/D3DTesting.h"
#include "platform/registry/Registry.h"
#include "tests/support/PlatformTesting.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace d3dtest {

class RecordingD3DHost : public Zolt::D3DHost {
public:
    std::string GetRegistryKey() override { return registryKey; }
    void WriteRegistryText(const std::string& valueName, const std::string& text) override
    {
        written[valueName] = text;
    }
    bool IsPlayingDemo() override { return playing; }
    void RelayTestVerdict(std::string& failure, std::string& warning, bool& fresh) override
    {
        ++relays;
        if (playing) {
            failure = recordedFailure;
            warning = recordedWarning;
            fresh = recordedFresh;
        }
    }
    std::string GetSystemDirectory() override { return systemDirectory; }

    std::string registryKey = "PellucorTest";
    std::map<std::string, std::string> written;
    bool playing = false;
    int relays = 0;
    std::string recordedFailure;
    std::string recordedWarning;
    bool recordedFresh = false;
    std::string systemDirectory;
};

// Keeps the test's registry and working folder apart and puts the card back
// to the stock one around each test.
class IsolatedMachine {
public:
    IsolatedMachine()
    {
        savedConfig_ = platform::GetEnvironmentVariable("XDG_CONFIG_HOME");
        platform::SetEnvironmentVariable("XDG_CONFIG_HOME", config_.Path());
        platform::testing::ResetRegistry();
        savedDirectory_ = platform::GetCurrentDirectory();
        platform::SetCurrentDirectory(work_.Path());
        platform::d3d::testing::ResetDevice();
    }
    ~IsolatedMachine()
    {
        platform::SetCurrentDirectory(savedDirectory_);
        platform::testing::ResetRegistry();
        platform::SetEnvironmentVariable("XDG_CONFIG_HOME", savedConfig_);
        platform::d3d::testing::ResetDevice();
    }
    // A file in the working folder (the card lists live there).
    void WriteWorkFile(const std::string& name, const std::string& contents)
    {
        platform::testing::WriteTestFile(work_ / name, contents);
    }
    const std::string& WorkFolder() const { return work_.Path(); }

private:
    platform::testing::ScopedTempFolder config_;
    platform::testing::ScopedTempFolder work_;
    std::optional<std::string> savedConfig_;
    std::string savedDirectory_;
};

class D3DDisplayFixture : public displaytest::DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        machine_ = std::make_unique<IsolatedMachine>();
        SetDesktop(1920, 1080, 32, 60);
    }
    void TearDown() override
    {
        DisplayFixture::TearDown();
        path = nullptr;
        machine_.reset();
    }

    // A display of `width` x `height` drawing through the Direct3D path.
    void Make3DDisplay(int width = 160, int height = 120)
    {
        host.width = width;
        host.height = height;
        auto made = std::make_unique<Zolt::D3DInterface>(&d3dHost);
        path = made.get();
        MakeDisplay(std::move(made));
        ASSERT_TRUE(display->Set3DMode(true));
        ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK) << display->GetLastError();
        ASSERT_TRUE(display->GetScreenImage()->IsScreen3D());
    }

    // The draw surface as 0xAARRGGBB words (alpha 255), the scene closed.
    std::vector<uint32_t> ReadScreen()
    {
        path->FinishScene();
        std::vector<uint32_t> out;
        platform::DirectDrawSurface* surface = display->GetDrawSurface();
        platform::DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT | platform::DDLOCK_READONLY, nullptr)))
            return out;
        out.resize(size_t(desc.dwWidth) * desc.dwHeight);
        for (size_t y = 0; y < desc.dwHeight; ++y) {
            const auto* row = static_cast<const uint8_t*>(desc.lpSurface) + y * size_t(desc.lPitch);
            for (size_t x = 0; x < desc.dwWidth; ++x)
                out[y * desc.dwWidth + x] = 0xFF000000u | (reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF);
        }
        surface->Unlock(nullptr);
        return out;
    }

    // An opaque black memory image of the screen's size, to draw the same
    // scene through the software blitters.
    std::unique_ptr<Zolt::MemoryImage> MakeReference()
    {
        auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
        std::vector<uint32_t> black(size_t(host.width) * size_t(host.height), 0xFF000000u);
        image->AssignBits(black.data(), host.width, host.height, true);
        return image;
    }

    // The largest per-channel difference between the two pictures, and
    // where it is.
    struct Difference {
        int largest = 0;
        int x = -1;
        int y = -1;
    };
    Difference Compare(const std::vector<uint32_t>& a, const uint32_t* b) const
    {
        Difference d;
        for (int y = 0; y < host.height; ++y)
            for (int x = 0; x < host.width; ++x) {
                const uint32_t p = a[size_t(y) * size_t(host.width) + size_t(x)];
                const uint32_t q = b[size_t(y) * size_t(host.width) + size_t(x)];
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int diff = std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF));
                    if (diff > d.largest)
                        d = Difference{diff, x, y};
                }
            }
        return d;
    }

    uint32_t ScreenAt(const std::vector<uint32_t>& screen, int x, int y) const
    {
        return screen[size_t(y) * size_t(host.width) + size_t(x)] & 0xFFFFFF;
    }

    RecordingD3DHost d3dHost;
    Zolt::D3DInterface* path = nullptr;

private:
    std::unique_ptr<IsolatedMachine> machine_;
};

} // namespace d3dtest
