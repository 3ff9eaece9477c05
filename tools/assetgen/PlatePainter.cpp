#include "tools/assetgen/PlatePainter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

using namespace palette;

void PlatePainter::PaintFrame(Canvas& canvas, int width, int height) const
{
    cairo_t* cr = canvas.Cr();
    const double r = std::min(16.0, std::min(width, height) * 0.25);
    const double rim = std::min(5.0, std::max(2.0, std::min(width, height) / 24.0));
    canvas.RoundedRect(0.5, 0.5, width - 1.0, height - 1.0, r);
    canvas.FillBrass(0, height);
    canvas.RoundedRect(rim, rim, width - 2 * rim, height - 2 * rim, std::max(1.0, r - rim));
    canvas.SetColor(kBrassDark);
    cairo_fill(cr);
    const double inner = rim + 1.5;
    canvas.RoundedRect(inner, inner, width - 2 * inner, height - 2 * inner, std::max(1.0, r - inner));
    // Dark baize, a little lighter towards the top.
    cairo_pattern_t* p = cairo_pattern_create_radial(width / 2.0, height * 0.3, 0, width / 2.0, height * 0.3,
                                                     std::max(width, height) * 0.8);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.085, 0.20, 0.13);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.025, 0.07, 0.045);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    const int g = static_cast<int>(inner);
    canvas.Grain({g, g, width - 2 * g, height - 2 * g}, static_cast<uint32_t>(width * 31 + height), 0.10, 2.0, 2.0);
    // A fine inner line of brass; the narrow panels beside the table keep
    // the room it would take for their text.
    if (width > 160 && height > 50) {
        canvas.RoundedRect(inner + 4, inner + 4, width - 2 * inner - 8, height - 2 * inner - 8,
                           std::max(1.0, r - inner - 4));
        canvas.SetColor(kBrass, 0.35);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

void PlatePainter::PaintField(Canvas& canvas, const Rect& area) const
{
    cairo_t* cr = canvas.Cr();
    canvas.RoundedRect(area.x + 0.5, area.y + 0.5, area.w - 1.0, area.h - 1.0, 5);
    canvas.FillBrass(area.y, area.Bottom(), 0.7);
    canvas.RoundedRect(area.x + 1.5, area.y + 1.5, area.w - 3.0, area.h - 3.0, 4);
    canvas.FillVertical(area.y, area.Bottom(), Hex(0x020604), Hex(0x0E1C14));
    canvas.RoundedRect(area.x + 1.5, area.y + 1.5, area.w - 3.0, area.h - 3.0, 4);
    cairo_pattern_t* inset = cairo_pattern_create_linear(0, area.y, 0, area.y + 7);
    cairo_pattern_add_color_stop_rgba(inset, 0, 0, 0, 0, 0.7);
    cairo_pattern_add_color_stop_rgba(inset, 1, 0, 0, 0, 0);
    cairo_set_source(cr, inset);
    cairo_fill(cr);
    cairo_pattern_destroy(inset);
}

void PlatePainter::PaintPlate(const ImageAsset& image, Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    const PlateDetails& d = image.plate;
    PaintFrame(canvas, image.width, image.height);
    if (!d.title.empty()) {
        const double titleY = std::min(34.0, image.height * 0.12 + 10);
        canvas.TextFit(faces_, Typeface::Nouveau, 26, d.title, image.width / 2.0, titleY, 1, image.width - 40,
                       kGold, 0.8);
        // An ornamental rule under the title: a line with a lozenge.
        const double y = titleY + 20;
        const double half = std::min(120.0, image.width * 0.32);
        cairo_move_to(cr, image.width / 2.0 - half, y);
        cairo_line_to(cr, image.width / 2.0 + half, y);
        canvas.SetColor(kBrass, 0.7);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_move_to(cr, image.width / 2.0, y - 4);
        cairo_line_to(cr, image.width / 2.0 + 6, y);
        cairo_line_to(cr, image.width / 2.0, y + 4);
        cairo_line_to(cr, image.width / 2.0 - 6, y);
        cairo_close_path(cr);
        canvas.FillBrass(y - 4, y + 4, 1.1);
    }
    for (int y : d.rules) {
        cairo_move_to(cr, 24, y + 0.5);
        cairo_line_to(cr, image.width - 24, y + 0.5);
        canvas.SetColor(kBrass, 0.35);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    for (const Rect& field : d.fields)
        PaintField(canvas, field);
    for (const Rect& bed : d.beds)
        buttons_.PaintBed(canvas, bed);
    for (const Words& w : d.words)
        canvas.Text(faces_, Typeface::BoldSerif, w.size, w.text, w.x, w.y, w.align, kCream, 0.8);
}

void PlatePainter::PaintTick(Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    cairo_move_to(cr, 7, 19);
    cairo_line_to(cr, 15, 28);
    cairo_line_to(cr, 30, 8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    canvas.StrokeBrass(6, 30, 4.5, 1.2);
}

void PlatePainter::PaintStakeFrame(const ImageAsset& image, Canvas& canvas) const
{
    cairo_t* cr = canvas.Cr();
    const double w = image.width, h = image.height;
    const auto state = static_cast<State>(image.variant);
    switch (state) {
    case State::Selected:
        // The chosen table: a glowing gold border.
        for (int i = 6; i >= 1; --i) {
            canvas.RoundedRect(7 - i, 7 - i, w - 14 + 2 * i, h - 14 + 2 * i, 18 + i);
            canvas.SetColor(kGold, 0.07);
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
        }
        canvas.RoundedRect(7, 7, w - 14, h - 14, 18);
        canvas.StrokeBrass(7, h - 7, 4, 1.25);
        break;
    case State::Hover:
        // Under the pointer: a warm light rim.
        canvas.RoundedRect(8, 8, w - 16, h - 16, 18);
        canvas.SetColor(kBrassLight, 0.7);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        break;
    case State::Disabled:
        // Held back behind a dialog: the table dimmed, no rim.
        canvas.RoundedRect(10, 11, w - 20, h - 26, 40);
        canvas.SetColor(Hex(0x000000), 0.4);
        cairo_fill(cr);
        break;
    default:
        // Unchosen: a faint rim only, so that the table painted on the screen
        // shows through.
        canvas.RoundedRect(8, 8, w - 16, h - 16, 18);
        canvas.SetColor(kBrassLight, 0.18);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        return;
    }
    PaintStakeCard(canvas, state);
}

void PlatePainter::PaintStakeCard(Canvas& canvas, State state) const
{
    // The light captions of these states stand on a dark card laid over the
    // screen's ivory one.
    const Rect& c = kStakeCard;
    const Rgb top = state == State::Disabled ? Hex(0x34302A) : kLacquerLight;
    const Rgb bottom = state == State::Disabled ? Hex(0x1C1A16) : kLacquer;
    canvas.RoundedRect(c.x - 0.5, c.y - 0.5, c.w + 1, c.h + 1, 7.5);
    canvas.FillVertical(c.y, c.Bottom(), top, bottom);
    canvas.RoundedRect(c.x + 0.5, c.y + 0.5, c.w - 1, c.h - 1, 7);
    canvas.StrokeBrass(c.y, c.Bottom(), 1.2, state == State::Selected ? 1.3 : (state == State::Disabled ? 0.6 : 1.0));
}

} // namespace assetgen
