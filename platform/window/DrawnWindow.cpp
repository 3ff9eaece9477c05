#include "platform/window/DrawnWindow.h"

#include "platform/fonts/SystemFontFace.h"
#include "platform/window/TextWrap.h"
#include "platform/window/VirtualKeys.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int kCaptionPixels = 15;
constexpr int kCaptionMargin = 16;

} // namespace

std::unique_ptr<CaptionBand> CaptionBand::Make(const std::string& captionUtf8)
{
    std::unique_ptr<CaptionBand> band(new CaptionBand);
    band->face_ = fonts::SystemFontFace::Open({"Tahoma", kCaptionPixels, true});
    if (!band->face_)
        return nullptr;
    band->caption_ = Utf8ToWindows1252(captionUtf8);
    band->height_ = band->face_->Metrics().height + 14;
    return band;
}

CaptionBand::~CaptionBand() = default;

void CaptionBand::Draw(DrawnCanvas& canvas, int width) const
{
    canvas.Fill({0, 0, width, height_}, drawn_colour::kBand);
    // A caption longer than the band ends in "..." (0x85).
    const int room = width - 2 * kCaptionMargin;
    WrapRule rule;
    rule.width = room;
    rule.measure = [this](const std::string& text) { return face_->MeasureText(text); };
    const std::string line = FitOneLine(caption_, "\x85", rule);
    const int top = (height_ - face_->Metrics().height) / 2;
    const PixelArea clip{kCaptionMargin, 0, room, height_};
    canvas.Text(*face_, kCaptionMargin, top, drawn_colour::kBandText, line, &clip);
}

DrawnWindowPicture::DrawnWindowPicture(const DrawnWindowContent& content, const CaptionBand* band)
    : content_(content), band_(band)
{
}

int DrawnWindowPicture::Width() const { return content_.Width(); }

int DrawnWindowPicture::Height() const { return content_.Height() + BandHeight(); }

void DrawnWindowPicture::Draw(uint32_t* pixels, int width, int height, int pitch) const
{
    DrawnCanvas canvas(pixels, width, height, pitch);
    if (width > Width() || height > Height())
        canvas.Fill({0, 0, width, height}, drawn_colour::kFace);
    DrawnCanvas window(pixels, std::min(width, Width()), std::min(height, Height()), pitch);
    if (band_)
        band_->Draw(window, Width());
    DrawnCanvas below = window.Below(BandHeight());
    content_.Draw(below);
    // Without a frame the window needs an edge of its own to stand out.
    if (band_)
        window.Frame({0, 0, Width(), Height()}, drawn_colour::kOuterEdge, 1);
}

std::vector<uint32_t> DrawnWindowPicture::Pixels() const
{
    std::vector<uint32_t> pixels(static_cast<size_t>(Width()) * static_cast<size_t>(Height()));
    Draw(pixels.data(), Width(), Height(), Width());
    return pixels;
}

} // namespace platform
