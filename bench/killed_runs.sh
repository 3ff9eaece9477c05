#!/usr/bin/env bash
# The program killed (SIGKILL) at random moments of some 300 hands of a
# tournament at the fastest speed, and started again after each kill: the
# walk KilledRuns.EveryRestartFindsThePlayerWholeWithEveryFinishedHand
# (tests/game/walk/KilledRunsWalkTest.cpp, which ./check runs over some 24
# hands) at length. Prints how many runs were killed, over how many hands,
# and how many finished hands were lost at most. Then as many new
# tournaments as a tenth of the hands (every kind in turn), each killed in
# its first hand and again after the first hand back
# (KilledRuns.ANewTournamentKilledInItsFirstHandResumesAtItsWholeFirstLevel):
# every resume at level 1 with the level's whole time. Then OPTION_KILLS
# runs (100), each killed right after the player changed options
# (KilledRuns.EveryOptionChosenBeforeAKillIsInTheSettingsFile): no option
# chosen is lost.
#
#   bench/killed_runs.sh [BUILD_FOLDER] [HANDS] [SEED] [OPTION_KILLS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
hands=${2:-300}
seed=${3:-$RANDOM}
optionKills=${4:-100}
program=$build/tests/test_game_walk
[ -x "$program" ] || { echo "build it first: cmake --build build --target test_game_walk" >&2; exit 2; }
echo "seed $seed, $hands hands, $optionKills kills after options"
cd "$build/tests"
PELLUCOR_BINARY_DIR=$build PELLUCOR_KILLED_RUN_HANDS=$hands PELLUCOR_KILLED_RUN_SEED=$seed \
    PELLUCOR_KILLED_RUN_FIRST_HANDS=$(( (hands + 9) / 10 )) PELLUCOR_KILLED_RUN_OPTION_KILLS=$optionKills \
    "$program" --gtest_filter='KilledRuns.*'
