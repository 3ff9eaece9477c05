#!/usr/bin/env bash
# Runs the full-screen walk (tests/game/walk/FullScreenWalkTest.cpp), or the
# walks of it FILTER names, on the real back end in a virtual X server of the
# given size, with the openbox window manager running or with none. The walk
# saves a screenshot of the whole X screen after each step under
# tests/walk/full-screen in the build folder.
#
#   full_screen_walks.sh WALK_PROGRAM WIDTH HEIGHT openbox|none [FILTER]
#
# Exits 77 (skipped) when Xvfb, xwd, convert or xdotool is not installed,
# or openbox when the walk asks for it (tools/install-dependencies installs
# them all).
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"

program=$1
width=$2
height=$3
manager=$4
filter=${5:-FullScreenWalk.*}
if [ "${PELLUCOR_IN_X_SERVER:-}" != 1 ]; then
    tools="Xvfb xwd convert xdotool"
    [ "$manager" = none ] || tools="$tools $manager"
    for tool in $tools; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    with_x_server -screen 0 "${width}x${height}x24" -- \
        env PELLUCOR_IN_X_SERVER=1 XDG_RUNTIME_DIR="$runtime" HOME="$runtime" timeout 880 bash "$0" "$@"
    exit
fi

wait_for_x_server || exit 1
if [ "$manager" != none ]; then
    start_window_manager "$manager" "$XDG_RUNTIME_DIR/$manager.log" || exit 1
    trap 'kill $manager_pid 2>/dev/null || true' EXIT
fi
PELLUCOR_PLATFORM=sdl PELLUCOR_WALK_WINDOW_MANAGER=$manager PELLUCOR_WALK_VARIANT=${width}x${height}-$manager \
    "$program" --gtest_filter="$filter"
