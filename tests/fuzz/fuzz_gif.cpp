// Feeds arbitrary bytes to the GIF decoder: it must return an error or a
// picture whose every pixel lies inside its buffer.
#include "imagelib/ImageDecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageLib::MemoryImageSource source(data, size);
    auto image = ImageLib::DecodeGif(source);
    if (image) {
        uint32_t sum = 0;
        for (size_t i = 0, n = size_t(image->mWidth) * size_t(image->mHeight); i < n; ++i)
            sum += image->GetBits()[i];
        volatile uint32_t keep = sum;
        (void)keep;
    }
    return 0;
}
