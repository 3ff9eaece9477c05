#include "tools/assetgen/ContactSheet.h"

#include <algorithm>
#include <vector>

namespace assetgen {

namespace {

constexpr int kSheetWidth = 1600;
constexpr int kGap = 12;

// Places boxes left to right, wrapping at the sheet's width.
class Flow {
public:
    explicit Flow(int y) : y_(y) {}
    std::pair<int, int> Place(int w, int h)
    {
        if (x_ + w > kSheetWidth - kGap && x_ > kGap)
            NewRow();
        const std::pair<int, int> at{x_, y_};
        x_ += w + kGap;
        row_ = std::max(row_, h);
        return at;
    }
    void NewRow()
    {
        x_ = kGap;
        y_ += row_ + kGap;
        row_ = 0;
    }
    int Bottom() const { return y_ + row_ + kGap; }

private:
    int x_ = kGap;
    int y_;
    int row_ = 0;
};

const char* StateName(State s)
{
    switch (s) {
    case State::Hover:
        return "hover";
    case State::Pressed:
        return "pressed";
    case State::Disabled:
        return "disabled";
    case State::Selected:
        return "chosen";
    default:
        return "normal";
    }
}

class SheetBuilder {
public:
    SheetBuilder(const AssetGenerator& generator, const Typefaces& faces)
        : generator_(generator), faces_(faces), canvas_(kSheetWidth, 9000)
    {
        canvas_.SetColor(Hex(0x30363A));
        cairo_paint(canvas_.Cr());
    }

    int Heading(int y, const std::string& text)
    {
        canvas_.Text(faces_, Typeface::SansBold, 22, text, kGap, y + 16, 0, Hex(0xF0F0F0), 0.0);
        return y + 36;
    }

    void Label(int x, int y, const std::string& text)
    {
        canvas_.Text(faces_, Typeface::Sans, 11, text, x, y + 6, 0, Hex(0xC8CCD0), 0.0);
    }

    // A dark felt tile behind a piece, so that its transparent margins and
    // its light words read as they will on screen.
    void Tile(int x, int y, int w, int h)
    {
        cairo_rectangle(canvas_.Cr(), x, y, w, h);
        canvas_.SetColor(Hex(0x164A2A));
        cairo_fill(canvas_.Cr());
    }

    int Backgrounds(int y)
    {
        y = Heading(y, "Backgrounds (1024 x 768, shown at 0.3)");
        Flow flow(y);
        for (const ImageAsset& image : GetCatalog().images)
            if (image.painter == Painter::Background) {
                auto [x, py] = flow.Place(308, 246);
                canvas_.Paste(*generator_.PaintImage(image), x, py, 0.3);
                Label(x, py + 234, image.path);
            }
        return flow.Bottom();
    }

    int Plates(int y)
    {
        y = Heading(y, "Dialog plates (at their dialogs' sizes)");
        Flow flow(y);
        for (const ImageAsset& image : GetCatalog().images)
            if (image.painter == Painter::Plate) {
                auto [x, py] = flow.Place(std::max(image.width, 200), image.height + 16);
                canvas_.Paste(*generator_.PaintImage(image), x, py);
                Label(x, py + image.height + 2, image.path);
            }
        return flow.Bottom();
    }

    int Buttons(int y)
    {
        y = Heading(y, "Buttons: each frame cut at its source rectangle");
        Flow flow(y);
        for (const ImageAsset& image : GetCatalog().images) {
            if (image.painter != Painter::ButtonSheet)
                continue;
            std::unique_ptr<Canvas> sheet = generator_.PaintImage(image);
            for (const SheetButton& button : image.buttons) {
                int w = 0, h = 0;
                for (const Frame& f : button.frames) {
                    w += f.rect.w + 6;
                    h = std::max(h, f.rect.h);
                }
                const std::string name = image.path + (button.words.empty() ? "" : " \"" + button.words + "\"");
                w = std::max(w, static_cast<int>(canvas_.TextWidth(faces_, Typeface::Sans, 11, name)) + 4);
                auto [x, py] = flow.Place(w, h + 30);
                int fx = x;
                for (const Frame& f : button.frames) {
                    Tile(fx, py, f.rect.w, f.rect.h);
                    Canvas crop(f.rect.w, f.rect.h);
                    crop.Paste(*sheet, -f.rect.x, -f.rect.y);
                    canvas_.Paste(crop, fx, py);
                    Label(fx, py + h + 2, StateName(f.state));
                    fx += f.rect.w + 6;
                }
                Label(x, py + h + 16, name);
            }
        }
        return flow.Bottom();
    }

    int Pieces(int y)
    {
        y = Heading(y, "Table pieces, chips, frames");
        Flow flow(y);
        for (const ImageAsset& image : GetCatalog().images) {
            const bool piece = image.painter != Painter::Background && image.painter != Painter::Plate &&
                               image.painter != Painter::ButtonSheet && image.painter != Painter::CardFace &&
                               image.painter != Painter::CardBack && image.painter != Painter::CardMask;
            if (!piece)
                continue;
            const std::string name = image.path.substr(image.path.find('/') + 1);
            const int w = std::max(image.width, static_cast<int>(canvas_.TextWidth(faces_, Typeface::Sans, 11, name)));
            auto [x, py] = flow.Place(w, image.height + 16);
            Tile(x, py, image.width, image.height);
            canvas_.Paste(*generator_.PaintImage(image), x, py);
            Label(x, py + image.height + 2, name);
        }
        return flow.Bottom();
    }

    int Cards(int y)
    {
        y = Heading(y, "Cards: set 1 (human, board), set 2 (computer), back, masks");
        Flow flow(y);
        int count = 0;
        for (const ImageAsset& image : GetCatalog().images) {
            if (image.painter != Painter::CardFace && image.painter != Painter::CardBack &&
                image.painter != Painter::CardMask)
                continue;
            if (count > 0 && count % 13 == 0 && count <= 104)
                flow.NewRow();
            auto [x, py] = flow.Place(image.width, image.height);
            Tile(x, py, image.width, image.height);
            canvas_.Paste(*generator_.PaintImage(image), x, py);
            ++count;
        }
        return flow.Bottom();
    }

    int Fonts(int y)
    {
        y = Heading(y, "Image fonts (drawn from their glyph images, with kerning)");
        const char* lines[4] = {" !\"#$%&'()*+,-./0123456789:;<=>?@", "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`",
                                "abcdefghijklmnopqrstuvwxyz{|}~", "Min bet: $25  AVATAR Wave, To put in 1 250"};
        for (const FontAsset& font : GetCatalog().fonts) {
            const BakedFont baked = generator_.BakeFont(font);
            Label(kGap, y, font.descriptor);
            y += 14;
            for (const char* line : lines) {
                Tile(kGap, y, kSheetWidth - 2 * kGap, baked.height + 4);
                FontBaker::Render(canvas_, baked, line, kGap + 6, y + 2, Hex(0xF8D057));
                y += baked.height + 6;
            }
            y += 8;
        }
        return y + kGap;
    }

    bool Write(const std::string& path, int height, std::string* error)
    {
        Canvas out(kSheetWidth, height);
        out.Paste(canvas_, 0, 0);
        return out.WritePng(path, error);
    }

private:
    const AssetGenerator& generator_;
    const Typefaces& faces_;
    Canvas canvas_;
};

} // namespace

bool WriteContactSheet(const AssetGenerator& generator, const Typefaces& faces, const std::string& path,
                       std::string* error)
{
    SheetBuilder sheet(generator, faces);
    int y = kGap;
    y = sheet.Backgrounds(y);
    y = sheet.Plates(y);
    y = sheet.Buttons(y);
    y = sheet.Pieces(y);
    y = sheet.Cards(y);
    y = sheet.Fonts(y);
    return sheet.Write(path, std::min(y, 9000), error);
}

} // namespace assetgen
