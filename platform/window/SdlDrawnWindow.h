// A window of the drawn-window kit (DrawnWindow.h) on SDL, with its event
// loop: the program's drawn boxes and the crash viewer's window both run
// here, so what a player needs of such a window is made once:
//  - it stands in front: transient for (and modal to) the window it answers
//    for, kept above the others, and that window gives up its own
//    keep-above (a full-screen game's) while it is up;
//  - it is a dialog to the window manager, of a fixed size: no minimise
//    (which would take its owner along) and no maximise;
//  - it has the keyboard: it takes the input focus itself once it shows
//    (no window manager gives it one), and gives it back as it goes;
//  - its caption is drawn in a band on it where no window manager frames
//    it with a title;
//  - it is drawn on the window's surface, whatever size that has;
//  - while it is up it takes SDL's events: its own drive the content, and
//    every other one is queued again after it (the window service then
//    drops the input meant for the windows the box disabled); another
//    window of the program that comes back into view meanwhile shows its
//    last picture again, since its own loop waits for the answer;
//  - it goes at once, unanswered, when the session ends (SIGTERM and its
//    kin, noted by SessionEndSignals) or the display connection is lost.
// It sleeps on the display connection, never in SDL's own wait: that one
// names a window for other threads to wake it through, and a wake-up sent
// to this window just as it goes is an X error that ends the program.
//
// Threads: the thread that started SDL's video.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class DisplayConnectionWait;
class DrawnWindowContent;

enum class DrawnWindowPlace {
    // In the middle of its owner (of the screen without one).
    OverOwner,
    // At (64, 64) of the desktop's usable area, or in its middle when that
    // is too small to hold it there.
    NearTopLeft,
};

enum class DrawnWindowEnd { Done, SessionEnded, DisplayLost, NoWindow };

struct DrawnWindowLook {
    std::string captionUtf8;
    DrawnWindowPlace place = DrawnWindowPlace::OverOwner;
    // The SDL window it stands in front of (0: the one with the keyboard
    // focus, if any).
    uint32_t owner = 0;
    // The caption band where no window manager frames it; a window whose
    // size is fixed (the crash window's 400 x 300) goes without.
    bool captionBand = true;
};

// Shows the content until it is done, sleeping on `connection` between
// events.
DrawnWindowEnd RunSdlDrawnWindow(DrawnWindowContent& content, const DrawnWindowLook& look,
                                 DisplayConnectionWait& connection);

} // namespace platform
