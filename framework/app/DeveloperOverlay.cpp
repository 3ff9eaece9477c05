#include "framework/app/DeveloperOverlay.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <cstdio>

namespace Zolt {

namespace {

constexpr int kImageWidth = 50;
constexpr int kMargin = 10;

// Clears the image to black and writes the text in white on the font's
// ascent line.
void PaintText(Image* image, Font* font, const std::string& text)
{
    Graphics g(image);
    g.SetColor(Color::Black);
    g.FillRectangle(0, 0, image->GetWidth(), image->GetHeight());
    g.SetFont(font);
    g.SetColor(Color::White);
    g.RenderText(text, 2, font->QueryAscent());
}

std::unique_ptr<DDImage> MakeImage(DDInterface* display, int height)
{
    auto image = std::make_unique<DDImage>(display);
    image->MakeBlank(kImageWidth, height);
    return image;
}

} // namespace

DeveloperOverlay::DeveloperOverlay() = default;
DeveloperOverlay::~DeveloperOverlay() = default;

void DeveloperOverlay::Restart()
{
    stopwatch_.Start();
    frames_ = 0;
    shown_ = 0;
    restarted_ = true;
}

void DeveloperOverlay::Toggle()
{
    on_ = !on_;
    if (on_)
        Restart();
}

void DeveloperOverlay::NextKind()
{
    on_ = true;
    kind_ = (kind_ + 1) % 2;
    Restart();
}

void DeveloperOverlay::CountFrame()
{
    ++frames_;
    const double elapsed = stopwatch_.GetDuration();
    if (elapsed >= 1000.0 || restarted_) {
        shown_ = restarted_ || elapsed <= 0.0 ? 0 : int(frames_ * 1000.0 / elapsed);
        restarted_ = false;
        stopwatch_.Start();
        frames_ = 0;
    }
}

std::string DeveloperOverlay::Text(int mouseX, int mouseY) const
{
    char text[48];
    if (kind_ == kMousePosition)
        std::snprintf(text, sizeof text, "%d,%d", mouseX, mouseY);
    else
        std::snprintf(text, sizeof text, "FPS: %d", shown_);
    return text;
}

void DeveloperOverlay::Refresh(DDInterface* display, const FontMaker& makeFont, int mouseX, int mouseY,
                               const std::string* demoTime)
{
    if ((on_ || demoTime) && !font_) {
        font_ = makeFont();
        if (!font_)
            return;
    }
    const int height = font_ ? font_->QueryHeight() + 4 : 0;
    if (on_) {
        if (!image_) {
            image_ = MakeImage(display, height);
            restarted_ = true;
        }
        const int before = shown_;
        const bool restarted = restarted_;
        if (kind_ == kFrameCounter)
            CountFrame();
        // The mouse position may change at any frame; the rate only at a
        // read-out.
        if (kind_ == kMousePosition || restarted || shown_ != before || frames_ == 0)
            PaintText(image_.get(), font_.get(), Text(mouseX, mouseY));
    }
    if (demoTime) {
        if (!demoTimeImage_)
            demoTimeImage_ = MakeImage(display, height);
        PaintText(demoTimeImage_.get(), font_.get(), *demoTime);
    }
}

void DeveloperOverlay::Draw(Image* screen, int screenWidth, int screenHeight, bool demoPlaying)
{
    if (!screen || !on_ || !image_)
        return;
    Graphics g(screen);
    g.PaintImage(image_.get(), screenWidth - image_->GetWidth() - kMargin,
                 screenHeight - image_->GetHeight() - kMargin);
    if (demoPlaying && demoTimeImage_)
        g.PaintImage(demoTimeImage_.get(), screenWidth - demoTimeImage_->GetWidth() - kMargin,
                     screenHeight - image_->GetHeight() - demoTimeImage_->GetHeight() - kMargin - 5);
}

void DeveloperOverlay::Drop()
{
    image_.reset();
    demoTimeImage_.reset();
    font_.reset();
}

} // namespace Zolt
