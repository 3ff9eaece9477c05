#!/usr/bin/env bash
# What a person starting the game sees and what the idle game costs, measured
# from outside on a virtual X server: the time from launch to the first
# painted frame, the windows it maps, its resident memory 10 s after launch,
# and its CPU and wake-ups per second while it sits idle on its first screen
# (seconds 10 to 30). When PokerTH (/usr/games/pokerth) is installed it is
# measured the same way in the same run, launches alternating, as the
# reference. Each launch gets a fresh X server and a fresh, empty home, which
# is removed only after the program has ended.
#
#   bench/launch_figures.sh [ROUNDS] [PROGRAM]
#
# Prints each launch's figures and then the medians. Needs the probe:
#   cmake --build build --target pellucor launch_probe
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
program=$(realpath "${2:-build/pellucor}")
probe=$(realpath build/bench/launch_probe 2>/dev/null || true)
reference=/usr/games/pokerth
[ -x "$program" ] && [ -x "$probe" ] ||
    { echo "build first: cmake --build build --target pellucor launch_probe" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# One launch of one program: its probe figures into $results/NAME.ROUND.
measure() {
    local name=$1 round=$2 binary=$3 home
    home=$(mktemp -d)
    # The probe waits for the program to end, so nothing here still writes
    # into the home when it is removed.
    HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
        xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
        "$probe" --rss-at 10 --idle-from 10 --idle-for 20 -- "$binary" >"$results/$name.$round" 2>/dev/null
    rm -rf "$home"
}

programs=(pellucor)
[ -x "$reference" ] && programs+=(pokerth)
for round in $(seq 1 "$rounds"); do
    for name in "${programs[@]}"; do
        binary=$program
        [ "$name" = pokerth ] && binary=$reference
        measure "$name" "$round" "$binary"
        echo "== $name, launch $round"
        cat "$results/$name.$round"
    done
done

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
figure() { grep -h "^$2=" "$results/$1".* | cut -d= -f2 | median; }

echo
echo "== medians of $rounds launches"
printf '%-10s %16s %12s %10s %14s %16s %14s\n' program first_frame_ms first_map_ms rss_mb idle_cpu_% wakeups_per_s windows_mapped
for name in "${programs[@]}"; do
    rss=$(figure "$name" rss_kb)
    printf '%-10s %16s %12s %10.1f %14s %16s %14s\n' "$name" "$(figure "$name" first_frame_ms)" \
        "$(figure "$name" first_map_ms)" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" \
        "$(figure "$name" idle_cpu_percent)" "$(figure "$name" wakeups_per_second)" "$(figure "$name" windows_mapped)"
done
