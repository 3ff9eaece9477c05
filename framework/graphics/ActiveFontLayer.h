// A font layer prepared for the point size, scale and tags in use: the image
// it draws from and where each of the 256 characters sits in it. The image
// is borrowed from the descriptor layer, or owned when the font made a
// scaled copy; a copy of a record that owns its image owns a duplicate.
// The records hold no lock; image-font drawing is serialised by
// gFontDrawLock.
#pragma once

#include "framework/graphics/Rect.h"
#include "framework/base/CriticalSection.h"

#include <array>

namespace Zolt {

class FontLayer;
class Image;

class ActiveFontLayer {
public:
    ActiveFontLayer() = default;
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer(ActiveFontLayer&& other) noexcept;
    ActiveFontLayer& operator=(ActiveFontLayer other) noexcept;
    virtual ~ActiveFontLayer();

    // The descriptor layer this was prepared from (set by the builder).
    FontLayer* baseLayer = nullptr;
    Image* image = nullptr;
    bool ownsImage = false;
    std::array<Rect, 256> rects{};

private:
    void Swap(ActiveFontLayer& other) noexcept;
};

// Serialises image-font drawing across all fonts and threads.
extern CriticalSection gFontDrawLock;

} // namespace Zolt
