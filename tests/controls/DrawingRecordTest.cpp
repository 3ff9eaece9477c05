// Where two passes' drawing calls say their pictures can differ.
#include "controls/DrawingRecord.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;

namespace {

DrawingStep Fill(int x, int y, int w, int h, uint8_t red = 255)
{
    DrawingStep step;
    step.kind = DrawingStep::Kind::Fill;
    step.colour = RGB{red, 0, 0};
    step.destination[0] = x;
    step.destination[1] = y;
    step.destination[2] = w;
    step.destination[3] = h;
    step.reach = Zolt::Rect(x, y, w, h);
    return step;
}

DrawingStep Stretched(int x, int y, int w, int h)
{
    DrawingStep step = Fill(x, y, w, h);
    step.kind = DrawingStep::Kind::Image;
    step.resource = 7;
    step.clipsExactly = false;
    return step;
}

DrawingRecord Pass(std::initializer_list<DrawingStep> steps)
{
    DrawingRecord record;
    for (const DrawingStep& step : steps)
        record.Add(step);
    return record;
}

using Areas = std::vector<Zolt::Rect>;

} // namespace

TEST(DrawingRecord, AreasThatOnlyTouchDoNotOverlapAndAnEmptyAreaOverlapsNothing)
{
    const Zolt::Rect area(10, 10, 10, 10);
    EXPECT_TRUE(Overlaps(area, Zolt::Rect(19, 19, 5, 5)));
    for (const Zolt::Rect& beside : {Zolt::Rect(20, 10, 5, 5), Zolt::Rect(5, 10, 5, 5), Zolt::Rect(10, 0, 5, 10),
                                     Zolt::Rect(10, 20, 5, 5)})
        EXPECT_FALSE(Overlaps(area, beside)) << beside.x << "," << beside.y;
    EXPECT_FALSE(Overlaps(area, Zolt::Rect(12, 12, 0, 3)));
    EXPECT_TRUE(Holds(area, Zolt::Rect(10, 10, 10, 10)));
    EXPECT_FALSE(Holds(area, Zolt::Rect(11, 11, 10, 9)));
}

TEST(DrawingRecord, EqualPassesDifferNowhereEvenWithRepeatedCalls)
{
    const DrawingRecord pass = Pass({Fill(0, 0, 100, 100), Fill(10, 10, 5, 5, 1), Fill(0, 0, 100, 100)});
    EXPECT_TRUE(DrawingRecord::Differences(pass, pass).empty());
    // A repeated call is paired first with first: dropping the second copy
    // changes only its place, not the first one's.
    const DrawingRecord fewer = Pass({Fill(0, 0, 100, 100), Fill(10, 10, 5, 5, 1)});
    EXPECT_EQ(DrawingRecord::Differences(pass, fewer), (Areas{{0, 0, 100, 100}}));
    // A copy added after the opening is new even though an equal call was
    // drawn before it (a see-through picture drawn twice is darker).
    const DrawingStep copy = Fill(40, 40, 5, 5, 3);
    EXPECT_EQ(DrawingRecord::Differences(Pass({Fill(0, 0, 100, 100), Fill(10, 10, 5, 5, 1), copy}),
                                         Pass({Fill(0, 0, 100, 100), Fill(10, 10, 5, 5, 2), copy, copy})),
              (Areas{{10, 10, 5, 5}, {40, 40, 5, 5}}));
    EXPECT_TRUE(DrawingRecord::Differences(Pass({}), Pass({})).empty());
}

TEST(DrawingRecord, ACallThatMovedOrChangedMarksWhereItWasAndWhereItIs)
{
    const DrawingStep background = Fill(0, 0, 200, 200, 9);
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, Fill(10, 10, 20, 20)}),
                                         Pass({background, Fill(100, 100, 20, 20)})),
              (Areas{{100, 100, 20, 20}, {10, 10, 20, 20}}));
    // Overlapping places are one.
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, Fill(10, 10, 20, 20)}),
                                         Pass({background, Fill(15, 15, 20, 20)})),
              (Areas{{10, 10, 25, 25}}));
    // Another colour at the same place.
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, Fill(10, 10, 20, 20, 1)}),
                                         Pass({background, Fill(10, 10, 20, 20, 2)})),
              (Areas{{10, 10, 20, 20}}));
    // Another picture at the same place, as the very first call of the pass
    // (the background every pass repaints).
    DrawingStep picture = Stretched(0, 0, 200, 200);
    DrawingStep another = picture;
    another.resource = 8;
    EXPECT_EQ(DrawingRecord::Differences(Pass({picture, Fill(10, 10, 20, 20)}), Pass({another, Fill(10, 10, 20, 20)})),
              (Areas{{0, 0, 200, 200}}));
}

TEST(DrawingRecord, ANewCallAndAGoneCallMarkTheirReach)
{
    const DrawingStep background = Fill(0, 0, 200, 200, 9);
    EXPECT_EQ(DrawingRecord::Differences(Pass({background}), Pass({background, Fill(5, 6, 7, 8)})),
              (Areas{{5, 6, 7, 8}}));
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, Fill(5, 6, 7, 8)}), Pass({background})),
              (Areas{{5, 6, 7, 8}}));
    // A call with nothing to draw changes nothing.
    EXPECT_TRUE(DrawingRecord::Differences(Pass({background}), Pass({background, Fill(5, 6, 0, 8)})).empty());
}

TEST(DrawingRecord, CallsThatChangedTheirOrderMarkTheCallThatMovedBehind)
{
    const DrawingStep a = Fill(10, 10, 30, 30, 1);
    const DrawingStep b = Fill(20, 20, 30, 30, 2);
    const DrawingStep far = Fill(150, 150, 5, 5, 3);
    // b drawn before a now: where they overlap a shows instead of b.
    const Areas areas = DrawingRecord::Differences(Pass({a, far, b}), Pass({b, far, a}));
    ASSERT_FALSE(areas.empty());
    bool overlapHeld = false;
    for (const Zolt::Rect& area : areas)
        overlapHeld = overlapHeld || Holds(area, Zolt::Rect(20, 20, 20, 20));
    EXPECT_TRUE(overlapHeld);

    // Two calls moved behind a third: both are marked, also the second,
    // the only one the third overlaps.
    const DrawingStep c = Fill(60, 10, 20, 20, 3);
    const DrawingStep b2 = Fill(50, 0, 20, 20, 2);
    const Areas moved = DrawingRecord::Differences(Pass({a, b2, c}), Pass({c, a, b2}));
    overlapHeld = false;
    for (const Zolt::Rect& area : moved)
        overlapHeld = overlapHeld || Holds(area, Zolt::Rect(60, 10, 10, 10));
    EXPECT_TRUE(overlapHeld);
}

TEST(DrawingRecord, ACallThatComesOrGoesAfterASharedOpeningMarksOnlyItsPlace)
{
    // A caret blinking inside a still scene: the calls after it are drawn
    // one step earlier or later, yet in the same order.
    const DrawingStep background = Fill(0, 0, 200, 200, 9);
    const DrawingStep box = Fill(10, 10, 80, 20, 4);
    const DrawingStep caret = Fill(30, 12, 1, 16, 5);
    const DrawingStep button = Fill(10, 50, 40, 20, 6);
    const DrawingStep label = Fill(12, 52, 30, 10, 7);
    const DrawingRecord shown = Pass({background, box, caret, button, label});
    const DrawingRecord hidden = Pass({background, box, button, label});
    EXPECT_EQ(DrawingRecord::Differences(shown, hidden), (Areas{{30, 12, 1, 16}}));
    EXPECT_EQ(DrawingRecord::Differences(hidden, shown), (Areas{{30, 12, 1, 16}}));
    // The same with an opening of one call.
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, caret, button}), Pass({background, button})),
              (Areas{{30, 12, 1, 16}}));
    // Two copies of a call, one dropped: the calls left pair with the first
    // copy, so only the dropped copy's place is marked.
    const DrawingStep spot = Fill(100, 100, 10, 10, 8);
    const DrawingStep cover = Fill(105, 105, 10, 10, 3);
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, spot, cover, spot}), Pass({background, spot, cover})),
              (Areas{{100, 100, 10, 10}}));
    // Calls after the opening that swapped places are still seen.
    EXPECT_EQ(DrawingRecord::Differences(Pass({background, box, button, label}),
                                         Pass({background, box, label, button})),
              (Areas{{10, 50, 40, 20}}));
}

TEST(DrawingRecord, APlaceThatCutsACallWhichDoesNotClipExactlyGrowsToHoldIt)
{
    const DrawingStep picture = Stretched(0, 0, 50, 50);
    EXPECT_EQ(DrawingRecord::Differences(Pass({picture, Fill(40, 40, 20, 20, 1)}),
                                         Pass({picture, Fill(40, 40, 20, 20, 2)})),
              (Areas{{0, 0, 60, 60}}));
    // Places that come to overlap as they grow are joined, and the joined
    // place grows again over a call it now cuts that neither part did.
    const DrawingStep small = Stretched(0, 0, 20, 20);
    const DrawingStep low = Stretched(15, 27, 20, 10);
    EXPECT_EQ(DrawingRecord::Differences(Pass({small, low, Fill(15, 15, 10, 10, 1), Fill(0, 22, 10, 10, 1)}),
                                         Pass({small, low, Fill(15, 15, 10, 10, 2), Fill(0, 22, 10, 10, 2)})),
              (Areas{{0, 0, 35, 37}}));
    // A chain of places, each overlapping the next, is one place.
    EXPECT_EQ(DrawingRecord::Differences(Pass({Fill(0, 0, 10, 10, 1), Fill(8, 0, 10, 10, 1), Fill(16, 0, 10, 10, 1)}),
                                         Pass({Fill(0, 0, 10, 10, 2), Fill(8, 0, 10, 10, 2), Fill(16, 0, 10, 10, 2)})),
              (Areas{{0, 0, 26, 10}}));
    // A place that misses it stays as it is.
    EXPECT_EQ(DrawingRecord::Differences(Pass({picture, Fill(80, 80, 5, 5, 1)}),
                                         Pass({picture, Fill(80, 80, 5, 5, 2)})),
              (Areas{{80, 80, 5, 5}}));
}

TEST(DrawingRecord, BeyondTheMostPlacesTheirBoundingBoxIsDrawn)
{
    DrawingRecord before, after;
    for (int i = 0; i < 10; ++i) {
        before.Add(Fill(i * 20, 0, 5, 5, 1));
        after.Add(Fill(i * 20, 0, 5, 5, 2));
    }
    EXPECT_EQ(DrawingRecord::Differences(before, after, 10).size(), 10u);
    EXPECT_EQ(DrawingRecord::Differences(before, after, 9), (Areas{{0, 0, 185, 5}}));
}

TEST(DrawingRecord, BeyondSixtyFourPlacesAllAreTakenAsOneBoxAtOnce)
{
    // Two far clusters of overlapping places: 64 places are joined into the
    // two clusters, 65 make one box without being joined one by one.
    for (const int count : {64, 65}) {
        DrawingRecord after;
        for (int i = 0; i < count; ++i)
            after.Add(Fill((i % 2) * 100 + i / 2, 0, 10, 10));
        EXPECT_EQ(DrawingRecord::Differences(Pass({}), after).size(), count == 64 ? 2u : 1u) << count;
    }
}
