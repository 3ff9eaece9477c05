// Sitting down, leaving and coming back: tournaments saved and resumed,
// tables that end, pausing, and profile values that cannot be trusted.
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableScreen.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace Gamespace {
namespace {

using testing_support::TableHarness;

double SeatedChips(const GameMgr& table)
{
    double sum = 0.0;
    for (PlayerI* player : table.GetSeatList())
        if (player != nullptr)
            sum += player->GetChips();
    return sum;
}

double SeatedBets(const GameMgr& table)
{
    double sum = 0.0;
    for (PlayerI* player : table.GetSeatList())
        if (player != nullptr)
            sum += player->GetHandContribution();
    return sum;
}

double SavedChips(const SavedGame& saved)
{
    double sum = saved.startChips + saved.humanBet;
    for (const SeatRecord& seat : saved.seats)
        if (seat.active != 0)
            sum += seat.chips + seat.bet;
    return sum + saved.totalPot;
}

// A cash table of `players` played to its first hand's result, which stays
// open so that the chips can be changed before the next hand is dealt.
bool PlayACashTableToItsFirstResult(TableHarness& harness, uint16_t players)
{
    harness.UseCashTable(2, players);
    harness.closeResults = false;
    harness.restartWhenDone = false;
    harness.Start();
    return harness.RunUntil([&] { return harness.shell.finish->IsVisible(); });
}

TEST(TableSession, CashTableWhoseOpponentsAreGoneEndsWithTheAnnouncement)
{
    TableHarness harness(3);
    ASSERT_TRUE(PlayACashTableToItsFirstResult(harness, 2));
    harness.table->Betting().SetChips(1, 0);
    harness.table->Betting().SetChips(0, 400);
    harness.shell.finish->Show(false);
    EXPECT_TRUE(harness.shell.bankrupt->IsVisible());
    EXPECT_EQ(harness.shell.bankrupt->caption, "You have finished this game.");
    harness.shell.bankrupt->Show(false);
    EXPECT_EQ(harness.modulesDone, 1);
}

TEST(TableSession, CashTableEndsWithTheAnnouncementWhenTheHumanHasNoChipsLeft)
{
    TableHarness harness(3);
    ASSERT_TRUE(PlayACashTableToItsFirstResult(harness, 4));
    harness.table->Betting().SetChips(0, 0);
    harness.shell.finish->Show(false);
    EXPECT_TRUE(harness.shell.bankrupt->IsVisible());
    harness.shell.bankrupt->Show(false);
    EXPECT_EQ(harness.modulesDone, 1);
    EXPECT_EQ(harness.table->GetResult(), 1u);
}

TEST(TableSession, WithoutAnAnnouncementACashTableTheHumanCannotPlayOnEndsAtOnce)
{
    TableHarness harness(3);
    harness.shell.bankruptDialog = false;
    ASSERT_TRUE(PlayACashTableToItsFirstResult(harness, 4));
    harness.table->Betting().SetChips(0, 0);
    harness.shell.finish->Show(false);
    EXPECT_EQ(harness.modulesDone, 1);
    EXPECT_EQ(harness.table->GetResult(), 1u);
}

TEST(TableSession, LeavingWithTheHandResultOpenPaysEveryPotExactlyOnce)
{
    TableHarness harness(5);
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.closeResults = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    double atTable = SeatedChips(*harness.table);
    EXPECT_DOUBLE_EQ(atTable, 8 * 1500.0);
    for (const testing_support::ShownPot& pot : harness.shell.finish->pots) {
        ASSERT_FALSE(pot.rows.empty()) << pot.name;
        for (const auto& row : pot.rows)
            EXPECT_NE(row.amount, 0.0) << pot.name;
    }

    harness.table->Hide();
    EXPECT_EQ(saved.handOver, 1);
    EXPECT_DOUBLE_EQ(SavedChips(saved), atTable);

    harness.table->Show();
    EXPECT_DOUBLE_EQ(SeatedChips(*harness.table), atTable);
    EXPECT_FALSE(harness.shell.finish->IsVisible());
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    EXPECT_DOUBLE_EQ(SeatedChips(*harness.table), atTable);
}

TEST(TableSession, AHumanOutOfChipsIsAskedToReBuyOnceAndTheNextHandWaitsForTheAnswer)
{
    TableHarness harness(21);
    SavedGame& saved = harness.UseTournament(3, 10); // Big game N: $150 for 22500 chips, re-buys to level 10
    harness.closeResults = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    harness.table->Betting().SetChips(0, 0);
    const uint64_t started = harness.table->GetHandsStarted();
    harness.shell.finish->Show(false);
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    EXPECT_EQ(harness.shell.rebuy->mode, RebuyAddonDlg::kRebuy);
    EXPECT_EQ(harness.shell.rebuy->TimesShown(), 1);
    for (int i = 0; i < 50; ++i)
        harness.time.AdvanceToNextNotice();
    harness.table->ProcessEvents();
    EXPECT_EQ(harness.table->GetHandsStarted(), started) << "no hand is dealt while the question is open";

    harness.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(harness.table->GetPlayer(0)->GetChips(), 22500.0);
    EXPECT_EQ(saved.rebuysTaken, 1u);
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
    EXPECT_EQ(harness.shell.rebuy->TimesShown(), 1);
}

TEST(TableSession, TournamentLeftDuringTheDealResumesWithAFreshHandAndTheBlindsBack)
{
    TableHarness harness(6);
    SavedGame& saved = harness.UseTournament(5, 8);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableSecondCard; }));
    double total = SeatedChips(*harness.table) + SeatedBets(*harness.table);
    ASSERT_GT(SeatedBets(*harness.table), 0.0);

    harness.table->Hide();
    EXPECT_EQ(saved.humanInHand, 0);
    EXPECT_DOUBLE_EQ(saved.totalPot, 0.0);
    EXPECT_DOUBLE_EQ(SavedChips(saved), total);
    for (const SeatRecord& seat : saved.seats)
        EXPECT_FALSE(seat.cards[0].IsReal());

    harness.table->Show();
    EXPECT_DOUBLE_EQ(SeatedChips(*harness.table), total);
    uint64_t started = harness.table->GetHandsStarted();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
}

TEST(TableSession, TournamentLeftMidBettingResumesTheSameHand)
{
    TableHarness harness(8);
    SavedGame& saved = harness.UseTournament(3, 6);
    // Before the flop the human calls; after it he keeps the table waiting.
    harness.humanPolicy = [&](HumanActionMessageObserver& player) {
        if (player.GetBoardStage() == 0)
            TableHarness::CallOrCheck(player);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] {
        return harness.shell.humanAction != nullptr && harness.shell.humanAction->actionsShown &&
               harness.table->State().boardStage >= 1;
    }));
    std::vector<Card> board = harness.table->State().board;
    PlayerI& human = *harness.table->GetPlayer(0);
    std::vector<Card> cards = human.GetHoleCards();
    double chips = human.GetChips();
    double bet = human.GetBet();
    double everything = SeatedChips(*harness.table) + harness.table->State().totalPot;
    for (PlayerI* player : harness.table->GetSeatList())
        if (player != nullptr && player->IsInHand())
            everything += player->GetBet();

    harness.table->Hide();
    EXPECT_EQ(saved.handOver, 0);
    harness.table->Show();
    PlayerI& back = *harness.table->GetPlayer(0);
    EXPECT_EQ(harness.table->State().board, board);
    EXPECT_EQ(back.GetHoleCards(), cards);
    EXPECT_DOUBLE_EQ(back.GetChips(), chips);
    EXPECT_DOUBLE_EQ(back.GetBet(), bet);
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.humanAction->actionsShown; }));

    harness.humanPolicy = [&](HumanActionMessageObserver& player) { harness.DefaultHumanAction(player); };
    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    EXPECT_DOUBLE_EQ(SeatedChips(*harness.table), everything);
}

TEST(TableSession, BustedComputerIsNotSavedAsSeated)
{
    TableHarness harness(9);
    harness.UseTournament(1, 10);
    harness.closeResults = false;
    harness.Start();
    PlayerI* busted = nullptr;
    auto someoneBusted = [&] {
        if (!harness.shell.finish->IsVisible())
            return false;
        for (uint16_t seat = 1; seat < 10; ++seat) {
            PlayerI* player = harness.table->GetPlayer(seat);
            if (player != nullptr && player->GetChips() == 0.0)
                busted = player;
        }
        if (busted == nullptr)
            harness.shell.finish->Show(false);
        return busted != nullptr;
    };
    bool found = harness.RunUntil(someoneBusted);
    ASSERT_TRUE(found) << harness.table->GetHandsShownDown() << " hands, state " << harness.table->GetTableStateCode()
                       << " running " << harness.time.CountRunning() << " done " << harness.modulesDone;
    uint16_t seat = busted->GetSeat();
    SavedGame& saved = *harness.shell.profile.GetCurrentSavedGame();
    harness.table->Hide();
    for (const SeatRecord& record : saved.seats) {
        if (record.seatNumber == seat) {
            EXPECT_EQ(record.active, 0);
        }
    }
    harness.table->Show();
    EXPECT_EQ(harness.table->GetPlayer(seat), nullptr);
}

TEST(TableSession, LevelClockResumesWithTheTimeItHadLeft)
{
    TableHarness harness(10);
    SavedGame& saved = harness.UseTournament(2, 8); // 60 s levels
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetLevelSecondsLeft() == 41; }));
    harness.table->Hide();
    EXPECT_EQ(saved.levelTimeLeft, 41);
    harness.table->Show();
    EXPECT_EQ(harness.table->GetLevelSecondsLeft(), 41u);
    uint64_t started = harness.table->GetHandsStarted();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
    EXPECT_LE(harness.table->GetLevelSecondsLeft(), 41u);
    // The level still runs out and the level rises at the next hand.
    ASSERT_TRUE(harness.RunUntil([&] { return saved.level == 2; }));
}

TEST(TableSession, TheLongestLevelTimeAProfileHoldsIsKeptToTheSecond)
{
    TableHarness harness(10);
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > 0; }));
    harness.table->Hide();
    saved.levelTimeLeft = 65535;
    harness.table->Show();
    EXPECT_EQ(harness.table->GetLevelSecondsLeft(), 65535u);
    harness.table->Hide();
    EXPECT_EQ(saved.levelTimeLeft, 65535);

    // One second left is a second, not a level run out.
    saved.levelTimeLeft = 1;
    harness.table->Show();
    EXPECT_EQ(harness.table->GetLevelSecondsLeft(), 1u);
    EXPECT_FALSE(harness.table->IsLevelExpired());
}

TEST(TableSession, DamagedProfileValuesAreKeptInRange)
{
    TableHarness harness(11);
    harness.UseCashTable(1, 40, 99);
    harness.shell.speed = 25;
    harness.Start();
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 2.0);
    EXPECT_DOUBLE_EQ(harness.table->GetBuyIn(), 200.0);
    EXPECT_EQ(harness.table->GetActionDelay(), 100);
    EXPECT_NE(harness.table->GetPlayer(9), nullptr);
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 20; }));

    TableHarness tournament(12);
    SavedGame& saved = tournament.UseTournament(1, 10);
    saved.tournamentId = 0;
    saved.level = 0;
    tournament.Start();
    EXPECT_EQ(saved.tournamentId, 1);
    EXPECT_DOUBLE_EQ(tournament.table->GetMinBet(), 8.0);
    // A record without its start bet plays the tournament's.
    saved.minBet = 0;
    saved.level = 3;
    EXPECT_DOUBLE_EQ(tournament.table->GetMinBet(), 24.0);
    ASSERT_TRUE(tournament.RunUntil([&] { return tournament.table->GetHandsShownDown() >= 20; }));
}

TEST(TableSession, TheStartBetARecordHoldsIsTheOnePlayed)
{
    TableHarness harness(12);
    SavedGame& saved = harness.UseTournament(1, 10);
    saved.minBet = 12;
    saved.level = 2;
    harness.Start();
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 24.0);
}

TEST(TableSession, ACashTableIsPlayedAsOneWhileATournamentWaitsInTheProfile)
{
    TableHarness harness(12);
    SavedGame& saved = harness.UseTournament(3, 10);
    harness.shell.profile.gameType = kGameNoLimit;
    harness.shell.profile.noLimit = TableChoice{1, 4};
    ASSERT_EQ(harness.shell.profile.GetCurrentSavedGame(), &saved);
    harness.Start();
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 4.0);
    EXPECT_EQ(harness.table->State().gameType, kGameNoLimit) << "what the computers are told they play";
    EXPECT_DOUBLE_EQ(harness.table->GetPlayer(0)->GetChips(), 400.0);
    EXPECT_EQ(harness.table->GetPlayer(4), nullptr);
    EXPECT_FALSE(harness.shell.trnInfo->IsVisible());
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 3; }));
    harness.table->Hide();
    EXPECT_EQ(saved.newGame, 1) << "the tournament was not touched";
    EXPECT_EQ(saved.level, 1u);
}

TEST(TableSession, ComputersAtATableHaveDifferentNamesDrawnFromTheWholeList)
{
    const std::vector<std::string>& names = GameMgr::OpponentNames();
    std::set<std::string> met;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        TableHarness harness(seed);
        harness.UseCashTable(2, 10);
        harness.Start();
        std::set<std::string> atTheTable;
        for (uint16_t seat = 1; seat < 10; ++seat) {
            const std::string& name = harness.table->GetPlayer(seat)->GetName();
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
            EXPECT_TRUE(atTheTable.insert(name).second) << name << " twice at table " << seed;
        }
        met.insert(atTheTable.begin(), atTheTable.end());
    }
    EXPECT_EQ(met.count(names.front()), 1u);
    EXPECT_EQ(met.count(names.back()), 1u);
}

TEST(TableSession, AProfileAskingForFewerThanTwoPlayersGetsOneOpponent)
{
    for (uint16_t players : {0, 1, 2}) {
        TableHarness harness(27);
        harness.UseCashTable(2, players);
        harness.Start();
        EXPECT_NE(harness.table->GetPlayer(1), nullptr) << players;
        EXPECT_EQ(harness.table->GetPlayer(2), nullptr) << players;
    }
}

TEST(TableSession, AFreshTournamentWithoutChipsInItsRecordSeatsEveryoneWithTheTournamentsChips)
{
    TableHarness harness(28);
    SavedGame& saved = harness.UseTournament(2, 8); // 50 dollars of 30 chips
    saved.startChips = 0;
    for (SeatRecord& record : saved.seats)
        record.chips = 0;
    harness.Start();
    for (uint16_t seat = 0; seat < 8; ++seat)
        EXPECT_DOUBLE_EQ(harness.table->GetPlayer(seat)->GetChips(), 1500.0) << seat;

    // With the human's chips in the record, the computers take as many.
    TableHarness other(29);
    SavedGame& record = other.UseTournament(2, 4);
    record.startChips = 900;
    for (SeatRecord& seat : record.seats)
        seat.chips = 0;
    other.Start();
    EXPECT_DOUBLE_EQ(other.table->GetPlayer(0)->GetChips(), 900.0);
    EXPECT_DOUBLE_EQ(other.table->GetPlayer(3)->GetChips(), 900.0);
}

TEST(TableSession, AFreshTournamentStartsEveryComputerAfreshAndAResumedOneKeepsThem)
{
    TableHarness harness(32);
    SavedGame& saved = harness.UseTournament(2, 6);
    for (SeatRecord& record : saved.seats) {
        record.rebuysTaken = 2;
        record.styleCode = 0;
        record.name = "Leftover";
    }
    harness.Start();
    for (uint16_t seat = 1; seat < 6; ++seat) {
        const PlayerI& player = *harness.table->GetPlayer(seat);
        const SeatRecord& record = saved.seats[seat - 1];
        EXPECT_EQ(record.rebuysTaken, 0) << seat;
        EXPECT_EQ(record.styleCode, player.GetStyle() + 1) << seat;
        EXPECT_NE(record.name, "Leftover") << seat;
        EXPECT_EQ(player.GetName(), record.name) << seat;
    }

    // Resumed, a record keeps its name, or is given one when it has none.
    harness.table->Hide();
    saved.seats[0].name = "Kept";
    saved.seats[1].name.clear();
    saved.seats[2].rebuysTaken = 1;
    harness.table->Show();
    EXPECT_EQ(harness.table->GetPlayer(1)->GetName(), "Kept");
    EXPECT_FALSE(harness.table->GetPlayer(2)->GetName().empty());
    EXPECT_EQ(saved.seats[1].name, harness.table->GetPlayer(2)->GetName());
    EXPECT_EQ(saved.seats[2].rebuysTaken, 1);
}

TEST(TableSession, RecordsNamingNoSeatOrATakenOneAreNotSeated)
{
    TableHarness harness(30);
    SavedGame& saved = harness.UseTournament(2, 4);
    saved.seats[0].seatNumber = 0;  // the human's seat
    saved.seats[1].seatNumber = 10; // beyond the table
    saved.seats[2].seatNumber = 5;
    saved.seats[3] = saved.seats[2];  // the same seat twice
    saved.seats[3].chips = 7777;
    harness.Start();
    EXPECT_TRUE(harness.table->GetPlayer(0)->IsHuman());
    EXPECT_NE(harness.table->GetPlayer(5), nullptr);
    EXPECT_NE(harness.table->GetPlayer(5)->GetChips(), 7777.0);
    size_t seated = 0;
    for (uint16_t seat = 0; seat < 10; ++seat)
        seated += harness.table->GetPlayer(seat) != nullptr;
    EXPECT_EQ(seated, 2u);
    EXPECT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 3; }));
}

TEST(TableSession, AComputerKeepsItsRecordedStyleAndOneWithoutTakesTheProfilesChoice)
{
    TableHarness harness(31);
    SavedGame& saved = harness.UseTournament(2, 6);
    harness.shell.profile.computerStyle = 2; // the middle style for everyone
    harness.Start();
    harness.table->Hide();
    const uint8_t codes[] = {1, 2, 3, 0, 4};
    for (size_t i = 0; i < 5; ++i)
        saved.seats[i].styleCode = codes[i];
    harness.table->Show();
    const uint32_t expected[] = {0, 1, 2, 1, 1};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(harness.table->GetPlayer(saved.seats[i].seatNumber)->GetStyle(), expected[i]) << i;
}

TEST(TableSession, EveryShuffleSoundIsHeardOverTheHands)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(14, &factory);
    harness.UseCashTable(2, 6);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 40; }));
    size_t shuffles = 0;
    for (const auto& sound : factory.Sounds()) {
        if (sound->file.rfind("sounds/table/card_deck_mix", 0) != 0)
            continue;
        ++shuffles;
        EXPECT_GT(sound->plays, 0) << "shuffle sound " << shuffles << " (" << sound->file << ") never played";
    }
    EXPECT_EQ(shuffles, 3u);
}

TEST(TableSession, MenuPausesEveryTimerAndClosingItResumesPlay)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(13, &factory);
    harness.UseTournament(2, 8);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableBetting; }));
    ASSERT_GT(harness.time.CountRunning(), 0u);
    harness.table->OnMouseUp(harness.table->Screen()->MenuButtonId(), 0);
    EXPECT_TRUE(harness.shell.menu->IsVisible());
    EXPECT_EQ(harness.time.CountRunning(), 0u);
    EXPECT_TRUE(harness.shell.trnPlayers->paused);
    uint64_t shown = harness.table->GetHandsShownDown();
    harness.time.Advance(60000);
    harness.table->ProcessEvents();
    EXPECT_EQ(harness.table->GetHandsShownDown(), shown);

    harness.shell.menu->Show(false);
    EXPECT_GT(harness.time.CountRunning(), 0u);
    EXPECT_FALSE(harness.shell.trnPlayers->paused);
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() > shown; }));
}

TEST(TableSession, TheMenuButtonIsAClickableButtonThatClicksAndTheTableHearsKeysWhileShown)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(17, &factory);
    harness.Start();
    GameMgr& table = *harness.table;
    const testing_support::RecordedObject& menu = *factory.FindById(table.Screen()->MenuButtonId());
    EXPECT_TRUE(menu.visible);
    EXPECT_EQ(menu.size.w, 108u);
    EXPECT_EQ(menu.size.h, 27u);
    EXPECT_GT(menu.layer, 155) << "the menu button lies under the board";
    EXPECT_EQ(menu.image, "images/btn_menu.png");
    EXPECT_EQ(menu.position, (ControlLibrary::Point{90, 730}));
    EXPECT_NE(std::find(factory.sysObservers.begin(), factory.sysObservers.end(), &table), factory.sysObservers.end());
    EXPECT_TRUE(table.IsSysInputEnabled());

    auto clicks = [&] {
        int plays = 0;
        for (const auto& sound : factory.Sounds())
            if (sound->file == "sounds/click.wav")
                plays += sound->plays;
        return plays;
    };
    table.OnMouseUp(table.Screen()->MenuButtonId(), 1);
    EXPECT_TRUE(harness.shell.menu->IsVisible());
    EXPECT_EQ(clicks(), 1);

    harness.table->Hide();
    EXPECT_FALSE(table.IsSysInputEnabled());
    harness.table->Release();
    EXPECT_TRUE(factory.sysObservers.empty());
}

TEST(TableSession, StepsAskedForJustBeforeAPauseWaitUntilTheTableGoesOn)
{
    TableHarness harness(15);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableBetting; }));
    // A timer fired; the main thread has not run its step yet when the
    // window's close pauses the table.
    for (int i = 0; i < 100 && harness.table->Events().Empty(); ++i)
        ASSERT_TRUE(harness.time.AdvanceToNextNotice());
    const size_t waiting = harness.table->Events().Size();
    ASSERT_GT(waiting, 0u);
    const TableState before = harness.table->State();
    harness.table->SetPaused(true);
    EXPECT_EQ(harness.table->ProcessEvents(), 0u);
    EXPECT_EQ(harness.table->Events().Size(), waiting);
    EXPECT_EQ(harness.table->State().totalPot, before.totalPot);

    harness.table->SetPaused(false);
    EXPECT_EQ(harness.table->ProcessEvents(), waiting);
}

// Menu open, then the window's close box and No at the exit question: the
// question's pause and resume come and go under the menu, which holds the
// table until it is closed itself.
TEST(TableSession, TheMenuHoldsTheTableThroughAnExitQuestionAnsweredNo)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(15, &factory);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableBetting; }));
    // A step asked for just before the menu opens waits in the queue.
    for (int i = 0; i < 100 && harness.table->Events().Empty(); ++i)
        ASSERT_TRUE(harness.time.AdvanceToNextNotice());
    harness.table->OnMouseUp(harness.table->Screen()->MenuButtonId(), 0);
    ASSERT_TRUE(harness.shell.menu->IsVisible());
    const size_t waiting = harness.table->Events().Size();
    ASSERT_GT(waiting, 0u);
    const uint64_t started = harness.table->GetHandsStarted();
    const TableState before = harness.table->State();

    harness.table->SetPaused(true);  // the exit question opens
    harness.table->SetPaused(false); // and is answered No
    EXPECT_TRUE(harness.table->IsPaused()) << "the menu is still open";
    EXPECT_EQ(harness.table->ProcessEvents(), 0u);
    EXPECT_EQ(harness.table->Events().Size(), waiting);
    EXPECT_EQ(harness.table->State().totalPot, before.totalPot);
    EXPECT_EQ(harness.time.CountRunning(), 0u);

    harness.shell.menu->Show(false); // Resume
    EXPECT_FALSE(harness.table->IsPaused());
    EXPECT_EQ(harness.table->ProcessEvents(), waiting);
    EXPECT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
}

TEST(TableSession, StepsOfPlayersWhoLeftTheTableAreDropped)
{
    TableHarness harness(19);
    harness.UseCashTable(2, 6);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableFirstCard; }));
    // The players' card steps come due; the frame that would run them does
    // not come before the table is left.
    for (int i = 0; i < 100 && harness.table->Events().Size() < 2; ++i)
        ASSERT_TRUE(harness.time.AdvanceToNextNotice());
    ASSERT_GE(harness.table->Events().Size(), 2u);
    harness.table->Hide();
    EXPECT_TRUE(harness.table->Events().Empty());
    harness.table->Show();
    harness.table->ProcessEvents();
    const uint64_t started = harness.table->GetHandsStarted();
    EXPECT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
}

TEST(TableSession, LeavingFromTheMenuFinishesTheModule)
{
    TableHarness harness(14);
    harness.restartWhenDone = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > 0; }));
    harness.table->OnMouseUp(0, 0); // not the menu button: nothing
    harness.shell.menu->Show(true);
    harness.shell.menu->leave = true;
    harness.shell.menu->Show(false);
    EXPECT_EQ(harness.modulesDone, 1);
    EXPECT_EQ(harness.table->GetResult(), 1u);
}

TEST(TableSession, TheBoardShowsTheCardsTheTableTurnedOver)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(16, &factory);
    harness.UseCashTable(2, 4);
    harness.Start();
    auto boardFaces = [&] {
        std::vector<std::string> faces;
        for (testing_support::RecordedObject* image : factory.ObjectsOfKind("Image"))
            if (!image->released && image->layer == 150 && image->visible)
                faces.push_back(image->image);
        return faces;
    };
    for (uint32_t stage = 1; stage <= 3; ++stage) {
        ASSERT_TRUE(harness.RunUntil([&] { return harness.table->State().boardStage == stage; }));
        std::vector<std::string> expected;
        for (const Card& card : harness.table->State().board)
            expected.push_back("images/cards/set1/" + card.Name() + ".png");
        EXPECT_EQ(boardFaces(), expected) << "stage " << stage;
    }
    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    harness.shell.finish->Show(false);
    EXPECT_TRUE(boardFaces().empty()) << "the board is gathered after the hand";
}

// What the seats show: the human's cards face up, a back for each card of a
// computer in the hand until the showdown turns every card still in the hand
// over (a folded hand stays out of sight), one dealer button, and every
// player's name, chips and bet.
class SeatsOnScreen {
public:
    explicit SeatsOnScreen(testing_support::RecordingFactory& factory) : factory_(factory) {}
    // The visible hole-card images, by file name.
    std::multiset<std::string> HoleCards() const
    {
        std::multiset<std::string> shown;
        for (testing_support::RecordedObject* image : factory_.ObjectsOfKind("Image"))
            if (!image->released && image->visible && (image->layer == 500 || image->layer == 510) &&
                image->image.rfind("images/cards/", 0) == 0)
                shown.insert(image->image);
        return shown;
    }
    size_t Count(const std::string& image) const
    {
        size_t count = 0;
        for (testing_support::RecordedObject* object : factory_.ObjectsOfKind("Image"))
            count += !object->released && object->visible && object->image == image;
        return count;
    }
    bool ShowsText(const std::string& text) const
    {
        for (testing_support::RecordedObject* label : factory_.ObjectsOfKind("String"))
            if (!label->released && label->visible && label->text == text)
                return true;
        return false;
    }
    void ExpectTheHand(const GameMgr& table, bool showdown) const
    {
        std::multiset<std::string> expected;
        size_t backs = 0;
        for (uint16_t seat = 0; seat < 10; ++seat) {
            PlayerI* player = table.GetPlayer(seat);
            if (player == nullptr)
                continue;
            EXPECT_TRUE(ShowsText(player->GetName())) << player->GetName();
            EXPECT_TRUE(ShowsText(SeatDisplay::FormatMoney(player->GetChips()))) << player->GetName();
            if (!player->IsInHand() && (seat != 0 || showdown))
                continue;
            if (player->GetBet() > 0.0 && !showdown) {
                EXPECT_TRUE(ShowsText(SeatDisplay::FormatMoney(player->GetBet()))) << player->GetName();
            }
            ASSERT_EQ(player->GetHoleCards().size(), 2u) << player->GetName();
            for (const Card& card : player->GetHoleCards()) {
                if (seat == 0)
                    expected.insert("images/cards/set1/" + card.Name() + ".png");
                else if (showdown)
                    expected.insert("images/cards/set2/" + card.Name() + ".png");
                else
                    ++backs;
            }
        }
        for (size_t i = 0; i < backs; ++i)
            expected.insert("images/cards/back2.png");
        EXPECT_EQ(HoleCards(), expected);
        EXPECT_EQ(Count("images/player/dealer.png"), 1u);
    }

private:
    testing_support::RecordingFactory& factory_;
};

TEST(TableSession, TheSeatsShowEachPlayerWhatHeMaySeeAndKeepShowingItWhenResumed)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(17, &factory);
    harness.UseTournament(2, 8);
    harness.humanPolicy = [](HumanActionMessageObserver&) {};
    harness.Start();
    const SeatsOnScreen seats(factory);
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.humanAction->actionsShown; }));
    seats.ExpectTheHand(*harness.table, false);

    harness.table->Hide();
    EXPECT_TRUE(seats.HoleCards().empty());
    harness.table->Show();
    seats.ExpectTheHand(*harness.table, false);

    harness.humanPolicy = TableHarness::CallOrCheck;
    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    seats.ExpectTheHand(*harness.table, true);
    // Closing the result clears the seats for the next hand.
    harness.shell.finish->Show(false);
    EXPECT_TRUE(seats.HoleCards().empty());
}

// The winner's badge belongs to the hand it was won in: while the hand's
// result shows, it stands at each of that hand's winners and nowhere else;
// from the next deal on it is gone until the next result.
TEST(TableSession, TheWinnersBadgeShowsOnlyWithItsHandsResult)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(18, &factory);
    harness.UseCashTable(2, 4);
    harness.humanPolicy = TableHarness::CallOrCheck;
    harness.restartWhenDone = false;
    harness.Start();
    const SeatsOnScreen seats(factory);
    const std::string badge = "images/player/winner.png";
    int results = 0;
    bool resultShown = false;
    size_t badgesBetweenResults = 0;
    auto watch = [&] {
        if (harness.shell.finish->IsVisible()) {
            if (!resultShown) {
                std::set<PlayerI*> winners;
                for (const testing_support::ShownPot& pot : harness.shell.finish->pots)
                    for (const testing_support::ShownPot::Row& row : pot.rows)
                        winners.insert(row.player);
                EXPECT_EQ(seats.Count(badge), winners.size()) << "at the result of hand " << results + 1;
                ++results;
            }
        } else {
            badgesBetweenResults = std::max(badgesBetweenResults, seats.Count(badge));
        }
        resultShown = harness.shell.finish->IsVisible();
        return results >= 4 && harness.table->GetHandsStarted() > 4;
    };
    ASSERT_TRUE(harness.RunUntil(watch));
    EXPECT_EQ(badgesBetweenResults, 0u) << "a badge stayed up after its hand's result";
}

// Whether the pot label on the screen reads the chips collected so far.
bool PotShown(testing_support::RecordingFactory& factory, GameMgr& table)
{
    for (testing_support::RecordedObject* object : factory.Objects())
        if (!object->released && object->visible && object->kind == "String" &&
            object->text == TableScreen::PotText(table.State().totalPot))
            return true;
    return false;
}

TEST(TableSession, AHandResumedOnTheTurnShowsItsBoardItsStageAndItsPot)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(20, &factory);
    harness.UseTournament(2, 8);
    bool waiting = false;
    harness.humanPolicy = [&](HumanActionMessageObserver& human) {
        waiting = human.GetBoardStage() == 2;
        if (!waiting)
            TableHarness::CallOrCheck(human);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return waiting && harness.shell.humanAction->actionsShown; }));
    harness.table->Hide();
    harness.table->Show();
    std::vector<std::string> board, stages;
    for (testing_support::RecordedObject* object : factory.Objects()) {
        if (object->released || !object->visible)
            continue;
        if (object->kind == "Image" && object->layer == 150)
            board.push_back(object->image);
        if (object->kind == "Image" && object->image.rfind("images/stages/", 0) == 0)
            stages.push_back(object->image);
    }
    std::vector<std::string> expected;
    for (const Card& card : harness.table->State().board)
        expected.push_back("images/cards/set1/" + card.Name() + ".png");
    EXPECT_EQ(board, expected);
    EXPECT_EQ(stages, std::vector<std::string>{"images/stages/turn.png"});
    EXPECT_TRUE(PotShown(factory, *harness.table));
}

TEST(TableSession, AtTheHandsResultNoStagePictureIsLeftShowing)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(22, &factory);
    harness.UseTournament(2, 8);
    harness.humanPolicy = TableHarness::CallOrCheck;
    harness.closeResults = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    ASSERT_EQ(harness.table->State().board.size(), 5u) << "the hand went to the river";
    for (testing_support::RecordedObject* object : factory.ObjectsOfKind("Image")) {
        if (!object->released && object->image.rfind("images/stages/", 0) == 0) {
            EXPECT_FALSE(object->visible) << object->image;
        }
    }
}

TEST(TableSession, ThePotLabelShowsTheChipsCollectedAtEveryStageWithOrWithoutTheAnnouncements)
{
    for (uint8_t announce : {0, 1}) {
        SCOPED_TRACE(announce ? "stages announced" : "no announcements");
        testing_support::RecordingFactory factory;
        TableHarness harness(21, &factory);
        harness.shell.profile.announceStages = announce;
        harness.UseTournament(2, 8);
        std::set<uint32_t> stagesSeen;
        harness.humanPolicy = [&](HumanActionMessageObserver& human) {
            if (human.GetBoardStage() >= 1 && stagesSeen.insert(human.GetBoardStage()).second) {
                EXPECT_TRUE(PotShown(factory, *harness.table)) << "stage " << human.GetBoardStage();
            }
            TableHarness::CallOrCheck(human);
        };
        harness.Start();
        ASSERT_TRUE(harness.RunUntil([&] { return stagesSeen.size() == 3; }));
    }
}

TEST(TableSession, AtTheDrawForTheButtonEveryCardIsShownFaceUp)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(18, &factory);
    harness.UseCashTable(2, 4);
    harness.closeAnnouncements = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.dealer->IsVisible(); }));
    std::multiset<std::string> expected;
    for (uint16_t seat = 0; seat < 4; ++seat) {
        const PlayerI& player = *harness.table->GetPlayer(seat);
        ASSERT_EQ(player.GetHoleCards().size(), 1u);
        expected.insert(std::string("images/cards/") + (seat == 0 ? "set1/" : "set2/") + player.GetDealerDrawCard().Name() +
                        ".png");
    }
    EXPECT_EQ(SeatsOnScreen(factory).HoleCards(), expected);
}

TEST(TableSession, EverySeatAndBoardObjectIsGivenBackWhenTheTableIsReleased)
{
    testing_support::RecordingFactory factory;
    TableHarness harness(15, &factory);
    harness.UseCashTable(0, 10);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 5; }));
    harness.table->Hide();
    harness.table->Release();
    EXPECT_EQ(factory.LiveObjectCount(), 0u);
    EXPECT_EQ(factory.LiveSoundCount(), 0u);
    EXPECT_TRUE(factory.Faults().empty()) << factory.Faults().front();
}

} // namespace
} // namespace Gamespace
