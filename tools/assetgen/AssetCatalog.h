// The one table of every file the asset generator makes: each image with its
// exact canvas size, the frames its buttons are cut from and the words drawn
// into it; each image font with its face and pixel size; each sound with its
// recipe. The generator paints from it, the contact sheet lays it out, and the
// asset tests check the packed archives against it, so a size or a source
// rectangle is written down once, here.
//
// Pure data with no drawing library behind it; any thread may read it (it is
// built once, on first use, and never changed).
#pragma once

#include <string>
#include <vector>

namespace assetgen {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
};

// The look a frame shows. Selected is a chosen item shown through a button's
// disabled frame: lit, never greyed.
enum class State { Normal, Hover, Pressed, Disabled, Selected };

struct Frame {
    Rect rect;
    State state = State::Normal;
};

// What a button shows besides its face.
enum class Glyph { None, Minus, Plus, Cross, Window, FullScreen, Emblem };

// How a button face is drawn.
enum class ButtonStyle {
    Lacquer,  // dark lacquer with a brass rim: the common look
    Tab,      // the options tab look
    Plaque,   // the start screen's game-mode plaques
    Action,   // the human's action strip
    Round,    // round knobs (plus, minus, close)
    Slot,     // an inset name slot
    Lozenge,  // the small caption-only buttons of the dialogs
    Choice,   // the customize dialog's style choices
};

// One button of a sheet: its words (empty when the toolkit draws a caption)
// and the frames of its states in the button's state order.
struct SheetButton {
    std::string words;
    Glyph glyph = Glyph::None;
    std::vector<Frame> frames;
};

// Which painter makes an image.
enum class Painter {
    ButtonSheet,
    StakeFrame,    // the cash set-up screen's table frame (clear or chosen)
    Tick,          // the customize dialog's tick
    Plate,         // a dialog background
    Background,    // a full-screen JPEG
    SeatPlate,     // seat background and turn highlight
    BetTag,        // the bet background
    WinnerBadge,
    DealerButton,
    RebuyBadge,
    ActionBadge,
    StageBanner,
    PotPlate,
    Chip,
    CardFace,
    CardBack,
    CardMask,
};

// A piece of text drawn into an image. x is the centre, the left edge or the
// right edge of the text as align is 1, 0 or 2; y is its vertical centre.
struct Words {
    std::string text;
    int x = 0;
    int y = 0;
    int align = 1;
    int size = 16;
};

// What a dialog plate carries besides its frame: its title, its fixed words,
// the inset fields under edit boxes and value texts, the caption-only button
// beds and the ruled lines of its tables.
struct PlateDetails {
    std::string title;
    std::vector<Words> words;
    std::vector<Rect> fields;
    std::vector<Rect> beds;
    std::vector<int> rules;
};

// A background's layout: which screen it is and the places on it that must
// line up with the controls the screen puts there.
enum class Screen { Start, CashSetup, TournamentSetup, RulesPage, Table };

struct BackgroundDetails {
    Screen screen = Screen::Start;
    std::string title;
    std::string subtitle;
    std::vector<Words> words;
    std::vector<Rect> spots; // stake tables, board cards, button beds
    std::vector<Rect> panels; // dark panels under light texts
};

struct ImageAsset {
    std::string path;
    Painter painter = Painter::ButtonSheet;
    int width = 0;
    int height = 0;
    std::vector<SheetButton> buttons;
    PlateDetails plate;
    BackgroundDetails background;
    std::string words; // badges and banners: the word they show
    int variant = 0;   // chip value, card rank * 4 + suit, card set, state
    bool exactSize = false; // the image is stretched to this size on screen
    std::string archive = "data.pak";
};

// The named styles of the image fonts.
enum class FaceStyle { Chancery, Script, BrushScript, BoldSerif, Sans, Nouveau };

struct FontAsset {
    std::string descriptor; // "fonts/Pristina18.txt"
    std::string atlas;      // the glyph image beside it
    FaceStyle style = FaceStyle::Sans;
    int pixelSize = 14;
    std::string archive = "data.pak";
};

enum class SoundRecipe { Click, Select, CardSnap, Riffle, ChipSet, ChipFinish, TableMusic };

struct SoundAsset {
    std::string path;
    SoundRecipe recipe = SoundRecipe::Click;
    int variant = 0;
    std::string archive = "data.pak";
};

struct Catalog {
    std::vector<ImageAsset> images;
    std::vector<FontAsset> fonts;
    std::vector<SoundAsset> sounds;
    // The archives in the order they are packed; every asset names one.
    std::vector<std::string> archives;
    // The folders whose first path component marks a string as an asset name.
    std::vector<std::string> assetRoots;
};

const Catalog& GetCatalog();

// The files `archive` ("data.pak") holds, as named in the catalogue: each
// image, each font's descriptor and glyph image, each sound. The program
// checks its archives against this list at start (assetmanifest writes it
// into the program at build time).
std::vector<std::string> ArchiveMembers(const Catalog& catalog, const std::string& archive);

// The smallest canvas that holds every frame of the image's buttons.
Rect FramesExtent(const ImageAsset& image);

// The rank and suit letters of card file names ("0" is the ten).
extern const char* const kRankLetters[13];
extern const char* const kSuitLetters[4];
// The chip values, largest first.
extern const int kChipValues[12];
// Where the table screen puts each seat's pieces, the ten values of a seat
// being: anchor x, anchor y, then the offsets from the anchor of the seat
// plate, the dealer button, the action badges and the bet. The felt's bet
// places and the mock table are drawn from it.
extern const int kSeatLayout[10][10];
// The card under a stake's caption, in the stake button's own 186 x 133
// frame: the cash set-up screens paint it light for the dark caption, and
// the stake frames of the other states cover it dark for their light ones.
extern const Rect kStakeCard;

} // namespace assetgen
