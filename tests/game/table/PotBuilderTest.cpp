// Pots built at the showdown from what each player put in over the hand.
#include "game/table/PotBuilder.h"

#include <gtest/gtest.h>

namespace Gamespace {
namespace {

// Distinct addresses stand for the players; the builder never calls them.
PlayerI* const A = reinterpret_cast<PlayerI*>(0x10);
PlayerI* const B = reinterpret_cast<PlayerI*>(0x20);
PlayerI* const C = reinterpret_cast<PlayerI*>(0x30);
PlayerI* const D = reinterpret_cast<PlayerI*>(0x40);

PotEntrant In(PlayerI* player, double contribution) { return PotEntrant{player, contribution, true, false}; }
PotEntrant AllIn(PlayerI* player, double contribution) { return PotEntrant{player, contribution, true, true}; }
PotEntrant Folded(PlayerI* player, double contribution) { return PotEntrant{player, contribution, false, false}; }

double Total(const std::vector<PotEntrant>& entrants)
{
    double total = 0.0;
    for (const PotEntrant& entrant : entrants)
        total += entrant.contribution;
    return total;
}

std::vector<Pot> Build(const std::vector<PotEntrant>& entrants)
{
    return BuildPots(entrants, Total(entrants), 3);
}

TEST(SidePots, NoAllInGivesOneMainPotOfEverything)
{
    std::vector<Pot> pots = Build({In(A, 40), In(B, 40), Folded(C, 10)});
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_EQ(pots[0].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[0].amount, 90.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{A, B}));
}

TEST(SidePots, FoldedMoneyStaysInThePotItWasPutInto)
{
    // C folded after putting in 60, more than the all-in player's 30: the
    // first 30 of it belongs in the side pot, the rest in the main pot.
    std::vector<Pot> pots = Build({AllIn(A, 30), In(B, 100), Folded(C, 60), In(D, 100)});
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_EQ(pots[0].name, "Pot 1");
    EXPECT_DOUBLE_EQ(pots[0].amount, 120.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{A, B, D}));
    EXPECT_EQ(pots[1].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[1].amount, 170.0);
    EXPECT_EQ(pots[1].eligible, (std::vector<PlayerI*>{B, D}));
}

TEST(SidePots, AllInsOverSeveralRoundsStackByAscendingLevel)
{
    // B went all-in early for more than A, who went all-in later for less:
    // the levels are taken lowest first whatever the order of the all-ins.
    std::vector<Pot> pots = Build({AllIn(B, 80), AllIn(A, 20), In(C, 150), In(D, 150)});
    ASSERT_EQ(pots.size(), 3u);
    EXPECT_DOUBLE_EQ(pots[0].amount, 80.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{B, A, C, D}));
    EXPECT_DOUBLE_EQ(pots[1].amount, 180.0);
    EXPECT_EQ(pots[1].eligible, (std::vector<PlayerI*>{B, C, D}));
    EXPECT_EQ(pots[2].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[2].amount, 140.0);
    EXPECT_EQ(pots[2].eligible, (std::vector<PlayerI*>{C, D}));
}

TEST(SidePots, WhenEverybodyLeftIsAllInWhatNobodyCanWinJoinsTheTopAllInsPot)
{
    // The main pot has nobody to win it. It holds what B put in above D's
    // all-in before folding: that belongs with the last pot, the one D alone
    // may win (now called the main pot), never with the pot A may win too.
    std::vector<Pot> pots = Build({AllIn(A, 50), AllIn(D, 120), Folded(B, 200)});
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_EQ(pots[0].name, "Pot 1");
    EXPECT_DOUBLE_EQ(pots[0].amount, 150.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{A, D}));
    EXPECT_EQ(pots[1].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[1].amount, 220.0);
    EXPECT_EQ(pots[1].eligible, (std::vector<PlayerI*>{D}));
}

TEST(SidePots, EqualAllInsMakeOnePotAndEmptyPotsAreDropped)
{
    std::vector<Pot> pots = Build({AllIn(A, 50), AllIn(B, 50), Folded(C, 20)});
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_EQ(pots[0].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[0].amount, 120.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{A, B}));
}

TEST(SidePots, ChipsTheContributionsDoNotExplainGoToTheMainPot)
{
    // A hand restored from a save knows only the last round's bets.
    std::vector<Pot> pots = BuildPots({AllIn(A, 10), In(B, 10), In(C, 10)}, 100.0, 1);
    double sum = SumPots(pots);
    EXPECT_DOUBLE_EQ(sum, 100.0);
    EXPECT_EQ(pots.back().name, "Main pot");
    EXPECT_DOUBLE_EQ(pots.back().amount, 70.0);
}

TEST(SidePots, FractionsOfHalfBlindsAreKept)
{
    std::vector<Pot> pots = Build({AllIn(A, 37.5), In(B, 75), In(C, 75)});
    EXPECT_DOUBLE_EQ(SumPots(pots), 187.5);
    EXPECT_DOUBLE_EQ(pots[0].amount, 112.5);
}

TEST(SidePots, AnAllInPlayerWhoPutNothingInMakesNoPotOfHisOwn)
{
    // The side pots a player reads are numbered from one.
    std::vector<Pot> pots = Build({AllIn(A, 0), AllIn(B, 30), In(C, 60), In(D, 60)});
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_EQ(pots[0].name, "Pot 1");
    EXPECT_DOUBLE_EQ(pots[0].amount, 90.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{B, C, D}));
    EXPECT_EQ(pots[1].name, "Main pot");
}

TEST(SidePots, ChipsOfAHandEverybodyFoldedStayInAPotOfTheirOwn)
{
    // No winner to pay, but the chips must not vanish from the books.
    std::vector<Pot> pots = Build({Folded(A, 10), Folded(B, 25)});
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_EQ(pots[0].name, "Main pot");
    EXPECT_DOUBLE_EQ(pots[0].amount, 35.0);
    EXPECT_TRUE(pots[0].eligible.empty());
}

} // namespace
} // namespace Gamespace
