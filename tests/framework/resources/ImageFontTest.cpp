#include "framework/resources/ImageFont.h"

#include "FontTestHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/FontData.h"
#include "framework/resources/FontLayer.h"
#include "tests/framework/graphics/RecordingImage.h"
#include "tests/framework/graphics/TestImageHost.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Zolt {
namespace {

using testing::FontTestHost;
using testing::PixelAt;
using testing::RecordingImage;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

// A 9 x 4 glyph image: A is a red 2 x 4 cell, B a green 3 x 4 cell, C a
// white 4 x 4 cell.
std::vector<uint32_t> GlyphPixels()
{
    std::vector<uint32_t> pixels(9 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            pixels[y * 9 + x] = x < 2 ? kRed : x < 5 ? kGreen : kWhite;
    return pixels;
}

// One layer "Main" over the glyph image, ascent 4.
std::string MainLayer(const std::string& name = "Main")
{
    return "CreateLayer " + name + "; LayerSetImage " + name + " glyphs.png; LayerSetAscent " + name +
           " 4;\nLayerSetImageMap " + name + " ('A' 'B' 'C') ((0 0 2 4) (2 0 3 4) (5 0 4 4));\nLayerSetCharWidths " +
           name + " ('A' 'B' 'C') (2 3 4);\n";
}

// A font read from a descriptor file written for the test, with the glyph
// image served beside it.
struct TestFont {
    explicit TestFont(const std::string& descriptor, std::vector<uint32_t> glyphPixels = GlyphPixels())
    {
        host.AddImage(folder / "glyphs.png", 9, 4, std::move(glyphPixels));
        platform::testing::WriteTestFile(folder / "font.txt", descriptor);
        font = std::make_unique<ImageFont>(&host, folder / "font.txt");
    }
    FontLayer* Layer(const std::string& name) { return font->GetFontData()->FindLayer(name); }

    platform::testing::ScopedTempFolder folder;
    FontTestHost host;
    std::unique_ptr<ImageFont> font;
};

std::unique_ptr<MemoryImage> BlackCanvas(int w, int h) { return testing::MakeFilled(w, h, kBlack); }

const Rect kNoClip(0, 0, 0, 0);

// Filtered stretching and tinting may leave a channel a step or two short.
bool Near(uint32_t pixel, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = int((pixel >> shift) & 0xFF);
        const int b = int((expected >> shift) & 0xFF);
        if (a - b > 3 || b - a > 3)
            return false;
    }
    return true;
}

TEST(ImageFont, UnscaledLayersDrawStraightFromTheLayerImage)
{
    TestFont t(MainLayer());
    ASSERT_TRUE(t.font->GetFontData()->IsLoaded()) << t.font->GetFontData()->GetErrorText();
    ASSERT_EQ(t.font->ActiveLayers().size(), 1u);
    const ActiveFontLayer& active = t.font->ActiveLayers()[0];
    EXPECT_EQ(active.image, t.Layer("Main")->image.GetImage());
    EXPECT_FALSE(active.ownsImage);

    auto canvas = BlackCanvas(12, 8);
    Graphics g(canvas.get());
    std::vector<Rect> rects;
    int width = -1;
    t.font->RenderTextWithRects(&g, 1, 5, "AB", Color(255, 255, 255), kNoClip, &rects, &width);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(rects, (std::vector<Rect>{Rect(1, 1, 2, 4), Rect(3, 1, 3, 4)}));
    EXPECT_EQ(PixelAt(*canvas, 0, 1), kBlack);
    EXPECT_EQ(PixelAt(*canvas, 1, 1), kRed);
    EXPECT_EQ(PixelAt(*canvas, 2, 4), kRed);
    EXPECT_EQ(PixelAt(*canvas, 3, 1), kGreen);
    EXPECT_EQ(PixelAt(*canvas, 5, 4), kGreen);
    EXPECT_EQ(PixelAt(*canvas, 6, 1), kBlack);
    EXPECT_EQ(PixelAt(*canvas, 1, 0), kBlack) << "nothing above the ascent";
    EXPECT_EQ(PixelAt(*canvas, 1, 5), kBlack) << "nothing below the baseline";
}

TEST(ImageFont, OffsetsOfCharacterAndLayerMoveTheCharacter)
{
    TestFont t(MainLayer() + "LayerSetCharOffsets Main ('B') ((1 -2)); LayerSetOffset Main (10 3)");
    std::vector<Rect> rects;
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    g.MoveOrigin(100, 0);
    t.font->RenderTextWithRects(&g, 0, 20, "AB", Color(255, 255, 255), kNoClip, &rects, nullptr);
    // x: pen + char offset + layer offset; y: baseline - ascent + char
    // offset + layer offset. The rectangles are in the caller's space.
    EXPECT_EQ(rects, (std::vector<Rect>{Rect(10, 19, 2, 4), Rect(13, 17, 3, 4)}));
    ASSERT_EQ(canvas.blits.size(), 0u) << "translated to x >= 100: clipped away";
}

TEST(ImageFont, KerningAndSpacingApplyBetweenCharactersOnly)
{
    TestFont t(MainLayer() + "LayerSetKerningPairs Main ('AB' 'BA') (-1 2); LayerSetSpacing Main 1");
    EXPECT_EQ(t.font->MeasureChar('A'), 2);
    EXPECT_EQ(t.font->MeasureText("A"), t.font->MeasureChar('A'));
    EXPECT_EQ(t.font->MeasureCharAfter('B', 'A'), 3 + (-1 + 1));
    EXPECT_EQ(t.font->MeasureText("AB"), 2 + 3);
    EXPECT_EQ(t.font->MeasureText("ABA"), 2 + 3 + (2 + 2 + 1));
    EXPECT_EQ(t.font->MeasureText("CC"), 4 + 4 + 1);

    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    std::vector<Rect> rects;
    int width = 0;
    t.font->RenderTextWithRects(&g, 0, 10, "ABA", Color(255, 255, 255), kNoClip, &rects, &width);
    EXPECT_EQ(width, t.font->MeasureText("ABA"));
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1].x, 2);
    EXPECT_EQ(rects[2].x, 2 + 3 + 2 + 1);
}

TEST(ImageFont, PointRangesSelectLayers)
{
    TestFont t(MainLayer("Small") + MainLayer("Large") + MainLayer("Any") +
               "LayerPointRange Small 10 14; LayerPointRange Large 15 -1; SetDefaultPointSize 12");
    auto selected = [&] {
        std::vector<FontLayer*> layers;
        for (const auto& active : t.font->ActiveLayers())
            layers.push_back(active.baseLayer);
        return layers;
    };
    EXPECT_EQ(t.font->QueryPointSize(), 12);
    EXPECT_EQ(selected(), (std::vector<FontLayer*>{t.Layer("Small"), t.Layer("Any")}));
    t.font->ChangePointSize(16);
    t.font->EnsureScaledLayers();
    EXPECT_EQ(selected(), (std::vector<FontLayer*>{t.Layer("Large"), t.Layer("Any")}));
    t.font->ChangePointSize(1000);
    t.font->EnsureScaledLayers();
    EXPECT_EQ(selected(), (std::vector<FontLayer*>{t.Layer("Large"), t.Layer("Any")}));
    EXPECT_EQ(t.font->QueryNativePointSize(), 12);
}

TEST(ImageFont, TagsRequireAndExcludeLayersWhateverTheirCase)
{
    TestFont t(MainLayer("Plain") + MainLayer("Heavy") +
               "LayerExcludeTags Plain ('BOLD'); LayerRequireTags Heavy ('Bold')");
    ASSERT_EQ(t.font->ActiveLayers().size(), 1u);
    EXPECT_EQ(t.font->ActiveLayers()[0].baseLayer, t.Layer("Plain"));

    EXPECT_TRUE(t.font->InsertTag("bold"));
    EXPECT_FALSE(t.font->InsertTag("BOLD"));
    EXPECT_TRUE(t.font->ContainsTag("Bold"));
    t.font->EnsureScaledLayers();
    ASSERT_EQ(t.font->ActiveLayers().size(), 1u);
    EXPECT_EQ(t.font->ActiveLayers()[0].baseLayer, t.Layer("Heavy"));

    EXPECT_TRUE(t.font->EraseTag("BoLd"));
    EXPECT_FALSE(t.font->EraseTag("bold"));
    EXPECT_EQ(t.font->MeasureChar('C'), 4); // rebuilds on use
    EXPECT_EQ(t.font->ActiveLayers()[0].baseLayer, t.Layer("Plain"));
}

TEST(ImageFont, LowerBaseOrderDrawsFirstWhateverTheLayerOrder)
{
    // Two layers draw the white C on the same spot, one tinted red, one
    // green; the one drawn last shows.
    for (int greenOrder : {-1, 1}) {
        TestFont t(MainLayer("Red") + MainLayer("Green") + "LayerSetColorMult Red 0xFF0000;" +
                   "LayerSetColorMult Green 0x00FF00; LayerSetBaseOrder Green " + std::to_string(greenOrder));
        RecordingImage canvas(100, 100);
        Graphics g(&canvas);
        t.font->RenderText(&g, 0, 10, "C", Color(255, 255, 255), kNoClip);
        ASSERT_EQ(canvas.blits.size(), 2u);
        const Color last = canvas.blits[1].tint;
        if (greenOrder < 0)
            EXPECT_EQ(last, Color(255, 0, 0, 255));
        else
            EXPECT_EQ(last, Color(0, 255, 0, 255));
    }
}

TEST(ImageFont, CharacterOrdersInterleaveLayers)
{
    TestFont t(MainLayer() + "LayerSetCharOrders Main ('A' 'B') (5 -5)");
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    t.font->RenderText(&g, 0, 10, "AB", Color(255, 255, 255), kNoClip);
    ASSERT_EQ(canvas.blits.size(), 2u);
    EXPECT_EQ(canvas.blits[0].x, 2) << "B (order -5) first";
    EXPECT_EQ(canvas.blits[1].x, 0);
}

TEST(ImageFont, LayerColourMultipliesAndAddsWithACapAt255)
{
    TestFont t(MainLayer("Keep") + MainLayer("Lift") + "LayerSetColorMult Keep (1 1 1 1);" +
               "LayerSetColorMult Lift (0.5 1 1 1); LayerSetColorAdd Lift (0.2 0.5 0 0)");
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    g.SetColor(Color(1, 2, 3, 4));
    g.SetTintImages(false);
    t.font->RenderText(&g, 0, 10, "A", Color(200, 100, 40, 128), kNoClip);
    ASSERT_EQ(canvas.blits.size(), 2u);
    EXPECT_EQ(canvas.blits[0].tint, Color(200, 100, 40, 128));
    // 127 x 200 / 255 + 51 = 150; 255 x 100 / 255 + 127 = 227; 40; 128.
    EXPECT_EQ(canvas.blits[1].tint, Color(150, 227, 40, 128));

    RecordingImage bright(100, 100);
    Graphics g2(&bright);
    t.font->RenderText(&g2, 0, 10, "A", Color(250, 250, 250, 250), kNoClip);
    EXPECT_EQ(bright.blits[1].tint, Color(175, 255, 250, 250));
    // The context's own colour and tint setting come back.
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3, 4));
    EXPECT_FALSE(g.GetTintImages());
}

TEST(ImageFont, LayerDrawModeHoldsOnlyForItsCharacters)
{
    TestFont t(MainLayer("Own") + MainLayer("Glow") + "LayerSetDrawMode Glow 1");
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    t.font->RenderText(&g, 0, 10, "A", Color(255, 255, 255), kNoClip);
    ASSERT_EQ(canvas.blits.size(), 2u);
    EXPECT_EQ(canvas.blits[0].mode, DrawMode::Normal);
    EXPECT_EQ(canvas.blits[1].mode, DrawMode::Additive);
    EXPECT_EQ(g.GetDrawMode(), DrawMode::Normal);
}

TEST(ImageFont, OtherPointSizesDrawFromAScaledImageOfItsOwn)
{
    TestFont t(MainLayer() + "LayerSetPointSize Main 10; LayerSetLineSpacingOffset Main -1; SetDefaultPointSize 20");
    ASSERT_EQ(t.font->ActiveLayers().size(), 1u);
    const ActiveFontLayer& active = t.font->ActiveLayers()[0];
    ASSERT_TRUE(active.ownsImage);
    ASSERT_NE(active.image, nullptr);
    EXPECT_EQ(active.image->GetWidth(), 18);
    EXPECT_EQ(active.image->GetHeight(), 8);
    EXPECT_EQ(active.rects['A'], Rect(0, 0, 4, 8));
    EXPECT_EQ(active.rects['B'], Rect(4, 0, 6, 8));
    EXPECT_EQ(active.rects['C'], Rect(10, 0, 8, 8));
    auto* scaled = static_cast<MemoryImage*>(active.image);
    EXPECT_TRUE(Near(PixelAt(*scaled, 1, 4), kRed));
    EXPECT_TRUE(Near(PixelAt(*scaled, 7, 4), kGreen));
    EXPECT_TRUE(Near(PixelAt(*scaled, 14, 4), kWhite));

    EXPECT_EQ(t.font->QueryAscent(), 8);
    EXPECT_EQ(t.font->QueryHeight(), 8) << "the default height, scaled";
    EXPECT_EQ(t.font->QueryLineAdvance(), 8 - 2);
    EXPECT_EQ(t.font->MeasureText("AB"), 10);

    auto canvas = BlackCanvas(20, 10);
    Graphics g(canvas.get());
    t.font->RenderText(&g, 0, 9, "B", Color(255, 255, 255), kNoClip);
    EXPECT_TRUE(Near(PixelAt(*canvas, 0, 1), kGreen));
    EXPECT_TRUE(Near(PixelAt(*canvas, 5, 8), kGreen));
    EXPECT_EQ(PixelAt(*canvas, 6, 8), kBlack);

    // A scale works the same way on layers without a point size.
    t.font->ChangePointSize(10);
    t.font->ChangeScale(0.5);
    EXPECT_EQ(t.font->MeasureText("C"), 2);
}

TEST(ImageFont, MetricsCombineTheSelectedLayers)
{
    TestFont t(MainLayer("One") + MainLayer("Two") +
               "LayerSetAscent Two 9; LayerSetHeight One 16; LayerSetAscentPadding One 3;"
               "LayerSetAscentPadding Two 1; LayerSetLineSpacingOffset One -2; LayerSetLineSpacingOffset Two -5");
    EXPECT_EQ(t.font->QueryAscent(), 9);
    EXPECT_EQ(t.font->QueryHeight(), 16);
    EXPECT_EQ(t.font->QueryDescent(), 7);
    EXPECT_EQ(t.font->QueryAscentPadding(), 1);
    EXPECT_EQ(t.font->QueryLineGapOffset(), -2);
    EXPECT_EQ(t.font->QueryLineAdvance(), 14);
}

// The glyph image of GlyphPixels' layout in which no two pixels are alike,
// some of them half see-through and some wholly, so that a column drawn in
// the wrong place shows.
std::vector<uint32_t> EveryPixelItsOwn()
{
    std::vector<uint32_t> pixels(9 * 4);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            const uint32_t alpha = (x * y) % 4 == 3 ? 0x00 : (x + y) % 3 == 0 ? 0x80 : 0xFF;
            pixels[y * 9 + x] = alpha << 24 | (30 * x + 10) << 16 | (60 * y + 20) << 8 | (255 - 25 * x);
        }
    return pixels;
}

// A redraw of part of the screen draws what lies under it exactly as a whole
// draw would have: text clipped at any column or row, through its glyphs,
// matches the unclipped text pixel for pixel inside the clip and leaves the
// rest untouched. At the font's own size and at a scaled size (drawn from a
// scaled image of its own), in white and tinted.
TEST(ImageFont, TextCutByTheClipShowsTheGlyphColumnsAndRowsUnderIt)
{
    constexpr uint32_t kBackground = 0xFF203040;
    const Color kWhiteText(255, 255, 255);
    for (const char* size : {"10", "20"}) {
        TestFont t(MainLayer() + "LayerSetPointSize Main 10; SetDefaultPointSize " + size, EveryPixelItsOwn());
        ASSERT_TRUE(t.font->GetFontData()->IsLoaded()) << t.font->GetFontData()->GetErrorText();
        const int w = 2 * t.font->MeasureText("ABCBA") + 2, h = 2 * t.font->QueryHeight() + 2;
        for (const Color& colour : {kWhiteText, Color(200, 120, 60)}) {
            auto draw = [&](const Rect& clip) {
                auto canvas = testing::MakeFilled(w, h, kBackground);
                Graphics g(canvas.get());
                g.NarrowClip(clip.x, clip.y, clip.width, clip.height);
                t.font->RenderText(&g, 1, t.font->QueryAscent() + 1, "ABCBA", colour, kNoClip);
                return canvas;
            };
            const auto whole = draw(Rect(0, 0, w, h));
            int drawn = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    drawn += PixelAt(*whole, x, y) != kBackground;
            ASSERT_GT(drawn, 2 * t.font->MeasureText("ABCBA")) << "the text is drawn";
            std::vector<Rect> clips;
            for (int x = 1; x < t.font->MeasureText("ABCBA") + 1; ++x)
                clips.push_back(Rect(x, 0, w - x, h)); // the left edge in every column of the text
            for (int y = 2; y <= t.font->QueryAscent(); ++y) {
                clips.push_back(Rect(0, y, w, h - y)); // the top edge in every row
                clips.push_back(Rect(y + 2, y, 3, 2)); // a small window inside the glyphs
            }
            for (const Rect& clip : clips) {
                const auto cut = draw(clip);
                int wrong = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const bool inside = x >= clip.x && x < clip.x + clip.width && y >= clip.y &&
                                            y < clip.y + clip.height;
                        const uint32_t expected = inside ? PixelAt(*whole, x, y) : kBackground;
                        if (PixelAt(*cut, x, y) != expected && wrong++ == 0)
                            ADD_FAILURE() << "point size " << size << (colour == kWhiteText ? ", white" : ", tinted")
                                          << ", clip (" << clip.x << "," << clip.y << " " << clip.width << "x"
                                          << clip.height
                                          << "): pixel (" << x << "," << y << ") is " << std::hex
                                          << PixelAt(*cut, x, y) << ", the whole text has " << expected << std::dec;
                    }
            }
        }
    }
}

TEST(ImageFont, FullDrawBufferStopsThePen)
{
    TestFont t(MainLayer());
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    std::vector<Rect> rects;
    int width = 0;
    t.font->RenderTextWithRects(&g, 0, 10, std::string(ImageFont::kMaxDrawRecords + 10, 'A'), Color(255, 255, 255),
                                kNoClip, &rects, &width);
    EXPECT_EQ(rects.size(), size_t(ImageFont::kMaxDrawRecords));
    EXPECT_EQ(width, 2 * ImageFont::kMaxDrawRecords);
}

// Checks from another thread, at every blit, that the font lock is held.
class LockProbeImage : public RecordingImage {
public:
    LockProbeImage() : RecordingImage(50, 50) {}
    void BlitImage(Image* source, int x, int y, const Rect& src, const Color& tint, int mode) override
    {
        std::thread probe([this] {
            if (gFontDrawLock.TryEnter()) {
                gFontDrawLock.Leave();
                ++unlockedBlits;
            }
        });
        probe.join();
        RecordingImage::BlitImage(source, x, y, src, tint, mode);
    }
    int unlockedBlits = 0;
};

TEST(ImageFont, DrawingHoldsTheFontLock)
{
    TestFont t(MainLayer());
    LockProbeImage canvas;
    Graphics g(&canvas);
    t.font->RenderText(&g, 0, 10, "ABC", Color(255, 255, 255), kNoClip);
    EXPECT_EQ(canvas.blits.size(), 3u);
    EXPECT_EQ(canvas.unlockedBlits, 0);
    EXPECT_TRUE(gFontDrawLock.TryEnter()) << "left afterwards";
    gFontDrawLock.Leave();
}

TEST(ImageFont, CloneSharesTheDescriptorAndOwnsItsScaledImages)
{
    testing::TestImageHost images;
    testing::ScopedImageHost scoped(&images);
    TestFont t(MainLayer() + "LayerSetPointSize Main 10; SetDefaultPointSize 20; Define Greeting (\"hi\" 2)");
    std::unique_ptr<Font> copy(t.font->Clone());
    auto* clone = static_cast<ImageFont*>(copy.get());
    EXPECT_EQ(clone->GetFontData(), t.font->GetFontData());
    ASSERT_EQ(clone->ActiveLayers().size(), 1u);
    EXPECT_NE(clone->ActiveLayers()[0].image, t.font->ActiveLayers()[0].image);
    EXPECT_EQ(clone->LookupDefinition("greeting"), "(hi, 2)");
    EXPECT_EQ(clone->LookupDefinition("nothing"), "");

    t.font.reset();
    auto canvas = BlackCanvas(20, 10);
    Graphics g(canvas.get());
    clone->RenderText(&g, 0, 9, "A", Color(255, 255, 255), kNoClip);
    EXPECT_TRUE(Near(PixelAt(*canvas, 2, 4), kRed));
}

TEST(ImageFont, AbsurdSizesAreMeasuredButNeverAllocatedOrDrawn)
{
    TestFont t(MainLayer());
    RecordingImage canvas(100, 100);
    Graphics g(&canvas);
    for (double scale : {1e7, -3.0, 1e300}) {
        t.font->ChangeScale(scale);
        t.font->EnsureScaledLayers();
        const Image* image = t.font->ActiveLayers()[0].image;
        EXPECT_TRUE(image == nullptr || image->GetWidth() == 0) << scale;
        t.font->RenderText(&g, 0, 10, "ABC", Color(255, 255, 255), kNoClip);
        t.font->MeasureText("ABC");
    }
    EXPECT_TRUE(canvas.blits.empty());

    // Advances near the end of the int range neither wrap nor reach the
    // drawing context.
    TestFont wide(MainLayer() + "LayerSetCharWidths Main ('A') (2147483000)");
    std::vector<Rect> rects;
    int width = 0;
    wide.font->RenderTextWithRects(&g, 0, 10, "AAB", Color(255, 255, 255), kNoClip, &rects, &width);
    EXPECT_EQ(width, 2147483647);
    EXPECT_EQ(canvas.blits.size(), 1u) << "only the first A is anywhere near the canvas";
}

TEST(ImageFont, FontWhoseDescriptorFailedDrawsNothing)
{
    TestFont t("CreateLayer A; Bogus");
    EXPECT_FALSE(t.font->GetFontData()->IsLoaded());
    EXPECT_EQ(t.host.errors.size(), 1u);
    RecordingImage canvas(10, 10);
    Graphics g(&canvas);
    int width = 7;
    t.font->RenderTextWithRects(&g, 0, 0, "AB", Color(255, 255, 255), kNoClip, nullptr, &width);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(t.font->MeasureText("AB"), 0);
}

TEST(ImageFont, FontFromADescriptorAndPngMadeOnDisk)
{
    // A two-letter font drawn here: H is a 3 x 5 frame, i a 1 x 5 bar with a
    // gap; the image holds them side by side with a transparent background.
    const int w = 5, h = 5;
    std::vector<uint32_t> pixels(w * h, 0);
    for (int y = 0; y < h; ++y) {
        pixels[y * w + 0] = pixels[y * w + 2] = kWhite;
        if (y != 1)
            pixels[y * w + 4] = kWhite;
    }
    pixels[2 * w + 1] = kWhite;
    platform::testing::ScopedTempFolder folder;
    std::FILE* png = std::fopen((folder / "hi.png").c_str(), "wb");
    const auto bytes = fixtures::MakeRgbaPng(w, h, pixels);
    std::fwrite(bytes.data(), 1, bytes.size(), png);
    std::fclose(png);
    platform::testing::WriteTestFile(folder / "hi.txt",
                                     "# hand-made test font\n"
                                     "SetDefaultPointSize 5\n;"
                                     "CreateLayer Main; LayerSetImage Main 'hi.png'; LayerSetAscent Main 5;\n"
                                     "CreateHorzSpanRectList Cells (0 0 5 5) (3 1 1);\n"
                                     "LayerSetImageMap Main ('H' 'x' 'i') Cells;\n"
                                     "LayerSetCharWidths Main ('H' 'i') (4 2);\n");
    FontTestHost host;
    ImageFont font(&host, folder / "hi.txt");
    ASSERT_TRUE(font.GetFontData()->IsLoaded()) << font.GetFontData()->GetErrorText();
    EXPECT_EQ(font.QueryNativePointSize(), 5);
    EXPECT_EQ(font.MeasureText("Hi"), 6);

    auto canvas = BlackCanvas(8, 6);
    Graphics g(canvas.get());
    g.SetColor(Color(0, 255, 0));
    g.SetFont(&font);
    g.RenderText("Hi", 1, 5);
    std::string picture;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x)
            picture += Near(PixelAt(*canvas, x, y), kGreen) ? '#' : PixelAt(*canvas, x, y) == kBlack ? '.' : '?';
        picture += '\n';
    }
    EXPECT_EQ(picture, ".#.#.#..\n"
                       ".#.#....\n"
                       ".###.#..\n"
                       ".#.#.#..\n"
                       ".#.#.#..\n"
                       "........\n");
}

} // namespace
} // namespace Zolt
