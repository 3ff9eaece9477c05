// The decoders behind the Read*Image functions, each over an ImageSource, so
// tests and fuzzers can feed them bytes from memory. Each returns a new
// picture or null; none reads outside the source or the picture.
//
// Thread: any; each call uses only its own source and tables.
#pragma once

#include "imagelib/Image.h"
#include "imagelib/ImageSource.h"

#include <memory>
#include <string>

namespace ImageLib {

std::unique_ptr<Image> DecodeTga(ImageSource& source);
std::unique_ptr<Image> DecodePng(ImageSource& source);
std::unique_ptr<Image> DecodeJpeg(ImageSource& source);
std::unique_ptr<Image> DecodeGif(ImageSource& source);
// Needs the codec module (LoadJ2kCodec); null without it.
std::unique_ptr<Image> DecodeJ2k(ImageSource& source);

using Decoder = std::unique_ptr<Image> (*)(ImageSource&);
// Opens the file through the archive layer and decodes it; null when it
// cannot be opened or decoded. One that opens and does not decode is told
// on standard error, named with its archive and with the decoder's reason
// ("images/x.png in data.pak: not a readable PNG image (IHDR: CRC error)").
std::unique_ptr<Image> DecodeFile(const std::string& fileName, Decoder decode, const char* format);

} // namespace ImageLib
