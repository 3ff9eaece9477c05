// The keys SDL reports, as the program hears them: the ones a player plays
// with (Return and the keypad's Enter, Escape, the arrows, letters and
// digits of both the row and the keypad) and the ends of every range.
#include "platform/window/SdlKeys.h"

#include "platform/window/VirtualKeys.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

SDL_Keysym Key(SDL_Scancode code, SDL_Keycode sym)
{
    SDL_Keysym key{};
    key.scancode = code;
    key.sym = sym;
    return key;
}

TEST(SdlKeys, ThePlayersKeysReachTheProgramAsItsVirtualKeys)
{
    struct Case {
        SDL_Scancode code;
        SDL_Keycode sym;
        int vk;
    };
    const Case cases[] = {
        {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, VK_ESCAPE},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, VK_LEFT},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, VK_RIGHT},
        {SDL_SCANCODE_UP, SDLK_UP, VK_UP},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, VK_DOWN},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE},
        {SDL_SCANCODE_TAB, SDLK_TAB, VK_TAB},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, VK_BACK},
        {SDL_SCANCODE_A, SDLK_a, 'A'},
        {SDL_SCANCODE_F, SDLK_f, 'F'},
        {SDL_SCANCODE_Z, SDLK_z, 'Z'},
        {SDL_SCANCODE_1, SDLK_1, '1'},
        {SDL_SCANCODE_9, SDLK_9, '9'},
        {SDL_SCANCODE_0, SDLK_0, '0'},
        {SDL_SCANCODE_F1, SDLK_F1, VK_F1},
        {SDL_SCANCODE_F12, SDLK_F12, VK_F12},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, VK_NUMPAD0},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, VK_NUMPAD0 + 1},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, VK_NUMPAD0 + 5},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, VK_NUMPAD9},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, VK_DECIMAL},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, VK_LSHIFT},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, VK_RCONTROL},
        // Keys the program has no code for are not heard at all, whatever
        // their symbol.
        {SDL_SCANCODE_UNKNOWN, SDLK_a, 0},
        {SDL_SCANCODE_F13, SDLK_F13, 0},
        {SDL_SCANCODE_KP_00, SDLK_5, 0},
        // Letters and the row's digits follow the layout (Q on a French
        // board types A; its digit row's first key types '&', heard by its
        // place); the keypad's digits stay the keypad's, whatever symbol a
        // layout gives them.
        {SDL_SCANCODE_Q, SDLK_a, 'A'},
        {SDL_SCANCODE_SEMICOLON, SDLK_m, 'M'},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, '1'},
        {SDL_SCANCODE_SLASH, SDLK_0, '0'},
        {SDL_SCANCODE_KP_1, SDLK_1, VK_NUMPAD0 + 1},
        {SDL_SCANCODE_KP_9, SDLK_9, VK_NUMPAD9},
        {SDL_SCANCODE_KP_0, SDLK_0, VK_NUMPAD0},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, VK_DIVIDE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyOf(Key(c.code, c.sym)), c.vk) << SDL_GetScancodeName(c.code) << " typing " << c.sym;
    // The keys next to the ranges belong to none of them.
    EXPECT_EQ(PhysicalVirtualKey(SDL_Scancode(SDL_SCANCODE_A - 1)), 0);
    EXPECT_EQ(PhysicalVirtualKey(SDL_SCANCODE_RETURN), VK_RETURN) << "the key after 0";
    EXPECT_NE(PhysicalVirtualKey(SDL_Scancode(SDL_SCANCODE_F12 + 1)), VK_F12 + 1) << "Print Screen is no F13";
    EXPECT_EQ(PhysicalVirtualKey(SDL_Scancode(SDL_SCANCODE_KP_9 + 1)), VK_NUMPAD0) << "the keypad's 0 after 9";
}

} // namespace
} // namespace platform
