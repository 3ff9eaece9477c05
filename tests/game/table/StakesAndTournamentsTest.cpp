#include "game/table/GameType.h"
#include "game/table/StakeRow.h"
#include "game/table/Tournament.h"

#include <gtest/gtest.h>

TEST(StakeRows, SixRowsOfHundredBetBuyIns)
{
    std::vector<StakeRow> rows = {StakeRow{}};
    SetStakeRows(rows);
    ASSERT_EQ(rows.size(), 6u);
    const double bets[] = {2, 4, 8, 20, 50, 100};
    const uint32_t xs[] = {291, 514, 735, 291, 514, 735};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(rows[i].bet, bets[i]);
        EXPECT_EQ(rows[i].buyIn, 100 * rows[i].bet);
        EXPECT_EQ(rows[i].x, xs[i]);
        EXPECT_EQ(rows[i].y, i < 3 ? 288u : 466u);
    }
    AddStakeRows(rows);
    EXPECT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[6].bet, 2);
}

TEST(StakeRows, IndexOutsideTheRowsIsRefusedWithTheFirstRow)
{
    StakeRow row;
    EXPECT_TRUE(FindStakeRow(5, row));
    EXPECT_EQ(row.bet, 100);
    EXPECT_FALSE(FindStakeRow(6, row));
    EXPECT_EQ(row.bet, 2);
    EXPECT_FALSE(FindStakeRow(0xFFFFFFFFu, row));
    EXPECT_EQ(row.buyIn, 200);
}

TEST(TournamentCatalogue, NineRecordsAsPublished)
{
    std::vector<Tournament> all(3);
    GetTournamentCatalogue(all);
    ASSERT_EQ(all.size(), 9u);
    struct Row {
        const char* name;
        uint32_t kind, levelTime;
        double price, startBet;
        uint16_t chips, rebuys, rebuyLevel, addOns, addOnLevel, tables, players;
    };
    const Row expected[] = {
        {"Satellite N", 2, 120, 20, 8, 50, 0, 0, 0, 0, 1, 10},
        {"Sit & Go N", 2, 60, 50, 10, 30, 1, 7, 0, 0, 1, 8},
        {"Big game N", 2, 600, 150, 100, 150, 3, 10, 1, 15, 1, 10},
        {"Satellite P", 1, 120, 20, 8, 50, 0, 0, 0, 0, 1, 10},
        {"Sit & Go P", 1, 60, 50, 10, 30, 1, 7, 0, 0, 1, 8},
        {"Big game P", 1, 600, 150, 100, 150, 3, 10, 1, 15, 1, 10},
        {"Satellite L", 0, 180, 20, 4, 40, 0, 0, 0, 0, 1, 9},
        {"Sit & Go L", 0, 300, 50, 8, 20, 1, 5, 0, 0, 1, 10},
        {"Big game L", 0, 420, 150, 75, 100, 2, 8, 1, 10, 1, 10},
    };
    for (size_t i = 0; i < 9; ++i) {
        const Tournament& t = all[i];
        const Row& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(t.id, i + 1);
        EXPECT_EQ(t.name, e.name);
        EXPECT_EQ(t.kind, e.kind);
        EXPECT_EQ(t.levelTime, e.levelTime);
        EXPECT_EQ(t.price, e.price);
        EXPECT_EQ(t.startBet, e.startBet);
        EXPECT_EQ(t.chipsPerDollar, e.chips);
        EXPECT_EQ(t.maxRebuys, e.rebuys);
        EXPECT_EQ(t.rebuyLastLevel, e.rebuyLevel);
        EXPECT_EQ(t.addOnCount, e.addOns);
        EXPECT_EQ(t.addOnLevel, e.addOnLevel);
        EXPECT_EQ(t.tables, e.tables);
        EXPECT_EQ(t.players, e.players);
    }
}

TEST(TournamentCatalogue, FindsIdsOneToNineOnly)
{
    Tournament t;
    for (uint16_t id = 1; id <= 9; ++id) {
        ASSERT_TRUE(FindTournament(id, t));
        EXPECT_EQ(t.id, id);
    }
    t.name = "kept";
    EXPECT_FALSE(FindTournament(0, t));
    EXPECT_FALSE(FindTournament(10, t));
    EXPECT_FALSE(FindTournament(65535, t));
    EXPECT_EQ(t.name, "kept");
}

TEST(GameTypes, TournamentKindsAndBettingStructures)
{
    for (GameType type = 0; type < 8; ++type)
        EXPECT_EQ(IsTournamentGameType(type), type >= 3 && type <= 5) << type;
    EXPECT_EQ(BettingStructure(kGameLimitTournament), kGameLimit);
    EXPECT_EQ(BettingStructure(kGamePotLimitTournament), kGamePotLimit);
    EXPECT_EQ(BettingStructure(kGameNoLimitTournament), kGameNoLimit);
    EXPECT_EQ(BettingStructure(9), kGameNoLimit);
}
