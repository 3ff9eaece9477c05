#include "platform/crash/DesktopCrashWindow.h"

#include "platform/crash/CrashReportText.h"
#include "platform/crash/CrashWindowContent.h"
#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/SdlDrawnWindow.h"
#include "platform/window/SdlSystemBox.h"
#include "platform/window/WindowTypes.h"

#include <SDL.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kClose = 0;
constexpr int kSend = 1;

void WriteToTerminal(const std::string& text)
{
    WriteFully(STDERR_FILENO, text.data(), text.size());
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

// Without the system's fonts nothing can be drawn: the start of the report
// shows in SDL's box, fitted as every box's text is.
CrashWindowChoice ShowInSystemBox(const std::string& caption, const std::string& text, bool offerSend)
{
    SystemBoxRequest request;
    request.caption = caption;
    request.text = text;
    if (offerSend)
        request.buttons.push_back({kSend, "Send Report"});
    request.buttons.push_back({kClose, "Close Now"});
    request.returnAnswer = kClose;
    request.escapeAnswer = kClose;
    request.closedAnswer = kClose;
    request.icon = MB_ICONERROR;
    return ShowSdlSystemBox(request) == kSend ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
}

// Runs the window until the user chooses; nothing when no window could be
// made.
std::optional<CrashWindowChoice> RunWindow(const std::string& caption, CrashWindowContent& content)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::nullopt;
    std::optional<CrashWindowChoice> choice;
    {
        DisplayConnectionWait connection;
        DrawnWindowLook look;
        look.captionUtf8 = caption;
        look.place = DrawnWindowPlace::NearTopLeft;
        // Its client area is the 400 x 300 it always had; its heading says
        // what it is where no frame shows its caption.
        look.captionBand = false;
        const DrawnWindowEnd end = RunSdlDrawnWindow(content, look, connection);
        if (end != DrawnWindowEnd::NoWindow)
            choice = content.Choice().value_or(CrashWindowChoice::CloseNow);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return choice;
}

} // namespace

CrashWindowChoice DesktopCrashWindow::Show(const std::string& caption, const std::string& heading,
                                           const std::string& report, bool offerSend)
{
    WriteToTerminal(PlainLines(caption + "\r\n" + heading + "\r\n\r\n" + report + "\r\n"));
    std::unique_ptr<CrashWindowContent> content = CrashWindowContent::Make(heading, report, offerSend);
    if (!content)
        return ShowInSystemBox(caption, PlainLines(heading + "\r\n\r\n" + report), offerSend);
    return RunWindow(caption, *content).value_or(CrashWindowChoice::CloseNow);
}

} // namespace platform
