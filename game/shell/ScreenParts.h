// What the shell's full screens (the start screen and the set-up screens)
// build their objects with: the background, one button style, the close
// button's corner and layer, fonts loaded through the factory, and objects
// given back to it.
//
// Threads: the main thread.
#pragma once

#include "controls/IFactory.h"
#include "controls/Point.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {
class IButtonVO;
class IFont;
class IImageVO;
class MouseMessageObserver;
} // namespace ControlLibrary

namespace Gamespace::screen_parts {

inline constexpr uint16_t kBackgroundLayer = 10;
inline constexpr uint16_t kButtonLayer = 50;
inline constexpr uint16_t kCloseLayer = 400;
inline constexpr char kCloseImage[] = "images/btn_close.png";
// The close button stands in the top right corner whatever the screen size.
inline constexpr ControlLibrary::Point kClosePosition{1000, 50};

// The full-screen picture `image`, centred on its position, below everything.
ControlLibrary::IImageVO* MakeBackground(ControlLibrary::IFactory& factory, const std::string& image);
// A button in the screens' style: centred on its position, at kButtonLayer,
// its caption in `font` lifted 5 pixels, light on the face and yellow under
// the pointer, black while disabled; `observer` hears its mouse.
ControlLibrary::IButtonVO* MakeButton(ControlLibrary::IFactory& factory, ControlLibrary::IFont* font,
                                      ControlLibrary::MouseMessageObserver* observer);
// A font loaded from `descriptor`.
ControlLibrary::IFont* LoadFont(ControlLibrary::IFactory& factory, const char* descriptor);

// Gives `object` back to the factory (none: nothing) and forgets it.
template <class Object>
void Release(ControlLibrary::IFactory& factory, Object*& object)
{
    if (object)
        factory.ReleaseVO(object);
    object = nullptr;
}

} // namespace Gamespace::screen_parts
