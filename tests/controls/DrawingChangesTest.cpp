// Passes that draw only what changed since the last one: the picture they
// leave is the picture a whole pass draws, and they say where they drew.
#include "controls/Factory_impl.h"
#include "controls/IEditBoxVO.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "framework/graphics/Rect.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace ControlLibrary;
using testing_support::ControlScene;

namespace {

// What a whole pass of the same scene draws over the same screen.
std::vector<uint32_t> WholePass(ControlScene& scene)
{
    scene.Factory().InvalidateAll();
    scene.Draw();
    return scene.Pixels();
}

int64_t AreaOf(const std::vector<Zolt::Rect>& rects)
{
    int64_t area = 0;
    for (const Zolt::Rect& r : rects)
        area += int64_t{r.width} * r.height;
    return area;
}

IImageVO* Picture(Factory_impl& f, const std::string& name, int x, int y)
{
    IImageVO* image = f.CreateImageVO();
    EXPECT_TRUE(image->SetImage(name, true));
    image->SetPosition(x, y);
    image->SetVisible(true);
    return image;
}

class DrawingChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.Host().AddPatternImage("images/felt.png", 200, 150);
        scene.Host().AddPatternImage("images/card.png", 23, 31);
        background = Picture(f, "images/felt.png", 0, 0);
        box = f.CreateEditBoxVO();
        box->SetFont(scene.Font());
        box->SetPosition(60, 100);
        box->SetSize(80, 20);
        box->SetText("Jo");
        box->SetVisible(true);
        box->SetFocus(true);
        scene.Draw();
        // The first pass also cleared where the box stood before it was
        // placed: the next one draws that place again.
        std::vector<Zolt::Rect> settle;
        scene.DrawChanges(settle);
    }
    void TearDown() override
    {
        f.ReleaseVO(box);
        f.ReleaseVO(background);
    }

    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IImageVO* background = nullptr;
    IEditBoxVO* box = nullptr;
};

} // namespace

TEST_F(DrawingChanges, ABlinkingCaretDrawsOnlyAroundItselfYetLeavesTheWholePassesPicture)
{
    scene.Step(500); // the caret shows
    std::vector<Zolt::Rect> changed;
    ASSERT_TRUE(scene.DrawChanges(changed));
    ASSERT_FALSE(changed.empty());
    // Around the caret, inside the box's row; far less than the screen the
    // background covers.
    for (const Zolt::Rect& r : changed) {
        EXPECT_GE(r.y, 90);
        EXPECT_LE(r.y + r.height, 130);
    }
    EXPECT_LT(AreaOf(changed), 200 * 40);
    const std::vector<uint32_t> drawn = scene.Pixels();
    EXPECT_EQ(drawn, WholePass(scene));

    // Nothing changed since: nothing is drawn and nothing needs showing.
    changed.clear();
    ASSERT_TRUE(scene.DrawChanges(changed));
    EXPECT_TRUE(changed.empty());
}

TEST_F(DrawingChanges, AFullPassAskedForDrawsEverythingAndSaysNothingOfPlaces)
{
    std::vector<Zolt::Rect> changed;
    f.InvalidateAll();
    scene.Paint(0xFF123456);
    EXPECT_FALSE(scene.DrawChanges(changed));
    EXPECT_TRUE(changed.empty());
    EXPECT_NE(scene.Pixel(0, 0), 0xFF123456u);
    f.NotifyFullRepaint();
    EXPECT_FALSE(scene.DrawChanges(changed));
    // The next pass compares with the full one again.
    EXPECT_TRUE(scene.DrawChanges(changed));
}

TEST_F(DrawingChanges, APictureLoadedInPlaceOfAnotherIsDrawnAgain)
{
    scene.Host().AddImage("images/red.png", 30, 30, 0xFFFF0000);
    scene.Host().AddImage("images/blue.png", 30, 30, 0xFF0000FF);
    IImageVO* chip = Picture(f, "images/red.png", 10, 10);
    std::vector<Zolt::Rect> changed;
    scene.DrawChanges(changed);
    // The first picture goes before the second is loaded: the same handle,
    // perhaps the same memory, yet another picture.
    ASSERT_TRUE(chip->SetImage("images/blue.png", true));
    changed.clear();
    ASSERT_TRUE(scene.DrawChanges(changed));
    EXPECT_EQ(scene.Pixel(20, 20) & 0xFFFFFF00u, 0xFF000000u);
    EXPECT_GE(scene.Pixel(20, 20) & 0xFFu, 0xFCu); // blue, as the blitters round it
    EXPECT_FALSE(changed.empty());
    f.ReleaseVO(chip);
}

TEST_F(DrawingChanges, APassOfChangesAfterAWholePassComparesWithThatPass)
{
    IImageVO* chip = Picture(f, "images/card.png", 10, 10);
    std::vector<Zolt::Rect> changed;
    scene.DrawChanges(changed);
    chip->SetPosition(60, 10);
    scene.Draw(); // where the screen was drawn by other means
    chip->SetPosition(10, 10);
    ASSERT_TRUE(scene.DrawChanges(changed));
    const std::vector<uint32_t> drawn = scene.Pixels();
    EXPECT_EQ(drawn, WholePass(scene));
    f.ReleaseVO(chip);
}

// Objects of every kind the game draws with are moved, resized, hidden,
// shown, re-layered, recoloured, turned and retyped at random; after every
// change the pass of what changed must leave exactly the picture a whole
// pass draws.
TEST_F(DrawingChanges, RandomChangesLeaveExactlyTheWholePassesPicture)
{
    std::vector<IVisibleObject*> objects;
    std::vector<IRectVO*> rects;
    for (int i = 0; i < 3; ++i) {
        IRectVO* rect = f.CreateRectVO();
        rects.push_back(rect);
        rect->SetStyle(uint32_t(i % 2));
        rect->SetSize(30 + 10 * i, 20);
        rect->SetColour(RGB{uint8_t(80 * i), 200, uint8_t(40 * i)});
        objects.push_back(rect);
    }
    IImageVO* card = Picture(f, "images/card.png", 5, 5);
    IImageVO* stretched = Picture(f, "images/card.png", 40, 40);
    stretched->SetSize(50, 17);
    IImageVO* turned = Picture(f, "images/card.png", 120, 30);
    turned->SetRotation(0.5, Point{11, 15});
    IImageVO* patch = f.CreateImageVO(); // a colour without a picture, drawn clipped
    patch->SetSize(25, 25);
    patch->SetColour(RGB{0, 0, 200});
    patch->SetAlwaysRepaint(false);
    objects.insert(objects.end(), {card, stretched, turned, patch});
    std::vector<IStringVO*> texts;
    for (int i = 0; i < 2; ++i) {
        IStringVO* text = f.CreateStringVO();
        text->SetFont(scene.Font());
        text->SetText("Pot $" + std::to_string(100 * i));
        texts.push_back(text);
        objects.push_back(text);
    }
    objects.push_back(box);
    for (IVisibleObject* o : objects)
        o->SetVisible(true);
    scene.Draw();

    std::mt19937 random(20261207);
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    std::vector<Zolt::Rect> changed;
    std::vector<uint32_t> before = WholePass(scene);
    for (int round = 0; round < 400; ++round) {
        IVisibleObject* o = objects[size_t(pick(int(objects.size())))];
        switch (pick(8)) {
        case 0: o->SetPosition(pick(220) - 10, pick(170) - 10); break;
        case 1: o->SetSize(uint32_t(5 + pick(60)), uint32_t(5 + pick(40))); break;
        case 2: o->SetVisible(pick(3) != 0); break;
        case 3: o->SetLayer(uint16_t(pick(4))); break;
        case 4: o->SetColour(RGB{uint8_t(pick(256)), uint8_t(pick(256)), uint8_t(pick(256))}); break;
        case 5: turned->SetRotation(pick(628) / 100.0, Point{pick(23), pick(31)}); break;
        case 6: texts[size_t(pick(2))]->SetText(std::string(size_t(pick(6)), char('a' + pick(26)))); break;
        case 7: scene.Step(5 * pick(120)); break;
        }
        changed.clear();
        const bool compared = scene.DrawChanges(changed);
        const std::vector<uint32_t> drawn = scene.Pixels();
        // Only the places it names are shown: every pixel it changed lies in one.
        for (size_t i = 0; compared && i < drawn.size(); ++i) {
            const int x = int(i % 200), y = int(i / 200);
            bool named = drawn[i] == before[i];
            for (const Zolt::Rect& r : changed)
                named = named || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
            ASSERT_TRUE(named) << "round " << round << " pixel " << x << "," << y;
        }
        before = WholePass(scene);
        ASSERT_EQ(drawn, before) << "round " << round;
    }
    for (IRectVO* rect : rects)
        f.ReleaseVO(rect);
    for (IImageVO* image : {card, stretched, turned, patch})
        f.ReleaseVO(image);
    for (IStringVO* text : texts)
        f.ReleaseVO(text);
}

// What changed is shown where its drawing can reach: a picture drawn as it
// is covers its own place, a stretched one a pixel around it, a turned one
// the circle it sweeps about its centre and about its place.
TEST_F(DrawingChanges, EachChangeIsShownWhereItsDrawingCanReach)
{
    scene.Host().AddImage("images/dot.png", 10, 10, 0xFF00FF00);
    IImageVO* card = Picture(f, "images/card.png", 0, 0);
    IImageVO* stretched = Picture(f, "images/card.png", 100, 10);
    stretched->SetSize(30, 40);
    IImageVO* dot = Picture(f, "images/dot.png", 50, 60);
    dot->SetRotation(0.5, Point{5, 5});
    std::vector<Zolt::Rect> changed;
    const auto changes = [&] {
        changed.clear();
        EXPECT_TRUE(scene.DrawChanges(changed));
        std::vector<std::vector<int>> places;
        for (const Zolt::Rect& r : changed)
            places.push_back({r.x, r.y, r.width, r.height});
        std::sort(places.begin(), places.end());
        return places;
    };
    // A change shows in the pass after it and again in the next (the places
    // it left are cleared, then not): one change at a time, after both.
    changes();
    changes();
    card->SetPosition(30, 0);
    EXPECT_EQ(changes(), (std::vector<std::vector<int>>{{0, 0, 23, 31}, {30, 0, 23, 31}}));
    changes();
    stretched->SetPosition(150, 10);
    EXPECT_EQ(changes(), (std::vector<std::vector<int>>{{99, 9, 32, 42}, {149, 9, 32, 42}}));
    changes();
    // Corners at most 7.1 from the centre: 8, and 2 to spare.
    dot->SetRotation(1.0, Point{5, 5});
    EXPECT_EQ(changes(), (std::vector<std::vector<int>>{{40, 50, 25, 25}}));
    changes();
    // Drawn away from its place by an offset, it is shown where it went.
    dot->SetDrawOffset(Point{20, 30});
    EXPECT_EQ(changes(), (std::vector<std::vector<int>>{{40, 50, 25, 25}, {60, 80, 25, 25}}));
    changes();
    // Text: a line's height on every side of its measured width.
    IStringVO* text = f.CreateStringVO();
    text->SetFont(scene.Font());
    text->SetText("ab");
    text->SetPosition(20, 110);
    text->SetVisible(true);
    changes();
    changes();
    text->SetPosition(100, 110);
    const int width = 2 * testing_support::kFontAdvance;
    const int h = testing_support::kFontHeight;
    EXPECT_EQ(changes(), (std::vector<std::vector<int>>{{20 - h, 100, width + 2 * h, 3 * h},
                                                        {100 - h, 100, width + 2 * h, 3 * h}}));
    changes();
    // A line: a pixel beyond each end and each side.
    scene.Step(500); // the caret shows
    const std::vector<std::vector<int>> caret = changes();
    ASSERT_EQ(caret.size(), 1u);
    EXPECT_EQ(caret[0][2], 3);
    EXPECT_EQ(caret[0][3], 4 + 3); // the box's 20 rows less 16, and 3
    f.ReleaseVO(text);
    for (IImageVO* o : {card, stretched, dot})
        f.ReleaseVO(o);
}
