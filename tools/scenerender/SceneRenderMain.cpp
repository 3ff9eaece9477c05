// Draws one table-like scene with the memory image's software blitters and
// writes it as a PNG, so that a person can look at what the blend modes,
// stretches, rotations, lines, frames and text really produce.
#include "BlockFont.h"
#include "tools/CommandLineHelp.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "imagelib/Image.h"
#include "imagelib/ImageLib.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using Zolt::Color;
using Zolt::Graphics;
using Zolt::MemoryImage;
using Zolt::Rect;

namespace {

constexpr int kWidth = 800, kHeight = 500;

std::unique_ptr<MemoryImage> Blank(int w, int h, uint32_t fill)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, fill);
    image->AssignBits(px.data(), w, h, true);
    return image;
}

// A playing card: white with a thin border, corners cut round with an
// antialiased edge, a suit diamond and its rank.
std::unique_ptr<MemoryImage> Card(const std::string& rank, Color ink, scenerender::BlockFont& font)
{
    const int w = 72, h = 96;
    auto card = Blank(w, h, 0xFFF8F8F0);
    Graphics g(card.get());
    g.SetColor(Color(90, 90, 110));
    g.OutlineRectangle(0, 0, w - 1, h - 1);
    // The diamond as spans.
    std::vector<Zolt::Span> spans;
    for (int dy = -22; dy <= 22; ++dy) {
        const int half = (22 - std::abs(dy)) * 15 / 22;
        spans.push_back({h / 2 + dy, w / 2 - half, 2 * half + 1});
    }
    card->FillSpans(spans.data(), static_cast<int>(spans.size()), ink, Zolt::DrawMode::Normal);
    g.SetFont(&font);
    g.SetColor(ink);
    g.RenderText(rank, 6, 16);
    g.RenderText(rank, w - 6 - font.MeasureText(rank), h - 6);
    // Round corners: alpha from the distance to each corner's centre.
    uint32_t* bits = card->RequireBits();
    const int r = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int cx = x < r ? r : (x >= w - r ? w - 1 - r : x);
            const int cy = y < r ? r : (y >= h - r ? h - 1 - r : y);
            const double d = std::hypot(x - cx, y - cy);
            if (d <= r - 1)
                continue;
            const double cover = std::max(0.0, std::min(1.0, r - d));
            uint32_t& p = bits[static_cast<size_t>(y) * w + x];
            p = (static_cast<uint32_t>(cover * 255) << 24) | (p & 0xFFFFFF);
        }
    card->MarkBitsChanged();
    card->ScanAlpha();
    return card;
}

// A 24 x 24 frame: dark border, lighter inside, for the nine-part panel.
std::unique_ptr<MemoryImage> FrameImage()
{
    auto frame = Blank(24, 24, 0xC0203040);
    Graphics g(frame.get());
    g.SetColor(Color(230, 200, 90));
    g.OutlineRectangle(1, 1, 21, 21);
    g.SetColor(Color(120, 90, 30));
    g.OutlineRectangle(3, 3, 17, 17);
    frame->ScanAlpha();
    return frame;
}

bool WritePng(MemoryImage& image, const std::string& path)
{
    ImageLib::Image out(image.GetWidth(), image.GetHeight());
    const uint32_t* bits = image.RequireBits();
    std::copy(bits, bits + static_cast<size_t>(image.GetWidth()) * image.GetHeight(), out.GetBits());
    return ImageLib::SavePngFile(path, &out);
}

} // namespace

int main(int argc, char** argv)
{
    constexpr const char* kUsage = "usage: scenerender [out.png]\n"
                                   "Draws a test scene with the software blitters into the PNG file "
                                   "(scene.png when none is named).";
    if (tools::AnswerHelp(argc, argv, kUsage))
        return 0;
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    const std::string path = argc > 1 ? argv[1] : "scene.png";
    scenerender::BlockFont small(2), large(4);

    auto screen = Blank(kWidth, kHeight, 0xFF1E5A32);
    Graphics g(screen.get());

    // Felt with darker bands towards the edges (translucent fills).
    for (int i = 0; i < 12; ++i) {
        g.SetColor(Color(0, 0, 0, 14));
        g.FillRectangle(i * 6, i * 6, kWidth - i * 12, kHeight - i * 12);
    }
    g.SetColor(Color(0, 0, 0, 60));
    g.FillRectangle(0, kHeight - 120, kWidth, 120);

    // Lines: a plain fan on the left, an antialiased one on the right.
    g.SetColor(Color(240, 220, 120));
    for (int i = 0; i <= 8; ++i)
        g.DrawLineSegment(60, 420, 60 + i * 20, 300 + i * 5);
    for (int i = 0; i <= 8; ++i)
        screen->DrawLineSegmentSmooth(740.5, 420.5, 740.5 - i * 20, 300.25 + i * 5, Color(240, 220, 120),
                                      Zolt::DrawMode::Normal);

    auto ace = Card("A", Color(200, 20, 30), small);
    auto king = Card("K", Color(20, 20, 30), small);
    auto ten = Card("10", Color(200, 20, 30), small);

    // Plain, overlapping, tinted and additive blits.
    g.PaintImage(ace.get(), 40, 40);
    g.PaintImage(king.get(), 70, 50);
    g.PaintImage(ten.get(), 100, 60);
    g.SetTintImages(true);
    g.SetColor(Color(120, 160, 255));
    g.PaintImage(ace.get(), 200, 40);
    g.SetColor(Color(255, 255, 255, 110));
    g.PaintImage(king.get(), 290, 40);
    g.SetTintImages(false);
    g.SetDrawMode(Zolt::DrawMode::Additive);
    g.PaintImage(ten.get(), 380, 40);
    g.SetDrawMode(Zolt::DrawMode::Normal);

    // Stretched: filtered 2x and 0.5x, nearest 2x.
    g.PaintImageStretched(ace.get(), Rect(470, 20, 144, 192), Rect(0, 0, 72, 96));
    g.PaintImageStretched(king.get(), Rect(630, 20, 36, 48), Rect(0, 0, 72, 96));
    g.SetQuickStretch(true);
    g.PaintImageStretched(ten.get(), Rect(630, 80, 144, 192), Rect(0, 0, 72, 96));
    g.SetQuickStretch(false);

    // Rotated about their centres.
    g.PaintImageRotated(king.get(), 180, 170, M_PI / 6, 36, 48, nullptr);
    g.PaintImageRotated(ace.get(), 300, 170, -M_PI / 12, 36, 48, nullptr);
    g.PaintImageRotatedFloat(ten.get(), 400.5f, 170.25f, M_PI / 2, 36, 48, nullptr);

    // A nine-part panel with wrapped, colour-tagged text.
    auto frame = FrameImage();
    const Rect panel(150, 330, 420, 130);
    g.PaintImageFrame(panel, frame.get());
    g.SetFont(&small);
    g.SetColor(Color(250, 250, 250));
    const std::string text = "POT: ^FFD040^$1250^oldclr^  BLINDS 10-20.  "
                             "PLAYER 3 RAISES TO ^60FF60^$80^oldclr^, PLAYER 5 FOLDS, YOU ARE NEXT TO ACT!";
    int widest = 0;
    const int height = g.WriteWrappedText(Rect(panel.x + 14, panel.y + 12, panel.width - 28, 0), text, -1, -1,
                                          &widest, -1, nullptr);
    g.SetFont(&large);
    g.SetColor(Color(255, 230, 150, 200));
    g.WriteTaggedText("PELLUCOR", 0, 490, kWidth, 0, true, 0, -1, -1);

    if (!WritePng(*screen, path)) {
        std::fprintf(stderr, "scenerender: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("wrote %s (%d x %d; text block %d x %d)\n", path.c_str(), kWidth, kHeight, widest, height);
    return 0;
}
