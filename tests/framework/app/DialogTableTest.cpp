// The application's dialogs by id, over a widget manager of its own: the
// default place of a dialog without a size, the modal barrier and its hooks,
// the answer a closed dialog leaves, and deletion deferred to the loop.
#include "framework/app/DialogTable.h"

#include "framework/widgets/DeletionQueue.h"
#include "framework/widgets/Dialog.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Zolt::Dialog;
using widget_testing::WidgetScene;

namespace {

class DialogTableTest : public ::testing::Test {
protected:
    DialogTableTest()
        : table(scene.manager, deletions,
                Zolt::DialogTable::ModalHooks{[this] { Hook("added"); }, [this] { Hook("removed"); }})
    {
    }

    // A dialog the table (or the test) owns; not yet entered.
    Dialog* Make(int id, bool modal)
    {
        widget_testing::ScopedWidgetHost host(&scene.host);
        return new Dialog(nullptr, nullptr, id, modal, "Header", "Some lines of text", "", Dialog::kOkCancel);
    }

    // Notes the hook together with whether a modal barrier stands.
    void Hook(const std::string& name)
    {
        hooks.push_back(name + (scene.manager.GetModalBarrier() ? " (barrier up)" : " (no barrier)"));
    }

    bool InTree(Dialog* dialog) const
    {
        for (Zolt::Widget* child : scene.manager.GetChildren())
            if (child == dialog)
                return true;
        return false;
    }

    WidgetScene scene{640, 480};
    Zolt::DeletionQueue deletions;
    Zolt::DialogTable table;
    std::vector<std::string> hooks;
};

} // namespace

TEST_F(DialogTableTest, DialogWithoutSizeTakesHalfTheScreenAFifthOfTheWayDown)
{
    Dialog* dialog = Make(7, false);
    table.Insert(7, dialog, 640, 480);
    EXPECT_EQ(dialog->Width(), 320);
    EXPECT_EQ(dialog->X(), 160);
    EXPECT_EQ(dialog->Y(), 96);
    EXPECT_GT(dialog->Height(), 0) << "as high as its text needs";

    Dialog* placed = Make(8, false);
    placed->SetBounds(10, 20, 200, 100);
    table.Insert(8, placed, 640, 480);
    EXPECT_EQ(placed->X(), 10) << "a dialog with a size keeps its place";
    EXPECT_EQ(table.Find(8), placed);
    EXPECT_EQ(table.InOrder(), (std::list<Dialog*>{dialog, placed}));
    EXPECT_TRUE(InTree(dialog));
    table.DeleteAll();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_TRUE(scene.manager.GetChildren().empty());
}

TEST_F(DialogTableTest, BlockingDialogRaisesTheBarrierAndTheHooksSeeItStanding)
{
    Dialog* dialog = Make(3, true);
    table.Insert(3, dialog, 640, 480);
    EXPECT_EQ(scene.manager.GetModalBarrier(), dialog);
    ASSERT_TRUE(table.Close(3, true, true));
    EXPECT_EQ(scene.manager.GetModalBarrier(), nullptr);
    // The application hears of the removal while the barrier still stands.
    EXPECT_EQ(hooks, (std::vector<std::string>{"added (barrier up)", "removed (barrier up)"}));

    table.Insert(4, Make(4, false), 640, 480);
    table.Close(4, true, true);
    EXPECT_EQ(hooks.size(), 2u) << "a dialog that does not block calls no hook";
    deletions.ProcessDeletions();
}

TEST_F(DialogTableTest, ClosedDialogAnswersZeroUnlessItWasAnswered)
{
    Dialog* waiting = Make(1, true);
    Dialog* answered = Make(2, true);
    table.Insert(1, waiting, 640, 480);
    table.Insert(2, answered, 640, 480);
    answered->SetAnswer(1001);
    table.Close(2, false, false);
    table.Close(1, false, false);
    EXPECT_EQ(waiting->GetAnswer(), 0);
    EXPECT_EQ(answered->GetAnswer(), 1001);
    EXPECT_FALSE(table.Close(1, false, false)) << "closed twice";
    // Neither flag: the dialogs stay in the tree and are the caller's.
    EXPECT_TRUE(InTree(waiting));
    scene.manager.RemoveChild(waiting);
    scene.manager.RemoveChild(answered);
    delete waiting;
    delete answered;
}

TEST_F(DialogTableTest, DeletionWaitsForTheLoopThatClosedTheDialogToUnwind)
{
    Dialog* dialog = Make(5, false);
    table.Insert(5, dialog, 640, 480);
    {
        // Closed from inside a nested loop step.
        Zolt::DeletionQueue::ScopedLoopStep outer(deletions);
        Zolt::DeletionQueue::ScopedLoopStep nested(deletions);
        table.Close(5, true, true);
        EXPECT_FALSE(InTree(dialog));
        EXPECT_EQ(deletions.PendingCount(), 1u);
    }
    deletions.ProcessDeletions();
    EXPECT_EQ(deletions.PendingCount(), 0u);
}
