// A tournament left in the middle of a betting round and sat down at again:
// the round goes on as it would have. The human is offered the same actions
// for the same amounts, the players who had acted are not asked again, the
// big blind keeps his option, and a round that was over stays over.
#include "game/shell/ProfileFile.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/Tournament.h"
#include "game/table/PlayerHuman.h"
#include "platform/core/CRuntime.h"
#include "tests/support/HandPayout.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace Gamespace {
namespace {

using testing_support::Payout;
using testing_support::PotView;
using testing_support::TableHarness;
using testing_support::ViewOf;

// What the human's action strip offers and the figures it shows with it.
struct Offer {
    std::vector<uint32_t> actions;
    double chips = 0.0;
    double bet = 0.0;
    double currentBet = 0.0;
    double roundPot = 0.0;
    double totalPot = 0.0;
    uint16_t stage = 0;
    bool operator==(const Offer&) const = default;
};

void PrintTo(const Offer& offer, std::ostream* out)
{
    *out << "actions";
    for (uint32_t action : offer.actions)
        *out << " " << action;
    *out << ", chips " << offer.chips << ", bet " << offer.bet << ", to match " << offer.currentBet << ", round pot "
         << offer.roundPot << ", pot " << offer.totalPot << ", stage " << offer.stage;
}

Offer Offered(HumanActionMessageObserver& human)
{
    Offer offer;
    human.GetAvailableActions(offer.actions);
    offer.chips = human.GetChips();
    offer.bet = human.GetBet();
    offer.currentBet = human.GetCurrentBet();
    offer.roundPot = human.GetRoundPot();
    offer.totalPot = human.GetTotalPot();
    offer.stage = human.GetBoardStage();
    return offer;
}

// One seat's place in the round. Whether a player out of the betting
// (folded or all-in) has acted decides nothing, and a folded bet is in the
// pot already, so neither is compared.
struct SeatStanding {
    uint16_t seat = 0;
    double chips = 0.0;
    double bet = 0.0;
    bool inHand = false;
    bool allIn = false;
    bool acted = false;
    bool option = false;
    bool operator==(const SeatStanding&) const = default;
};

struct Standing {
    std::vector<SeatStanding> seats;
    uint32_t stage = 0;
    bool betMade = false;
    double currentBet = 0.0;
    double totalPot = 0.0;
    bool operator==(const Standing&) const = default;
};

void PrintTo(const Standing& standing, std::ostream* out)
{
    *out << "stage " << standing.stage << (standing.betMade ? ", bet made " : ", no bet ") << standing.currentBet
         << ", pot " << standing.totalPot;
    for (const SeatStanding& seat : standing.seats)
        *out << "\n  seat " << seat.seat << ": chips " << seat.chips << ", bet " << seat.bet
             << (seat.inHand ? " in hand" : " out") << (seat.allIn ? " all-in" : "") << (seat.acted ? " acted" : "")
             << (seat.option ? " big blind's option" : "");
}

Standing StandingOf(GameMgr& table)
{
    Standing standing;
    for (PlayerI* player : table.GetSeatList()) {
        if (player == nullptr)
            continue;
        const SeatStake& stake = table.Betting().Stake(player->GetSeat());
        bool live = stake.inHand && !stake.allIn;
        standing.seats.push_back(SeatStanding{player->GetSeat(), stake.chips, stake.inHand ? stake.bet : 0.0,
                                              stake.inHand, stake.allIn,
                                              live && stake.acted, stake.bigBlindPending});
    }
    TableState state = table.State();
    standing.stage = state.boardStage;
    standing.betMade = state.betMade != 0;
    standing.currentBet = state.currentBet;
    standing.totalPot = state.totalPot;
    return standing;
}

bool HumansTurn(const TableHarness& harness)
{
    return harness.shell.humanAction != nullptr && harness.shell.humanAction->actionsShown;
}

HumanActionMessageObserver& Human(const TableHarness& harness)
{
    return *harness.shell.humanAction->player;
}

void LeaveAndComeBack(TableHarness& harness)
{
    harness.table->Hide();
    harness.table->Show();
}

// Every other player still in the betting has acted and matched the bet.
bool OnlyTheHumanIsStillToAct(GameMgr& table)
{
    for (PlayerI* player : table.GetSeatList()) {
        if (player == nullptr || player->IsHuman() || !player->IsInHand() || player->IsAllIn())
            continue;
        if (!player->HasActed() || player->GetBet() != table.State().currentBet)
            return false;
    }
    return true;
}

// Plays a tournament of `players` until `spot` holds at the human's turn;
// elsewhere the human plays as `otherwise` says. Then leaves the table and
// sits down again, and plays on to the human's turn.
class ResumedAtTheHumansTurn {
public:
    ResumedAtTheHumansTurn(uint32_t seed, uint16_t players, std::function<bool(GameMgr&)> spot,
                           std::function<void(HumanActionMessageObserver&)> otherwise)
        : harness(seed)
    {
        harness.UseTournament(2, players);
        harness.humanPolicy = [this, spot, otherwise](HumanActionMessageObserver& human) {
            if (!spot(*harness.table))
                otherwise(human);
        };
        harness.Start();
        found = harness.RunUntil([&] { return HumansTurn(harness) && spot(*harness.table); });
        if (!found)
            return;
        left = Offered(Human(harness));
        standing = StandingOf(*harness.table);
        LeaveAndComeBack(harness);
        backToTheHuman = harness.RunUntil([&] { return HumansTurn(harness); });
    }

    TableHarness harness;
    bool found = false;
    bool backToTheHuman = false;
    Offer left;
    Standing standing;
};

TEST(ResumedRound, TheBigBlindLeftWithHisOptionIsOfferedTheCheckAgainAndHisCheckEndsTheRound)
{
    auto option = [](GameMgr& table) {
        PlayerI& human = *table.GetPlayer(0);
        return table.State().boardStage == 0 && human.IsBigBlindPending() &&
               human.GetBet() == table.State().currentBet;
    };
    auto fold = [](HumanActionMessageObserver& human) { human.PerformHumanAction(kHumanFold, 0.0); };
    for (uint32_t seed : {3u, 4u}) {
        ResumedAtTheHumansTurn game(seed, 6, option, fold);
        ASSERT_TRUE(game.found && game.backToTheHuman) << seed;
        EXPECT_EQ(game.left.actions, (std::vector<uint32_t>{kHumanFold, kHumanCheck, kHumanRaise, kHumanAllIn}));
        EXPECT_EQ(Offered(Human(game.harness)), game.left) << seed;
        EXPECT_EQ(StandingOf(*game.harness.table), game.standing) << seed;
        Human(game.harness).PerformHumanAction(kHumanCheck, 0.0);
        EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete) << seed;
    }
}

TEST(ResumedRound, AfterTheFlopThoseWhoCheckedBeforeTheHumanLeftAreNotAskedAgain)
{
    auto lastToCheck = [](GameMgr& table) {
        return table.State().boardStage >= 1 && table.State().betMade == 0 && OnlyTheHumanIsStillToAct(table);
    };
    ResumedAtTheHumansTurn game(5, 6, lastToCheck, TableHarness::CallOrCheck);
    ASSERT_TRUE(game.found && game.backToTheHuman);
    EXPECT_EQ(game.left.actions, (std::vector<uint32_t>{kHumanCheck, kHumanOpen, kHumanFold, kHumanAllIn}));
    EXPECT_EQ(Offered(Human(game.harness)), game.left);
    EXPECT_EQ(StandingOf(*game.harness.table), game.standing);
    Human(game.harness).PerformHumanAction(kHumanCheck, 0.0);
    EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete);
}

TEST(ResumedRound, TheHumanFacingABetEveryoneElseMatchedClosesTheRoundWithHisCall)
{
    auto facing = [](GameMgr& table) {
        PlayerI& human = *table.GetPlayer(0);
        return human.GetBet() < table.State().currentBet && human.GetChips() + human.GetBet() > table.State().currentBet &&
               OnlyTheHumanIsStillToAct(table);
    };
    ResumedAtTheHumansTurn game(6, 6, facing, TableHarness::CallOrCheck);
    ASSERT_TRUE(game.found && game.backToTheHuman);
    EXPECT_EQ(Offered(Human(game.harness)), game.left);
    EXPECT_EQ(StandingOf(*game.harness.table), game.standing);
    Human(game.harness).PerformHumanAction(kHumanCall, 0.0);
    EXPECT_EQ(game.harness.table->Betting().Status(), RoundStatus::RoundComplete);
}

// The round as the table was left.
struct LeftAt {
    RoundStatus status;
    Standing standing;
    std::vector<PotView> pots;
    bool humansTurn;
    Offer offer;
};

double ChipsAndPot(const TableHarness& harness)
{
    return testing_support::ChipsAndPot(*harness.table);
}

// Quits the game and starts it again: the table is left, the profile saved
// to its file and read back from it, and the tournament continued.
void QuitAndRestart(TableHarness& harness, const platform::testing::ScopedTempFolder& folder)
{
    harness.table->Hide();
    SetProfileFolder(folder.Path() + "/");
    Profile& profile = harness.shell.profile;
    profile.file.clear();
    ASSERT_TRUE(SaveProfile(profile));
    Profile read;
    std::string notes;
    ASSERT_TRUE(LoadProfile(read, profile.FilePath(), &notes));
    EXPECT_EQ(notes, "");
    profile.savedGames = std::move(read.savedGames);
    // Continued from the set-up screen, as the player would.
    Tournament record;
    ASSERT_TRUE(FindTournament(harness.tournamentId, record));
    ASSERT_TRUE(ContinueTournament(profile, record));
    harness.table->Show();
}

// Leaves the table now and sits down again, or quits and starts again;
// what the program draws at random meanwhile is not taken from the hand.
LeftAt LeaveAndComeBackNow(TableHarness& harness, const platform::testing::ScopedTempFolder* quitTo = nullptr)
{
    GameMgr& table = *harness.table;
    LeftAt left{table.Betting().Status(), StandingOf(table), ViewOf(table.PotsAsTheyStand()), HumansTurn(harness), {}};
    if (left.humansTurn)
        left.offer = Offered(Human(harness));
    const unsigned int random = platform::testing::RandState();
    if (quitTo != nullptr)
        QuitAndRestart(harness, *quitTo);
    else
        LeaveAndComeBack(harness);
    platform::srand(random);
    return left;
}

bool InTheBetting(const TableHarness& harness)
{
    const testing_support::ScriptedShell& shell = harness.shell;
    return harness.table->GetTableStateCode() == kTableBetting && !harness.table->IsHandSettled() &&
           !shell.finish->IsVisible() && !shell.stage->IsVisible() && (shell.rebuy == nullptr || !shell.rebuy->IsVisible()) &&
           !shell.trnFinish->IsVisible();
}

bool AnyoneAllIn(const GameMgr& table)
{
    for (PlayerI* player : table.GetSeatList())
        if (player != nullptr && player->IsInHand() && player->IsAllIn())
            return true;
    return false;
}

// The tournaments a seed plays: each betting structure, and both ways a
// round ends (with and without the stage announcements).
void UseTournamentOfSeed(TableHarness& harness, uint32_t seed)
{
    static const uint16_t kTournaments[] = {2, 5, 8, 3, 9};
    harness.UseTournament(kTournaments[seed % 5], 8);
    harness.shell.profile.announceStages = (seed / 5) % 2 == 0 ? 1 : 0;
    harness.restartWhenDone = false;
}

// Whatever the moment of the betting the table is left at, the round comes
// back standing as it stood: every chip where it was, the same bets, the
// same players in it, the same pots to be won, the same players still to
// act, the same big blind's option, the same offer to the human. A round
// whose betting was over (its last action made, its next stage not yet
// come) comes back over: its next stage follows (announced or not), or after
// the river the showdown, with nobody asked to act again.
TEST(ResumedRound, ARoundLeftAtAnyMomentOfItsBettingComesBackAsItStood)
{
    int awaiting = 0;
    int over = 0;
    int sidePots = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TableHarness harness(seed);
        UseTournamentOfSeed(harness, seed);
        harness.Start();
        std::mt19937 moments(seed);
        while (harness.table->GetHandsShownDown() < 8 && harness.modulesDone == 0) {
            ASSERT_TRUE(harness.Step());
            if (!InTheBetting(harness) || moments() % 6 != 0)
                continue;
            GameMgr& table = *harness.table;
            const double chips = ChipsAndPot(harness);
            const LeftAt left = LeaveAndComeBackNow(harness);
            SCOPED_TRACE(::testing::PrintToString(left.standing));
            ASSERT_EQ(ChipsAndPot(harness), chips);
            sidePots += left.pots.size() > 1 ? 1 : 0;
            if (left.status == RoundStatus::AwaitingAction) {
                ++awaiting;
                ASSERT_EQ(StandingOf(table), left.standing);
                ASSERT_EQ(ViewOf(table.PotsAsTheyStand()), left.pots);
                // Left again before anything happened, it comes back the same.
                if (moments() % 4 == 0) {
                    LeaveAndComeBack(harness);
                    ASSERT_EQ(StandingOf(table), left.standing);
                    ASSERT_EQ(ViewOf(table.PotsAsTheyStand()), left.pots);
                }
                if (left.humansTurn) {
                    ASSERT_EQ(Offered(*table.GetHumanPlayer()), left.offer);
                }
            } else if (left.status == RoundStatus::RoundComplete) {
                ++over;
                uint32_t stage = left.standing.stage;
                if (stage >= 3) {
                    ASSERT_TRUE(harness.shell.finish->IsVisible()) << "the showdown follows the river's betting";
                    EXPECT_EQ(ViewOf(table.GetPots()), left.pots);
                } else if (harness.shell.profile.announceStages != 0) {
                    EXPECT_TRUE(harness.shell.stage->IsVisible()) << "the next stage is announced";
                } else {
                    EXPECT_EQ(table.State().boardStage, stage + 1) << "the next stage is dealt";
                }
                if (!harness.shell.finish->IsVisible()) {
                    EXPECT_EQ(ViewOf(table.PotsAsTheyStand()), left.pots);
                }
                for (PlayerI* player : table.GetSeatList())
                    EXPECT_TRUE(player == nullptr || !player->HasActed()) << "nobody acts again in a round that is over";
            }
        }
    }
    EXPECT_GT(awaiting, 1000);
    EXPECT_GT(over, 50);
    EXPECT_GT(sidePots, 100);
}

Payout PayoutOf(const TableHarness& harness)
{
    Payout payout;
    payout.pots = ViewOf(harness.table->GetPots());
    for (const testing_support::ShownPot& pot : harness.shell.finish->pots)
        for (const testing_support::ShownPot::Row& row : pot.rows)
            payout.rows.push_back(Payout::Row{pot.name, row.player->GetSeat(), row.amount, row.hand});
    for (PlayerI* player : harness.table->GetSeatList())
        if (player != nullptr)
            payout.chips[player->GetSeat()] = player->GetChips();
    return payout;
}

// Steps until the hand that was under way when `shownDown` hands had been
// shown down is shown down too (a hand resumed after its river's betting is
// shown down as it is resumed); its payout.
std::optional<Payout> PlayToTheShowdown(TableHarness& harness, uint64_t shownDown)
{
    if (!harness.RunUntil([&] { return harness.table->GetHandsShownDown() > shownDown; }))
        return std::nullopt;
    return PayoutOf(harness);
}

// A hand of a tournament is played twice from the same seed: once straight
// through, and once left at a moment of its betting (the menu's Leave table
// and Continue, or a quit and a new start, through the profile's file) and
// played on. The second is paid exactly as the first: the same pots, the same
// winners of the same amounts, uncovered chips back to their owner, every
// seat's chips the same to the chip.
TEST(ResumedRound, AHandLeftAndContinuedIsPaidAsTheSameHandPlayedThrough)
{
    platform::testing::ScopedTempFolder folder;
    int compared = 0;
    int withSidePots = 0;
    int throughTheFile = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        // Where the second play leaves: a moment of the betting, in a hand
        // with a player all-in where the seed asks for one.
        const bool wantAllIn = seed % 3 != 0;
        const bool quit = seed % 2 == 0;
        std::mt19937 moments(seed);
        TableHarness left(seed);
        UseTournamentOfSeed(left, seed);
        left.Start();
        uint64_t hand = 0;
        bool found = false;
        for (;;) {
            if (!left.Step() || left.modulesDone != 0 || left.table->GetHandsShownDown() >= 40)
                break;
            if (!InTheBetting(left) || moments() % 4 != 0 || (wantAllIn && !AnyoneAllIn(*left.table)))
                continue;
            found = true;
            hand = left.table->GetHandsStarted();
            break;
        }
        if (!found)
            continue;
        const double chips = ChipsAndPot(left);
        const uint64_t shownDown = left.table->GetHandsShownDown();
        const LeftAt at = LeaveAndComeBackNow(left, quit ? &folder : nullptr);
        ASSERT_EQ(ChipsAndPot(left), chips) << ::testing::PrintToString(at.standing) << "\nnow "
                                            << ::testing::PrintToString(StandingOf(*left.table));
        const std::optional<Payout> resumed = PlayToTheShowdown(left, shownDown);
        ASSERT_TRUE(resumed.has_value());

        // The same hand, played through.
        TableHarness through(seed);
        UseTournamentOfSeed(through, seed);
        through.Start();
        ASSERT_TRUE(through.RunUntil([&] { return through.table->GetHandsStarted() == hand && InTheBetting(through); }));
        const std::optional<Payout> played = PlayToTheShowdown(through, through.table->GetHandsShownDown());
        ASSERT_TRUE(played.has_value());
        ASSERT_EQ(*resumed, *played) << (quit ? "quit and started again" : "left and continued") << " at\n"
                                     << ::testing::PrintToString(at.standing);
        ++compared;
        withSidePots += played->pots.size() > 1 ? 1 : 0;
        throughTheFile += quit ? 1 : 0;
    }
    EXPECT_GT(compared, 180);
    EXPECT_GT(throughTheFile, 80);
    EXPECT_GT(withSidePots, 60);
}

} // namespace
} // namespace Gamespace
