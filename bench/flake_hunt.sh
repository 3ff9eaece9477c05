#!/usr/bin/env bash
# The framework's tests and the headless walks, each test as a process of
# its own (as ctest runs them), run again and again with twice as many at
# once as the machine has cores: a test whose verdict hangs on how fast a
# thread or a helper process gets the processor fails here now and then.
# Prints the runs, how many ran at once, and every failure (its output is
# kept in BUILD_FOLDER/flake-hunt/); ends non-zero when any run failed.
#
#   bench/flake_hunt.sh [options] [BUILD_FOLDER]
#     -n RUNS       test runs in all (the list of tests is gone through again
#                   and again; 600)
#     -T SECONDS    starts no new run after this long (900)
#     -j JOBS       runs at once (twice the cores)
#     -p PROGRAMS   the test programs, a space-separated list (the
#                   framework's test_framework_* and the walks' test_game_walk)
#     -f FILTER     only the tests that match (a gtest filter, such as
#                   'AppTest.*')
#     -d MS         every thread a test starts waits this many milliseconds
#                   before it runs (the thread census's
#                   PELLUCOR_THREAD_START_DELAY_MS): a slow start every time
#                   instead of now and then
#     -b LOOPS      busy loops beside the runs (none)
#     -t SECONDS    the longest a run may take (300)
set -euo pipefail
runs=600
duration=900
jobs=$((2 * $(nproc)))
programs=""
filter="*"
delay=""
loops=0
limit=300
while getopts "n:T:j:p:f:d:b:t:" option; do
    case $option in
    n) runs=$OPTARG ;;
    T) duration=$OPTARG ;;
    j) jobs=$OPTARG ;;
    p) programs=$OPTARG ;;
    f) filter=$OPTARG ;;
    d) delay=$OPTARG ;;
    b) loops=$OPTARG ;;
    t) limit=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
build=$(realpath "${1:-build}")
[ -d "$build/tests" ] || { echo "no build in $build" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$build/tests"
if [ -z "$programs" ]; then
    programs="$(ls -1 test_framework_* 2>/dev/null | grep -v '\.cmake$' | tr '\n' ' ') test_game_walk"
fi

# The list: "program Suite.Name" a line, disabled tests left out.
list=$(mktemp)
results=$(mktemp)
helpers=()
trap 'for p in "${helpers[@]}"; do kill -- -"$p" 2>/dev/null || true; done; rm -f "$list" "$results"' EXIT
for program in $programs; do
    [ -x "$program" ] || { echo "no test program $program in $build/tests" >&2; exit 2; }
    ./"$program" --gtest_list_tests --gtest_filter="$filter" | awk -v program="$program" '
        /^[^ ]/ { suite = $1; next }
        /^  / { name = $1; if (suite !~ /DISABLED_/ && name !~ /^DISABLED_/) print program, suite name }' >>"$list"
done
tests=$(wc -l <"$list")
[ "$tests" -gt 0 ] || { echo "no test matches" >&2; exit 2; }

for _ in $(seq 1 "$loops"); do
    setsid bash -c 'while :; do :; done' &
    helpers+=($!)
done

logs="$build/flake-hunt"
rm -rf "$logs"
mkdir -p "$logs"
export PELLUCOR_SOURCE_DIR="$source_dir" PELLUCOR_BINARY_DIR="$build"
[ -z "$delay" ] || export PELLUCOR_THREAD_START_DELAY_MS="$delay"

# One run in slot `slot`: the slot names the walk's screenshot folder, so
# that two runs of one walk at the same time keep apart.
run_one() {
    local run=$1 slot=$2 program=$3 name=$4 log="$logs/run-$1.log" status=0 began
    began=$(date +%s.%N)
    PELLUCOR_WALK_VARIANT="flake-hunt-$slot" timeout -k 10 "$limit" ./"$program" --gtest_filter="$name" \
        >"$log" 2>&1 </dev/null || status=$?
    local took
    took=$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
    if [ "$status" -eq 0 ] && grep -qE '^\[  (PASSED  |SKIPPED )\] 1 test' "$log"; then
        echo "ok $program $name $took" >>"$results"
        rm -f "$log"
    else
        echo "FAIL $program $name $took status $status" >>"$results"
        echo "run $run failed: $program --gtest_filter=$name (status $status, $took s; $log)"
    fi
}

started=$(date +%s)
declare -a pids
for ((slot = 0; slot < jobs; slot++)); do pids[slot]=0; done
run=0
while [ "$run" -lt "$runs" ] && [ $(($(date +%s) - started)) -lt "$duration" ]; do
    free=-1
    while [ "$free" -lt 0 ]; do
        for ((slot = 0; slot < jobs; slot++)); do
            if [ "${pids[slot]}" -eq 0 ] || ! kill -0 "${pids[slot]}" 2>/dev/null; then
                free=$slot
                break
            fi
        done
        [ "$free" -ge 0 ] || wait -n 2>/dev/null || true
    done
    read -r program name < <(sed -n "$((run % tests + 1))p" "$list")
    run_one "$run" "$free" "$program" "$name" &
    pids[free]=$!
    run=$((run + 1))
done
# The runs still going (not the busy loops, which never end).
for pid in "${pids[@]}"; do
    [ "$pid" -eq 0 ] || wait "$pid" 2>/dev/null || true
done
elapsed=$(($(date +%s) - started))

total=$(wc -l <"$results")
failed=$(grep -c '^FAIL' "$results" || true)
echo "$total runs of $tests tests ($programs$([ "$filter" = "*" ] || echo ", filter $filter")), $jobs at once on $(nproc) cores${delay:+, threads started ${delay} ms late}$([ "$loops" -eq 0 ] || echo ", $loops busy loops"), in $elapsed s (load $(cut -d' ' -f1-3 /proc/loadavg)): $failed failed"
if [ "$failed" -gt 0 ]; then
    grep '^FAIL' "$results" | awk '{ print $2, $3 }' | sort | uniq -c | sort -rn
    exit 1
fi
