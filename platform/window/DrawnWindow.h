// The window kit under everything the program draws itself (its message
// box, the crash window): what goes in such a window (DrawnWindowContent:
// its size, its picture and its answers to the pointer and the keys), the
// caption band it shows where no window manager frames it with a title,
// and the picture of the whole window, put into a surface that may be
// larger than asked (a window manager's minimum size): the window fills
// the top-left corner, the rest takes the face colour. The window itself
// and its event loop are the back end's (SdlDrawnWindow); the headless back
// end records the same picture.
//
// Threads: the thread that shows the window.
#pragma once

#include "platform/window/DrawnCanvas.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class DrawnWindowContent {
public:
    virtual ~DrawnWindowContent() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The whole content, Width() x Height(), opaque.
    virtual void Draw(DrawnCanvas& canvas) const = 0;

    // Input, in the content's own pixels; `vk` is a virtual-key code.
    virtual void PointerMove(int x, int y) = 0;
    virtual void PointerDown(int x, int y) = 0;
    virtual void PointerUp(int x, int y) = 0;
    // Notches away from the user positive.
    virtual void Wheel(int notches) = 0;
    virtual void KeyDown(int vk, bool shift) = 0;
    // The window's close button (or Alt+F4 through its frame).
    virtual void CloseRequested() = 0;

    // True once the window has its answer and goes.
    virtual bool Done() const = 0;
    // True once after anything that changes the picture.
    virtual bool TakeRedraw() = 0;
};

// The band above the content with the window's caption, for windows no
// window manager frames.
class CaptionBand {
public:
    // Null when no font can be opened to write the caption with.
    static std::unique_ptr<CaptionBand> Make(const std::string& captionUtf8);
    ~CaptionBand();
    CaptionBand(const CaptionBand&) = delete;
    CaptionBand& operator=(const CaptionBand&) = delete;

    int Height() const { return height_; }
    // The band across `width` pixels at the top of the canvas.
    void Draw(DrawnCanvas& canvas, int width) const;

private:
    CaptionBand() = default;
    std::unique_ptr<fonts::SystemFontFace> face_;
    std::string caption_; // Windows-1252
    int height_ = 0;
};

// The picture of a drawn window: the band (when there is one) above the
// content, with a one-pixel outer edge round the whole where there is a
// band to hold it.
class DrawnWindowPicture {
public:
    DrawnWindowPicture(const DrawnWindowContent& content, const CaptionBand* band);
    int Width() const;
    int Height() const;
    // The content's own position of a point of the window.
    int ContentY(int windowY) const { return windowY - BandHeight(); }
    // Draws the window into a surface of `width` x `height` pixels
    // 0xAARRGGBB (pitch in pixels), which may be larger than the window.
    void Draw(uint32_t* pixels, int width, int height, int pitch) const;
    // The window alone, Width() x Height().
    std::vector<uint32_t> Pixels() const;

private:
    int BandHeight() const { return band_ ? band_->Height() : 0; }
    const DrawnWindowContent& content_;
    const CaptionBand* band_;
};

} // namespace platform
