#include "framework/resources/SysFont.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/FontHost.h"
#include "platform/fonts/SystemFontFace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Zolt {

namespace {

// Off-screen text images larger than this are not made.
constexpr int64_t kMaxTextPixels = int64_t(1) << 24;

// The lines of a text as the measuring of the other platform split them.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

// Alpha and colour of a text pixel from the same pixel written on white (w)
// and on black (b).
uint32_t TextPixel(uint32_t w, uint32_t b)
{
    w &= 0xFFFFFF;
    b &= 0xFFFFFF;
    if (w == b)
        return 0xFF000000u | w;
    if (w == 0xFFFFFF && b == 0)
        return 0;
    int alpha = 255;
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int wc = int((w >> shift) & 0xFF);
        const int bc = int((b >> shift) & 0xFF);
        const int a = std::clamp(255 - (wc - bc), 0, 255);
        // A channel with no coverage left has no colour to recover.
        const int c = a == 0 ? 0 : std::min(255, bc * 255 / a);
        alpha = std::min(alpha, a);
        out |= uint32_t(c) << shift;
    }
    return out | (uint32_t(alpha) << 24);
}

} // namespace

int SysFont::PointsToPixels(int pointSize, int dpi)
{
    const int64_t product = int64_t(pointSize) * dpi;
    const int64_t rounded = product >= 0 ? (product + 36) / 72 : (product - 36) / 72;
    return static_cast<int>(std::clamp<int64_t>(rounded, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
    : host_(GetFontHost())
{
    Open(face, PointsToPixels(pointSize, 96), 0, bold, italic, underline);
}

SysFont::SysFont(FontHost* host, const std::string& face, int pointSize, int charset, bool bold, bool italic,
                 bool underline)
    : host_(host)
{
    Open(face, PointsToPixels(pointSize, host ? host->FontLogicalDpi() : 96), charset, bold, italic, underline);
}

SysFont::SysFont(const SysFont& other) : Font(other), host_(other.host_), pixelHeight_(other.pixelHeight_)
{
    if (other.face_)
        face_ = platform::fonts::SystemFontFace::Open(other.face_->Request());
}

SysFont::~SysFont() = default;

Font* SysFont::Clone() { return new SysFont(*this); }

void SysFont::Open(const std::string& face, int pixelHeight, int charset, bool bold, bool italic, bool underline)
{
    pixelHeight_ = pixelHeight;
    platform::fonts::FontRequest request;
    request.face = face;
    request.pixelHeight = pixelHeight;
    request.bold = bold;
    request.italic = italic;
    request.underline = underline;
    request.charset = charset;
    face_ = platform::fonts::SystemFontFace::Open(request);
    if (face_) {
        const auto metrics = face_->Metrics();
        height_ = metrics.height;
        ascent_ = metrics.ascent;
    }
}

std::string SysFont::FamilyName() const { return face_ ? face_->FamilyName() : std::string(); }

int32_t SysFont::MeasureText(const std::string& text)
{
    if (!face_)
        return 0;
    int32_t widest = 0;
    for (const auto& line : SplitLines(text))
        widest = std::max(widest, face_->MeasureText(line));
    return widest;
}

std::unique_ptr<MemoryImage> SysFont::MakeTextImage(const std::string& text, const Color& color, int width,
                                                    int height)
{
    if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxTextPixels)
        return nullptr;
    const uint32_t rgb = (uint32_t(color.red & 0xFF) << 16) | (uint32_t(color.green & 0xFF) << 8) |
                         uint32_t(color.blue & 0xFF);
    const size_t count = size_t(width) * size_t(height);
    std::vector<uint32_t> onWhite(count, 0x00FFFFFFu);
    std::vector<uint32_t> onBlack(count, 0u);
    auto write = [&](int dx, int dy, uint32_t colour) {
        face_->DrawText(onWhite.data(), width, height, width, dx, dy, colour, text);
        face_->DrawText(onBlack.data(), width, height, width, dx, dy, colour, text);
    };
    if (shadow_) {
        write(1, 1, 0u);
        if (simulatedBold_)
            write(2, 1, 0u);
    }
    write(0, 0, rgb);
    if (simulatedBold_)
        write(1, 0, rgb);
    std::vector<uint32_t> pixels(count);
    for (size_t i = 0; i < count; ++i)
        pixels[i] = TextPixel(onWhite[i], onBlack[i]);
    auto image = std::make_unique<MemoryImage>();
    image->AssignBits(pixels.data(), width, height, true);
    return image;
}

void SysFont::RenderText(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip)
{
    (void)clip; // the graphics clips the text image itself
    if (!face_ || !g)
        return;
    Image* destination = g->GetDestination();
    if (!destination || destination == Graphics::BlankImage())
        return;
    const int width = MeasureText(text);
    if (dynamic_cast<DDImage*>(destination)) {
        // A display image gets the text one pixel lower, and the shadow and
        // bold copies are not cut at the measured box.
        const int extra = shadow_ || simulatedBold_ ? 2 : 0;
        if (auto image = MakeTextImage(text, color, width + extra, height_ + (shadow_ ? 1 : 0)))
            g->PaintImage(image.get(), x, y - ascent_ + 1);
        return;
    }
    if (auto image = MakeTextImage(text, color, width, height_))
        g->PaintImage(image.get(), x, y - ascent_);
}

} // namespace Zolt
