// A tournament hand in which the human went all-in with a short stack and
// two or more opponents bet on beyond him (a side pot stands), left in the
// middle of their betting as a person leaves it, and continued:
// - the menu's Leave table, then Continue on the tournament set-up screen;
// - the program quit at the table (the window closed, the exit question
//   answered), started again on the same machine, Continue.
// At the return the table stands as it was left: every chip of the
// tournament (in front of the players and in the hand), every seat's chips,
// bet and part of the pot, and the pots as they stand. Then the hand is
// played on to its showdown, which pays exactly the pots: each pot's amount
// to players who may win it, and what nobody covered back to its owner.
//
// On the headless back end a script takes the same course on every run, so
// each walk plays the same script again on a fresh machine without leaving,
// and the continued hand must be paid as that hand played through: the same
// pots, the same rows of the hand result, every seat's chips to the chip.
// (What the program draws at random while the table is away, as the set-up
// screen and a new start do, is not the hand's: the walk sets the C
// runtime's generator back to where it stood at the leave.) On the real
// back end the cards follow the clock, so there is no twin: the checks above
// stand alone, and the walk takes a screenshot of each step.
#include "game/shell/FinishDlgImpl.h"
#include "game/shell/GameImpl.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/table/BettingRound.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/TableDialogs.h"
#include "platform/core/CRuntime.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/HandPayout.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace walk::sights;
using Gamespace::GameMgr;
using Gamespace::PlayerI;
using testing_support::ChipsAndPot;
using testing_support::Payout;
using testing_support::PotView;
using testing_support::ViewOf;
using walk::PlayedTable;
using walk::ScriptedPlayer;

// The tournament Ann plays, and her short stack in it.
struct Seating {
    uint16_t tournament;
    uint16_t players;
    double humanChips;
};
// Sit & Go N: no limit, eight players of 1500 chips, blinds 5 and 10; Ann
// has ten big blinds.
constexpr Seating kSitAndGoN{2, 8, 100.0};
// Big game L: limit, ten players of 15000 chips, blinds 37.5 and 75; Ann
// has two and a half bets, a half chip among them.
constexpr Seating kBigGameL{9, 10, 187.5};
// The game speed: the table waits half a second a step, time enough for the
// menu or the exit question to hold it before the next player acts (on the
// real back end too, where the clicks and the pictures take real time).
constexpr uint32_t kSpeed = 6;
// Hands played to find one that comes to a side pot behind Ann's all-in.
constexpr int kHandsToTry = 12;

enum class Away { None, LeaveTable, Quit };

// The table as it stands: every seat, every seat's part of the pot and the
// chips it paid for, the pots and every chip; whether the hand was shown
// down, and whether its betting waits for a player.
struct Standing {
    std::map<uint16_t, walk::Seat> seats;
    std::map<uint16_t, double> contributions;
    std::map<uint16_t, double> bought;
    std::vector<PotView> pots;
    double chips = 0.0;
    // The chips bought since the table was shown, less those that left it.
    double books = 0.0;
    bool settled = false;
    bool awaitingAction = false;
    uint32_t stage = 0;
    // The hands dealt since the table was shown.
    uint64_t hands = 0;
};

void PrintTo(const Standing& standing, std::ostream* out)
{
    *out << "stage " << standing.stage << (standing.settled ? ", shown down" : "")
         << (standing.awaitingAction ? ", a player to act" : ", nobody to act") << ", every chip " << standing.chips;
    for (const auto& [seat, at] : standing.seats) {
        *out << "\n  seat " << seat << " ";
        walk::PrintTo(at, out);
        *out << ", part of the pot " << standing.contributions.at(seat);
    }
    for (const PotView& pot : standing.pots) {
        *out << "\n  ";
        PrintTo(pot, out);
    }
}

Standing StandingOf(GameMgr& table)
{
    Standing standing;
    standing.seats = walk::Seats(table);
    for (PlayerI* player : walk::SeatedPlayers(table)) {
        const Gamespace::SeatStake& stake = table.Betting().Stake(player->GetSeat());
        standing.contributions[player->GetSeat()] = stake.contribution;
        standing.bought[player->GetSeat()] = stake.bought;
    }
    standing.settled = table.IsHandSettled();
    standing.pots = ViewOf(standing.settled ? table.GetPots() : table.PotsAsTheyStand());
    standing.chips = ChipsAndPot(table);
    standing.books = table.GetChipsBought() - table.GetChipsRemoved();
    standing.awaitingAction = table.Betting().Status() == Gamespace::RoundStatus::AwaitingAction;
    standing.stage = table.State().boardStage;
    standing.hands = table.GetHandsStarted();
    return standing;
}

Payout PayoutOf(GameMgr& table)
{
    Payout payout;
    payout.pots = ViewOf(table.GetPots());
    auto* result = dynamic_cast<Gamespace::FinishDlgImpl*>(table.GetFinishDlg());
    if (result == nullptr) {
        ADD_FAILURE() << "the hand result is not the program's dialog";
        return payout;
    }
    for (const Gamespace::FinishDlgImpl::Pot& pot : result->Pots())
        for (const Gamespace::FinishDlgImpl::Winner& winner : pot.winners)
            payout.rows.push_back(Payout::Row{pot.name, winner.player->GetSeat(), winner.amount, winner.handName});
    for (PlayerI* player : walk::SeatedPlayers(table))
        payout.chips[player->GetSeat()] = player->GetChips();
    return payout;
}

// What each player still in the hand may win, by seat: from every seat as
// much as he put in himself, and the chips of folded players beyond anyone
// still in go to the players who put in the most.
std::map<uint16_t, double> WinnableBySeat(GameMgr& table)
{
    std::map<uint16_t, double> parts;
    double top = 0.0;
    for (PlayerI* player : walk::SeatedPlayers(table)) {
        const Gamespace::SeatStake& stake = table.Betting().Stake(player->GetSeat());
        parts[player->GetSeat()] = stake.contribution;
        if (stake.inHand)
            top = std::max(top, stake.contribution);
    }
    double dead = 0.0;
    for (const auto& [seat, part] : parts)
        dead += std::max(0.0, part - top);
    std::map<uint16_t, double> winnable;
    for (const auto& [seat, own] : parts) {
        if (!table.Betting().Stake(seat).inHand)
            continue;
        double sum = own == top ? dead : 0.0;
        for (const auto& [other, part] : parts)
            sum += std::min(part, own);
        winnable[seat] = sum;
    }
    return winnable;
}

// Of `pots`, the amount each seat may win.
std::map<uint16_t, double> EligibleAmounts(const std::vector<PotView>& pots)
{
    std::map<uint16_t, double> amounts;
    for (const PotView& pot : pots)
        for (uint16_t seat : pot.seats)
            amounts[seat] += pot.amount;
    return amounts;
}

bool Among(const std::vector<uint16_t>& seats, uint16_t seat)
{
    return std::find(seats.begin(), seats.end(), seat) != seats.end();
}

// Watches the table across a leave, after every step of the program: the
// table as it stood at the step it was first held still (the menu or the
// exit question up), and as it stood at the step it was shown again, before
// any of its timers ran. Headless, the C runtime's generator is set back at
// that step to where it stood at the leave, so that the hand goes on with
// the numbers it would have drawn had it not been left.
class Crossing {
public:
    explicit Crossing(ScriptedPlayer& player) : player_(player)
    {
        player_.AfterEachStep([this] { Look(); });
    }
    ~Crossing() { player_.AfterEachStep(nullptr); }
    Crossing(const Crossing&) = delete;
    Crossing& operator=(const Crossing&) = delete;

    const std::optional<Standing>& Left() const { return left_; }
    const std::optional<Standing>& Back() const { return back_; }

private:
    void Look()
    {
        GameMgr* table = player_.Game().GetGameMgr();
        if (table == nullptr)
            return;
        if (!left_) {
            if (table->IsActive() && table->IsPaused()) {
                left_ = StandingOf(*table);
                random_ = platform::testing::RandState();
            }
            return;
        }
        if (back_)
            return;
        if (!table->IsActive()) {
            away_ = true;
            return;
        }
        if (away_) {
            back_ = StandingOf(*table);
            if (player_.GetBackend() == ScriptedPlayer::Backend::Headless)
                platform::srand(random_);
        }
    }

    ScriptedPlayer& player_;
    std::optional<Standing> left_;
    std::optional<Standing> back_;
    unsigned int random_ = 0;
    bool away_ = false;
};


// What the walk saw of the hand it played: the walk's hand it was, the
// program time at which the side pot stood, the table at the leave and at
// the return, and the showdown's payout.
struct Walked {
    int hand = 0;
    // Leaves that came after the hand was over (the real back end).
    int tooLate = 0;
    uint64_t sidePotAtMs = 0;
    Standing left;
    Standing back;
    Payout payout;
};

// What became of an attempt to leave the table.
enum class Leaving { Done, TooLate, Failed };

// Ann's walk through a tournament to a hand in which the others bet on
// behind her all-in, away from it and back, and on to its showdown.
class AllInHand {
public:
    AllInHand(ScriptedPlayer& player, const Seating& seating) : player_(player), table_(player), seating_(seating) {}

    // Ann, known and current, with her short stack in a fresh tournament of
    // aggressive opponents (the set-up screens' choice), taken to its
    // table; the dealer drawn.
    void SitDown()
    {
        player_.WriteRegistryNumber("Options\\Speed", kSpeed);
        Profile ann = walk::KnownPlayer("Ann");
        ann.computerStyle = 3;
        walk::PutProfile(player_, ann);
        player_.Launch();
        SavedGame& saved =
            PlayedTable::EnterTournament(*ProfileList::CurrentProfile(), seating_.tournament, seating_.players, 1);
        saved.startChips = seating_.humanChips;
        Gamespace::GameImpl& game = player_.Game();
        game.OnModuleDone(Gamespace::StartMgr::kModuleId);
        ASSERT_TRUE(game.GetSetupRulesMgr().IsActive());
        game.GetSetupRulesMgr().OnSetupDone(0);
        ASSERT_TRUE(Table().IsActive());
        table_.CloseTheDealerDraw();
    }

    // Plays hands, Ann all-in at her first turn of each, until the others
    // bet on behind her with a side pot standing; there, `away` from the
    // table and back. False (and the walk fails) when no hand of the walk
    // came to it.
    bool PlayToASidePotAndLeave(Away away, Walked& walked)
    {
        for (int hand = 1; hand <= kHandsToTry; ++hand) {
            // (The real back end: a new hand was dealt while the walk was
            // about to leave the last.)
            bool dealtOn = false;
            if (table_.PlayOnToTurnOrResult()) {
                EXPECT_TRUE(table_.Enabled(Gamespace::kHumanAllIn));
                table_.Act(Gamespace::kHumanAllIn);
                if (::testing::Test::HasFatalFailure())
                    return false;
                const uint64_t dealt = Table().GetHandsStarted();
                while (PlayOnUntil([&] { return SidePotInTheOthersBetting(); }, "a side pot behind Ann's all-in")) {
                    walked.hand = hand;
                    walked.sidePotAtMs = player_.Now();
                    const Leaving leaving = away == Away::None ? Leaving::Done : Leave(away, walked);
                    if (leaving != Leaving::TooLate)
                        return leaving == Leaving::Done;
                    // (The real back end: the table moved on before it held
                    // still. The same hand, or the next, may do.)
                    ++walked.tooLate;
                    if (Table().GetHandsStarted() != dealt) {
                        dealtOn = true;
                        break;
                    }
                }
            }
            if (dealtOn)
                continue;
            if (!Table().GetFinishDlg()->IsVisible())
                return false;
            const uint64_t dealt = Table().GetHandsStarted();
            // (The real back end, where the opponents decide for themselves:
            // a hand can take all of Ann's chips with fewer than two of them
            // betting on behind her. She is then given her short stack back,
            // so that a later hand can come to the side pot.)
            if (table_.Human().GetChips() < Table().GetMinBet())
                GiveAnnHerStackBack();
            table_.FinishHand();
            if (table_.RebuyQuestionShown() || Table().GetTrnFinishDlg()->IsVisible()) {
                ADD_FAILURE() << "Ann lost her chips in hand " << hand << " with no side pot behind her all-in";
                return false;
            }
            if (!table_.NextHandStarts(dealt))
                return false;
        }
        ADD_FAILURE() << "no hand of " << kHandsToTry << " came to a side pot behind Ann's all-in";
        return false;
    }

    // The hand is played on to its showdown: its payout, checked against
    // the pots; the hand result's pots are paged through.
    void PlayToTheShowdown(Walked& walked)
    {
        PlayOnUntil([] { return false; }, "the hand's result");
        GameMgr& table = Table();
        ASSERT_TRUE(table.GetFinishDlg()->IsVisible());
        walked.payout = PayoutOf(table);
        CheckThePayout(walked);
        auto* result = dynamic_cast<Gamespace::FinishDlgImpl*>(table.GetFinishDlg());
        ASSERT_NE(result, nullptr);
        const size_t pots = result->Pots().size();
        for (size_t pot = 0; pot < pots && table.GetFinishDlg()->IsVisible(); ++pot) {
            EXPECT_EQ(result->CurrentPot(), pot);
            EXPECT_EQ(result->Title(), result->Pots()[pot].name);
            player_.Screenshot("the hand result, " + result->Pots()[pot].name);
            player_.Click(PlayedTable::kClose);
        }
        EXPECT_FALSE(table.GetFinishDlg()->IsVisible()) << "the hand result outlasted its " << pots << " pots";
    }

    // Closes the window and answers the exit question.
    void Quit() { table_.LeaveGame(); }

    GameMgr& Table() const { return table_.Table(); }

private:
    // A tool, at the hand's result: Ann's short stack comes from the
    // opponent with the most chips (behind the seats' backs: their labels
    // keep showing the chips as they were), no chip made or lost.
    void GiveAnnHerStackBack()
    {
        Gamespace::BettingRound& money = Table().Betting();
        PlayerI* richest = nullptr;
        for (PlayerI* player : walk::SeatedPlayers(Table()))
            if (!player->IsHuman() && (richest == nullptr || player->GetChips() > richest->GetChips()))
                richest = player;
        ASSERT_NE(richest, nullptr);
        const double given = std::min(seating_.humanChips, richest->GetChips());
        money.SetChips(richest->GetSeat(), richest->GetChips() - given);
        money.SetChips(0, money.Stake(0).chips + given);
    }

    // The others bet on behind Ann's all-in, two or more of them, with a
    // side pot standing.
    bool SidePotInTheOthersBetting() const
    {
        GameMgr& table = Table();
        if (table.GetTableStateCode() != Gamespace::kTableBetting || table.IsHandSettled() ||
            table.GetFinishDlg()->IsVisible() || table.GetStageDlg()->IsVisible() ||
            table.Betting().Status() != Gamespace::RoundStatus::AwaitingAction)
            return false;
        const PlayerI& ann = table_.Human();
        if (!ann.IsInHand() || !ann.IsAllIn())
            return false;
        int bettingOn = 0;
        for (PlayerI* player : walk::SeatedPlayers(table))
            bettingOn += !player->IsHuman() && player->IsInHand() && !player->IsAllIn() ? 1 : 0;
        return bettingOn >= 2 && table.PotsAsTheyStand().size() >= 2;
    }

    // Plays on, closing the stage announcements, until `condition` holds
    // (true) or the hand result shows (false).
    bool PlayOnUntil(const std::function<bool()>& condition, const std::string& what)
    {
        GameMgr& table = Table();
        for (int announcements = 0; announcements <= 3; ++announcements) {
            if (!player_.WaitUntil(
                    [&] { return condition() || table.GetFinishDlg()->IsVisible() || table.GetStageDlg()->IsVisible(); },
                    60000, what + " or the hand's result"))
                return false;
            if (condition())
                return true;
            if (!table.GetStageDlg()->IsVisible())
                return false;
            player_.Click(PlayedTable::kClose);
        }
        ADD_FAILURE() << "more stage announcements than a hand has";
        return false;
    }

    // Away from the table as `away` says and back with Continue: the table
    // as it stood at the leave and at the return. TooLate (the real back
    // end only) when the table moved on before it held still, to a dialog
    // of its own that took the menu button's click or to the hand's end:
    // the table is then played on.
    Leaving Leave(Away away, Walked& walked)
    {
        const uint64_t hands = Table().GetHandsStarted();
        Crossing crossing(player_);
        player_.Screenshot(away == Away::Quit ? "the all-in and the bets, before quitting"
                                              : "the all-in and the bets, before leaving");
        if (away == Away::LeaveTable) {
            // A dialog of the table that came first takes the click.
            GameMgr& table = Table();
            player_.Click(PlayedTable::kMenuButton);
            if (!player_.WaitUntil(
                    [&] {
                        return player_.Sees(kMenu) || table.GetStageDlg()->IsVisible() ||
                               table.GetFinishDlg()->IsVisible();
                    },
                    ScriptedPlayer::kPromptMs, "the menu"))
                return Leaving::Failed;
            if (!player_.Sees(kMenu)) {
                if (player_.GetBackend() == ScriptedPlayer::Backend::Sdl)
                    return Leaving::TooLate;
                ADD_FAILURE() << "the table moved on to a dialog before the menu came";
                return Leaving::Failed;
            }
            player_.Screenshot("the menu");
        } else {
            player_.CloseWindow();
            if (!player_.WaitToSee(kExitQuestion))
                return Leaving::Failed;
            player_.Screenshot("the exit question");
        }
        if (!crossing.Left()) {
            ADD_FAILURE() << (away == Away::Quit ? "the exit question" : "the menu") << " did not hold the table";
            return Leaving::Failed;
        }
        const Standing left = *crossing.Left();
        if (left.settled || left.pots.size() < 2 || left.hands != hands) {
            if (player_.GetBackend() == ScriptedPlayer::Backend::Headless) {
                ADD_FAILURE() << "the hand was over before the table held still:\n" << ::testing::PrintToString(left);
                return Leaving::Failed;
            }
            if (away == Away::Quit)
                player_.Press(platform::VK_ESCAPE);
            else
                player_.Click(kResume);
            return Leaving::TooLate;
        }

        EXPECT_EQ(left.chips, left.books) << "every chip bought is at the table as it is left";
        if (player_.GetBackend() == ScriptedPlayer::Backend::Headless) {
            EXPECT_TRUE(left.awaitingAction) << "the table held still after the others' betting, not in it:\n"
                                             << ::testing::PrintToString(left);
        }

        if (away == Away::LeaveTable) {
            player_.Click(PlayedTable::kLeaveTournament);
            if (!player_.WaitUntil([&] { return walk::ShownModules(player_.Game()) == "set-up"; }, 5000,
                                   "the set-up screen"))
                return Leaving::Failed;
        } else {
            player_.Click(kYes);
            const bool ended = player_.WaitForExit();
            const int code = player_.Finish();
            EXPECT_EQ(code, 0);
            if (!ended || code != 0)
                return Leaving::Failed;
            CheckTheFileHolds(left);
            player_.Relaunch();
            player_.Click(kTournaments);
        }
        if (!player_.WaitToSee(kContinue))
            return Leaving::Failed;
        player_.Screenshot("the set-up screen with Continue");
        player_.Click(kContinue);
        if (!player_.WaitUntil([&] { return crossing.Back().has_value(); }, ScriptedPlayer::kPromptMs,
                               "the table again"))
            return Leaving::Failed;
        player_.Screenshot("the table after Continue");
        walked.left = left;
        walked.back = *crossing.Back();
        CheckTheReturn(walked);
        return Leaving::Done;
    }

    // The profile file the quit left holds the hand to the chip: every
    // seat's chips and part of the pot (half chips too).
    void CheckTheFileHolds(const Standing& left)
    {
        const std::unique_ptr<Profile> ann = walk::ProfileOnDisk(player_, "Ann");
        const SavedGame* saved = nullptr;
        for (const auto& game : ann->savedGames)
            if (game->current != 0)
                saved = game.get();
        ASSERT_NE(saved, nullptr) << "the file holds no tournament in progress";
        EXPECT_EQ(saved->handOver, 0) << "the hand in play";
        EXPECT_EQ(saved->contributionsKnown, 1);
        std::map<uint16_t, double> chips, contributions;
        chips[0] = saved->startChips;
        contributions[0] = saved->humanContribution;
        for (const SeatRecord& seat : saved->seats)
            if (seat.active != 0 && left.seats.count(seat.seatNumber) != 0) {
                chips[seat.seatNumber] = seat.chips;
                contributions[seat.seatNumber] = seat.contribution;
            }
        EXPECT_EQ(contributions, left.contributions) << "the parts of the pot the file holds";
        std::map<uint16_t, double> leftChips;
        for (const auto& [seat, at] : left.seats)
            leftChips[seat] = at.chips;
        EXPECT_EQ(chips, leftChips) << "the chips the file holds";
    }

    // The table comes back as it was left.
    static void CheckTheReturn(const Walked& walked)
    {
        const Standing& left = walked.left;
        const Standing& back = walked.back;
        EXPECT_EQ(back.chips, left.chips) << "every chip of the tournament, in front of the players and in the hand";
        EXPECT_EQ(back.contributions, left.contributions);
        EXPECT_EQ(back.pots, left.pots) << "left:\n" << ::testing::PrintToString(left) << "\nback:\n"
                                        << ::testing::PrintToString(back);
        if (back.settled) {
            // Only a hand whose river's betting was over is shown down as
            // it comes back.
            EXPECT_TRUE(left.stage == 3 && !left.awaitingAction) << ::testing::PrintToString(left);
        } else {
            // A round whose betting was over comes back with its bets in
            // the pot.
            std::map<uint16_t, walk::Seat> seats = left.seats;
            for (auto& [seat, at] : seats)
                at.bet = left.awaitingAction ? at.bet : 0.0;
            EXPECT_EQ(back.seats, seats);
        }
        // Ann may win from each seat as much as she put in, and no more.
        const std::map<uint16_t, double> eligible = EligibleAmounts(back.pots);
        double covered = 0.0;
        for (const auto& [seat, part] : back.contributions)
            covered += std::min(part, back.contributions.at(0));
        EXPECT_DOUBLE_EQ(eligible.count(0) != 0 ? eligible.at(0) : 0.0, covered) << "Ann's share of the pots";
    }

    // The showdown pays exactly the pots: each pot's amount to players who
    // may win it; each player still in the hand may win from every seat as
    // much as he put in (what nobody covered comes back to its owner); and
    // each seat ends with its chips at the leave, less what it put in since,
    // plus what it bought and what it won.
    void CheckThePayout(const Walked& walked)
    {
        GameMgr& table = Table();
        const Payout& payout = walked.payout;
        const Standing& left = walked.left;
        double pots = 0.0;
        for (const PotView& pot : payout.pots) {
            double paid = 0.0;
            for (const Payout::Row& row : payout.rows) {
                if (row.pot != pot.name)
                    continue;
                paid += row.amount;
                EXPECT_TRUE(Among(pot.seats, row.seat))
                    << "seat " << row.seat << " won from " << pot.name << ", which he may not win";
            }
            EXPECT_DOUBLE_EQ(paid, pot.amount) << pot.name << " paid";
            pots += pot.amount;
        }
        double putIn = 0.0;
        for (PlayerI* player : walk::SeatedPlayers(table))
            putIn += table.Betting().Stake(player->GetSeat()).contribution;
        EXPECT_DOUBLE_EQ(pots, putIn) << "the pots hold every chip put in";
        const std::map<uint16_t, double> eligible = EligibleAmounts(payout.pots);
        for (const auto& [seat, amount] : WinnableBySeat(table))
            EXPECT_DOUBLE_EQ(eligible.count(seat) != 0 ? eligible.at(seat) : 0.0, amount)
                << "what seat " << seat << " may win";
        if (left.seats.empty())
            return; // (the hand played through: no leave to count from)
        double chips = 0.0;
        double boughtSince = 0.0;
        for (const auto& [seat, after] : payout.chips) {
            const Gamespace::SeatStake& stake = table.Betting().Stake(seat);
            double won = 0.0;
            for (const Payout::Row& row : payout.rows)
                won += row.seat == seat ? row.amount : 0.0;
            const double bought = stake.bought - walked.back.bought.at(seat);
            const double expected =
                left.seats.at(seat).chips - (stake.contribution - left.contributions.at(seat)) + bought + won;
            EXPECT_DOUBLE_EQ(after, expected) << "seat " << seat << "'s chips after the showdown";
            chips += after;
            boughtSince += bought;
        }
        EXPECT_DOUBLE_EQ(chips, left.chips + boughtSince) << "every chip of the tournament after the showdown";
    }

    ScriptedPlayer& player_;
    PlayedTable table_;
    Seating seating_;
};

// Ann's walk on a machine of its own: sat down, to the side pot, `away` and
// back, and on to the showdown.
Walked WalkTheHand(const Seating& seating, Away away)
{
    Walked walked;
    ScriptedPlayer player;
    AllInHand hand(player, seating);
    hand.SitDown();
    if (::testing::Test::HasFatalFailure())
        return walked;
    if (!hand.PlayToASidePotAndLeave(away, walked) || ::testing::Test::HasFatalFailure()) {
        if (!::testing::Test::HasFailure())
            ADD_FAILURE() << "the walk stopped before the showdown of the hand it left";
        return walked;
    }
    hand.PlayToTheShowdown(walked);
    hand.Quit();
    if (away != Away::None)
        std::printf("hand %d of the walk (%d leaves too late before it) left at board stage %u, %s; pots at the "
                    "leave and the return:%s\npaid:%s\n",
                    walked.hand, walked.tooLate, walked.left.stage,
                    walked.left.awaitingAction ? "in the betting" : "after the round's betting",
                    ::testing::PrintToString(walked.left.pots).c_str(),
                    ::testing::PrintToString(walked.payout).c_str());
    return walked;
}

// Headless, the hand walked again on a fresh machine and played through:
// the same course up to the leave, and the same payout.
void CompareWithTheHandPlayedThrough(const Seating& seating, const Walked& resumed)
{
    if (!platform::IsHeadless() || ::testing::Test::HasFailure())
        return;
    const Walked through = WalkTheHand(seating, Away::None);
    ASSERT_EQ(through.hand, resumed.hand) << "the twin took another course before the leave";
    ASSERT_EQ(through.sidePotAtMs, resumed.sidePotAtMs) << "the twin took another course before the leave";
    EXPECT_EQ(resumed.payout, through.payout) << "the hand continued is paid as the hand played through";
}

} // namespace

TEST(ResumedHandWalk, AnAllInHandLeftAtTheTableAndContinuedIsPaidAsPlayedThrough)
{
    const Walked resumed = WalkTheHand(kSitAndGoN, Away::LeaveTable);
    CompareWithTheHandPlayedThrough(kSitAndGoN, resumed);
}

TEST(ResumedHandWalk, AnAllInHandQuitAndContinuedInTheNextRunIsPaidAsPlayedThrough)
{
    const Walked resumed = WalkTheHand(kBigGameL, Away::Quit);
    CompareWithTheHandPlayedThrough(kBigGameL, resumed);
}
