#!/usr/bin/env bash
# The real-time tests (the walks on the real back end under a virtual
# display) run again and again on a machine kept busy, as ./check runs them
# beside its next stage and as a CI machine of two cores would: prints each
# round's failures and, at the end, the rounds run and the tests failed.
#
#   bench/real_time_tests_under_load.sh [options] [BUILD_FOLDER]
#     -r ROUNDS     rounds (3)
#     -b LOOPS      busy loops beside the tests (one per core)
#     -c CPUS       runs the tests and the busy loops on these CPUs only
#                   (taskset's list, such as 0,1)
#     -j JOBS       tests at once (2, as ./check runs them)
#     -R PATTERN    only the tests that match (ctest -R)
#     -m COMMAND    a command run beside each round, again as it ends (such
#                   as a build of another folder)
set -euo pipefail
rounds=3
loops=$(nproc)
cpus=""
jobs=2
pattern=""
beside=""
while getopts "r:b:c:j:R:m:" option; do
    case $option in
    r) rounds=$OPTARG ;;
    b) loops=$OPTARG ;;
    c) cpus=$OPTARG ;;
    j) jobs=$OPTARG ;;
    R) pattern=$OPTARG ;;
    m) beside=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
build=$(realpath "${1:-build}")
[ -f "$build/CTestTestfile.cmake" ] || { echo "no build in $build" >&2; exit 2; }
pin=()
[ -z "$cpus" ] || pin=(taskset -c "$cpus")

helpers=()
trap 'for p in "${helpers[@]}"; do kill -- -"$p" 2>/dev/null || true; done' EXIT
for _ in $(seq 1 "$loops"); do
    setsid "${pin[@]}" bash -c 'while :; do :; done' &
    helpers+=($!)
done
if [ -n "$beside" ]; then
    setsid "${pin[@]}" bash -c "while :; do $beside >/dev/null 2>&1; done" &
    helpers+=($!)
fi

log=$(mktemp)
failed=0
for round in $(seq 1 "$rounds"); do
    status=0
    (cd "$build" && "${pin[@]}" ctest -L real-time -j "$jobs" --timeout 900 ${pattern:+-R "$pattern"} \
        --output-on-failure >"$log" 2>&1) || status=$?
    summary=$(grep -E 'tests passed|tests failed' "$log" | tail -1)
    echo "round $round (load $(cut -d' ' -f1 /proc/loadavg)): $summary"
    if [ "$status" -ne 0 ]; then
        grep -E '^\s+[0-9]+ - ' "$log" || true
        failed=$((failed + $(grep -cE '^\s+[0-9]+ - ' "$log")))
        cp "$log" "$build/real-time-under-load-round-$round.log"
    fi
done
rm -f "$log"
echo "$rounds rounds with $loops busy loops${cpus:+ on CPUs $cpus}${beside:+ and '$beside'}: $failed tests failed"
