// Feeds arbitrary bytes to the reader of width-list fonts (a space width, an
// ascent, then characters each with its width): it must refuse the file or
// make a font that measures and draws its own text, at its size and others,
// without reading or writing outside the font's picture or the canvas.
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageFont.h"
#include "tests/fuzz/FontExercise.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The strip of glyphs the list measures, 40 x 12.
    static Zolt::MemoryImage* strip = [] {
        auto* image = new Zolt::MemoryImage(nullptr);
        std::vector<uint32_t> pixels(40 * 12);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % 5) ? 0xFFFFFFFFu : 0x00000000u;
        image->AssignBits(pixels.data(), 40, 12, true);
        return image;
    }();
    const std::string path = fuzz_support::WriteScratchFile("widths.txt", data, size);
    if (path.empty())
        return 0;
    Zolt::ImageFont font(strip, path);
    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 48));
    fuzz_support::DrawAndMeasure(font, text, {std::min(font.QueryNativePointSize(), 1 << 20) * 2, 3}, 1.0);
    return 0;
}
