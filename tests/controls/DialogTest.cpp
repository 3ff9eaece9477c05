// The dialog object: raised above the screen when shown, children shown and
// hidden with it, modality, observers, and its children's lifetime.
#include "controls/BaseVO_bridge.h"
#include "controls/DialogMessageObserver.h"
#include "controls/Factory_impl.h"
#include "controls/MouseMessageObserver.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::Opaque;

namespace {

struct Shown : DialogMessageObserver {
    void OnDialogShown(uint32_t id, bool shown) override { calls.push_back({id, shown}); }
    std::vector<std::pair<uint32_t, bool>> calls;
};

} // namespace

TEST(Dialog, ShowingRaisesItAboveTheHighestLayerWithItsChildrenAbove)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IDialogVO* alone = f.CreateDialogVO();
    alone->SetVisible(true);
    EXPECT_EQ(alone->GetAbsoluteLayer(), 100u) << "over an empty screen";
    alone->SetVisible(false);
    f.ReleaseVO(alone);
    IRectVO* table = f.CreateRectVO();
    table->SetLayer(40);
    table->SetVisible(true);
    IDialogVO* dialog = f.CreateDialogVO();
    IRectVO* child = f.CreateRectVO();
    IRectVO* hiddenChild = f.CreateRectVO();
    child->SetLayer(1);
    hiddenChild->SetShowWithDialog(false);
    dialog->AddChild(child);
    dialog->AddChild(hiddenChild);
    dialog->AddChild(nullptr);
    Shown observer;
    dialog->AddDialogObserver(&observer);

    dialog->SetVisible(true);
    dialog->SetVisible(true);
    EXPECT_EQ(dialog->GetAbsoluteLayer(), 140u);
    EXPECT_EQ(child->GetAbsoluteLayer(), 141u);
    EXPECT_TRUE(child->IsVisible());
    EXPECT_FALSE(hiddenChild->IsVisible());
    EXPECT_FALSE(table->IsEnabled());
    EXPECT_EQ(f.LayerOrder(), (std::vector<uint32_t>{table->GetId(), dialog->GetId(), child->GetId()}));

    hiddenChild->SetVisible(true);
    dialog->SetVisible(false);
    EXPECT_FALSE(hiddenChild->IsVisible());
    EXPECT_TRUE(table->IsEnabled());
    EXPECT_EQ(observer.calls, (std::vector<std::pair<uint32_t, bool>>{{dialog->GetId(), true}, {dialog->GetId(), false}}));
    for (IVisibleObject* o : std::initializer_list<IVisibleObject*>{table, dialog, child, hiddenChild})
        f.ReleaseObject(o);
}

TEST(Dialog, ModelessDialogLeavesTheScreenWorking)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* table = f.CreateRectVO();
    table->SetVisible(true);
    table->SetEnabled(false);
    IDialogVO* dialog = f.CreateDialogVO();
    dialog->SetModeless(1);
    dialog->SetVisible(true);
    EXPECT_EQ(f.GetModalDepth(), 0u);
    dialog->SetVisible(false);
    EXPECT_FALSE(table->IsEnabled()) << "hiding it re-enables nothing";
    f.ReleaseVO(table);
    f.ReleaseVO(dialog);
}

TEST(Dialog, ReleasingItWhileShownFromItsOwnButtonGivesTheScreenBack)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* table = f.CreateRectVO();
    table->SetSize(200, 150);
    table->SetVisible(true);
    IDialogVO* dialog = f.CreateDialogVO();
    IButtonVO* close = f.CreateButtonVO();
    IRectVO* label = f.CreateRectVO();
    close->SetSize(20, 20);
    label->SetPosition(50, 50);
    dialog->AddChild(close);
    dialog->AddChild(label);
    // The owner's close handler tears the whole dialog down.
    struct Owner : MouseMessageObserver {
        void OnMouseUp(uint32_t, int32_t) override
        {
            factory->ReleaseVO(close);
            factory->ReleaseVO(dialog);
        }
        Factory_impl* factory = nullptr;
        IButtonVO* close = nullptr;
        IDialogVO* dialog = nullptr;
    } owner;
    owner.factory = &f;
    owner.close = close;
    owner.dialog = dialog;
    close->AddMouseObserver(&owner);
    dialog->SetVisible(true);
    ASSERT_FALSE(table->IsEnabled());

    const uint32_t closeId = close->GetId();
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    f.DispatchMouseUp(5, 5, 0, 1);
    EXPECT_EQ(f.FindObject(closeId), nullptr);
    EXPECT_EQ(f.GetModalDepth(), 0u);
    EXPECT_TRUE(table->IsEnabled());
    EXPECT_FALSE(label->IsVisible()) << "a child its owner still holds leaves the screen with the dialog";
    EXPECT_EQ(f.LayerOrder(), (std::vector<uint32_t>{table->GetId()}));
    f.ReleaseVO(label);
    f.ReleaseVO(table);
}

TEST(Dialog, FramedPanelOrBackgroundImage)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IDialogVO* dialog = f.CreateDialogVO();
    dialog->SetPosition(10, 10);
    dialog->SetVisible(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(10, 10), Opaque(25, 250, 25));
    EXPECT_EQ(scene.Pixel(110, 110), Opaque(25, 250, 25));
    EXPECT_EQ(scene.Pixel(50, 50), Opaque(128, 64, 0));

    scene.Host().AddImage("images/panel.png", 50, 50, 0xFF0000FF);
    EXPECT_FALSE(dialog->SetBackgroundImage("images/absent.png"));
    ASSERT_TRUE(dialog->SetBackgroundImage("images/panel.png"));
    dialog->SetColour(RGB{1, 1, 1});
    scene.Draw();
    EXPECT_GT(scene.Pixel(105, 105) & 0xFFu, 0xF0u) << "the picture is stretched over the panel";
    dialog->SetFaceHidden(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(50, 50), Opaque(0, 0, 0));
    f.ReleaseVO(dialog);
}

TEST(Dialog, ChildrenItsOwnerReleasedGoWithTheDialog)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IDialogVO* dialog = f.CreateDialogVO();
    IRectVO* child = f.CreateRectVO();
    dialog->AddChild(child);
    f.ReleaseVO(child);
    EXPECT_NE(f.FindObject(child->GetId()), nullptr);
    f.ReleaseVO(dialog);
    EXPECT_EQ(f.FindObject(2), nullptr);
    EXPECT_EQ(f.FindObject(3), nullptr);
}
