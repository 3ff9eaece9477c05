// A whole table for tests, in a few lines: a scripted shell and profile, a
// virtual time system on a manual clock, and the table itself; plus a loop that plays on as a patient player would:
// it lets the next timer fire, delivers the table's queued steps, closes the
// announcements and the hand result, and lets a scripted human act.
//
// Threads: one thread (the test's).
#pragma once

#include "game/table/GameMgr.h"
#include "game/table/GameModule.h"
#include "platform/core/Clock.h"
#include "tests/support/ScriptedShell.h"
#include "tests/support/VirtualTimeSystem.h"

#include <functional>
#include <memory>
#include <random>
#include <string>

namespace ControlLibrary {
class IFactory;
}

namespace testing_support {

class TableHarness : public Gamespace::GameModuleObserver {
public:
    // `factory` may be null: the table then plays headless.
    explicit TableHarness(uint32_t seed = 1, ControlLibrary::IFactory* factory = nullptr);
    ~TableHarness() override;

    // A cash table of `players` seats in `gameType` (0..2) at stake `row`.
    void UseCashTable(uint32_t gameType, uint16_t players, uint16_t row = 0);
    // A fresh tournament from the catalogue.
    SavedGame& UseTournament(uint16_t tournamentId, uint16_t players);

    // Create (once) and Show.
    void Start();
    // One turn of the loop; false when nothing at all can happen any more.
    bool Step();
    // Steps until `done` holds; false when the table stalled or `maxSteps`
    // ran out first.
    bool RunUntil(const std::function<bool()>& done, uint64_t maxSteps = 1000000);

    void OnModuleDone(uint32_t moduleId) override;
    void RequestExit() override { ++exitRequests; }

    // The human's choice when the action dialog asks; the default plays a
    // random legal action with sensible amounts.
    std::function<void(Gamespace::HumanActionMessageObserver&)> humanPolicy;
    // The human's answer to a re-buy or add-on question.
    std::function<bool(uint8_t mode)> rebuyPolicy;
    // When false the hand-result dialog stays open until a test closes it.
    bool closeResults = true;
    // When false the stage and dealer announcements stay open.
    bool closeAnnouncements = true;
    // A finished table (module done) is sat down again.
    bool restartWhenDone = true;

    void DefaultHumanAction(Gamespace::HumanActionMessageObserver& human);
    // A human who only follows: calls what is due, checks when nothing is.
    static void CallOrCheck(Gamespace::HumanActionMessageObserver& human);

    platform::ManualClock clock;
    VirtualTimeSystem time;
    ScriptedShell shell;
    std::unique_ptr<Gamespace::GameMgr> table;
    std::mt19937 random;
    int modulesDone = 0;
    int exitRequests = 0;
    uint16_t tournamentId = 0;
    uint16_t tournamentPlayers = 0;

private:
    bool AnswerDialogs();
    std::unique_ptr<platform::ScopedClock> clockGuard_;
    bool restartPending_ = false;
    bool created_ = false;
};

} // namespace testing_support
