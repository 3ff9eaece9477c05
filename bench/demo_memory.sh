#!/usr/bin/env bash
# What a demo costs in memory, set against its size: the peak resident
# memory of recording a demo of MEGABYTES and writing it, and of reading it
# to play it (bench_demo_memory, each in a process of its own, under
# /usr/bin/time), less that of a demo of nothing; and the same for the game
# itself playing that demo on a virtual X server (the demo made of one the
# game recorded, which closes its window, and MEGABYTES of commands behind
# the close that it reads but never reaches).
#
#   bench/demo_memory.sh [BUILD_FOLDER] [MEGABYTES]
#
# Needs: cmake --build build --target bench_demo_memory pellucor
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
megabytes=${2:-50}
bench=$build/bench/bench_demo_memory
game=$build/pellucor
[ -x "$bench" ] && [ -x "$game" ] || { echo "build first: cmake --build build --target bench_demo_memory pellucor" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak resident memory of the command, in MB; the command runs after
# $wrapper (the virtual X server for the game).
wrapper=()
peak() {
    "${wrapper[@]}" /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; return 1; }
    echo "scale=1; $(tail -1 "$work/time") / 1024" | bc
}

line() { # what, peak with nothing, peak with the demo
    printf '%-28s %8s MB %8s MB   %5s x the demo\n' "$1" "$2" "$3" "$(echo "scale=2; ($3 - $2) / $megabytes" | bc)"
}

printf '%-28s %11s %11s\n' "" "no demo" "${megabytes} MB demo"
line "recording and writing" "$(peak "$bench" record 0 "$work/none.dmo")" \
    "$(peak "$bench" record "$megabytes" "$work/big.dmo")"
line "reading to play" "$(peak "$bench" play "$work/none.dmo")" "$(peak "$bench" play "$work/big.dmo")"

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
    echo "the game itself: needs xvfb-run and xdotool"
    exit 0
fi
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
mkdir -p "$HOME"
# The game records a run whose window is closed (Alt+F4) once it shows.
cat >"$work/record.sh" <<EOF
"$game" -record "-demofile=$work/seed.dmo" &
window=\$(timeout 60 xdotool search --sync --onlyvisible --name Pellucor | head -1)
xdotool key --window "\$window" alt+F4
wait
EOF
timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$work/record.sh" >/dev/null 2>&1 || true
[ -s "$work/seed.dmo" ] || { echo "the game recorded no demo" >&2; exit 1; }
cp "$work/seed.dmo" "$work/game-big.dmo"
head -c "$((megabytes * 1024 * 1024))" /dev/zero >>"$work/game-big.dmo"
wrapper=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")
line "the game playing it" "$(peak "$game" -play "-demofile=$work/seed.dmo")" \
    "$(peak "$game" -play "-demofile=$work/game-big.dmo")"
