// Feeds arbitrary bytes to the archive reader as a whole archive image and
// reads back every member it accepts: nothing may be read outside the image.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pak/PakFormat.h"

volatile uint8_t gPakFuzzSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a sanitizer sees any read past the end.
    std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
    for (size_t i = 0; i < size; ++i)
        image[i] = data[i];
    std::vector<PakDirectoryRecord> records;
    std::string error;
    if (!ReadPakDirectory(image.get(), size, &records, &error)) {
        if (error.empty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    uint8_t sum = 0;
    for (const PakDirectoryRecord& r : records) {
        if (uint64_t{r.start} + r.size > size)
            __builtin_trap();
        std::vector<uint8_t> plain(r.size);
        PakDescramble(plain.data(), image.get() + r.start, r.size);
        for (uint8_t b : plain)
            sum = static_cast<uint8_t>(sum + b);
    }
    gPakFuzzSink = sum; // keeps the reads
    return 0;
}
