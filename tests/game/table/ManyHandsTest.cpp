// Thousands of whole hands of every game type, computer seats and a scripted
// human, with the books checked after every hand.
#include "game/table/PlayerI.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

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
    harness.shell.finish->onShown = [&] { CheckBooks(harness, books); };
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
