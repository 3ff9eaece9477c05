#!/usr/bin/env bash
# Runs the scripted walks (tests/game/walk) once more on the real back end:
# the SDL window in a virtual X server, the real clock and the time thread.
# Each walk saves a screenshot of every step under tests/walk/sdl in the
# build folder.
#
#   walks_under_x.sh WALK_PROGRAM [GTEST_FILTER]
#
# A filter runs only the walks it names (the long ones have a time budget of
# their own).
#
# Exits 77 (skipped) when Xvfb is not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"

program=$1
filter=${2:-*}
if [ "${PELLUCOR_IN_X_SERVER:-}" = 1 ]; then
    wait_for_x_server || exit 1
    exec "$program" --gtest_filter="$filter"
fi
command -v Xvfb >/dev/null 2>&1 || { echo "skipped: Xvfb is not installed"; exit 77; }
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
with_x_server -screen 0 1280x1024x24 -- \
    env PELLUCOR_IN_X_SERVER=1 PELLUCOR_PLATFORM=sdl XDG_RUNTIME_DIR="$runtime" timeout 880 bash "$0" "$@"
