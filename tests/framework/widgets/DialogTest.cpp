// Framework dialogs: buttons by mode, answers, layout, dragging, painting,
// and the modal wait with deferred deletion.
#include "framework/widgets/DeletionQueue.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Zolt;
using widget_testing::Opaque;
using widget_testing::WidgetScene;
using Log = std::vector<std::string>;

namespace {

struct RecordingDialogListener : DialogListener {
    void OnDialogButtonDown(int dialogId, int buttonId) override
    {
        log.push_back("down " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonClicked(int dialogId, int buttonId) override
    {
        log.push_back("clicked " + std::to_string(dialogId) + " " + std::to_string(buttonId));
        if (onClicked)
            onClicked(dialogId);
    }
    Log log;
    std::function<void(int)> onClicked;
};

std::unique_ptr<Dialog> MakeDialog(int mode, const std::string& footer = "", bool modal = true)
{
    return std::make_unique<Dialog>(nullptr, nullptr, 42, modal, "Title", "Some lines", footer, mode);
}

// Clicks the centre of a widget through the manager.
void ClickOn(WidgetManager& manager, Widget* widget)
{
    const int x = widget->X() + widget->Width() / 2;
    const int y = widget->Y() + widget->Height() / 2;
    manager.HandleMouseMove(x, y);
    manager.HandleMouseDown(x, y, 1);
    manager.HandleMouseUp(x, y, 1);
}

// An application whose loop steps run scripted input and deletion passes,
// and whose CloseDialog removes a dialog and queues it for deletion.
struct ModalApp {
    explicit ModalApp(WidgetScene& s) : scene(s)
    {
        scene.host.loop = [this] {
            DeletionQueue::ScopedLoopStep step(deletions);
            ++steps;
            if (onStep)
                onStep(steps);
            deletions.ProcessDeletions();
            return steps < maxSteps;
        };
        scene.host.onClose = [this](int id) {
            Dialog* dialog = open.count(id) ? open[id] : nullptr;
            if (!dialog)
                return false;
            open.erase(id);
            if (!dialog->HasAnswer())
                dialog->SetAnswer(0);
            scene.manager.RemoveChild(dialog);
            scene.manager.PopModalBarrier(dialog);
            deletions.QueueForDeletion(dialog);
            return true;
        };
    }
    Dialog* Open(std::unique_ptr<Dialog> dialog)
    {
        Dialog* d = dialog.release();
        d->SetBounds(40, 30, 120, 90);
        open[d->GetDialogId()] = d;
        scene.manager.AddChild(d);
        scene.manager.PushModalBarrier(d);
        return d;
    }

    WidgetScene& scene;
    DeletionQueue deletions;
    std::map<int, Dialog*> open;
    int steps = 0;
    int maxSteps = 100;
    std::function<void(int)> onStep;
};

} // namespace

TEST(DialogButtons, EachModeMakesItsButtons)
{
    auto yesNo = MakeDialog(Dialog::kYesNo);
    ASSERT_NE(yesNo->GetFirstButton(), nullptr);
    EXPECT_EQ(yesNo->GetFirstButton()->GetId(), 1000);
    EXPECT_EQ(yesNo->GetFirstButton()->GetLabel(), "YES");
    EXPECT_EQ(yesNo->GetSecondButton()->GetId(), 1001);
    EXPECT_EQ(yesNo->GetSecondButton()->GetLabel(), "NO");

    EXPECT_EQ(MakeDialog(Dialog::kOkCancel)->GetSecondButton()->GetLabel(), "CANCEL");
    auto single = MakeDialog(Dialog::kFooterButton, "Continue");
    EXPECT_EQ(single->GetFirstButton()->GetLabel(), "Continue");
    EXPECT_EQ(single->GetSecondButton(), nullptr);

    EXPECT_EQ(MakeDialog(7)->GetFirstButton(), nullptr);

    // Without a button image the labels are black on the plain faces; a
    // label colour set on the dialog reaches its buttons.
    EXPECT_EQ(yesNo->GetFirstButton()->GetColorAt(0), Color(0, 0, 0));
    yesNo->SetColorAt(Dialog::kButtonLabelOver, Color(1, 2, 3));
    EXPECT_EQ(yesNo->GetSecondButton()->GetColorAt(1), Color(1, 2, 3));
}

TEST(DialogAnswer, OnlyButtons1000And1001AnswerAndReachTheApplicationsListener)
{
    WidgetScene scene;
    RecordingDialogListener listener;
    scene.host.dialogListener = &listener;
    std::unique_ptr<Dialog> dialog;
    {
        widget_testing::ScopedWidgetHost host(&scene.host);
        dialog = MakeDialog(Dialog::kYesNo);
    }
    dialog->OnButtonClicked(5);
    dialog->OnButtonDown(5);
    EXPECT_EQ(dialog->GetAnswer(), Dialog::kNoAnswer);
    EXPECT_TRUE(listener.log.empty());

    ButtonListener& asListener = *dialog;
    asListener.OnButtonDown(1001, 1);
    asListener.OnButtonClicked(1001);
    EXPECT_EQ(dialog->GetAnswer(), 1001);
    EXPECT_EQ(listener.log, (Log{"down 42 1001", "clicked 42 1001"}));
}

TEST(DialogLayout, ButtonsSitAlongTheBottomAsTopLevelWidgetsInFrontOfTheDialog)
{
    WidgetScene scene;
    auto dialog = MakeDialog(Dialog::kYesNo);
    dialog->SetBounds(40, 30, 120, 90);
    scene.manager.AddChild(dialog.get());
    DialogButton* yes = dialog->GetFirstButton();
    DialogButton* no = dialog->GetSecondButton();
    // (120 - 48 - 8) / 2 = 32 wide, at y = 30 + 90 - 24 - 24.
    EXPECT_EQ(Rect(yes->X(), yes->Y(), yes->Width(), yes->Height()), Rect(64, 72, 32, 24));
    EXPECT_EQ(Rect(no->X(), no->Y(), no->Width(), no->Height()), Rect(104, 72, 32, 24));
    EXPECT_EQ(yes->GetParent(), &scene.manager);

    auto other = std::make_unique<widget_testing::ProbeWidget>("other", nullptr);
    scene.manager.AddChild(other.get());
    scene.manager.BringChildToFront(dialog.get());
    const auto& order = scene.manager.GetChildren();
    EXPECT_EQ(std::vector<Widget*>(order.begin(), order.end()),
              (std::vector<Widget*>{other.get(), dialog.get(), yes, no}));

    dialog->MoveTo(0, 0);
    EXPECT_EQ(yes->X(), 24);

    scene.manager.RemoveChild(dialog.get());
    EXPECT_EQ(scene.manager.GetChildren().size(), 1u);

    auto single = MakeDialog(Dialog::kFooterButton, "Go");
    single->SetBounds(10, 10, 100, 80);
    DialogButton* go = single->GetFirstButton();
    EXPECT_EQ(Rect(go->X(), go->Y(), go->Width(), go->Height()), Rect(34, 42, 52, 24));
}

TEST(DialogLayout, TheHeightNeededCountsEachPartOnce)
{
    WidgetScene scene;
    widget_testing::ScopedWidgetHost host(&scene.host);
    // Block font: height 10, padding 1, line advance 12; every line of the
    // body fits in one line at this width.
    auto full = std::make_unique<Dialog>(nullptr, nullptr, 1, true, "Title", "Body", "Foot", Dialog::kOkCancel);
    auto footerButton =
        std::make_unique<Dialog>(nullptr, nullptr, 2, true, "Title", "Body", "Foot", Dialog::kFooterButton);
    auto bare = std::make_unique<Dialog>(nullptr, nullptr, 3, true, "", "", "", 0);
    const int margins = 48;
    const int header = 10 - 1;
    const int body = 2 + (8 - 1); // one wrapped line: descent + first baseline
    EXPECT_EQ(bare->MeasureHeightForWidth(200), margins);
    EXPECT_EQ(full->MeasureHeightForWidth(400), margins + header + 10 + body + 8 + 12 + 8 + 8 + 24);
    EXPECT_EQ(footerButton->MeasureHeightForWidth(400), margins + header + 10 + body + 8 + 8 + 24);
}

TEST(DialogDrag, DraggingStopsEightPixelsOutsideEachEdge)
{
    WidgetScene scene;
    auto dialog = MakeDialog(0);
    dialog->SetBounds(50, 30, 100, 80);
    scene.manager.AddChild(dialog.get());
    scene.manager.HandleMouseMove(60, 40);
    scene.manager.HandleMouseDown(60, 40, 1);
    EXPECT_TRUE(dialog->IsDragging());
    scene.manager.HandleMouseMove(-500, -500);
    EXPECT_EQ(dialog->X(), -8);
    EXPECT_EQ(dialog->Y(), -8);
    scene.manager.HandleMouseMove(1000, 1000);
    EXPECT_EQ(dialog->X(), 200 - 100 + 8);
    EXPECT_EQ(dialog->Y(), 150 - 80 + 8);
    scene.manager.HandleMouseUp(1000, 1000, 1);
    EXPECT_FALSE(dialog->IsDragging());
    EXPECT_EQ(scene.host.cursors, (std::vector<int>{2, 0}));
}

TEST(DialogModal, WaitingEndsWithTheClickedButtonAndTheDialogIsClosedAndDeletedLater)
{
    WidgetScene scene;
    ModalApp app(scene);
    Dialog* dialog = app.Open(MakeDialog(Dialog::kYesNo));
    app.onStep = [&](int step) {
        if (step == 3)
            ClickOn(scene.manager, dialog->GetSecondButton());
    };
    EXPECT_TRUE(dialog->IsBlocking());
    EXPECT_EQ(dialog->WaitForAnswer(true), 1001);
    EXPECT_EQ(app.steps, 3);
    EXPECT_EQ(scene.host.closed, (std::vector<int>{42}));
    EXPECT_EQ(scene.manager.ModalDepth(), 0u);
    EXPECT_EQ(app.deletions.PendingCount(), 1u);
    app.deletions.ProcessDeletions();
    EXPECT_EQ(app.deletions.PendingCount(), 0u);
    EXPECT_TRUE(scene.manager.GetChildren().empty());
}

TEST(DialogModal, ADialogClosedAndDeletedInsideItsOwnWaitEndsTheWaitSafely)
{
    WidgetScene scene;
    ModalApp app(scene);
    RecordingDialogListener listener;
    // The listener closes the dialog at once, as game code may.
    listener.onClicked = [&](int id) { scene.host.CloseDialog(id); };
    auto made = MakeDialog(Dialog::kOkCancel);
    made->SetDialogListener(&listener);
    Dialog* dialog = app.Open(std::move(made));
    app.onStep = [&](int step) {
        if (step == 2)
            ClickOn(scene.manager, dialog->GetFirstButton());
    };
    // The nested step's deletion pass deletes the dialog; the wait must
    // neither touch it nor close a second time.
    EXPECT_EQ(dialog->WaitForAnswer(true), 1000);
    EXPECT_EQ(scene.host.closed, (std::vector<int>{42}));
    EXPECT_EQ(app.deletions.PendingCount(), 0u);
    EXPECT_TRUE(scene.manager.GetChildren().empty());
}

TEST(DialogModal, AWaitWithoutAnAnswerEndsWithNoneWhenTheLoopEndsOrTheDialogIsClosed)
{
    WidgetScene scene;
    ModalApp app(scene);
    app.maxSteps = 4;
    Dialog* dialog = app.Open(MakeDialog(Dialog::kYesNo));
    EXPECT_EQ(dialog->WaitForAnswer(false), Dialog::kNoAnswer);
    EXPECT_EQ(app.steps, 4);
    EXPECT_TRUE(scene.host.closed.empty());

    app.maxSteps = 100;
    app.onStep = [&](int step) {
        if (step == 6)
            scene.host.CloseDialog(42);
    };
    EXPECT_EQ(dialog->WaitForAnswer(false), 0);

    // A detached dialog does not wait at all.
    auto detached = MakeDialog(Dialog::kYesNo);
    EXPECT_EQ(detached->WaitForAnswer(false), Dialog::kNoAnswer);
}
