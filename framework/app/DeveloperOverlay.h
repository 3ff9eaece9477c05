// The developer's on-screen read-outs in the bottom right corner: the frame
// counter (frames per second, refreshed once a second) or the mouse
// position, and, while a demo plays, the time left in it above them.
//
// Made on first use: an 8-point system font and images 50 pixels wide and
// the font's height + 4 high, cleared to black with the text in white.
//
// Threads: main thread only (the developer keys and the draw pass); no lock.
#pragma once

#include "framework/app/PerfTimer.h"

#include <functional>
#include <memory>
#include <string>

namespace Zolt {

class DDImage;
class DDInterface;
class Font;
class Image;

class DeveloperOverlay {
public:
    enum Kind { kFrameCounter = 0, kMousePosition = 1 };
    using FontMaker = std::function<std::unique_ptr<Font>()>;

    DeveloperOverlay();
    ~DeveloperOverlay();
    DeveloperOverlay(const DeveloperOverlay&) = delete;
    DeveloperOverlay& operator=(const DeveloperOverlay&) = delete;

    bool IsOn() const { return on_; }
    int GetKind() const { return kind_; }
    // On or off, keeping the kind; turning it on restarts the counter.
    void Toggle();
    // On, with the next kind (after the last, the first again).
    void NextKind();

    // Counts one drawn frame; at least a second after the last read-out (or
    // at the first frame after a restart, which reads 0) the shown rate is
    // refreshed.
    void CountFrame();
    // What the overlay shows: "FPS: n" or the mouse position "x,y".
    std::string Text(int mouseX, int mouseY) const;

    // Before a paint: makes what is missing (images on `display`, which may
    // be null for plain memory images) and redraws what changed. `demoTime`
    // is the demo-time text while a demo plays, else null.
    void Refresh(DDInterface* display, const FontMaker& makeFont, int mouseX, int mouseY,
                 const std::string* demoTime);
    // After a paint: the images 10 pixels in from the bottom right corner of
    // the screen, the demo time 5 pixels above the overlay.
    void Draw(Image* screen, int screenWidth, int screenHeight, bool demoPlaying);
    // Deletes the images and the font (the display going).
    void Drop();

private:
    void Restart();

    bool on_ = false;
    int kind_ = kFrameCounter;
    PerfTimer stopwatch_;
    int frames_ = 0;
    int shown_ = 0;
    bool restarted_ = false;
    std::unique_ptr<Font> font_;
    std::unique_ptr<DDImage> image_;
    std::unique_ptr<DDImage> demoTimeImage_;
};

} // namespace Zolt
