// The software image: 32-bit 0xAARRGGBB pixels in memory, or a palette of at
// most 256 colours with one index per pixel, plus the caches the blitters
// derive from them (a premultiplied copy in the display's format and two
// run-length maps). Caches are built on first use and dropped by every pixel
// change (MarkBitsChanged), which also advances the change counter that
// tells the 3D layer a texture is stale.
//
// Used on the main thread (the loading thread only for images it made).
// Registration with the application goes through ImageHost, which takes the
// display's lock; drawing takes no lock. The application may be null: the
// image then works alone, without a display format or 3D textures.
#pragma once

#include "framework/graphics/Image.h"
#include "framework/graphics/TextureRecord.h"

#include <cstdint>
#include <memory>

namespace Zolt {

class ImageHost;
class NativeDisplay;


// Builds a lossless palette in order of first appearance; false when there
// are more than 256 distinct colours. Entries after the last colour used are
// filled with entry 0 so that a scan of all 256 adds no colour the pixels lack.
bool BuildExactPalette(const uint32_t* bits, int width, int height, uint8_t* indices,
                       uint32_t* palette);

class MemoryImage : public Image {
public:
    static constexpr uint32_t kGuardWord = 0x4BEEFADE;

    // Registers with the process-wide application, when there is one.
    MemoryImage();
    explicit MemoryImage(ImageHost* app);
    MemoryImage(const MemoryImage& other);
    ~MemoryImage() override;

    // Drawing (software blitters).
    void FillRectangle(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRectangle(const Rect& rect) override;
    void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                         int drawMode) override;
    void DrawLineSegmentSmooth(double x1, double y1, double x2, double y2, const Color& color,
                               int drawMode) override;
    void FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                               const uint8_t* coverage, int bufferX, int bufferY, int bufferWidth,
                               int bufferHeight) override;
    void BlitImage(Image* source, int x, int y, const Rect& sourceRect, const Color& tint,
                   int drawMode) override;
    void BlitImageSubpixel(Image* source, float x, float y, const Rect& sourceRect,
                           const Rect& clip, const Color& tint, int drawMode) override;
    void BlitImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                          const Color& tint, int drawMode, double angle, float centerX,
                          float centerY) override;
    void BlitImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect,
                            const Rect& clip, const Color& tint, int drawMode,
                            bool quickStretch) override;
    void BlitImageTransformed(Image* source, float x, float y, const float* matrix3x3,
                              const Rect& clip, const Color& tint, int drawMode,
                              const Rect& sourceRect, bool flag) override;
    void DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3], int triangleCount,
                               const Rect& clip, const Color& tint, int drawMode, float offsetX,
                               float offsetY, bool flag) override;

    // Pixels, caches and compaction.
    virtual uint32_t* RequireNativeAlpha(NativeDisplay* display);
    virtual uint8_t* RequireRLAlpha();
    virtual uint8_t* RequireRLAdditive(NativeDisplay* display);
    virtual void DropBits();
    virtual void DropDerivedData();
    virtual void DropTextures();
    virtual void DropCaches();
    virtual void ReapplyCompaction();
    virtual void MarkBitsChanged();
    virtual void ScanAlpha();
    virtual void DropNativeData();
    virtual void Clear();
    virtual void AssignBits(const uint32_t* bits, int width, int height, bool scanNow);
    // As AssignBits, taking the buffer itself instead of a copy: width x
    // height pixels and one word more after them (ImageLib::Image::ReleaseBits).
    void AdoptBits(std::unique_ptr<uint32_t[]> bits, int width, int height, bool scanNow);
    virtual void MakeBlank(int width, int height);
    virtual uint32_t* RequireBits();
    virtual void ForceAlphaFlags(bool hasTrans, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    virtual bool ConvertToPalette();

    // Frees every memory form (bits, native copy, run maps, palette and
    // indices) once another copy of the pixels exists elsewhere.
    void DiscardMemoryCopies();

    ImageHost* GetApp() const { return app_; }
    int32_t GetChangeCount() const { return changeCount_; }
    bool HasTransparency() const { return hasTrans_; }
    bool HasTranslucency() const { return hasAlpha_; }
    bool IsVolatile() const { return volatile_; }
    bool AlphaFlagsForced() const { return forced_; }
    bool IsPurged() const { return purged_; }
    bool IsPalettized() const { return palettized_; }
    // The resource loader asks for bits to be dropped, or a palette to be
    // made, again after every RequireBits, through these two flags.
    void SetPurged(bool purged) { purged_ = purged; }
    void SetPalettized(bool palettized) { palettized_ = palettized; }
    int32_t GetTextureHints() const { return textureHints_; }
    void SetTextureHints(int32_t hints) { textureHints_ = hints; }

    // Raw forms; null when absent. Valid until the next change or drop.
    uint32_t* GetBits() const { return bits_.get(); }
    uint32_t* GetPalette() const { return palette_.get(); }
    uint8_t* GetIndices() const { return indices_.get(); }
    uint32_t* GetNativeAlpha() const { return nativeAlpha_.get(); }
    uint8_t* GetRLAlpha() const { return rlAlpha_.get(); }
    uint8_t* GetRLAdditive() const { return rlAdditive_.get(); }
    TextureRecord* GetTexture() const { return texture_.get(); }

protected:
    // Common set-up of every constructor except registration.
    void InitEmpty();
    size_t PixelCount() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
    // width x height + 1 words with the guard word after the last pixel.
    std::unique_ptr<uint32_t[]> AllocateBits() const;

    // The fields below are plain so that the display image can read and
    // free them (reset the pointer) as it moves pixels to and from surfaces.
    std::unique_ptr<uint32_t[]> bits_;
    int32_t changeCount_ = 0;
    std::unique_ptr<TextureRecord> texture_;
    int32_t textureHints_ = 0;
    std::unique_ptr<uint32_t[]> palette_;
    std::unique_ptr<uint8_t[]> indices_;
    bool forced_ = false;
    bool hasTrans_ = false;
    bool hasAlpha_ = false;
    bool volatile_ = false;
    bool purged_ = false;
    bool palettized_ = false;
    std::unique_ptr<uint32_t[]> nativeAlpha_;
    std::unique_ptr<uint8_t[]> rlAlpha_;
    std::unique_ptr<uint8_t[]> rlAdditive_;
    bool alphaScanNeeded_ = false;
    ImageHost* app_ = nullptr;

private:
    // Horizontal and vertical lines are rectangle fills; true when handled.
    bool FillAxisLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
};

} // namespace Zolt
