#include "framework/resources/SysFont.h"

#include "FontTestHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "platform/core/Testing.h"
#include "tests/framework/graphics/RecordingImage.h"
#include "tests/framework/graphics/TestImageHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Zolt {
namespace {

using testing::FontTestHost;
using testing::PixelAt;

const Rect kNoClip(0, 0, 0, 0);

// The first and last rows holding a pixel other than the background.
std::pair<int, int> InkRows(MemoryImage& image, uint32_t background)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (PixelAt(image, x, y) != background) {
                if (first < 0)
                    first = y;
                last = y;
            }
    return {first, last};
}

TEST(SysFont, PointSizeBecomesCharacterHeightAtTheScreensResolution)
{
    EXPECT_EQ(SysFont::PointsToPixels(12, 96), 16);
    EXPECT_EQ(SysFont::PointsToPixels(8, 96), 11);   // 10.67
    EXPECT_EQ(SysFont::PointsToPixels(10, 120), 17); // 16.67
    EXPECT_EQ(SysFont::PointsToPixels(-12, 96), -16);

    SysFont plain("Arial", 12, false, false, false);
    EXPECT_EQ(plain.PixelHeight(), 16);
    EXPECT_EQ(plain.FamilyName(), "Liberation Sans");
    EXPECT_GT(plain.QueryAscent(), 0);
    EXPECT_EQ(plain.QueryDescent(), plain.QueryHeight() - plain.QueryAscent());
    EXPECT_EQ(plain.QueryLineAdvance(), plain.QueryHeight());

    FontTestHost host;
    host.dpi = 120;
    SysFont scaled(&host, "Tahoma", 10, 1, false, false, false);
    EXPECT_EQ(scaled.PixelHeight(), 17);
    EXPECT_GT(scaled.QueryHeight(), plain.QueryHeight());
}

TEST(SysFont, MeasuresTheWidestLine)
{
    SysFont font("Arial", 12, false, false, false);
    const int word = font.MeasureText("Raise");
    EXPECT_GT(word, 0);
    EXPECT_EQ(font.MeasureText(""), 0);
    EXPECT_EQ(font.MeasureText("Raise\nit"), word);
    EXPECT_EQ(font.MeasureText("it\r\nRaise"), word);
    EXPECT_EQ(font.MeasureChar('W'), font.MeasureText("W"));
}

TEST(SysFont, BlackTextOffScreenIsOpaqueWhereSolidAndClearWhereAbsent)
{
    SysFont font("Arial", 20, false, false, false);
    auto canvas = testing::MakeFilled(60, 40, 0x00000000);
    Graphics g(canvas.get());
    font.RenderText(&g, 4, 30, "Hi", Color(0, 0, 0), kNoClip);
    int opaque = 0, clear = 0, partial = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = PixelAt(*canvas, x, y);
            EXPECT_EQ(p & 0xFFFFFF, 0u) << "black wherever anything is drawn";
            const uint32_t a = p >> 24;
            a == 255 ? ++opaque : a == 0 ? ++clear : ++partial;
        }
    EXPECT_GT(opaque, 30);
    EXPECT_GT(clear, 1500);
    EXPECT_GT(partial, 0) << "anti-aliased edges";
    const auto [top, bottom] = InkRows(*canvas, 0);
    EXPECT_GE(top, 30 - font.QueryAscent());
    EXPECT_LE(bottom, 30);
}

TEST(SysFont, ColouredTextKeepsItsColour)
{
    SysFont font("Arial", 20, true, false, false);
    auto canvas = testing::MakeFilled(60, 40, 0xFFFFFFFF);
    Graphics g(canvas.get());
    font.RenderText(&g, 2, 30, "IH", Color(200, 40, 10), kNoClip);
    int exact = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            exact += PixelAt(*canvas, x, y) == 0xFFC8280A;
    EXPECT_GT(exact, 30);
}

TEST(SysFont, ShadowFallsBlackOnePixelRightAndDown)
{
    // Where the glyph itself lies, from black text on white.
    SysFont font("Arial", 20, false, false, false);
    auto glyph = testing::MakeFilled(40, 30, 0xFFFFFFFF);
    Graphics g1(glyph.get());
    font.RenderText(&g1, 2, 24, "l", Color(0, 0, 0), kNoClip);

    // White text with a shadow on white shows only the shadow.
    font.SetShadow(true);
    auto shaded = testing::MakeFilled(40, 30, 0xFFFFFFFF);
    Graphics g2(shaded.get());
    font.RenderText(&g2, 2, 24, "l", Color(255, 255, 255), kNoClip);

    auto darkBox = [](MemoryImage& image) {
        Rect box(1000, 1000, -1, -1);
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                if ((PixelAt(image, x, y) & 0xFF) < 64) {
                    box.x = std::min(box.x, x);
                    box.y = std::min(box.y, y);
                    box.width = std::max(box.width, x);
                    box.height = std::max(box.height, y);
                }
        return box; // left, top, right, bottom
    };
    const Rect a = darkBox(*glyph);
    const Rect b = darkBox(*shaded);
    ASSERT_LT(a.x, 1000);
    EXPECT_EQ(b.x, a.x + 1);
    EXPECT_EQ(b.y, a.y + 1);
    EXPECT_EQ(b.height, a.height + 1);
}

TEST(SysFont, DisplayImagesGetTheTextOnePixelLower)
{
    SysFont font("Arial", 20, false, false, false);
    auto offscreen = testing::MakeFilled(40, 30, 0xFF000000);
    Graphics g1(offscreen.get());
    font.RenderText(&g1, 2, 24, "E", Color(255, 255, 255), g1.GetClip());

    DDImage display(nullptr);
    std::vector<uint32_t> black(40 * 30, 0xFF000000);
    display.AssignBits(black.data(), 40, 30, true);
    Graphics g2(&display);
    font.RenderText(&g2, 2, 24, "E", Color(255, 255, 255), g2.GetClip());

    const auto a = InkRows(*offscreen, 0xFF000000);
    const auto b = InkRows(display, 0xFF000000);
    ASSERT_GE(a.first, 0);
    EXPECT_EQ(b.first, a.first + 1);
    EXPECT_EQ(b.second, a.second + 1);
}

TEST(SysFont, CloneKeepsTheFontButNotShadowOrBold)
{
    SysFont font("Courier New", 14, true, true, false);
    font.SetShadow(true);
    font.SetSimulatedBold(true);
    std::unique_ptr<Font> copy(font.Clone());
    auto* clone = static_cast<SysFont*>(copy.get());
    EXPECT_FALSE(clone->HasShadow());
    EXPECT_FALSE(clone->HasSimulatedBold());
    EXPECT_EQ(clone->QueryHeight(), font.QueryHeight());
    EXPECT_EQ(clone->QueryAscent(), font.QueryAscent());
    EXPECT_EQ(clone->MeasureText("Fold"), font.MeasureText("Fold"));
    EXPECT_EQ(clone->FamilyName(), "Liberation Mono");
}

TEST(SysFont, FontThatCannotBeOpenedMeasuresAndDrawsNothing)
{
    platform::testing::FailNext("FontOpen", 1);
    SysFont font("Arial", 12, false, false, false);
    EXPECT_EQ(font.QueryHeight(), 0);
    EXPECT_EQ(font.MeasureText("anything"), 0);
    testing::RecordingImage recorder(50, 50);
    Graphics g(&recorder);
    font.RenderText(&g, 0, 10, "x", Color(255, 255, 255), kNoClip);
    EXPECT_TRUE(recorder.blits.empty());
    std::unique_ptr<Font> copy(font.Clone());
    EXPECT_EQ(copy->MeasureText("x"), 0);
}

TEST(SysFont, BlankDestinationDrawsNothing)
{
    SysFont font("Arial", 12, false, false, false);
    Graphics blank(nullptr);
    font.RenderText(&blank, 0, 10, "nothing", Color(255, 255, 255), kNoClip);
    testing::RecordingImage recorder(50, 50);
    Graphics g(&recorder);
    font.RenderText(&g, 0, 10, "", Color(255, 255, 255), kNoClip);
    EXPECT_TRUE(recorder.blits.empty());
    font.RenderText(&g, 0, 10, "x", Color(255, 255, 255), kNoClip);
    EXPECT_EQ(recorder.blits.size(), 1u);
}

} // namespace
} // namespace Zolt
