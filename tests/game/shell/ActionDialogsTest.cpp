// The human's action strip and its two amount dialogs: which buttons a turn
// enables, the amounts each betting structure reports, what the amount
// entry takes, and the keys.
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IStringVO.h"
#include "game/shell/HumanActionDlgImpl.h"
#include "game/shell/OpenDlg.h"
#include "game/shell/OpenRaiseDlg.h"
#include "game/shell/ProfileList.h"
#include "game/table/HumanActionMessageObserver.h"
#include "tests/game/shell/ShellDialogScene.h"
#include "tests/support/KeptScene.h"

#include <string>
#include <vector>

namespace Gamespace {
namespace {

// The human player as the strip sees it: figures a test sets, and a log of
// the actions reported.
class ScriptedHuman : public HumanActionMessageObserver {
public:
    void GetAvailableActions(std::vector<uint32_t>& out) override { out = legal; }
    double GetChips() override { return chips; }
    double GetBet() override { return bet; }
    double GetCurrentBet() override { return currentBet; }
    double GetRoundPot() override { return roundPot; }
    double GetTotalPot() override { return totalPot; }
    double GetMinBet() override { return minBet; }
    uint16_t GetBoardStage() override { return stage; }
    void PerformHumanAction(uint32_t code, double amount) override
    {
        reported.push_back(std::to_string(code) + " " + std::to_string(static_cast<long long>(amount)));
    }

    std::vector<uint32_t> legal{kHumanCheck, kHumanOpen, kHumanFold, kHumanAllIn};
    double chips = 1000;
    double bet = 0;
    double currentBet = 0;
    double roundPot = 0;
    double totalPot = 0;
    double minBet = 10;
    uint16_t stage = 0;
    std::vector<std::string> reported;
};

class ActionStrip : public ShellDialogScene {
protected:
    ActionStrip() : previousType_(ProfileList::CurrentProfile()->gameType), strip_(nullptr, &human_) {}
    ~ActionStrip() override { ProfileList::CurrentProfile()->gameType = previousType_; }

    void Play(GameType type) { ProfileList::CurrentProfile()->gameType = type; }
    ControlLibrary::IButtonVO& Button(uint32_t code) { return *strip_.Button(code); }
    std::vector<uint32_t> Enabled()
    {
        std::vector<uint32_t> codes;
        for (uint32_t code = 0; code < HumanActionDlgImpl::kActionCount; ++code)
            if (Button(code).IsEnabled())
                codes.push_back(code);
        return codes;
    }
    // The human's turn: the strip is shown and the legal buttons enabled.
    void Turn()
    {
        strip_.Show(true);
        strip_.ShowActions(true);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            Factory().DispatchChar(c);
    }
    std::string EntryText(const AmountDlg& dialog)
    {
        std::string text;
        dialog.Entry()->GetText(text);
        return text;
    }
    std::string Label(OpenRaiseDlg::Label label)
    {
        std::string text;
        strip_.GetRaiseDlg().LabelText(label)->GetText(text);
        return text;
    }
    bool ConfirmEnabled(const AmountDlg& dialog)
    {
        return Factory().FindObject(dialog.ConfirmButtonId())->IsEnabled();
    }

    GameType previousType_;
    ScriptedHuman human_;
    HumanActionDlgImpl strip_;
};

TEST_F(ActionStrip, SixButtonsInARowAtTheFootOfTheTableAndTheRestOfTheScreenStaysAlive)
{
    strip_.Show(true);
    // 700 x 60 around (512, 730): the middle of the strip is (512, 730).
    const int32_t middles[] = {302, 422, 542, 662, 782, 902};
    const uint32_t widths[] = {78, 70, 64, 60, 76, 65};
    for (uint32_t code = 0; code < HumanActionDlgImpl::kActionCount; ++code) {
        const ControlLibrary::Rect area = Button(code).GetScreenRect();
        EXPECT_EQ(area.x + area.w / 2, middles[code]) << "button " << code;
        EXPECT_EQ(area.y + area.h / 2, 730) << "button " << code;
        EXPECT_EQ(Button(code).GetSize(), (ControlLibrary::Size{widths[code], 37})) << "button " << code;
    }
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
}

// The strip on a turn, and each amount dialog over it, as the player sees
// them (a strip made once its pictures can be loaded).
TEST_F(ActionStrip, TheStripAndEachAmountDialogLookAsKept)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanOpen, kHumanFold, kHumanRaise};
    human_.currentBet = 20;
    human_.bet = 10;
    host_->AddImage(HumanActionDlgImpl::kButtonSheet, 412, 150, 0xFF806040);
    host_->AddImage("images/dialog/rules/dlg.png", 700, 60, 0xFF806040);
    HumanActionDlgImpl strip(nullptr, &human_);
    strip.Show(true);
    strip.ShowActions(true);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/strip.txt");
    ClickOn(strip.Button(kHumanOpen)->GetId());
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/open.txt");
    PressKey(KeyDialog::kEscapeKey);
    ClickOn(strip.Button(kHumanRaise)->GetId());
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/raise.txt");
}

TEST_F(ActionStrip, ATurnEnablesTheLegalActionsAndAllInEverywhereButAtALimitCashTable)
{
    Play(kGameNoLimit);
    strip_.Show(true);
    strip_.ShowActions(false);
    EXPECT_TRUE(Enabled().empty()) << "a shown strip waits for the turn";

    human_.legal = {kHumanFold, kHumanCall, kHumanCall, kHumanRaise, kHumanAllIn, 9};
    strip_.ShowActions(true);
    EXPECT_EQ(Enabled(), (std::vector<uint32_t>{kHumanFold, kHumanCall, kHumanRaise, kHumanAllIn}));
    strip_.ShowActions(false);
    EXPECT_TRUE(Enabled().empty());

    Play(kGameLimit);
    strip_.ShowActions(true);
    EXPECT_EQ(Enabled(), (std::vector<uint32_t>{kHumanFold, kHumanCall, kHumanRaise}));
    Play(kGameLimitTournament);
    strip_.ShowActions(true);
    EXPECT_EQ(Enabled().back(), kHumanAllIn);
}

TEST_F(ActionStrip, AClickPlaysTheClickAndReportsTheAction)
{
    Play(kGameNoLimit);
    Turn();
    ClickOn(Button(kHumanCheck).GetId());
    ClickOn(Button(kHumanFold).GetId());
    ClickOn(Button(kHumanAllIn).GetId());
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"0 0", "2 0", "5 0"}));
    EXPECT_EQ(Clicks(), 3u);
    // A disabled button takes no click.
    strip_.ShowActions(false);
    ClickOn(Button(kHumanCheck).GetId());
    EXPECT_EQ(human_.reported.size(), 3u);
    EXPECT_EQ(strip_.Button(HumanActionDlgImpl::kActionCount), nullptr) << "no button past the six";
}

TEST_F(ActionStrip, AStripWithNobodyToReportToTakesAClickAndDoesNothing)
{
    HumanActionDlgImpl alone(nullptr, nullptr);
    alone.OnMouseUp(alone.Button(kHumanOpen)->GetId(), 0);
    EXPECT_EQ(Clicks(), 0u);
}

TEST_F(ActionStrip, EveryButtonOfTheAmountDialogsClicksAndSoDoTheirKeys)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanOpen, kHumanRaise};
    Turn();
    size_t expected = 0;
    for (const AmountDlg* dialog : {static_cast<const AmountDlg*>(&strip_.GetOpenDlg()),
                                    static_cast<const AmountDlg*>(&strip_.GetRaiseDlg())}) {
        const uint32_t code = dialog == &strip_.GetOpenDlg() ? kHumanOpen : kHumanRaise;
        ClickOn(Button(code).GetId());
        ClickOn(dialog->CancelButtonId());
        ClickOn(Button(code).GetId());
        ClickOn(dialog->ConfirmButtonId());
        ClickOn(Button(code).GetId());
        PressKey(KeyDialog::kEscapeKey);
        ClickOn(Button(code).GetId());
        PressKey(KeyDialog::kReturnKey);
        expected += 8;
        EXPECT_EQ(Clicks(), expected) << (code == kHumanOpen ? "open" : "raise");
        EXPECT_FALSE(dialog->IsVisible());
    }
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"1 10", "1 10", "4 10", "4 10"}));
}

TEST_F(ActionStrip, LimitGamesBetOneUnitDoubledFromTheTurnOn)
{
    Play(kGameLimit);
    human_.legal = {kHumanCheck, kHumanOpen, kHumanFold, kHumanCall, kHumanRaise, kHumanAllIn};
    Turn();
    human_.stage = 1;
    ClickOn(Button(kHumanOpen).GetId());
    human_.stage = 2;
    ClickOn(Button(kHumanOpen).GetId());
    // On the flop, facing 20 with 10 in: 10 to call and a unit more.
    human_.stage = 1;
    human_.currentBet = 20;
    human_.bet = 10;
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"1 10", "1 20", "4 20"}));
    EXPECT_FALSE(strip_.GetOpenDlg().IsVisible());
    EXPECT_FALSE(strip_.GetRaiseDlg().IsVisible());
}

TEST_F(ActionStrip, PotLimitCapsArePotSizedBetsAndNeverMoreThanTheChips)
{
    Play(kGamePotLimit);
    human_.legal = {kHumanOpen, kHumanRaise};
    human_.roundPot = 30;
    human_.totalPot = 100;
    human_.currentBet = 20;
    Turn();
    ClickOn(Button(kHumanOpen).GetId());
    EXPECT_TRUE(strip_.GetOpenDlg().IsVisible());
    EXPECT_DOUBLE_EQ(strip_.GetOpenDlg().GetCap(), 300.0);
    PressKey(KeyDialog::kEscapeKey);
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_DOUBLE_EQ(strip_.GetRaiseDlg().GetCap(), 320.0);
    PressKey(KeyDialog::kEscapeKey);
    human_.bet = 10;
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_DOUBLE_EQ(strip_.GetRaiseDlg().GetCap(), 300.0) << "with 10 in already";
    PressKey(KeyDialog::kEscapeKey);
    human_.bet = 0;

    human_.chips = 200;
    ClickOn(Button(kHumanOpen).GetId());
    EXPECT_DOUBLE_EQ(strip_.GetOpenDlg().GetCap(), 200.0);
    PressKey(KeyDialog::kEscapeKey);
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_DOUBLE_EQ(strip_.GetRaiseDlg().GetCap(), 200.0);
    PressKey(KeyDialog::kEscapeKey);
    EXPECT_TRUE(human_.reported.empty()) << "a cancelled amount reports nothing";

    Play(kGameNoLimitTournament);
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_DOUBLE_EQ(strip_.GetRaiseDlg().GetCap(), 200.0) << "no limit: all the chips";
}

TEST_F(ActionStrip, TheOpenDialogStartsAtTheMinimumBetAndTakesOnlyDigitsWithinTheCap)
{
    Play(kGameNoLimit);
    human_.chips = 200;
    Turn();
    ClickOn(Button(kHumanOpen).GetId());
    OpenDlg& open = strip_.GetOpenDlg();
    EXPECT_EQ(Factory().GetFocusedId(), open.Entry()->GetId());
    EXPECT_EQ(EntryText(open), "10");
    Type("100");
    EXPECT_EQ(EntryText(open), "100");
    Type("0");
    EXPECT_EQ(EntryText(open), "100") << "three digits at most";
    for (const auto& [cap, digits] : std::vector<std::pair<double, uint16_t>>{{9, 1}, {10, 2}, {90, 2}, {100, 3}})
        EXPECT_EQ(AmountDlg::DigitCount(cap), digits) << cap;
    Factory().DispatchKeyDown(8); // backspace
    Factory().DispatchKeyDown(8);
    Factory().DispatchKeyDown(8);
    Type("3a-.+");
    EXPECT_EQ(EntryText(open), "3") << "a digit that makes more than the cap, and anything but digits, are refused";
    Type("0");
    Type("1");
    EXPECT_EQ(EntryText(open), "30");
    Factory().DispatchKeyDown(8);
    Factory().DispatchKeyDown(8);
    Type("0");
    EXPECT_FALSE(ConfirmEnabled(open));
    PressKey(KeyDialog::kReturnKey);
    EXPECT_TRUE(open.IsVisible()) << "Return does nothing while the confirm button is disabled";

    Factory().DispatchKeyDown(8);
    Type("150");
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(open.IsVisible());
    // What is typed goes in on top of a bet that stands.
    human_.currentBet = 20;
    ClickOn(Button(kHumanOpen).GetId());
    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"1 150", "1 30"}));
}

TEST_F(ActionStrip, TheRaiseDialogShowsTheBetArithmeticAndReportsWhatGoesIn)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanRaise};
    human_.chips = 320;
    human_.currentBet = 20;
    Turn();
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_EQ(Label(OpenRaiseDlg::kCurrentBetLabel), "20");
    EXPECT_EQ(Label(OpenRaiseDlg::kOwnBetLabel), "0");
    Factory().DispatchKeyDown(8);
    Factory().DispatchKeyDown(8);
    Type("60");
    EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "80");
    EXPECT_EQ(Label(OpenRaiseDlg::kToPutInLabel), "80");
    PressKey(KeyDialog::kReturnKey);

    human_.bet = 10;
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_EQ(EntryText(strip_.GetRaiseDlg()), "10") << "every show starts again from the minimum bet";
    Factory().DispatchKeyDown(8);
    Factory().DispatchKeyDown(8);
    Type("20");
    EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "40");
    EXPECT_EQ(Label(OpenRaiseDlg::kToPutInLabel), "30");
    ClickOn(strip_.GetRaiseDlg().ConfirmButtonId());
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"4 80", "4 30"}));
}

// The minimum bet is offered, not imposed: typing after the dialog opens
// gives the amount typed, not the typed digits behind the offer.
TEST_F(ActionStrip, TheFirstDigitTypedReplacesTheProposedAmount)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanOpen, kHumanRaise};
    human_.chips = 320;
    human_.currentBet = 20;
    Turn();
    ClickOn(Button(kHumanRaise).GetId());
    const OpenRaiseDlg& raise = strip_.GetRaiseDlg();
    ASSERT_EQ(EntryText(raise), "10");
    Type("60");
    EXPECT_EQ(EntryText(raise), "60");
    EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "80");
    EXPECT_EQ(Label(OpenRaiseDlg::kToPutInLabel), "80");
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(raise.IsVisible());

    // A refused character leaves the offer; the first digit let in takes
    // its place, and the digits after it follow up to the cap (300 here).
    ClickOn(Button(kHumanRaise).GetId());
    ASSERT_EQ(EntryText(raise), "10") << "every show proposes the minimum bet afresh";
    Type("a.");
    EXPECT_EQ(EntryText(raise), "10");
    Type("4");
    EXPECT_EQ(EntryText(raise), "4");
    Type("0");
    EXPECT_EQ(EntryText(raise), "40") << "later digits follow";
    Type("0");
    EXPECT_EQ(EntryText(raise), "40") << "400 passes the cap";
    PressKey(KeyDialog::kEscapeKey);

    // Backspace first edits the offer, and what is typed then follows it.
    ClickOn(Button(kHumanRaise).GetId());
    Factory().DispatchKeyDown(8);
    EXPECT_EQ(EntryText(raise), "1");
    Type("5");
    EXPECT_EQ(EntryText(raise), "15");
    EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "35");
    PressKey(KeyDialog::kEscapeKey);

    // The open: a first digit that would itself pass the cap is refused and
    // leaves the offer; the next one within it replaces the offer.
    human_.chips = 6;
    human_.currentBet = 0;
    human_.minBet = 5;
    ClickOn(Button(kHumanOpen).GetId());
    const OpenDlg& open = strip_.GetOpenDlg();
    ASSERT_EQ(EntryText(open), "5");
    Type("9");
    EXPECT_EQ(EntryText(open), "5");
    EXPECT_TRUE(ConfirmEnabled(open));
    Type("3");
    EXPECT_EQ(EntryText(open), "3");
    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(human_.reported, (std::vector<std::string>{"4 80", "1 3"}));
}

// As the player met it: the bet to match and the minimum bet $2, "1" then
// "0" typed, Return: a raise by $10 to $12 (not "210", nor "21" at a stack
// too small for 210, which raised to $23).
TEST_F(ActionStrip, TypingTenIntoTheRaiseRaisesByTen)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanRaise};
    human_.minBet = 2;
    human_.currentBet = 2;
    for (double chips : {1000.0, 100.0}) {
        human_.chips = chips;
        human_.reported.clear();
        Turn();
        ClickOn(Button(kHumanRaise).GetId());
        Type("10");
        EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "12") << chips;
        PressKey(KeyDialog::kReturnKey);
        EXPECT_EQ(human_.reported, std::vector<std::string>{"4 12"}) << chips;
    }
}

TEST_F(ActionStrip, AMinimumBetUpToTheCapIsProposedAndBeyondItTheOpenStartsAtZeroAndTheRaiseAtOne)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanOpen, kHumanRaise};
    human_.chips = 8;
    Turn();
    ClickOn(Button(kHumanOpen).GetId());
    EXPECT_EQ(EntryText(strip_.GetOpenDlg()), "0");
    EXPECT_FALSE(ConfirmEnabled(strip_.GetOpenDlg()));
    ClickOn(strip_.GetOpenDlg().CancelButtonId());
    ClickOn(Button(kHumanRaise).GetId());
    EXPECT_EQ(EntryText(strip_.GetRaiseDlg()), "1");
    EXPECT_TRUE(ConfirmEnabled(strip_.GetRaiseDlg()));
    ClickOn(strip_.GetRaiseDlg().CancelButtonId());
    EXPECT_TRUE(human_.reported.empty());

    // A minimum bet the chips just reach is proposed as it is.
    human_.chips = 10;
    ClickOn(Button(kHumanOpen).GetId());
    EXPECT_EQ(EntryText(strip_.GetOpenDlg()), "10");
    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(human_.reported, std::vector<std::string>{"1 10"});
}

TEST_F(ActionStrip, BigCapsTakeAllTheirDigitsAndBigAmountsReadInFull)
{
    Play(kGameNoLimit);
    human_.legal = {kHumanRaise};
    human_.chips = 9999999;
    human_.currentBet = 70000;
    human_.bet = 65536;
    human_.minBet = 2000000;
    Turn();
    ClickOn(Button(kHumanRaise).GetId());
    const OpenRaiseDlg& raise = strip_.GetRaiseDlg();
    EXPECT_EQ(EntryText(raise), "2000000");
    EXPECT_EQ(Label(OpenRaiseDlg::kCurrentBetLabel), "70000");
    EXPECT_EQ(Label(OpenRaiseDlg::kOwnBetLabel), "65536");
    EXPECT_EQ(Label(OpenRaiseDlg::kRaiseToLabel), "2070000");
    for (int i = 0; i < 7; ++i)
        Factory().DispatchKeyDown(8);
    // Seven digits, as the cap has; its "%g" text, "1e+07", would allow five.
    Type("9929999");
    EXPECT_EQ(EntryText(raise), "9929999");
    EXPECT_TRUE(ConfirmEnabled(raise));
    EXPECT_EQ(AmountDlg::DigitCount(2.5), 1);
    EXPECT_EQ(AmountDlg::DigitCount(0), 1);
    EXPECT_EQ(AmountDlg::DigitCount(1234567), 7);
}

TEST_F(ActionStrip, HidingTheStripClosesAnAmountDialogWithoutAReport)
{
    Play(kGameNoLimit);
    Turn();
    ClickOn(Button(kHumanOpen).GetId());
    ASSERT_TRUE(strip_.GetOpenDlg().IsVisible());
    EXPECT_EQ(Factory().GetModalDepth(), 1u) << "the amount dialog is modal";
    strip_.Show(false);
    EXPECT_FALSE(strip_.GetOpenDlg().IsVisible());
    EXPECT_EQ(Factory().GetModalDepth(), 0u);
    EXPECT_TRUE(human_.reported.empty());
}

} // namespace
} // namespace Gamespace
