#include "tools/assetgen/Canvas.h"

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace assetgen {

Rgb Hex(uint32_t rgb)
{
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

namespace palette {
const Rgb kFelt = Hex(0x1E6B3C);
const Rgb kFeltDark = Hex(0x0C3A1F);
const Rgb kWood = Hex(0x5A2E17);
const Rgb kWoodDark = Hex(0x2A130A);
const Rgb kBrass = Hex(0xB8913A);
const Rgb kBrassLight = Hex(0xF4DC8C);
const Rgb kBrassDark = Hex(0x6B4E17);
const Rgb kLacquer = Hex(0x3A1410);
const Rgb kLacquerLight = Hex(0x6E2A1E);
const Rgb kIvory = Hex(0xFBF6E9);
const Rgb kCream = Hex(0xF3E3B5);
const Rgb kGold = Hex(0xF8D057);
} // namespace palette

namespace {

double Lattice(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

double Smooth(double t)
{
    return t * t * (3 - 2 * t);
}

double ValueNoise(double x, double y, uint32_t seed)
{
    const int xi = static_cast<int>(std::floor(x));
    const int yi = static_cast<int>(std::floor(y));
    const double fx = Smooth(x - xi);
    const double fy = Smooth(y - yi);
    const double a = Lattice(xi, yi, seed), b = Lattice(xi + 1, yi, seed);
    const double c = Lattice(xi, yi + 1, seed), d = Lattice(xi + 1, yi + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

} // namespace

double FractalNoise(double x, double y, uint32_t seed, int octaves)
{
    double sum = 0, weight = 0, amplitude = 1, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x * frequency, y * frequency, seed + static_cast<uint32_t>(i) * 101u) * amplitude;
        weight += amplitude;
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / weight;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_))
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void Canvas::SetColor(const Rgb& c, double alpha)
{
    cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha);
}

void Canvas::RoundedRect(double x, double y, double w, double h, double r)
{
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr_, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr_);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry)
{
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, rx, ry);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr_);
}

void Canvas::FillVertical(double y0, double y1, const Rgb& top, const Rgb& bottom, double alpha)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr_, p);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

namespace {

cairo_pattern_t* BrassPattern(double y0, double y1, double k)
{
    using namespace palette;
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    const Rgb stops[5] = {kBrassLight.Scaled(k), kBrass.Scaled(k), kBrassDark.Scaled(k), kBrass.Scaled(k),
                          kBrassLight.Scaled(0.9 * k)};
    const double at[5] = {0.0, 0.3, 0.55, 0.8, 1.0};
    for (int i = 0; i < 5; ++i)
        cairo_pattern_add_color_stop_rgb(p, at[i], std::min(1.0, stops[i].r), std::min(1.0, stops[i].g),
                                         std::min(1.0, stops[i].b));
    return p;
}

} // namespace

void Canvas::FillBrass(double y0, double y1, double brightness)
{
    cairo_pattern_t* p = BrassPattern(y0, y1, brightness);
    cairo_set_source(cr_, p);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

void Canvas::StrokeBrass(double y0, double y1, double width, double brightness)
{
    cairo_pattern_t* p = BrassPattern(y0, y1, brightness);
    cairo_set_source(cr_, p);
    cairo_set_line_width(cr_, width);
    cairo_stroke(cr_);
    cairo_pattern_destroy(p);
}

double Canvas::TextWidth(const Typefaces& faces, Typeface face, double size, const std::string& text) const
{
    return faces.Shape(face, size, text).advance;
}

void Canvas::Text(const Typefaces& faces, Typeface face, double size, const std::string& text, double x, double y,
                  int align, const Rgb& colour, double shadowAlpha, double alpha)
{
    ShapedLine line = faces.Shape(face, size, text);
    const GlyphMetrics h = faces.Measure(face, size, 'H');
    const double baseline = y + (h.bottom - h.top) / 2.0;
    double left = x;
    if (align == 1)
        left = x - line.advance / 2.0;
    else if (align == 2)
        left = x - line.advance;
    cairo_save(cr_);
    cairo_set_font_face(cr_, faces.CairoFace(face));
    cairo_set_font_size(cr_, size);
    auto draw = [&](double dx, double dy) {
        std::vector<cairo_glyph_t> glyphs = line.glyphs;
        for (cairo_glyph_t& g : glyphs) {
            g.x += left + dx;
            g.y += baseline + dy;
        }
        cairo_show_glyphs(cr_, glyphs.data(), static_cast<int>(glyphs.size()));
    };
    if (shadowAlpha > 0) {
        const double offset = std::max(1.0, size / 16.0);
        cairo_set_source_rgba(cr_, 0, 0, 0, shadowAlpha * alpha);
        draw(offset * 0.6, offset);
    }
    SetColor(colour, alpha);
    draw(0, 0);
    cairo_restore(cr_);
}

void Canvas::TextFit(const Typefaces& faces, Typeface face, double size, const std::string& text, double x, double y,
                     int align, double maxWidth, const Rgb& colour, double shadowAlpha)
{
    const double width = TextWidth(faces, face, size, text);
    if (width > maxWidth && width > 0)
        size *= maxWidth / width;
    Text(faces, face, size, text, x, y, align, colour, shadowAlpha);
}

void Canvas::Grain(const Rect& area, uint32_t seed, double strength, double stretchX, double stretchY)
{
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = std::max(0, area.y); y < std::min(height_, area.Bottom()); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = std::max(0, area.x); x < std::min(width_, area.Right()); ++x) {
            const double n = FractalNoise(x / stretchX, y / stretchY, seed, 4);
            const double k = 1.0 + (n - 0.5) * 2.0 * strength;
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            auto channel = [&](int shift) {
                const double v = ((p >> shift) & 0xFF) * k;
                return static_cast<uint32_t>(std::clamp(v, 0.0, static_cast<double>(a)));
            };
            row[x] = (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
        }
    }
    cairo_surface_mark_dirty(surface_);
}

void Canvas::Desaturate(const Rect& area, double keep, double dim)
{
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = std::max(0, area.y); y < std::min(height_, area.Bottom()); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = std::max(0, area.x); x < std::min(width_, area.Right()); ++x) {
            const uint32_t p = row[x];
            const double r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            const double grey = 0.3 * r + 0.59 * g + 0.11 * b;
            auto mix = [&](double c) { return static_cast<uint32_t>((grey + (c - grey) * keep) * dim); };
            row[x] = (p & 0xFF000000u) | (mix(r) << 16) | (mix(g) << 8) | mix(b);
        }
    }
    cairo_surface_mark_dirty(surface_);
}

void Canvas::Paste(const Canvas& other, double x, double y, double scale, double alpha)
{
    cairo_save(cr_);
    cairo_translate(cr_, x, y);
    cairo_scale(cr_, scale, scale);
    cairo_set_source_surface(cr_, other.surface_, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), scale < 1.0 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_paint_with_alpha(cr_, alpha);
    cairo_restore(cr_);
}

bool Canvas::WritePng(const std::string& path, std::string* error) const
{
    cairo_surface_flush(surface_);
    const cairo_status_t status = cairo_surface_write_to_png(surface_, path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        *error = "cannot write " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

bool Canvas::WriteJpeg(const std::string& path, int quality, std::string* error) const
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width_);
    info.image_height = static_cast<JDIMENSION>(height_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-resolution colour keeps the painted lettering crisp.
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width_) * 3);
    while (info.next_scanline < info.image_height) {
        const auto* src = reinterpret_cast<const uint32_t*>(data + info.next_scanline * stride);
        for (int x = 0; x < width_; ++x) {
            row[x * 3] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>(src[x] & 0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const bool ok = std::fclose(file) == 0;
    if (!ok)
        *error = "cannot finish " + path;
    return ok;
}

} // namespace assetgen
