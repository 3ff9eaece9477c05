// Feeds arbitrary bytes to the font descriptor reader as a descriptor file:
// it must load or report an error, and the font made from it must measure
// and draw (at its own size and at other sizes) without reading or writing
// outside any buffer.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontData.h"
#include "framework/resources/FontHost.h"
#include "framework/resources/ImageFont.h"
#include "tests/fuzz/FontExercise.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Serves one 24 x 16 image for every layer image the descriptor names.
class FuzzHost : public Zolt::FontHost {
public:
    FuzzHost()
    {
        record_.image = new Zolt::MemoryImage(nullptr);
        std::vector<uint32_t> pixels(24 * 16);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % 3) ? 0xFFFFFFFFu : 0x80402010u;
        record_.image->AssignBits(pixels.data(), 24, 16, true);
        record_.refCount = 1;
    }
    Zolt::SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string&,
                                               bool* created) override
    {
        if (created)
            *created = false;
        if (fileName.find("missing") != std::string::npos)
            return Zolt::SharedImageHandle();
        return Zolt::SharedImageHandle(&record_);
    }
    void ShowError(const std::string& text) override { lastError = text; }

    std::string lastError;

private:
    Zolt::SharedImage record_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzHost host;
    const std::string path = fuzz_support::WriteScratchFile("font_descriptor.txt", data, size);
    if (path.empty())
        return 0;

    Zolt::ImageFont font(&host, path);
    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
    fuzz_support::DrawAndMeasure(font, text, {std::min(font.QueryNativePointSize(), 1 << 20) + 3, 1, 40},
                                 size % 2 ? 1.5 : 0.75);
    font.InsertTag(text.substr(0, 4));
    return 0;
}
