#include "tools/assetgen/AssetCatalog.h"

#include <algorithm>
#include <utility>

namespace assetgen {

const char* const kRankLetters[13] = {"2", "3", "4", "5", "6", "7", "8", "9", "0", "J", "Q", "K", "A"};
const char* const kSuitLetters[4] = {"s", "c", "d", "b"};
const int kChipValues[12] = {5000, 2500, 1000, 500, 250, 100, 50, 25, 10, 5, 2, 1};
// The caption's capitals stand two pixels below the button's middle.
const Rect kStakeCard = {29, 53, 128, 30};

const int kSeatLayout[10][10] = {
    {512, 630, -13, -5, 33, 33, -36, -24, 50, -70},     {265, 605, -67, 0, -21, 38, -36, -24, 50, -50},
    {150, 480, -80, 0, -34, 38, -36, -24, 55, -40},     {150, 330, -80, -160, -34, -122, -36, -74, 40, -30},
    {275, 165, -67, -160, -21, -122, -36, -74, 50, 20}, {512, 165, -13, -160, 33, -122, -36, -74, 50, 20},
    {815, 165, 0, -160, -46, -122, -36, -74, -110, 20}, {960, 330, 0, -160, -46, -122, -36, -74, -105, -30},
    {960, 480, 0, 0, -46, 38, -36, -24, -115, -40},     {830, 605, 0, 0, -46, 38, -36, -24, -110, -50},
};

namespace {

constexpr State kStateOrder[4] = {State::Normal, State::Hover, State::Pressed, State::Disabled};

// A button whose four frames stand in one column at x, each w x h, at the
// given rows in the order normal, hover, pressed, disabled.
SheetButton Column(const std::string& words, int x, int w, int h, std::vector<int> rows, Glyph glyph = Glyph::None)
{
    SheetButton button{words, glyph, {}};
    for (size_t i = 0; i < rows.size(); ++i)
        button.frames.push_back({{x, rows[i], w, h}, kStateOrder[i]});
    return button;
}

ImageAsset Sheet(const std::string& path, int width, int height, std::vector<SheetButton> buttons,
                 ButtonStyle style)
{
    ImageAsset image;
    image.path = path;
    image.painter = Painter::ButtonSheet;
    image.width = width;
    image.height = height;
    image.buttons = std::move(buttons);
    image.variant = static_cast<int>(style);
    return image;
}

ImageAsset Plate(const std::string& path, int width, int height, PlateDetails details)
{
    ImageAsset image;
    image.path = path;
    image.painter = Painter::Plate;
    image.width = width;
    image.height = height;
    image.plate = std::move(details);
    image.exactSize = true;
    return image;
}

ImageAsset Piece(const std::string& path, Painter painter, int width, int height, const std::string& words = "",
                 int variant = 0)
{
    ImageAsset image;
    image.path = path;
    image.painter = painter;
    image.width = width;
    image.height = height;
    image.words = words;
    image.variant = variant;
    return image;
}

ImageAsset Backdrop(const std::string& path, BackgroundDetails details)
{
    ImageAsset image;
    image.path = path;
    image.painter = Painter::Background;
    image.width = 1024;
    image.height = 768;
    image.background = std::move(details);
    image.exactSize = true;
    return image;
}

// A caption-only button bed of the given size for a caption button centred
// on (x, y). The dialogs draw such a caption 2 pixels left of the button's
// middle (and lift it 5 pixels, which stands its capitals in the middle), so
// the bed is centred there.
Rect Bed(int x, int y, int w = 76, int h = 20)
{
    constexpr int kCaptionDx = -2;
    return {x + kCaptionDx - w / 2, y - h / 2, w, h};
}

void AddButtonSheets(std::vector<ImageAsset>& out)
{
    const std::vector<int> defRows = {0, 27, 54, 81};
    out.push_back(Sheet("images/btn_def.png", 108, 108, {Column("", 0, 108, 27, defRows)}, ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_opt_tab.png", 108, 108, {Column("", 0, 108, 27, defRows)}, ButtonStyle::Tab));
    out.push_back(Sheet("images/btn_menu.png", 108, 108, {Column("Menu", 0, 108, 27, defRows)}, ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_game_modes.png", 446, 204,
                        {Column("No Limit", 0, 108, 52, {0, 48, 102, 152}),
                         Column("Pot Limit", 334, 112, 52, {0, 48, 102, 152}),
                         Column("Limit", 108, 76, 52, {0, 48, 102, 152}),
                         Column("Tournament", 186, 148, 49, {0, 49, 103, 152})},
                        ButtonStyle::Plaque));
    // The start screen and the set-up screens cut the disabled frame two
    // rows apart: both rectangles are kept, and the frame is drawn where they
    // overlap.
    SheetButton options = Column("Options", 0, 100, 41, {2, 45, 89, 130});
    options.frames.push_back({{0, 132, 100, 41}, State::Disabled});
    out.push_back(Sheet("images/btn_options.png", 100, 173, {options}, ButtonStyle::Lacquer));
    SheetButton close{"", Glyph::Cross, {{{0, 0, 32, 32}, State::Normal}, {{0, 32, 32, 32}, State::Hover}}};
    out.push_back(Sheet("images/btn_close.png", 32, 64, {close}, ButtonStyle::Round));
    out.push_back(Sheet("images/btn_sel_rules_scr.png", 292, 124,
                        {Column("Back", 0, 106, 30, {1, 32, 63, 94}),
                         Column("Continue", 108, 78, 30, {1, 33, 63, 35}),
                         Column("Start", 188, 104, 28, {4, 34, 65, 95})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_customize.png", 135, 137, {Column("Customize", 0, 135, 32, {0, 35, 70, 105})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_statistic.png", 137, 219, {Column("Statistics", 0, 137, 50, {0, 56, 113, 169})},
                        ButtonStyle::Lacquer));
    // A tournament button's disabled frame marks the chosen tournament; the
    // frame at the foot is the others' while a dialog holds the screen.
    SheetButton trn{"", Glyph::None,
                    {{{0, 0, 122, 38}, State::Normal},
                     {{0, 46, 122, 38}, State::Hover},
                     {{0, 137, 122, 38}, State::Pressed},
                     {{0, 90, 122, 38}, State::Selected},
                     {{0, 182, 122, 38}, State::Disabled}}};
    out.push_back(Sheet("images/btn_trn.png", 122, 220, {trn}, ButtonStyle::Lacquer));
    out.push_back(Sheet("images/dialog/options/bt_opt.png", 56, 114,
                        {Column("", 0, 28, 28, {0, 29, 58, 86}, Glyph::Minus),
                         Column("", 28, 28, 28, {0, 29, 58, 86}, Glyph::Plus)},
                        ButtonStyle::Round));
    out.push_back(Sheet("images/dialog/options/bt_fs.png", 156, 175,
                        {Column("", 0, 42, 42, {0, 44, 89, 133}, Glyph::Window),
                         Column("", 44, 60, 42, {0, 44, 89, 133}, Glyph::FullScreen),
                         Column("OK", 104, 52, 42, {0, 44, 89, 133})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_yes_no.png", 129, 204,
                        {Column("Yes", 0, 70, 50, {0, 51, 102, 154}), Column("No", 71, 58, 50, {0, 51, 102, 154})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_ok_cancel.png", 166, 166,
                        {Column("OK", 0, 56, 36, {0, 43, 87, 130}), Column("Cancel", 56, 110, 36, {0, 44, 87, 130})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_new_delete.png", 175, 171,
                        {Column("Delete", 0, 95, 41, {0, 43, 87, 130}), Column("New", 95, 80, 41, {0, 43, 87, 130})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_game_menu.png", 594, 217,
                        {Column("Resume", 0, 134, 50, {4, 60, 117, 167}),
                         Column("Rules", 134, 102, 50, {4, 60, 117, 167}),
                         Column("Leave table", 236, 228, 50, {8, 63, 117, 167}),
                         Column("Options", 464, 130, 50, {7, 61, 116, 165})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_game_menu_leave.png", 103, 217, {Column("Leave", 0, 103, 50, {7, 63, 120, 167})},
                        ButtonStyle::Lacquer));
    out.push_back(Sheet("images/btn_exit.png", 80, 219, {Column("Exit", 0, 80, 56, {0, 54, 109, 163})},
                        ButtonStyle::Lacquer));
    const std::vector<int> actionRows = {0, 38, 75, 114};
    SheetButton actions[6] = {Column("Check", 0, 78, 37, actionRows), Column("Raise", 78, 76, 37, actionRows),
                              Column("Open", 155, 70, 37, actionRows), Column("Call", 224, 60, 37, actionRows),
                              Column("Fold", 284, 64, 37, actionRows), Column("All-in", 347, 65, 37, actionRows)};
    for (SheetButton& b : actions)
        b.frames.back().rect.h = 35; // the disabled row is two pixels shorter
    out.push_back(Sheet("images/player/buttons.png", 412, 149, {std::begin(actions), std::end(actions)},
                        ButtonStyle::Action));
    // The customize dialog's four choices, one under the other, all of one size.
    out.push_back(Sheet("images/dialog/customize/btn_cust.png", 556, 139,
                        {Column("Random", 0, 136, 32, {0, 35, 69, 105}),
                         Column("Cautious", 140, 136, 32, {0, 35, 69, 105}),
                         Column("Balanced", 280, 136, 32, {0, 35, 69, 105}),
                         Column("Aggressive", 420, 136, 32, {0, 35, 69, 105})},
                        ButtonStyle::Choice));
    SheetButton emblem{"", Glyph::Emblem,
                       {{{0, 0, 68, 68}, State::Normal},
                        {{0, 68, 68, 68}, State::Hover},
                        {{0, 68, 68, 68}, State::Pressed},
                        {{0, 136, 68, 68}, State::Disabled}}};
    out.push_back(Sheet("images/buttons/btn_tovrelly.png", 68, 204, {emblem}, ButtonStyle::Round));
    SheetButton slot{"", Glyph::None, {{{0, 0, 250, 30}, State::Normal}}};
    out.push_back(Sheet("images/dialog/pl_name_cover.png", 250, 30, {slot}, ButtonStyle::Slot));
    out.push_back(Sheet("images/dialog/btn_ok.png", 76, 80, {Column("", 0, 76, 20, {0, 20, 40, 60})},
                        ButtonStyle::Lozenge));
    out.push_back(Piece("images/dialog/customize/btn_check.png", Painter::Tick, 36, 36));
    // The seat's re-buy button: four 31 x 31 frames, normal to disabled.
    out.push_back(Piece("images/player/rebuy.png", Painter::RebuyBadge, 31, 124));
    // The stake tables' frames: clear, under the pointer (and pressed), the
    // chosen one, and the others while a dialog holds the screen.
    const std::pair<const char*, State> stakes[] = {
        {"images/game_fon/fon_rules_unlim_border_clear.png", State::Normal},
        {"images/game_fon/fon_rules_unlim_border_hover.png", State::Hover},
        {"images/game_fon/fon_rules_unlim_border.png", State::Selected},
        {"images/game_fon/fon_rules_unlim_border_off.png", State::Disabled}};
    for (const auto& [path, state] : stakes) {
        ImageAsset frame = Piece(path, Painter::StakeFrame, 186, 133, "", static_cast<int>(state));
        frame.exactSize = true;
        out.push_back(frame);
    }
}

void AddPlates(std::vector<ImageAsset>& out)
{
    out.push_back(Plate("images/dialog/exit_window.png", 380, 250,
                        {"Leave the game",
                         {{"Do you really want", 190, 92, 1, 22}, {"to quit the game?", 190, 122, 1, 22}},
                         {},
                         {},
                         {}}));
    out.push_back(Plate("images/dialog/options/dlg.png", 420, 450,
                        {"Options",
                         {{"Music volume", 210, 117, 1, 17},
                          {"Sound effects", 210, 190, 1, 17},
                          {"Game speed", 210, 263, 1, 17},
                          {"Display", 210, 333, 1, 17}},
                         {{140, 133, 140, 30}, {140, 206, 140, 30}, {140, 279, 140, 30}},
                         {},
                         {}}));
    out.push_back(Plate("images/dialog/profiles/profiles.png", 380, 450,
                        {"Players", {}, {}, {}, {}}));
    out.push_back(Plate("images/dialog/profiles/new_player.png", 365, 215,
                        {"New player", {{"Enter your name:", 182, 74, 1, 18}}, {{27, 105, 310, 34}}, {}, {}}));
    out.push_back(Plate("images/dialog_add_del.png", 400, 200, {"Player name", {}, {}, {}, {}}));
    // A problem with the player's files: room for the whole of a long
    // reason, wrapped over several lines.
    out.push_back(Plate("images/dialog/profiles/player_files.png", 540, 300, {"Player files", {}, {}, {}, {}}));
    out.push_back(Plate("images/dialog/profiles/del_player.png", 380, 250,
                        {"Delete player", {{"Delete this player?", 190, 92, 1, 20}}, {{65, 124, 250, 32}}, {}, {}}));
    // The rule passes under the information panel's title, whose swashes
    // reach down to row 36, and above the players panel's first row.
    out.push_back(Plate("images/dialog/trn_info.png", 139, 170, {"", {}, {}, {}, {38}}));
    // The close button stands at (250, 450); Bed lays its bed under the
    // caption.
    out.push_back(Plate("images/dialog/finish_trn.png", 500, 500,
                        {"", {}, {}, {Bed(250, 450)}, {110, 125, 175, 225, 275, 325, 375}}));
    // The announcements and the re-buy question share the small banner, their
    // captions in different places, so it has no beds; the hand result's close
    // button stands 45 below its middle.
    out.push_back(Plate("images/dialog/finish.png", 500, 90, {"", {}, {}, {}, {52}}));
    out.push_back(Plate("images/dialog/finish_big.png", 600, 130, {"", {}, {}, {Bed(300, 110)}, {40, 90}}));
    out.push_back(Plate("images/dialog/menu_game.png", 300, 450, {"Menu", {}, {}, {}, {}}));
    out.push_back(Plate("images/dialog/open.png", 365, 215,
                        {"Open",
                         {{"How much do you bet?", 182, 75, 1, 16}},
                         {{107, 97, 150, 40}},
                         {Bed(252, 167), Bed(112, 167)},
                         {}}));
    out.push_back(Plate("images/dialog/open_raise.png", 300, 280,
                        {"Raise",
                         {{"Table bet", 50, 64, 1, 13},
                          {"Raise to", 250, 140, 1, 13},
                          {"Your bet", 50, 204, 1, 13},
                          {"To put in", 140, 204, 1, 13}},
                         {{70, 80, 150, 40}},
                         {Bed(235, 210), Bed(235, 240)},
                         {}}));
    out.push_back(Plate("images/dialog/customize/dlg.png", 500, 450,
                        {"Customize",
                         {{"Opponents play:", 270, 115, 2, 18}, {"Announce stages:", 270, 325, 2, 18}},
                         {},
                         {},
                         {280}}));
    // The close button stands at (350, 290); Bed lays its bed under the
    // caption. The rows' texts stand about 5 below their points (135, 180,
    // 225), the rules half-way between them.
    out.push_back(Plate("images/dialog/statistic_dlg.png", 700, 340,
                        {"Statistics", {}, {}, {Bed(350, 290)}, {92, 160, 205}}));
    out.push_back(Plate("images/dialog/rules/dlg.png", 700, 60, {"", {}, {}, {}, {}}));
}

BackgroundDetails CashSetup(const std::string& title)
{
    BackgroundDetails d;
    d.screen = Screen::CashSetup;
    d.title = title;
    d.subtitle = "Choose your table";
    // The six stake tables, each where its button stands.
    const int xs[3] = {291, 514, 735};
    const int ys[2] = {288, 466};
    for (int y : ys)
        for (int x : xs)
            d.spots.push_back({x - 93, y - 66, 186, 133});
    d.panels.push_back({0, 578, 1024, 190});
    return d;
}

void AddBackgrounds(std::vector<ImageAsset>& out)
{
    BackgroundDetails start;
    start.screen = Screen::Start;
    start.title = "Pellucor";
    start.subtitle = "Texas Hold'em";
    // The game-mode buttons, the profile line, the news line.
    start.spots = {{644 - 54, 364 - 26, 108, 52}, {522 - 56, 334 - 26, 112, 52}, {402 - 38, 372 - 26, 76, 52},
                   {532 - 74, 504 - 25, 148, 49}};
    start.panels = {{262, 184, 500, 30}, {0, 712, 1024, 56}};
    out.push_back(Backdrop("images/game_fon/fon_start.jpg", start));
    out.push_back(Backdrop("images/game_fon/fon_rules_limit.jpg", CashSetup("Limit Hold'em")));
    out.push_back(Backdrop("images/game_fon/fon_rules_potlimit.jpg", CashSetup("Pot Limit Hold'em")));
    out.push_back(Backdrop("images/game_fon/fon_rules_unlimit.jpg", CashSetup("No Limit Hold'em")));

    BackgroundDetails trn;
    trn.screen = Screen::TournamentSetup;
    trn.title = "Tournaments";
    trn.subtitle = "Choose your tournament";
    trn.words = {{"Limit", 260, 246, 1, 26}, {"Pot Limit", 500, 246, 1, 26}, {"No Limit", 740, 246, 1, 26}};
    for (int x : {260, 500, 740})
        trn.spots.push_back({x - 86, 222, 172, 230});
    trn.panels.push_back({0, 538, 1024, 230});
    out.push_back(Backdrop("images/game_fon/fon_rules_tournaments.jpg", trn));

    BackgroundDetails rules;
    rules.screen = Screen::RulesPage;
    rules.spots = {{332, 175, 360, 48}}; // the cartouche under the blue title
    rules.panels = {{182, 132, 680, 490}};
    out.push_back(Backdrop("images/game_fon/fon_game_rules.jpg", rules));

    BackgroundDetails table;
    table.screen = Screen::Table;
    table.title = "Pellucor";
    for (int k = 0; k < 5; ++k)
        table.spots.push_back({312 + 94 * k - 35, 305 - 49, 70, 98}); // the board
    // Where each seat's bet and chips come to rest.
    for (const auto& seat : kSeatLayout) {
        const int x = seat[0] + seat[8], y = seat[1] + seat[9];
        table.panels.push_back({x - 22, y - 16, 44, 32});
    }
    out.push_back(Backdrop("images/game_fon/redtable.jpg", table));
}

void AddTablePieces(std::vector<ImageAsset>& out)
{
    // Narrow enough to stay clear of the river card beside it, and low
    // enough to pass under the bet of the seat to its right (seat 7, whose
    // bet stands 20 pixels above the plate's middle and reaches past its end).
    out.push_back(Piece("images/main_pot.png", Painter::PotPlate, 112, 24));
    out.push_back(Piece("images/stages/flop.png", Painter::StageBanner, 170, 46, "Flop"));
    out.push_back(Piece("images/stages/turn.png", Painter::StageBanner, 170, 46, "Turn"));
    out.push_back(Piece("images/stages/river.png", Painter::StageBanner, 170, 46, "River"));
    out.push_back(Piece("images/player/back.png", Painter::SeatPlate, 150, 100, "", 0));
    out.push_back(Piece("images/player/back_h.png", Painter::SeatPlate, 150, 100, "", 1));
    out.push_back(Piece("images/player/bet_fon.png", Painter::BetTag, 64, 16));
    ImageAsset winner = Piece("images/player/winner.png", Painter::WinnerBadge, 111, 40, "Winner");
    winner.exactSize = true;
    out.push_back(winner);
    out.push_back(Piece("images/player/dealer.png", Painter::DealerButton, 30, 30, "D"));
    const char* actions[6][2] = {{"check", "Check"}, {"open", "Open"},   {"fold", "Fold"},
                                 {"call", "Call"},   {"raise", "Raise"}, {"allin", "All-in"}};
    for (int i = 0; i < 6; ++i)
        out.push_back(Piece(std::string("images/player/actions/") + actions[i][0] + ".png", Painter::ActionBadge, 74,
                            24, actions[i][1], i));
    for (int value : kChipValues)
        out.push_back(Piece("images/player/chips/" + std::to_string(value) + ".png", Painter::Chip, 36, 26, "",
                            value));
}

void AddCards(std::vector<ImageAsset>& out)
{
    for (int set = 1; set <= 2; ++set)
        for (int rank = 0; rank < 13; ++rank)
            for (int suit = 0; suit < 4; ++suit) {
                ImageAsset card = Piece("images/cards/set" + std::to_string(set) + "/" + kRankLetters[rank] +
                                            kSuitLetters[suit] + ".png",
                                        Painter::CardFace, 70, 98, "", (set - 1) * 52 + rank * 4 + suit);
                out.push_back(card);
            }
    out.push_back(Piece("images/cards/back2.png", Painter::CardBack, 70, 98, "", 2));
    out.push_back(Piece("images/cards/mask1.png", Painter::CardMask, 70, 98, "", 1));
    out.push_back(Piece("images/cards/mask2.png", Painter::CardMask, 70, 98, "", 2));
}

void AddFonts(std::vector<FontAsset>& out)
{
    auto font = [&](const std::string& name, FaceStyle style, int size) {
        out.push_back({"fonts/" + name + ".txt", "fonts/" + name + ".png", style, size});
    };
    font("MonotypeCorsiva14Italics", FaceStyle::Chancery, 14);
    font("a_BosaNova10", FaceStyle::Sans, 10);
    font("a_BosaNova14", FaceStyle::Sans, 14);
    font("a_BosaNova20", FaceStyle::Sans, 20);
    font("Pristina18", FaceStyle::Script, 18);
    font("ArtNouveau-Bistro26Bold", FaceStyle::Nouveau, 26);
    font("BrushScriptStd18", FaceStyle::BrushScript, 18);
    font("Sylfaen19Bold", FaceStyle::BoldSerif, 19);
}

void AddSounds(std::vector<SoundAsset>& out)
{
    out.push_back({"sounds/click.wav", SoundRecipe::Click, 0});
    out.push_back({"sounds/tbl_sel.wav", SoundRecipe::Select, 0});
    out.push_back({"sounds/main.ogg", SoundRecipe::TableMusic, 0});
    for (int i = 0; i < 10; ++i)
        out.push_back({"sounds/cards/" + std::to_string(i) + ".ogg", SoundRecipe::CardSnap, i});
    for (int i = 0; i < 5; ++i)
        out.push_back({"sounds/table/card_deck_mix" + std::to_string(i) + ".ogg", SoundRecipe::Riffle, i});
    for (int i = 0; i < 5; ++i)
        out.push_back({"sounds/table/chips_set" + std::to_string(i) + ".ogg", SoundRecipe::ChipSet, i});
    for (int i = 0; i < 3; ++i)
        out.push_back({"sounds/table/chips_finish" + std::to_string(i) + ".ogg", SoundRecipe::ChipFinish, i});
}

Catalog Build()
{
    Catalog c;
    AddButtonSheets(c.images);
    AddPlates(c.images);
    AddBackgrounds(c.images);
    AddTablePieces(c.images);
    AddCards(c.images);
    AddFonts(c.fonts);
    AddSounds(c.sounds);
    // The framework's archive holds what the framework itself names; today
    // that is nothing, and the game's archive holds the rest.
    c.archives = {"main.pak", "data.pak"};
    c.assetRoots = {"images/", "fonts/", "sounds/"};
    return c;
}

} // namespace

const Catalog& GetCatalog()
{
    static const Catalog catalog = Build();
    return catalog;
}

std::vector<std::string> ArchiveMembers(const Catalog& catalog, const std::string& archive)
{
    std::vector<std::string> members;
    for (const ImageAsset& image : catalog.images)
        if (image.archive == archive)
            members.push_back(image.path);
    for (const FontAsset& font : catalog.fonts)
        if (font.archive == archive) {
            members.push_back(font.descriptor);
            members.push_back(font.atlas);
        }
    for (const SoundAsset& sound : catalog.sounds)
        if (sound.archive == archive)
            members.push_back(sound.path);
    return members;
}

Rect FramesExtent(const ImageAsset& image)
{
    Rect extent;
    for (const SheetButton& button : image.buttons)
        for (const Frame& frame : button.frames) {
            extent.w = std::max(extent.w, frame.rect.Right());
            extent.h = std::max(extent.h, frame.rect.Bottom());
        }
    return extent;
}

} // namespace assetgen
