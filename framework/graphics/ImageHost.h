// What an image needs of the application it is registered with: the register
// of live images, the display's format and 3D mode, and the clean-up request
// for shared images. The application base implements it; images hold it as a
// plain pointer that may be null (tools and tests run without an
// application, and then these services are simply absent).
//
// Called on the main thread, and on the loading thread for images it makes;
// the implementation takes the display's lock where the register needs it.
#pragma once

#include <cstdint>

namespace Zolt {

class Image;
class MemoryImage;
class NativeDisplay;

class ImageHost {
public:
    virtual ~ImageHost() = default;

    // Every memory image registers itself when made and unregisters when
    // destroyed; unregistering also drops the image's 3D textures.
    virtual void RegisterImage(MemoryImage* image) = 0;
    virtual void UnregisterImage(MemoryImage* image) = 0;

    // True while the display draws through Direct3D.
    virtual bool IsIn3DMode() = 0;
    // Drops the image's 3D textures.
    virtual void ReleaseImageFromDisplay(MemoryImage* image) = 0;
    // The display's pixel format, or null without a display.
    virtual NativeDisplay* GetNativeDisplay() = 0;

    // Reads the pixels of the image's 3D texture back into width x height
    // words; false when there is no texture to read.
    virtual bool ReadTextureBits(MemoryImage* image, uint32_t* out) = 0;

    // A shared image lost its last reference: ask for the unreferenced
    // records to be deleted on a later update.
    virtual void RequestSharedImageCleanup() = 0;

    // A new display image holding a copy of the whole image (owned by the
    // caller), or null.
    virtual Image* DuplicateImage(Image* image) = 0;
};

// The process-wide application, as images see it. Null when there is none.
ImageHost* GetImageHost();
void SetImageHost(ImageHost* host);

} // namespace Zolt
