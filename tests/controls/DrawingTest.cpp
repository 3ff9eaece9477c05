// The drawing pass: layer order, full and dirty-rectangle passes, the dirty
// poll on the time thread's timer, the cursor and tooltip, read as pixels.
#include "controls/Factory_impl.h"
#include "controls/ICursor.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "controls/IToolTip.h"
#include "platform/core/DebugOutput.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::Opaque;

namespace {

constexpr uint32_t kBlack = Opaque(0, 0, 0);
constexpr uint32_t kWhite = Opaque(255, 255, 255);
constexpr uint32_t kBlue = Opaque(0, 0, 255);
constexpr uint32_t kRed = Opaque(255, 0, 0);

IRectVO* FilledRect(Factory_impl& f, int x, int y, int w, int h, RGB colour)
{
    IRectVO* r = f.CreateRectVO();
    r->SetStyle(1);
    r->SetPosition(x, y);
    r->SetSize(w, h);
    r->SetColour(colour);
    return r;
}

// A plain image object without a picture: a colour fill that, when told not
// to repaint always, redraws only inside dirty rectangles.
IImageVO* Patch(Factory_impl& f, int x, int y, RGB colour)
{
    IImageVO* o = f.CreateImageVO();
    o->SetPosition(x, y);
    o->SetColour(colour);
    o->SetAlwaysRepaint(false);
    return o;
}

// Pictures pass through the blitters' premultiplied copies, which may round
// a channel by a step or two.
bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = (a >> shift) & 0xFF;
        const int cb = (b >> shift) & 0xFF;
        if (ca - cb > 3 || cb - ca > 3)
            return false;
    }
    return true;
}

} // namespace

TEST(Drawing, EqualLayersDrawInTheOrderShownAndTheLaterOneIsOnTop)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* first = FilledRect(f, 10, 10, 20, 20, RGB{255, 0, 0});
    IRectVO* second = FilledRect(f, 20, 20, 20, 20, RGB{0, 0, 255});
    second->SetVisible(true);
    first->SetVisible(true);
    first->SetVisible(true);
    EXPECT_EQ(f.LayerOrder(), (std::vector<uint32_t>{second->GetId(), first->GetId()}));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(25, 25), kRed);
    EXPECT_EQ(scene.Pixel(35, 35), kBlue);

    scene.Step(5);
    ASSERT_FALSE(f.TakeRepaintRequest());
    second->SetLayer(5);
    EXPECT_TRUE(f.TakeRepaintRequest()) << "the new order is to be seen";
    EXPECT_EQ(f.LayerOrder(), (std::vector<uint32_t>{first->GetId(), second->GetId()}));
    EXPECT_EQ(f.ShownObjects(), (std::vector<IVisibleObject*>{first, second}));
    EXPECT_EQ(f.GetHighestLayer(), 5u);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(25, 25), kBlue);
    f.ReleaseVO(first);
    f.ReleaseVO(second);
}

TEST(Drawing, InvalidateAllGivesExactlyOneFullPass)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* patch = Patch(f, 10, 10, RGB{255, 255, 255});
    patch->SetVisible(true);
    scene.Draw(); // the first pass after construction is a full one
    EXPECT_EQ(scene.Pixel(15, 15), kWhite);

    scene.Paint(Opaque(0, 0, 255));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlue) << "an untouched object is not redrawn";

    f.InvalidateAll();
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kWhite);
    scene.Paint(Opaque(0, 0, 255));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlue);
    f.ReleaseVO(patch);
}

TEST(Drawing, AForcedFullPassClearsWhereAJustHiddenOrMovedObjectStood)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* hidden = Patch(f, 10, 10, RGB{255, 255, 255});
    IImageVO* moved = Patch(f, 10, 60, RGB{255, 0, 0});
    hidden->SetVisible(true);
    moved->SetVisible(true);
    scene.Draw();
    ASSERT_EQ(scene.Pixel(15, 15), kWhite);
    ASSERT_EQ(scene.Pixel(15, 65), kRed);

    hidden->SetVisible(false);
    moved->SetPosition(100, 60);
    f.InvalidateAll();
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlack);
    EXPECT_EQ(scene.Pixel(15, 65), kBlack);
    EXPECT_EQ(scene.Pixel(105, 65), kRed);

    f.ReleaseVO(hidden);
    f.ReleaseVO(moved);
}

TEST(Drawing, AFullRepaintNoticeRedrawsEverythingOnceAndAsksForThatPass)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* still = Patch(f, 10, 10, RGB{255, 255, 255});
    IImageVO* hidden = Patch(f, 10, 60, RGB{255, 0, 0});
    still->SetVisible(true);
    hidden->SetVisible(true);
    scene.Draw();
    scene.Step(5);
    ASSERT_FALSE(f.TakeRepaintRequest());

    // The screen's contents are lost (a display reset): the notice alone
    // asks for a pass, and that pass draws every object whole and still
    // clears where an object has just left.
    scene.Paint(Opaque(0, 0, 255));
    f.NotifyFullRepaint();
    scene.Step(5);
    EXPECT_TRUE(f.TakeRepaintRequest());
    hidden->SetVisible(false);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kWhite);
    EXPECT_EQ(scene.Pixel(15, 65), kBlack);

    // Once: the passes after it repaint only what changed.
    scene.Step(5);
    EXPECT_FALSE(f.TakeRepaintRequest());
    scene.Paint(Opaque(0, 0, 255));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlue) << "an untouched object is not redrawn after the full pass";
    f.ReleaseVO(still);
    f.ReleaseVO(hidden);
}

TEST(Drawing, MovingTwiceRepaintsBothOldPlacesAndDrawsTheObjectAtTheNewOne)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* patch = Patch(f, 10, 10, RGB{255, 255, 255});
    patch->SetVisible(true);
    scene.Draw();
    scene.Step(5);
    EXPECT_FALSE(f.NeedsRepaint());

    patch->SetPosition(50, 10);
    patch->SetPosition(90, 10);
    scene.Step(5);
    EXPECT_TRUE(f.TakeRepaintRequest());
    scene.Paint(Opaque(0, 0, 255));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlack);
    EXPECT_EQ(scene.Pixel(55, 15), kBlack);
    EXPECT_EQ(scene.Pixel(95, 15), kWhite);
    EXPECT_EQ(scene.Pixel(150, 100), kBlue) << "nothing else is repainted";
    f.ReleaseVO(patch);
}

TEST(Drawing, HidingOrReleasingTheOnlyChangedObjectStillRequestsARepaintOfItsPlace)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* hidden = Patch(f, 10, 10, RGB{255, 255, 255});
    IImageVO* released = Patch(f, 10, 50, RGB{255, 255, 255});
    hidden->SetVisible(true);
    released->SetVisible(true);
    scene.Draw();
    scene.Step(5);
    ASSERT_FALSE(f.TakeRepaintRequest());
    EXPECT_EQ(scene.Pixel(15, 15), kWhite);
    hidden->SetVisible(false);
    scene.Step(5);
    EXPECT_TRUE(f.TakeRepaintRequest());
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlack);

    // Released while shown, as a screen lets go of its objects.
    f.ReleaseVO(released);
    scene.Step(5);
    EXPECT_TRUE(f.TakeRepaintRequest());
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 55), kBlack);
    f.ReleaseVO(hidden);
}

TEST(Drawing, TheDirtyPollLooksThroughTheObjectsOnlyAfterAChangeAndFindsEachChange)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* moved = Patch(f, 10, 10, RGB{255, 255, 255});
    IImageVO* hidden = Patch(f, 10, 60, RGB{255, 0, 0});
    moved->SetVisible(true);
    hidden->SetVisible(true);
    scene.Draw();
    scene.Step(5);
    ASSERT_FALSE(f.TakeRepaintRequest());
    // One look after a pass finds the scene clean; then the poll rests.
    const auto restsAfterOneLook = [&](const char* after) {
        scene.Step(5);
        EXPECT_FALSE(f.TakeRepaintRequest()) << after;
        const uint64_t scans = f.LayerScans();
        scene.Step(100);
        EXPECT_FALSE(f.TakeRepaintRequest()) << after;
        EXPECT_EQ(f.LayerScans(), scans) << "twenty idle polls and a request look at nothing, " << after;
    };
    restsAfterOneLook("the first pass");

    moved->SetPosition(50, 10);
    const uint64_t before = f.LayerScans();
    EXPECT_TRUE(f.TakeRepaintRequest()) << "found by the poll the request runs";
    EXPECT_GT(f.LayerScans(), before);
    EXPECT_TRUE(f.TakeRepaintRequest()) << "asked for again until a pass draws it";
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 15), kBlack);
    EXPECT_EQ(scene.Pixel(55, 15), kWhite);
    restsAfterOneLook("a move");

    hidden->SetVisible(false);
    scene.Step(5);
    EXPECT_TRUE(f.TakeRepaintRequest()) << "found by the time thread's poll";
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 65), kBlack);
    restsAfterOneLook("a hide");

    hidden->SetVisible(true);
    EXPECT_TRUE(f.TakeRepaintRequest());
    scene.Draw();
    EXPECT_EQ(scene.Pixel(15, 65), kRed);
    restsAfterOneLook("a show");

    // A pass asked for with nothing changed needs no look either.
    f.InvalidateAll();
    EXPECT_TRUE(f.TakeRepaintRequest());
    scene.Draw();
    restsAfterOneLook("a full pass");
    f.ReleaseVO(moved);
    f.ReleaseVO(hidden);
}

TEST(Drawing, ImageObjectsStretchTheirPictureOrFillTheirColourWithout)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddImage("images/chip.png", 40, 30, 0xFF00FF00);
    IImageVO* chip = f.CreateImageVO();
    ASSERT_TRUE(chip->SetImage("images/chip.png", true));
    EXPECT_EQ(chip->GetSize(), (Size{40, 30}));
    IImageVO* stretched = f.CreateImageVO();
    ASSERT_TRUE(stretched->SetImage("images/chip.png", false));
    EXPECT_EQ(stretched->GetSize(), (Size{20, 20}));
    EXPECT_FALSE(stretched->SetImage("images/absent.png", true));
    std::string name;
    stretched->GetImageName(name);
    EXPECT_EQ(name, "images/chip.png");
    IImageVO* missing = f.CreateImageVO();
    missing->SetPosition(100, 100);

    stretched->SetPosition(50, 0);
    for (IImageVO* o : {chip, stretched, missing})
        o->SetVisible(true);
    scene.Draw();
    EXPECT_TRUE(Near(scene.Pixel(39, 29), Opaque(0, 255, 0)));
    EXPECT_EQ(scene.Pixel(40, 30), kBlack);
    EXPECT_TRUE(Near(scene.Pixel(69, 19), Opaque(0, 255, 0)));
    EXPECT_EQ(scene.Pixel(70, 19), kBlack);
    EXPECT_EQ(scene.Pixel(110, 110), kWhite);
    for (IImageVO* o : {chip, stretched, missing})
        f.ReleaseVO(o);

    // A part of a sheet, as a card is cut from its deck's picture.
    scene.Host().AddPatternImage("images/sheet.png", 40, 30);
    IImageVO* sheet = f.CreateImageVO();
    ASSERT_TRUE(sheet->SetImage("images/sheet.png", true));
    sheet->SetPosition(150, 0);
    IImageVO* card = f.CreateImageVO();
    ASSERT_TRUE(card->SetImage("images/sheet.png", false));
    card->SetSourceRect(Rect{5, 7, 12, 9});
    card->SetSize(12, 9);
    card->SetPosition(150, 100);
    sheet->SetVisible(true);
    card->SetVisible(true);
    scene.Draw();
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(scene.Pixel(150 + x, 100 + y), scene.Pixel(155 + x, 7 + y)) << x << "," << y;
    // Squeezed into one column, it keeps to that column.
    card->SetSize(1, 9);
    scene.Draw();
    EXPECT_NE(scene.Pixel(150, 100), kBlack);
    EXPECT_EQ(scene.Pixel(151, 100), kBlack);
    f.ReleaseVO(sheet);
    f.ReleaseVO(card);
}

TEST(Drawing, TextStandsOnTopPlusFontHeightWithItsShadowBeneath)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IStringVO* label = f.CreateStringVO();
    label->SetFont(scene.Font());
    label->SetText("A");
    label->SetPosition(10, 10);
    label->SetShadow(true);
    label->SetShadowOffset(2, 2);
    label->SetShadowColour(RGB{255, 0, 0});
    label->SetVisible(true);
    scene.Draw();
    // Baseline at 10 + 10: the block covers rows 12..19, columns 10..14.
    EXPECT_EQ(scene.Pixel(10, 12), kWhite);
    EXPECT_EQ(scene.Pixel(14, 19), kWhite);
    EXPECT_EQ(scene.Pixel(10, 11), kBlack);
    EXPECT_EQ(scene.Pixel(16, 21), kRed) << "the shadow shows where the text does not cover it";
    f.ReleaseVO(label);
}

TEST(Drawing, CursorAndToolTipFollowTheMouse)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddImage("images/cursor.png", 4, 6, 0xFFFF0000);
    ICursor* cursor = f.CreateCursor();
    ASSERT_TRUE(cursor->SetImage("images/cursor.png"));
    IToolTip* tip = f.CreateToolTip();
    tip->SetOffset(Point{10, 5});
    tip->SetBackColour(RGB{0, 0, 255});

    IRectVO* target = FilledRect(f, 0, 0, 100, 100, RGB{0, 0, 0});
    target->SetCursor(cursor);
    target->SetToolTip(tip);
    target->SetVisible(true);
    scene.Host().mouse = Point{50, 50};
    f.DispatchMouseMove(50, 50);
    EXPECT_EQ(f.GetCurrentCursor(), cursor);
    scene.Draw();
    EXPECT_TRUE(Near(scene.Pixel(53, 55), kRed));
    EXPECT_EQ(scene.Pixel(53, 56), kBlack);
    EXPECT_EQ(scene.Pixel(54, 56), kBlue) << "tooltip at the mouse plus the cursor's size";

    f.DispatchMouseMove(150, 120);
    EXPECT_EQ(f.GetCurrentCursor(), nullptr);
    EXPECT_EQ(f.GetCurrentToolTip(), nullptr);

    // The owner lets go first; the object still holds both.
    f.ReleaseCursor(cursor);
    f.ReleaseToolTip(tip);
    EXPECT_EQ(cursor->GetRefCount(), 1);
    f.ReleaseVO(target);
}

TEST(Drawing, CursorWithoutPictureCountsSixteenSquareForTheToolTip)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ICursor* cursor = f.CreateCursor();
    EXPECT_FALSE(cursor->SetImage("images/absent.png"));
    IToolTip* tip = f.CreateToolTip();
    tip->SetOffset(Point{4, 4});
    tip->SetBackColour(RGB{0, 0, 255});
    f.SetCurrentToolTip(tip);
    scene.Host().mouse = Point{20, 20};
    // No cursor at all counts the same.
    scene.Draw();
    EXPECT_EQ(scene.Pixel(36, 36), kBlue);
    EXPECT_EQ(scene.Pixel(35, 36), kBlack);
    EXPECT_EQ(scene.Pixel(36, 35), kBlack);
    scene.Paint(kBlack);
    f.SetDefaultCursor(cursor);
    EXPECT_EQ(f.GetCurrentCursor(), cursor);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(36, 36), kBlue);
    EXPECT_EQ(scene.Pixel(35, 35), kBlack);

    // Deleting the default cursor and the shown tooltip leaves nothing
    // behind to draw.
    f.ReleaseToolTip(tip);
    f.ReleaseCursor(cursor);
    EXPECT_EQ(f.GetCurrentCursor(), nullptr);
    EXPECT_EQ(f.GetCurrentToolTip(), nullptr);
    scene.Draw();
}

TEST(Drawing, ObjectsThatDidNotChangeRedrawOnlyInsideTheDirtyRectangles)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* under = Patch(f, 30, 30, RGB{255, 255, 255});
    IImageVO* over = Patch(f, 40, 40, RGB{255, 0, 0});
    under->SetVisible(true);
    over->SetVisible(true);
    scene.Draw();
    scene.Paint(Opaque(0, 0, 255));

    over->SetPosition(80, 80);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(45, 45), kWhite) << "the uncovered part of the object below is redrawn";
    EXPECT_EQ(scene.Pixel(40, 40), kBlack) << "inset by one pixel";
    EXPECT_EQ(scene.Pixel(35, 35), kBlue) << "outside the dirty area nothing is touched";
    EXPECT_EQ(scene.Pixel(85, 85), kRed);
    f.ReleaseVO(under);
    f.ReleaseVO(over);
}

TEST(Drawing, WhereAnObjectWasIsClearedHoweverItIsAnchoredAndSized)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    // Anchored at its right edge, wider than tall.
    IImageVO* bar = Patch(f, 100, 20, RGB{255, 255, 255});
    bar->SetSize(30, 10);
    bar->SetAlignment(2, 0);
    IImageVO* shrinking = Patch(f, 10, 100, RGB{255, 0, 0});
    shrinking->SetSize(10, 10);
    IStringVO* label = f.CreateStringVO();
    label->SetFont(scene.Font());
    label->SetText("Pot $100");
    label->SetPosition(100, 130);
    for (IVisibleObject* o : std::initializer_list<IVisibleObject*>{bar, shrinking, label})
        o->SetVisible(true);
    scene.Draw();
    shrinking->SetSize(40, 30);
    scene.Draw();
    ASSERT_EQ(scene.Pixel(45, 125), kRed);
    ASSERT_EQ(scene.Pixel(124, 135), kWhite) << "the text's fifth letter";

    bar->SetPosition(100, 60);
    shrinking->SetSize(10, 10);
    // Shorter, then another text of the same length: its own box and the
    // longer one's are cleared.
    label->SetText("ab");
    label->SetText("cd");
    scene.Paint(kBlue);
    scene.Draw();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(scene.Pixel(70 + x, 20 + y), kBlack) << "where the bar was, " << x << "," << y;
            ASSERT_EQ(scene.Pixel(70 + x, 60 + y), kWhite) << x << "," << y;
        }
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(scene.Pixel(10 + x, 100 + y), x < 10 && y < 10 ? kRed : kBlack) << x << "," << y;
    EXPECT_EQ(scene.Pixel(124, 135), kBlack);
    EXPECT_EQ(scene.Pixel(150, 100), kBlue) << "nothing else is repainted";
    f.ReleaseVO(bar);
    f.ReleaseVO(shrinking);
    f.ReleaseVO(label);
}

TEST(Drawing, APictureThatDidNotChangeRedrawsOnlyWhereTheDirtyPlacesCrossIt)
{
    // Drawn whole, the pictures are inside their bounds: no report of one off them.
    platform::testing::DebugOutputCapture reports;
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddPatternImage("images/felt.png", 60, 40);
    IImageVO* felt = f.CreateImageVO(); // 40..99 x 40..79
    ASSERT_TRUE(felt->SetImage("images/felt.png", true));
    felt->SetPosition(40, 40);
    felt->SetAlwaysRepaint(false);
    felt->SetVisible(true);
    scene.Draw();
    const std::vector<uint32_t> alone = scene.Pixels();
    const auto seen = [&](int x, int y) { return alone[size_t(y) * 200 + size_t(x)]; };
    IImageVO* over = Patch(f, 30, 50, RGB{255, 0, 0});   // across the felt's left edge
    IImageVO* beside = Patch(f, 110, 45, RGB{255, 0, 0}); // beside it, level with it
    over->SetVisible(true);
    beside->SetVisible(true);
    scene.Draw();

    over->SetPosition(150, 100);
    beside->SetPosition(150, 120);
    scene.Paint(kBlue);
    scene.Draw();
    for (int y = 40; y < 80; ++y)
        for (int x = 40; x < 100; ++x) {
            const bool uncovered = x < 50 && y >= 50 && y < 70;
            ASSERT_EQ(scene.Pixel(x, y), uncovered ? seen(x, y) : kBlue) << x << "," << y;
        }
    EXPECT_EQ(scene.Pixel(35, 60), kBlack);
    EXPECT_EQ(scene.Pixel(115, 50), kBlack);
    EXPECT_EQ(reports.Text(), "");
    for (IImageVO* o : {felt, over, beside})
        f.ReleaseVO(o);
}
