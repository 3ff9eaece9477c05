// The players' betting primitives, the human's legal actions and answers,
// the computer's re-buys and add-ons, and what a seat shows of a bet.
#include "controls/MouseMessageObserver.h"
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableScreen.h"
#include "tests/support/FakeTable.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Gamespace {
namespace {

using testing_support::FakeTable;

class PlayerTest : public ::testing::Test {
protected:
    PlayerHuman& Human(double chips, double bet = 0.0)
    {
        human = std::make_unique<PlayerHuman>(&table, table.services);
        table.betting.SetChips(0, chips);
        table.Deal(*human, Card(0, 0), Card(5, 1), bet);
        table.state.actingOrder = {human.get()};
        return *human;
    }
    PlayerComp& Computer(double chips)
    {
        computer = std::make_unique<PlayerComp>(&table, table.services, 1, tournament ? &tournament->seats[0] : nullptr);
        computer->SetSeat(1);
        table.betting.SetChips(1, chips);
        return *computer;
    }
    void InTournament(uint16_t id, uint32_t level)
    {
        tournament = &testing_support::AddFreshTournament(table.shell.profile, id, 10);
        tournament->level = level;
    }
    // Whether a seat's label reads `wanted`, once the players are made with
    // `factory`.
    bool SeatShows(const std::string& wanted)
    {
        for (testing_support::RecordedObject* text : factory.ObjectsOfKind("String"))
            if (!text->released && text->text == wanted)
                return true;
        return false;
    }
    // The human's re-buy button, once he is made with `factory`.
    testing_support::RecordedObject& RebuyButton()
    {
        for (testing_support::RecordedObject* button : factory.ObjectsOfKind("Button"))
            if (!button->released)
                return *button;
        static testing_support::RecordedObject none;
        return none;
    }
    // A click on the re-buy button as the toolkit delivers it: to the
    // button's mouse observers, and only while it is enabled.
    void ClickRebuyButton()
    {
        testing_support::RecordedObject& button = RebuyButton();
        if (!button.enabled)
            return;
        for (ControlLibrary::MouseMessageObserver* observer : button.mouseObservers)
            observer->OnMouseUp(button.id, 0);
    }
    // Which of the hole cards of the seat made with `factory` are dimmed.
    std::vector<bool> DimmedCards()
    {
        std::vector<bool> dimmed;
        for (testing_support::RecordedObject* mask : factory.ObjectsOfKind("Image"))
            if (!mask->released && mask->image.rfind("images/cards/mask", 0) == 0)
                dimmed.push_back(mask->visible);
        return dimmed;
    }
    // How often the seat made with `factory` played its chips sound.
    int ChipSounds()
    {
        int plays = 0;
        for (const auto& sound : factory.Sounds())
            if (sound->file.rfind("sounds/table/chips_set", 0) == 0)
                plays += sound->plays;
        return plays;
    }
    std::vector<uint32_t> Available()
    {
        std::vector<uint32_t> actions;
        human->GetAvailableActions(actions);
        return actions;
    }

    testing_support::RecordingFactory factory;
    FakeTable table;
    // The players' timer notices, where a test delivers them (the players
    // go first).
    TableEventQueue events;
    SavedGame* tournament = nullptr;
    std::unique_ptr<PlayerHuman> human;
    std::unique_ptr<PlayerComp> computer;
};

TEST_F(PlayerTest, OpenOrRaiseOfAllTheChipsOrMoreIsAnAllIn)
{
    Human(50).PerformHumanAction(kHumanOpen, 50);
    EXPECT_EQ(table.actions.back(), "6 50");
    EXPECT_EQ(human->GetChips(), 0.0);
    EXPECT_TRUE(human->IsAllIn());

    Human(50).Raise(80);
    EXPECT_EQ(table.actions.back(), "6 50");
    EXPECT_EQ(human->GetChips(), 0.0);
}

TEST_F(PlayerTest, CallingWithExactlyTheChipsToCallIsAnAllIn)
{
    table.SetCurrentBet(30);
    Human(20, 10).PerformHumanAction(kHumanCall, 0);
    EXPECT_EQ(table.actions.back(), "6 30");
    EXPECT_TRUE(human->HasActed());
}

TEST_F(PlayerTest, FoldReportsTheBetAndMovesItFromTheRoundPotIntoThePot)
{
    Human(100, 15);
    EXPECT_DOUBLE_EQ(table.betting.RoundPot(), 15.0);
    human->Fold();
    EXPECT_EQ(table.actions.back(), "5 15");
    EXPECT_DOUBLE_EQ(table.betting.RoundPot(), 0.0);
    EXPECT_DOUBLE_EQ(table.betting.TotalPot(), 15.0);
    EXPECT_FALSE(human->IsInHand());
}

TEST_F(PlayerTest, BlindBeyondTheChipsIsAnAllInForWhatIsThere)
{
    Human(3).PostBlind(4);
    EXPECT_TRUE(human->IsAllIn());
    EXPECT_DOUBLE_EQ(human->GetChips(), 0.0);
    EXPECT_DOUBLE_EQ(human->GetBet(), 3.0);
    EXPECT_DOUBLE_EQ(table.betting.RoundPot(), 3.0);
}

TEST_F(PlayerTest, PlayerOutOfTheHandPostsNoBlind)
{
    Human(100).Fold();
    human->PostBlind(2);
    EXPECT_DOUBLE_EQ(human->GetChips(), 100.0);
    EXPECT_DOUBLE_EQ(human->GetBet(), 0.0);
}

TEST_F(PlayerTest, HumanActionsFollowTheBettingSituation)
{
    Human(100);
    EXPECT_EQ(Available(), (std::vector<uint32_t>{kHumanCheck, kHumanOpen, kHumanFold, kHumanAllIn}));

    // Facing a bet he cannot cover: no raise, and the call is an all-in.
    table.SetCurrentBet(150);
    EXPECT_EQ(Available(), (std::vector<uint32_t>{kHumanFold, kHumanCall, kHumanAllIn}));

    // The big blind's option when nobody raised.
    Human(100, 2);
    table.betting.MarkBigBlind(0);
    table.SetCurrentBet(2);
    EXPECT_EQ(Available(), (std::vector<uint32_t>{kHumanFold, kHumanCheck, kHumanRaise, kHumanAllIn}));
}

TEST_F(PlayerTest, HumanSeesTheTableThroughTheDialogQueries)
{
    // Another player has bet 26 in this round before the human's 4.
    PlayerComp other(&table, table.services, 1, nullptr);
    other.SetSeat(1);
    table.betting.SetChips(1, 500);
    table.Deal(other, Card(9, 0), Card(9, 1), 26);
    table.betting.RestoreRound(true, 26, 90);
    table.state.boardStage = 2;
    Human(100, 4);
    EXPECT_DOUBLE_EQ(human->GetCurrentBet(), 26.0);
    EXPECT_DOUBLE_EQ(human->GetRoundPot(), 30.0);
    EXPECT_DOUBLE_EQ(human->GetTotalPot(), 90.0);
    EXPECT_DOUBLE_EQ(human->GetBet(), 4.0);
    EXPECT_EQ(human->GetBoardStage(), 2);
}

TEST_F(PlayerTest, ComputerRebuysOnlyWhenAllowedAndShort)
{
    InTournament(9, 8); // Big game L: $150, 100 chips per dollar, 2 re-buys up to level 8
    Computer(7500).OfferRebuy();
    EXPECT_DOUBLE_EQ(computer->GetChips(), 7500.0);
    Computer(7499).OfferRebuy();
    EXPECT_DOUBLE_EQ(computer->GetChips(), 7499.0 + 15000.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 150.0);
    EXPECT_EQ(computer->GetRebuyCount(), 1u);
    table.betting.SetChips(1, 0);
    computer->OfferRebuy();
    table.betting.SetChips(1, 0);
    computer->OfferRebuy();
    EXPECT_EQ(computer->GetRebuyCount(), 2u);
    EXPECT_DOUBLE_EQ(computer->GetChips(), 0.0);
}

TEST_F(PlayerTest, ComputerShortAtItsTurnRebuysBeforeItActs)
{
    InTournament(9, 3);
    table.services.factory = &factory;
    Computer(40);
    table.Deal(*computer, Card(0, 0), Card(5, 1));
    table.state.actingOrder = {computer.get()};
    computer->TakeTurn();
    EXPECT_EQ(computer->GetRebuyCount(), 1u);
    EXPECT_EQ(tournament->seats[0].rebuysTaken, 1u);
    EXPECT_DOUBLE_EQ(table.prizePool, 150.0);
    EXPECT_TRUE(SeatShows("Re-Buy $150 (15000 chips)"));
    // The seat shows the chips bought, and the turn is still taken.
    EXPECT_TRUE(SeatShows("$ 15 040"));
    ASSERT_FALSE(table.actions.empty());
}

TEST_F(PlayerTest, ComputerTakesTheAddOnAtTheLevelBeforeItsLevelWhenShortAndNeverKeepsTheTableWaiting)
{
    InTournament(9, 9); // Big game L: $150 add-on of 15000 chips, offered at level 9
    table.services.factory = &factory;
    EXPECT_FALSE(Computer(14999).OfferAddOn());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 29999.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 150.0);
    EXPECT_TRUE(SeatShows("Add-On $150 (15000 chips)"));
    EXPECT_TRUE(SeatShows("$ 29 999"));

    EXPECT_FALSE(Computer(15000).OfferAddOn());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 15000.0);
    for (uint32_t level : {8u, 10u}) {
        tournament->level = level;
        EXPECT_FALSE(Computer(100).OfferAddOn());
        EXPECT_DOUBLE_EQ(computer->GetChips(), 100.0) << "level " << level;
    }
    EXPECT_DOUBLE_EQ(table.prizePool, 150.0);
}

// One add-on a player a tournament: neither a computer short again nor a
// human asked again buys a second, and neither does after the table was left
// and sat at again (the tournament's record remembers). A "no" holds for the
// sitting.
TEST_F(PlayerTest, EachPlayerBuysOneAddOnATournamentAndTheRecordRemembersIt)
{
    InTournament(9, 9);
    Computer(14999).OfferAddOn();
    table.betting.SetChips(1, 100); // lost at the next hand
    EXPECT_FALSE(computer->OfferAddOn());
    Computer(100); // the same seat, resumed
    EXPECT_FALSE(computer->OfferAddOn());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 100.0);

    ASSERT_TRUE(Human(100).OfferAddOn());
    table.shell.rebuy->Answer(true);
    EXPECT_FALSE(human->OfferAddOn());
    EXPECT_FALSE(Human(100).OfferAddOn()) << "resumed";
    EXPECT_DOUBLE_EQ(table.prizePool, 300.0);
    EXPECT_DOUBLE_EQ(tournament->buyIn, 300.0);

    tournament->buyIn = 150.0;
    ASSERT_TRUE(Human(100).OfferAddOn());
    table.shell.rebuy->Answer(false);
    EXPECT_FALSE(human->OfferAddOn());
    EXPECT_TRUE(Human(100).OfferAddOn()) << "the next sitting asks again";
}

// A seat's news of a purchase, the human's as a computer's, shows at once,
// stays up its time (held while the table is paused) and then goes.
TEST_F(PlayerTest, PurchaseNewsShowsAtTheSeatForItsTimeAndThenGoes)
{
    table.services.events = &events;
    table.services.factory = &factory;
    InTournament(9, 9);
    Human(100).Show(true);
    ASSERT_TRUE(human->OfferAddOn());
    table.shell.rebuy->Answer(true);
    testing_support::RecordedObject* news = nullptr;
    for (testing_support::RecordedObject* text : factory.ObjectsOfKind("String"))
        if (text->text == "Add-On $150 (15000 chips)")
            news = text;
    ASSERT_NE(news, nullptr);
    EXPECT_TRUE(news->visible);
    human->SetPaused(true);
    table.time.Advance(10000);
    events.DispatchAll();
    EXPECT_TRUE(news->visible) << "a paused table holds its news";
    human->SetPaused(false);
    table.time.Advance(3000);
    events.DispatchAll();
    EXPECT_TRUE(news->visible);
    table.time.Advance(1100);
    events.DispatchAll();
    EXPECT_FALSE(news->visible);
}

TEST_F(PlayerTest, ComputerAtACashTableBuysNothing)
{
    Computer(0);
    EXPECT_FALSE(computer->OfferRebuy());
    EXPECT_FALSE(computer->OfferAddOn());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 0.0);
    EXPECT_EQ(computer->GetRebuyCount(), 0u);

    // A tournament game with no saved tournament to play is no tournament.
    table.shell.profile.gameType = kGameNoLimitTournament;
    EXPECT_FALSE(computer->OfferRebuy());
    EXPECT_FALSE(computer->OfferAddOn());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 0.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 0.0);
}

TEST_F(PlayerTest, AtTheLastRebuyLevelTheComputerMayRebuyButTheHumanIsNotAsked)
{
    InTournament(9, 8);
    Human(0);
    EXPECT_FALSE(human->OfferRebuy());
    EXPECT_FALSE(Computer(0).OfferRebuy());
    EXPECT_DOUBLE_EQ(computer->GetChips(), 15000.0);
}

TEST_F(PlayerTest, HumanRebuyAnswerBuysChipsAndResumesTheTable)
{
    InTournament(9, 3);
    ASSERT_TRUE(Human(100).OfferRebuy());
    table.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(human->GetChips(), 15100.0);
    EXPECT_EQ(tournament->rebuysTaken, 1u);
    EXPECT_DOUBLE_EQ(tournament->buyIn, 300.0);
    EXPECT_EQ(table.actions.back(), "resume yes");

    ASSERT_TRUE(human->OfferRebuy());
    table.shell.rebuy->Answer(false);
    EXPECT_EQ(table.actions.back(), "resume no");
    EXPECT_DOUBLE_EQ(human->GetChips(), 15100.0);
}

TEST_F(PlayerTest, AddOnAnsweredNoStillSchedulesTheNextHand)
{
    InTournament(9, 9); // add-on level 10: offered at level 9
    ASSERT_TRUE(Human(100000).OfferAddOn());
    table.shell.rebuy->Answer(false);
    EXPECT_EQ(table.actions.back(), "schedule");
    EXPECT_DOUBLE_EQ(human->GetChips(), 100000.0);
}

TEST_F(PlayerTest, EachHumanActionIsTheMoveItNamesAndEndsHisTurn)
{
    const std::pair<uint32_t, std::string> moves[] = {
        {kHumanCheck, "1 0"}, {kHumanOpen, "2 20"}, {kHumanFold, "5 0"},
        {kHumanCall, "3 10"}, {kHumanRaise, "4 30"}, {kHumanAllIn, "6 100"},
    };
    for (const auto& [code, action] : moves) {
        table.actions.clear();
        table.SetCurrentBet(code == kHumanCall ? 10 : 0);
        Human(100);
        table.shell.humanAction->ShowActions(true);
        human->PerformHumanAction(code, code == kHumanRaise ? 30 : 20);
        ASSERT_EQ(table.actions.size(), 1u) << code;
        EXPECT_EQ(table.actions.back(), action);
        EXPECT_FALSE(table.shell.humanAction->actionsShown) << code;
    }
    // An unknown code moves nothing, and still ends the turn.
    table.actions.clear();
    Human(100);
    table.shell.humanAction->ShowActions(true);
    human->PerformHumanAction(17, 20);
    EXPECT_TRUE(table.actions.empty());
    EXPECT_FALSE(table.shell.humanAction->actionsShown);
    EXPECT_DOUBLE_EQ(human->GetChips(), 100.0);
}

TEST_F(PlayerTest, AHumanFacingABetOfAllHisChipsMayCallButNotRaise)
{
    table.SetCurrentBet(100);
    Human(90, 10);
    EXPECT_EQ(Available(), (std::vector<uint32_t>{kHumanFold, kHumanCall, kHumanAllIn}));
    table.SetCurrentBet(99);
    Human(90, 10);
    EXPECT_EQ(Available(), (std::vector<uint32_t>{kHumanFold, kHumanCall, kHumanRaise, kHumanAllIn}));
}

TEST_F(PlayerTest, HumanIsOfferedAReBuyBelowTheLastLevelWhileHeHasReBuysLeft)
{
    InTournament(9, 7); // two re-buys, the last at level 8
    EXPECT_TRUE(Human(0).OfferRebuy());
    EXPECT_TRUE(table.shell.rebuy->IsVisible());
    EXPECT_EQ(table.shell.rebuy->mode, RebuyAddonDlg::kRebuy);
    table.shell.rebuy->Answer(false);
    tournament->rebuysTaken = 1;
    EXPECT_TRUE(human->OfferRebuy());
    table.shell.rebuy->Answer(false);
    tournament->rebuysTaken = 2;
    EXPECT_FALSE(human->OfferRebuy());
    EXPECT_FALSE(table.shell.rebuy->IsVisible());

    // At a cash table nobody is asked.
    table.shell.profile.gameType = kGameNoLimit;
    tournament->rebuysTaken = 0;
    EXPECT_FALSE(human->OfferRebuy());
}

TEST_F(PlayerTest, HumanIsOfferedTheAddOnOnlyAtTheLevelBeforeTheAddOnLevelAndAYesBuysIt)
{
    table.services.factory = &factory;
    InTournament(9, 8);
    EXPECT_FALSE(Human(100).OfferAddOn());
    tournament->level = 10;
    EXPECT_FALSE(human->OfferAddOn());
    EXPECT_FALSE(table.shell.rebuy->IsVisible());
    tournament->level = 9;
    ASSERT_TRUE(human->OfferAddOn());
    EXPECT_EQ(table.shell.rebuy->mode, RebuyAddonDlg::kAddOn);
    table.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(human->GetChips(), 15100.0);
    EXPECT_DOUBLE_EQ(tournament->buyIn, 300.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 150.0);
    EXPECT_EQ(tournament->rebuysTaken, 0u) << "an add-on is no re-buy";
    EXPECT_TRUE(SeatShows("Add-On $150 (15000 chips)"));
    EXPECT_TRUE(SeatShows("$ 15 100"));
    EXPECT_EQ(table.actions.back(), "schedule");

    table.shell.profile.gameType = kGameNoLimit;
    EXPECT_FALSE(human->OfferAddOn());
}

TEST_F(PlayerTest, TheReBuyButtonIsThereOnlyWhileAReBuyIsAllowed)
{
    table.services.factory = &factory;
    InTournament(9, 3);
    Human(100);
    human->Show(true);
    EXPECT_TRUE(RebuyButton().visible);
    human->TakeTurn();
    EXPECT_TRUE(RebuyButton().visible);
    EXPECT_TRUE(RebuyButton().enabled);
    human->PerformHumanAction(kHumanCheck, 0);
    EXPECT_FALSE(RebuyButton().enabled) << "only during his turn";
    human->TakeTurn();
    human->ResetForNewHand();
    EXPECT_FALSE(RebuyButton().enabled) << "a new hand begins with it off";

    tournament->level = 8;
    human->TakeTurn();
    EXPECT_FALSE(RebuyButton().visible);
    EXPECT_FALSE(RebuyButton().enabled);
    human->Show(false);
    EXPECT_FALSE(RebuyButton().visible);

    table.shell.profile.gameType = kGameNoLimit;
    human->Show(true);
    EXPECT_FALSE(RebuyButton().visible) << "no button at a cash table";
    human->TakeTurn();
    EXPECT_FALSE(RebuyButton().visible);
    EXPECT_FALSE(RebuyButton().enabled);
}

TEST_F(PlayerTest, TheReBuyButtonIsASquareBadgeLeftOfTheHumansCards)
{
    table.services.factory = &factory;
    table.layout.anchorX = 300;
    table.layout.anchorY = 400;
    table.layout.cardsDx = 20;
    table.layout.cardsDy = -30;
    InTournament(9, 3);
    Human(100).Show(true);
    testing_support::RecordedObject& button = RebuyButton();
    EXPECT_EQ(button.size.w, 31u);
    EXPECT_EQ(button.size.h, 31u);
    EXPECT_EQ(button.layer, 500);
    EXPECT_EQ(button.position.x, 220);
    EXPECT_EQ(button.position.y, 384);
    bool badge = false;
    for (const std::string& call : button.calls)
        badge = badge || (call.rfind("SetImages", 0) == 0 && call.find("images/player/rebuy.png") != std::string::npos);
    EXPECT_TRUE(badge);
    // A whole 31-pixel frame for each state, one below the other.
    EXPECT_NE(std::find(button.calls.begin(), button.calls.end(),
                        "SetSourceRects(0 0 31 31,0 31 31 31,0 62 31 31,0 93 31 31)"),
              button.calls.end());
    EXPECT_FALSE(button.mouseObservers.empty());
}

TEST_F(PlayerTest, TheHumansDialogsComeAndGoWithHisSeat)
{
    InTournament(9, 3);
    Human(100).Show(true);
    EXPECT_TRUE(table.shell.humanAction->IsVisible());
    table.shell.humanAction->ShowActions(true);
    human->Show(true);
    EXPECT_FALSE(table.shell.humanAction->actionsShown) << "the actions wait for his turn";
    ASSERT_TRUE(human->OfferRebuy());
    human->Show(false);
    EXPECT_FALSE(table.shell.humanAction->IsVisible());
    EXPECT_FALSE(table.shell.rebuy->IsVisible()) << "the question goes with the seat";
}

TEST_F(PlayerTest, AReBuyBoughtWithTheButtonBuysChipsAndLeavesTheTableAlone)
{
    table.services.factory = &factory;
    InTournament(9, 3);
    Human(500);
    human->TakeTurn();
    human->OnMouseUp(RebuyButton().id + 1000, 0);
    EXPECT_FALSE(table.shell.rebuy->IsVisible()) << "a click elsewhere asks nothing";
    ClickRebuyButton();
    ASSERT_TRUE(table.shell.rebuy->IsVisible());
    EXPECT_EQ(table.shell.rebuy->mode, RebuyAddonDlg::kRebuy);
    table.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(human->GetChips(), 15500.0);
    EXPECT_EQ(tournament->rebuysTaken, 1u);
    EXPECT_TRUE(SeatShows("Re-Buy $150 (15000 chips)"));
    for (const std::string& action : table.actions)
        EXPECT_EQ(action.rfind("resume", 0), std::string::npos) << action;

    // The second and last re-buy; a third answer buys nothing.
    human->TakeTurn();
    ClickRebuyButton();
    table.shell.rebuy->Answer(true);
    EXPECT_EQ(tournament->rebuysTaken, 2u);
    EXPECT_FALSE(RebuyButton().visible);
    human->OnMouseUp(RebuyButton().id, 0);
    table.shell.rebuy->Answer(true);
    EXPECT_EQ(tournament->rebuysTaken, 2u);
    EXPECT_DOUBLE_EQ(human->GetChips(), 30500.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 300.0);
}

TEST_F(PlayerTest, OnlyTheClosingOfHisOwnQuestionIsTakenAsAnAnswer)
{
    InTournament(9, 3);
    ASSERT_TRUE(Human(100).OfferRebuy());
    table.shell.rebuy->answer = 1;
    human->OnDialogShown(table.shell.rebuy->GetId() + 1, false);
    human->OnDialogShown(table.shell.rebuy->GetId(), true);
    EXPECT_DOUBLE_EQ(human->GetChips(), 100.0);
    EXPECT_TRUE(table.actions.empty());
}

TEST_F(PlayerTest, AnAddOnNeverTakesTheWordsOfAReBuyQuestionStillOpen)
{
    InTournament(9, 9);
    Human(100000);
    // The question is open as a re-buy (the seat's button asked it).
    table.shell.rebuy->SetMode(RebuyAddonDlg::kRebuy);
    table.shell.rebuy->Show(true);
    EXPECT_FALSE(human->OfferAddOn()) << "the table must not wait for an answer that will not come";
    EXPECT_EQ(table.shell.rebuy->GetMode(), RebuyAddonDlg::kRebuy);
    EXPECT_EQ(table.shell.rebuy->TimesShown(), 1);
}

TEST_F(PlayerTest, TheSeatsReBuyButtonLooksItsStateClicksAndAsks)
{
    testing_support::RecordingFactory factory;
    table.services.factory = &factory;
    InTournament(3, 1);
    Human(100).Show(true);
    const testing_support::RecordedObject& button = *factory.ObjectsOfKind("Button").front();
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.image, "images/player/rebuy.png");
    human->OnMouseUp(button.id, 1);
    EXPECT_TRUE(table.shell.rebuy->IsVisible());
    EXPECT_EQ(table.shell.rebuy->GetMode(), RebuyAddonDlg::kRebuy);
    int clicks = 0;
    for (const auto& sound : factory.Sounds())
        if (sound->file == "sounds/click.wav")
            clicks += sound->plays;
    EXPECT_EQ(clicks, 1);
    human.reset();
    EXPECT_EQ(factory.LiveObjectCount(), 0u);
    EXPECT_EQ(factory.LiveSoundCount(), 0u);
}

TEST_F(PlayerTest, WithoutATournamentAnAnswerBuysAndBooksNothing)
{
    Human(500);
    table.shell.rebuy->SetMode(RebuyAddonDlg::kAddOn);
    table.shell.rebuy->Show(true);
    table.shell.rebuy->Answer(true);
    table.shell.rebuy->SetMode(RebuyAddonDlg::kRebuy);
    table.shell.rebuy->Show(true);
    table.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(human->GetChips(), 500.0);
    EXPECT_DOUBLE_EQ(table.prizePool, 0.0);
}

// At the result, a winner's hole cards are lit where they belong to his best
// five cards and stay dimmed where the board made the hand without them.
TEST_F(PlayerTest, AWinnersHoleCardsAreLitOnlyWhereTheyMakeHisHand)
{
    struct Case {
        const char* name;
        Card first, second;
        std::vector<Card> board;
        std::vector<bool> dimmed;
    };
    const std::vector<Case> cases = {
        {"both in a pair of aces and its kickers", Card(12, 0), Card(11, 1),
         {Card(12, 2), Card(5, 3), Card(3, 1), Card(1, 0), Card(0, 2)}, {false, false}},
        {"the second alone", Card(0, 0), Card(11, 1),
         {Card(12, 2), Card(12, 3), Card(9, 1), Card(7, 0), Card(5, 2)}, {true, false}},
        {"neither when the board plays", Card(5, 0), Card(0, 1),
         {Card(12, 2), Card(12, 3), Card(11, 1), Card(10, 0), Card(9, 2)}, {true, true}},
        {"neither when a pair of them is past the full house", Card(3, 0), Card(3, 1),
         {Card(11, 2), Card(11, 3), Card(11, 1), Card(7, 0), Card(7, 2)}, {true, true}},
    };
    table.services.factory = &factory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        table.state.board = c.board;
        Computer(500).Show(true);
        table.Deal(*computer, c.first, c.second);
        computer->RevealHoleCards();
        computer->UpdateBestHand();
        computer->DimHoleCards();
        EXPECT_EQ(DimmedCards(), (std::vector<bool>{true, true}));
        computer->TakeWinnings(100);
        EXPECT_EQ(DimmedCards(), c.dimmed);
        // The result turns to another pot: his cards are dimmed again.
        computer->DimHoleCards();
        EXPECT_EQ(DimmedCards(), (std::vector<bool>{true, true}));
        computer.reset();
    }
}

TEST_F(PlayerTest, AComputerSeatShowsItsChipsFromTheMomentItIsShown)
{
    table.services.factory = &factory;
    Computer(1234).Show(true);
    EXPECT_TRUE(SeatShows("$ 1 234"));
}

TEST_F(PlayerTest, ANewBettingRoundClearsTheBetShownBeforeTheSeat)
{
    table.services.factory = &factory;
    Human(100, 20).Show(true);
    auto betShown = [&] {
        for (testing_support::RecordedObject* text : factory.ObjectsOfKind("String"))
            if (!text->released && text->visible && text->text == "$ 20")
                return true;
        return false;
    };
    ASSERT_TRUE(betShown());
    table.betting.StartNextRound();
    human->ResetForNewRound();
    EXPECT_FALSE(betShown());
}

TEST_F(PlayerTest, ChipsAreHeardOnlyWhenChipsGoIn)
{
    table.services.factory = &factory;
    Human(100).Show(true);
    human->Check();
    EXPECT_EQ(ChipSounds(), 0);
    table.SetCurrentBet(10);
    human->Call();
    EXPECT_EQ(ChipSounds(), 1);
    human->Fold();
    EXPECT_EQ(ChipSounds(), 1);
}

TEST(SeatDisplayText, ChipStackBreaksTheBetIntoChips)
{
    using V = std::vector<uint32_t>;
    EXPECT_EQ(SeatDisplay::BreakIntoChips(7), (V{5, 1, 1}));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(4), (V{2, 1, 1}));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(3), (V{1, 1, 1}));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(12), (V{10, 1, 1}));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(2500), (V{2500}));
    EXPECT_TRUE(SeatDisplay::BreakIntoChips(0).empty());
    // Every kind of chip, the largest first.
    EXPECT_EQ(SeatDisplay::BreakIntoChips(8888), (V{5000, 2500, 1000, 250, 100, 25, 10, 1, 1, 1}));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(559), (V{500, 50, 5, 2, 1, 1}));
    // Beyond 16 bits the stack is still the bet's, up to the chips it holds.
    V over16Bits(13, 5000);
    over16Bits.insert(over16Bits.end(), {500, 25, 10, 1});
    EXPECT_EQ(SeatDisplay::BreakIntoChips(65536), over16Bits);
    EXPECT_EQ(SeatDisplay::BreakIntoChips(70000), (V(14, 5000)));
    EXPECT_EQ(SeatDisplay::BreakIntoChips(10000000000ull).size(), SeatDisplay::kChipImages);
}

TEST(SeatDisplayText, MoneyIsGroupedByThousandsWithItsHalfDollars)
{
    EXPECT_EQ(SeatDisplay::FormatMoney(999), "$ 999");
    EXPECT_EQ(SeatDisplay::FormatMoney(37.5), "$ 37.5");
    EXPECT_EQ(SeatDisplay::FormatMoney(1234.9), "$ 1 234.9");
    EXPECT_EQ(SeatDisplay::FormatMoney(1234567), "$ 1 234 567");
    EXPECT_EQ(SeatDisplay::FormatMoney(70000), "$ 70 000");
    EXPECT_EQ(SeatDisplay::FormatMoney(5000000000.0), "$ 5 000 000 000");
    EXPECT_EQ(SeatDisplay::FormatMoney(-1500), "$ -1 500");
}

} // namespace
} // namespace Gamespace

namespace Gamespace {
namespace {

TEST(TableScreenText, PotLabelShowsTheWholePotBeyondSixteenBitsAndItsHalfDollars)
{
    EXPECT_EQ(TableScreen::PotText(70000.9), "$70000.9");
    EXPECT_EQ(TableScreen::PotText(12.5), "$12.5");
}

} // namespace
} // namespace Gamespace
