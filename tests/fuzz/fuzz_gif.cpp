// Feeds arbitrary bytes to the GIF decoder: it must return an error or a
// picture whose every pixel lies inside its buffer.
#include "imagelib/ImageDecoders.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageLib::MemoryImageSource source(data, size);
    if (auto image = ImageLib::DecodeGif(source))
        fuzz_support::ReadEveryPixel(*image);
    return 0;
}
