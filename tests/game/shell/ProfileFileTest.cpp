#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileSaving.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/shell/ProfileTestSupport.h"

#include <sys/resource.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

using ProfileFile = ProfileFolderTest;

std::unique_ptr<SavedGame> BusyTournament(uint16_t id)
{
    auto game = std::make_unique<SavedGame>();
    game->newGame = 0;
    game->tournamentId = id;
    game->inUse = 1;
    game->current = 1;
    game->minBet = 40.0;
    game->level = 3;
    game->totalBuyIns = 500.0;
    game->buyIn = 70.0;
    game->levelTimeLeft = 95;
    game->boardStage = 2;
    game->betMade = 1;
    game->resumePosition = 4;
    game->totalPot = 320.0;
    game->currentBet = 80.0;
    game->handOver = 1;
    game->board = {Card(12, 3), Card(0, 0), Card(5, 2), Card::None(), Card::None()};
    game->humanInHand = 1;
    game->startChips = 1450.0;
    game->humanBet = 20.0;
    game->rebuysTaken = 1;
    game->tableCards = {Card(11, 1), Card(10, 1)};
    for (size_t i = 0; i < game->seats.size(); ++i) {
        SeatRecord& seat = game->seats[i];
        seat.seatNumber = static_cast<uint16_t>(i + 1);
        seat.chips = 1000.0 + static_cast<double>(i);
        seat.bet = static_cast<double>(i) * 2.0;
        seat.rebuysTaken = 1;
        seat.styleCode = 2;
        seat.name = "Seat" + std::to_string(i);
        seat.active = 1;
        seat.dealer = i == 3;
        seat.inHand = i % 2;
        seat.cards = {Card(static_cast<uint32_t>(i), 0), Card(static_cast<uint32_t>(i), 1)};
    }
    return game;
}

std::string U16(uint16_t v)
{
    return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

std::string I32(int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    return U16(static_cast<uint16_t>(u >> 16)) + U16(static_cast<uint16_t>(u & 0xFFFF));
}

std::string Text15(const std::string& text)
{
    std::string field = text;
    field.resize(15, '\0');
    return field;
}

std::string CardBytes(uint16_t rank, uint16_t suit) { return U16(suit) + U16(rank); }

// A header for `name` with the given count and nothing after it.
std::string Header(const std::string& name, uint16_t count)
{
    std::string bytes{'\1', '\1'};
    bytes += U16(0);
    std::string field = name;
    field.resize(15, '\0');
    bytes += field;
    for (int i = 0; i < 3; ++i)
        bytes += U16(0) + U16(10);
    bytes += std::string(24, '\0');
    bytes += U16(2) + U16(count);
    return bytes;
}

} // namespace

TEST_F(ProfileFile, NewProfileGivesTheExpectedBytes)
{
    Profile ann;
    ann.name = "Ann";
    ann.gameType = kGameLimitTournament;
    ann.savedGames.push_back(std::make_unique<SavedGame>()); // not in use: not written
    ASSERT_TRUE(SaveProfile(ann));
    std::string expected = std::string{0, 1, 0, 0} + "Ann" + std::string(12, '\0') +
                           std::string{0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10} + std::string(24, '\0') +
                           std::string{0, 2, 0, 0};
    EXPECT_EQ(Bytes("save/Ann_.usr"), expected);
}

// A header written the way the file has always held it, every field a value
// of its own: loading puts each into the field of that meaning, and saving
// gives the same bytes back.
TEST_F(ProfileFile, AKnownHeaderLoadsIntoNamedFieldsAndSavesByteForByte)
{
    const std::string bytes = std::string{'\1', '\0'} + U16(2) + Text15("Lou") + U16(3) + U16(9) + U16(1) +
                              U16(2) + U16(5) + U16(7) + I32(1500) + I32(-20) + I32(0) + I32(77) + I32(INT32_MAX) +
                              I32(-1) + U16(2) + U16(0);
    ASSERT_EQ(bytes.size(), 59u);
    WriteBytes("save/Lou_.usr", bytes);

    Profile lou;
    std::string error;
    ASSERT_TRUE(LoadProfile(lou, "save/Lou_.usr", &error)) << error;
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(lou.active, 1);
    EXPECT_EQ(lou.announceStages, 0);
    EXPECT_EQ(lou.computerStyle, 2u);
    EXPECT_EQ(lou.name, "Lou");
    EXPECT_EQ(lou.limit.tableIndex, 3);
    EXPECT_EQ(lou.limit.players, 9);
    EXPECT_EQ(lou.noLimit.tableIndex, 1);
    EXPECT_EQ(lou.noLimit.players, 2);
    EXPECT_EQ(lou.potLimit.tableIndex, 5);
    EXPECT_EQ(lou.potLimit.players, 7);
    EXPECT_EQ(lou.money, (std::array<double, 6>{1500.0, -20.0, 0.0, 77.0, double(INT32_MAX), -1.0}));

    ASSERT_TRUE(platform::DeleteFile("save/Lou_.usr"));
    ASSERT_TRUE(SaveProfile(lou));
    EXPECT_EQ(Bytes("save/Lou_.usr"), bytes);
}

TEST_F(ProfileFile, EveryStoredFieldSurvivesSaveAndLoad)
{
    Profile bob;
    bob.name = "Bob";
    bob.active = 1;
    bob.announceStages = 0;
    bob.computerStyle = 3;
    bob.gameType = kGameLimitTournament;
    bob.limit = {1, 4};
    bob.noLimit = {2, 6};
    bob.potLimit = {5, 2};
    bob.money = {1234.99, -5.5, 3e12, -3e12, 7.0, 0.0};
    bob.savedGames.push_back(std::make_unique<SavedGame>());
    bob.savedGames.push_back(BusyTournament(7));
    ASSERT_TRUE(SaveProfile(bob));
    EXPECT_EQ(Bytes("save/Bob_.usr").size(), 59u + 417u);

    Profile loaded;
    std::string error;
    ASSERT_TRUE(LoadProfile(loaded, "save/Bob_.usr", &error));
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(loaded.active, 1);
    EXPECT_EQ(loaded.announceStages, 0);
    EXPECT_EQ(loaded.computerStyle, 3u);
    EXPECT_EQ(loaded.gameType, kGameNoLimit) << "the game type is not stored";
    EXPECT_EQ(loaded.limit.tableIndex, 1);
    EXPECT_EQ(loaded.limit.players, 4);
    EXPECT_EQ(loaded.noLimit.players, 6);
    EXPECT_EQ(loaded.potLimit.tableIndex, 5);
    EXPECT_EQ(loaded.money[0], 1234.0);
    EXPECT_EQ(loaded.money[1], -5.0);
    EXPECT_EQ(loaded.money[2], static_cast<double>(INT32_MAX)) << "a huge total is held, not wrapped";
    EXPECT_EQ(loaded.money[3], static_cast<double>(INT32_MIN));

    ASSERT_EQ(loaded.savedGames.size(), 1u);
    const SavedGame& game = *loaded.savedGames[0];
    const auto original = BusyTournament(7);
    EXPECT_EQ(game.newGame, 1);
    EXPECT_EQ(loaded.GetCurrentSavedGame(), &game);
    EXPECT_EQ(game.tournamentId, 7);
    EXPECT_EQ(game.level, 3u);
    EXPECT_EQ(game.totalBuyIns, 500.0);
    EXPECT_EQ(game.buyIn, 70.0);
    EXPECT_EQ(game.levelTimeLeft, 95);
    EXPECT_EQ(game.boardStage, 2);
    EXPECT_EQ(game.betMade, 1);
    EXPECT_EQ(game.resumePosition, 4);
    EXPECT_EQ(game.totalPot, 320.0);
    EXPECT_EQ(game.currentBet, 80.0);
    EXPECT_EQ(game.stageDialogPending, 0);
    EXPECT_EQ(game.handOver, 1);
    EXPECT_EQ(game.board, original->board);
    EXPECT_EQ(game.humanInHand, 1);
    EXPECT_EQ(game.startChips, 1450.0);
    EXPECT_EQ(game.humanBet, 20.0);
    EXPECT_EQ(game.rebuysTaken, 1u);
    EXPECT_EQ(game.tableCards, original->tableCards);
    for (size_t i = 0; i < game.seats.size(); ++i) {
        const SeatRecord& seat = game.seats[i];
        const SeatRecord& want = original->seats[i];
        EXPECT_EQ(seat.seatNumber, want.seatNumber);
        EXPECT_EQ(seat.chips, want.chips);
        EXPECT_EQ(seat.bet, want.bet);
        EXPECT_EQ(seat.rebuysTaken, want.rebuysTaken);
        EXPECT_EQ(seat.styleCode, want.styleCode);
        EXPECT_EQ(seat.name, want.name);
        EXPECT_EQ(seat.active, want.active);
        EXPECT_EQ(seat.dealer, want.dealer) << i;
        EXPECT_EQ(seat.inHand, want.inHand) << i;
        EXPECT_EQ(seat.cards, want.cards);
    }
}

TEST_F(ProfileFile, LoadingOverAProfileThatHoldsAmountsReplacesThem)
{
    Profile eve;
    eve.name = "Eve";
    eve.money = {250.0, -40.0, 0.0, 0.0, 0.0, 0.0};
    ASSERT_TRUE(SaveProfile(eve));

    Profile reused;
    reused.money = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
    ASSERT_TRUE(LoadProfile(reused, "save/Eve_.usr"));
    EXPECT_EQ(reused.money, eve.money) << "the file's amounts, not added to what the profile held";
}

// A tournament record written the way the file has always held it, every
// field a value of its own: loading puts each value into the field of that
// meaning, and saving gives the same bytes back.
TEST_F(ProfileFile, AKnownTournamentRecordLoadsIntoNamedFieldsAndSavesByteForByte)
{
    std::string record = U16(3) + '\1' + '\1' + I32(40) + U16(4) + I32(1500) + I32(170) + U16(95);
    record += U16(2) + '\1' + U16(6) + I32(320) + I32(80) + '\1' + '\0';  // the hand in play
    record += CardBytes(12, 3) + CardBytes(0, 0) + CardBytes(5, 2) + CardBytes(14, 5) + CardBytes(14, 5);
    record += std::string{'\1', '\1'} + I32(1450) + I32(20) + U16(2);  // the human's seat
    record += CardBytes(11, 1) + CardBytes(10, 1);
    // The last seat bought its add-on: the top bit of its re-buys' byte.
    for (uint16_t i = 0; i < 9; ++i)
        record += U16(static_cast<uint16_t>(i + 1)) + I32(1000 + i) + I32(2 * i) +
                  U16(static_cast<uint16_t>(0x0300 | i | (i == 8 ? 0x80 : 0))) +
                  Text15("Seat" + std::to_string(i)) + '\1' + static_cast<char>(i % 2) + static_cast<char>(i == 4) +
                  CardBytes(i, 0) + CardBytes(i, 1);
    ASSERT_EQ(record.size(), 417u);
    std::string header = Header("Kim", 1);
    header[1] = 0;
    header.replace(31, 4, I32(-250));
    const std::string bytes = header + record;
    WriteBytes("save/Kim_.usr", bytes);

    Profile kim;
    std::string error;
    ASSERT_TRUE(LoadProfile(kim, "save/Kim_.usr", &error)) << error;
    EXPECT_TRUE(error.empty()) << error;
    ASSERT_EQ(kim.savedGames.size(), 1u);
    const SavedGame& game = *kim.savedGames[0];
    EXPECT_EQ(game.level, 4u);
    EXPECT_EQ(game.levelTimeLeft, 95);
    EXPECT_EQ(game.boardStage, 2);
    EXPECT_EQ(game.betMade, 1);
    EXPECT_EQ(game.resumePosition, 6);
    EXPECT_EQ(game.totalPot, 320.0);
    EXPECT_EQ(game.currentBet, 80.0);
    EXPECT_EQ(game.stageDialogPending, 1);
    EXPECT_EQ(game.handOver, 0);
    EXPECT_EQ(game.board[2], Card(5, 2));
    EXPECT_EQ(game.humanDealer, 1);
    EXPECT_EQ(game.humanInHand, 1);
    EXPECT_EQ(game.startChips, 1450.0);
    EXPECT_EQ(game.humanBet, 20.0);
    EXPECT_EQ(game.rebuysTaken, 2u);
    EXPECT_EQ(game.tableCards[0], Card(11, 1));
    const SeatRecord& fifth = game.seats[4];
    EXPECT_EQ(fifth.seatNumber, 5);
    EXPECT_EQ(fifth.chips, 1004.0);
    EXPECT_EQ(fifth.bet, 8.0);
    EXPECT_EQ(fifth.rebuysTaken, 4);
    EXPECT_EQ(fifth.addOnTaken, 0);
    EXPECT_EQ(fifth.styleCode, 3);
    EXPECT_EQ(game.seats[8].rebuysTaken, 8);
    EXPECT_EQ(game.seats[8].addOnTaken, 1);
    EXPECT_EQ(fifth.name, "Seat4");
    EXPECT_EQ(fifth.inHand, 0);
    EXPECT_EQ(fifth.dealer, 1);
    EXPECT_EQ(game.seats[3].inHand, 1);
    // An earlier build's file: what each seat put in is not known.
    EXPECT_EQ(game.contributionsKnown, 0);

    ASSERT_TRUE(platform::DeleteFile("save/Kim_.usr"));
    ASSERT_TRUE(SaveProfile(kim));
    EXPECT_EQ(Bytes("save/Kim_.usr"), bytes);
}

namespace {

// Big game L left in the river's betting: blinds of half a chip, three seats'
// parts of the pot, a raise made.
std::unique_ptr<SavedGame> HandLeftInPlay()
{
    std::unique_ptr<SavedGame> game = BusyTournament(9);
    game->minBet = 75.0;
    game->level = 1;
    game->handOver = 0;
    game->contributionsKnown = 1;
    game->raiseCount = 2.0;
    game->totalPot = 1532.5;
    game->currentBet = 150.0;
    game->startChips = 0.0;
    game->humanBet = 0.0;
    game->humanContribution = 245.0;
    for (SeatRecord& seat : game->seats) {
        seat.inHand = 0;
        seat.bet = 0.0;
        seat.contribution = 37.5;
        seat.chips = 1462.5;
    }
    game->seats[1].inHand = 1;
    game->seats[1].bet = 150.0;
    game->seats[1].contribution = 745.0;
    game->seats[5].inHand = 1;
    game->seats[5].bet = 150.0;
    game->seats[5].contribution = 745.0;
    return game;
}

// Where the block of exact amounts begins in a file of one tournament, and
// where in it the human's chips and the first computer seat's chips lie.
constexpr size_t kAmountsAt = 59 + 417;
constexpr size_t kHumanChipsAt = kAmountsAt + 8 + 2 + 1 + 3 * 8;
constexpr size_t kFirstSeatChipsAt = kHumanChipsAt + 3 * 8;

std::string WithDouble(std::string bytes, size_t at, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<char>(bits >> (56 - 8 * i));
    return bytes;
}

} // namespace

// A tournament left with a hand in play keeps what each seat put in, the
// round's raises and every half chip, and an earlier build reading the same
// file finds the tournament it knows in the bytes it reads.
TEST_F(ProfileFile, AHandLeftInPlayKeepsEverySeatsPartOfThePotAndEveryHalfChip)
{
    Profile ivy;
    ivy.name = "Ivy";
    ivy.savedGames.push_back(HandLeftInPlay());
    const SavedGame kept = *ivy.savedGames[0];
    ASSERT_TRUE(SaveProfile(ivy));
    const std::string bytes = Bytes("save/Ivy_.usr");
    EXPECT_EQ(bytes.size(), kAmountsAt + 8 + 2 + 1 + 3 * 8 + 10 * 3 * 8);
    EXPECT_EQ(bytes.substr(kAmountsAt, 8), std::string("HAND") + U16(1) + U16(1));

    Profile loaded;
    std::string notes;
    ASSERT_TRUE(LoadProfile(loaded, "save/Ivy_.usr", &notes));
    EXPECT_EQ(notes, "");
    ASSERT_EQ(loaded.savedGames.size(), 1u);
    const SavedGame& game = *loaded.savedGames[0];
    EXPECT_EQ(game.contributionsKnown, 1);
    EXPECT_EQ(game.raiseCount, 2.0);
    EXPECT_EQ(game.totalPot, 1532.5);
    EXPECT_EQ(game.currentBet, 150.0);
    EXPECT_EQ(game.startChips, 0.0);
    EXPECT_EQ(game.humanContribution, 245.0);
    for (size_t i = 0; i < game.seats.size(); ++i) {
        EXPECT_EQ(game.seats[i].chips, kept.seats[i].chips) << i;
        EXPECT_EQ(game.seats[i].bet, kept.seats[i].bet) << i;
        EXPECT_EQ(game.seats[i].contribution, kept.seats[i].contribution) << i;
    }
    // Saved again unchanged, the file is not written again.
    ASSERT_TRUE(SaveProfile(loaded));
    EXPECT_EQ(Bytes("save/Ivy_.usr"), bytes);

    // The bytes before the block are the file an earlier build writes: read
    // alone, they hold the same tournament, amounts truncated to whole chips.
    WriteBytes("save/Ivy_.usr", bytes.substr(0, kAmountsAt));
    Profile earlier;
    notes.clear();
    ASSERT_TRUE(LoadProfile(earlier, "save/Ivy_.usr", &notes));
    EXPECT_EQ(notes, "");
    ASSERT_EQ(earlier.savedGames.size(), 1u);
    EXPECT_EQ(earlier.savedGames[0]->contributionsKnown, 0);
    EXPECT_EQ(earlier.savedGames[0]->totalPot, 1532.0);
    EXPECT_EQ(earlier.savedGames[0]->seats[0].chips, 1462.0);
}

// Amounts after the tournaments that are cut short, not ours, or not those
// of the tournament they name are told, and the tournament is kept as its
// record holds it: its hand in play is then paid as one pot.
TEST_F(ProfileFile, DamagedAmountsAreToldAndTheirTournamentIsKeptWithoutThem)
{
    Profile joe;
    joe.name = "Joe";
    joe.savedGames.push_back(HandLeftInPlay());
    ASSERT_TRUE(SaveProfile(joe));
    const std::string bytes = Bytes("save/Joe_.usr");
    std::string foreignTag = bytes;
    foreignTag[kAmountsAt] = 'X';
    const struct {
        std::string bytes;
        std::string note;
    } cases[] = {
        {bytes.substr(0, bytes.size() - 5), "ends inside the amounts kept after its tournaments"},
        {bytes.substr(0, kAmountsAt + 3), "the amounts kept after its tournaments are damaged"},
        {foreignTag, "the amounts kept after its tournaments are damaged"},
        {WithDouble(bytes, kFirstSeatChipsAt, 4000.0), "the amounts kept for tournament 1 differ from its record"},
        {WithDouble(bytes, kHumanChipsAt + 16, std::nan("")), "the amounts kept for tournament 1 differ from its record"},
        {WithDouble(bytes, kHumanChipsAt + 16, -245.0), "the amounts kept for tournament 1 differ from its record"},
        {WithDouble(bytes, kHumanChipsAt + 16, 3e9), "the amounts kept for tournament 1 differ from its record"},
    };
    for (const auto& damaged : cases) {
        WriteBytes("save/Joe_.usr", damaged.bytes);
        Profile loaded;
        std::string notes;
        ASSERT_TRUE(LoadProfile(loaded, "save/Joe_.usr", &notes)) << damaged.note;
        EXPECT_NE(notes.find(damaged.note), std::string::npos) << notes;
        EXPECT_NE(notes.find("a hand left in play"), std::string::npos) << notes;
        ASSERT_EQ(loaded.savedGames.size(), 1u) << damaged.note;
        EXPECT_EQ(loaded.savedGames[0]->contributionsKnown, 0) << damaged.note;
        EXPECT_EQ(loaded.savedGames[0]->seats[0].chips, 1462.0) << damaged.note;
    }

    // Loaded with the others, the damaged file is kept as it was beside the
    // one the mended profile is saved to.
    WriteBytes("save/Joe_.usr", foreignTag);
    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].what, "Joe's profile was damaged and mended");
    EXPECT_EQ(Bytes("save/Joe_.usr.damaged"), foreignTag);
}

TEST_F(ProfileFile, AFailedSaveLeavesThePreviousFileByteIdentical)
{
    Profile ann;
    ann.name = "Ann";
    ann.money[0] = 100.0;
    ASSERT_TRUE(SaveProfile(ann));
    const std::string before = Bytes("save/Ann_.usr");

    ann.money[0] = 999.0;
    ann.savedGames.push_back(BusyTournament(1));
    for (const char* failure : {"WriteFileAtomic.Write", "WriteFileAtomic.Sync", "WriteFileAtomic.Rename"}) {
        platform::testing::FailNext(failure, ENOSPC);
        platform::FileError error;
        EXPECT_FALSE(SaveProfile(ann, &error)) << failure;
        EXPECT_EQ(error.code, ENOSPC) << failure;
        EXPECT_EQ(Bytes("save/Ann_.usr"), before) << failure;
    }
    platform::testing::ClearFailures();
    EXPECT_TRUE(SaveProfile(ann));
    EXPECT_NE(Bytes("save/Ann_.usr"), before);
}

TEST_F(ProfileFile, AMissingSaveFolderIsMadeSoThatTheFirstPlayerIsNotLost)
{
    ASSERT_TRUE(platform::DeleteTree("save"));
    Profile ann;
    ann.name = "Ann";
    EXPECT_TRUE(SaveProfile(ann));
    EXPECT_EQ(Bytes("save/Ann_.usr").size(), 59u);

    // A file where the folder belongs stays as it is; the save fails.
    ASSERT_TRUE(platform::DeleteTree("save"));
    WriteBytes("save", "not a folder");
    platform::FileError error;
    EXPECT_FALSE(SaveProfile(ann, &error));
    EXPECT_EQ(error.step, platform::FileStep::MakeFolder);
    EXPECT_EQ(error.code, ENOTDIR);
    EXPECT_EQ(Bytes("save"), "not a folder");
}

TEST_F(ProfileFile, TruncatedFilesKeepWhatWasWhole)
{
    // Cut inside the header: no profile of ours can be told from it.
    for (size_t cut : {size_t(0), size_t(7), size_t(56)}) {
        WriteBytes("save/Cut_.usr", Header("Carla", 0).substr(0, cut));
        Profile carla;
        std::string error;
        EXPECT_FALSE(LoadProfile(carla, "save/Cut_.usr", &error)) << cut;
        EXPECT_NE(error.find("ends inside its header"), std::string::npos) << error;
    }
    std::string error;

    // Cut inside the second of two tournaments: the first survives.
    Profile dan;
    dan.name = "Dan";
    dan.savedGames.push_back(BusyTournament(2));
    dan.savedGames.push_back(BusyTournament(3));
    ASSERT_TRUE(SaveProfile(dan));
    std::string bytes = Bytes("save/Dan_.usr");
    WriteBytes("save/Dan_.usr", bytes.substr(0, bytes.size() - 100));
    Profile loaded;
    error.clear();
    ASSERT_TRUE(LoadProfile(loaded, "save/Dan_.usr", &error));
    ASSERT_EQ(loaded.savedGames.size(), 1u);
    EXPECT_EQ(loaded.savedGames[0]->tournamentId, 2);
    EXPECT_NE(error.find("ends inside tournament 2"), std::string::npos) << error;
}

TEST_F(ProfileFile, OutOfRangeValuesAreRepairedOrDropped)
{
    Profile fay;
    fay.name = "Fay";
    fay.computerStyle = 9;
    fay.limit = {6, 10};
    fay.noLimit = {0, 1};
    fay.potLimit = {3, 11};
    fay.savedGames.push_back(BusyTournament(0));
    fay.savedGames.push_back(BusyTournament(10));
    auto odd = BusyTournament(4);
    odd->board[0] = Card(20, 1);
    odd->seats[2].cards[1] = Card(3, 9);
    fay.savedGames.push_back(std::move(odd));
    // Numbers no table makes: a second copy of one tournament, a level
    // beyond the last one it can reach, chips below zero, a seat name
    // that fills its field with no end, level 0.
    fay.savedGames.push_back(BusyTournament(4));
    fay.savedGames.push_back(BusyTournament(1));
    fay.savedGames.back()->level = 65535;
    auto negative = BusyTournament(2);
    negative->seats[0].chips = -100.0;
    negative->startChips = -5.0;
    negative->seats[1].name = "Fifteen letters";
    fay.savedGames.push_back(std::move(negative));
    fay.savedGames.push_back(BusyTournament(3));
    fay.savedGames.back()->level = 0;
    // The last level Sit & Go P reaches at a start bet of 40: three players
    // sharing every chip its eight buy-ins and re-buys bring in.
    fay.savedGames.push_back(BusyTournament(5));
    fay.savedGames.back()->level = 200;
    // Level 0 at a bet so high that not even the first level can be played.
    fay.savedGames.push_back(BusyTournament(6));
    fay.savedGames.back()->level = 0;
    fay.savedGames.back()->minBet = 1e12;
    ASSERT_TRUE(SaveProfile(fay));

    Profile loaded;
    std::string error;
    ASSERT_TRUE(LoadProfile(loaded, "save/Fay_.usr", &error));
    EXPECT_EQ(loaded.computerStyle, 0u);
    EXPECT_EQ(loaded.limit.tableIndex, 0);
    EXPECT_EQ(loaded.noLimit.players, 10);
    EXPECT_EQ(loaded.potLimit.tableIndex, 3);
    EXPECT_EQ(loaded.potLimit.players, 10);
    ASSERT_EQ(loaded.savedGames.size(), 4u) << "tournaments 0 and 10 do not exist";
    EXPECT_EQ(loaded.savedGames[0]->tournamentId, 4);
    EXPECT_EQ(loaded.savedGames[0]->board[0], Card::None());
    EXPECT_EQ(loaded.savedGames[0]->board[1], Card(0, 0));
    EXPECT_EQ(loaded.savedGames[0]->seats[2].cards[1], Card::None());
    const SavedGame& mended = *loaded.savedGames[1];
    EXPECT_EQ(mended.tournamentId, 2);
    EXPECT_EQ(mended.seats[0].chips, 0.0);
    EXPECT_EQ(mended.startChips, 0.0);
    EXPECT_EQ(mended.seats[1].name, "") << "the table names the seat afresh";
    EXPECT_EQ(mended.seats[2].name, "Seat2");
    EXPECT_EQ(mended.level, 3u);
    EXPECT_EQ(loaded.savedGames[2]->level, 1u);
    EXPECT_EQ(loaded.savedGames[3]->level, 200u);
    // The notes count the tournaments from one, as the file holds them.
    EXPECT_NE(error.find("tournament 1 names no known tournament (0); dropped"), std::string::npos) << error;
    EXPECT_NE(error.find("tournament 3 holds impossible cards, cleared"), std::string::npos) << error;
    EXPECT_NE(error.find("tournament 4 is a second copy of tournament 3 (Satellite P); dropped"), std::string::npos)
        << error;
    EXPECT_NE(error.find("tournament 5 is at level 65535, beyond the last it can reach (83); dropped"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("tournament 6 holds amounts below zero, set to 0"), std::string::npos) << error;
    EXPECT_NE(error.find("tournament 6 holds a seat name no player is given, cleared"), std::string::npos) << error;
    EXPECT_NE(error.find("tournament 7 is at level 0, set to 1"), std::string::npos) << error;
    EXPECT_EQ(error.find("tournament 8"), std::string::npos) << error;
    EXPECT_NE(error.find("tournament 9 is at level 1, beyond the last it can reach (0); dropped"), std::string::npos)
        << error;
}

TEST_F(ProfileFile, FilesWithUnusableNamesAreRefused)
{
    // Whatever the new-player dialog would not take: a way out of "save/",
    // a blank, punctuation, more than ten characters.
    WriteBytes("save/Hostile_.usr", Header("../../x", 0));
    WriteBytes("save/Spaced_.usr", Header("Ann Lee", 0));
    WriteBytes("save/Dotted_.usr", Header("Ann.", 0));
    WriteBytes("save/Long_.usr", Header("ElevenChars", 0));
    WriteBytes("save/Empty_.usr", Header("", 0));
    WriteBytes("save/Nothing_.usr", "");
    for (const char* path : {"save/Hostile_.usr", "save/Spaced_.usr", "save/Dotted_.usr", "save/Long_.usr",
                             "save/Empty_.usr", "save/Nothing_.usr", "save/Missing_.usr"}) {
        Profile profile;
        std::string error;
        EXPECT_FALSE(LoadProfile(profile, path, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    Profile profile;
    EXPECT_FALSE(LoadProfile(profile, "save/Hostile.dat"));
}

TEST_F(ProfileFile, LoadingAllKeepsOneProfilePerNameAndAnActiveOne)
{
    std::string inactive = Header("Gus", 0);
    inactive[0] = 0;
    WriteBytes("save/Gus_.usr", inactive);
    WriteBytes("save/Gus2_.usr", inactive);
    std::string hal = Header("Hal", 0);
    hal[0] = 0;
    WriteBytes("save/Hal_.usr", hal);
    WriteBytes("save/Bad_.usr", Header("a/b", 0));
    WriteBytes("save/Ivy_.txt", Header("Ivy", 0));

    LoadAllProfiles(ProfileList::Instance());
    ProfileList& list = *ProfileList::Instance();
    ASSERT_EQ(list.Count(), 2u);
    ASSERT_NE(list.FindByName("Gus"), nullptr);
    EXPECT_EQ(list.FindByName("Gus")->name, "Gus");
    ASSERT_NE(list.FindByName("Hal"), nullptr);
    EXPECT_EQ(list.FindByName("Hal")->name, "Hal");
    EXPECT_EQ(ProfileList::CurrentProfile(), list.At(0)) << "with none active, the first becomes active";

    // A second active profile on disk does not outrank the first active one.
    ProfileList::Free();
    WriteBytes("save/Ivy_.usr", Header("Ivy", 0));
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ivy");
}

TEST_F(ProfileFile, BytesOfAnotherFormatAreNoProfile)
{
    std::string other = Header("Rex", 0);
    other[55] = 0x7F; // the format field
    WriteBytes("save/Rex_.usr", other);
    Profile rex;
    std::string error;
    EXPECT_FALSE(LoadProfile(rex, "save/Rex_.usr", &error));
    EXPECT_NE(error.find("no profile of this game (format 32514)"), std::string::npos) << error;
}

TEST_F(ProfileFile, APlayersOwnFileOutranksACopyUnderAnotherNameWhichIsSavedToOnlyWhenItIsHisOnlyOne)
{
    // A hand-made copy of Bob's file, under a name listed before his own.
    Profile bob;
    bob.name = "Bob";
    bob.money[0] = 500.0;
    ASSERT_TRUE(SaveProfile(bob));
    WriteBytes("save/ _.usr", Header("Bob", 0));

    std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    Profile& listed = *ProfileList::Instance()->At(0);
    EXPECT_EQ(listed.FilePath(), "save/Bob_.usr");
    EXPECT_EQ(listed.money[0], 500.0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].what + ": " + problems[0].cause,
              "The profile  _.usr was not loaded: the player Bob is loaded from Bob_.usr");
    listed.money[0] = 1.0;
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_EQ(Bytes("save/ _.usr"), Header("Bob", 0));
    EXPECT_EQ(Bytes("save/Bob_.usr").substr(31, 4), I32(1));

    // Alone, the copy is Bob's and is saved to; it is never overwritten by
    // a new player named after the file.
    ProfileList::Free();
    ASSERT_TRUE(platform::DeleteFile("save/Bob_.usr"));
    ASSERT_TRUE(platform::DeleteFile("save/ _.usr"));
    WriteBytes("save/Aaron_.usr", Header("Bob", 0));
    EXPECT_TRUE(LoadAllProfiles(*ProfileList::Instance()).empty());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(ProfileList::Instance()->At(0)->FilePath(), "save/Aaron_.usr");
    Profile aaron;
    aaron.name = "aaron";
    EXPECT_FALSE(ProfileList::Instance()->Add(&aaron));
    ProfileList::Instance()->At(0)->money[0] = 1.0;
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_NE(Bytes("save/Aaron_.usr"), Header("Bob", 0)) << "the change went to the file it came from";
    EXPECT_FALSE(platform::FileExists("save/Bob_.usr"));
}

TEST_F(ProfileFile, ARepairedOrRefusedFileIsKeptAsItWasAndEachIsToBeToldWithoutABoxOfItsOwn)
{
    Profile fay;
    fay.name = "Fay";
    fay.savedGames.push_back(BusyTournament(2));
    fay.savedGames.push_back(BusyTournament(99)); // no such tournament: dropped at load
    ASSERT_TRUE(SaveProfile(fay));
    const std::string original = Bytes("save/Fay_.usr");
    WriteBytes("save/Gil_.usr", std::string(80, '\x07'));
    const size_t boxesBefore = platform::testing::RecordedBoxes().size();

    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(Bytes("save/Fay_.usr.damaged"), original);
    EXPECT_EQ(Bytes("save/Gil_.usr.damaged"), std::string(80, '\x07'));
    EXPECT_FALSE(platform::FileExists("save/Gil_.usr")) << "its name is free for a new profile";
    EXPECT_EQ(platform::testing::RecordedBoxes().size(), boxesBefore);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].Lines(),
              (std::vector<std::string>{"Fay's profile was damaged and mended:",
                                        "tournament 2 names no known tournament (99); dropped.",
                                        "The original was kept as Fay_.usr.damaged."}));
    EXPECT_EQ(problems[1].Lines(), (std::vector<std::string>{"The profile Gil_.usr was not loaded:",
                                                             "is no profile of this game (format 1799).",
                                                             "It was moved to Gil_.usr.damaged."}));

    // The repair is saved; the copy stays, and a second repair keeps its own.
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_NE(Bytes("save/Fay_.usr"), original);
    EXPECT_EQ(Bytes("save/Fay_.usr.damaged"), original);
    ProfileList::Free();
    WriteBytes("save/Fay_.usr", original);
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(Bytes("save/Fay_.usr.damaged1"), original);
}

TEST_F(ProfileFile, MoreTournamentsThanTheGameMakesRefuseTheFile)
{
    // One tournament per catalogue record is all the set-up screen makes.
    Profile hal;
    hal.name = "Hal";
    for (uint16_t id = 1; id <= 9; ++id)
        hal.savedGames.push_back(BusyTournament(id));
    ASSERT_TRUE(SaveProfile(hal));
    Profile loaded;
    ASSERT_TRUE(LoadProfile(loaded, "save/Hal_.usr"));
    EXPECT_EQ(loaded.savedGames.size(), 9u);

    hal.savedGames.push_back(BusyTournament(1));
    ASSERT_TRUE(SaveProfile(hal));
    const std::string tenth = Bytes("save/Hal_.usr");
    // Far more than the file holds: nothing is made for them.
    WriteBytes("save/Eve_.usr", Header("Eve", 65535));
    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    EXPECT_EQ(ProfileList::Instance()->Count(), 0u);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].cause, "holds 65535 tournaments, more than the game makes (9)");
    EXPECT_EQ(problems[1].cause, "holds 10 tournaments, more than the game makes (9)");
    EXPECT_EQ(problems[1].outcome, "It was moved to Hal_.usr.damaged.");
    EXPECT_EQ(Bytes("save/Hal_.usr.damaged"), tenth);
}

TEST_F(ProfileFile, AProfileThePlayerMayOnlyReadIsLoadedAsItIs)
{
    Profile ann;
    ann.name = "Ann";
    ann.savedGames.push_back(BusyTournament(4));
    ASSERT_TRUE(SaveProfile(ann));
    const std::string bytes = Bytes("save/Ann_.usr");
    // Mode 444, or another user's file: whoever runs the test may write it.
    platform::testing::FailEveryCall("OpenFile.Write", EACCES);
    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(ProfileList::CurrentProfile()->savedGames.size(), 1u);
    EXPECT_EQ(Bytes("save/Ann_.usr"), bytes);
    EXPECT_FALSE(platform::FileExists("save/Ann_.usr.damaged"));
}

TEST_F(ProfileFile, FilesPassedOverAreLeftAsTheyAreAndEachIsToBeToldOnce)
{
    WriteBytes("save/Ann_.usr", Header("Ann", 0));
    // A twin differing in case: the two would share one file. (Written
    // past the file layer, which would take the name for Ann's.)
    std::ofstream("save/ann_.usr", std::ios::binary) << Header("ann", 0);
    // A copy holding another player's name.
    WriteBytes("save/Aaron_.usr", Header("Bob", 0));
    WriteBytes("save/Bob_.usr", Header("Bob", 0));
    // A name that differs only in the case of its end is a profile's name.
    WriteBytes("save/Cid_.USR", Header("Cid", 0));
    // No profile's name at all.
    WriteBytes("save/notes.usr", "the player's own notes");

    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    ProfileList& list = *ProfileList::Instance();
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.FindByName("Bob")->FilePath(), "save/Bob_.usr");
    ASSERT_NE(list.FindByName("Cid"), nullptr);
    EXPECT_EQ(list.FindByName("Cid")->FilePath(), "save/Cid_.USR");
    std::vector<std::string> told;
    for (const KernelLibrary::Problem& problem : problems) {
        told.push_back(problem.what + ": " + problem.cause);
        EXPECT_EQ(problem.outcome, "The file is left as it is.");
    }
    EXPECT_EQ(told, (std::vector<std::string>{
                        "The profile notes.usr was not loaded: its name does not end in _.usr",
                        "The profile ann_.usr was not loaded: the player Ann is loaded from Ann_.usr, whose file a "
                        "name differing only in case would share",
                        "The profile Aaron_.usr was not loaded: the player Bob is loaded from Bob_.usr"}));
    for (const char* path : {"save/ann_.usr", "save/Aaron_.usr", "save/Cid_.USR", "save/notes.usr"})
        EXPECT_TRUE(platform::FileExists(path)) << path;
    EXPECT_TRUE(platform::FindFiles("save/*.damaged*").empty());
}

TEST_F(ProfileFile, ANewProfileKilledDuringItsFirstSaveLeavesNoFileAndNothingBehind)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    // The disk takes 20 bytes more, then the process is killed (SIGXFSZ),
    // as a power cut or SIGKILL would end it in the middle of the save.
    auto saveOnAlmostFullDisk = [] {
        Profile ann;
        ann.name = "Ann";
        ann.savedGames.push_back(BusyTournament(2));
        rlimit limit{};
        limit.rlim_cur = 20;
        limit.rlim_max = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        SaveProfile(ann);
        std::_Exit(0);
    };
    EXPECT_EXIT(saveOnAlmostFullDisk(), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_FALSE(platform::FileExists("save/Ann_.usr")) << "no empty profile file that would later be refused";
    EXPECT_EQ(platform::FindFiles("save/*").size(), 1u) << "the interrupted save's temporary file";

    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(ProfileList::Instance()->Count(), 0u);
    EXPECT_TRUE(platform::FindFiles("save/*").empty()) << "removed at the next start";
}
