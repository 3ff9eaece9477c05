#include "game/shell/ProfileFile.h"

#include "game/shell/ProfileList.h"
#include "game/table/GameMgr.h"
#include "game/table/Tournament.h"
#include "common/BinaryDataFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

std::string gProfileFolder = "save/";
bool gWritesHeld = false;

constexpr uint16_t kFormatVersion = 2;
// The block of the hands' exact amounts that follows the tournaments: "HAND".
constexpr uint32_t kHandAmountsTag = 0x48414E44;
constexpr uint16_t kHandAmountsVersion = 1;
constexpr size_t kHeaderBytes = 59;
constexpr size_t kTournamentBytes = 417;
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
    void U32(uint32_t v) { ok_ = ok_ && file_.WriteUInt(v); }
    // An amount as it is, to the last bit: its IEEE 754 form, high word first.
    void Exact(double v)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        U32(static_cast<uint32_t>(bits >> 32));
        U32(static_cast<uint32_t>(bits));
    }
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
    void U32(uint32_t& v)
    {
        uint32_t w = 0;
        if (ok_ && (ok_ = file_.ReadUInt(&w)))
            v = w;
    }
    void Exact(double& v)
    {
        uint32_t high = 0;
        uint32_t low = 0;
        U32(high);
        U32(low);
        if (!ok_)
            return;
        const uint64_t bits = (static_cast<uint64_t>(high) << 32) | low;
        std::memcpy(&v, &bits, sizeof v);
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

// The amounts of a tournament's hand that its record holds only truncated to
// whole chips, or not at all: each seat's part of the pot, the raises of the
// round, and the chips, bets and pot as they are (a small blind of an odd
// bet is half a chip). They follow the tournaments in a block of their own,
// one entry a tournament, each naming its tournament (the id first, then
// these fields), so that a file of an earlier build (which has no block and
// reads none) is read as before, and a file of this one is read by an
// earlier build, which keeps to the tournaments and writes the file again
// without the block.
template <class Io, class Game>
void HandAmountsFields(Io& io, Game& game)
{
    io.Flag(game.contributionsKnown);
    io.Exact(game.totalPot);
    io.Exact(game.currentBet);
    io.Exact(game.raiseCount);
    io.Exact(game.startChips);
    io.Exact(game.humanBet);
    io.Exact(game.humanContribution);
    for (auto& seat : game.seats) {
        io.Exact(seat.chips);
        io.Exact(seat.bet);
        io.Exact(seat.contribution);
    }
}

// Whether the record leaves out something the hand in it needs: a seat's
// part of the pot, the raises of the round, or an amount that is not whole.
// A file whose tournaments need nothing more is written without the block,
// byte for byte as an earlier build wrote it.
bool NeedsAmounts(const SavedGame& game)
{
    auto whole = [](double amount) { return amount == std::trunc(amount); };
    if (game.raiseCount != 0.0 || game.humanContribution != 0.0 || !whole(game.totalPot) ||
        !whole(game.currentBet) || !whole(game.startChips) || !whole(game.humanBet))
        return true;
    return std::any_of(game.seats.begin(), game.seats.end(), [&whole](const SeatRecord& seat) {
        return seat.contribution != 0.0 || !whole(seat.chips) || !whole(seat.bet);
    });
}

// Whether the exact amounts are those the record holds truncated: a block
// entry that is not was not written with the record (the file was changed by
// hand, or damaged) and is not taken.
bool AmountsMatch(const SavedGame& exact, const SavedGame& record)
{
    // No table holds more chips than a 32-bit count: the record's fields
    // hold every amount there is, truncated.
    auto sound = [](double amount) { return std::isfinite(amount) && amount >= 0.0 && amount < 2147483648.0; };
    auto same = [&sound](double amount, double truncated) {
        return sound(amount) && MoneyToFile(amount) == MoneyToFile(truncated);
    };
    if (!same(exact.totalPot, record.totalPot) || !same(exact.currentBet, record.currentBet) ||
        !sound(exact.raiseCount) || !same(exact.startChips, record.startChips) ||
        !same(exact.humanBet, record.humanBet) || !sound(exact.humanContribution))
        return false;
    for (size_t i = 0; i < exact.seats.size(); ++i)
        if (!same(exact.seats[i].chips, record.seats[i].chips) || !same(exact.seats[i].bet, record.seats[i].bet) ||
            !sound(exact.seats[i].contribution))
            return false;
    return true;
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
    if (std::none_of(profile.savedGames.begin(), profile.savedGames.end(),
                     [](const auto& game) { return game && game->inUse != 0 && NeedsAmounts(*game); }))
        return;
    out.U32(kHandAmountsTag);
    out.U16(kHandAmountsVersion);
    out.U16(count);
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0) {
            out.U16(game->tournamentId);
            HandAmountsFields(out, *game);
        }
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

// A tournament record taken from the file: which tournament, and where in
// the file (counted from one).
struct KeptTournament {
    uint16_t id;
    uint32_t number;
};

// Numbers of a tournament record that the game cannot make. Amounts below
// zero become nothing and a name no seat is given is cleared (the table
// names the seat afresh); a level the tournament cannot reach, or a second
// record of a tournament the file holds already, drops the record (false).
bool CheckNumbers(SavedGame& game, const Tournament& record, const std::string& which,
                  const std::vector<KeptTournament>& kept, const std::string& path, std::string* error)
{
    for (const KeptTournament& earlier : kept)
        if (earlier.id == game.tournamentId) {
            Note(error, path, which + " is a second copy of tournament " + std::to_string(earlier.number) + " (" +
                                  record.name + "); dropped");
            return false;
        }
    bool belowZero = false;
    auto mend = [&belowZero](double& amount) {
        if (amount < 0.0) {
            amount = 0.0;
            belowZero = true;
        }
    };
    for (double* amount : {&game.minBet, &game.totalBuyIns, &game.buyIn, &game.totalPot, &game.currentBet,
                           &game.startChips, &game.humanBet})
        mend(*amount);
    for (SeatRecord& seat : game.seats) {
        mend(seat.chips);
        mend(seat.bet);
    }
    if (belowZero)
        Note(error, path, which + " holds amounts below zero, set to 0");
    if (game.level == 0) {
        game.level = 1;
        Note(error, path, which + " is at level 0, set to 1");
    }
    // After the mending above: a bet so high that not even the first level
    // can be played leaves nothing to resume.
    const uint32_t highest = HighestLevel(record, game.minBet > 0.0 ? game.minBet : record.startBet);
    if (game.level > highest) {
        Note(error, path, which + " is at level " + std::to_string(game.level) + ", beyond the last it can reach (" +
                              std::to_string(highest) + "); dropped");
        return false;
    }
    bool namesCleared = false;
    for (SeatRecord& seat : game.seats)
        if (!Gamespace::GameMgr::IsSeatName(seat.name)) {
            seat.name.clear();
            namesCleared = true;
        }
    if (namesCleared)
        Note(error, path, which + " holds a seat name no player is given, cleared");
    return true;
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

// The file's own name, without its folder: what the player reads.
std::string FileName(const std::string& path)
{
    return path.substr(path.find_last_of("/\\") + 1);
}

// A problem with the player's files, told under the notice's heading.
KernelLibrary::Problem FileProblem(const std::string& what, const std::string& path)
{
    KernelLibrary::Problem problem;
    problem.what = what;
    problem.path = path;
    return problem;
}

// The notes of a load (one line each, every one naming the file) as one
// reason: "ends inside its header; ...".
std::string NotesInWords(const std::string& notes, const std::string& path)
{
    const std::string prefix = "Profile file '" + path + "': ";
    std::string words;
    size_t start = 0;
    while (start < notes.size()) {
        size_t end = notes.find('\n', start);
        if (end == std::string::npos)
            end = notes.size();
        std::string line = notes.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0)
            line.erase(0, prefix.size());
        words += (words.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return words;
}

// The first free name for a copy of `path` kept aside: "<file>.damaged",
// then ".damaged1"...; empty when all are taken.
std::string FreeDamagedName(const std::string& path)
{
    for (int n = 0; n < 100; ++n) {
        const std::string candidate = path + ".damaged" + (n ? std::to_string(n) : std::string());
        if (!BinaryDataFile(candidate).Exists())
            return candidate;
    }
    return {};
}

// Keeps a damaged profile file as it was, beside itself, before anything
// is saved over it: a copy when the profile was repaired (the next save
// writes the repair), the file itself moved aside when it was refused (its
// name is then free for a new profile). What to tell the player.
KernelLibrary::Problem KeepDamagedFile(const std::string& path, const std::string& notes, bool refused,
                                       const std::string& name)
{
    KernelLibrary::Problem problem = FileProblem(
        refused ? "The profile " + FileName(path) + " was not loaded" : name + "'s profile was damaged and mended",
        path);
    problem.cause = NotesInWords(notes, path);
    if (gWritesHeld) {
        problem.outcome = "The file is left as it is.";
        return problem;
    }
    BinaryDataFile file(path);
    const std::string copy = FreeDamagedName(path);
    if (!copy.empty() && file.KeepCopyAs(copy) && (!refused || file.Delete())) {
        problem.outcome = (refused ? "It was moved to " : "The original was kept as ") + FileName(copy) + ".";
        return problem;
    }
    const platform::FileError& failure = file.LastFileError();
    problem.step = copy.empty() ? platform::FileStep::KeepCopyOf : failure.step;
    problem.path = copy.empty() ? path : failure.path;
    problem.code = copy.empty() ? EEXIST : failure.code;
    problem.outcome = refused ? "It could not be moved aside and is left as it is."
                              : "The original could not be kept before the repair.";
    return problem;
}

// A file the load passed over, left as it is, and why.
KernelLibrary::Problem SkippedFile(const std::string& path, const std::string& cause)
{
    KernelLibrary::Problem problem = FileProblem("The profile " + FileName(path) + " was not loaded", path);
    problem.cause = cause;
    problem.outcome = "The file is left as it is.";
    return problem;
}

// Whether the profile was read from the file its name gives (letter case
// ignored, as file names match).
bool IsOwnFile(const Profile& profile)
{
    const std::string name = FileName(profile.file);
    const std::string own = profile.name + "_.usr";
    return name.size() == own.size() &&
           std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// What LoadProfile found.
struct Reading {
    bool loaded = false;
    // The file could not be opened; the system's error.
    platform::FileError openError;
    std::string notes;
};

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

bool IsProfileFileName(const std::string& path)
{
    static const std::string kEnd = "_.usr";
    if (path.size() < kEnd.size())
        return false;
    for (size_t i = 0; i < kEnd.size(); ++i) {
        char c = path[path.size() - kEnd.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kEnd[i])
            return false;
    }
    return true;
}

std::string Profile::FilePath() const
{
    if (!IsValidProfileName(name))
        return std::string();
    return file.empty() ? ProfileFolder() + name + "_.usr" : file;
}

bool Profile::RemoveFile(platform::FileError* error) const
{
    BinaryDataFile file(FilePath());
    // A file the player may not read is there all the same: it is deleted,
    // or the player stays.
    if (AreProfileWritesHeld() || !platform::FileExists(FilePath()) || file.Delete())
        return true;
    if (error)
        *error = file.LastFileError();
    return false;
}

bool SaveProfile(Profile& profile, platform::FileError* error)
{
    const std::string path = profile.FilePath();
    if (path.empty()) {
        if (error)
            *error = platform::FileError{platform::FileStep::Write, ProfileFolder() + profile.name + "_.usr", EINVAL,
                                         "the name cannot be used for a file"};
        return false;
    }
    if (gWritesHeld)
        return true;
    // The whole file is written afresh and stored in one step: a new
    // profile's file appears whole or not at all, an old one is replaced
    // whole or kept as it was.
    BinaryDataFile file(path);
    file.OpenNew();
    FieldWriter out(file);
    WriteProfile(out, profile);
    const std::vector<uint8_t>& bytes = file.PendingContents();
    const std::string written(bytes.begin(), bytes.end());
    // A profile that did not change since it was read or saved is not
    // written again: a file the player may not write is then never touched.
    if (written == profile.storedBytes && BinaryDataFile(path).Exists()) {
        file.Discard();
        return true;
    }
    // A new installation has no profile folder yet; without one every
    // player made would be lost.
    platform::FileError failure;
    const size_t folderEnd = path.rfind('/');
    const bool folderThere = folderEnd == std::string::npos ||
                             BinaryDataFile::MakeFolder(path.substr(0, folderEnd), &failure);
    if (!folderThere)
        file.Discard();
    else if (file.Close())
        profile.storedBytes = written;
    else
        failure = file.LastFileError();
    if (failure.code == 0)
        return true;
    if (error)
        *error = failure;
    return false;
}

namespace {

// The block of exact amounts after the tournaments, where the file has one.
// A block that is damaged, or an entry that does not match its tournament,
// leaves the tournaments as their records hold them.
void ReadHandAmounts(FieldReader& in, Profile& profile, const std::vector<KeptTournament>& kept,
                     const std::string& path, std::string* error)
{
    uint32_t tag = 0;
    uint16_t version = 0;
    uint16_t entries = 0;
    in.U32(tag);
    in.U16(version);
    in.U16(entries);
    if (!in.Ok() || tag != kHandAmountsTag || version != kHandAmountsVersion || entries > kTournamentCount) {
        Note(error, path, "the amounts kept after its tournaments are damaged; a hand left in play is paid as one pot");
        return;
    }
    std::vector<bool> taken(profile.savedGames.size(), false);
    for (uint16_t e = 0; e < entries; ++e) {
        uint16_t id = 0;
        in.U16(id);
        // The first tournament of that id not yet given its amounts; an entry
        // for a tournament the load dropped is read and passed over.
        size_t g = 0;
        while (g < profile.savedGames.size() && (taken[g] || profile.savedGames[g]->tournamentId != id))
            ++g;
        const bool found = g < profile.savedGames.size();
        SavedGame exact = found ? *profile.savedGames[g] : SavedGame{};
        HandAmountsFields(in, exact);
        if (!in.Ok()) {
            Note(error, path, "ends inside the amounts kept after its tournaments; a hand left in play is paid as one pot");
            return;
        }
        if (!found)
            continue;
        taken[g] = true;
        if (AmountsMatch(exact, *profile.savedGames[g]))
            *profile.savedGames[g] = exact;
        else
            Note(error, path, "the amounts kept for tournament " + std::to_string(kept[g].number) +
                                  " differ from its record; a hand left in play there is paid as one pot");
    }
}

Reading ReadProfile(Profile& profile, const std::string& path)
{
    Reading reading;
    std::string* error = &reading.notes;
    if (!IsProfileFileName(path)) {
        Note(error, path, "is not a profile file");
        return reading;
    }
    BinaryDataFile file(path);
    if (!file.OpenForReading()) {
        reading.openError = platform::FileError{platform::FileStep::Read, path, errno != 0 ? errno : ENOENT, {}};
        Note(error, path, "cannot be opened");
        return reading;
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
        return reading;
    }
    profile.file = path;

    if (!IsValidProfileName(profile.name)) {
        Note(error, path, "holds no usable player name");
        return reading;
    }
    // The set-up screen keeps one tournament per catalogue record: a file
    // holding more was not written by the game, and taking it would mean
    // reading, keeping and rewriting after every hand whatever it holds.
    if (count > kTournamentCount) {
        Note(error, path,
             "holds " + std::to_string(count) + " tournaments, more than the game makes (" +
                 std::to_string(kTournamentCount) + ")");
        return reading;
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

    std::vector<KeptTournament> kept;
    bool whole = true;
    for (uint32_t i = 0; i < count; ++i) {
        auto game = std::make_unique<SavedGame>();
        SavedGameFields(in, *game);
        if (!in.Ok()) {
            Note(error, path, "ends inside tournament " + std::to_string(i + 1) + " of " + std::to_string(count) +
                                  "; the rest is dropped");
            whole = false;
            break;
        }
        const std::string which = "tournament " + std::to_string(i + 1);
        Tournament record;
        if (!FindTournament(game->tournamentId, record)) {
            Note(error, path, which + " names no known tournament (" + std::to_string(game->tournamentId) +
                                  "); dropped");
            continue;
        }
        if (!CheckNumbers(*game, record, which, kept, path, error))
            continue;
        kept.push_back({game->tournamentId, i + 1});
        bool cardsRepaired = RepairCards(game->board.data(), game->board.size());
        cardsRepaired = RepairCards(game->tableCards.data(), game->tableCards.size()) || cardsRepaired;
        for (SeatRecord& seat : game->seats)
            cardsRepaired = RepairCards(seat.cards.data(), seat.cards.size()) || cardsRepaired;
        if (cardsRepaired)
            Note(error, path, "tournament " + std::to_string(i + 1) + " holds impossible cards, cleared");
        profile.savedGames.push_back(std::move(game));
    }
    // What the file holds: a save that would write the same writes nothing.
    if (!BinaryDataFile::ReadWhole(path, &profile.storedBytes))
        profile.storedBytes.clear();
    if (whole && profile.storedBytes.size() > kHeaderBytes + count * kTournamentBytes)
        ReadHandAmounts(in, profile, kept, path, error);
    file.Close();
    reading.loaded = true;
    return reading;
}

} // namespace

bool LoadProfile(Profile& profile, const std::string& path, std::string* error)
{
    Reading reading = ReadProfile(profile, path);
    if (error && !reading.notes.empty())
        *error += (error->empty() ? "" : "\n") + reading.notes;
    return reading.loaded;
}

std::vector<KernelLibrary::Problem> LoadAllProfiles(ProfileList& list, const std::vector<std::string>& alsoRead)
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
    std::vector<KernelLibrary::Problem> problems;
    std::vector<std::unique_ptr<Profile>> read;
    for (const std::string& path : paths) {
        if (!IsProfileFileName(path)) {
            problems.push_back(SkippedFile(path, "its name does not end in _.usr"));
            continue;
        }
        auto profile = std::make_unique<Profile>();
        const Reading reading = ReadProfile(*profile, path);
        if (reading.openError.code != 0) {
            KernelLibrary::Problem problem = SkippedFile(path, "");
            problem.step = reading.openError.step;
            problem.code = reading.openError.code;
            problems.push_back(problem);
            continue;
        }
        if (!reading.notes.empty())
            problems.push_back(KeepDamagedFile(path, reading.notes, !reading.loaded, profile->name));
        if (reading.loaded)
            read.push_back(std::move(profile));
    }
    // A file named after the player it holds is that player's own; one
    // holding another name (copied or renamed by hand) comes after all of
    // those, so that it never stands in for the player's own file.
    std::stable_partition(read.begin(), read.end(),
                          [](const std::unique_ptr<Profile>& profile) { return IsOwnFile(*profile); });
    bool anyActive = false;
    for (std::unique_ptr<Profile>& profile : read) {
        const std::string& path = profile->file;
        if (const Profile* listed = list.FindSharingFile(profile->name)) {
            problems.push_back(SkippedFile(
                path, "the player " + listed->name + " is loaded from " + FileName(listed->FilePath()) +
                          (listed->name == profile->name ? "" : ", whose file a name differing only in case would share")));
            continue;
        }
        const bool active = profile->active != 0;
        if (!list.Add(profile.get()))
            continue;
        profile.release();
        anyActive = anyActive || active;
    }
    if (!anyActive && list.Count() > 0)
        list.At(0)->SetActive(true);
    return problems;
}

bool DeleteProfile(std::unique_ptr<Profile> profile, platform::FileError* error)
{
    return !profile || profile->RemoveFile(error);
}
