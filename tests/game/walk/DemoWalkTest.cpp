// A recorded game played back: hands at a cash table reached and played
// with clicks and keys while the program records a demo, then the demo
// played in a new run of the program on the same machine. The playback must
// deal the same cards, see the same actions and leave the same chips, step
// for step: the shuffles' seeds, the opponents' choices and the table's
// timers all come back as they were.
#include "framework/app/DemoPlaybackControls.h"
#include "game/shell/GameImpl.h"
#include "game/table/GameMgr.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/PlayerI.h"
#include "kernel/MainApp.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/DemoCommands.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using walk::PlayedTable;
using walk::ScriptedPlayer;

// Every state the table passes through, as far as the game goes: the
// hand, the board, the pot, and each seat's name, chips, bet, cards and
// standing. A state is noted when it differs from the last one noted.
class TableLog {
public:
    explicit TableLog(ScriptedPlayer& player) : player_(player)
    {
        player_.AfterEachStep([this] { Note(); });
    }
    ~TableLog() { player_.AfterEachStep(nullptr); }

    const std::vector<std::string>& States() const { return states_; }
    // How many states had three board cards or more.
    size_t BoardsSeen() const
    {
        return size_t(std::count_if(states_.begin(), states_.end(), [](const std::string& state) {
            return state.find(" board ") + 7 + 6 <= state.find(" pot ");
        }));
    }

private:
    void Note()
    {
        Gamespace::GameMgr* table = player_.Game().GetGameMgr();
        if (table == nullptr || !table->IsActive() || table->GetHandsStarted() == 0)
            return;
        const Gamespace::TableState state = table->State();
        std::ostringstream line;
        line << "hand " << table->GetHandsStarted() << " board ";
        for (const Card& card : state.board)
            line << card.Name();
        line << " pot " << state.totalPot;
        for (Gamespace::PlayerI* seated : walk::SeatedPlayers(*table)) {
            line << " | " << seated->GetSeat() << ' ' << seated->GetName() << ' ' << seated->GetChips() << '/'
                 << seated->GetBet() << (seated->IsInHand() ? " in " : " out ");
            for (const Card& card : seated->GetHoleCards())
                line << card.Name();
        }
        if (states_.empty() || states_.back() != line.str())
            states_.push_back(line.str());
    }

    ScriptedPlayer& player_;
    std::vector<std::string> states_;
};

// Hands of a no-limit table of four, each turn answered by a click: the
// first hand checked and called through, the second opened or raised with a
// typed amount and then called, the third folded; then, where the
// opponents' folds left every hand without a flop (the real back end's
// cards follow the clock), more checked and called through until one
// comes.
void PlayHandsToAFlop(ScriptedPlayer& player, PlayedTable& walk, const TableLog& log)
{
    constexpr int kMostHands = 12;
    player.Click(walk::sights::kNoLimit);
    ASSERT_TRUE(player.WaitToSee(walk::sights::kStart));
    player.Click(walk::sights::kStart);
    walk.CloseTheDealerDraw();
    while ((walk.Hands() < 3 || (log.BoardsSeen() == 0 && walk.Hands() < kMostHands)) &&
           !::testing::Test::HasFatalFailure()) {
        bool bet = false;
        while (walk.PlayOnToTurnOrResult()) {
            using namespace Gamespace;
            if (walk.Hands() == 2) {
                walk.Act(walk.Enabled(kHumanCheck) ? kHumanCheck : kHumanFold);
            } else if (walk.Hands() == 1 && !bet && (walk.Enabled(kHumanOpen) || walk.Enabled(kHumanRaise))) {
                bet = true;
                const uint32_t code = walk.Enabled(kHumanOpen) ? kHumanOpen : kHumanRaise;
                walk.ActTyped(code, static_cast<uint64_t>(2 * walk.Table().GetMinBet()));
            } else {
                walk.Act(walk.Enabled(kHumanCheck) ? kHumanCheck : kHumanCall);
            }
        }
        if (::testing::Test::HasFatalFailure())
            return;
        walk.FinishHand();
    }
}

// Ann, who plays at the no-limit table of four, on a machine whose game
// runs at its fastest.
void PutAnnAtNoLimit(ScriptedPlayer& player)
{
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = walk::KnownPlayer("Ann");
    ann.noLimit = TableChoice{1, 4};
    walk::PutProfile(player, ann);
}

// A short visit to the table, recorded: the start screen, the table's
// set-up, the dealer draw and three seconds of the first hand; then
// `atTheTable`, and the player leaves through the exit question.
void RecordATableVisit(ScriptedPlayer& player, const std::string& demo, const std::function<void()>& atTheTable = {})
{
    player.SetOptions({"-record", "-demofile=" + demo});
    player.Launch();
    PlayedTable walk(player);
    player.Click(walk::sights::kNoLimit);
    ASSERT_TRUE(player.WaitToSee(walk::sights::kStart));
    player.Click(walk::sights::kStart);
    walk.CloseTheDealerDraw();
    player.Wait(3000);
    if (atTheTable)
        atTheTable();
    walk.LeaveGame();
}

bool AtTheTable(ScriptedPlayer& player)
{
    return player.Game().GetGameMgr() != nullptr && player.Game().GetGameMgr()->IsActive();
}

} // namespace

TEST(DemoWalk, ARecordedGamePlaysBackCardForCardWithTheSameActionsAndChips)
{
    ScriptedPlayer player;
    PutAnnAtNoLimit(player);
    const std::string demo = player.ProgramFolder() + "/hands.dmo";

    std::vector<std::string> recorded;
    uint64_t recordedMs = 0;
    {
        TableLog log(player);
        player.SetOptions({"-record", "-demofile=" + demo});
        player.Launch();
        PlayedTable walk(player);
        PlayHandsToAFlop(player, walk, log);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        recordedMs = player.Now();
        walk.LeaveGame();
        recorded = log.States();
        EXPECT_GT(log.BoardsSeen(), 0u) << "flops were dealt";
    }

    // Played in a later run: the machine's clock has moved on, the profile
    // is the one the recording left.
    TableLog log(player);
    player.SetOptions({"-play", "-demofile=" + demo});
    player.Relaunch();
    ASSERT_TRUE(player.WaitUntil([&] { return log.BoardsSeen() > 0; }, recordedMs, "the first flop played back"));
    player.Screenshot("the first flop played back");
    EXPECT_TRUE(player.WaitForExit(recordedMs + 30000)) << "the played demo ends the program as the recording did";
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(log.States(), recorded) << "the same cards, actions and chips at every step";
}

// The recorded visit played whole ends as the recording did, with exit code
// 0; a copy cut between two of its commands (or inside one) plays to the
// cut and ends there, as a failure that says where: it never leaves the
// game standing on input that will not come.
TEST(DemoWalk, ATableDemoPlaysWholeAndACopyCutBetweenTwoCommandsEndsThereAsAFailure)
{
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "the error box would wait for a person";
    PutAnnAtNoLimit(player);
    const std::string demo = player.ProgramFolder() + "/visit.dmo";
    RecordATableVisit(player, demo);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const Zolt::DemoFileData file = demo_testing::ParseDemo(platform::testing::ReadTestFile(demo));
    const std::vector<demo_testing::StreamCommand> commands = demo_testing::CommandsWithPlaces(file.commands);
    ASSERT_GT(commands.size(), 40u);

    player.SetOptions({"-play", "-demofile=" + demo});
    player.Relaunch();
    EXPECT_TRUE(player.WaitForExit(60000));
    EXPECT_EQ(player.Finish(), 0);

    // Between two commands, at eight places spread over the visit from its
    // first command to the one before the closing command (every place is
    // DemoTest's, on a recording of its own), and inside the first command
    // of each kind that has a payload (its header whole, its payload not).
    std::vector<std::pair<int, int>> cuts; // bits kept, update where it breaks off
    const size_t last = commands.size() - 2;
    for (size_t place = 0; place < 8; ++place) {
        const size_t i = place * last / 7;
        cuts.emplace_back(commands[i].endBit, commands[i].update);
    }
    std::set<std::string> cutInside;
    for (size_t i = 0; i + 1 < commands.size(); ++i) {
        const demo_testing::StreamCommand& next = commands[i + 1];
        if (next.endBit - commands[i].endBit > 10 && cutInside.insert(next.name).second)
            cuts.emplace_back(next.endBit - 1, next.update);
    }
    for (const auto& [bits, update] : cuts) {
        platform::testing::WriteTestFile(demo,
                                         demo_testing::FileWith(file, demo_testing::FirstBits(file.commands, bits)));
        player.RelaunchExpectingAFatalEnd();
        EXPECT_TRUE(player.WaitForExit(60000)) << "cut at bit " << bits;
        const std::vector<platform::testing::RecordedBox> boxes = player.TakeBoxes();
        ASSERT_EQ(boxes.size(), 1u) << "cut at bit " << bits;
        EXPECT_EQ(boxes.back().text, "The demo file " + demo + " is damaged: it breaks off after " +
                                         Zolt::DemoClockText(update, 10) + " of play, and cannot be played further.")
            << "cut at bit " << bits;
        EXPECT_EQ(player.Finish(), 1) << "cut at bit " << bits;
    }
}

// A played demo's window takes none of the watcher's input: its close ends
// the play at once, asking nothing, wherever the play stands: on the start
// screen, at the table mid-hand, and once the commands of a demo that ended
// without leaving (the one a crash left) have run out.
TEST(DemoWalk, TheWindowsCloseEndsAPlayedDemoAtOnceAlsoAtTheTableAndOnceItsCommandsHaveRunOut)
{
    ScriptedPlayer player;
    PutAnnAtNoLimit(player);
    const std::string demo = player.ProgramFolder() + "/crashed.dmo";
    RecordATableVisit(player, demo, [&] { player.App().SaveDemoForCrash(); });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const int crashedAt = demo_testing::ParseDemo(platform::testing::ReadTestFile(demo)).finalUpdate;
    player.SetOptions({"-play", "-demofile=" + demo});

    player.Relaunch();
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);

    player.Relaunch();
    ASSERT_TRUE(player.WaitUntil([&] { return AtTheTable(player); }, 30000, "the table played back"));
    ASSERT_LT(player.App().UpdateCount(), crashedAt);
    player.Screenshot("the table played back");
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit()) << "no exit question";
    EXPECT_EQ(player.Finish(), 0);

    player.Relaunch();
    ASSERT_TRUE(player.WaitUntil([&] { return player.App().UpdateCount() > crashedAt + 100; }, 60000,
                                 "the demo's commands to run out"));
    ASSERT_TRUE(AtTheTable(player));
    player.Screenshot("the table after the demo's commands");
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit()) << "no exit question";
    EXPECT_EQ(player.Finish(), 0);
}

// A close the demo holds is played as it was recorded: the game asks its
// question, and the recorded answer (No) plays on; the run ends where the
// recording did.
TEST(DemoWalk, AClosePlayedFromTheDemoAsksTheGameAsItDidWhenRecorded)
{
    ScriptedPlayer player;
    PutAnnAtNoLimit(player);
    const std::string demo = player.ProgramFolder() + "/refused.dmo";
    RecordATableVisit(player, demo, [&] {
        player.CloseWindow();
        ASSERT_TRUE(player.WaitToSee(walk::sights::kExitQuestion));
        player.Click(walk::sights::kNo);
        player.Wait(1000);
    });
    ASSERT_FALSE(::testing::Test::HasFatalFailure());

    player.SetOptions({"-play", "-demofile=" + demo});
    player.Relaunch();
    ASSERT_TRUE(player.WaitToSee(walk::sights::kExitQuestion, 30000)) << "the recorded close asks";
    ASSERT_TRUE(player.WaitUntil([&] { return !player.Sees(walk::sights::kExitQuestion); }, 30000,
                                 "the recorded No"));
    EXPECT_TRUE(AtTheTable(player));
    EXPECT_TRUE(player.WaitForExit(30000)) << "ended where the recording did";
    EXPECT_EQ(player.Finish(), 0);
}
