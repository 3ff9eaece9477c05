// The program's entry point: makes the game object, hands it to the kernel,
// which runs the application around it until the game quits, and tears down.
#include "framework/app/CrashHandler.h"
#include "game/shell/GameImpl.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/window/SessionEndSignals.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    platform::SetCommandLineArguments(argc, argv);
    platform::UseHeadlessBackend(false);
    // Whatever holds the program when its session ends (a box nobody
    // answers, a helper it waits for), it is gone soon after; the player's
    // files are saved as they change.
    platform::EndSessionWithin(1200);
    // A copy started to show the report of a crash does only that.
    if (Zolt::RunCrashReportIfRequested())
        return 0;
    // The display shows its frames in the main window through SDL.
    platform::ddraw::SdlPresenter::Install(nullptr, KernelLibrary::MainApp::kWidth, KernelLibrary::MainApp::kHeight);

    // The kernel asks the game for its names before the window exists, so it
    // is not started without one.
    std::unique_ptr<Gamespace::GameImpl> game = Gamespace::CreateGameObject();
    // A test script may serve the version and news pages itself.
    if (const char* server = std::getenv(Gamespace::kWebServerVariable); game && server)
        game->SetWebPages(Gamespace::WebPages::On(server));
    if (game && KernelLibrary::RunKernel(nullptr, game.get()))
        KernelLibrary::ShutdownKernel(nullptr);
    game.reset();
    return 0;
}
