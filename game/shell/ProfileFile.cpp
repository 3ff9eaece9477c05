#include "game/shell/ProfileFile.h"

#include "game/shell/ProfileList.h"
#include "game/table/Tournament.h"
#include "common/BinaryDataFile.h"
#include "platform/window/SystemDialogs.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::string gProfileFolder = "save/";
bool gWritesHeld = false;

constexpr uint16_t kFormatVersion = 2;
constexpr uint16_t kStakeRows = 6;
constexpr uint16_t kMinPlayers = 2;
constexpr uint16_t kMaxPlayers = 10;
constexpr uint32_t kMaxComputerStyle = 3;
constexpr uint32_t kSeatNameLength = 15;

// A money total as the file holds it: truncated toward zero, and held at the
// 32-bit limits instead of wrapping (NaN counts as nothing).
uint32_t MoneyToFile(double value)
{
    if (std::isnan(value))
        return 0;
    double cut = std::trunc(value);
    if (cut >= 2147483647.0)
        return static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    if (cut <= -2147483648.0)
        return static_cast<uint32_t>(std::numeric_limits<int32_t>::min());
    return static_cast<uint32_t>(static_cast<int32_t>(cut));
}

// Collects the writes of one save; the first failure sticks.
class FieldWriter {
public:
    explicit FieldWriter(BinaryDataFile& file) : file_(file) {}
    void Flag(uint8_t v) { ok_ = ok_ && file_.WriteByte(v); }
    void U16(uint32_t v) { ok_ = ok_ && file_.WriteShort(static_cast<uint16_t>(v)); }
    // Two bytes in one 16-bit field, `low` in its low byte.
    void BytePair(uint8_t low, uint8_t high) { U16(low | (high << 8)); }
    void Money(double v) { ok_ = ok_ && file_.WriteUInt(MoneyToFile(v)); }
    void Text(const std::string& v, uint32_t length) { ok_ = ok_ && file_.WriteString(v, length); }
    bool Ok() const { return ok_; }

private:
    BinaryDataFile& file_;
    bool ok_ = true;
};

// Reads fields in file order; once a read fails (the file ended) every
// later read fails too and the target keeps its value.
class FieldReader {
public:
    explicit FieldReader(BinaryDataFile& file) : file_(file) {}
    void Flag(uint8_t& v)
    {
        bool b = false;
        if (ok_ && (ok_ = file_.ReadBool(&b)))
            v = b ? 1 : 0;
    }
    template <typename T>
    void U16(T& v)
    {
        uint16_t w = 0;
        if (ok_ && (ok_ = file_.ReadUShort(&w)))
            v = w;
    }
    void BytePair(uint8_t& low, uint8_t& high)
    {
        uint16_t w = 0;
        U16(w);
        low = static_cast<uint8_t>(w & 0xFF);
        high = static_cast<uint8_t>(w >> 8);
    }
    void Money(double& v)
    {
        uint32_t w = 0;
        if (ok_ && (ok_ = file_.ReadUInt(&w)))
            v = static_cast<double>(static_cast<int32_t>(w));
    }
    void Text(std::string& v, uint32_t length)
    {
        if (ok_)
            ok_ = file_.ReadString(&v, length);
    }
    bool Ok() const { return ok_; }

private:
    BinaryDataFile& file_;
    bool ok_ = true;
};

// The fields of the file in their order, one description for the save and
// the load alike: `io` is a FieldWriter (with const records) or a
// FieldReader.
template <class Io, class Cards>
void CardFields(Io& io, Cards& cards)
{
    for (auto& card : cards) {
        io.U16(card.suit);
        io.U16(card.rank);
    }
}

// A computer seat's re-buys and its add-on share a byte: the re-buys (three
// at most) in the low bits, whether it bought its add-on in the top one, a
// bit that files from before the add-on was counted never set.
void SeatPurchases(FieldWriter& out, const SeatRecord& seat)
{
    const auto purchases = static_cast<uint8_t>((seat.rebuysTaken & 0x7F) | (seat.addOnTaken != 0 ? 0x80 : 0));
    out.BytePair(purchases, seat.styleCode);
}

void SeatPurchases(FieldReader& in, SeatRecord& seat)
{
    uint8_t purchases = 0;
    in.BytePair(purchases, seat.styleCode);
    seat.rebuysTaken = purchases & 0x7F;
    seat.addOnTaken = (purchases & 0x80) != 0 ? 1 : 0;
}

template <class Io, class Seat>
void SeatFields(Io& io, Seat& seat)
{
    io.U16(seat.seatNumber);
    io.Money(seat.chips);
    io.Money(seat.bet);
    SeatPurchases(io, seat);
    io.Text(seat.name, kSeatNameLength);
    io.Flag(seat.active);
    io.Flag(seat.inHand);
    io.Flag(seat.dealer);
    CardFields(io, seat.cards);
}

template <class Io, class Game>
void SavedGameFields(Io& io, Game& game)
{
    io.U16(game.tournamentId);
    io.Flag(game.inUse);
    io.Flag(game.current);
    io.Money(game.minBet);
    io.U16(game.level);
    io.Money(game.totalBuyIns);
    io.Money(game.buyIn);
    io.U16(game.levelTimeLeft);
    io.U16(game.boardStage);
    io.Flag(game.betMade);
    io.U16(game.resumePosition);
    io.Money(game.totalPot);
    io.Money(game.currentBet);
    io.Flag(game.stageDialogPending);
    io.Flag(game.handOver);
    CardFields(io, game.board);
    io.Flag(game.humanDealer);
    io.Flag(game.humanInHand);
    io.Money(game.startChips);
    io.Money(game.humanBet);
    io.U16(game.rebuysTaken);
    CardFields(io, game.tableCards);
    for (auto& seat : game.seats)
        SeatFields(io, seat);
}

// Everything before the format version.
template <class Io, class ProfileRecord>
void HeaderFields(Io& io, ProfileRecord& profile)
{
    io.Flag(profile.active);
    io.Flag(profile.announceStages);
    io.U16(profile.computerStyle);
    io.Text(profile.name, Profile::kMaxNameLength);
    for (auto* choice : {&profile.limit, &profile.noLimit, &profile.potLimit}) {
        io.U16(choice->tableIndex);
        io.U16(choice->players);
    }
    for (auto& total : profile.money)
        io.Money(total);
}

void WriteProfile(FieldWriter& out, const Profile& profile)
{
    HeaderFields(out, profile);
    out.U16(kFormatVersion);
    uint32_t count = 0;
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            ++count;
    out.U16(count);
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            SavedGameFields(out, *game);
}

void Note(std::string* error, const std::string& path, const std::string& what)
{
    if (!error)
        return;
    if (!error->empty())
        *error += "\n";
    *error += "Profile file '" + path + "': " + what;
}

// A card is a real one or the empty card; anything else becomes empty.
bool RepairCards(Card* cards, size_t count)
{
    bool repaired = false;
    for (size_t i = 0; i < count; ++i) {
        if (cards[i].IsReal() || cards[i] == Card::None())
            continue;
        cards[i] = Card::None();
        repaired = true;
    }
    return repaired;
}

// Puts a choice of table back in range; true when something changed.
bool RepairChoice(TableChoice& choice)
{
    bool repaired = false;
    if (choice.tableIndex >= kStakeRows) {
        choice.tableIndex = 0;
        repaired = true;
    }
    if (choice.players < kMinPlayers || choice.players > kMaxPlayers) {
        choice.players = kMaxPlayers;
        repaired = true;
    }
    return repaired;
}

// Keeps a damaged profile file as it was, beside itself, before anything
// is saved over it: a copy when the profile was repaired (the next save
// writes the repair), the file itself moved aside when it was refused (its
// name is then free for a new profile). What to tell the player.
std::string KeepDamagedFile(const std::string& path, const std::string& problems, bool refused)
{
    if (gWritesHeld)
        return problems + "\n";
    BinaryDataFile file(path);
    std::string copy;
    for (int n = 0; n < 100 && copy.empty(); ++n) {
        const std::string candidate = path + ".damaged" + (n ? std::to_string(n) : std::string());
        if (!BinaryDataFile(candidate).Exists())
            copy = candidate;
    }
    if (copy.empty() || !file.KeepCopyAs(copy) || (refused && !file.Delete()))
        return refused ? "" : problems + "\nThe file could not be copied before the repair.\n";
    return problems + (refused ? "\nThe file was not loaded and was moved to " : "\nThe original file was kept as ") +
           copy + ".\n";
}

} // namespace

const std::string& ProfileFolder()
{
    return gProfileFolder;
}

void SetProfileFolder(const std::string& folder)
{
    gProfileFolder = folder.empty() || folder.back() == '/' || folder.back() == '\\' ? folder : folder + "/";
}

void HoldProfileWrites(bool hold)
{
    gWritesHeld = hold;
}

bool AreProfileWritesHeld()
{
    return gWritesHeld;
}

bool SaveProfile(Profile& profile, std::string* error)
{
    std::string path = profile.FilePath();
    if (path.empty()) {
        Note(error, ProfileFolder() + profile.name + "_.usr", "the name cannot be used for a file");
        return false;
    }
    if (gWritesHeld)
        return true;
    // A new installation has no profile folder yet; without one every
    // player made would be lost.
    const size_t folderEnd = path.rfind('/');
    if (folderEnd != std::string::npos)
        BinaryDataFile::MakeFolder(path.substr(0, folderEnd));
    // The whole file is written afresh and stored in one step: a new
    // profile's file appears whole or not at all, an old one is replaced
    // whole or kept as it was.
    BinaryDataFile file(path);
    file.OpenNew();
    FieldWriter out(file);
    WriteProfile(out, profile);
    const bool stored = out.Ok() ? file.Close() : (file.Discard(), false);
    if (!stored) {
        Note(error, path, "cannot be written" + (file.LastError().empty() ? std::string() : ": " + file.LastError()));
        return false;
    }
    return true;
}

bool LoadProfile(Profile& profile, const std::string& path, std::string* error)
{
    if (path.find("_.usr") == std::string::npos) {
        Note(error, path, "is not a profile file");
        return false;
    }
    BinaryDataFile file(path);
    if (!file.Exists() || !file.Open(1)) {
        Note(error, path, "cannot be opened");
        return false;
    }
    FieldReader in(file);
    HeaderFields(in, profile);
    uint16_t version = 0;
    in.U16(version);
    uint16_t count = 0;
    in.U16(count);
    // Without a whole header in this format the bytes are no profile of
    // ours, whatever the name field happens to hold.
    if (!in.Ok() || version != kFormatVersion) {
        Note(error, path,
             in.Ok() ? "is no profile of this game (format " + std::to_string(version) + ")" : "ends inside its header");
        file.Close();
        return false;
    }
    profile.file = path;

    if (!IsValidProfileName(profile.name)) {
        Note(error, path, "holds no usable player name");
        file.Close();
        return false;
    }
    if (profile.computerStyle > kMaxComputerStyle) {
        profile.computerStyle = 0;
        Note(error, path, "computer style out of range, reset");
    }
    bool choicesRepaired = false;
    for (TableChoice* choice : {&profile.limit, &profile.noLimit, &profile.potLimit})
        choicesRepaired = RepairChoice(*choice) || choicesRepaired;
    if (choicesRepaired)
        Note(error, path, "table choice out of range, reset");

    for (uint32_t i = 0; i < count; ++i) {
        auto game = std::make_unique<SavedGame>();
        SavedGameFields(in, *game);
        if (!in.Ok()) {
            Note(error, path, "ends inside tournament " + std::to_string(i + 1) + " of " + std::to_string(count) +
                                  "; the rest is dropped");
            break;
        }
        Tournament record;
        if (!FindTournament(game->tournamentId, record)) {
            Note(error, path, "tournament " + std::to_string(i + 1) + " names no known tournament (" +
                                  std::to_string(game->tournamentId) + "); dropped");
            continue;
        }
        bool cardsRepaired = RepairCards(game->board.data(), game->board.size());
        cardsRepaired = RepairCards(game->tableCards.data(), game->tableCards.size()) || cardsRepaired;
        for (SeatRecord& seat : game->seats)
            cardsRepaired = RepairCards(seat.cards.data(), seat.cards.size()) || cardsRepaired;
        if (cardsRepaired)
            Note(error, path, "tournament " + std::to_string(i + 1) + " holds impossible cards, cleared");
        profile.savedGames.push_back(std::move(game));
    }
    file.Close();
    return true;
}

void LoadAllProfiles(ProfileList& list, const std::vector<std::string>& alsoRead)
{
    const std::string folder = ProfileFolder();
    if (!gWritesHeld)
        BinaryDataFile::RemoveInterruptedSaves(folder);
    std::vector<std::string> names;
    BinaryDataFile::ListFiles(folder, "usr", &names);
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(folder + name);
    paths.insert(paths.end(), alsoRead.begin(), alsoRead.end());
    bool anyActive = false;
    std::string damage;
    for (const std::string& path : paths) {
        auto profile = std::make_unique<Profile>();
        std::string problems;
        const bool loaded = LoadProfile(*profile, path, &problems);
        if (!problems.empty())
            damage += KeepDamagedFile(path, problems, !loaded);
        if (!loaded)
            continue;
        bool active = profile->active != 0;
        if (!list.Add(profile.get()))
            continue;
        profile.release();
        anyActive = anyActive || active;
    }
    if (!anyActive && list.Count() > 0)
        list.At(0)->SetActive(true);
    if (!damage.empty())
        platform::MessageBoxA(nullptr, ("Some player profiles were damaged.\n" + damage).c_str(), "Damaged Profiles",
                              platform::MB_OK | platform::MB_ICONWARNING);
}

bool DeleteProfile(std::unique_ptr<Profile> profile, std::string* error)
{
    return !profile || profile->RemoveFile(error);
}
