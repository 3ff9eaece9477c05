// Scenes drawn through the Direct3D path on the headless display, checked
// against the same scenes drawn by the software blitters (within the
// rounding the two arithmetics allow: the card rounds x / 255, the
// software shifts by 8), or against the picture they must give where the
// software path has no counterpart.
#include "D3DTestSupport.h"

#include "framework/base/AffineMatrix.h"
#include "framework/graphics/DDImage.h"
#include "platform/core/Testing.h"
#include "platform/d3d/Direct3DDevice.h"
#include "tests/support/ImageFixtures.h"

#include <cmath>
#include <numbers>

using namespace d3dtest;
using Zolt::Color;
using Zolt::DrawMode;
using Zolt::Rect;

namespace {

// Per channel: the card rounds where the software truncates.
constexpr int kBlendTolerance = 3;
// An opaque image goes to a 5-6-5 texture: the low 3 bits of red and blue
// (2 of green) are dropped.
constexpr int kR5G6B5Tolerance = 7;

int ChannelDistance(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        largest = std::max(largest, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return largest;
}

std::unique_ptr<Zolt::MemoryImage> Sprite(int width, int height, bool opaque)
{
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    const std::vector<uint32_t> pixels = fixtures::PatternPixels(width, height, opaque);
    image->AssignBits(pixels.data(), width, height, true);
    return image;
}

} // namespace

class D3DScene : public D3DDisplayFixture {
protected:
    // Draws `scene` on the 3D screen and on a memory image and compares.
    template <class Scene>
    Difference DrawBoth(Scene scene)
    {
        Zolt::DDImage* screen = display->GetScreenImage();
        scene(*static_cast<Zolt::Image*>(screen));
        const std::vector<uint32_t> drawn = ReadScreen();
        auto reference = MakeReference();
        scene(*static_cast<Zolt::Image*>(reference.get()));
        return Compare(drawn, reference->GetBits());
    }
};

TEST_F(D3DScene, OpaqueAndTranslucentFillsMatchTheSoftwareFills)
{
    Make3DDisplay();
    const Difference d = DrawBoth([](Zolt::Image& target) {
        target.FillRectangle(Rect(10, 10, 50, 30), Color(200, 40, 90), DrawMode::Normal);
        target.FillRectangle(Rect(30, 20, 60, 50), Color(20, 220, 40, 128), DrawMode::Normal);
        target.OutlineRectangle(Rect(100, 5, 40, 40), Color(255, 255, 0), DrawMode::Normal);
    });
    EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
}

TEST_F(D3DScene, AdditiveFillAddsTheWeightedColourAndSaturates)
{
    // (The software fill of a memory image ignores the mode, so the
    // expected colours are worked out here.)
    Make3DDisplay();
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->FillRectangle(Rect(0, 0, 160, 120), Color(100, 230, 30), DrawMode::Normal);
    screen->FillRectangle(Rect(10, 10, 40, 40), Color(100, 100, 100, 128), DrawMode::Additive);
    const std::vector<uint32_t> pixels = ReadScreen();
    // 100 x 128 / 255 = 50 added to each channel; green saturates.
    EXPECT_LE(ChannelDistance(ScreenAt(pixels, 20, 20), 0x96FF50u), 1) << std::hex << ScreenAt(pixels, 20, 20);
    EXPECT_EQ(ScreenAt(pixels, 9, 20), 0x64E61Eu);
    EXPECT_EQ(ScreenAt(pixels, 50, 20), 0x64E61Eu);
}

TEST_F(D3DScene, PlainTintedAndAdditiveBlitsMatchTheSoftwareBlits)
{
    Make3DDisplay();
    auto sprite = Sprite(40, 30, false);
    auto opaque = Sprite(25, 20, true);
    opaque->SetTextureHints(Zolt::kHintNoR5G6B5); // full 8 bits, to compare closely
    const Difference d = DrawBoth([&](Zolt::Image& target) {
        target.FillRectangle(Rect(0, 0, 160, 120), Color(30, 60, 90), DrawMode::Normal);
        target.BlitImage(sprite.get(), 5, 5, Rect(0, 0, 40, 30), Color::White, DrawMode::Normal);
        target.BlitImage(sprite.get(), 60, 10, Rect(0, 0, 40, 30), Color(255, 128, 64, 200), DrawMode::Normal);
        target.BlitImage(sprite.get(), 20, 60, Rect(0, 0, 40, 30), Color::White, DrawMode::Additive);
        target.BlitImage(opaque.get(), 110, 70, Rect(5, 4, 15, 12), Color::White, DrawMode::Normal);
    });
    EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
}

TEST_F(D3DScene, ImagesLargerThanOneTextureAreDrawnPieceByPiece)
{
    // A card of 32 x 32 textures cuts a 150 x 100 image into 5 x 4 pieces.
    platform::d3d::testing::SetTextureLimits(1, 1, 32, 32, 0);
    Make3DDisplay();
    auto large = Sprite(150, 100, false);
    const Difference d = DrawBoth([&](Zolt::Image& target) {
        target.FillRectangle(Rect(0, 0, 160, 120), Color(80, 80, 80), DrawMode::Normal);
        target.BlitImage(large.get(), 3, 7, Rect(0, 0, 150, 100), Color::White, DrawMode::Normal);
    });
    EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
    auto* record = dynamic_cast<Zolt::TextureData*>(large->GetTexture());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->columns * record->rows, 20);
}

TEST_F(D3DScene, QuickStretchMatchesTheSoftwareStretch)
{
    Make3DDisplay();
    auto sprite = Sprite(20, 16, false);
    const Difference d = DrawBoth([&](Zolt::Image& target) {
        target.FillRectangle(Rect(0, 0, 160, 120), Color(40, 40, 90), DrawMode::Normal);
        target.BlitImageStretched(sprite.get(), Rect(4, 4, 40, 32), Rect(0, 0, 20, 16), Rect(0, 0, 160, 120),
                                  Color::White, DrawMode::Normal, true);
    });
    EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
}

TEST_F(D3DScene, QuarterTurnAboutTheCentreMovesEveryTexelExactly)
{
    // Texel (i, j) of a 20 x 16 image turned a quarter about (10, 8) and
    // placed at (80, 40) lands on (82 + j, 57 - i): filtering at texel
    // centres changes no colour.
    Make3DDisplay();
    auto opaque = Sprite(20, 16, true);
    opaque->SetTextureHints(Zolt::kHintNoR5G6B5);
    display->GetScreenImage()->BlitImageRotated(opaque.get(), 80, 40, Rect(0, 0, 20, 16), Rect(0, 0, 160, 120),
                                                Color::White, DrawMode::Normal, std::numbers::pi / 2, 10, 8);
    const std::vector<uint32_t> screen = ReadScreen();
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            if (x < 82 || x >= 98 || y < 38 || y >= 58) {
                ASSERT_EQ(ScreenAt(screen, x, y), 0u) << x << "," << y;
            }
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(ScreenAt(screen, 82 + j, 57 - i), opaque->GetBits()[j * 20 + i] & 0xFFFFFF) << i << "," << j;
}

TEST_F(D3DScene, AxisLinesLightTheSamePixelsAsTheSoftwareLines)
{
    Make3DDisplay();
    const Difference d = DrawBoth([](Zolt::Image& target) {
        target.DrawLineSegment(10, 20, 90, 20, Color(255, 0, 0), DrawMode::Normal);
        target.DrawLineSegment(30, 5, 30, 100, Color(0, 255, 0), DrawMode::Normal);
        target.DrawLineSegment(5, 110, 150, 110, Color(60, 60, 255, 128), DrawMode::Additive);
    });
    EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
}

TEST_F(D3DScene, DiagonalLineLightsBothEndsAndOnePixelPerColumn)
{
    Make3DDisplay();
    display->GetScreenImage()->DrawLineSegment(10, 10, 50, 30, Color(255, 255, 255), DrawMode::Normal);
    const std::vector<uint32_t> screen = ReadScreen();
    EXPECT_EQ(ScreenAt(screen, 10, 10), 0xFFFFFFu);
    EXPECT_EQ(ScreenAt(screen, 50, 30), 0xFFFFFFu);
    for (int x = 10; x <= 50; ++x) {
        int lit = 0;
        for (int y = 0; y < 120; ++y)
            lit += ScreenAt(screen, x, y) != 0;
        EXPECT_EQ(lit, 1) << "column " << x;
    }
}

TEST_F(D3DScene, MirroredBlitFlipsTheSourceLeftToRight)
{
    Make3DDisplay();
    auto opaque = Sprite(20, 16, true);
    display->GetScreenImage()->BlitImageMirrored(opaque.get(), 30, 40, Rect(0, 0, 20, 16), Color::White,
                                                 DrawMode::Normal);
    const std::vector<uint32_t> screen = ReadScreen();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_LE(ChannelDistance(ScreenAt(screen, 30 + x, 40 + y), opaque->GetBits()[y * 20 + (19 - x)]),
                      kR5G6B5Tolerance)
                << x << "," << y;
    EXPECT_EQ(ScreenAt(screen, 29, 40), 0u);
    EXPECT_EQ(ScreenAt(screen, 50, 40), 0u);
}

TEST_F(D3DScene, TransformedBlitStaysInsideItsClipRectangle)
{
    Make3DDisplay();
    auto opaque = Sprite(40, 40, true);
    Zolt::AffineMatrix m;
    m.PreRotate(0.3f);
    m.PreTranslate(60, 30);
    const Rect clip(50, 40, 30, 25);
    display->GetScreenImage()->BlitImageTransformed(opaque.get(), 0, 0, &m.m[0][0], clip, Color::White,
                                                    DrawMode::Normal, Rect(0, 0, 40, 40), false);
    const std::vector<uint32_t> screen = ReadScreen();
    int inside = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool in = x >= clip.x && x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
            if (!in)
                ASSERT_EQ(ScreenAt(screen, x, y), 0u) << x << "," << y;
            else
                inside += ScreenAt(screen, x, y) != 0;
        }
    // The turned image reaches the clip's right and bottom edges.
    EXPECT_GT(inside, 30 * 25 / 3);
    EXPECT_NE(ScreenAt(screen, clip.x + clip.width - 1, clip.y + 5), 0u);
    int bottomRow = 0;
    for (int x = clip.x; x < clip.x + clip.width; ++x)
        bottomRow += ScreenAt(screen, x, clip.y + clip.height - 1) != 0;
    EXPECT_GT(bottomRow, 0);
}

TEST_F(D3DScene, TexturedTrianglesCoveringAnImageMatchAPlainBlit)
{
    // Once on a card that holds the image in one texture, once cut in pieces.
    for (int limit : {256, 16}) {
        SCOPED_TRACE(limit);
        platform::d3d::testing::SetTextureLimits(1, 1, platform::DWORD(limit), platform::DWORD(limit), 0);
        Make3DDisplay();
        auto sprite = Sprite(48, 40, false);
        const Zolt::TriVertex corners[4] = {{10, 20, 0, 0, 0xFFFFFFFF}, {58, 20, 1, 0, 0xFFFFFFFF},
                                            {10, 60, 0, 1, 0xFFFFFFFF}, {58, 60, 1, 1, 0xFFFFFFFF}};
        const Zolt::TriVertex triangles[2][3] = {{corners[0], corners[1], corners[2]},
                                                 {corners[1], corners[3], corners[2]}};
        display->GetScreenImage()->DrawTexturedTriangles(sprite.get(), triangles, 2, Rect(0, 0, 160, 120),
                                                         Color::White, DrawMode::Normal, 0, 0, false);
        const std::vector<uint32_t> drawn = ReadScreen();
        auto reference = MakeReference();
        reference->BlitImage(sprite.get(), 10, 20, Rect(0, 0, 48, 40), Color::White, DrawMode::Normal);
        const Difference d = Compare(drawn, reference->GetBits());
        EXPECT_LE(d.largest, kBlendTolerance) << "at " << d.x << "," << d.y;
        display.reset();
    }
}

TEST_F(D3DScene, PolygonFillIsCutByTheClipRectangle)
{
    Make3DDisplay();
    const Zolt::Point square[4] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    const Rect clip(20, 30, 40, 25);
    EXPECT_TRUE(display->GetScreenImage()->FillPolygon(square, 4, clip, Color(0, 0, 255), DrawMode::Normal, 5, 5,
                                                       false));
    const std::vector<uint32_t> screen = ReadScreen();
    int lit = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            lit += ScreenAt(screen, x, y) != 0;
    EXPECT_EQ(lit, 40 * 25);
    EXPECT_EQ(ScreenAt(screen, 20, 30), 0x0000FFu);
    EXPECT_EQ(ScreenAt(screen, 59, 54), 0x0000FFu);
}
