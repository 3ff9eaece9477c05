// Mock screens: the assets composed where the game's screens put them, with
// the texts drawn in the image fonts and colours the screens use, so that
// the art can be judged in place before the screens exist.
#include "tools/assetgen/ContactSheet.h"

#include <map>

namespace assetgen {

namespace {

const ImageAsset& Find(const std::string& path)
{
    for (const ImageAsset& image : GetCatalog().images)
        if (image.path == path)
            return image;
    return GetCatalog().images.front();
}

const FontAsset& FindFont(const std::string& path)
{
    for (const FontAsset& font : GetCatalog().fonts)
        if (font.descriptor == path)
            return font;
    return GetCatalog().fonts.front();
}

class Mock {
public:
    Mock(const AssetGenerator& generator) : generator_(generator), screen_(1024, 768) {}

    Canvas& Screen() { return screen_; }

    Canvas& Image(const std::string& path)
    {
        auto it = images_.find(path);
        if (it == images_.end())
            it = images_.emplace(path, generator_.PaintImage(Find(path))).first;
        return *it->second;
    }

    const BakedFont& Font(const std::string& path)
    {
        auto it = fonts_.find(path);
        if (it == fonts_.end())
            it = fonts_.emplace(path, generator_.BakeFont(FindFont(path))).first;
        return it->second;
    }

    // An image centred on (x, y), or with its bottom at y when bottomAligned.
    void Put(const std::string& path, int x, int y, bool bottomAligned = false)
    {
        Canvas& c = Image(path);
        screen_.Paste(c, x - c.Width() / 2, bottomAligned ? y - c.Height() : y - c.Height() / 2);
    }

    // One frame of a sheet's button, centred on (x, y).
    void PutButton(const std::string& path, int button, int frame, int x, int y)
    {
        const Rect& r = Find(path).buttons[static_cast<size_t>(button)].frames[static_cast<size_t>(frame)].rect;
        Canvas crop(r.w, r.h);
        crop.Paste(Image(path), -r.x, -r.y);
        screen_.Paste(crop, x - r.w / 2, y - r.h / 2);
    }

    // Text the way a string object aligned (h, v) draws it: the baseline one
    // line height below the top of its box.
    void Say(const std::string& font, const std::string& text, int x, int y, int h, int v, const Rgb& colour)
    {
        const BakedFont& f = Font(font);
        const int w = FontBaker::Measure(f, text);
        const double left = h == 1 ? x - w / 2 : (h == 2 ? x - w : x);
        const double top = v == 1 ? y - f.height / 2 : (v == 2 ? y - f.height : y);
        FontBaker::Render(screen_, f, text, left, top + f.height - f.ascent, colour);
    }

private:
    const AssetGenerator& generator_;
    Canvas screen_;
    std::map<std::string, std::unique_ptr<Canvas>> images_;
    std::map<std::string, BakedFont> fonts_;
};

const Rgb kWhite = Hex(0xFFFFFF);
const Rgb kYellow = Hex(0xFFFF0A);
const Rgb kGoldText = Hex(0xF8D057);
const Rgb kGreyText = Hex(0xCBCBC0);
const Rgb kOrange = Hex(0xF0B015);

void TableScreen(Mock& m)
{
    m.Put("images/game_fon/redtable.jpg", 512, 384);
    const auto& seats = kSeatLayout;
    const char* names[10] = {"Alice", "Jacob", "Emma", "Michael", "Sophia", "Daniel", "Olivia", "James", "Grace",
                             "Noah"};
    const int bets[10] = {0, 50, 0, 125, 0, 2500, 0, 7, 0, 1250};
    const char* holes[2] = {"images/cards/set1/As.png", "images/cards/set1/Kb.png"};
    for (int s = 0; s < 10; ++s) {
        const int* l = seats[s];
        const int px = l[0] + l[2], py = l[1] + l[3];
        m.Put(s == 3 ? "images/player/back_h.png" : "images/player/back.png", px, py);
        m.Say("fonts/MonotypeCorsiva14Italics.txt", names[s], px - 5, py + 14, 1, 1,
              s == 3 ? Hex(0xFFE628) : kWhite);
        m.Say("fonts/MonotypeCorsiva14Italics.txt", "$ 1 975", px - 5, py + 34, 1, 1, kWhite);
        for (int c = 0; c < 2; ++c)
            m.Put(s == 0 ? holes[c] : (s == 7 ? (c ? "images/cards/set2/9d.png" : "images/cards/set2/0c.png")
                                              : "images/cards/back2.png"),
                  l[0] + (c ? -14 : -52), l[1] - 10, true);
        if (bets[s] > 0) {
            const int bx = l[0] + l[8], by = l[1] + l[9];
            int value = bets[s], i = 0;
            for (int chip : kChipValues)
                while (value >= chip && i < 18) {
                    m.Put("images/player/chips/" + std::to_string(chip) + ".png", bx, by - 3 * i++);
                    value -= chip;
                }
            m.Put("images/player/bet_fon.png", bx, by);
            m.Say("fonts/a_BosaNova10.txt", "$ " + std::to_string(bets[s]), bx, by, 1, 1, kWhite);
        }
    }
    m.Put("images/player/dealer.png", 150 - 34, 330 - 122, true);
    m.Put("images/player/actions/raise.png", 960 - 36, 330 - 74);
    m.Put("images/player/actions/call.png", 265 - 36, 605 - 24);
    m.Put("images/player/actions/fold.png", 960 - 36, 480 - 24);
    m.Put("images/player/winner.png", 830 - 40, 605 - 24);
    const char* board[5] = {"Qb", "0s", "4d", "", ""};
    for (int k = 0; k < 3; ++k)
        m.Put(std::string("images/cards/set1/") + board[k] + ".png", 312 + 94 * k, 305);
    m.Put("images/cards/mask1.png", 312 + 94 * 2, 305);
    m.Put("images/stages/flop.png", 512, 400);
    m.Put("images/main_pot.png", 780, 320);
    m.Say("fonts/a_BosaNova14.txt", "$1 250", 775, 320, 1, 1, kWhite);
    m.Say("fonts/Sylfaen19Bold.txt", "Pot", 75, 384 - 127, 0, 0, kWhite);
    m.PutButton("images/btn_menu.png", 0, 0, 90, 730);
    const int actionX[6] = {-210, 270, -90, 150, 30, 390};
    for (int b = 0; b < 6; ++b)
        m.PutButton("images/player/buttons.png", b, b == 4 ? 1 : (b == 1 ? 3 : 0), 512 + actionX[b], 730);
    m.Put("images/dialog/trn_info.png", 69, 85);
    m.Say("fonts/MonotypeCorsiva14Italics.txt", "Satellite N", 69, 25, 1, 1, kYellow);
    const char* labels[4] = {"Min bet: ", "Level: ", "Level time: ", "Total pot: "};
    const char* values[4] = {"$8", "2", "1:35", "$200"};
    for (int i = 0; i < 4; ++i) {
        m.Say("fonts/a_BosaNova14.txt", labels[i], 89, 55 + 30 * i, 2, 1, kGoldText);
        m.Say("fonts/a_BosaNova14.txt", values[i], 109, 55 + 30 * i, 1, 1, kGoldText);
    }
}

void StartScreen(Mock& m)
{
    m.Put("images/game_fon/fon_start.jpg", 512, 384);
    m.PutButton("images/btn_game_modes.png", 0, 0, 644, 364);
    m.PutButton("images/btn_game_modes.png", 1, 1, 522, 334);
    m.PutButton("images/btn_game_modes.png", 2, 0, 402, 372);
    m.PutButton("images/btn_game_modes.png", 3, 0, 532, 504);
    m.PutButton("images/btn_options.png", 0, 0, 112, 734);
    m.PutButton("images/btn_close.png", 0, 0, 1000, 50);
    m.PutButton("images/buttons/btn_tovrelly.png", 0, 0, 52, 49);
    m.Say("fonts/MonotypeCorsiva14Italics.txt", "if you not Alice click here", 512, 199 - 5, 1, 1, kGreyText);
    m.Say("fonts/a_BosaNova14.txt", "New version of the game has been released. Click here to download.", 512, 734,
          1, 1, kWhite);
}

void CashSetupScreen(Mock& m)
{
    m.Put("images/game_fon/fon_rules_limit.jpg", 512, 384);
    const int xs[3] = {291, 514, 735}, ys[2] = {288, 466};
    const char* captions[6] = {"$1/$2", "$2/$4", "$4/$8", "$10/$20", "$25/$50", "$50/$100"};
    for (int i = 0; i < 6; ++i) {
        const int x = xs[i % 3], y = ys[i / 3];
        // The second stake is chosen, the pointer is over the fifth.
        m.Put(i == 1   ? "images/game_fon/fon_rules_unlim_border.png"
              : i == 4 ? "images/game_fon/fon_rules_unlim_border_hover.png"
                       : "images/game_fon/fon_rules_unlim_border_clear.png",
              x, y);
        m.Say("fonts/BrushScriptStd18.txt", captions[i], x, y - 5, 1, 1,
              i == 1 ? Hex(0xCBCBC0) : (i == 4 ? Hex(0xFFFF80) : Hex(0x000000)));
    }
    const char* labels[3] = {"Small bet: ", "Big bet: ", "Start cash: "};
    const char* values[3] = {"$ 4", "$ 8", "$ 400"};
    for (int i = 0; i < 3; ++i) {
        m.Say("fonts/BrushScriptStd18.txt", labels[i], 362, 604 + 40 * i, 2, 1, kOrange);
        m.Say("fonts/BrushScriptStd18.txt", values[i], 402, 604 + 40 * i, 0, 1, kOrange);
    }
    m.Say("fonts/BrushScriptStd18.txt", "Players number: ", 598, 644, 0, 1, kOrange);
    m.Say("fonts/BrushScriptStd18.txt", "10", 672, 684, 1, 1, kOrange);
    m.PutButton("images/dialog/options/bt_opt.png", 0, 0, 612, 687);
    m.PutButton("images/dialog/options/bt_opt.png", 1, 3, 732, 687);
    m.PutButton("images/btn_sel_rules_scr.png", 2, 0, 912, 704);
    m.PutButton("images/btn_sel_rules_scr.png", 0, 0, 112, 684);
    m.PutButton("images/btn_options.png", 0, 1, 112, 734);
    m.PutButton("images/btn_customize.png", 0, 0, 912, 644);
    m.PutButton("images/btn_close.png", 0, 0, 1000, 50);
    m.PutButton("images/buttons/btn_tovrelly.png", 0, 0, 52, 49);
}

void DialogsScreen(Mock& m)
{
    m.Put("images/game_fon/redtable.jpg", 512, 384);
    m.Put("images/dialog/options/dlg.png", 512, 384);
    const int ox = 512 - 210, oy = 384 - 225;
    const char* values[3] = {"20 %", "60 %", "6"};
    for (int i = 0; i < 3; ++i) {
        m.Say("fonts/BrushScriptStd18.txt", values[i], ox + 210, oy + 147 + 73 * i, 1, 1, kGreyText);
        m.PutButton("images/dialog/options/bt_opt.png", 0, 0, ox + 110, oy + 152 + 73 * i - (i == 1 ? 1 : 0));
        m.PutButton("images/dialog/options/bt_opt.png", 1, i == 0 ? 1 : 0, ox + 310, oy + 152 + 73 * i);
    }
    m.PutButton("images/dialog/options/bt_fs.png", 1, 0, ox + 210, oy + 370);
    m.PutButton("images/dialog/options/bt_fs.png", 2, 0, ox + 210, oy + 415);
    m.Put("images/dialog/finish_big.png", 520, 690);
    m.Say("fonts/a_BosaNova20.txt", "Main pot", 520, 690 - 45, 1, 1, kWhite);
    m.Say("fonts/a_BosaNova20.txt", "Alice win $1250 with Full House", 520, 690, 1, 1, kYellow);
    m.Say("fonts/a_BosaNova14.txt", "Close", 520 - 2, 690 + 45 - 5, 1, 1, kWhite);
    m.Put("images/dialog/finish.png", 512, 60);
    m.Say("fonts/a_BosaNova20.txt", "Re-Buy 1000 chips for $20?", 512, 35, 1, 1, kYellow);
    m.Say("fonts/a_BosaNova14.txt", "Yes", 612 - 2, 80, 1, 1, kWhite);
    m.Say("fonts/a_BosaNova14.txt", "No", 412 - 2, 80, 1, 1, Hex(0xFFFF80));
}

} // namespace

bool WriteMockScreens(const AssetGenerator& generator, const Typefaces&, const std::string& folder,
                      std::string* error)
{
    struct Entry {
        const char* name;
        void (*compose)(Mock&);
    };
    const Entry entries[] = {{"table.png", TableScreen},
                             {"start.png", StartScreen},
                             {"setup.png", CashSetupScreen},
                             {"dialogs.png", DialogsScreen}};
    for (const Entry& e : entries) {
        Mock mock(generator);
        e.compose(mock);
        if (!mock.Screen().WritePng(folder + "/" + e.name, error))
            return false;
    }
    return true;
}

} // namespace assetgen
