#include "framework/resources/ImageFont.h"

#include "framework/base/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/FontData.h"
#include "framework/resources/FontLayer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace Zolt {

namespace {

// A scaled value truncated toward zero, kept inside the int range.
int32_t Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    value = std::trunc(value);
    if (value <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (value >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

int32_t Clamp32(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// One character of one layer waiting to be drawn.
struct DrawRecord {
    Image* image = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    Rect source;
    int32_t drawMode = -1;
    Color color;
    int32_t next = -1; // the next record of the same bucket
};

// The shared draw-record buffer and its 256 buckets, guarded by
// gFontDrawLock.
std::array<DrawRecord, ImageFont::kMaxDrawRecords> gDrawRecords;
std::array<int32_t, 256> gBucketHeads;
std::array<int32_t, 256> gBucketTails;

int32_t ColorComponent(int32_t multiplier, int32_t given, int32_t adder)
{
    const int64_t value = int64_t(multiplier) * given / 255 + adder;
    return Clamp32(std::min<int64_t>(value, 255));
}

// Puts record `index` at the end of its order's bucket.
void QueueRecord(int32_t index, int64_t order)
{
    const int bucket = static_cast<int>(std::clamp<int64_t>(order + 128, 0, 255));
    if (gBucketTails[bucket] < 0)
        gBucketHeads[bucket] = index;
    else
        gDrawRecords[gBucketTails[bucket]].next = index;
    gBucketTails[bucket] = index;
}


// Records placed farther out than this are never on any image; the drawing
// context works in single precision and is not given them.
constexpr int32_t kFarthestDrawCoordinate = 1 << 28;

bool InsideImage(const Image& image, const Rect& r)
{
    return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && int64_t(r.x) + r.width <= image.GetWidth() &&
           int64_t(r.y) + r.height <= image.GetHeight();
}

// Draws the queued records, lowest order first, each in its layer's mode
// and colour; records off their image or far off the screen are passed over.
void DrawQueuedRecords(Graphics* g)
{
    const Color oldColor = g->GetColor();
    for (int bucket = 0; bucket < 256; ++bucket) {
        for (int32_t index = gBucketHeads[bucket]; index >= 0; index = gDrawRecords[index].next) {
            const DrawRecord& record = gDrawRecords[index];
            if (!record.image || !InsideImage(*record.image, record.source) ||
                std::abs(record.x) > kFarthestDrawCoordinate || std::abs(record.y) > kFarthestDrawCoordinate)
                continue;
            const int oldMode = g->GetDrawMode();
            if (record.drawMode != -1)
                g->SetDrawMode(record.drawMode);
            g->SetColor(record.color);
            g->PaintImagePart(record.image, record.x, record.y, record.source);
            g->SetDrawMode(oldMode);
        }
    }
    g->SetColor(oldColor);
}

} // namespace

ImageFont::ImageFont(FontHost* host, const std::string& descriptorFile)
{
    data_ = new FontData();
    data_->AddRef();
    data_->Load(host, descriptorFile);
    pointSize_ = data_->DefaultPointSize();
    BuildScaledLayers();
    layersValid_ = true;
}

ImageFont::ImageFont(MemoryImage* image, const std::string& widthListFile)
{
    data_ = new FontData();
    data_->AddRef();
    data_->LoadWidthListFont(image, widthListFile);
    pointSize_ = data_->DefaultPointSize();
    BuildScaledLayers();
    layersValid_ = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), data_(other.data_), pointSize_(other.pointSize_), tags_(other.tags_),
      layersValid_(other.layersValid_), scale_(other.scale_)
{
    if (data_)
        data_->AddRef();
    if (layersValid_)
        activeLayers_ = other.activeLayers_;
}

ImageFont::~ImageFont()
{
    activeLayers_.clear();
    if (data_)
        data_->Release();
}

Font* ImageFont::Clone() { return new ImageFont(*this); }

double ImageFont::RatioOf(const FontLayer& layer) const
{
    if (layer.pointSize == 0)
        return scale_;
    return pointSize_ * scale_ / layer.pointSize;
}

bool ImageFont::Selects(const FontLayer& layer) const
{
    if (layer.minPointSize != -1 && layer.minPointSize > pointSize_)
        return false;
    if (layer.maxPointSize != -1 && layer.maxPointSize < pointSize_)
        return false;
    for (const auto& tag : layer.requiredTags)
        if (std::find(tags_.begin(), tags_.end(), tag) == tags_.end())
            return false;
    for (const auto& tag : tags_)
        if (std::find(layer.excludedTags.begin(), layer.excludedTags.end(), tag) != layer.excludedTags.end())
            return false;
    return true;
}

void ImageFont::BuildScaledLayers()
{
    if (!data_ || !data_->IsLoaded())
        return;
    activeLayers_.clear();
    ascent_ = ascentPadding_ = height_ = lineSpacingOffset_ = 0;
    bool first = true;
    for (const auto& owned : data_->Layers()) {
        FontLayer& layer = *owned;
        if (!Selects(layer))
            continue;
        activeLayers_.emplace_back();
        ActiveFontLayer& active = activeLayers_.back();
        active.baseLayer = &layer;
        BuildActiveLayer(layer, active);

        const double ratio = RatioOf(layer);
        ascent_ = std::max(ascent_, Trunc(layer.ascent * ratio));
        const int32_t layerHeight = layer.height != 0 ? layer.height : layer.defaultHeight;
        height_ = std::max(height_, Trunc(layerHeight * ratio));
        const int32_t lineGap = Trunc(layer.lineSpacingOffset * ratio);
        if (first) {
            ascentPadding_ = layer.ascentPadding;
            lineSpacingOffset_ = lineGap;
            first = false;
        } else {
            ascentPadding_ = std::min(ascentPadding_, layer.ascentPadding);
            lineSpacingOffset_ = std::max(lineSpacingOffset_, lineGap);
        }
    }
}

void ImageFont::BuildActiveLayer(FontLayer& layer, ActiveFontLayer& active)
{
    MemoryImage* source = layer.image.GetImage();
    if (scale_ == 1.0 && (layer.pointSize == 0 || layer.pointSize == pointSize_)) {
        active.image = source;
        active.ownsImage = false;
        for (size_t i = 0; i < 256; ++i)
            active.rects[i] = layer.glyphs[i].imageRect;
        return;
    }

    // The characters side by side in one row, each at its scaled size. A
    // negative ratio would give negative sizes: those cells stay empty.
    const double ratio = RatioOf(layer);
    int64_t x = 0;
    int32_t tallest = 0;
    for (size_t i = 0; i < 256; ++i) {
        const Rect& cell = layer.glyphs[i].imageRect;
        const int32_t w = std::max(0, Trunc(cell.width * ratio));
        const int32_t h = std::max(0, Trunc(cell.height * ratio));
        active.rects[i] = Rect(Clamp32(x), 0, w, h);
        x += w;
        tallest = std::max(tallest, h);
    }
    if (x > kMaxScaledImageSide || tallest > kMaxScaledImageSide || x * tallest > kMaxScaledImagePixels) {
        // Too big to make: measured, never drawn.
        active.image = nullptr;
        active.ownsImage = false;
        return;
    }
    auto image = std::make_unique<MemoryImage>();
    image->MakeBlank(static_cast<int32_t>(x), tallest);
    image->RequireBits();
    if (source) {
        Graphics g(image.get());
        for (size_t i = 0; i < 256; ++i) {
            const Rect& cell = layer.glyphs[i].imageRect;
            const Rect& target = active.rects[i];
            if (target.width > 0 && target.height > 0 && InsideImage(*source, cell))
                g.PaintImageStretched(source, target, cell);
        }
    }
    image->ConvertToPalette();
    active.image = image.release();
    active.ownsImage = true;
}

void ImageFont::EnsureScaledLayers()
{
    if (!layersValid_)
        BuildScaledLayers();
    layersValid_ = true;
}

void ImageFont::ChangePointSize(int pointSize)
{
    pointSize_ = pointSize;
    layersValid_ = false;
}

void ImageFont::ChangeScale(double scale)
{
    scale_ = scale;
    layersValid_ = false;
}

int ImageFont::QueryNativePointSize() { return data_ ? data_->DefaultPointSize() : 0; }

bool ImageFont::InsertTag(const std::string& tag)
{
    const std::string key = UpperCased(tag);
    if (std::find(tags_.begin(), tags_.end(), key) != tags_.end())
        return false;
    tags_.push_back(key);
    layersValid_ = false;
    return true;
}

bool ImageFont::EraseTag(const std::string& tag)
{
    auto it = std::find(tags_.begin(), tags_.end(), UpperCased(tag));
    if (it == tags_.end())
        return false;
    tags_.erase(it);
    layersValid_ = false;
    return true;
}

bool ImageFont::ContainsTag(const std::string& tag)
{
    return std::find(tags_.begin(), tags_.end(), UpperCased(tag)) != tags_.end();
}

std::string ImageFont::LookupDefinition(const std::string& name)
{
    if (!data_)
        return {};
    DataElement* definition = data_->FindDefinition(name);
    return definition ? DescParser::DataElementToString(*definition) : std::string();
}

int32_t ImageFont::MeasureCharAfter(char c, char previous)
{
    EnsureScaledLayers();
    if (!data_ || activeLayers_.empty())
        return 0;
    const uint8_t mapped = data_->MapChar(c);
    const uint8_t mappedPrevious = previous == 0 ? 0 : data_->MapChar(previous);
    int64_t best = std::numeric_limits<int64_t>::min();
    for (const ActiveFontLayer& active : activeLayers_) {
        const FontLayer& layer = *active.baseLayer;
        const double ratio = RatioOf(layer);
        const int64_t w = Trunc(layer.glyphs[mapped].width * ratio);
        int64_t k = 0;
        if (previous != 0)
            k = Trunc((double(layer.glyphs[mappedPrevious].kerning[mapped]) + layer.spacing) * ratio);
        best = std::max(best, w + k);
    }
    return Clamp32(best);
}

int32_t ImageFont::MeasureChar(char c) { return MeasureCharAfter(c, 0); }

int32_t ImageFont::MeasureText(const std::string& text)
{
    int64_t width = 0;
    char previous = 0;
    for (char c : text) {
        width += MeasureCharAfter(c, previous);
        previous = c;
    }
    return Clamp32(width);
}

void ImageFont::RenderText(Graphics* g, int x, int y, const std::string& text, const Color& color,
                           const Rect& clip)
{
    RenderTextWithRects(g, x, y, text, color, clip, nullptr, nullptr);
}

void ImageFont::RenderTextWithRects(Graphics* g, int x, int y, const std::string& text, const Color& color,
                                    const Rect& clip, std::vector<Rect>* rects, int* width)
{
    (void)clip;
    CriticalSectionLock lock(gFontDrawLock);
    if (rects)
        rects->clear();
    if (!data_ || !data_->IsLoaded()) {
        if (width)
            *width = 0;
        return;
    }
    EnsureScaledLayers();
    const bool oldTint = g->GetTintImages();
    g->SetTintImages(true);

    gBucketHeads.fill(-1);
    gBucketTails.fill(-1);
    int32_t recordCount = 0;
    int64_t pen = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = data_->MapChar(text[i]);
        const uint8_t n = i + 1 < text.size() ? data_->MapChar(text[i + 1]) : 0;
        int64_t nextPen = pen;
        for (const ActiveFontLayer& active : activeLayers_) {
            // A full buffer takes no more characters, and the pen stops.
            if (recordCount >= kMaxDrawRecords)
                break;
            const int64_t advance = QueueGlyph(active, c, n, pen, y, color, recordCount);
            const DrawRecord& record = gDrawRecords[recordCount];
            if (rects)
                rects->push_back(Rect(record.x, record.y, record.source.width, record.source.height));
            ++recordCount;
            nextPen = std::max(nextPen, pen + advance);
        }
        pen = std::clamp<int64_t>(nextPen, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    }
    if (width)
        *width = Clamp32(pen - x);
    DrawQueuedRecords(g);
    g->SetTintImages(oldTint);
}

int64_t ImageFont::QueueGlyph(const ActiveFontLayer& active, uint8_t c, uint8_t next, int64_t pen, int y,
                              const Color& color, int32_t index)
{
    const FontLayer& layer = *active.baseLayer;
    const FontGlyph& glyph = layer.glyphs[c];
    const double ratio = RatioOf(layer);
    DrawRecord& record = gDrawRecords[index];
    record.image = active.image;
    record.x = Clamp32(pen + Trunc((double(glyph.offsetX) + layer.offsetX) * ratio));
    record.y = Clamp32(int64_t(y) - Trunc((double(layer.ascent) - glyph.offsetY - layer.offsetY) * ratio));
    record.source = active.rects[c];
    record.drawMode = layer.drawMode;
    record.color = Color(ColorComponent(layer.colorMult.red, color.red, layer.colorAdd.red),
                         ColorComponent(layer.colorMult.green, color.green, layer.colorAdd.green),
                         ColorComponent(layer.colorMult.blue, color.blue, layer.colorAdd.blue),
                         ColorComponent(layer.colorMult.alpha, color.alpha, layer.colorAdd.alpha));
    record.next = -1;
    QueueRecord(index, int64_t(glyph.order) + layer.baseOrder);
    int64_t advance = Trunc(glyph.width * ratio);
    if (next != 0)
        advance += Trunc((double(glyph.kerning[next]) + layer.spacing) * ratio);
    return advance;
}

} // namespace Zolt
