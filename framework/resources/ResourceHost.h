// What the resource manager needs of the application: shared and plain image
// loading, the display's 3D mode, the font host for font descriptors and the
// sound manager. The application base implements it and hands itself to the
// manager it constructs.
//
// Called on the thread that reads and realises resources (main or loading).
#pragma once

#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontHost.h"

#include <string>

namespace Zolt {

class MemoryImage;
class SoundManager;

class ResourceHost {
public:
    virtual ~ResourceHost() = default;

    // The image shared by file name and variant, loaded on first use
    // (created is set then); an empty handle when the file cannot be read.
    virtual SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                                 bool* created) = 0;
    // A new image of the file owned by the caller, or null when it cannot
    // be read. May throw; the manager takes a throw as a failed load.
    virtual MemoryImage* LoadImageFile(const std::string& fileName, bool lookForAlpha) = 0;
    // True while the display draws through Direct3D.
    virtual bool IsIn3DMode() = 0;
    // The host through which font descriptors load their layer images and
    // report their errors.
    virtual FontHost* GetFontHostForResources() { return GetFontHost(); }

    // The application's sound manager, or null when it has none (sound
    // records then fail to load).
    virtual SoundManager* GetSoundManager() { return nullptr; }
};

} // namespace Zolt
