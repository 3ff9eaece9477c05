// Feeds arbitrary bytes to the font descriptor reader as a descriptor file:
// it must load or report an error, and the font made from it must measure
// and draw (at its own size and at other sizes) without reading or writing
// outside any buffer.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontData.h"
#include "framework/resources/FontHost.h"
#include "framework/resources/ImageFont.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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
    static const std::string path =
        (std::filesystem::temp_directory_path() / "pellucor_fuzz_font_descriptor.txt").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    Zolt::ImageFont font(&host, path);
    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
    Zolt::MemoryImage canvas(nullptr);
    canvas.MakeBlank(64, 32);
    Zolt::Graphics g(&canvas);
    std::vector<Zolt::Rect> rects;
    int width = 0;
    font.RenderTextWithRects(&g, 3, 20, text, Zolt::Color(200, 100, 50, 255), g.GetClip(), &rects, &width);
    volatile int measured = font.MeasureText(text);
    (void)measured;
    for (int pointSize : {font.QueryNativePointSize() + 3, 1, 40}) {
        font.ChangePointSize(pointSize);
        font.ChangeScale(size % 2 ? 1.5 : 0.75);
        font.RenderTextWithRects(&g, 1, 30, text, Zolt::Color(255, 255, 255, 128), g.GetClip(), &rects, &width);
    }
    font.InsertTag(text.substr(0, 4));
    std::unique_ptr<Zolt::Font> copy(font.Clone());
    copy->MeasureText(text);
    return 0;
}
