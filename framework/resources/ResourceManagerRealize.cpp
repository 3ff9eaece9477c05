// Realising records: loading their images, sounds and fonts.
#include "framework/resources/ResourceManager.h"

#include "framework/base/StringUtils.h"
#include "framework/base/SystemVersion.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/FontData.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/SysFont.h"
#include "framework/sound/SoundManager.h"
#include "imagelib/ImageLib.h"

#include <memory>

namespace Zolt {

namespace {

constexpr int kDefaultAlphaColor = 0xFFFFFF;

// Keeps the loader's alpha colour for the length of one load, whatever way
// the load ends.
class ScopedAlphaColor {
public:
    explicit ScopedAlphaColor(uint32_t color) { ImageLib::gAlphaComposeColor = static_cast<int>(color); }
    ~ScopedAlphaColor() { ImageLib::gAlphaComposeColor = kDefaultAlphaColor; }
    ScopedAlphaColor(const ScopedAlphaColor&) = delete;
    ScopedAlphaColor& operator=(const ScopedAlphaColor&) = delete;
};

std::unique_ptr<ImageLib::Image> LoadLoaderImage(const std::string& path)
{
    try {
        return std::unique_ptr<ImageLib::Image>(ImageLib::LoadImageFile(path, true));
    } catch (...) {
        return nullptr;
    }
}

// An image whose surface is locked is being drawn on: its pixels may not
// change form under the drawing.
bool IsInUse(MemoryImage& image)
{
    auto* dd = dynamic_cast<DDImage*>(&image);
    return dd && dd->GetLockCount() > 0;
}

} // namespace

bool ResourceManager::ApplyAlphaImage(ImageRes& record, MemoryImage& image)
{
    const auto alpha = LoadLoaderImage(record.alphaImagePath);
    if (!alpha)
        return Fail(FormatString("Failed to load image: %s", record.alphaImagePath.c_str()));
    if (alpha->GetWidth() != image.GetWidth() || alpha->GetHeight() != image.GetHeight())
        return Fail(FormatString("AlphaImage size mismatch between %s and %s", record.path.c_str(),
                                 record.alphaImagePath.c_str()));
    uint32_t* bits = image.RequireBits();
    if (!bits)
        return Fail(FormatString("Failed to load image: %s", record.path.c_str()));
    const uint32_t* source = alpha->GetBits();
    const size_t count = size_t(image.GetWidth()) * size_t(image.GetHeight());
    for (size_t i = 0; i < count; ++i)
        bits[i] = (bits[i] & 0x00FFFFFFu) | ((source[i] & 0xFFu) << 24);
    image.MarkBitsChanged();
    return true;
}

bool ResourceManager::ApplyAlphaGrid(ImageRes& record, MemoryImage& image)
{
    const auto grid = LoadLoaderImage(record.alphaGridPath);
    if (!grid)
        return Fail(FormatString("Failed to load image: %s", record.alphaGridPath.c_str()));
    const int width = image.GetWidth();
    const int cellWidth = width / record.cols;
    const int cellHeight = image.GetHeight() / record.rows;
    if (grid->GetWidth() != cellWidth || grid->GetHeight() != cellHeight)
        return Fail(FormatString("GridAlphaImage size mismatch between %s and %s", record.path.c_str(),
                                 record.alphaGridPath.c_str()));
    uint32_t* bits = image.RequireBits();
    if (!bits)
        return Fail(FormatString("Failed to load image: %s", record.path.c_str()));
    const uint32_t* cell = grid->GetBits();
    for (int row = 0; row < record.rows; ++row) {
        for (int col = 0; col < record.cols; ++col) {
            for (int y = 0; y < cellHeight; ++y) {
                uint32_t* line = bits + size_t(row * cellHeight + y) * size_t(width) + size_t(col * cellWidth);
                const uint32_t* from = cell + size_t(y) * size_t(cellWidth);
                for (int x = 0; x < cellWidth; ++x)
                    line[x] = (line[x] & 0x00FFFFFFu) | ((from[x] & 0xFFu) << 24);
            }
        }
    }
    image.MarkBitsChanged();
    return true;
}

bool ResourceManager::RealizeImage(ImageRes& record)
{
    SharedImageHandle handle;
    bool created = false;
    if (host_) {
        ScopedAlphaColor alphaColor(record.alphaColor);
        try {
            handle = host_->AcquireSharedImage(record.path, record.variant, &created);
        } catch (...) {
            handle = SharedImageHandle();
            created = false;
        }
    }
    MemoryImage* image = handle.GetImage();
    if (!image)
        return Fail(FormatString("Failed to load image: %s", record.path.c_str()));

    if (created) {
        if (!record.alphaImagePath.empty() && !ApplyAlphaImage(record, *image))
            return false;
        if (!record.alphaGridPath.empty() && !ApplyAlphaGrid(record, *image))
            return false;
    }

    image->ScanAlpha();
    record.image = handle;
    image->SetPurged(record.noBits);
    if (record.ddSurface) {
        image->ScanAlpha();
        if (!image->HasTranslucency()) {
            if (auto* dd = dynamic_cast<DDImage*>(image))
                dd->PlaceInVideoMemory(true);
            image->DropBits();
        }
    }
    if (record.mayPalettize) {
        if (IsInUse(*image))
            image->SetPalettized(true);
        else
            image->ConvertToPalette();
    }
    int32_t hints = image->GetTextureHints();
    if (record.a4r4g4b4)
        hints |= 4;
    if (record.a8r8g8b8)
        hints |= 8;
    if (record.minSubdivide)
        hints |= 1;
    image->SetTextureHints(hints);
    if (record.animation.type != ImageAnimation::None)
        image->SetAnimation(std::make_unique<ImageAnimation>(record.animation));
    image->SetCelRows(record.rows);
    image->SetCelCols(record.cols);
    if (image->IsPurged())
        image->DropBits();

    OnRecordRealized(record);
    return true;
}

bool ResourceManager::RealizeSound(SoundRes& record)
{
    SoundManager* sounds = host_ ? host_->GetSoundManager() : nullptr;
    if (!sounds)
        return Fail(FormatString("Failed to load sound: %s", record.path.c_str()));
    const int id = sounds->FirstFreeSoundId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!sounds->LoadSoundFile(id, record.path))
        return Fail(FormatString("Failed to load sound: %s", record.path.c_str()));
    if (record.volume >= 0.0)
        sounds->SetDefaultVolume(id, record.volume);
    if (record.pan != 0)
        sounds->SetDefaultPan(id, record.pan);
    record.soundId = id;
    OnRecordRealized(record);
    return true;
}

bool ResourceManager::RealizeFont(FontRes& record)
{
    FontHost* fontHost = host_ ? host_->GetFontHostForResources() : GetFontHost();
    // The image is declared first so that the font, which draws from it,
    // is destroyed before it on every way out.
    std::shared_ptr<MemoryImage> image;
    std::unique_ptr<Font> font;

    if (record.sysFont) {
        // Windows 9x drew bold system fonts badly; the font then simulates
        // bold itself.
        const bool simulateBold = IsWindows9x();
        auto sys = std::make_unique<SysFont>(fontHost, record.path, record.size, 0,
                                             simulateBold ? false : record.bold, record.italic,
                                             record.underline);
        if (simulateBold)
            sys->SetSimulatedBold(record.bold);
        sys->SetShadow(record.shadow);
        font = std::move(sys);
    } else if (!record.imagePath.empty()) {
        MemoryImage* loaded = nullptr;
        if (host_) {
            try {
                loaded = host_->LoadImageFile(record.imagePath, true);
            } catch (...) {
                loaded = nullptr;
            }
        }
        if (!loaded)
            return Fail(FormatString("Failed to load image: %s", record.imagePath.c_str()));
        image.reset(loaded);
        font = std::make_unique<ImageFont>(image.get(), record.path);
    } else if (record.path.compare(0, 5, "!ref:") != 0) {
        font = std::make_unique<ImageFont>(fontHost, record.path);
    } else {
        const std::string refId = record.path.substr(5);
        Font* other = FindFont(refId);
        if (!other)
            return Fail("Ref font not found: " + refId);
        font.reset(other->Clone());
        // The clone draws from the other record's image, if it has one.
        image = static_cast<FontRes&>(*fonts_.find(refId)->second).image;
    }

    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        FontData* data = imageFont->GetFontData();
        if (!data || !data->IsLoaded()) {
            font.reset();
            return Fail(FormatString("Failed to load font: %s", record.path.c_str()));
        }
        size_t start = 0;
        const std::string& tags = record.tags;
        while (start < tags.size()) {
            const size_t end = tags.find_first_of(", \r\n\t", start);
            const std::string tag = tags.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!tag.empty())
                imageFont->InsertTag(tag);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        imageFont->EnsureScaledLayers();
    }

    record.font = std::move(font);
    record.image = std::move(image);
    OnRecordRealized(record);
    return true;
}

} // namespace Zolt
