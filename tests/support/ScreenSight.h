// What a player sees on the screen: the shown visible objects of the control
// factory, from the top layer down, each with what it shows (a caption or
// text, an image and the part of it) and where. The scripted player finds
// what to click by it, the way a person would.
//
// Threads: the main thread; the factory's lock is held while the scene is
// read, so objects shown, hidden or released by the time thread meanwhile
// are never half read.
#pragma once

#include "controls/Rect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace walk {

// Something to look for.
struct Sight {
    enum class Kind { Caption, Image };
    Kind kind = Kind::Caption;
    // The caption or text, or the image's file name.
    std::string text;
    // For images: the part of the image the object shows (a button: in its
    // normal state); any part when not given.
    std::optional<ControlLibrary::Rect> part;
    // What the script calls it ("the No button"); it names the screenshots.
    std::string name;

    // The same sight, called `label`.
    Sight Named(std::string label) const;
    std::string Describe() const;
};

// A button's caption, or the words a text, link or edit box shows.
Sight Caption(std::string text);
// An image object, a button face or a dialog background showing the image.
Sight Image(std::string file);
Sight Image(std::string file, ControlLibrary::Rect part);

// One shown object as the player sees it.
struct Seen {
    uint32_t id = 0;
    std::string kind;       // "button", "text", "link", "image", "dialog", ...
    std::string caption;    // caption or text, "" when none
    std::string image;      // image shown, "" when none
    ControlLibrary::Rect part; // the part of the image
    ControlLibrary::Rect area; // on the screen
    bool enabled = true;

    int32_t CentreX() const { return area.x + area.w / 2; }
    int32_t CentreY() const { return area.y + area.h / 2; }
    bool Matches(const Sight& sight) const;
    std::string Describe() const;
};

// Every shown object, the top one first. Empty without a factory.
std::vector<Seen> LookAtScreen();
// The topmost shown object that matches, if any.
std::optional<Seen> FindOnScreen(const Sight& sight);
// One line per shown object, the top one first (for failure messages).
std::string DescribeScreen();

} // namespace walk
