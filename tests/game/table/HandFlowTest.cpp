// The hand's steps in order and at their pace, driven by the real time
// system stepped pass by pass on a manual clock.
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/PlayerI.h"
#include "platform/core/CRuntime.h"
#include "platform/core/Clock.h"
#include "tests/support/ScriptedShell.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace Gamespace {
namespace {

struct Entry {
    uint64_t ms;
    std::string what;
};

// The table with every report of its players written down, with the time.
class LoggingTable final : public GameMgr {
public:
    LoggingTable(const TableServices& services, TimeLibrary::ITimeSystem& time, std::vector<Entry>& log)
        : GameMgr(nullptr, kModuleId, services), time_(time), log_(log)
    {
    }
    void OnPlayerStepDone(uint16_t seat, uint16_t position) override
    {
        Write(IsDealerChosen() ? "card p" + std::to_string(position) : "draw s" + std::to_string(seat));
        GameMgr::OnPlayerStepDone(seat, position);
    }
    BetOutcome PlaceBet(uint16_t seat, BetMove move, double amount) override
    {
        BetOutcome outcome = GameMgr::PlaceBet(seat, move, amount);
        if (outcome.chipsIn) {
            std::ostringstream text;
            text << "pot " << outcome.moved;
            Write(text.str());
        }
        return outcome;
    }
    void OnPlayerAction(uint16_t position, uint32_t code, double amount) override
    {
        std::ostringstream text;
        text << "act p" << position << " " << code << " " << amount;
        Write(text.str());
        GameMgr::OnPlayerAction(position, code, amount);
    }
    void Write(const std::string& what) { log_.push_back(Entry{time_.GetTime(), what}); }

private:
    TimeLibrary::ITimeSystem& time_;
    std::vector<Entry>& log_;
};

class HandFlowTest : public ::testing::Test {
protected:
    HandFlowTest() : useClock_(clock_)
    {
        platform::ResetProcessStart();
        platform::srand(7);
        shell_.logging = false;
        shell_.speed = 6; // an action delay of 500 ms
        shell_.profile.announceStages = 0;
        TableServices services;
        services.shell = &shell_;
        services.timeSystem = &time_;
        table_ = std::make_unique<LoggingTable>(services, time_, log_);
        table_->Create();
    }
    ~HandFlowTest() override { table_.reset(); }

    void SitDown(uint16_t players)
    {
        shell_.profile.gameType = 2;
        shell_.profile.noLimit = TableChoice{0, players};
        table_->Show();
    }

    // One 5 ms pass of the time system, then the main thread's frame.
    void Pass()
    {
        time_.TickAll();
        clock_.AdvanceMilliseconds(5);
        table_->ProcessEvents();
        if (shell_.dealer->IsVisible()) {
            table_->Write("dealer chosen");
            shell_.dealer->Show(false);
        }
        if (shell_.stage->IsVisible()) {
            std::ostringstream text;
            text << "stage " << shell_.stage->caption << " " << table_->State().board.size();
            table_->Write(text.str());
            shell_.stage->Show(false);
            table_->Write("board " + std::to_string(table_->State().board.size()));
        }
        if (shell_.humanAction != nullptr && shell_.humanAction->actionsShown) {
            table_->Write("human turn");
            std::vector<uint32_t> actions;
            HumanActionMessageObserver& human = *shell_.humanAction->player;
            human.GetAvailableActions(actions);
            bool check = std::find(actions.begin(), actions.end(), kHumanCheck) != actions.end();
            human.PerformHumanAction(check ? kHumanCheck : kHumanCall, 0);
        }
    }

    bool RunUntil(const std::function<bool()>& done, int passes = 200000)
    {
        for (int i = 0; i < passes && !done(); ++i)
            Pass();
        return done();
    }

    const Entry* Find(const std::string& what, size_t from = 0) const
    {
        for (size_t i = from; i < log_.size(); ++i)
            if (log_[i].what == what)
                return &log_[i];
        return nullptr;
    }
    size_t IndexOf(const std::string& what, size_t from = 0) const
    {
        for (size_t i = from; i < log_.size(); ++i)
            if (log_[i].what == what)
                return i;
        return log_.size();
    }

    platform::ManualClock clock_{1000000};
    platform::ScopedClock useClock_;
    TimeLibrary::TimeSystem_impl time_;
    testing_support::ScriptedShell shell_;
    std::vector<Entry> log_;
    std::unique_ptr<LoggingTable> table_;
};

TEST_F(HandFlowTest, HeadsUpHandRunsItsStepsInOrderAtTheActionPace)
{
    SitDown(2);
    ASSERT_TRUE(RunUntil([&] { return shell_.finish->IsVisible(); }));
    const uint64_t d = 500;
    // Players draw one after another, 2/3 of a delay apart (in 5 ms steps).
    const uint64_t stagger = 335;

    // The draw for the button, seat by seat, one stagger apart.
    ASSERT_GE(log_.size(), 3u);
    EXPECT_EQ(log_[0].what, "draw s0");
    EXPECT_EQ(log_[1].what, "draw s1");
    EXPECT_EQ(log_[1].ms - log_[0].ms, stagger);
    EXPECT_EQ(log_[2].what, "dealer chosen");

    // Blinds: half the minimum bet after one delay, the minimum after two,
    // and the big blind opens the betting.
    size_t small = IndexOf("pot 1");
    ASSERT_LT(small + 2, log_.size());
    EXPECT_EQ(log_[small + 1].what, "pot 2");
    EXPECT_EQ(log_[small + 1].ms - log_[small].ms, d);
    EXPECT_EQ(log_[small + 2].what, "act p1 0 0");

    // Two rounds of hole cards, position 0 first, one delay after the
    // opening and one after the first round.
    size_t deal = small + 3;
    ASSERT_LT(deal + 4, log_.size());
    std::vector<std::string> cards;
    for (size_t i = deal; i < deal + 4; ++i)
        cards.push_back(log_[i].what);
    EXPECT_EQ(cards, (std::vector<std::string>{"card p0", "card p1", "card p0", "card p1"}));
    EXPECT_EQ(log_[deal].ms - log_[small + 2].ms, d + 20);
    EXPECT_EQ(log_[deal + 1].ms - log_[deal].ms, stagger);
    EXPECT_EQ(log_[deal + 2].ms - log_[deal + 1].ms, d + 20);

    // Heads-up, the first turn wraps round to position 0, the small blind.
    const Entry& firstTurn = log_[deal + 4];
    bool humanFirst = table_->GetHumanPlayer()->GetPosition() == 0;
    if (humanFirst)
        EXPECT_EQ(firstTurn.what, "human turn");
    else
        EXPECT_EQ(firstTurn.what.substr(0, 6), "act p0");
    EXPECT_EQ(firstTurn.ms - log_[deal + 3].ms, d + 10);
    EXPECT_EQ(table_->State().boardStage, 3u);
    EXPECT_EQ(table_->State().board.size(), 5u);
}

TEST_F(HandFlowTest, TheBigBlindGetsHisOptionInEveryHand)
{
    SitDown(2);
    int optionHands = 0;
    for (int hand = 0; hand < 40; ++hand) {
        size_t start = log_.size();
        ASSERT_TRUE(RunUntil([&] { return shell_.finish->IsVisible(); }));
        // Hands where the small blind (position 0) just called: the big
        // blind (position 1) must act next, before the flop brings the turn
        // back to position 0.
        size_t open = IndexOf("act p1 0 0", start);
        std::vector<std::string> turns;
        for (size_t i = open + 1; i < log_.size(); ++i) {
            const std::string& what = log_[i].what;
            if (what == "human turn")
                turns.push_back(table_->GetHumanPlayer()->GetPosition() == 0 ? "p0" : "p1");
            else if (what.rfind("act p", 0) == 0 && (turns.empty() || what.substr(4, 2) != turns.back()))
                turns.push_back(what.substr(4, 2) + (what.substr(7, 1) == "3" && turns.empty() ? " call" : ""));
        }
        if (!turns.empty() && turns[0] == "p0 call") {
            ++optionHands;
            ASSERT_GE(turns.size(), 2u);
            EXPECT_EQ(turns[1], "p1") << "hand " << hand;
        }
        shell_.finish->Show(false);
    }
    EXPECT_GT(optionHands, 0);
}

TEST_F(HandFlowTest, StagesFollowInOrderAndTheFirstActiveAfterTheButtonOpensEach)
{
    shell_.profile.announceStages = 1;
    SitDown(5);
    int rivers = 0;
    for (int hand = 0; hand < 30; ++hand) {
        size_t start = log_.size();
        ASSERT_TRUE(RunUntil([&] { return shell_.finish->IsVisible(); }));
        std::vector<std::string> stages;
        for (size_t i = start; i < log_.size(); ++i) {
            const std::string& what = log_[i].what;
            if (what.rfind("stage ", 0) == 0)
                stages.push_back(what);
            if (what.rfind("board ", 0) == 0) {
                // After a stage the turn starts again from the button: the
                // next actor is the first player still able to act.
                size_t next = i + 1;
                while (next < log_.size() && log_[next].what.rfind("act p", 0) != 0 &&
                       log_[next].what != "human turn" && log_[next].what.rfind("stage", 0) != 0)
                    ++next;
                if (next < log_.size() && log_[next].what.rfind("act p", 0) == 0) {
                    uint16_t position = static_cast<uint16_t>(std::stoi(log_[next].what.substr(5)));
                    for (uint16_t q = 0; q < position; ++q) {
                        PlayerI* earlier = table_->State().actingOrder[q];
                        EXPECT_TRUE(!earlier->IsInHand() || earlier->IsAllIn() || earlier->IsHuman())
                            << "hand " << hand << ": position " << q << " was skipped";
                    }
                }
            }
        }
        std::vector<std::string> expected = {"stage Flop 0", "stage Turn 3", "stage River 4"};
        expected.resize(stages.size());
        EXPECT_EQ(stages, expected) << "hand " << hand;
        if (stages.size() == 3) {
            ++rivers;
            EXPECT_EQ(table_->State().board.size(), 5u);
        }
        shell_.finish->Show(false);
    }
    EXPECT_GT(rivers, 0);
}

TEST_F(HandFlowTest, ALoneTwoOfSpadesStillTakesTheButton)
{
    shell_.profile.gameType = 2;
    shell_.profile.noLimit = TableChoice{0, 2};
    table_->Show();
    // Leave nothing in the deck but the two of spades: seat 0 draws it and
    // seat 1 draws no card at all. (Shuffle again while it lies on the board.)
    for (int retry = 0; retry < 50; ++retry) {
        const std::vector<Card>& cards = table_->GetDeck().GetCards();
        if (std::find(cards.begin(), cards.end(), Card(0, 0)) != cards.end())
            break;
        table_->Hide();
        clock_.AdvanceMilliseconds(1);
        table_->Show();
    }
    Deck& deck = table_->GetDeck();
    std::vector<Card> rest = deck.GetCards();
    for (const Card& card : rest)
        if (card != Card(0, 0))
            deck.RemoveCard(card);
    ASSERT_TRUE(RunUntil([&] { return Find("dealer chosen") != nullptr; }, 2000));
    EXPECT_TRUE(table_->GetPlayer(0)->IsDealer());
    EXPECT_EQ(shell_.dealer->caption, "Tester is the dealer.");
}

TEST_F(HandFlowTest, EveryHandStartsWithAShuffleAndItsPause)
{
    SitDown(3);
    ASSERT_TRUE(RunUntil([&] { return table_->GetHandsStarted() == 1; }));
    uint64_t handStart = time_.GetTime();
    const Entry* small = nullptr;
    ASSERT_TRUE(RunUntil([&] { return (small = Find("pot 1")) != nullptr; }));
    // The shuffle's 1650 ms, then the small blind's own delay.
    EXPECT_EQ(small->ms - handStart, 500u + 10u);
    const Entry* dealer = Find("dealer chosen");
    ASSERT_NE(dealer, nullptr);
    EXPECT_GE(handStart - dealer->ms, 500u + 1650u);
}

TEST_F(HandFlowTest, TheNextHandIsDealtTwoActionDelaysAfterTheResultCloses)
{
    SitDown(3);
    ASSERT_TRUE(RunUntil([&] { return shell_.finish->IsVisible(); }));
    shell_.finish->Show(false);
    const uint64_t closed = time_.GetTime();
    ASSERT_TRUE(RunUntil([&] { return table_->GetHandsStarted() == 2; }));
    // Two action delays of waiting, the shuffle's 1650 ms, one 10 ms step.
    EXPECT_EQ(time_.GetTime() - closed, 2u * 500u + 1650u + 10u);
}

} // namespace
} // namespace Gamespace
