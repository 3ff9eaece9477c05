// The one map from SDL's keys to the virtual-key codes of the program's
// platform, for every window made over SDL (the program's own, its drawn
// boxes, the crash window): keys by their place on a US layout, except
// letters and digits, which follow the layout as the other platform's
// virtual keys do; the modifiers side by side (VK_LSHIFT...).
//
// Threads: pure functions; any thread.
#pragma once

#include <SDL_keyboard.h>

namespace platform {

// The virtual key of the physical key (US layout); 0 for a key without one.
int PhysicalVirtualKey(SDL_Scancode code);
// The virtual key the program hears for the key pressed; 0 for none.
int VirtualKeyOf(const SDL_Keysym& key);

} // namespace platform
