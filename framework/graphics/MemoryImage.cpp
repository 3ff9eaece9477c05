#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/ImageHost.h"
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/PixelFormatDefaults.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Zolt {

MemoryImage::MemoryImage() : MemoryImage(GetImageHost()) {}

MemoryImage::MemoryImage(ImageHost* app)
{
    InitEmpty();
    app_ = app;
    if (app_)
        app_->RegisterImage(this);
}

MemoryImage::MemoryImage(const MemoryImage& other) : Image(other)
{
    InitEmpty();
    changeCount_ = other.changeCount_;
    textureHints_ = other.textureHints_;
    hasTrans_ = other.hasTrans_;
    hasAlpha_ = other.hasAlpha_;
    volatile_ = other.volatile_;
    purged_ = other.purged_;
    palettized_ = other.palettized_;
    alphaScanNeeded_ = other.alphaScanNeeded_;
    app_ = other.app_;

    MemoryImage& source = const_cast<MemoryImage&>(other);
    const size_t count = PixelCount();
    bool madeBits = false;
    if (!source.bits_ && !source.palette_) {
        // Bring the source into ARGB form just long enough to copy it.
        source.RequireBits();
        madeBits = true;
    }
    if (source.bits_) {
        bits_ = std::make_unique<uint32_t[]>(count + 1);
        std::memcpy(bits_.get(), source.bits_.get(), (count + 1) * sizeof(uint32_t));
    }
    if (madeBits)
        source.bits_.reset();
    if (source.palette_) {
        palette_ = std::make_unique<uint32_t[]>(256);
        std::memcpy(palette_.get(), source.palette_.get(), 256 * sizeof(uint32_t));
    }
    if (source.indices_) {
        indices_ = std::make_unique<uint8_t[]>(count);
        std::memcpy(indices_.get(), source.indices_.get(), count);
    }
    if (source.nativeAlpha_) {
        const size_t n = source.palette_ ? 256 : count;
        nativeAlpha_ = std::make_unique<uint32_t[]>(n);
        std::memcpy(nativeAlpha_.get(), source.nativeAlpha_.get(), n * sizeof(uint32_t));
    }
    if (source.rlAlpha_) {
        rlAlpha_ = std::make_unique<uint8_t[]>(count);
        std::memcpy(rlAlpha_.get(), source.rlAlpha_.get(), count);
    }
    if (source.rlAdditive_) {
        rlAdditive_ = std::make_unique<uint8_t[]>(count);
        std::memcpy(rlAdditive_.get(), source.rlAdditive_.get(), count);
    }
    if (app_)
        app_->RegisterImage(this);
}

MemoryImage::~MemoryImage()
{
    if (app_)
        app_->UnregisterImage(this);
}

void MemoryImage::InitEmpty()
{
    bits_.reset();
    palette_.reset();
    indices_.reset();
    nativeAlpha_.reset();
    rlAlpha_.reset();
    rlAdditive_.reset();
    texture_.reset();
    changeCount_ = 0;
    textureHints_ = 0;
    forced_ = hasTrans_ = hasAlpha_ = volatile_ = purged_ = palettized_ = alphaScanNeeded_ = false;
}

std::unique_ptr<uint32_t[]> MemoryImage::AllocateBits() const
{
    const size_t count = PixelCount();
    auto bits = std::make_unique<uint32_t[]>(count + 1);
    bits[count] = kGuardWord;
    return bits;
}

void MemoryImage::MarkBitsChanged()
{
    ++changeCount_;
    alphaScanNeeded_ = true;
    nativeAlpha_.reset();
    rlAlpha_.reset();
    rlAdditive_.reset();
}

void MemoryImage::ScanAlpha()
{
    if (!alphaScanNeeded_ || forced_)
        return;
    hasAlpha_ = false;
    if (bits_) {
        bool trans = false;
        bool translucent = false;
        const uint32_t* p = bits_.get();
        const size_t count = PixelCount();
        for (size_t i = 0; i < count && !(trans && translucent); ++i) {
            const uint32_t a = p[i] >> 24;
            trans |= a == 0;
            translucent |= a != 0 && a != 255;
        }
        hasTrans_ = trans;
        hasAlpha_ = translucent;
    } else if (palette_) {
        bool trans = false;
        bool translucent = false;
        for (int i = 0; i < 256; ++i) {
            const uint32_t a = palette_[i] >> 24;
            trans |= a == 0;
            translucent |= a != 0 && a != 255;
        }
        hasTrans_ = trans;
        hasAlpha_ = translucent;
    } else {
        hasTrans_ = true;
    }
    alphaScanNeeded_ = false;
}

void MemoryImage::ForceAlphaFlags(bool hasTrans, bool hasAlpha)
{
    forced_ = true;
    hasTrans_ = hasTrans;
    hasAlpha_ = hasAlpha;
}

void MemoryImage::SetVolatile(bool isVolatile) { volatile_ = isVolatile; }

uint32_t* MemoryImage::RequireBits()
{
    if (bits_)
        return bits_.get();
    bits_ = AllocateBits();
    uint32_t* out = bits_.get();
    const size_t count = PixelCount();
    if (palette_ && indices_) {
        for (size_t i = 0; i < count; ++i)
            out[i] = palette_[indices_[i]];
        indices_.reset();
        palette_.reset();
        nativeAlpha_.reset();
    } else if (nativeAlpha_) {
        const NativeDisplay& fmt = DisplayFormatOf(app_);
        const uint32_t masks[3] = {static_cast<uint32_t>(fmt.redMask), static_cast<uint32_t>(fmt.greenMask),
                                   static_cast<uint32_t>(fmt.blueMask)};
        const int shifts[3] = {fmt.redShift + fmt.redBits, fmt.greenShift + fmt.greenBits,
                               fmt.blueShift + fmt.blueBits};
        const uint32_t* native = nativeAlpha_.get();
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = native[i];
            const uint32_t a = p >> 24;
            uint32_t argb = a << 24;
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = (((p & masks[c]) << 8) / (a + 1)) & masks[c];
                const uint32_t byte = ((v << 8) >> shifts[c]) & 0xFF;
                argb |= byte << (16 - 8 * c);
            }
            out[i] = argb;
        }
    } else if (texture_ && app_ && app_->ReadTextureBits(this, out)) {
        // The 3D layer filled the pixels.
    } else {
        std::memset(out, 0, count * sizeof(uint32_t));
    }
    return out;
}

uint32_t* MemoryImage::RequireNativeAlpha(NativeDisplay* display)
{
    if (nativeAlpha_)
        return nativeAlpha_.get();
    ScanAlpha();
    const NativeDisplay& fmt = display ? *display : DefaultDisplayFormat();
    auto convert = [&](uint32_t p) { return fmt.PremultipliedOf(p); };
    if (palette_ && indices_) {
        nativeAlpha_ = std::make_unique<uint32_t[]>(256);
        for (int i = 0; i < 256; ++i)
            nativeAlpha_[i] = convert(palette_[i]);
    } else {
        const uint32_t* src = RequireBits();
        const size_t count = PixelCount();
        nativeAlpha_ = std::make_unique<uint32_t[]>(std::max<size_t>(count, 1));
        for (size_t i = 0; i < count; ++i)
            nativeAlpha_[i] = convert(src[i]);
    }
    return nativeAlpha_.get();
}

namespace {

// Fills one row of a run map: each byte counts the pixels from it to the end
// of its run of equal class, itself included, capped at 255.
template <typename ClassOf>
void BuildRunRow(uint8_t* out, int width, ClassOf classOf)
{
    int x = width - 1;
    while (x >= 0) {
        const int cls = classOf(x);
        int run = 0;
        while (x >= 0 && classOf(x) == cls) {
            ++run;
            out[x] = static_cast<uint8_t>(std::min(run, 255));
            --x;
        }
    }
}

int AlphaClass(uint32_t argb)
{
    const uint32_t a = argb >> 24;
    return a == 0 ? 0 : (a == 255 ? 1 : 2);
}

} // namespace

uint8_t* MemoryImage::RequireRLAlpha()
{
    if (rlAlpha_)
        return rlAlpha_.get();
    ScanAlpha();
    const size_t count = PixelCount();
    rlAlpha_ = std::make_unique<uint8_t[]>(std::max<size_t>(count, 1));
    const uint32_t* pixels;
    const uint8_t* idx = nullptr;
    if (palette_ && indices_) {
        pixels = palette_.get();
        idx = indices_.get();
    } else if (nativeAlpha_) {
        pixels = nativeAlpha_.get();
    } else {
        pixels = RequireBits();
    }
    for (int y = 0; y < height_; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width_);
        uint8_t* out = rlAlpha_.get() + row;
        if (idx)
            BuildRunRow(out, width_, [&](int x) { return AlphaClass(pixels[idx[row + x]]); });
        else
            BuildRunRow(out, width_, [&](int x) { return AlphaClass(pixels[row + x]); });
    }
    return rlAlpha_.get();
}

uint8_t* MemoryImage::RequireRLAdditive(NativeDisplay* display)
{
    if (rlAdditive_)
        return rlAdditive_.get();
    const uint32_t* native = RequireNativeAlpha(display);
    const size_t count = PixelCount();
    rlAdditive_ = std::make_unique<uint8_t[]>(std::max<size_t>(count, 1));
    const uint8_t* idx = palette_ && indices_ ? indices_.get() : nullptr;
    for (int y = 0; y < height_; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width_);
        uint8_t* out = rlAdditive_.get() + row;
        if (idx)
            BuildRunRow(out, width_, [&](int x) { return (native[idx[row + x]] & 0xFFFFFF) == 0 ? 0 : 1; });
        else
            BuildRunRow(out, width_, [&](int x) { return (native[row + x] & 0xFFFFFF) == 0 ? 0 : 1; });
    }
    return rlAdditive_.get();
}

void MemoryImage::DropBits()
{
    purged_ = true;
    ImageHost* host = app_ ? app_ : GetImageHost();
    const bool in3D = host && host->IsIn3DMode();
    if (!in3D) {
        if (!bits_ && !indices_)
            return;
        RequireNativeAlpha(host ? host->GetNativeDisplay() : nullptr);
        bits_.reset();
    } else {
        if (!texture_)
            return;
        bits_.reset();
    }
    if (texture_) {
        indices_.reset();
        palette_.reset();
    }
}

void MemoryImage::DropDerivedData()
{
    if (!bits_ && !indices_)
        RequireBits();
    nativeAlpha_.reset();
    rlAdditive_.reset();
    rlAlpha_.reset();
}

void MemoryImage::DropNativeData()
{
    if (!bits_ && !indices_)
        RequireBits();
    nativeAlpha_.reset();
    rlAdditive_.reset();
}

void MemoryImage::DropTextures()
{
    if (app_)
        app_->ReleaseImageFromDisplay(this);
}

void MemoryImage::DropCaches()
{
    DropDerivedData();
    DropTextures();
}

void MemoryImage::ReapplyCompaction()
{
    if (palettized_)
        ConvertToPalette();
    if (purged_)
        DropBits();
}

void MemoryImage::DiscardMemoryCopies()
{
    bits_.reset();
    nativeAlpha_.reset();
    rlAdditive_.reset();
    rlAlpha_.reset();
    palette_.reset();
    indices_.reset();
}

void MemoryImage::Clear()
{
    uint32_t* bits = RequireBits();
    std::memset(bits, 0, PixelCount() * sizeof(uint32_t));
    MarkBitsChanged();
}

void MemoryImage::AssignBits(const uint32_t* bits, int width, int height, bool scanNow)
{
    if (bits != nullptr && bits == bits_.get())
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    indices_.reset();
    palette_.reset();
    if (width != width_ || height != height_ || !bits_) {
        bits_.reset();
        width_ = width;
        height_ = height;
        bits_ = AllocateBits();
    }
    const size_t count = PixelCount();
    if (bits)
        std::memcpy(bits_.get(), bits, count * sizeof(uint32_t));
    else
        std::memset(bits_.get(), 0, count * sizeof(uint32_t));
    bits_[count] = kGuardWord;
    MarkBitsChanged();
    if (scanNow)
        ScanAlpha();
}

void MemoryImage::AdoptBits(std::unique_ptr<uint32_t[]> bits, int width, int height, bool scanNow)
{
    if (!bits) {
        AssignBits(nullptr, width, height, scanNow);
        return;
    }
    indices_.reset();
    palette_.reset();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    bits_ = std::move(bits);
    bits_[PixelCount()] = kGuardWord;
    MarkBitsChanged();
    if (scanNow)
        ScanAlpha();
}

void MemoryImage::MakeBlank(int width, int height)
{
    bits_.reset();
    palette_.reset();
    indices_.reset();
    hasTrans_ = true;
    hasAlpha_ = true;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    MarkBitsChanged();
}

bool MemoryImage::ConvertToPalette()
{
    ScanAlpha();
    if (palette_)
        return true;
    const uint32_t* bits = RequireBits();
    if (!bits)
        return false;
    const size_t count = PixelCount();
    indices_ = std::make_unique<uint8_t[]>(std::max<size_t>(count, 1));
    palette_ = std::make_unique<uint32_t[]>(256);
    if (BuildExactPalette(bits, width_, height_, indices_.get(), palette_.get())) {
        bits_.reset();
        nativeAlpha_.reset();
        palettized_ = true;
        return true;
    }
    indices_.reset();
    palette_.reset();
    palettized_ = false;
    return false;
}

bool BuildExactPalette(const uint32_t* bits, int width, int height, uint8_t* indices, uint32_t* palette)
{
    const size_t count = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    if (count == 0) {
        std::fill(palette, palette + 256, 0u);
        return true;
    }
    palette[0] = bits[0];
    indices[0] = 0;
    int used = 1;
    if (count >= 2) {
        // Distinct values in unsigned order, with each one's palette position.
        uint32_t sorted[256];
        uint8_t position[256];
        sorted[0] = bits[0];
        position[0] = 0;
        for (size_t i = 1; i < count; ++i) {
            const uint32_t v = bits[i];
            const uint32_t* at = std::lower_bound(sorted, sorted + used, v);
            const int slot = static_cast<int>(at - sorted);
            if (slot < used && sorted[slot] == v) {
                indices[i] = position[slot];
                continue;
            }
            if (used == 256)
                return false;
            std::memmove(sorted + slot + 1, sorted + slot, static_cast<size_t>(used - slot) * sizeof(uint32_t));
            std::memmove(position + slot + 1, position + slot, static_cast<size_t>(used - slot));
            sorted[slot] = v;
            position[slot] = static_cast<uint8_t>(used);
            palette[used] = v;
            indices[i] = static_cast<uint8_t>(used);
            ++used;
        }
    }
    // Unused entries repeat entry 0, so scanning all 256 sees only colours
    // the pixels really have.
    std::fill(palette + used, palette + 256, palette[0]);
    return true;
}

} // namespace Zolt
