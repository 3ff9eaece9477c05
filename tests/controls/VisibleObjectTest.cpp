// The geometry, flags and dirty rules every kind shares.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "controls/IFont.h"
#include "controls/IStringVO.h"
#include "controls/VisibleObject_impl.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;

namespace {

VisibleObject_impl& Impl(IVisibleObject* o)
{
    return *dynamic_cast<IBridgeToVO*>(o)->GetImpl();
}

} // namespace

TEST(VisibleObject, AlignmentMovesTheScreenPositionAroundTheAnchor)
{
    ControlScene scene;
    IRectVO* r = scene.Factory().CreateRectVO();
    r->SetSize(11, 7);
    r->SetPosition(100, 50);
    r->SetAlignment(1, 2);
    EXPECT_EQ(r->GetScreenPosition(), (Point{95, 43}));
    EXPECT_EQ(r->GetPosition(), (Point{100, 50}));
    EXPECT_EQ(r->GetRect(), (Rect{100, 50, 11, 7}));
    r->SetAlignment(2, 1);
    EXPECT_EQ(r->GetScreenPosition(), (Point{89, 47}));
    r->SetSize(21, 9);
    EXPECT_EQ(r->GetScreenPosition(), (Point{79, 46})) << "a new size moves the object around its anchor";
    r->SetAlignment(7, 0);
    EXPECT_EQ(r->GetScreenPosition(), (Point{100, 50}));
    r->SetAlignment(7, 2);
    EXPECT_EQ(r->GetScreenPosition(), (Point{100, 41})) << "one of the two alignments changed";
    scene.Factory().ReleaseVO(r);
}

TEST(VisibleObject, OldRectanglesAreCutAtTheScreenEdge)
{
    Rect r{-10, 5, 30, 8};
    VisibleObject_impl::AlignAndClip(r, 0, 0);
    EXPECT_EQ(r, (Rect{0, 5, 20, 8}));
    Rect centred{4, -2, 20, 10};
    VisibleObject_impl::AlignAndClip(centred, 1, 1);
    EXPECT_EQ(centred, (Rect{0, 0, 14, 3}));
    Rect farSide{50, 30, 20, 10};
    VisibleObject_impl::AlignAndClip(farSide, 2, 2);
    EXPECT_EQ(farSide, (Rect{30, 20, 20, 10}));
    Rect overTheLeft{15, 5, 20, 10};
    VisibleObject_impl::AlignAndClip(overTheLeft, 2, 0);
    EXPECT_EQ(overTheLeft, (Rect{0, 5, 15, 10}));
    Rect gone{-40, 5, 30, 8};
    VisibleObject_impl::AlignAndClip(gone, 0, 0);
    EXPECT_EQ(gone, (Rect{}));
}

TEST(VisibleObject, SettersMarkDirtyOnlyWhenTheValueChanges)
{
    ControlScene scene;
    IRectVO* r = scene.Factory().CreateRectVO();
    r->SetVisible(true);
    VisibleObject_impl& impl = Impl(r);
    impl.ClearDirty();
    r->SetColour(RGB{255, 255, 255});
    r->SetAlignment(0, 0);
    r->SetSize(20, 20);
    r->SetPosition(0, 0);
    r->SetStyle(0);
    r->SetEnabled(false);
    EXPECT_FALSE(impl.IsDirty());
    r->SetEnabled(true);
    EXPECT_TRUE(impl.IsDirty());
    impl.ClearDirty();
    r->SetColour(RGB{1, 2, 3});
    EXPECT_TRUE(impl.IsDirty());
    EXPECT_EQ(r->GetColour(), (RGB{1, 2, 3}));
    impl.ClearDirty();
    r->SetFocus(true);
    EXPECT_TRUE(impl.IsDirty()) << "the focus shows";
    impl.ClearDirty();
    r->SetFocus(true);
    EXPECT_FALSE(impl.IsDirty());

    // Another font of the same size draws other letters in the same box.
    IStringVO* label = scene.Factory().CreateStringVO();
    label->SetText("Pot");
    label->SetFont(scene.Font());
    IFont* other = scene.Factory().CreateFont();
    other->Load("fonts/Other10.txt");
    Impl(label).ClearDirty();
    label->SetFont(other);
    EXPECT_TRUE(Impl(label).IsDirty());
    scene.Factory().ReleaseVO(label);
    scene.Factory().ReleaseFont(other);
    scene.Factory().ReleaseVO(r);
}

TEST(VisibleObject, ChildrenFollowTheirParentWhenTheyAreSetAgain)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IDialogVO* parent = f.CreateDialogVO();
    IRectVO* child = f.CreateRectVO();
    parent->SetPosition(100, 100);
    child->SetParent(parent);
    child->SetLayer(2);
    child->SetPosition(5, 5);
    EXPECT_EQ(child->GetScreenPosition(), (Point{105, 105}));
    parent->SetPosition(200, 100);
    EXPECT_EQ(child->GetScreenPosition(), (Point{105, 105}));
    child->SetPosition(5, 5);
    EXPECT_EQ(child->GetScreenPosition(), (Point{205, 105}));
    parent->SetLayer(40);
    EXPECT_EQ(child->GetAbsoluteLayer(), 42u);

    // A parent released before its child leaves the child on the screen's
    // origin instead of pointing at a deleted object.
    f.ReleaseVO(parent);
    EXPECT_EQ(child->GetAbsoluteLayer(), 2u);
    child->SetPosition(6, 6);
    EXPECT_EQ(child->GetScreenPosition(), (Point{6, 6}));
    f.ReleaseVO(child);
}

TEST(VisibleObject, BridgeCountNeverGoesBelowZero)
{
    ControlScene scene;
    IRectVO* r = scene.Factory().CreateRectVO();
    EXPECT_EQ(r->Release(), 0);
    EXPECT_EQ(r->Release(), 0);
    EXPECT_EQ(scene.Factory().FindObject(r->GetId()), r);
    r->AddRef();
    scene.Factory().ReleaseVO(r);
    EXPECT_EQ(scene.Factory().FindObject(2), nullptr);
}

TEST(VisibleObject, FocusNeedsAFocusableVisibleEnabledObject)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* a = f.CreateRectVO();
    IRectVO* b = f.CreateRectVO();
    a->SetFocus(true);
    EXPECT_FALSE(a->HasFocus());
    a->SetVisible(true);
    b->SetVisible(true);
    a->SetFocus(true);
    EXPECT_EQ(f.GetFocusedId(), a->GetId());
    b->SetFocus(true);
    EXPECT_FALSE(a->HasFocus());
    EXPECT_TRUE(b->HasFocus());
    EXPECT_EQ(f.GetFocusedId(), b->GetId());
    b->SetFocusable(false);
    EXPECT_FALSE(b->HasFocus());
    b->SetFocus(true);
    EXPECT_FALSE(b->HasFocus());
    f.ReleaseVO(b);
    EXPECT_EQ(f.GetFocusedId(), 0u);
    f.ReleaseVO(a);
}
