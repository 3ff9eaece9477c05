// Thousands of whole hands of every game type, computer seats and a scripted
// human, with the books and the winners checked after every hand.
#include "bench/reference/PlainHandRating.h"
#include "game/table/PlayerI.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using testing_support::TableHarness;

struct Books {
    uint64_t hands = 0;
    uint64_t faults = 0;
    std::string firstFault;
};

// Every chip at the table came in for money, and every chip that left it
// left with a removed player; nobody is ever below zero; the result shows
// every pot once.
void CheckBooks(TableHarness& harness, Books& books)
{
    ++books.hands;
    double chips = 0.0;
    for (Gamespace::PlayerI* player : harness.table->GetSeatList()) {
        if (player == nullptr)
            continue;
        chips += player->GetChips();
        if (player->GetChips() < 0.0 && books.faults++ == 0)
            books.firstFault = player->GetName() + " has negative chips";
    }
    // The result names each pot once, above winners who each take something.
    std::set<std::string> potNames;
    for (const testing_support::ShownPot& pot : harness.shell.finish->pots) {
        if ((pot.name.empty() || !potNames.insert(pot.name).second || pot.rows.empty()) && books.faults++ == 0)
            books.firstFault = "hand " + std::to_string(books.hands) + ": pot \"" + pot.name + "\" shown wrongly";
        for (const testing_support::ShownPot::Row& row : pot.rows)
            if (row.amount <= 0.0 && books.faults++ == 0)
                books.firstFault = row.player->GetName() + " is shown winning nothing";
    }
    double expected = harness.table->GetChipsBought() - harness.table->GetChipsRemoved();
    if (std::fabs(chips - expected) > 1e-6 && books.faults++ == 0)
        books.firstFault = "hand " + std::to_string(books.hands) + ": chips " + std::to_string(chips) +
                           " but bought minus removed is " + std::to_string(expected);
}

// Each pot goes to the best hands of the players who may win it, rated the
// plain way from their hole cards and the board: to all of them when they
// tie, to none of the others. (A share too small to be a whole chip is not
// shown, so a pot smaller than its contenders is only held to the first.)
void CheckWinners(TableHarness& harness, Books& books)
{
    const std::vector<Card> board = harness.table->State().board;
    for (const Gamespace::Pot& pot : harness.table->GetPots()) {
        std::map<Gamespace::PlayerI*, uint32_t> strengths;
        uint32_t best = 0;
        for (Gamespace::PlayerI* player : pot.eligible) {
            std::vector<Card> cards = player->GetHoleCards();
            cards.insert(cards.end(), board.begin(), board.end());
            strengths[player] = plain_rating::RateHand(cards).strength;
            best = std::max(best, strengths[player]);
        }
        std::set<Gamespace::PlayerI*> bestHands, shown;
        for (const auto& [player, strength] : strengths)
            if (strength == best)
                bestHands.insert(player);
        for (const testing_support::ShownPot& shownPot : harness.shell.finish->pots)
            if (shownPot.name == pot.name)
                for (const testing_support::ShownPot::Row& row : shownPot.rows)
                    shown.insert(row.player);
        const bool wholeShares = pot.amount >= static_cast<double>(bestHands.size());
        const bool paidRight = wholeShares ? shown == bestHands
                                           : !shown.empty() && std::includes(bestHands.begin(), bestHands.end(),
                                                                             shown.begin(), shown.end());
        if (!pot.eligible.empty() && !paidRight && books.faults++ == 0)
            books.firstFault = "hand " + std::to_string(books.hands) + ": " + pot.name + " paid to " +
                               std::to_string(shown.size()) + " players, not to the " +
                               std::to_string(bestHands.size()) + " best hands of its " +
                               std::to_string(pot.eligible.size());
    }
}

uint64_t HandsToPlay()
{
    const char* env = std::getenv("PELLUCOR_TABLE_HANDS");
    return env != nullptr ? std::strtoull(env, nullptr, 10) : 10000;
}

void PlayManyHands(uint32_t gameType, uint32_t seed)
{
    TableHarness harness(seed);
    harness.shell.logging = false;
    harness.shell.profile.announceStages = static_cast<uint8_t>(seed % 2);
    if (gameType >= 3) {
        static const uint16_t kTournaments[] = {9, 6, 3};
        harness.UseTournament(kTournaments[gameType - 3], 10);
    } else {
        harness.UseCashTable(gameType, 10, static_cast<uint16_t>(seed % 6));
    }
    Books books;
    harness.Start();
    harness.shell.finish->onShown = [&] {
        CheckBooks(harness, books);
        CheckWinners(harness, books);
    };
    uint64_t target = HandsToPlay();
    // Between the hands too, nobody ever holds fewer than no chips.
    auto done = [&] {
        for (Gamespace::PlayerI* player : harness.table->GetSeatList())
            if (player != nullptr && player->GetChips() < 0.0 && books.faults++ == 0)
                books.firstFault = player->GetName() + " went below zero during a hand";
        return books.hands >= target || books.faults > 0;
    };
    bool finished = harness.RunUntil(done, target * 2000);
    EXPECT_TRUE(finished) << "the table stalled after " << books.hands << " hands";
    EXPECT_EQ(books.faults, 0u) << books.firstFault;
    EXPECT_GE(books.hands, target);
}

TEST(ManyHands, LimitCashTableKeepsItsBooks) { PlayManyHands(0, 11); }
TEST(ManyHands, PotLimitCashTableKeepsItsBooks) { PlayManyHands(1, 12); }
TEST(ManyHands, NoLimitCashTableKeepsItsBooks) { PlayManyHands(2, 13); }
TEST(ManyHands, LimitTournamentsKeepTheirBooks) { PlayManyHands(3, 14); }
TEST(ManyHands, PotLimitTournamentsKeepTheirBooks) { PlayManyHands(4, 15); }
TEST(ManyHands, NoLimitTournamentsKeepTheirBooks) { PlayManyHands(5, 16); }

} // namespace
