// The bitmap font: draws text from the character images of the layers of a
// font descriptor (FontData). Asked for at a point size, a scale and a set
// of tags, it selects the layers that apply, prepares a scaled copy of a
// layer's characters when the size differs from the layer's own, and
// measures and draws text by stacking the characters of all selected
// layers in drawing order, with per-layer colour, offset, kerning and draw
// mode.
//
// A font object is used by one thread at a time (the main thread, or the
// loading thread for fonts it makes); fonts copied from one share the
// descriptor, which is never changed after loading. Drawing of every image
// font is serialised by gFontDrawLock, which guards the shared buffer of
// draw records; measuring and building layers take no lock.
#pragma once

#include "framework/graphics/ActiveFontLayer.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Rect.h"

#include <string>
#include <vector>

namespace Zolt {

class FontData;
class FontHost;
class FontLayer;
class MemoryImage;

class ImageFont : public Font {
public:
    // Reads the descriptor file; errors go to the host's error box.
    ImageFont(FontHost* host, const std::string& descriptorFile);
    // The width-list format: the image (borrowed; the caller keeps it alive
    // as long as the font and its copies) and its width-list file.
    ImageFont(MemoryImage* image, const std::string& widthListFile);
    // Shares the descriptor.
    ImageFont(const ImageFont& other);
    ~ImageFont() override;

    int32_t MeasureText(const std::string& text) override;
    int32_t MeasureChar(char c) override;
    int32_t MeasureCharAfter(char c, char previous) override;
    void RenderText(Graphics* g, int x, int y, const std::string& text, const Color& color,
                    const Rect& clip) override;
    Font* Clone() override;

    virtual void BuildScaledLayers();
    // Draws with y as the baseline; collects each drawn character's
    // rectangle into rects and the advance into width when given. The clip
    // is the graphics' own business.
    virtual void RenderTextWithRects(Graphics* g, int x, int y, const std::string& text, const Color& color,
                                     const Rect& clip, std::vector<Rect>* rects, int* width);
    virtual void ChangePointSize(int pointSize);
    virtual int QueryPointSize() { return pointSize_; }
    virtual void ChangeScale(double scale);
    virtual int QueryNativePointSize();
    // Tags are compared without regard to case.
    virtual bool InsertTag(const std::string& tag);
    virtual bool EraseTag(const std::string& tag);
    virtual bool ContainsTag(const std::string& tag);
    // The descriptor's definition of the name as text, "" when none.
    virtual std::string LookupDefinition(const std::string& name);
    virtual void EnsureScaledLayers();

    // Null when the descriptor could not even be created.
    FontData* GetFontData() const { return data_; }
    const std::vector<ActiveFontLayer>& ActiveLayers() const { return activeLayers_; }

    // Bounds of a scaled layer image: a layer that would need more is built
    // without an image (its characters are measured but not drawn).
    static constexpr int32_t kMaxScaledImageSide = 32768;
    static constexpr int64_t kMaxScaledImagePixels = int64_t(1) << 24;
    // The draw-record buffer shared by all image fonts.
    static constexpr int kMaxDrawRecords = 4096;

private:
    double RatioOf(const FontLayer& layer) const;
    // Queues the glyph of `c` in the layer as draw record `index` (under the
    // draw lock) at the pen; the pen's advance to the next character.
    int64_t QueueGlyph(const ActiveFontLayer& active, uint8_t c, uint8_t next, int64_t pen, int y, const Color& color,
                       int32_t index);
    bool Selects(const FontLayer& layer) const;
    void BuildActiveLayer(FontLayer& layer, ActiveFontLayer& active);

    FontData* data_ = nullptr;
    int32_t pointSize_ = 0;
    std::vector<std::string> tags_;
    bool layersValid_ = false;
    std::vector<ActiveFontLayer> activeLayers_;
    double scale_ = 1.0;
};

} // namespace Zolt
