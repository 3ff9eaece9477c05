#include "BlockFont.h"

#include "framework/graphics/Graphics.h"

#include <cctype>
#include <cstring>

namespace scenerender {

namespace {

// Five rows of three dots per character, top row first, as octal digits.
struct Glyph {
    char c;
    const char* rows;
};
constexpr Glyph kGlyphs[] = {
    {'A', "25775"}, {'B', "67576"}, {'C', "34443"}, {'D', "65556"}, {'E', "74647"}, {'F', "74644"},
    {'G', "34553"}, {'H', "55755"}, {'I', "72227"}, {'J', "11153"}, {'K', "55655"}, {'L', "44447"},
    {'M', "57755"}, {'N', "65555"}, {'O', "25552"}, {'P', "65644"}, {'Q', "25573"}, {'R', "65655"},
    {'S', "34716"}, {'T', "72222"}, {'U', "55557"}, {'V', "55552"}, {'W', "55775"}, {'X', "55255"},
    {'Y', "55222"}, {'Z', "71247"}, {'0', "75557"}, {'1', "26227"}, {'2', "61247"}, {'3', "71317"},
    {'4', "55711"}, {'5', "74616"}, {'6', "34757"}, {'7', "71122"}, {'8', "75757"}, {'9', "75716"},
    {'$', "36736"}, {'.', "00002"}, {',', "00024"}, {'!', "22202"}, {':', "02020"}, {'-', "00700"},
    {'^', "25000"},
};

const char* RowsOf(char c)
{
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& g : kGlyphs)
        if (g.c == up)
            return g.rows;
    return nullptr;
}

} // namespace

BlockFont::BlockFont(int scale) : scale_(scale)
{
    ascent_ = 5 * scale;
    ascentPadding_ = 0;
    height_ = 7 * scale;
    lineSpacingOffset_ = scale;
}

int32_t BlockFont::MeasureCharAfter(char, char) { return 4 * scale_; }

int32_t BlockFont::MeasureText(const std::string& text) { return static_cast<int32_t>(text.size()) * 4 * scale_; }

void BlockFont::RenderText(Zolt::Graphics* g, int x, int y, const std::string& text, const Zolt::Color& color,
                           const Zolt::Rect&)
{
    const Zolt::Color saved = g->GetColor();
    g->SetColor(color);
    const int top = y - ascent_;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* rows = RowsOf(text[i]);
        if (!rows)
            continue;
        const int left = x + static_cast<int>(i) * 4 * scale_;
        for (int r = 0; r < 5; ++r) {
            const int bits = rows[r] - '0';
            for (int col = 0; col < 3; ++col)
                if (bits & (4 >> col))
                    g->FillRectangle(left + col * scale_, top + r * scale_, scale_, scale_);
        }
    }
    g->SetColor(saved);
}

} // namespace scenerender
