// What a game may ask of its application: size, screen mode, quitting, the
// registry below the game's own key, and whether a demo plays back.
//
// Threads: main thread. No call takes a lock; Quit hands the close to the
// main window, so the close itself always runs on the main thread.
#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>

namespace KernelLibrary {

// The application's size in pixels.
struct Size {
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const Size&) const = default;
};

class ISysApp {
public:
    virtual ~ISysApp() = default;
    virtual void GetSize(Size* out) = 0;
    // Stores the size; once the game's widget exists it is resized too.
    virtual void SetSize(const Size& size) = 0;
    // Records the wish; the framework applies it.
    virtual void SetFullScreen(bool fullScreen) = 0;
    // Ends the program: the game is stopped and shut down, then the main loop
    // ends. The game is not asked again.
    virtual void Quit() = 0;
    // Both work below "SOFTWARE\" + the game's registry key; a "\" in the
    // path splits off a sub-key.
    virtual bool ReadRegistryValue(const std::string& path, uint32_t* type, uint8_t* data, uint32_t* length,
                                   platform::HKEY rootKey) = 0;
    virtual bool WriteRegistryValue(const std::string& path, uint32_t type, const uint8_t* data,
                                    uint32_t length) = 0;
    // The run replays a recorded demo: what the game does is the
    // recording's, and the player's own files are not the game's to write.
    virtual bool IsPlayingDemo() = 0;
};

} // namespace KernelLibrary
