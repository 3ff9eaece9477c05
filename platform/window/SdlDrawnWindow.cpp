#include "platform/window/SdlDrawnWindow.h"

#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DrawnWindow.h"
#include "platform/window/SdlKeys.h"
#include "platform/window/SessionEndSignals.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace platform {

namespace {

// What the kit needs of the X display beneath SDL's window, which SDL does
// not offer: whether a window manager frames windows, the input focus, and
// whether the connection still stands. Nothing on another video driver.
class XDisplaySide {
public:
    explicit XDisplaySide(SDL_Window* window) : window_(window)
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
            display_ = info.info.x11.display;
    }

    // A window manager frames the windows of the screen (it holds the
    // screen's WM_Sn selection, as every manager of today does).
    bool WindowManagerRuns() const
    {
        if (!display_)
            return true; // another video driver: its windows have their frames
        const std::string name = "WM_S" + std::to_string(DefaultScreen(display_));
        const Atom selection = XInternAtom(display_, name.c_str(), False);
        return XGetSelectionOwner(display_, selection) != None;
    }

    // Tells the window manager that the window is a dialog of a fixed size:
    // no minimise (a box minimised takes the game with it, and with no
    // entry in the task bar nothing brings it back), no maximise and no
    // resizing; it keeps its title, its close button and its move. Set
    // before the window first shows, when managers read it.
    void MarkAsDialog()
    {
        if (!display_)
            return;
        const Window window = XWindowOf(window_);
        if (!window)
            return;
        const Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
        const long dialog = static_cast<long>(XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DIALOG", False));
        XChangeProperty(display_, window, type, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&dialog), 1);
        // The Motif hints, which the managers of today read for the
        // buttons they put on a frame (openbox keeps its minimise whatever
        // a window asks): flags (functions and decorations given),
        // functions (move, close), decorations (border, title, window
        // menu), input mode, status.
        const long motif[5] = {1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};
        const Atom hints = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
        XChangeProperty(display_, window, hints, hints, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(motif), 5);
        XFlush(display_);
    }

    // Remembers who has the keyboard now, to give it back later.
    void NoteFocus()
    {
        if (!display_)
            return;
        int revert = 0;
        XGetInputFocus(display_, &before_, &revert);
        beforeRevert_ = revert;
    }

    // The window takes the keyboard: without a window manager nobody gives
    // it, and a manager may keep it on the game's window. Only a window in
    // view may have it (anything else is an X error, which ends the
    // program): false while it is not yet.
    bool TakeFocus()
    {
        if (!display_)
            return true;
        const Window window = XWindowOf(window_);
        if (!Viewable(window))
            return false;
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        XFlush(display_);
        took_ = true;
        return true;
    }

    // Gives the keyboard back to the window that had it (if it still shows)
    // or to whoever the pointer is over, as before; the window manager's own
    // windows are left to the manager.
    void GiveFocusBack(SDL_Window* owner)
    {
        if (!display_ || !took_)
            return;
        const Window ownerWindow = owner ? XWindowOf(owner) : 0;
        if (before_ == PointerRoot || before_ == None)
            XSetInputFocus(display_, before_, beforeRevert_, CurrentTime);
        else if (before_ == ownerWindow && Viewable(ownerWindow))
            XSetInputFocus(display_, ownerWindow, RevertToParent, CurrentTime);
        XFlush(display_);
    }

    // The server went away (it closed the connection or it broke): the
    // window answers at once, and the program's next look at the display
    // finds it gone.
    bool ConnectionLost() const
    {
        if (!display_)
            return false;
        pollfd fd{ConnectionNumber(display_), POLLRDHUP, 0};
        return poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLRDHUP | POLLNVAL)) != 0;
    }

private:
    // Asked each time: SDL may make a window's X window anew.
    static Window XWindowOf(SDL_Window* window)
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
            return 0;
        return info.info.x11.window;
    }

    bool Viewable(Window window) const
    {
        XWindowAttributes attributes;
        return window && XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
    }

    SDL_Window* window_;
    Display* display_ = nullptr;
    Window before_ = None;
    int beforeRevert_ = RevertToParent;
    bool took_ = false;
};

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

SDL_Window* ShownOwner(uint32_t ownerId)
{
    SDL_Window* owner = ownerId ? SDL_GetWindowFromID(ownerId) : SDL_GetKeyboardFocus();
    if (owner && (SDL_GetWindowFlags(owner) & (SDL_WINDOW_SHOWN | SDL_WINDOW_MINIMIZED)) != SDL_WINDOW_SHOWN)
        return nullptr;
    return owner;
}

SDL_Point Position(DrawnWindowPlace place, SDL_Window* owner, int width, int height)
{
    if (place == DrawnWindowPlace::NearTopLeft) {
        SDL_Rect usable{0, 0, 0, 0};
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
            return SDL_Point{64, 64};
        auto at = [](int start, int length, int size) {
            return length >= 64 + size ? start + 64 : start + std::max(0, (length - size) / 2);
        };
        return SDL_Point{at(usable.x, usable.w, width), at(usable.y, usable.h, height)};
    }
    if (!owner)
        return SDL_Point{static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED)};
    int left = 0, top = 0, ownerWidth = 0, ownerHeight = 0;
    SDL_GetWindowPosition(owner, &left, &top);
    SDL_GetWindowSize(owner, &ownerWidth, &ownerHeight);
    return SDL_Point{left + (ownerWidth - width) / 2, top + (ownerHeight - height) / 2};
}

void Present(SDL_Window* window, const DrawnWindowPicture& picture, std::vector<uint32_t>& pixels)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface)
        return;
    pixels.resize(static_cast<size_t>(surface->w) * static_cast<size_t>(surface->h));
    picture.Draw(pixels.data(), surface->w, surface->h, surface->w);
    SDL_LockSurface(surface);
    SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_ARGB8888, pixels.data(), surface->w * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
}

// What the content does with one of the window's own events; `exposed` is
// set when the window came into view or must be drawn again.
void Apply(DrawnWindowContent& content, const DrawnWindowPicture& picture, const SDL_Event& e, bool* exposed)
{
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            content.CloseRequested();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                 e.window.event == SDL_WINDOWEVENT_SHOWN)
            *exposed = true;
        break;
    case SDL_KEYDOWN:
        if (const int vk = VirtualKeyOf(e.key.keysym))
            content.KeyDown(vk, (e.key.keysym.mod & KMOD_SHIFT) != 0);
        break;
    case SDL_MOUSEMOTION: content.PointerMove(e.motion.x, picture.ContentY(e.motion.y)); break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT)
            content.PointerDown(e.button.x, picture.ContentY(e.button.y));
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT)
            content.PointerUp(e.button.x, picture.ContentY(e.button.y));
        break;
    case SDL_MOUSEWHEEL:
        content.Wheel(e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
        break;
    default: break;
    }
}

// One showing of a drawn window: made and put in front, its events until
// the content is done (or the session or the display ends), and gone, with
// the owner as it was.
class ShownWindow {
public:
    ShownWindow(DrawnWindowContent& content, const DrawnWindowLook& look, DisplayConnectionWait& connection)
        : content_(content), connection_(connection), owner_(ShownOwner(look.owner))
    {
        window_ = SDL_CreateWindow(look.captionUtf8.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   content.Width(), content.Height(),
                                   SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
        if (!window_)
            return;
        id_ = SDL_GetWindowID(window_);
        x_ = std::make_unique<XDisplaySide>(window_);
        if (look.captionBand && !x_->WindowManagerRuns())
            band_ = CaptionBand::Make(look.captionUtf8);
        picture_ = std::make_unique<DrawnWindowPicture>(content, band_.get());
        SDL_SetWindowSize(window_, picture_->Width(), picture_->Height());
        const SDL_Point at = Position(look.place, owner_, picture_->Width(), picture_->Height());
        SDL_SetWindowPosition(window_, at.x, at.y);
    }
    ShownWindow(const ShownWindow&) = delete;
    ShownWindow& operator=(const ShownWindow&) = delete;

    bool Made() const { return window_ != nullptr; }

    void Show()
    {
        // A full-screen game keeps itself above the others: it stands back
        // while its box is up.
        ownerKeptAbove_ = owner_ && (SDL_GetWindowFlags(owner_) & SDL_WINDOW_ALWAYS_ON_TOP);
        if (ownerKeptAbove_)
            SDL_SetWindowAlwaysOnTop(owner_, SDL_FALSE);
        if (owner_)
            SDL_SetWindowModalFor(window_, owner_);
        x_->MarkAsDialog();
        x_->NoteFocus();
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        connection_.Attach(window_);
    }

    DrawnWindowEnd RunEvents()
    {
        for (;;) {
            if (content_.Done())
                return DrawnWindowEnd::Done;
            // The session ending (SIGTERM and its kin) does not wait for an
            // answer: the window goes, and the program, finding the
            // request, ends as it does.
            if (detail::SessionEndPending())
                return DrawnWindowEnd::SessionEnded;
            if (x_->ConnectionLost())
                return DrawnWindowEnd::DisplayLost;
            if (content_.TakeRedraw() || exposed_) {
                Present(window_, *picture_, pixels_);
                exposed_ = false;
            }
            SDL_PumpEvents();
            const bool any = TakeEvents();
            if (inView_ && !focusTaken_)
                focusTaken_ = x_->TakeFocus();
            if (any)
                continue;
            // The news a wait finds (a wake-up meant for the program's loop
            // too) is taken here, or every later wait would return at once.
            if (!connection_.IsActive())
                SDL_Delay(10);
            else if (connection_.Wait(250))
                connection_.HasNews();
        }
    }

    void Close(DrawnWindowEnd end)
    {
        SDL_DestroyWindow(window_);
        if (end == DrawnWindowEnd::DisplayLost)
            return; // nothing more may be asked of a connection that is gone
        for (SDL_Event& e : keptForLater_)
            SDL_PushEvent(&e);
        if (ownerKeptAbove_)
            SDL_SetWindowAlwaysOnTop(owner_, SDL_TRUE);
        if (owner_)
            SDL_RaiseWindow(owner_);
        x_->GiveFocusBack(owner_);
    }

private:
    // The events waiting: the window's own drive the content, the others
    // are kept to be queued again. False when there were none.
    bool TakeEvents()
    {
        SDL_Event e;
        bool any = false;
        while (!content_.Done() && SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
            any = true;
            if (WindowOf(e) == id_) {
                Apply(content_, *picture_, e, &exposed_);
                inView_ = inView_ || exposed_;
                continue;
            }
            if (e.type == SDL_QUIT) {
                content_.CloseRequested(); // the last window closing: with no other of ours, this one
                continue;
            }
            keptForLater_.push_back(e);
            // Another window of the program back in view (restored, or
            // mapped again where no window manager keeps the box above it):
            // its picture again, and the box in front of it.
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                ShowPictureAgain(e.window.windowID);
                SDL_RaiseWindow(window_);
            }
            // A click on the window behind (a window manager gives it the
            // keyboard for it): the box takes the keyboard back, as a modal
            // box does when its owner is clicked.
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                SDL_RaiseWindow(window_);
                focusTaken_ = false;
            }
        }
        return any;
    }

    // Window `id` came back into view while the box is up: its loop waits
    // for the box's answer, so the picture its surface last held is shown
    // again, where the display would leave it black until then.
    static void ShowPictureAgain(uint32_t id)
    {
        SDL_Window* other = SDL_GetWindowFromID(id);
        if (!other || (SDL_GetWindowFlags(other) & SDL_WINDOW_SHOWN) == 0)
            return;
        if (SDL_GetWindowSurface(other))
            SDL_UpdateWindowSurface(other);
    }

    DrawnWindowContent& content_;
    DisplayConnectionWait& connection_;
    SDL_Window* owner_;
    SDL_Window* window_ = nullptr;
    uint32_t id_ = 0;
    std::unique_ptr<XDisplaySide> x_;
    std::unique_ptr<CaptionBand> band_;
    std::unique_ptr<DrawnWindowPicture> picture_;
    bool ownerKeptAbove_ = false;
    std::vector<uint32_t> pixels_;
    std::vector<SDL_Event> keptForLater_;
    bool exposed_ = true; // the first picture goes out at once
    bool inView_ = false;
    bool focusTaken_ = false;
};

} // namespace

DrawnWindowEnd RunSdlDrawnWindow(DrawnWindowContent& content, const DrawnWindowLook& look,
                                 DisplayConnectionWait& connection)
{
    // The window surface is plain memory shared with the X server; left to
    // itself SDL would put a hidden OpenGL window behind it (and make the
    // window anew for it) to draw a picture already drawn.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ShownWindow window(content, look, connection);
    if (!window.Made())
        return DrawnWindowEnd::NoWindow;
    window.Show();
    const DrawnWindowEnd end = window.RunEvents();
    window.Close(end);
    return end;
}

} // namespace platform
