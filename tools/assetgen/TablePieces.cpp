#include "tools/assetgen/TablePieces.h"

#include <cmath>

namespace assetgen {

using namespace palette;

bool TablePieces::Paint(const ImageAsset& image, Canvas& canvas) const
{
    switch (image.painter) {
    case Painter::SeatPlate:
        SeatPlate(canvas, image.variant == 1);
        return true;
    case Painter::BetTag:
        BetTag(canvas);
        return true;
    case Painter::WinnerBadge:
        Badge(canvas, image.words, Hex(0xF6D66A), Hex(0xA8741A), 22);
        return true;
    case Painter::DealerButton:
        Dealer(canvas);
        return true;
    case Painter::RebuyBadge:
        Rebuy(canvas);
        return true;
    case Painter::ActionBadge: {
        // Check, open, fold, call, raise, all-in: the colours of the strip.
        static const uint32_t tops[6] = {0x4C74AE, 0xB08A2E, 0x6E6E6E, 0x3A9856, 0xD0702A, 0xC8303A};
        static const uint32_t bottoms[6] = {0x1A2E50, 0x4E380C, 0x2A2A2A, 0x12441F, 0x5E2608, 0x5A0A10};
        Badge(canvas, image.words, Hex(tops[image.variant]), Hex(bottoms[image.variant]), 14);
        return true;
    }
    case Painter::StageBanner:
        StageBanner(canvas, image.words);
        return true;
    case Painter::PotPlate:
        PotPlate(canvas);
        return true;
    case Painter::Chip:
        Chip(canvas, image.variant);
        return true;
    default:
        return false;
    }
}

void TablePieces::SeatPlate(Canvas& canvas, bool lit) const
{
    // The name and chip lines stand 14 and 34 pixels below the picture's
    // centre, so the plate fills the lower half; the upper half stays clear
    // for the cards that lie above it (and for the screen's top edge, where
    // the upper seats' pictures are centred).
    cairo_t* cr = canvas.Cr();
    // 120 wide: the seats by the screen's sides are centred 62 pixels from
    // its edges, and their plates are seen whole.
    const double x = 15.5, y = 51.5, w = 119, h = 46;
    if (lit) {
        for (int i = 5; i >= 1; --i) {
            canvas.RoundedRect(x - i, y - i, w + 2 * i, h + 2 * i, 12 + i);
            canvas.SetColor(kGold, 0.09);
            cairo_fill(cr);
        }
    }
    canvas.RoundedRect(x, y, w, h, 12);
    canvas.FillBrass(y, y + h, lit ? 1.25 : 0.95);
    canvas.RoundedRect(x + 2.5, y + 2.5, w - 5, h - 5, 10);
    if (lit)
        canvas.FillVertical(y, y + h, Hex(0x3C4A2A), Hex(0x141C0C));
    else
        canvas.FillVertical(y, y + h, Hex(0x2A1A14), Hex(0x0C0604));
    canvas.Grain({18, 54, 114, 41}, lit ? 7u : 5u, 0.12, 8.0, 1.5);
    // A hairline between the name and the chips.
    cairo_move_to(cr, x + 22, y + 22.5);
    cairo_line_to(cr, x + w - 22, y + 22.5);
    canvas.SetColor(kBrass, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void TablePieces::BetTag(Canvas& canvas) const
{
    canvas.RoundedRect(0.5, 0.5, 63, 15, 7.5);
    canvas.SetColor(Hex(0x000000), 0.72);
    cairo_fill(canvas.Cr());
    canvas.RoundedRect(0.5, 0.5, 63, 15, 7.5);
    canvas.SetColor(kBrass, 0.8);
    cairo_set_line_width(canvas.Cr(), 1);
    cairo_stroke(canvas.Cr());
}

void TablePieces::Badge(Canvas& canvas, const std::string& words, const Rgb& top, const Rgb& bottom,
                        double size) const
{
    const double w = canvas.Width(), h = canvas.Height();
    canvas.RoundedRect(0.5, 0.5, w - 1, h - 1, h / 2 - 0.5);
    canvas.FillBrass(0, h, 1.05);
    canvas.RoundedRect(2, 2, w - 4, h - 4, h / 2 - 2);
    canvas.FillVertical(2, h - 2, top, bottom);
    canvas.RoundedRect(3, 3, w - 6, (h - 6) * 0.45, (h - 6) / 2);
    canvas.SetColor(Hex(0xFFFFFF), 0.2);
    cairo_fill(canvas.Cr());
    const bool light = top.r * 0.3 + top.g * 0.59 + top.b * 0.11 > 0.6;
    canvas.TextFit(faces_, light ? Typeface::Nouveau : Typeface::SansBold, size, words, w / 2, h / 2, 1, w - 14,
                   light ? Hex(0x2A1404) : Hex(0xFFFFFF), light ? 0.0 : 0.7);
}

void TablePieces::Dealer(Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    canvas.Ellipse(15, 15, 14, 14);
    canvas.SetColor(Hex(0x000000), 0.35);
    cairo_fill(cr);
    canvas.Ellipse(15, 14.5, 13.5, 13.5);
    canvas.FillVertical(1, 28, Hex(0xFFFFFF), Hex(0xD8D2C0));
    canvas.Ellipse(15, 14.5, 10.5, 10.5);
    canvas.SetColor(Hex(0x8A1A1A), 0.9);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    canvas.Text(faces_, Typeface::BoldSerif, 16, "D", 15, 14.5, 1, Hex(0x1A1A1A), 0.0);
}

void TablePieces::Rebuy(Canvas& canvas) const
{
    // Four frames one below the other: normal, hover, pressed, disabled.
    static const uint32_t tops[4] = {0x2E8A4C, 0x42B666, 0x1E6A38, 0x6A6A6A};
    static const uint32_t bottoms[4] = {0x0C3A1A, 0x165C2A, 0x082A12, 0x262626};
    cairo_t* cr = canvas.Cr();
    for (int frame = 0; frame < 4; ++frame) {
        const double top = 31.0 * frame;
        canvas.Ellipse(15.5, top + 15.5, 15, 15);
        canvas.FillBrass(top, top + 31, frame == 3 ? 0.6 : 1.1);
        canvas.Ellipse(15.5, top + 15.5, 12.5, 12.5);
        canvas.FillVertical(top + 3, top + 28, Hex(tops[frame]), Hex(bottoms[frame]));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 9, top + 15.5);
        cairo_line_to(cr, 22, top + 15.5);
        cairo_move_to(cr, 15.5, top + 9);
        cairo_line_to(cr, 15.5, top + 22);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
        cairo_set_line_width(cr, 5);
        cairo_stroke_preserve(cr);
        canvas.SetColor(kCream, frame == 3 ? 0.45 : 1.0);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
}

void TablePieces::StageBanner(Canvas& canvas, const std::string& words) const
{
    cairo_t* cr = canvas.Cr();
    const double w = canvas.Width(), h = canvas.Height();
    // A ribbon with swallow-tailed ends.
    auto ribbon = [&](double inset) {
        cairo_move_to(cr, inset, inset + 2);
        cairo_line_to(cr, w - inset, inset + 2);
        cairo_line_to(cr, w - 14 - inset, h / 2);
        cairo_line_to(cr, w - inset, h - inset - 2);
        cairo_line_to(cr, inset, h - inset - 2);
        cairo_line_to(cr, 14 + inset, h / 2);
        cairo_close_path(cr);
    };
    ribbon(0.5);
    canvas.FillBrass(0, h, 1.1);
    ribbon(3);
    canvas.FillVertical(3, h - 3, Hex(0x9A2430), Hex(0x480A12));
    canvas.Text(faces_, Typeface::Nouveau, 27, words, w / 2, h / 2, 1, kGold, 0.8);
}

void TablePieces::PotPlate(Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    const double w = canvas.Width(), h = canvas.Height();
    canvas.RoundedRect(0.5, 0.5, w - 1, h - 1, h / 2 - 0.5);
    canvas.SetColor(Hex(0x000000), 0.6);
    cairo_fill(cr);
    canvas.RoundedRect(1.5, 1.5, w - 3, h - 3, h / 2 - 1.5);
    canvas.StrokeBrass(0, h, 1.5, 1.0);
    // A small stack of chips at the right end, standing in the middle of the
    // plate's height; the label is centred a little left of the plate's
    // middle and stays clear of it (the left end lies beside the river card).
    const int stack[3] = {100, 25, 5};
    constexpr double kScale = 0.5;
    constexpr int kStep = 2;
    const double stackHeight = 26 * kScale + 2 * kStep;
    const double bottomChipTop = (h - stackHeight) / 2 + 2 * kStep;
    for (int i = 0; i < 3; ++i) {
        Canvas chip(36, 26);
        Chip(chip, stack[i]);
        canvas.Paste(chip, static_cast<int>(w) - 28, bottomChipTop - i * kStep, kScale);
    }
}

TablePieces::ChipColours TablePieces::ColoursOf(int value)
{
    switch (value) {
    case 1:
        return {Hex(0xF2EEE4), Hex(0x3A6AB0), Hex(0x1A1A1A)};
    case 2:
        return {Hex(0xA8C8E8), Hex(0xFFFFFF), Hex(0x10263E)};
    case 5:
        return {Hex(0xC0242C), Hex(0xFFFFFF), Hex(0xFFFFFF)};
    case 10:
        return {Hex(0x1F4FA8), Hex(0xFFFFFF), Hex(0xFFFFFF)};
    case 25:
        return {Hex(0x1E8A3E), Hex(0xFFFFFF), Hex(0xFFFFFF)};
    case 50:
        return {Hex(0xE87A14), Hex(0x3A1A00), Hex(0x1A0A00)};
    case 100:
        return {Hex(0x1A1A1A), Hex(0xE8C850), Hex(0xFFFFFF)};
    case 250:
        return {Hex(0xE66AA6), Hex(0xFFFFFF), Hex(0x2A0A1A)};
    case 500:
        return {Hex(0x6A2A9A), Hex(0xF0E0FF), Hex(0xFFFFFF)};
    case 1000:
        return {Hex(0xF2D22A), Hex(0x1A1A1A), Hex(0x1A1400)};
    case 2500:
        return {Hex(0x138A8A), Hex(0xF4E4B0), Hex(0xFFFFFF)};
    default:
        return {Hex(0x7A4A1E), Hex(0xF2C040), Hex(0xFFFFFF)};
    }
}

void TablePieces::Chip(Canvas& canvas, int value) const
{
    // A chip seen slightly from above: 3 pixels of edge show when chips are
    // stacked 3 pixels apart.
    cairo_t* cr = canvas.Cr();
    const ChipColours c = ColoursOf(value);
    const double cx = 18, top = 10.5, rx = 17, ry = 9.5, thick = 5;
    // The edge.
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, top + thick);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, M_PI);
    cairo_restore(cr);
    cairo_line_to(cr, cx - rx, top);
    cairo_save(cr);
    cairo_translate(cr, cx, top);
    cairo_scale(cr, rx, ry);
    cairo_arc_negative(cr, 0, 0, 1, M_PI, 0);
    cairo_restore(cr);
    cairo_close_path(cr);
    canvas.SetColor(c.body.Scaled(0.62));
    cairo_fill(cr);
    // Edge stripes.
    for (int i = 0; i < 6; ++i) {
        const double a0 = M_PI * (0.08 + i * 0.17), a1 = a0 + 0.08;
        if (a1 > M_PI)
            break;
        const double x0 = cx + rx * std::cos(a0), x1 = cx + rx * std::cos(a1);
        const double y0 = top + ry * std::sin(a0), y1 = top + ry * std::sin(a1);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_line_to(cr, x1, y1 + thick);
        cairo_line_to(cr, x0, y0 + thick);
        cairo_close_path(cr);
        canvas.SetColor(c.stripe, 0.85);
        cairo_fill(cr);
    }
    // The top face with its edge spots and inner ring.
    canvas.Ellipse(cx, top, rx, ry);
    canvas.SetColor(c.body);
    cairo_fill(cr);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4 + 0.2;
        cairo_save(cr);
        cairo_translate(cr, cx, top);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 0.88, a - 0.14, a + 0.14);
        cairo_restore(cr);
        canvas.SetColor(c.stripe, 0.9);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
    }
    canvas.Ellipse(cx, top, rx * 0.66, ry * 0.66);
    canvas.SetColor(c.body.Mix(Hex(0xFFFFFF), 0.12));
    cairo_fill_preserve(cr);
    canvas.SetColor(c.stripe, 0.6);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    const std::string text = value >= 1000 ? std::to_string(value / 1000) + (value % 1000 ? ".5k" : "k")
                                           : std::to_string(value);
    canvas.TextFit(faces_, Typeface::SansBold, 9, text, cx, top, 1, rx * 1.2, c.ink, 0.0);
    canvas.Ellipse(cx, top, rx, ry);
    canvas.SetColor(Hex(0x000000), 0.35);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

} // namespace assetgen
