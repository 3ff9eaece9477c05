// A pass whose widgets all say where they painted has only those places
// presented; anything else presents the whole screen.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/app/ShownPicture.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/ddraw/DDrawTesting.h"

using namespace apptest;
namespace display = platform::ddraw::testing;

namespace {

// Paints the whole screen green and a 20 x 10 square at (100, 50) in a
// shade of red (and, when asked, a 30 x 20 one at (400, 300)); where the
// screen still holds its last paint and it may, only the squares, and it
// says so, square by square.
class SquarePainter : public Zolt::Widget {
public:
    explicit SquarePainter(Zolt::ZoltAppBase* app) : app_(app) {}

    void Paint(Zolt::Graphics* g) override
    {
        Zolt::WidgetManager* manager = GetManager();
        const bool inPlace = saysWhere && manager->ScreenHoldsLastPaintOf(this) && app_->ScreenKeepsItsPicture();
        if (!inPlace) {
            g->SetColor(Zolt::Color(0, 80, 0));
            g->FillRectangle(0, 0, 640, 480);
            ++wholePaints;
        }
        g->SetColor(Zolt::Color(red, 0, 0));
        g->FillRectangle(100, 50, 20, 10);
        if (inPlace)
            manager->ReportPaintedAreas({Zolt::Rect(100, 50, 20, 10)});
        if (secondSquare) {
            g->FillRectangle(400, 300, 30, 20);
            if (inPlace)
                manager->ReportPaintedAreas({Zolt::Rect(400, 300, 30, 20)});
        }
    }

    int red = 10;
    bool saysWhere = true;
    bool secondSquare = false;
    int wholePaints = 0;

private:
    Zolt::ZoltAppBase* app_;
};

// Whether the screen shows about this colour there (the fill's colour may
// come out a step off in a channel).
bool Shows(int x, int y, uint32_t rgb)
{
    const auto frame = display::PresentedFrame();
    const uint32_t shown = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int((shown >> shift) & 0xFF), b = int((rgb >> shift) & 0xFF);
        if (a - b > 2 || b - a > 2)
            return false;
    }
    return true;
}

class PresentParts : public AppTest {
protected:
    void SetUp() override
    {
        StartApp();
        RunFor(50);
        painter = std::make_unique<SquarePainter>(app.get());
        painter->SetBounds(0, 0, 640, 480);
        app->GetWidgetManager()->AddChild(painter.get());
        Repaint();
    }
    void TearDown() override
    {
        if (app && app->GetWidgetManager())
            app->GetWidgetManager()->RemoveChild(painter.get());
    }
    void Repaint()
    {
        painter->SetDirty(true);
        RunFor(30);
    }

    std::unique_ptr<SquarePainter> painter;
};

} // namespace

TEST_F(PresentParts, OnlyThePlaceAWidgetSaysItPaintedIsPresented)
{
    ASSERT_TRUE(app->ScreenKeepsItsPicture());
    EXPECT_EQ(painter->wholePaints, 1);
    EXPECT_TRUE(Shows(5, 5, 0x005000));
    const int parts = display::PartPresentCount();

    painter->red = 200;
    Repaint();
    EXPECT_EQ(painter->wholePaints, 1);
    EXPECT_EQ(display::PartPresentCount(), parts + 1);
    const platform::RECT part = display::LastPresentedPart();
    const platform::RECT window = display::PresentedFrame().source;
    EXPECT_EQ(part.left - window.left, 100);
    EXPECT_EQ(part.top - window.top, 50);
    EXPECT_EQ(part.right - part.left, 20);
    EXPECT_EQ(part.bottom - part.top, 10);
    EXPECT_TRUE(Shows(110, 55, 0xC80000));
    EXPECT_TRUE(Shows(5, 5, 0x005000));
}

TEST_F(PresentParts, EveryPlaceAPassPaintsIsPresentedNotOnlyTheLast)
{
    const int parts = display::PartPresentCount();
    painter->secondSquare = true;
    painter->red = 150;
    Repaint();
    EXPECT_EQ(painter->wholePaints, 1);
    EXPECT_EQ(display::PartPresentCount(), parts + 1);
    EXPECT_TRUE(Shows(110, 55, 0x960000));
    EXPECT_TRUE(Shows(415, 310, 0x960000));
    EXPECT_TRUE(Shows(5, 5, 0x005000));
}

TEST_F(PresentParts, APaintThatDoesNotSayWhereOrASecondPainterShowsTheWholeScreen)
{
    const int parts = display::PartPresentCount();
    painter->saysWhere = false;
    painter->red = 90;
    Repaint();
    EXPECT_EQ(display::PartPresentCount(), parts);
    EXPECT_TRUE(Shows(110, 55, 0x5A0000));

    // Another widget paints over the screen: the first one's last paint is
    // no longer all the screen holds, and it paints whole again.
    painter->saysWhere = true;
    SquarePainter other(app.get());
    other.SetBounds(0, 0, 640, 480);
    other.red = 30;
    app->GetWidgetManager()->AddChild(&other);
    other.SetDirty(true);
    RunFor(30);
    const int whole = painter->wholePaints;
    Repaint();
    EXPECT_EQ(painter->wholePaints, whole + 1);
    EXPECT_EQ(display::PartPresentCount(), parts);
    app->GetWidgetManager()->RemoveChild(&other);
}

TEST_F(PresentParts, AnUnchangedScreenIsShownItsPictureAgainOnceASecondWithoutSendingIt)
{
    const int presents = display::PresentCount();
    const int agains = display::AgainPresentCount();
    const int parts = display::PartPresentCount();
    RunFor(3500);
    EXPECT_NEAR(display::AgainPresentCount() - agains, 3, 1);
    EXPECT_EQ(display::PresentCount() - presents, display::AgainPresentCount() - agains);
    EXPECT_EQ(display::PartPresentCount(), parts);
    EXPECT_TRUE(Shows(5, 5, 0x005000));

    // A window that no longer holds the picture (it moved) is sent it whole.
    const platform::RECT before = display::PresentedFrame().source;
    platform::MoveWindow(app->GetMainWindow(), before.left + 40, before.top + 30, before.right - before.left,
                         before.bottom - before.top, 1);
    const int againsBeforeMove = display::AgainPresentCount();
    RunFor(1500);
    EXPECT_EQ(display::AgainPresentCount(), againsBeforeMove);
    EXPECT_NE(display::PresentedFrame().source.left, before.left);
    EXPECT_TRUE(Shows(110, 55, 0x0A0000));
}

TEST(ShownPicture, PlacesPaintedWhilePresentsWaitGoOutWithTheNextPresent)
{
    using Zolt::ShownPicture;
    ShownPicture shown;
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Whole); // nothing known yet
    shown.NoteShown(true);
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Again);
    EXPECT_EQ(shown.Next(true), ShownPicture::Present::Whole);

    // Two passes painted before a present was due: both places go out.
    shown.NotePaintedPlaces({Zolt::Rect(1, 2, 3, 4)});
    shown.NotePaintedPlaces({Zolt::Rect(50, 60, 5, 5)});
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Places);
    EXPECT_EQ(shown.Places(), (std::vector<Zolt::Rect>{Zolt::Rect(1, 2, 3, 4), Zolt::Rect(50, 60, 5, 5)}));
    // One that did not say where makes it whole.
    shown.NotePaintedWhole();
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Whole);
    shown.NoteShown(true);
    EXPECT_TRUE(shown.Places().empty());
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Again);
    // A present that failed leaves nothing known of the window.
    shown.NoteShown(false);
    EXPECT_EQ(shown.Next(false), ShownPicture::Present::Whole);
}
