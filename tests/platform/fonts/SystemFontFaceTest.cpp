#include "platform/fonts/SystemFontFace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace platform::fonts {
namespace {

std::unique_ptr<SystemFontFace> OpenFace(const std::string& face, int pixels, bool bold = false,
                                         bool underline = false)
{
    FontRequest request;
    request.face = face;
    request.pixelHeight = pixels;
    request.bold = bold;
    request.underline = underline;
    return SystemFontFace::Open(request);
}

// Rows of the bitmap that any drawn pixel reaches.
std::pair<int, int> InkRows(const std::vector<uint32_t>& pixels, int width, uint32_t background)
{
    int first = -1, last = -1;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] != background) {
            const int row = int(i) / width;
            if (first < 0)
                first = row;
            last = row;
        }
    return {first, last};
}

TEST(SystemFontFace, FaceNamesOfTheOtherPlatformFindFreeStandIns)
{
    EXPECT_EQ(StandInFamily("Arial Unicode MS"), "Liberation Sans");
    EXPECT_EQ(StandInFamily("TAHOMA"), "DejaVu Sans");
    EXPECT_EQ(StandInFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(StandInFamily("Some Font"), "Some Font");

    auto arial = OpenFace("Arial", 16);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->FamilyName(), "Liberation Sans");
    auto tahoma = OpenFace("Tahoma", 11);
    ASSERT_NE(tahoma, nullptr);
    EXPECT_EQ(tahoma->FamilyName(), "DejaVu Sans");
    EXPECT_NE(OpenFace("No Such Face At All", 12), nullptr) << "the nearest font stands in";
}

TEST(SystemFontFace, MetricsAndWidthsFollowTheSize)
{
    auto small = OpenFace("Arial", 16);
    auto large = OpenFace("Arial", 32);
    ASSERT_TRUE(small && large);
    const FaceMetrics m = small->Metrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GE(m.ascent, 13);
    EXPECT_LE(m.ascent, 16);
    EXPECT_GE(m.descent, 3);
    EXPECT_GT(large->Metrics().height, m.height);

    EXPECT_EQ(small->MeasureText(""), 0);
    EXPECT_GT(small->MeasureText("WWW"), small->MeasureText("iii"));
    EXPECT_EQ(small->MeasureText("ab"), small->MeasureText("a") + small->MeasureText("b"));
    EXPECT_GT(large->MeasureText("Poker"), small->MeasureText("Poker"));
    auto bold = OpenFace("Arial", 16, true);
    EXPECT_GT(bold->MeasureText("Poker table"), small->MeasureText("Poker table"));
}

TEST(SystemFontFace, DrawingBlendsTowardTheColourAndKeepsTheTopByte)
{
    auto face = OpenFace("Arial", 20);
    ASSERT_NE(face, nullptr);
    const int w = 40, h = 24;
    std::vector<uint32_t> pixels(w * h, 0x12FFFFFF);
    face->DrawText(pixels.data(), w, h, w, 2, 0, 0x000000, "H");
    int solid = 0, partial = 0;
    for (uint32_t p : pixels) {
        EXPECT_EQ(p >> 24, 0x12u);
        const uint32_t rgb = p & 0xFFFFFF;
        if (rgb == 0)
            ++solid;
        else if (rgb != 0xFFFFFF) {
            ++partial;
            EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF) << "grey-scale coverage";
        }
    }
    EXPECT_GT(solid, 20) << "the stems of an H are fully covered";
    const auto [top, bottom] = InkRows(pixels, w, 0x12FFFFFF);
    EXPECT_GE(top, 1);
    EXPECT_LE(bottom, face->Metrics().ascent);
}

TEST(SystemFontFace, DrawingStaysInsideBitmapAndClip)
{
    auto face = OpenFace("Arial", 30);
    ASSERT_NE(face, nullptr);
    const int w = 20, h = 10, pitch = 24;
    // Guard words around and beside the rows catch any stray write.
    std::vector<uint32_t> buffer(pitch * h + 2 * pitch, 0xDEADBEEF);
    uint32_t* pixels = buffer.data() + pitch;
    for (int y = 0; y < h; ++y)
        std::fill(pixels + y * pitch, pixels + y * pitch + w, 0u);
    const ClipBox clip{5, 2, 15, 8};
    for (int x : {-50, -7, 0, 9, 18, 5000})
        for (int top : {-40, -5, 0, 6, 9})
            face->DrawText(pixels, w, h, pitch, x, top, 0xFFFFFF, "Wg\xC9", &clip);
    for (int i = 0; i < pitch; ++i) {
        EXPECT_EQ(buffer[i], 0xDEADBEEFu);
        EXPECT_EQ(buffer[pitch * (h + 1) + i], 0xDEADBEEFu);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < pitch; ++x) {
            const uint32_t p = pixels[y * pitch + x];
            if (x >= w) {
                EXPECT_EQ(p, 0xDEADBEEFu);
            } else if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) {
                EXPECT_EQ(p, 0u) << x << "," << y;
            }
        }
}

TEST(SystemFontFace, UnderlineRunsBelowTheBaseline)
{
    auto plain = OpenFace("Arial", 20);
    auto underlined = OpenFace("Arial", 20, false, true);
    const int w = 30, h = 26;
    std::vector<uint32_t> a(w * h, 0), b(w * h, 0);
    plain->DrawText(a.data(), w, h, w, 0, 0, 0xFFFFFF, "o");
    underlined->DrawText(b.data(), w, h, w, 0, 0, 0xFFFFFF, "o");
    EXPECT_GT(InkRows(b, w, 0).second, InkRows(a, w, 0).second);
    EXPECT_GT(InkRows(b, w, 0).second, underlined->Metrics().ascent);
}

TEST(SystemFontFace, TextIsReadAsWindows1252)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), 0x20ACu);
    EXPECT_EQ(Cp1252ToUnicode(0x92), 0x2019u);
    EXPECT_EQ(Cp1252ToUnicode(0xE9), 0xE9u);
    EXPECT_EQ(Cp1252ToUnicode('A'), uint32_t('A'));
    auto face = OpenFace("Arial", 16);
    EXPECT_GT(face->MeasureText("\x80"), 0);
    EXPECT_EQ(face->MeasureText("\xE9"), face->MeasureText("e"));
}

} // namespace
} // namespace platform::fonts
