#include "platform/crash/DesktopCrashWindow.h"

#include "platform/crash/CrashWindowPainter.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace platform {

namespace {

void WriteToTerminal(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        const ssize_t done = ::write(2, text.data() + at, text.size() - at);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        at += static_cast<size_t>(done);
    }
}

std::string FirstLines(const std::string& text, int lines)
{
    size_t at = 0;
    for (int i = 0; i < lines && at != std::string::npos; ++i) {
        at = text.find('\n', at);
        if (at != std::string::npos)
            ++at;
    }
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + "...\n";
}

// The report's line ends are "\r\n"; the terminal and the box want "\n".
std::string PlainLines(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

CrashWindowChoice ShowStartInMessageBox(const std::string& caption, const std::string& text, bool offerSend)
{
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (offerSend)
        buttons[count++] = SDL_MessageBoxButtonData{0, 1, "Send Report"};
    buttons[count++] = SDL_MessageBoxButtonData{
        SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "Close Now"};
    // A box grows with its text: a few lines keep it on any screen.
    const std::string start = FirstLines(text, 16);
    const SDL_MessageBoxData data{SDL_MESSAGEBOX_ERROR, nullptr, caption.c_str(), start.c_str(), count, buttons,
                                  nullptr};
    int chosen = 0;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return CrashWindowChoice::CloseNow;
    return chosen == 1 ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
}

// Where the window's client area goes: (64, 64) on the desktop's usable
// area, or centred on an area too small for that.
SDL_Point Placement()
{
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
        return SDL_Point{64, 64};
    auto place = [](int start, int length, int size) {
        return length >= 64 + size ? start + 64 : start + std::max(0, (length - size) / 2);
    };
    return SDL_Point{place(usable.x, usable.w, CrashWindowView::kWidth),
                     place(usable.y, usable.h, CrashWindowView::kHeight)};
}

std::optional<CrashWindowKey> KeyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_UP: return CrashWindowKey::Up;
    case SDLK_DOWN: return CrashWindowKey::Down;
    case SDLK_PAGEUP: return CrashWindowKey::PageUp;
    case SDLK_PAGEDOWN: return CrashWindowKey::PageDown;
    case SDLK_HOME: return CrashWindowKey::Home;
    case SDLK_END: return CrashWindowKey::End;
    case SDLK_TAB: return CrashWindowKey::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_SPACE: return CrashWindowKey::Return;
    case SDLK_ESCAPE: return CrashWindowKey::Escape;
    default: return std::nullopt;
    }
}

void Present(SDL_Window* window, std::vector<uint32_t>& pixels, const CrashWindowView& view,
             const std::string& heading, const CrashWindowFonts& fonts)
{
    PaintCrashWindow(view, heading, fonts, pixels.data());
    SDL_Surface* target = SDL_GetWindowSurface(window);
    SDL_Surface* picture =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), CrashWindowView::kWidth, CrashWindowView::kHeight, 32,
                                           CrashWindowView::kWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (target && picture) {
        SDL_BlitSurface(picture, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(window);
    }
    SDL_FreeSurface(picture);
}

// Runs the window until the user chooses; nothing when no window could be
// made.
std::optional<CrashWindowChoice> RunWindow(const std::string& caption, const std::string& heading,
                                           const std::string& report, bool offerSend, const CrashWindowFonts& fonts)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::nullopt;
    const SDL_Point at = Placement();
    SDL_Window* window = SDL_CreateWindow(caption.c_str(), at.x, at.y, CrashWindowView::kWidth,
                                          CrashWindowView::kHeight, SDL_WINDOW_SHOWN);
    if (!window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return std::nullopt;
    }
    CrashWindowView view(report, offerSend, fonts.report->Metrics().height,
                         [&](const std::string& text) { return fonts.report->MeasureText(text); });
    std::vector<uint32_t> pixels(size_t(CrashWindowView::kWidth) * CrashWindowView::kHeight);
    std::optional<CrashWindowChoice> choice;
    bool dirty = true;
    while (!choice) {
        if (dirty)
            Present(window, pixels, view, heading, fonts);
        dirty = true;
        SDL_Event event;
        if (!SDL_WaitEvent(&event)) {
            choice = CrashWindowChoice::CloseNow;
            break;
        }
        switch (event.type) {
        case SDL_QUIT: choice = CrashWindowChoice::CloseNow; break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                choice = CrashWindowChoice::CloseNow;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT)
                view.MouseDown(event.button.x, event.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT)
                choice = view.MouseUp(event.button.x, event.button.y);
            break;
        case SDL_MOUSEMOTION:
            dirty = view.Pressed() == CrashWindowPart::Thumb;
            view.MouseMove(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEWHEEL:
            view.Wheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
            break;
        case SDL_KEYDOWN:
            if (const std::optional<CrashWindowKey> key = KeyOf(event.key.keysym.sym))
                choice = view.Key(*key);
            break;
        default: dirty = false; break;
        }
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return choice;
}

} // namespace

CrashWindowChoice DesktopCrashWindow::Show(const std::string& caption, const std::string& heading,
                                           const std::string& report, bool offerSend)
{
    WriteToTerminal(PlainLines(caption + "\r\n" + heading + "\r\n\r\n" + report + "\r\n"));
    std::vector<std::unique_ptr<fonts::SystemFontFace>> faces;
    CrashWindowFonts fonts;
    if (!OpenCrashWindowFonts(faces, &fonts))
        return ShowStartInMessageBox(caption, PlainLines(heading + "\r\n\r\n" + report), offerSend);
    return RunWindow(caption, heading, report, offerSend, fonts).value_or(CrashWindowChoice::CloseNow);
}

} // namespace platform
