#include "tools/assetgen/ButtonPainter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

using namespace palette;

namespace {

// The body colours of a face: top and bottom of its gradient.
struct Body {
    Rgb top;
    Rgb bottom;
};

Body BaseBody(ButtonStyle style, const std::string& words)
{
    switch (style) {
    case ButtonStyle::Tab:
        return {Hex(0x2C5E40), Hex(0x0F2E1C)};
    case ButtonStyle::Plaque:
        return {Hex(0x8A2430), Hex(0x3C0A10)};
    case ButtonStyle::Slot:
        return {Hex(0x0A1510), Hex(0x1A2E22)};
    case ButtonStyle::Lozenge:
        return {Hex(0x2A3A30), Hex(0x101A14)};
    case ButtonStyle::Action: {
        // Each action keeps the colour of its badge at the seats.
        if (words == "Check")
            return {Hex(0x3B5B8C), Hex(0x162844)};
        if (words == "Open")
            return {Hex(0x8C6A1E), Hex(0x3E2C08)};
        if (words == "Fold")
            return {Hex(0x5A5A5A), Hex(0x262626)};
        if (words == "Call")
            return {Hex(0x2E7A44), Hex(0x0F3A1C)};
        if (words == "Raise")
            return {Hex(0xB0561C), Hex(0x4E2006)};
        return {Hex(0xA8202A), Hex(0x4A060C)};
    }
    default:
        return {kLacquerLight, kLacquer};
    }
}

Body StateBody(Body body, State state)
{
    switch (state) {
    case State::Hover:
        return {body.top.Mix(Hex(0xFFE9A8), 0.25), body.bottom.Mix(Hex(0xC08A3A), 0.25)};
    case State::Pressed:
        return {body.bottom.Scaled(0.8), body.top.Scaled(0.75)};
    case State::Selected:
        // Chosen: the face stays dark under its light caption, in a wide gold rim.
        return {body.top.Mix(kGold, 0.12), body.bottom.Scaled(0.85)};
    default:
        return body;
    }
}

Rgb WordColour(State state)
{
    switch (state) {
    case State::Hover:
        return Hex(0xFFF6C8);
    case State::Pressed:
        return Hex(0xE0C890);
    case State::Disabled:
        return Hex(0xB0B0A8);
    case State::Selected:
        return Hex(0xFFE680);
    default:
        return kCream;
    }
}

double Radius(const Rect& area, ButtonStyle style)
{
    if (style == ButtonStyle::Lozenge || style == ButtonStyle::Action)
        return area.h / 2.0;
    if (style == ButtonStyle::Slot)
        return 5;
    return std::min(9.0, area.h * 0.28);
}

} // namespace

void ButtonPainter::PaintSheet(const ImageAsset& sheet, Canvas& canvas) const
{
    const auto style = static_cast<ButtonStyle>(sheet.variant);
    for (const FramePlan& plan : PlanFrames(sheet))
        if (plan.area.w > 2 && plan.area.h > 2)
            PaintFace(canvas, plan.area, style, plan.state, *plan.button);
}

void ButtonPainter::PaintFace(Canvas& canvas, const Rect& area, ButtonStyle style, State state,
                              const SheetButton& button) const
{
    cairo_t* cr = canvas.Cr();
    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    cairo_clip(cr);
    if (style == ButtonStyle::Round || button.glyph == Glyph::Emblem || button.glyph == Glyph::Cross)
        PaintRound(canvas, area, state, button.glyph);
    else {
        PaintBody(canvas, area, style, state, button.words);
        if (button.glyph != Glyph::None)
            PaintGlyph(canvas, area, state, button.glyph);
        PaintWords(canvas, area, style, state, button.words);
    }
    cairo_restore(cr);
    if (state == State::Disabled)
        canvas.Desaturate(area, 0.15, 0.75);
}

void ButtonPainter::PaintBody(Canvas& canvas, const Rect& area, ButtonStyle style, State state,
                              const std::string& words) const
{
    cairo_t* cr = canvas.Cr();
    const Body body = StateBody(BaseBody(style, words), state);
    const double r = Radius(area, style);
    const double x = area.x + 0.5, y = area.y + 0.5, w = area.w - 1.0, h = area.h - 1.0;
    // Drop shadow inside the margin is left out: the frame must stay inside
    // its rectangle. The rim is the brass band, the body inset within it.
    const double rim = style == ButtonStyle::Plaque || state == State::Selected ? 3.0 : (area.h >= 30 ? 2.0 : 1.5);
    canvas.RoundedRect(x, y, w, h, r);
    if (state == State::Selected) {
        canvas.FillBrass(y, y + h, 1.35);
    } else if (style == ButtonStyle::Slot) {
        canvas.FillBrass(y, y + h, 0.75);
    } else {
        canvas.FillBrass(y, y + h, state == State::Hover ? 1.15 : (state == State::Pressed ? 0.8 : 1.0));
    }
    const double ix = x + rim, iy = y + rim, iw = w - 2 * rim, ih = h - 2 * rim;
    canvas.RoundedRect(ix, iy, iw, ih, std::max(1.0, r - rim));
    canvas.FillVertical(iy, iy + ih, body.top, body.bottom);
    if (style == ButtonStyle::Plaque || state == State::Selected) {
        // An engraved inner line.
        canvas.RoundedRect(ix + 3, iy + 3, iw - 6, ih - 6, std::max(1.0, r - rim - 3));
        canvas.SetColor(kBrassLight, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    if (style != ButtonStyle::Slot && state != State::Pressed) {
        // Sheen on the upper half.
        canvas.RoundedRect(ix + 1, iy + 1, iw - 2, ih * 0.48, std::max(1.0, r - rim - 1));
        cairo_pattern_t* sheen = cairo_pattern_create_linear(0, iy, 0, iy + ih * 0.5);
        cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, state == State::Hover ? 0.32 : 0.22);
        cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0.02);
        cairo_set_source(cr, sheen);
        cairo_fill(cr);
        cairo_pattern_destroy(sheen);
    }
    if (state == State::Pressed || style == ButtonStyle::Slot) {
        // Inset shadow along the top edge.
        canvas.RoundedRect(ix, iy, iw, ih, std::max(1.0, r - rim));
        cairo_pattern_t* inset = cairo_pattern_create_linear(0, iy, 0, iy + 6);
        cairo_pattern_add_color_stop_rgba(inset, 0, 0, 0, 0, 0.55);
        cairo_pattern_add_color_stop_rgba(inset, 1, 0, 0, 0, 0);
        cairo_set_source(cr, inset);
        cairo_fill(cr);
        cairo_pattern_destroy(inset);
    }
}

void ButtonPainter::PaintWords(Canvas& canvas, const Rect& area, ButtonStyle style, State state,
                               const std::string& words) const
{
    if (words.empty())
        return;
    const double shift = state == State::Pressed ? 1.0 : 0.0;
    const double size = std::min(area.h * 0.5, style == ButtonStyle::Plaque ? 21.0 : 20.0);
    const Typeface face = style == ButtonStyle::Action ? Typeface::SansBold : Typeface::BoldSerif;
    canvas.TextFit(faces_, face, style == ButtonStyle::Action ? size * 0.8 : size, words, area.x + area.w / 2.0,
                   area.y + area.h / 2.0 + shift, 1, area.w - 14, WordColour(state), 0.85);
}

void ButtonPainter::PaintRound(Canvas& canvas, const Rect& area, State state, Glyph glyph) const
{
    cairo_t* cr = canvas.Cr();
    const double d = std::min(area.w, area.h) - 1.0;
    const double cx = area.x + area.w / 2.0, cy = area.y + area.h / 2.0;
    const double r = d / 2.0;
    canvas.Ellipse(cx, cy, r, r);
    canvas.FillBrass(cy - r, cy + r, state == State::Hover ? 1.2 : (state == State::Pressed ? 0.8 : 1.0));
    const double rim = std::max(1.5, r * 0.14);
    Body body = StateBody({kLacquerLight, kLacquer}, state);
    if (glyph == Glyph::Emblem)
        body = StateBody({Hex(0x1F5A36), Hex(0x0A2414)}, state);
    canvas.Ellipse(cx, cy, r - rim, r - rim);
    canvas.FillVertical(cy - r, cy + r, body.top, body.bottom);
    if (state != State::Pressed) {
        canvas.Ellipse(cx, cy - r * 0.35, (r - rim) * 0.75, (r - rim) * 0.45);
        canvas.SetColor(Hex(0xFFFFFF), state == State::Hover ? 0.22 : 0.14);
        cairo_fill(cr);
    }
    PaintGlyph(canvas, area, state, glyph);
}

void ButtonPainter::PaintGlyph(Canvas& canvas, const Rect& area, State state, Glyph glyph) const
{
    cairo_t* cr = canvas.Cr();
    const double cx = area.x + area.w / 2.0, cy = area.y + area.h / 2.0 + (state == State::Pressed ? 1 : 0);
    const double s = std::min(area.w, area.h) / 2.0;
    const Rgb colour = WordColour(state);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    auto stroke = [&](double width) {
        cairo_set_line_width(cr, width + 1.5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_stroke_preserve(cr);
        canvas.SetColor(colour);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    };
    switch (glyph) {
    case Glyph::Minus:
        cairo_move_to(cr, cx - s * 0.45, cy);
        cairo_line_to(cr, cx + s * 0.45, cy);
        stroke(s * 0.22);
        break;
    case Glyph::Plus:
        cairo_move_to(cr, cx - s * 0.45, cy);
        cairo_line_to(cr, cx + s * 0.45, cy);
        cairo_move_to(cr, cx, cy - s * 0.45);
        cairo_line_to(cr, cx, cy + s * 0.45);
        stroke(s * 0.22);
        break;
    case Glyph::Cross:
        cairo_move_to(cr, cx - s * 0.36, cy - s * 0.36);
        cairo_line_to(cr, cx + s * 0.36, cy + s * 0.36);
        cairo_move_to(cr, cx + s * 0.36, cy - s * 0.36);
        cairo_line_to(cr, cx - s * 0.36, cy + s * 0.36);
        stroke(s * 0.2);
        break;
    case Glyph::Window:
    case Glyph::FullScreen: {
        // A small window, or a screen with arrows to its corners.
        const double w = glyph == Glyph::Window ? s * 1.0 : s * 1.5, h = s * 0.9;
        canvas.RoundedRect(cx - w / 2, cy - h / 2, w, h, 2);
        stroke(1.6);
        if (glyph == Glyph::Window) {
            cairo_move_to(cr, cx - w / 2, cy - h / 2 + h * 0.25);
            cairo_line_to(cr, cx + w / 2, cy - h / 2 + h * 0.25);
            stroke(1.6);
        } else {
            const double a = s * 0.28;
            for (int sx : {-1, 1})
                for (int sy : {-1, 1}) {
                    const double px = cx + sx * (w / 2 - 3), py = cy + sy * (h / 2 - 3);
                    cairo_move_to(cr, px - sx * a, py);
                    cairo_line_to(cr, px, py);
                    cairo_line_to(cr, px, py - sy * a);
                    stroke(1.4);
                }
        }
        break;
    }
    case Glyph::Emblem:
        // The maker's monogram.
        canvas.Text(faces_, Typeface::Chancery, s * 1.25, "T", cx - s * 0.05, cy - s * 0.02, 1, Hex(0xF8E2A0), 0.7);
        cairo_arc(cr, cx, cy, s * 0.66, 0, 2 * M_PI);
        canvas.SetColor(Hex(0xF8E2A0), 0.7);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        break;
    default:
        break;
    }
}

void ButtonPainter::PaintBed(Canvas& canvas, const Rect& area) const
{
    PaintBody(canvas, area, ButtonStyle::Lozenge, State::Normal, "");
}

} // namespace assetgen
