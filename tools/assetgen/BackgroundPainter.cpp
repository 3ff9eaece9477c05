#include "tools/assetgen/BackgroundPainter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

using namespace palette;

void BackgroundPainter::Paint(const ImageAsset& image, Canvas& canvas) const
{
    const BackgroundDetails& d = image.background;
    switch (d.screen) {
    case Screen::Start:
        Start(canvas, d);
        break;
    case Screen::CashSetup:
        CashSetup(canvas, d);
        break;
    case Screen::TournamentSetup:
        TournamentSetup(canvas, d);
        break;
    case Screen::RulesPage:
        RulesPage(canvas, d);
        break;
    case Screen::Table:
        Table(canvas, d);
        break;
    }
}

void BackgroundPainter::Wood(Canvas& canvas, const Rect& area, uint32_t seed, double lightness) const
{
    cairo_surface_t* s = canvas.Surface();
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const Rgb dark = kWoodDark.Scaled(lightness), light = kWood.Scaled(lightness);
    for (int y = std::max(0, area.y); y < std::min(canvas.Height(), area.Bottom()); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = std::max(0, area.x); x < std::min(canvas.Width(), area.Right()); ++x) {
            // Long grain along x: rings bent by low-frequency noise.
            const double warp = FractalNoise(x / 240.0, y / 60.0, seed, 3);
            const double rings = 0.5 + 0.5 * std::sin((y + warp * 90.0) * 0.21);
            const double fibre = FractalNoise(x / 40.0, y / 1.6, seed + 7, 2);
            const double t = std::clamp(0.15 + 0.55 * rings * rings + 0.35 * fibre - 0.1, 0.0, 1.0);
            const Rgb c = dark.Mix(light, t);
            auto byte = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
            row[x] = 0xFF000000u | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
        }
    }
    cairo_surface_mark_dirty(s);
}

void BackgroundPainter::Felt(Canvas& canvas, double cx, double cy, double rx, double ry, uint32_t seed,
                             double lightness) const
{
    cairo_t* cr = canvas.Cr();
    canvas.Ellipse(cx, cy, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy - ry * 0.2, 0, cx, cy, std::max(rx, ry));
    const Rgb centre = kFelt.Scaled(lightness * 1.15), edge = kFeltDark.Scaled(lightness);
    cairo_pattern_add_color_stop_rgb(p, 0, centre.r, centre.g, centre.b);
    cairo_pattern_add_color_stop_rgb(p, 0.7, kFelt.Scaled(lightness * 0.85).r, kFelt.Scaled(lightness * 0.85).g,
                                     kFelt.Scaled(lightness * 0.85).b);
    cairo_pattern_add_color_stop_rgb(p, 1, edge.r, edge.g, edge.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    canvas.Grain({static_cast<int>(cx - rx), static_cast<int>(cy - ry), static_cast<int>(2 * rx) + 1,
                  static_cast<int>(2 * ry) + 1},
                 seed, 0.07, 1.3, 1.3);
}

void BackgroundPainter::Panel(Canvas& canvas, const Rect& area) const
{
    cairo_t* cr = canvas.Cr();
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    canvas.SetColor(Hex(0x000000), 0.55);
    cairo_fill(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, 3);
    canvas.FillBrass(area.y, area.y + 3, 1.0);
}

void BackgroundPainter::Titles(Canvas& canvas, const BackgroundDetails& d, double titleSize) const
{
    canvas.Text(faces_, Typeface::Nouveau, titleSize, d.title, 512, titleSize * 0.95, 1, kGold, 0.85);
    if (!d.subtitle.empty())
        canvas.Text(faces_, Typeface::Chancery, titleSize * 0.48, d.subtitle, 512, titleSize * 0.95 + titleSize * 0.7,
                    1, kCream, 0.8);
}

void BackgroundPainter::Card(Canvas& canvas, int rank, int suit, double x, double y, double angle) const
{
    Canvas card(70, 98);
    cards_.PaintFace(card, 1, rank, suit);
    cairo_t* cr = canvas.Cr();
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    canvas.RoundedRect(-33, -46, 70, 98, 6);
    canvas.SetColor(Hex(0x000000), 0.35);
    cairo_fill(cr);
    cairo_set_source_surface(cr, card.Surface(), -35, -49);
    cairo_paint(cr);
    cairo_restore(cr);
}

void BackgroundPainter::ChipStack(Canvas& canvas, int value, int count, double x, double y) const
{
    ImageAsset chip;
    chip.painter = Painter::Chip;
    chip.variant = value;
    for (int i = 0; i < count; ++i) {
        Canvas c(36, 26);
        pieces_.Paint(chip, c);
        canvas.Paste(c, x - 18, y - 13 - 4 * i);
    }
}

void BackgroundPainter::Start(Canvas& canvas, const BackgroundDetails& d) const
{
    cairo_t* cr = canvas.Cr();
    Wood(canvas, {0, 0, 1024, 768}, 11, 0.8);
    // A vignette to the corners.
    cairo_rectangle(cr, 0, 0, 1024, 768);
    cairo_pattern_t* v = cairo_pattern_create_radial(512, 400, 200, 512, 400, 700);
    cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 1, 0, 0, 0, 0.6);
    cairo_set_source(cr, v);
    cairo_fill(cr);
    cairo_pattern_destroy(v);
    // The table top under the game-mode plaques, with a brass rim.
    canvas.Ellipse(520, 420, 330, 170);
    canvas.FillBrass(250, 590, 1.0);
    canvas.Ellipse(520, 420, 322, 162);
    canvas.FillVertical(258, 582, Hex(0x3A1A0E), Hex(0x1A0A04));
    Felt(canvas, 520, 420, 300, 142, 21, 1.0);
    canvas.Ellipse(520, 420, 280, 124);
    canvas.SetColor(kBrass, 0.3);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Cards and chips lying about the table's edge.
    Card(canvas, 12, 0, 250, 540, -0.35);
    Card(canvas, 11, 3, 290, 548, -0.12);
    ChipStack(canvas, 100, 5, 790, 560);
    ChipStack(canvas, 25, 3, 832, 548);
    ChipStack(canvas, 5, 4, 760, 590);
    Titles(canvas, d, 84);
    for (const Rect& p : d.panels) {
        canvas.RoundedRect(p.x, p.y, p.w, p.h, p.h / 2.0);
        canvas.SetColor(Hex(0x000000), 0.5);
        cairo_fill(cr);
    }
}

void BackgroundPainter::CashSetup(Canvas& canvas, const BackgroundDetails& d) const
{
    cairo_t* cr = canvas.Cr();
    Wood(canvas, {0, 0, 1024, 768}, 31, 0.75);
    Titles(canvas, d, 56);
    int n = 0;
    for (const Rect& s : d.spots) {
        // A little table for each stake, its caption on the felt in the middle.
        const double cx = s.x + s.w / 2.0, cy = s.y + s.h / 2.0 - 3;
        canvas.RoundedRect(s.x + 12, s.y + 14, s.w - 24, s.h - 28, 40);
        canvas.SetColor(Hex(0x000000), 0.45);
        cairo_fill(cr);
        canvas.RoundedRect(s.x + 10, s.y + 11, s.w - 20, s.h - 26, 40);
        canvas.FillVertical(s.y + 11, s.Bottom() - 15, Hex(0x4A2414), Hex(0x1E0C06));
        canvas.RoundedRect(s.x + 18, s.y + 19, s.w - 36, s.h - 42, 32);
        canvas.FillVertical(s.y + 19, s.Bottom() - 23, Hex(0x4FB06A), Hex(0x2E8448));
        canvas.Grain({s.x + 18, s.y + 19, s.w - 36, s.h - 42}, 40u + static_cast<uint32_t>(n), 0.06, 1.3, 1.3);
        canvas.RoundedRect(s.x + 18, s.y + 19, s.w - 36, s.h - 42, 32);
        canvas.StrokeBrass(s.y + 19, s.Bottom() - 23, 1.5, 1.0);
        // The stake's caption is dark script: it stands on an ivory card.
        const Rect card{s.x + kStakeCard.x, s.y + kStakeCard.y, kStakeCard.w, kStakeCard.h};
        canvas.RoundedRect(card.x + 1, card.y + 2, card.w, card.h, 7);
        canvas.SetColor(Hex(0x000000), 0.35);
        cairo_fill(cr);
        canvas.RoundedRect(card.x + 0.5, card.y + 0.5, card.w - 1, card.h - 1, 7);
        canvas.FillVertical(card.y, card.Bottom(), kIvory, kCream);
        canvas.RoundedRect(card.x + 0.5, card.y + 0.5, card.w - 1, card.h - 1, 7);
        canvas.StrokeBrass(card.y, card.Bottom(), 1.2, 0.9);
        // Seats round the table: small brass studs.
        for (int k = 0; k < 10; ++k) {
            const double a = k * 2 * M_PI / 10 + M_PI / 10;
            canvas.Ellipse(cx + std::cos(a) * (s.w / 2.0 - 14), cy + 3 + std::sin(a) * (s.h / 2.0 - 15), 3, 3);
            canvas.FillBrass(cy - s.h / 2.0, cy + s.h / 2.0, 1.1);
        }
        ++n;
    }
    for (const Rect& p : d.panels)
        Panel(canvas, p);
}

void BackgroundPainter::TournamentSetup(Canvas& canvas, const BackgroundDetails& d) const
{
    cairo_t* cr = canvas.Cr();
    Wood(canvas, {0, 0, 1024, 768}, 41, 0.75);
    Titles(canvas, d, 56);
    for (const Rect& s : d.spots) {
        canvas.RoundedRect(s.x, s.y, s.w, s.h, 14);
        canvas.StrokeBrass(s.y, s.Bottom(), 3, 1.0);
        canvas.RoundedRect(s.x + 2, s.y + 2, s.w - 4, s.h - 4, 12);
        canvas.FillVertical(s.y, s.Bottom(), Hex(0x164A2A), Hex(0x0A2414));
        canvas.Grain(s, 51u + static_cast<uint32_t>(s.x), 0.07, 1.3, 1.3);
        cairo_move_to(cr, s.x + 20, s.y + 48.5);
        cairo_line_to(cr, s.Right() - 20, s.y + 48.5);
        canvas.SetColor(kBrass, 0.5);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    for (const Words& w : d.words)
        canvas.Text(faces_, Typeface::Nouveau, w.size, w.text, w.x, w.y, w.align, kGold, 0.8);
    for (const Rect& p : d.panels)
        Panel(canvas, p);
}

void BackgroundPainter::RulesPage(Canvas& canvas, const BackgroundDetails& d) const
{
    cairo_t* cr = canvas.Cr();
    Wood(canvas, {0, 0, 1024, 768}, 61, 0.7);
    const Rect& page = d.panels.front();
    canvas.RoundedRect(page.x, page.y, page.w, page.h, 20);
    canvas.FillBrass(page.y, page.Bottom(), 1.0);
    canvas.RoundedRect(page.x + 5, page.y + 5, page.w - 10, page.h - 10, 16);
    canvas.FillVertical(page.y, page.Bottom(), Hex(0x0E2C1A), Hex(0x061810));
    canvas.Grain({page.x + 5, page.y + 5, page.w - 10, page.h - 10}, 71, 0.08, 1.3, 1.3);
    // Suits in the corners of the page.
    const double corners[4][2] = {{page.x + 34.0, page.y + 34.0},
                                  {page.Right() - 34.0, page.y + 34.0},
                                  {page.x + 34.0, page.Bottom() - 34.0},
                                  {page.Right() - 34.0, page.Bottom() - 34.0}};
    for (int i = 0; i < 4; ++i) {
        CardPainter::SuitPath(cr, i, corners[i][0], corners[i][1], 22, false);
        canvas.FillBrass(corners[i][1] - 11, corners[i][1] + 11, 1.0);
    }
    // The cartouche for the title, which the page writes in blue.
    const Rect& c = d.spots.front();
    canvas.RoundedRect(c.x, c.y, c.w, c.h, c.h / 2.0);
    canvas.FillBrass(c.y, c.Bottom(), 1.05);
    canvas.RoundedRect(c.x + 3, c.y + 3, c.w - 6, c.h - 6, c.h / 2.0 - 3);
    canvas.FillVertical(c.y, c.Bottom(), kIvory, kCream);
}

void BackgroundPainter::Table(Canvas& canvas, const BackgroundDetails& d) const
{
    cairo_t* cr = canvas.Cr();
    Wood(canvas, {0, 0, 1024, 768}, 81, 0.55);
    const double cx = 512, cy = 330;
    // Shadow, padded rail, brass line, felt.
    canvas.Ellipse(cx, cy + 10, 470, 305);
    canvas.SetColor(Hex(0x000000), 0.5);
    cairo_fill(cr);
    canvas.Ellipse(cx, cy, 462, 296);
    cairo_pattern_t* rail = cairo_pattern_create_radial(cx, cy - 120, 200, cx, cy, 470);
    cairo_pattern_add_color_stop_rgb(rail, 0, 0.36, 0.16, 0.09);
    cairo_pattern_add_color_stop_rgb(rail, 0.75, 0.24, 0.09, 0.05);
    cairo_pattern_add_color_stop_rgb(rail, 1, 0.10, 0.04, 0.02);
    cairo_set_source(cr, rail);
    cairo_fill(cr);
    cairo_pattern_destroy(rail);
    canvas.Grain({50, 34, 924, 592}, 83, 0.05, 3.0, 3.0);
    canvas.Ellipse(cx, cy, 424, 258);
    canvas.FillBrass(cy - 258, cy + 258, 1.0);
    Felt(canvas, cx, cy, 420, 254, 85, 1.0);
    canvas.Ellipse(cx, cy, 404, 238);
    canvas.SetColor(kBrassLight, 0.22);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The maker's mark printed on the felt.
    canvas.Text(faces_, Typeface::Nouveau, 54, d.title, cx, 470, 1, kFelt.Scaled(1.45), 0.0, 0.55);
    // The board: five card places.
    for (const Rect& s : d.spots) {
        canvas.RoundedRect(s.x - 2.5, s.y - 2.5, s.w + 5, s.h + 5, 7);
        canvas.SetColor(Hex(0xFFFFFF), 0.06);
        cairo_fill_preserve(cr);
        canvas.SetColor(kBrassLight, 0.35);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    // Where each seat's bet comes to rest.
    for (const Rect& p : d.panels) {
        canvas.Ellipse(p.x + p.w / 2.0, p.y + p.h / 2.0 + 4, p.w / 2.0, p.h / 2.0 - 4);
        canvas.SetColor(Hex(0xFFFFFF), 0.05);
        cairo_fill_preserve(cr);
        canvas.SetColor(kBrassLight, 0.22);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

} // namespace assetgen
