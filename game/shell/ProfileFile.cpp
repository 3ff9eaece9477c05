#include "game/shell/ProfileFile.h"

#include "game/shell/ProfileList.h"
#include "game/table/Tournament.h"
#include "common/BinaryDataFile.h"
#include "platform/core/FileSystem.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

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
class Writer {
public:
    explicit Writer(BinaryDataFile& file) : file_(file) {}
    void Byte(uint8_t v) { ok_ = ok_ && file_.WriteByte(v); }
    void U16(uint32_t v) { ok_ = ok_ && file_.WriteShort(static_cast<uint16_t>(v)); }
    void Money(double v) { ok_ = ok_ && file_.WriteUInt(MoneyToFile(v)); }
    void Text(const std::string& v, uint32_t length) { ok_ = ok_ && file_.WriteString(v, length); }
    void Cards(const Card* cards, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            U16(cards[i].suit);
            U16(cards[i].rank);
        }
    }
    bool Ok() const { return ok_; }

private:
    BinaryDataFile& file_;
    bool ok_ = true;
};

void WriteSeat(Writer& out, const SeatRecord& seat)
{
    out.U16(seat.seatNumber);
    out.Money(seat.chips);
    out.Money(seat.bet);
    out.U16(seat.rebuysTaken | (seat.styleCode << 8));
    out.Text(seat.name, kSeatNameLength);
    out.Byte(seat.active);
    out.Byte(seat.inHand);
    out.Byte(seat.dealer);
    out.Cards(seat.cards.data(), seat.cards.size());
}

void WriteSavedGame(Writer& out, const SavedGame& game)
{
    out.U16(game.tournamentId);
    out.Byte(game.inUse);
    out.Byte(game.current);
    out.Money(game.minBet);
    out.U16(game.level);
    out.Money(game.totalBuyIns);
    out.Money(game.buyIn);
    out.U16(game.levelTimeLeft);
    out.U16(game.boardStage);
    out.Byte(game.betMade);
    out.U16(game.resumePosition);
    out.Money(game.totalPot);
    out.Money(game.currentBet);
    out.Byte(game.stageDialogPending);
    out.Byte(game.handOver);
    out.Cards(game.board.data(), game.board.size());
    out.Byte(game.humanDealer);
    out.Byte(game.humanInHand);
    out.Money(game.startChips);
    out.Money(game.humanBet);
    out.U16(game.rebuysTaken);
    out.Cards(game.tableCards.data(), game.tableCards.size());
    for (const SeatRecord& seat : game.seats)
        WriteSeat(out, seat);
}

void WriteProfile(Writer& out, const Profile& profile)
{
    out.Byte(profile.active);
    out.Byte(profile.customOption);
    out.U16(profile.computerStyle);
    out.Text(profile.name, Profile::kMaxNameLength);
    for (const TableChoice* choice : {&profile.limit, &profile.noLimit, &profile.potLimit}) {
        out.U16(choice->tableIndex);
        out.U16(choice->players);
    }
    for (double total : profile.money)
        out.Money(total);
    out.U16(kFormatVersion);
    uint32_t count = 0;
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            ++count;
    out.U16(count);
    for (const auto& game : profile.savedGames)
        if (game && game->inUse != 0)
            WriteSavedGame(out, *game);
}

// Reads fields in file order; once a read fails (the file ended) every
// later read fails too and the target keeps its value.
class Reader {
public:
    explicit Reader(BinaryDataFile& file) : file_(file) {}
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
    void Money(double& v)
    {
        uint32_t w = 0;
        if (ok_ && (ok_ = file_.ReadUInt(&w)))
            v += static_cast<double>(static_cast<int32_t>(w));
    }
    void Text(std::string& v, uint32_t length)
    {
        if (ok_)
            ok_ = file_.ReadString(&v, length);
    }
    void Cards(Card* cards, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            U16(cards[i].suit);
            U16(cards[i].rank);
        }
    }
    bool Ok() const { return ok_; }

private:
    BinaryDataFile& file_;
    bool ok_ = true;
};

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

void ReadSeat(Reader& in, SeatRecord& seat)
{
    in.U16(seat.seatNumber);
    in.Money(seat.chips);
    in.Money(seat.bet);
    uint16_t rebuysAndStyle = 0;
    in.U16(rebuysAndStyle);
    seat.rebuysTaken = static_cast<uint8_t>(rebuysAndStyle & 0xFF);
    seat.styleCode = static_cast<uint8_t>(rebuysAndStyle >> 8);
    in.Text(seat.name, kSeatNameLength);
    in.Flag(seat.active);
    in.Flag(seat.inHand);
    in.Flag(seat.dealer);
    in.Cards(seat.cards.data(), seat.cards.size());
}

void ReadSavedGame(Reader& in, SavedGame& game)
{
    in.U16(game.tournamentId);
    in.Flag(game.inUse);
    in.Flag(game.current);
    in.Money(game.minBet);
    in.U16(game.level);
    in.Money(game.totalBuyIns);
    in.Money(game.buyIn);
    in.U16(game.levelTimeLeft);
    in.U16(game.boardStage);
    in.Flag(game.betMade);
    in.U16(game.resumePosition);
    in.Money(game.totalPot);
    in.Money(game.currentBet);
    in.Flag(game.stageDialogPending);
    in.Flag(game.handOver);
    in.Cards(game.board.data(), game.board.size());
    in.Flag(game.humanDealer);
    in.Flag(game.humanInHand);
    in.Money(game.startChips);
    in.Money(game.humanBet);
    in.U16(game.rebuysTaken);
    in.Cards(game.tableCards.data(), game.tableCards.size());
    for (SeatRecord& seat : game.seats)
        ReadSeat(in, seat);
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

} // namespace

bool SaveProfile(Profile& profile, std::string* error)
{
    std::string path = profile.FilePath();
    if (path.empty()) {
        Note(error, "save/" + profile.name + "_.usr", "the name cannot be used for a file");
        return false;
    }
    BinaryDataFile file(path);
    bool created = false;
    std::string previous;
    if (!platform::FileExists(path)) {
        if (!file.Create()) {
            Note(error, path, "cannot be created: " + file.LastError());
            return false;
        }
        created = true;
    } else if (!platform::ReadWholeFile(path, &previous)) {
        Note(error, path, "cannot be read");
        return false;
    }
    bool ok = file.Open(1) && file.Truncate();
    if (ok) {
        Writer out(file);
        WriteProfile(out, profile);
        ok = out.Ok();
        if (!ok) {
            // Put the old contents back so that closing stores nothing new.
            file.Truncate();
            for (char c : previous)
                file.WriteByte(static_cast<uint8_t>(c));
        }
    }
    bool stored = file.Close();
    if (!ok || !stored) {
        Note(error, path, "cannot be written" + (file.LastError().empty() ? std::string() : ": " + file.LastError()));
        if (created)
            platform::DeleteFile(path);
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
    Reader in(file);
    in.Flag(profile.active);
    in.Flag(profile.customOption);
    in.U16(profile.computerStyle);
    in.Text(profile.name, Profile::kMaxNameLength);
    for (TableChoice* choice : {&profile.limit, &profile.noLimit, &profile.potLimit}) {
        in.U16(choice->tableIndex);
        in.U16(choice->players);
    }
    for (double& total : profile.money)
        in.Money(total);
    uint16_t version = 0;
    in.U16(version);
    uint16_t count = 0;
    in.U16(count);
    if (!in.Ok())
        Note(error, path, "ends inside its header");

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
        ReadSavedGame(in, *game);
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

size_t SaveAllProfiles(ProfileList& list)
{
    size_t failed = 0;
    for (size_t i = 0; i < list.Count(); ++i)
        if (!SaveProfile(*list.At(i)))
            ++failed;
    return failed;
}

void LoadAllProfiles(ProfileList& list)
{
    std::vector<std::string> names;
    BinaryDataFile::ListFiles("save/", "usr", &names);
    bool anyActive = false;
    for (const std::string& name : names) {
        auto profile = std::make_unique<Profile>();
        if (!LoadProfile(*profile, "save/" + name))
            continue;
        bool active = profile->active != 0;
        if (!list.Add(profile.get()))
            continue;
        profile.release();
        anyActive = anyActive || active;
    }
    if (!anyActive && list.Count() > 0)
        list.At(0)->SetActive(true);
}

void DeleteProfile(std::unique_ptr<Profile> profile)
{
    if (!profile)
        return;
    profile->RemoveFile();
}
