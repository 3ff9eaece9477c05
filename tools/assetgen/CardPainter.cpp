#include "tools/assetgen/CardPainter.h"

#include <cmath>
#include <utility>
#include <vector>

namespace assetgen {

using namespace palette;

namespace {

constexpr double kWidth = 70;
constexpr double kHeight = 98;
constexpr double kCorner = 6;

const char* const kRankTexts[13] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};

bool IsRed(int suit)
{
    return suit == 2 || suit == 3;
}

// Pip positions in the pip area, columns 0, 0.5, 1 and rows 0 (top) to 1.
std::vector<std::pair<double, double>> PipLayout(int count)
{
    switch (count) {
    case 2:
        return {{0.5, 0}, {0.5, 1}};
    case 3:
        return {{0.5, 0}, {0.5, 0.5}, {0.5, 1}};
    case 4:
        return {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    case 5:
        return {{0, 0}, {1, 0}, {0.5, 0.5}, {0, 1}, {1, 1}};
    case 6:
        return {{0, 0}, {1, 0}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}};
    case 7:
        return {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}};
    case 8:
        return {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0.5, 0.75}, {0, 1}, {1, 1}};
    case 9:
        return {{0, 0}, {1, 0}, {0, 1.0 / 3}, {1, 1.0 / 3}, {0.5, 0.5}, {0, 2.0 / 3}, {1, 2.0 / 3}, {0, 1}, {1, 1}};
    default:
        return {{0, 0},       {1, 0},       {0.5, 1.0 / 6}, {0, 1.0 / 3}, {1, 1.0 / 3},
                {0, 2.0 / 3}, {1, 2.0 / 3}, {0.5, 5.0 / 6}, {0, 1},       {1, 1}};
    }
}

} // namespace

void CardPainter::SuitPath(cairo_t* cr, int suit, double x, double y, double height, bool flipped)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, height, flipped ? -height : height);
    // Unit shapes about the origin, 1 high.
    switch (suit) {
    case 3: // hearts
        cairo_move_to(cr, 0, 0.5);
        cairo_curve_to(cr, -0.18, 0.28, -0.5, 0.08, -0.5, -0.18);
        cairo_curve_to(cr, -0.5, -0.42, -0.28, -0.52, -0.15, -0.5);
        cairo_curve_to(cr, -0.06, -0.48, 0, -0.4, 0, -0.3);
        cairo_curve_to(cr, 0, -0.4, 0.06, -0.48, 0.15, -0.5);
        cairo_curve_to(cr, 0.28, -0.52, 0.5, -0.42, 0.5, -0.18);
        cairo_curve_to(cr, 0.5, 0.08, 0.18, 0.28, 0, 0.5);
        break;
    case 2: // diamonds
        cairo_move_to(cr, 0, -0.5);
        cairo_curve_to(cr, 0.12, -0.3, 0.25, -0.14, 0.38, 0);
        cairo_curve_to(cr, 0.25, 0.14, 0.12, 0.3, 0, 0.5);
        cairo_curve_to(cr, -0.12, 0.3, -0.25, 0.14, -0.38, 0);
        cairo_curve_to(cr, -0.25, -0.14, -0.12, -0.3, 0, -0.5);
        break;
    case 0: // spades
        cairo_move_to(cr, 0, -0.5);
        cairo_curve_to(cr, 0.14, -0.3, 0.5, -0.1, 0.5, 0.12);
        cairo_curve_to(cr, 0.5, 0.32, 0.26, 0.38, 0.06, 0.22);
        cairo_curve_to(cr, 0.08, 0.34, 0.14, 0.44, 0.2, 0.5);
        cairo_line_to(cr, -0.2, 0.5);
        cairo_curve_to(cr, -0.14, 0.44, -0.08, 0.34, -0.06, 0.22);
        cairo_curve_to(cr, -0.26, 0.38, -0.5, 0.32, -0.5, 0.12);
        cairo_curve_to(cr, -0.5, -0.1, -0.14, -0.3, 0, -0.5);
        break;
    default: // clubs
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, -0.26, 0.22, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, -0.26, 0.08, 0.22, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0.26, 0.08, 0.22, 0, 2 * M_PI);
        cairo_move_to(cr, -0.08, 0.0);
        cairo_curve_to(cr, -0.06, 0.26, -0.12, 0.42, -0.2, 0.5);
        cairo_line_to(cr, 0.2, 0.5);
        cairo_curve_to(cr, 0.12, 0.42, 0.06, 0.26, 0.08, 0.0);
        cairo_close_path(cr);
        break;
    }
    cairo_restore(cr);
}

void CardPainter::Blank(Canvas& canvas, int set) const
{
    cairo_t* cr = canvas.Cr();
    canvas.RoundedRect(0.5, 0.5, kWidth - 1, kHeight - 1, kCorner);
    canvas.SetColor(Hex(0x5A5040));
    cairo_fill(cr);
    canvas.RoundedRect(1.2, 1.2, kWidth - 2.4, kHeight - 2.4, kCorner - 0.7);
    canvas.FillVertical(0, kHeight, set == 1 ? kIvory : Hex(0xF4F7FB), set == 1 ? Hex(0xF1E9D2) : Hex(0xE2E8F0));
    if (set == 2) {
        // The computer's set: a thin blue line inside the edge.
        canvas.RoundedRect(3.5, 3.5, kWidth - 7, kHeight - 7, kCorner - 2);
        canvas.SetColor(Hex(0x2A4A8A), 0.55);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

void CardPainter::Index(Canvas& canvas, int rank, int suit, const Rgb& ink) const
{
    cairo_t* cr = canvas.Cr();
    const std::string text = kRankTexts[rank];
    for (int corner = 0; corner < 2; ++corner) {
        cairo_save(cr);
        if (corner == 1) {
            cairo_translate(cr, kWidth, kHeight);
            cairo_rotate(cr, M_PI);
        }
        const double size = text.size() > 1 ? 14.5 : 17;
        canvas.TextFit(faces_, Typeface::BoldSerif, size, text, 10.5, 12.5, 1, 17, ink, 0.0);
        SuitPath(cr, suit, 10.5, 27.5, 10.5, false);
        canvas.SetColor(ink);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

void CardPainter::Pips(Canvas& canvas, int rank, int suit, const Rgb& ink) const
{
    cairo_t* cr = canvas.Cr();
    const int count = rank + 2;
    const double left = 25, right = 45, top = 19, bottom = 79;
    const double pip = count >= 9 ? 12.5 : 14;
    for (const auto& [col, row] : PipLayout(count)) {
        const double x = left + (right - left) * col;
        const double y = top + (bottom - top) * row;
        SuitPath(cr, suit, x, y, pip, row > 0.5);
        canvas.SetColor(ink);
        cairo_fill(cr);
    }
}

void CardPainter::Court(Canvas& canvas, int set, int rank, int suit, const Rgb& ink) const
{
    cairo_t* cr = canvas.Cr();
    const double x = 19, y = 9, w = 32, h = 80;
    canvas.RoundedRect(x, y, w, h, 3);
    const Rgb tint = set == 1 ? Hex(0xF3DFA2) : Hex(0xC8D8F0);
    canvas.FillVertical(y, y + h, tint, tint.Mix(Hex(0xFFFFFF), 0.5));
    canvas.RoundedRect(x, y, w, h, 3);
    canvas.SetColor(ink, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    canvas.RoundedRect(x + 2.5, y + 2.5, w - 5, h - 5, 2);
    canvas.SetColor(Hex(0xB8913A), 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    if (rank == 12) {
        // The ace: one large pip in an ornamental ring.
        SuitPath(cr, suit, kWidth / 2, kHeight / 2, 30, false);
        canvas.SetColor(ink);
        cairo_fill(cr);
        return;
    }
    static const char* const letters[3] = {"J", "Q", "K"};
    canvas.Text(faces_, Typeface::Chancery, 34, letters[rank - 9], kWidth / 2, kHeight / 2, 1, ink, 0.0);
    SuitPath(cr, suit, kWidth / 2, y + 12, 11, false);
    canvas.SetColor(ink);
    cairo_fill(cr);
    SuitPath(cr, suit, kWidth / 2, y + h - 12, 11, true);
    canvas.SetColor(ink);
    cairo_fill(cr);
}

void CardPainter::PaintFace(Canvas& canvas, int set, int rank, int suit) const
{
    const Rgb ink = IsRed(suit) ? Hex(0xB81A24) : Hex(0x141414);
    Blank(canvas, set);
    if (rank >= 9)
        Court(canvas, set, rank, suit, ink);
    else
        Pips(canvas, rank, suit, ink);
    Index(canvas, rank, suit, ink);
}

void CardPainter::PaintBack(Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    Blank(canvas, 2);
    canvas.RoundedRect(4, 4, kWidth - 8, kHeight - 8, 4);
    canvas.FillVertical(4, kHeight - 4, Hex(0x7A1620), Hex(0x3E0810));
    // A lattice of fine gold lines.
    cairo_save(cr);
    canvas.RoundedRect(4, 4, kWidth - 8, kHeight - 8, 4);
    cairo_clip(cr);
    for (double d = -kHeight; d < kWidth + kHeight; d += 7) {
        cairo_move_to(cr, d, 0);
        cairo_line_to(cr, d + kHeight, kHeight);
        cairo_move_to(cr, d, kHeight);
        cairo_line_to(cr, d + kHeight, 0);
    }
    canvas.SetColor(kGold, 0.28);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_restore(cr);
    canvas.Ellipse(kWidth / 2, kHeight / 2, 17, 17);
    canvas.FillBrass(kHeight / 2 - 17, kHeight / 2 + 17, 1.0);
    canvas.Ellipse(kWidth / 2, kHeight / 2, 14.5, 14.5);
    canvas.SetColor(Hex(0x5A0E16));
    cairo_fill(cr);
    canvas.Text(faces_, Typeface::Chancery, 26, "P", kWidth / 2 - 1, kHeight / 2, 1, kGold, 0.0);
}

void CardPainter::PaintMask(Canvas& canvas) const
{
    canvas.RoundedRect(0.5, 0.5, kWidth - 1, kHeight - 1, kCorner);
    canvas.SetColor(Hex(0x000000), 0.55);
    cairo_fill(canvas.Cr());
}

} // namespace assetgen
