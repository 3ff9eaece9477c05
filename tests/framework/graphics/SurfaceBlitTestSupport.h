// Test surfaces for the surface blitters: padded rows and guard rows filled
// with a marker, so that any write outside the pixels shows; the four layouts
// the program meets; source images with their display-format forms.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/SurfaceBlit.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace surfacetest {

using Zolt::SurfaceFormat;

inline SurfaceFormat Format565() { return SurfaceFormat::FromMasks(16, 0xF800, 0x07E0, 0x001F); }
inline SurfaceFormat Format555() { return SurfaceFormat::FromMasks(16, 0x7C00, 0x03E0, 0x001F); }
inline SurfaceFormat FormatRgb32() { return SurfaceFormat::FromMasks(32, 0xFF0000, 0xFF00, 0xFF); }
inline SurfaceFormat FormatBgr32() { return SurfaceFormat::FromMasks(32, 0xFF, 0xFF00, 0xFF0000); }

struct NamedFormat {
    const char* name;
    SurfaceFormat format;
};
inline std::vector<NamedFormat> AllFormats()
{
    return {{"565", Format565()}, {"555", Format555()}, {"RGB32", FormatRgb32()}, {"BGR32", FormatBgr32()}};
}

inline bool RgbOrderOf(const SurfaceFormat& f) { return f.masks[0] > f.masks[1] && f.masks[1] > f.masks[2]; }

class TestSurface {
public:
    static constexpr uint8_t kMarker = 0xA5;
    static constexpr int kPadPixels = 3;

    TestSurface(const SurfaceFormat& format, int width, int height) : format_(format), width_(width), height_(height)
    {
        pitch_ = (width + kPadPixels) * format.BytesPerPixel();
        // One guard row above and one below the pixels.
        memory_.assign(static_cast<size_t>(pitch_) * static_cast<size_t>(height + 2) + 16, kMarker);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Set(x, y, 0);
    }

    Zolt::SurfaceView View()
    {
        Zolt::SurfaceView v;
        v.pixels = Origin();
        v.pitch = pitch_;
        v.width = width_;
        v.height = height_;
        v.format = format_;
        return v;
    }

    uint32_t Get(int x, int y) const
    {
        const uint8_t* row = memory_.data() + static_cast<size_t>(pitch_) * static_cast<size_t>(y + 1);
        if (format_.bitsPerPixel == 16)
            return reinterpret_cast<const uint16_t*>(row)[x];
        return reinterpret_cast<const uint32_t*>(row)[x];
    }
    void Set(int x, int y, uint32_t raw)
    {
        uint8_t* row = Origin() + static_cast<size_t>(pitch_) * static_cast<size_t>(y);
        if (format_.bitsPerPixel == 16)
            reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(raw);
        else
            reinterpret_cast<uint32_t*>(row)[x] = raw;
    }
    void SetArgb(int x, int y, uint32_t argb) { Set(x, y, format_.FromArgb(argb)); }
    uint32_t GetArgb(int x, int y) const { return format_.ToArgb(Get(x, y)); }

    // Every byte outside the pixels still holds the marker.
    bool GuardsIntact() const
    {
        const int bytes = format_.BytesPerPixel();
        for (size_t i = 0; i < memory_.size(); ++i) {
            const int64_t row = static_cast<int64_t>(i / static_cast<size_t>(pitch_)) - 1;
            const int64_t column = static_cast<int64_t>(i % static_cast<size_t>(pitch_)) / bytes;
            const bool pixel = row >= 0 && row < height_ && column < width_;
            if (!pixel && memory_[i] != kMarker)
                return false;
        }
        return true;
    }

    // The pixels read back as ARGB (alpha 255), row after row.
    std::vector<uint32_t> ArgbPixels() const
    {
        std::vector<uint32_t> out;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                out.push_back(GetArgb(x, y));
        return out;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    const SurfaceFormat& Format() const { return format_; }

private:
    uint8_t* Origin() { return memory_.data() + pitch_; }

    SurfaceFormat format_;
    int width_;
    int height_;
    int pitch_;
    std::vector<uint8_t> memory_;
};

// A source image alone (no application), its pixels given as ARGB.
inline std::unique_ptr<Zolt::MemoryImage> Image(int w, int h, const std::vector<uint32_t>& argb)
{
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    image->AssignBits(argb.data(), w, h, true);
    return image;
}

// A display of the surface's layout, for the images' display-format forms.
inline Zolt::NativeDisplay DisplayOf(const SurfaceFormat& f)
{
    Zolt::NativeDisplay d;
    d.SetFormat(f.bitsPerPixel, f.masks[0], f.masks[1], f.masks[2]);
    return d;
}

inline Zolt::SourcePixels NativeOf(Zolt::MemoryImage& image, Zolt::NativeDisplay& display)
{
    return {image.RequireNativeAlpha(&display), nullptr, image.GetWidth(), image.GetHeight()};
}

inline Zolt::SourcePixels ArgbOf(Zolt::MemoryImage& image)
{
    return {image.RequireBits(), nullptr, image.GetWidth(), image.GetHeight()};
}

// The largest difference of one channel between two surface pixels, in
// units of that channel.
inline int ChannelDistance(const SurfaceFormat& f, uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
        const int va = static_cast<int>((a & f.masks[c]) >> f.shifts[c]);
        const int vb = static_cast<int>((b & f.masks[c]) >> f.shifts[c]);
        worst = std::max(worst, std::abs(va - vb));
    }
    return worst;
}

// A deterministic spread of colours; alpha chosen by `alphaOf`.
template <typename AlphaOf>
std::vector<uint32_t> Pattern(int w, int h, uint32_t seed, AlphaOf alphaOf)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t a = alphaOf(x, y);
            const uint32_t rgb = a == 0 ? 0 : (seed >> 8) & 0xFFFFFF;
            px[static_cast<size_t>(y) * w + x] = (a << 24) | rgb;
        }
    return px;
}

} // namespace surfacetest
