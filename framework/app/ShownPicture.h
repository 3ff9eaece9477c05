// What the window shows of the screen image, so that a present sends only
// what it lacks: the places painted since the last present, or, when the
// window already shows the picture as it stands, nothing new at all. A
// paint that does not say where it drew, a present that failed or anything
// the window may have lost makes the next present a whole one.
//
// Main thread (the loop's draw step).
#pragma once

#include "framework/graphics/Rect.h"

#include <vector>

namespace Zolt {

class ShownPicture {
public:
    enum class Present { Whole, Places, Again };

    // A pass painted only these places (none: it drew what was there).
    void NotePaintedPlaces(const std::vector<Rect>& places);
    // A pass painted without saying where, or something drew over it.
    void NotePaintedWhole() { wholeOwed_ = true; }
    // What the next present must send; a forced one is whole.
    Present Next(bool forced) const;
    const std::vector<Rect>& Places() const { return places_; }
    // After a present: the window shows the picture as it stands, or
    // (false) nothing is known of what it shows.
    void NoteShown(bool succeeded);

private:
    bool current_ = false;
    bool wholeOwed_ = false;
    std::vector<Rect> places_;
};

} // namespace Zolt
