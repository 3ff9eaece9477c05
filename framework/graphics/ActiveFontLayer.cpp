#include "framework/graphics/ActiveFontLayer.h"

#include "framework/graphics/ImageHost.h"
#include "framework/graphics/MemoryImage.h"

#include <utility>

namespace Zolt {

CriticalSection gFontDrawLock;

namespace {

// A duplicate of an owned layer image: the application's display image when
// there is an application, else a plain copy of a memory image.
Image* DuplicateLayerImage(Image* image)
{
    if (!image)
        return nullptr;
    if (ImageHost* host = GetImageHost())
        if (Image* copy = host->DuplicateImage(image))
            return copy;
    if (auto* memory = dynamic_cast<MemoryImage*>(image))
        return new MemoryImage(*memory);
    return nullptr;
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : baseLayer(other.baseLayer), image(other.image), ownsImage(other.ownsImage), rects(other.rects)
{
    if (ownsImage)
        image = DuplicateLayerImage(other.image);
}

ActiveFontLayer::ActiveFontLayer(ActiveFontLayer&& other) noexcept { Swap(other); }

ActiveFontLayer& ActiveFontLayer::operator=(ActiveFontLayer other) noexcept
{
    Swap(other);
    return *this;
}

ActiveFontLayer::~ActiveFontLayer()
{
    if (ownsImage && image)
        delete image;
}

void ActiveFontLayer::Swap(ActiveFontLayer& other) noexcept
{
    std::swap(baseLayer, other.baseLayer);
    std::swap(image, other.image);
    std::swap(ownsImage, other.ownsImage);
    std::swap(rects, other.rects);
}

} // namespace Zolt
