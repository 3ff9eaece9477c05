// Between two hands: the button moves on, players who cannot pay the bet
// leave, and a table left between hands or in the middle of one is saved as
// it stands, whatever the record held before.
#include "game/table/PlayerI.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

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

// Left while the human is to act: the hand is saved as it stands, and the
// turn resumes with him.
void ExpectTheHandSavedAsItStands(TableHarness& harness, SavedGame& saved)
{
    const TableState state = harness.table->State();
    PlayerI& human = *harness.table->GetPlayer(0);
    const std::vector<Card> cards = human.GetHoleCards();
    const double bet = human.GetBet();
    const uint16_t position = human.GetPosition();
    std::vector<double> bets(10, 0.0);
    for (uint16_t seat = 1; seat < 10; ++seat)
        if (PlayerI* player = harness.table->GetPlayer(seat); player != nullptr && player->IsInHand())
            bets[seat] = player->GetBet();
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
        if (record.seatNumber == seat && record.inHand != 0) {
            EXPECT_DOUBLE_EQ(record.bet, bets[seat]) << seat;
        }
    }
    ASSERT_LT(saved.resumePosition, 10);

    harness.table->Show();
    EXPECT_EQ(harness.table->Betting().NextToAct(saved.resumePosition), position);
    EXPECT_TRUE(harness.RunUntil([&] { return harness.shell.humanAction->actionsShown; }));
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
            human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanCall : kHumanCheck, 0);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return waiting; }));
    ExpectTheHandSavedAsItStands(harness, saved);
}

TEST_F(BetweenHands, ATournamentLeftWithAStageAnnouncedIsSavedWithTheAnnouncementPending)
{
    SavedGame& saved = harness.UseTournament(2, 8);
    harness.shell.profile.customOption = 1;
    harness.closeAnnouncements = false;
    harness.humanPolicy = [](HumanActionMessageObserver& human) {
        human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanCall : kHumanCheck, 0);
    };
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] {
        if (harness.shell.dealer->IsVisible())
            harness.shell.dealer->Show(false);
        return harness.shell.stage->IsVisible();
    }));
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

} // namespace
} // namespace Gamespace
