// The drawn-window kit's picture of a window: a window manager may give the
// window a larger surface than asked, and a window without a frame wears
// its caption on a band of its own.
#include "platform/window/DrawnWindow.h"

#include "platform/fonts/SystemFontFace.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// A content of one colour, 50 x 20.
class Plain final : public DrawnWindowContent {
public:
    int Width() const override { return 50; }
    int Height() const override { return 20; }
    void Draw(DrawnCanvas& canvas) const override { canvas.Fill({0, 0, 50, 20}, 0x102030); }
    void PointerMove(int, int) override {}
    void PointerDown(int, int) override {}
    void PointerUp(int, int) override {}
    void Wheel(int) override {}
    void KeyDown(int, bool) override {}
    void CloseRequested() override {}
    bool Done() const override { return false; }
    bool TakeRedraw() override { return false; }
};

TEST(DrawnWindow, ALargerSurfaceShowsTheWindowInItsCornerAndTheFaceElsewhere)
{
    const Plain content;
    const DrawnWindowPicture picture(content, nullptr);
    constexpr int kWidth = 80, kHeight = 30, kPitch = 96;
    std::vector<uint32_t> surface(size_t(kPitch) * kHeight, 0xDEADBEEF);
    picture.Draw(surface.data(), kWidth, kHeight, kPitch);
    auto at = [&](int x, int y) { return surface[size_t(y) * kPitch + size_t(x)]; };
    EXPECT_EQ(at(0, 0), 0xFF102030u);
    EXPECT_EQ(at(49, 19), 0xFF102030u);
    EXPECT_EQ(at(50, 0), 0xFF000000u | drawn_colour::kFace);
    EXPECT_EQ(at(0, 20), 0xFF000000u | drawn_colour::kFace);
    EXPECT_EQ(at(79, 29), 0xFF000000u | drawn_colour::kFace);
    EXPECT_EQ(at(80, 0), 0xDEADBEEFu) << "nothing is written past the surface's width";

    // A surface smaller than asked (a screen too small) gets what fits.
    std::vector<uint32_t> small(size_t(30) * 10, 0);
    picture.Draw(small.data(), 30, 10, 30);
    EXPECT_EQ(small.back(), 0xFF102030u);
}

TEST(DrawnWindow, WithoutAFrameTheCaptionStandsOnABandAboveTheContent)
{
    const Plain content;
    const std::unique_ptr<CaptionBand> band = CaptionBand::Make("A caption much too long for a band fifty pixels wide");
    ASSERT_TRUE(band) << "no font to write the caption with";
    const DrawnWindowPicture picture(content, band.get());
    EXPECT_EQ(picture.Width(), 50);
    EXPECT_EQ(picture.Height(), 20 + band->Height());
    EXPECT_EQ(picture.ContentY(band->Height() + 5), 5);
    const std::vector<uint32_t> pixels = picture.Pixels();
    EXPECT_EQ(pixels[size_t(band->Height() + 5) * 50 + 25], 0xFF102030u) << "the content below the band";
    EXPECT_EQ(pixels[size_t(band->Height() / 2) * 50 + 2], 0xFF000000u | drawn_colour::kBand);
    EXPECT_EQ(pixels[0], 0xFF000000u | drawn_colour::kOuterEdge) << "an edge of its own round the window";

    // The caption keeps a margin of 16 pixels on either side: a short one
    // starts at the margin, a long one is cut before the other.
    auto inkColumns = [](const std::vector<uint32_t>& picture, int width, int top, int bottom) {
        std::vector<int> columns;
        for (int x = 1; x < width - 1; ++x)
            for (int y = top; y < bottom; ++y)
                if ((picture[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF) != drawn_colour::kBand) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    };
    const std::vector<int> cut = inkColumns(pixels, 50, 1, band->Height() - 1);
    ASSERT_FALSE(cut.empty());
    EXPECT_GE(cut.front(), 16);
    EXPECT_LT(cut.back(), 50 - 16);
    const std::unique_ptr<CaptionBand> shortBand = CaptionBand::Make("l");
    const std::vector<int> alone =
        inkColumns(DrawnWindowPicture(content, shortBand.get()).Pixels(), 50, 1, band->Height() - 1);
    const std::unique_ptr<fonts::SystemFontFace> face = fonts::SystemFontFace::Open({"Tahoma", 15, true});
    ASSERT_TRUE(face);
    std::vector<uint32_t> reference(size_t(50) * size_t(band->Height()), 0xFF000000u | drawn_colour::kBand);
    DrawnCanvas(reference.data(), 50, band->Height(), 50).Text(*face, 16, 0, drawn_colour::kBandText, "l");
    EXPECT_EQ(alone, inkColumns(reference, 50, 0, band->Height())) << "the caption starts at the margin";
}

} // namespace
} // namespace platform
