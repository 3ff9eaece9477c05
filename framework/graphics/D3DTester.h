// The 3D capability test: whether Direct3D drawing can be trusted on this
// machine. It identifies the display adapter, checks the video memory,
// consults the card lists ("vhwb.dat" refused, "vhw.dat" accepted) and the
// driver's age, makes a small device of its own, draws five test pictures
// with the blend modes the program uses, reads them back and compares them
// with the expected colours. The verdict (a failure reason, a warning, or
// neither) is cached under the application's key in "Test3D" and reused
// while the adapter and the memory thresholds stay the same; it passes the
// demo relay so that a played-back demo sees the recorded verdict.
//
// Threads: the main thread, during the display's initialisation (under the
// display's lock). Everything it makes is released at the end of Run.
#pragma once

#include "platform/d3d/D3DTypes.h"
#include "platform/registry/Registry.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace platform {
class Direct3D;
class Direct3DDevice;
class DirectDraw;
class DirectDrawSurface;
} // namespace platform

namespace Zolt {

class D3DHost;

// An ARGB picture in memory (row stride = width), read back from a surface.
class D3DTestImage {
public:
    void Create(int width, int height);
    void Free();
    void FillRect(int x, int y, int width, int height, uint32_t colour);
    // Odd columns white, even columns black.
    void FillStripes();
    // Copies a locked 16- or 32-bit surface (each channel's top bit moved to
    // the top of its byte; alpha 255). False for another depth.
    bool CopyFrom(const platform::DDSURFACEDESC2& locked);
    // Pixels of the top-left size x size square whose squared RGB distance
    // from `expected` exceeds 768; `uniform` tells whether all are equal.
    int CountWrong(uint32_t expected, int size, bool& uniform) const;
    // The same against the stripe pattern.
    int CountWrongStripes(int size) const;

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }

    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

class D3DTester {
public:
    // What the test's steps throw; its text becomes the failure reason.
    class TestException : public std::exception {
    public:
        explicit TestException(std::string text) : text_(std::move(text)) {}
        const char* what() const noexcept override { return text_.c_str(); }
        const std::string& Text() const { return text_; }

    private:
        std::string text_;
    };

    static constexpr uint32_t kCacheVersion = 2;

    // `host` may be null: no cache key, no demo.
    explicit D3DTester(D3DHost* host = nullptr);
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void SetMemoryThresholds(int minMB, int recommendedMB);
    void SetUseCache(bool useCache) { useCache_ = useCache; }

    // The whole test; the texts and the fresh flag are read afterwards.
    void Run(platform::HWND window, platform::DirectDraw* display);
    // Identification and set-up; true when the picture tests are to run.
    bool RunFullTest(platform::HWND window, platform::DirectDraw* display);
    // The five picture tests in order; stops at the first that fails.
    bool RunBlendTests();
    // True when the cache holds a matching verdict without failure.
    bool ReadCachedResult();
    void SaveResult();
    bool IsCardSupported(const std::string& description);
    void Cleanup();

    bool Fail(const std::string& text);
    bool Warn(const std::string& text);
    // A failed call throws TestException("DXError - " step ": " name).
    void CheckDX(platform::HRESULT result, const char* step);

    const std::string& GetFailureReason() const { return failureReason_; }
    const std::string& GetWarning() const { return warning_; }
    bool IsFresh() const { return fresh_; }
    int GetDriverYear() const { return driverYear_; }
    void SetDriverYear(int year) { driverYear_ = year; }
    const std::string& GetDescription() const { return description_; }
    const std::string& GetDriver() const { return driver_; }

private:
    void OpenCacheKey();
    void Identify();
    void CheckVideoMemory(bool& stop);
    void ReadDriverYear();
    void CreateTestObjects(platform::HWND window);
    void BeginPicture();
    void SetState(platform::D3DRENDERSTATETYPE state, platform::DWORD value, const char* step);
    void DrawPicture(int x, int y, uint32_t vertexColour);
    void UploadPicture();
    void EndPicture();
    bool CheckBlend(uint32_t expected, const char* notUniform, const char* wrong);

    D3DHost* host_;
    platform::DirectDraw* directDraw_ = nullptr;
    platform::DirectDrawSurface* renderSurface_ = nullptr;
    platform::DirectDrawSurface* textures_[2] = {nullptr, nullptr};
    platform::Direct3D* direct3D_ = nullptr;
    platform::Direct3DDevice* device_ = nullptr;
    platform::HKEY key_ = nullptr;
    platform::GUID identifier_{};
    std::string driver_;
    std::string description_;
    D3DTestImage readBack_;
    D3DTestImage picture_; // the 64 x 64 picture drawn as a texture
    std::string failureReason_;
    std::string warning_;
    int minMB_ = 6;
    int recommendedMB_ = 14;
    bool useCache_ = true;
    bool saveNeeded_ = false;
    bool fresh_ = false;
    int driverYear_ = 0;
    int textureFormat_ = 0;
};

} // namespace Zolt
