#include "platform/window/SdlDrawnBoxWindow.h"

#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DrawnMessageBox.h"
#include "platform/window/SessionEndSignals.h"
#include "platform/window/VirtualKeys.h"

#include <SDL.h>

#include <vector>

namespace platform {

namespace {

int VirtualKeyOf(const SDL_Keysym& key)
{
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return 'A' + (key.sym - SDLK_a);
    switch (key.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    default: return 0;
    }
}

// The window id an event belongs to, 0 for none.
uint32_t WindowOf(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
    }
}

void Present(SDL_Window* window, const DrawnMessageBox& box, std::vector<uint32_t>& pixels)
{
    box.Draw(pixels.data(), box.Width());
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface)
        return;
    // The surface may be larger than asked (a window manager's minimum):
    // the box fills its top left corner, the rest takes the box's face.
    if (surface->w != box.Width() || surface->h != box.Height())
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xF2, 0xF2, 0xF2));
    SDL_LockSurface(surface);
    SDL_ConvertPixels(std::min(box.Width(), surface->w), std::min(box.Height(), surface->h),
                      SDL_PIXELFORMAT_ARGB8888, pixels.data(), box.Width() * 4, surface->format->format,
                      surface->pixels, surface->pitch);
    SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
}

// What the box does with one of its own events.
void Apply(DrawnMessageBox& box, const SDL_Event& e, bool* exposed)
{
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            box.CloseRequested();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            *exposed = true;
        break;
    case SDL_KEYDOWN:
        if (const int vk = VirtualKeyOf(e.key.keysym))
            box.KeyDown(vk, (e.key.keysym.mod & KMOD_SHIFT) != 0);
        break;
    case SDL_MOUSEMOTION: box.PointerMove(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT)
            box.PointerDown(e.button.x, e.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT)
            box.PointerUp(e.button.x, e.button.y);
        break;
    default: break;
    }
}

} // namespace

int RunDrawnBoxWindow(DrawnMessageBox& box, uint32_t ownerId, DisplayConnectionWait& connection)
{
    SDL_Window* owner = ownerId ? SDL_GetWindowFromID(ownerId) : nullptr;
    if (!owner)
        owner = SDL_GetKeyboardFocus();
    if (owner && (SDL_GetWindowFlags(owner) & (SDL_WINDOW_SHOWN | SDL_WINDOW_MINIMIZED)) != SDL_WINDOW_SHOWN)
        owner = nullptr;
    int x = static_cast<int>(SDL_WINDOWPOS_CENTERED);
    int y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
    if (owner) {
        int left = 0, top = 0, width = 0, height = 0;
        SDL_GetWindowPosition(owner, &left, &top);
        SDL_GetWindowSize(owner, &width, &height);
        x = left + (width - box.Width()) / 2;
        y = top + (height - box.Height()) / 2;
    }
    SDL_Window* window = SDL_CreateWindow(box.Caption().c_str(), x, y, box.Width(), box.Height(),
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
    if (!window)
        return 0;
    const uint32_t id = SDL_GetWindowID(window);
    if (owner)
        SDL_SetWindowModalFor(window, owner);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);

    connection.Attach(window);

    std::vector<uint32_t> pixels(static_cast<size_t>(box.Width()) * static_cast<size_t>(box.Height()));
    std::vector<SDL_Event> keptForLater;
    bool exposed = true;
    // The session ending (SIGTERM and its kin) does not wait for an answer:
    // the box goes, and the program, finding the request, ends as it does.
    while (!box.Answer() && !detail::SessionEndPending()) {
        if (box.TakeRedraw() || exposed) {
            Present(window, box, pixels);
            exposed = false;
        }
        SDL_PumpEvents();
        SDL_Event e;
        bool any = false;
        while (!box.Answer() && SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
            any = true;
            if (WindowOf(e) == id)
                Apply(box, e, &exposed);
            else if (e.type == SDL_QUIT)
                box.CloseRequested(); // the last window closing: with no other of ours, the box's
            else if (e.type == SDL_WINDOWEVENT || e.type == SDL_DISPLAYEVENT)
                keptForLater.push_back(e);
            // Input for the other windows, and wake-ups, are dropped.
        }
        if (any || box.Answer())
            continue;
        // The news a wait finds (a wake-up meant for the program's loop
        // too) is taken here, or every later wait would return at once.
        if (!connection.IsActive())
            SDL_Delay(10);
        else if (connection.Wait(250))
            connection.HasNews();
    }
    SDL_DestroyWindow(window);
    for (SDL_Event& e : keptForLater)
        SDL_PushEvent(&e);
    if (owner)
        SDL_RaiseWindow(owner);
    return box.Answer().value_or(MessageBoxCloseAnswer(box.Flags()).value_or(0));
}

} // namespace platform
