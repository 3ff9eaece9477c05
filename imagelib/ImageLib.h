// The image loaders and writers: image files in TGA, JPEG, PNG, GIF and
// JPEG 2000 become ImageLib::Image pictures of 0xAARRGGBB words; pictures can
// be written back as PNG or JPEG. Files are read through the archive layer,
// written straight to disk.
//
// Thread: the loaders keep no locks. The alpha-compose colour and the codec
// module are process-wide and set on the main thread (application start-up,
// the resource manager around one load); other threads only load.
#pragma once

#include "imagelib/Image.h"

#include <string>

namespace ImageLib {

// The colour (0xRRGGBB) given to a picture made from a separate alpha image
// alone. The resource manager sets it around one load; 0xFFFFFF otherwise.
extern int gAlphaComposeColor;

// Loads name, trying the known formats when it has no extension; with
// lookForAlpha, a grey "_name" (or "name_") image supplies the alpha channel.
// Null when nothing could be read.
Image* LoadImageFile(const std::string& fileName, bool lookForAlpha);

// Each reader opens the file through the archive layer, decodes it and
// closes it; null on a missing file, a wrong signature or damaged data.
Image* ReadTgaImage(const std::string& fileName);
Image* ReadJpegImage(const std::string& fileName);
Image* ReadPngImage(const std::string& fileName);
Image* ReadGifImage(const std::string& fileName);
Image* ReadJ2kImage(const std::string& fileName);

// Write a disk file (mode "wb"); false when the file cannot be created or a
// write fails (a full disk included).
bool SavePngFile(const std::string& fileName, Image* image);
bool SaveJpegFile(const std::string& fileName, Image* image);

// Loads the JPEG 2000 codec module ("j2k-codec.dll") for the reader; without
// it JPEG 2000 files simply fail to load. FreeJ2kCodec lets it go again.
void LoadJ2kCodec();
void FreeJ2kCodec();

} // namespace ImageLib
