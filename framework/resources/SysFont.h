// A font made from an installed system font: it measures with the platform's
// font service and draws by letting it write the text into two off-screen
// bitmaps (one white, one black), from which a text image with alpha is
// computed and painted. On a display image the text sits one pixel lower,
// as where the text was written straight onto the surface. Face names of
// the other platform are served by free stand-ins (see platform/fonts).
//
// A font object is used by one thread at a time; the platform service
// serialises its own work.
#pragma once

#include "framework/graphics/Font.h"

#include <memory>
#include <string>

namespace platform::fonts {
class SystemFontFace;
}

namespace Zolt {

class FontHost;
class MemoryImage;

class SysFont : public Font {
public:
    // The process-wide application, the ANSI character set, 96 dots per inch.
    SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline);
    // The host's logical dots per inch (96 without a host).
    SysFont(FontHost* host, const std::string& face, int pointSize, int charset, bool bold, bool italic,
            bool underline);
    // The same font, host, ascent and height; shadow and simulated bold are
    // not copied.
    SysFont(const SysFont& other);
    ~SysFont() override;

    int32_t MeasureText(const std::string& text) override;
    // y is the baseline; the clip is the graphics' own.
    void RenderText(Graphics* g, int x, int y, const std::string& text, const Color& color,
                    const Rect& clip) override;
    Font* Clone() override;

    // Set by the resource manager right after construction.
    void SetShadow(bool shadow) { shadow_ = shadow; }
    void SetSimulatedBold(bool bold) { simulatedBold_ = bold; }
    bool HasShadow() const { return shadow_; }
    bool HasSimulatedBold() const { return simulatedBold_; }
    // The character height asked of the platform (point size x dpi / 72).
    int PixelHeight() const { return pixelHeight_; }
    // The free family that stands in for the face; "" when none was found.
    std::string FamilyName() const;

    // point size x dpi / 72, rounded half away from zero.
    static int PointsToPixels(int pointSize, int dpi);

private:
    // The text written on white and on black, turned into colour and alpha:
    // width x height pixels, the line's top-left corner at (0, 0). Null for
    // an empty or oversized box.
    std::unique_ptr<MemoryImage> MakeTextImage(const std::string& text, const Color& color, int width, int height);
    void Open(const std::string& face, int pixelHeight, int charset, bool bold, bool italic, bool underline);

    std::unique_ptr<platform::fonts::SystemFontFace> face_;
    FontHost* host_ = nullptr;
    int pixelHeight_ = 0;
    bool shadow_ = false;
    bool simulatedBold_ = false;
};

} // namespace Zolt
