// Feeds arbitrary bytes to the JPEG 2000 reader (codestreams and JP2 files,
// through the program's codec module over OpenJPEG): it must return an
// error or a picture whose every pixel lies inside its buffer.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool loaded = (ImageLib::LoadJ2kCodec(), true);
    (void)loaded;
    ImageLib::MemoryImageSource source(data, size);
    if (auto image = ImageLib::DecodeJ2k(source))
        fuzz_support::ReadEveryPixel(*image);
    return 0;
}
