#include "platform/crash/DesktopCrashWindow.h"

#include <SDL.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// Runs zenity's text window with the text on its standard input, without a
// shell. Its exit status, or -1 when it could not be run.
int RunTextWindow(const std::string& caption, const std::string& text, bool offerSend)
{
    std::vector<std::string> args = {"zenity", "--text-info", "--title=" + caption, "--width=560", "--height=460"};
    if (offerSend) {
        args.push_back("--ok-label=Send Report");
        args.push_back("--cancel-label=Close Now");
    } else {
        args.push_back("--ok-label=Close Now");
        args.push_back("--cancel-label=Close Now");
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    pid_t child = 0;
    const int started = ::posix_spawnp(&child, "zenity", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    if (started != 0) {
        ::close(input[1]);
        return -1;
    }
    // The window may close before it read everything: no SIGPIPE for that.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t done = ::write(input[1], p, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        p += done;
        left -= static_cast<size_t>(done);
    }
    ::close(input[1]);
    ::sigaction(SIGPIPE, &previous, nullptr);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127)
        return -1; // not installed or did not start
    return WEXITSTATUS(status);
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

CrashWindowChoice ShowWithMessageBox(const std::string& caption, const std::string& text, bool offerSend)
{
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (offerSend)
        buttons[count++] = SDL_MessageBoxButtonData{0, 1, "Send Report"};
    buttons[count++] = SDL_MessageBoxButtonData{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT |
                                                    SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT,
                                                0, "Close Now"};
    const std::string start = FirstLines(text, 40);
    const SDL_MessageBoxData data{SDL_MESSAGEBOX_ERROR, nullptr, caption.c_str(), start.c_str(), count, buttons,
                                  nullptr};
    int chosen = 0;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) {
        // No window of any kind: the terminal the program was started from
        // (the viewer inherits its standard error) still gets the report.
        const std::string whole = caption + "\n" + text;
        size_t at = 0;
        while (at < whole.size()) {
            const ssize_t done = ::write(2, whole.data() + at, whole.size() - at);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                break;
            at += static_cast<size_t>(done);
        }
        return CrashWindowChoice::CloseNow;
    }
    return chosen == 1 ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
}

// The report's line ends are "\r\n"; windows want "\n".
std::string PlainLines(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

} // namespace

CrashWindowChoice DesktopCrashWindow::Show(const std::string& caption, const std::string& heading,
                                           const std::string& report, bool offerSend)
{
    const std::string text = PlainLines(heading + "\r\n\r\n" + report);
    const int status = RunTextWindow(caption, text, offerSend);
    if (status >= 0)
        return status == 0 && offerSend ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
    return ShowWithMessageBox(caption, text, offerSend);
}

} // namespace platform
