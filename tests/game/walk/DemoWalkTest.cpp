// A recorded game played back: hands at a cash table reached and played
// with clicks and keys while the program records a demo, then the demo
// played in a new run of the program on the same machine. The playback must
// deal the same cards, see the same actions and leave the same chips, step
// for step: the shuffles' seeds, the opponents' choices and the table's
// timers all come back as they were.
#include "game/shell/GameImpl.h"
#include "game/table/GameMgr.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/PlayerI.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace

TEST(DemoWalk, ARecordedGamePlaysBackCardForCardWithTheSameActionsAndChips)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = walk::KnownPlayer("Ann");
    ann.noLimit = TableChoice{1, 4};
    walk::PutProfile(player, ann);
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
