// The framework on its own, as the screen test looks at it: a backdrop and a
// framework dialog whose OK button brings up a second dialog (and whose
// CANCEL button, like closing the window, ends the program). It shows that
// the window, the drawing, the fonts and the input of the framework work
// without the game above them.
#include "framework/app/CrashHandler.h"
#include "framework/app/ZoltAppBase.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/SdlPresenter.h"

#include <memory>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kWelcomeDialog = 1;
constexpr int kAnswerDialog = 2;

// The whole screen behind the dialogs: a dark green table cloth with a lighter
// band, as a plain widget that paints itself once.
class Backdrop : public Zolt::Widget {
public:
    void Paint(Zolt::Graphics* g) override
    {
        g->SetColor(Zolt::Color(12, 52, 30));
        g->FillRectangle(0, 0, Width(), Height());
        g->SetColor(Zolt::Color(22, 86, 50));
        g->FillRectangle(0, Height() / 2 - 120, Width(), 240);
        g->SetColor(Zolt::Color(200, 170, 60));
        g->FillRectangle(0, Height() / 2 - 124, Width(), 4);
        g->FillRectangle(0, Height() / 2 + 120, Width(), 4);
    }
};

class FrameworkScreenApp : public Zolt::ZoltAppBase {
public:
    FrameworkScreenApp()
    {
        companyName = "Tovrelly";
        productName = "Pellucor";
        fullTitle = "Pellucor";
        windowTitle = "Pellucor";
        registryKey = "Tovrelly\\Pellucor";
        width = kScreenWidth;
        height = kScreenHeight;
        colorDepth = 32;
        refreshPaced = true;
    }

    ~FrameworkScreenApp() override
    {
        // The backdrop leaves the tree before the manager goes.
        if (widgetManager)
            widgetManager->RemoveChild(&backdrop_);
    }

    void OnBackgroundLoadDone() override
    {
        backdrop_.SetBounds(0, 0, width, height);
        backdrop_.SetPickRank(0);
        widgetManager->AddChild(&backdrop_);
        ShowWelcome();
    }

    void OnButtonClicked(int id) override
    {
        if (id == kWelcomeDialog + kDialogYesIdBase) {
            CloseDialog(kWelcomeDialog);
            ShowAnswer();
        } else if (id == kAnswerDialog + kDialogYesIdBase) {
            CloseDialog(kAnswerDialog);
            ShowWelcome();
        } else if (id == kWelcomeDialog + kDialogNoIdBase) {
            Quit();
        }
    }

private:
    void Place(Zolt::Dialog* dialog, int x, int y, int w, int h)
    {
        dialog->SetBounds(x, y, w, h);
        InsertDialog(dialog);
        // Where the scripted click of the screen test aims.
        if (Zolt::DialogButton* button = dialog->GetFirstButton())
            platform::OutputDebugString(FormatString(
                "Dialog %d first button at %d,%d size %dx%d\r\n", dialog->GetDialogId(), button->X(), button->Y(),
                button->Width(), button->Height()));
    }

    void ShowWelcome()
    {
        Zolt::Dialog* dialog = MakeDialog(kWelcomeDialog, false, "Pellucor", "The framework is running.", "",
                                          Zolt::Dialog::kOkCancel);
        dialog->SetColorAt(Zolt::Dialog::kBoxFace, Zolt::Color(70, 70, 90));
        Place(dialog, 312, 264, 400, 240);
    }

    void ShowAnswer()
    {
        Zolt::Dialog* dialog =
            MakeDialog(kAnswerDialog, false, "Pellucor", "OK was pressed.", "BACK", Zolt::Dialog::kFooterButton);
        dialog->SetColorAt(Zolt::Dialog::kBoxFace, Zolt::Color(150, 40, 40));
        Place(dialog, 212, 184, 600, 400);
    }

    Backdrop backdrop_;
};

} // namespace

int main(int argc, char** argv)
{
    platform::SetCommandLineArguments(argc, argv);
    platform::UseHeadlessBackend(false);
    // A copy started to show the report of a crash does only that.
    if (Zolt::RunCrashReportIfRequested())
        return 0;
    // The display shows its frames in the main window through SDL.
    platform::ddraw::SdlPresenter::Install(nullptr, kScreenWidth, kScreenHeight);

    auto app = std::make_unique<FrameworkScreenApp>();
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
