// An application stand-in for image tests: records registrations and
// clean-up requests and offers a display format and a 3D switch.
#pragma once

#include "framework/graphics/ImageHost.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/NativeDisplay.h"

#include <set>
#include <vector>

namespace Zolt::testing {

class TestImageHost : public ImageHost {
public:
    TestImageHost() { display.SetFormat(32, 0xFF0000, 0x00FF00, 0x0000FF); }

    void RegisterImage(MemoryImage* image) override { live.insert(image); }
    void UnregisterImage(MemoryImage* image) override { live.erase(image); }
    bool IsIn3DMode() override { return in3D; }
    void ReleaseImageFromDisplay(MemoryImage* image) override { released.push_back(image); }
    NativeDisplay* GetNativeDisplay() override { return &display; }
    bool ReadTextureBits(MemoryImage*, uint32_t*) override { return false; }
    void RequestSharedImageCleanup() override { ++cleanupRequests; }
    Image* DuplicateImage(Image* image) override
    {
        auto* memory = dynamic_cast<MemoryImage*>(image);
        ++duplicates;
        return memory ? new MemoryImage(*memory) : nullptr;
    }

    std::set<MemoryImage*> live;
    std::vector<MemoryImage*> released;
    NativeDisplay display;
    bool in3D = false;
    int cleanupRequests = 0;
    int duplicates = 0;
};

// Installs a host as the process-wide application for one test.
class ScopedImageHost {
public:
    explicit ScopedImageHost(ImageHost* host) : previous_(GetImageHost()) { SetImageHost(host); }
    ~ScopedImageHost() { SetImageHost(previous_); }

private:
    ImageHost* previous_;
};

// A w x h image holding the given pixels (row after row), alpha scanned.
inline std::unique_ptr<MemoryImage> MakeImage(int w, int h, std::vector<uint32_t> pixels)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    pixels.resize(static_cast<size_t>(w) * h);
    image->AssignBits(pixels.data(), w, h, true);
    return image;
}

inline std::unique_ptr<MemoryImage> MakeFilled(int w, int h, uint32_t pixel)
{
    return MakeImage(w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, pixel));
}

inline uint32_t PixelAt(MemoryImage& image, int x, int y)
{
    return image.RequireBits()[static_cast<size_t>(y) * image.GetWidth() + x];
}

} // namespace Zolt::testing
