#!/usr/bin/env bash
# Frames per second and CPU use of the program at the table (see
# bench/table_frames.cpp): runs build/bench/bench_table_frames under a
# virtual X server with a home of its own.
#
#   bench/table_frames.sh [BUILD_FOLDER] [SECONDS_PER_PHASE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
seconds=${2:-20}
program=$build/bench/bench_table_frames
[ -x "$program" ] || { echo "build it first: cmake --build build --target bench_table_frames" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The sound library's complaints about the missing sound card go to a log,
# shown only when the run fails.
if ! HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$build" "$seconds" 2>"$home/errors.log"; then
    grep -v '^ALSA lib' "$home/errors.log" >&2 || true
    exit 1
fi
