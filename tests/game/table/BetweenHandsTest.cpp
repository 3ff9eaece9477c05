// Between two hands: the button moves on, players who cannot pay the bet
// leave, and a table left between hands or in the middle of one is saved as
// it stands, whatever the record held before.
#include "game/table/PlayerI.h"
#include "game/table/Pot.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace Gamespace {
namespace {

using testing_support::TableHarness;

// The seats holding the dealer button, at most one if all is well.
std::vector<uint16_t> DealerSeats(const GameMgr& table)
{
    std::vector<uint16_t> dealers;
    for (uint16_t seat = 0; seat < 10; ++seat)
        if (table.GetPlayer(seat) != nullptr && table.GetPlayer(seat)->IsDealer())
            dealers.push_back(seat);
    return dealers;
}

// The next seat after `seat` with a player in it, round the table.
uint16_t NextSeated(const GameMgr& table, uint16_t seat)
{
    for (uint16_t step = 1; step <= 10; ++step) {
        uint16_t next = static_cast<uint16_t>((seat + step) % 10);
        if (table.GetPlayer(next) != nullptr)
            return next;
    }
    return seat;
}

// Fills a saved tournament's hand with values no table would leave there, so
// that a save that forgets a field shows.
void Scribble(SavedGame& saved)
{
    saved.newGame = 1;
    saved.totalPot = 999;
    saved.boardStage = 9;
    saved.betMade = 7;
    saved.currentBet = 999;
    saved.stageDialogPending = 7;
    saved.handOver = 7;
    saved.resumePosition = 99;
    saved.board.fill(Card(12, 3));
    saved.humanDealer = 7;
    saved.humanInHand = 7;
    saved.humanBet = 999;
    saved.tableCards.fill(Card(12, 3));
    for (SeatRecord& seat : saved.seats) {
        seat.dealer = 7;
        seat.inHand = 7;
        seat.bet = 999;
        seat.styleCode = 9;
        seat.cards.fill(Card(12, 3));
    }
}

// The saved record of the computer in `seat`.
const SeatRecord& RecordOf(const SavedGame& saved, uint16_t seat)
{
    for (const SeatRecord& record : saved.seats)
        if (record.seatNumber == seat)
            return record;
    static const SeatRecord none;
    return none;
}

class BetweenHands : public ::testing::Test {
protected:
    void HoldResults()
    {
        harness.closeResults = false;
        harness.restartWhenDone = false;
    }
    bool PlayToTheResult() { return harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }); }

    // A tournament whose stage announcements stay open until closed, the
    // human calling or checking every time.
    static void AnnounceStagesAndCallAlong(TableHarness& table)
    {
        table.shell.profile.announceStages = 1;
        table.closeAnnouncements = false;
        table.humanPolicy = TableHarness::CallOrCheck;
    }
    SavedGame& StartWithStagesAnnounced()
    {
        SavedGame& saved = harness.UseTournament(2, 8);
        AnnounceStagesAndCallAlong(harness);
        harness.Start();
        return saved;
    }
    // Plays on, past the button's draw, until a stage is announced and the
    // announcement is one `wanted` accepts.
    bool RunToAnAnnouncement(const std::function<bool()>& wanted = [] { return true; })
    {
        return harness.RunUntil([&] {
            if (harness.shell.dealer->IsVisible())
                harness.shell.dealer->Show(false);
            if (!harness.shell.stage->IsVisible())
                return false;
            if (wanted())
                return true;
            harness.shell.stage->Show(false);
            return false;
        });
    }

    TableHarness harness{31};
};

TEST_F(BetweenHands, TheButtonMovesToTheNextSeatedPlayerEveryHandAndSkipsTheEmptySeats)
{
    harness.UseCashTable(2, 5);
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    for (int hand = 0; hand < 7; ++hand) {
        std::vector<uint16_t> before = DealerSeats(*harness.table);
        ASSERT_EQ(before.size(), 1u) << "hand " << hand;
        if (hand == 3) {
            // The player after the button is out of chips and leaves.
            uint16_t leaving = NextSeated(*harness.table, before[0]);
            if (leaving == 0)
                leaving = NextSeated(*harness.table, 0);
            harness.table->Betting().SetChips(leaving, 0);
            harness.shell.finish->Show(false);
            ASSERT_EQ(harness.table->GetPlayer(leaving), nullptr);
        } else {
            for (uint16_t seat = 0; seat < 10; ++seat)
                if (harness.table->GetPlayer(seat) != nullptr)
                    harness.table->Betting().SetChips(seat, 1000);
            harness.shell.finish->Show(false);
        }
        std::vector<uint16_t> after = DealerSeats(*harness.table);
        ASSERT_EQ(after.size(), 1u) << "hand " << hand;
        EXPECT_EQ(after[0], NextSeated(*harness.table, before[0])) << "hand " << hand;
        ASSERT_TRUE(PlayToTheResult());
    }
}

TEST_F(BetweenHands, ATournamentLeftBetweenHandsIsSavedWithNoHandInPlay)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    struct Seen {
        bool dealer;
        double chips;
        uint32_t style;
        std::string name;
    };
    std::vector<Seen> seen;
    for (uint16_t seat = 0; seat < 8; ++seat) {
        PlayerI* player = harness.table->GetPlayer(seat);
        ASSERT_NE(player, nullptr);
        seen.push_back({player->IsDealer(), player->GetChips(), player->GetStyle(), player->GetName()});
    }
    Scribble(saved);
    harness.table->Hide();
    EXPECT_EQ(saved.newGame, 0);
    EXPECT_EQ(saved.handOver, 1);
    EXPECT_DOUBLE_EQ(saved.totalPot, 0.0);
    EXPECT_EQ(saved.boardStage, 0);
    EXPECT_EQ(saved.betMade, 0);
    EXPECT_DOUBLE_EQ(saved.currentBet, 0.0);
    EXPECT_EQ(saved.stageDialogPending, 0);
    EXPECT_EQ(saved.resumePosition, 0);
    for (const Card& card : saved.board)
        EXPECT_EQ(card, Card::None());
    EXPECT_EQ(saved.humanInHand, 0);
    EXPECT_DOUBLE_EQ(saved.humanBet, 0.0);
    EXPECT_EQ(saved.tableCards[0], Card::None());
    EXPECT_EQ(saved.humanDealer, seen[0].dealer ? 1 : 0);
    EXPECT_DOUBLE_EQ(saved.startChips, seen[0].chips);
    for (uint16_t seat = 1; seat < 8; ++seat) {
        const SeatRecord& record = RecordOf(saved, seat);
        EXPECT_EQ(record.dealer, seen[seat].dealer ? 1 : 0) << seat;
        EXPECT_EQ(record.inHand, 0) << seat;
        EXPECT_DOUBLE_EQ(record.bet, 0.0) << seat;
        EXPECT_DOUBLE_EQ(record.chips, seen[seat].chips) << seat;
        EXPECT_EQ(record.styleCode, seen[seat].style + 1) << seat;
        EXPECT_EQ(record.name, seen[seat].name) << seat;
        EXPECT_EQ(record.cards[1], Card::None()) << seat;
    }
}

// Everything about the hand a player can see at the table, to compare a
// hand before it was left and after it was resumed.
struct HandAtTheTable {
    TableState state;
    std::vector<uint16_t> order;
    std::vector<uint16_t> dealers;
    std::vector<std::vector<Card>> cards;
    std::vector<double> chips, bets;
    std::vector<bool> inHand;
    std::vector<uint32_t> humanActions;

    explicit HandAtTheTable(const GameMgr& table) : state(table.State()), dealers(DealerSeats(table))
    {
        for (PlayerI* player : state.actingOrder)
            order.push_back(player->GetSeat());
        for (uint16_t seat = 0; seat < 10; ++seat) {
            PlayerI* player = table.GetPlayer(seat);
            cards.push_back(player != nullptr ? player->GetHoleCards() : std::vector<Card>{});
            chips.push_back(player != nullptr ? player->GetChips() : -1);
            bets.push_back(player != nullptr ? player->GetBet() : -1);
            inHand.push_back(player != nullptr && player->IsInHand());
        }
        if (auto* human = dynamic_cast<HumanActionMessageObserver*>(table.GetPlayer(0)))
            human->GetAvailableActions(humanActions);
        state.actingOrder.clear();
    }
    // `bets`: false where the round's bets were already taken to the pot
    // and are only still shown.
    void ExpectSameAs(const HandAtTheTable& before, bool bets = true) const
    {
        EXPECT_EQ(state.board, before.state.board);
        EXPECT_EQ(state.boardStage, before.state.boardStage);
        EXPECT_EQ(state.betMade, before.state.betMade);
        EXPECT_DOUBLE_EQ(state.currentBet, before.state.currentBet);
        EXPECT_DOUBLE_EQ(state.totalPot, before.state.totalPot);
        EXPECT_DOUBLE_EQ(state.minBet, before.state.minBet) << "the bet unit the players size their bets by";
        EXPECT_EQ(order, before.order);
        EXPECT_EQ(dealers, before.dealers);
        EXPECT_EQ(cards, before.cards);
        EXPECT_EQ(chips, before.chips);
        if (bets) {
            EXPECT_EQ(this->bets, before.bets);
        }
        EXPECT_EQ(inHand, before.inHand);
        EXPECT_EQ(humanActions, before.humanActions);
    }
};

// Every card dealt in the hand, the board's five and the players' two each,
// is one of the 52 and none comes twice.
void ExpectEveryCardDealtOnce(const GameMgr& table)
{
    std::vector<Card> dealt = table.State().board;
    for (uint16_t seat = 0; seat < 10; ++seat)
        if (PlayerI* player = table.GetPlayer(seat))
            dealt.insert(dealt.end(), player->GetHoleCards().begin(), player->GetHoleCards().end());
    for (size_t i = 0; i < dealt.size(); ++i) {
        EXPECT_TRUE(dealt[i].IsReal()) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(dealt[i], dealt[j]) << dealt[i].Name();
    }
}

// The deck a resumed hand goes on with holds every card that is neither on
// the board (all five places, turned or not) nor in a player's hand.
void ExpectTheDeckHoldsTheRest(GameMgr& table)
{
    std::vector<Card> out = table.GetDeck().GetBoard();
    EXPECT_EQ(out.size(), 5u);
    for (uint16_t seat = 0; seat < 10; ++seat)
        if (PlayerI* player = table.GetPlayer(seat))
            out.insert(out.end(), player->GetHoleCards().begin(), player->GetHoleCards().end());
    const std::vector<Card>& deck = table.GetDeck().GetCards();
    EXPECT_EQ(deck.size() + out.size(), 52u);
    for (const Card& card : deck)
        EXPECT_EQ(std::find(out.begin(), out.end(), card), out.end()) << card.Name() << " is dealt and still in the deck";
}

// The human's turn comes back after four action pauses (give or take a tick
// of the timers), nobody else acting first.
void ExpectTheTurnBackAfterFourPauses(TableHarness& harness)
{
    const uint64_t resumed = harness.time.GetTime();
    const uint64_t pauses = 4u * harness.table->GetActionDelay();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.humanAction->actionsShown; }));
    EXPECT_GE(harness.time.GetTime() - resumed, pauses);
    EXPECT_LE(harness.time.GetTime() - resumed, pauses + 20);
}

// Left while the human is to act: the hand is saved as it stands, and the
// turn resumes with him.
void ExpectTheHandSavedAsItStands(TableHarness& harness, SavedGame& saved)
{
    const TableState state = harness.table->State();
    PlayerI& human = *harness.table->GetPlayer(0);
    const std::vector<Card> cards = human.GetHoleCards();
    const double bet = human.GetBet();
    const uint16_t position = human.GetPosition();
    const HandAtTheTable hand(*harness.table);
    Scribble(saved);
    harness.table->Hide();
    EXPECT_EQ(saved.newGame, 0);
    EXPECT_EQ(saved.handOver, 0);
    EXPECT_EQ(saved.boardStage, state.boardStage);
    EXPECT_EQ(saved.betMade, state.betMade);
    EXPECT_DOUBLE_EQ(saved.currentBet, state.currentBet);
    EXPECT_DOUBLE_EQ(saved.totalPot, state.totalPot);
    EXPECT_EQ(saved.stageDialogPending, 0);
    for (size_t i = 0; i < state.board.size(); ++i)
        EXPECT_EQ(saved.board[i], state.board[i]);
    EXPECT_EQ(saved.humanInHand, 1);
    EXPECT_DOUBLE_EQ(saved.humanBet, bet);
    EXPECT_EQ(std::vector<Card>(saved.tableCards.begin(), saved.tableCards.end()), cards);
    for (uint16_t seat = 1; seat < 10; ++seat) {
        const SeatRecord& record = RecordOf(saved, seat);
        if (record.seatNumber != seat)
            continue;
        EXPECT_EQ(record.inHand, hand.inHand[seat] ? 1 : 0) << seat;
        EXPECT_DOUBLE_EQ(record.bet, hand.inHand[seat] ? hand.bets[seat] : 0.0) << seat;
        EXPECT_EQ(std::vector<Card>(record.cards.begin(), record.cards.end()), hand.cards[seat]) << seat;
    }
    ASSERT_LT(saved.resumePosition, 10);

    harness.table->Show();
    HandAtTheTable(*harness.table).ExpectSameAs(hand);
    EXPECT_EQ(harness.table->Betting().NextToAct(saved.resumePosition), position);
    ExpectTheDeckHoldsTheRest(*harness.table);
    // Left again at once, it is saved the same way.
    harness.table->Hide();
    EXPECT_EQ(saved.stageDialogPending, 0);
    EXPECT_EQ(saved.handOver, 0);
    EXPECT_DOUBLE_EQ(saved.humanBet, bet);
    harness.table->Show();
    ExpectTheTurnBackAfterFourPauses(harness);
    EXPECT_EQ(harness.table->GetPlayer(0)->GetHoleCards(), cards);
}

TEST_F(BetweenHands, ATournamentLeftAtTheHumansTurnBeforeTheFlopIsSavedAsItStands)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.humanPolicy = [](HumanActionMessageObserver&) {};
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.humanAction->actionsShown; }));
    ASSERT_EQ(harness.table->State().betMade, 1);
    ExpectTheHandSavedAsItStands(harness, saved);
}

TEST_F(BetweenHands, ATournamentLeftAtTheHumansTurnOnTheFlopBeforeAnyBetIsSavedAsItStands)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    // The human plays along until it is his turn on the flop with no bet made.
    bool waiting = false;
    harness.humanPolicy = [&](HumanActionMessageObserver& human) {
        waiting = human.GetBoardStage() == 1 && harness.table->State().betMade == 0;
        if (!waiting)
            TableHarness::CallOrCheck(human);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return waiting; }));
    ExpectTheHandSavedAsItStands(harness, saved);
}

TEST_F(BetweenHands, ATournamentLeftWhenTheHumanOpensTheFlopGivesHimTheTurnFirst)
{
    SavedGame& saved = harness.UseTournament(2, 4);
    // He plays along until he is the first to act on a flop.
    bool waiting = false;
    harness.humanPolicy = [&](HumanActionMessageObserver& human) {
        waiting = human.GetBoardStage() == 1 && harness.table->GetPlayer(0)->GetPosition() == 0 &&
                  harness.table->State().betMade == 0;
        if (!waiting)
            TableHarness::CallOrCheck(human);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return waiting && harness.shell.humanAction->actionsShown; }));
    ExpectTheHandSavedAsItStands(harness, saved);
}

TEST_F(BetweenHands, ATournamentLeftWithAStageAnnouncedIsSavedWithTheAnnouncementPending)
{
    SavedGame& saved = StartWithStagesAnnounced();
    ASSERT_TRUE(RunToAnAnnouncement());
    const TableState state = harness.table->State();
    Scribble(saved);
    harness.table->Hide();
    EXPECT_EQ(saved.stageDialogPending, 1);
    EXPECT_EQ(saved.handOver, 0);
    EXPECT_EQ(saved.boardStage, state.boardStage);
    EXPECT_EQ(saved.resumePosition, state.actingOrder.size() - 1);
    EXPECT_DOUBLE_EQ(saved.humanBet, 0.0) << "the round's bets went to the pot";
    EXPECT_DOUBLE_EQ(saved.totalPot, state.totalPot);
}

TEST_F(BetweenHands, APlayerWhoCannotPayTheBetLeavesAndIsSavedAsGone)
{
    SavedGame& saved = harness.UseTournament(1, 10); // first bet 8
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    for (uint16_t seat = 0; seat < 10; ++seat)
        harness.table->Betting().SetChips(seat, seat == 4 ? 7 : 1000);
    harness.shell.finish->Show(false);
    EXPECT_EQ(harness.table->GetPlayer(4), nullptr);
    harness.table->Hide();
    EXPECT_EQ(RecordOf(saved, 4).active, 0);
    EXPECT_EQ(RecordOf(saved, 5).active, 1);
    harness.table->Show();
    EXPECT_EQ(harness.table->GetPlayer(4), nullptr);
    EXPECT_NE(harness.table->GetPlayer(5), nullptr);
}

// The human calls or checks until it is his turn at `stage`, then waits.
bool WaitForTheHumanAtStage(TableHarness& harness, uint32_t stage)
{
    bool waiting = false;
    harness.humanPolicy = [&waiting, stage](HumanActionMessageObserver& human) {
        waiting = human.GetBoardStage() == stage;
        if (!waiting)
            TableHarness::CallOrCheck(human);
    };
    bool reached = harness.RunUntil([&] { return waiting && harness.shell.humanAction->actionsShown; });
    harness.humanPolicy = TableHarness::CallOrCheck;
    return reached;
}

// A tournament of eight left at the human's first turn before the flop.
SavedGame& LeaveAtTheHumansFirstTurn(TableHarness& harness)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.Start();
    EXPECT_TRUE(WaitForTheHumanAtStage(harness, 1));
    harness.table->Hide();
    return saved;
}

TEST_F(BetweenHands, AHandResumedOnTheTurnIsTheHandThatWasLeft)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.Start();
    ASSERT_TRUE(WaitForTheHumanAtStage(harness, 2));
    const HandAtTheTable before(*harness.table);
    ASSERT_EQ(before.state.board.size(), 4u);
    const int dealerDraws = harness.shell.dealer->TimesShown();
    const int fills = harness.shell.trnPlayers->fills;
    harness.table->Hide();
    harness.table->Show();
    HandAtTheTable(*harness.table).ExpectSameAs(before);
    EXPECT_GT(harness.shell.trnPlayers->fills, fills) << "the players' list is filled again";
    EXPECT_TRUE(harness.table->IsDealerChosen());

    ExpectTheDeckHoldsTheRest(*harness.table);
    ExpectTheTurnBackAfterFourPauses(harness);

    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    ExpectEveryCardDealtOnce(*harness.table);
    // The next hand follows the button on, with no new draw for the dealer,
    // and deals new cards.
    harness.shell.finish->Show(false);
    const uint64_t started = harness.table->GetHandsStarted();
    harness.humanPolicy = [](HumanActionMessageObserver&) {};
    ASSERT_TRUE(harness.RunUntil([&] {
        return harness.table->GetHandsStarted() > started && harness.shell.humanAction->actionsShown;
    }));
    EXPECT_EQ(harness.shell.dealer->TimesShown(), dealerDraws);
    EXPECT_NE(harness.table->GetPlayer(0)->GetHoleCards(), before.cards[0]);
    EXPECT_EQ(saved.inUse, 1);
}

TEST_F(BetweenHands, AHandResumedOnTheFlopAndOnTheRiverShowsItsBoard)
{
    for (uint32_t stage : {1u, 3u}) {
        TableHarness table(32 + stage);
        table.UseTournament(2, 8);
        table.Start();
        ASSERT_TRUE(WaitForTheHumanAtStage(table, stage));
        const HandAtTheTable before(*table.table);
        ASSERT_EQ(before.state.board.size(), stage + 2);
        table.table->Hide();
        table.table->Show();
        HandAtTheTable(*table.table).ExpectSameAs(before);
        ExpectTheDeckHoldsTheRest(*table.table);
        table.closeResults = false;
        ASSERT_TRUE(table.RunUntil([&] { return table.shell.finish->IsVisible(); }));
        ExpectEveryCardDealtOnce(*table.table);
    }
}

TEST_F(BetweenHands, AHandResumedWithItsStageAnnouncementPendingAnnouncesItAgain)
{
    SavedGame& saved = StartWithStagesAnnounced();
    for (const char* stage : {"Flop", "Turn", "River"}) {
        SCOPED_TRACE(stage);
        ASSERT_TRUE(RunToAnAnnouncement());
        ASSERT_EQ(harness.shell.stage->caption, stage);
        const HandAtTheTable before(*harness.table);
        harness.table->Hide();
        ASSERT_EQ(saved.stageDialogPending, 1);
        harness.table->Show();
        EXPECT_TRUE(harness.shell.stage->IsVisible());
        EXPECT_EQ(harness.shell.stage->caption, stage);
        HandAtTheTable(*harness.table).ExpectSameAs(before, false);
        // Closing it turns the next cards over.
        harness.shell.stage->Show(false);
        EXPECT_GT(harness.table->State().board.size(), before.state.board.size());
    }
}

TEST_F(BetweenHands, AnAnnouncedStageResumedInANewSittingIsOpenedByTheFirstPlayerAfterTheButton)
{
    SavedGame& saved = StartWithStagesAnnounced();
    // An announcement with the first player after the button still in.
    ASSERT_TRUE(RunToAnAnnouncement([&] { return harness.table->State().actingOrder.front()->IsInHand(); }));
    harness.table->Hide();

    // The game is started again: a new table reads the record.
    TableHarness again(40);
    AnnounceStagesAndCallAlong(again);
    auto copy = std::make_unique<SavedGame>(saved);
    again.shell.profile.savedGames.push_back(std::move(copy));
    again.shell.profile.gameType = kGameNoLimitTournament;
    again.tournamentId = 2;
    again.Start();
    ASSERT_TRUE(again.shell.stage->IsVisible());
    again.shell.stage->Show(false);
    const TableState state = again.table->State();
    const uint16_t first = again.table->Betting().NextToAct(static_cast<uint16_t>(state.actingOrder.size() - 1));
    PlayerI* acted = nullptr;
    ASSERT_TRUE(again.RunUntil([&] {
        for (PlayerI* player : state.actingOrder)
            if (player->IsInHand() && player->HasActed())
                acted = player;
        return acted != nullptr;
    }));
    EXPECT_EQ(acted->GetPosition(), first);
}

TEST_F(BetweenHands, ATableResumedBetweenHandsAndLeftAtOnceIsStillBetweenHands)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    harness.table->Hide();
    harness.table->Show();
    const std::vector<uint16_t> dealer = DealerSeats(*harness.table);
    Scribble(saved);
    harness.table->Hide();
    // The button has moved on to the next hand's dealer, who keeps it.
    EXPECT_EQ(saved.handOver, 0);
    EXPECT_EQ(saved.humanInHand, 0);
    for (uint16_t seat = 1; seat < 8; ++seat)
        EXPECT_EQ(RecordOf(saved, seat).inHand, 0) << seat;
    EXPECT_DOUBLE_EQ(saved.totalPot, 0.0);
    harness.table->Show();
    EXPECT_EQ(DealerSeats(*harness.table), dealer);
}

TEST_F(BetweenHands, TheDealerDrawnOrMovedOnDealsTheNextHandHoweverTheSittingBeforeItEnds)
{
    harness.UseTournament(2, 8);
    HoldResults();
    harness.closeAnnouncements = false;
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.dealer->IsVisible(); }));
    const std::vector<uint16_t> drawn = DealerSeats(*harness.table);
    ASSERT_EQ(drawn.size(), 1u);
    // A program killed now leaves the profile as last kept: with the draw.
    EXPECT_FALSE(harness.shell.kept.empty());
    const SavedGame killed = harness.shell.kept.empty() ? SavedGame{} : harness.shell.kept.back();

    // Left with the draw announced, then during the first deal.
    harness.table->Hide();
    harness.table->Show();
    EXPECT_EQ(DealerSeats(*harness.table), drawn);
    harness.closeAnnouncements = true;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetTableStateCode() == kTableSecondCard; }));
    harness.table->Hide();
    harness.table->Show();
    ASSERT_TRUE(PlayToTheResult());
    EXPECT_EQ(DealerSeats(*harness.table), drawn) << "the drawn dealer deals the first hand";

    // The button moved on, and the next hand is not dealt yet.
    harness.shell.finish->Show(false);
    const std::vector<uint16_t> next = DealerSeats(*harness.table);
    ASSERT_EQ(next, std::vector<uint16_t>{NextSeated(*harness.table, drawn[0])});
    harness.table->Hide();
    harness.table->Show();
    EXPECT_EQ(DealerSeats(*harness.table), next);

    TableHarness resumed{31};
    resumed.UseTournament(2, 8) = killed;
    resumed.Start();
    EXPECT_EQ(DealerSeats(*resumed.table), drawn);
}

// The names of the seated players, most chips first, equal chips in seat
// order.
std::vector<std::string> NamesByChips(const GameMgr& table)
{
    std::vector<PlayerI*> seated;
    for (PlayerI* player : table.GetSeatList())
        if (player != nullptr)
            seated.push_back(player);
    std::stable_sort(seated.begin(), seated.end(),
                     [](const PlayerI* a, const PlayerI* b) { return a->GetChips() > b->GetChips(); });
    std::vector<std::string> names;
    for (const PlayerI* player : seated)
        names.push_back(player->GetName());
    return names;
}

TEST_F(BetweenHands, ATournamentResumedBetweenHandsListsEveryPlayerAtOnce)
{
    harness.UseTournament(2, 8);
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    harness.table->Hide();
    harness.table->Show();
    EXPECT_FALSE(harness.shell.trnPlayers->listed.empty());
    EXPECT_EQ(harness.shell.trnPlayers->listed, NamesByChips(*harness.table));
}

TEST_F(BetweenHands, AHandResumedListsEveryPlayerOfTheTournamentAtOnce)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    // A player who folded before the table was left is still in the
    // tournament.
    ASSERT_EQ(saved.humanInHand, 1);
    saved.seats[0].inHand = 0;
    harness.table->Show();
    EXPECT_FALSE(harness.shell.trnPlayers->listed.empty());
    EXPECT_EQ(harness.shell.trnPlayers->listed, NamesByChips(*harness.table));
}

TEST_F(BetweenHands, AResumePositionOutsideTheTableIsBroughtIntoIt)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    saved.resumePosition = 99;
    harness.table->Show();
    harness.table->Hide();
    EXPECT_LT(saved.resumePosition, 8);
}

TEST_F(BetweenHands, APlayerDealtNoCardsInTheSavedHandHoldsNoneWhenResumed)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    SeatRecord* out = nullptr;
    for (SeatRecord& record : saved.seats)
        if (record.active != 0 && out == nullptr)
            out = &record;
    ASSERT_NE(out, nullptr);
    out->inHand = 0;
    out->bet = 0;
    out->cards.fill(Card::None());
    harness.table->Show();
    EXPECT_TRUE(harness.table->GetPlayer(out->seatNumber)->GetHoleCards().empty());
    EXPECT_FALSE(harness.table->GetPlayer(out->seatNumber)->IsInHand());
}

TEST_F(BetweenHands, AResumedHandWhoseBoardCardsWereLostShowsNoCardItDoesNotHave)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    saved.board.fill(Card::None()); // as a damaged profile's repair leaves them
    harness.table->Show();
    for (const Card& card : harness.table->State().board)
        EXPECT_TRUE(card.IsReal()) << card.rank << " " << card.suit;
    ExpectTheDeckHoldsTheRest(*harness.table);
}

TEST_F(BetweenHands, TheLastPlayerLeftInAResumedHandTakesThePot)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    ASSERT_GT(saved.totalPot, 0.0);
    // Everybody but one computer has folded.
    SeatRecord* last = nullptr;
    for (SeatRecord& record : saved.seats) {
        if (record.active == 0)
            continue;
        if (last == nullptr && record.inHand != 0) {
            last = &record;
            continue;
        }
        record.inHand = 0;
        record.bet = 0;
    }
    ASSERT_NE(last, nullptr);
    saved.humanInHand = 0;
    saved.humanBet = 0;
    const double chips = last->chips;
    const double pot = saved.totalPot + last->bet;
    harness.closeResults = false;
    harness.table->Show();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    EXPECT_DOUBLE_EQ(harness.table->GetPlayer(last->seatNumber)->GetChips(), chips + pot);
}

TEST_F(BetweenHands, ASavedHandWithNoButtonResumesWithTheHumanHoldingIt)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    saved.humanDealer = 0;
    for (SeatRecord& record : saved.seats)
        record.dealer = 0;
    harness.table->Show();
    const std::vector<PlayerI*> order = harness.table->State().actingOrder;
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back()->GetSeat(), 0);
    EXPECT_EQ(order.front()->GetSeat(), 1);
}

TEST_F(BetweenHands, LeavingWhileAReBuyQuestionWaitsAfterAResumeKeepsItBetweenHands)
{
    SavedGame& saved = harness.UseTournament(2, 8); // one re-buy
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    harness.table->Hide();
    saved.startChips = 0; // the human has nothing left
    harness.table->Show();
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    harness.table->Hide();
    // No hand in play: the next sitting deals one, from the button as it is.
    EXPECT_EQ(saved.handOver, 0);
    EXPECT_EQ(saved.humanInHand, 0);
    for (const SeatRecord& record : saved.seats)
        EXPECT_EQ(record.inHand, 0);
}

TEST_F(BetweenHands, TheHumanHoldingTheButtonIsSavedAsTheDealer)
{
    SavedGame& saved = harness.UseTournament(2, 4);
    HoldResults();
    harness.Start();
    ASSERT_TRUE(PlayToTheResult());
    for (int hand = 0; hand < 8 && DealerSeats(*harness.table) != std::vector<uint16_t>{0}; ++hand) {
        harness.shell.finish->Show(false);
        ASSERT_TRUE(PlayToTheResult());
    }
    ASSERT_EQ(DealerSeats(*harness.table), std::vector<uint16_t>{0});
    harness.table->Hide();
    EXPECT_EQ(saved.humanDealer, 1);
    for (const SeatRecord& record : saved.seats)
        EXPECT_EQ(record.dealer, 0);
    // The hand was over: the next one moves the button on from him.
    harness.table->Show();
    EXPECT_EQ(DealerSeats(*harness.table), std::vector<uint16_t>{1});
}

TEST_F(BetweenHands, APlayerAllInInAHandAnEarlierBuildKeptStillPlaysForThePot)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    // Kept without what each seat put in: the pot cannot be split by it.
    saved.contributionsKnown = 0;
    // A computer still in the hand whose chips all went in before the flop.
    SeatRecord* allIn = nullptr;
    for (SeatRecord& record : saved.seats)
        if (record.active != 0 && record.inHand != 0 && allIn == nullptr)
            allIn = &record;
    ASSERT_NE(allIn, nullptr);
    allIn->chips = 0;
    allIn->bet = 0;
    harness.table->Show();
    PlayerI* player = harness.table->GetPlayer(allIn->seatNumber);
    ASSERT_TRUE(player->IsAllIn());
    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    const std::vector<Pot>& pots = harness.table->GetPots();
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_NE(std::find(pots[0].eligible.begin(), pots[0].eligible.end(), player), pots[0].eligible.end());
}

TEST_F(BetweenHands, KeptPartsOfThePotThatDoNotMakeThePotArePaidAsOnePotAndMakeNoChip)
{
    SavedGame& saved = LeaveAtTheHumansFirstTurn(harness);
    ASSERT_EQ(saved.contributionsKnown, 1);
    // A damaged record: a seat in the hand, all-in, claims a part it never
    // put in.
    SeatRecord* claimant = nullptr;
    for (SeatRecord& record : saved.seats)
        if (record.active != 0 && record.inHand != 0 && claimant == nullptr)
            claimant = &record;
    ASSERT_NE(claimant, nullptr);
    claimant->contribution += 100000.0;
    claimant->chips = 0.0;
    harness.table->Show();
    GameMgr& table = *harness.table;
    const std::vector<Pot> pots = table.PotsAsTheyStand();
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_EQ(pots[0].amount, table.Betting().TotalPot() + table.Betting().RoundPot());
    double chips = pots[0].amount;
    for (PlayerI* player : table.GetSeatList())
        chips += player != nullptr ? player->GetChips() : 0.0;
    harness.closeResults = false;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
    double after = 0.0;
    for (PlayerI* player : table.GetSeatList())
        after += player != nullptr ? player->GetChips() : 0.0;
    EXPECT_EQ(after, chips);
}

} // namespace
} // namespace Gamespace
