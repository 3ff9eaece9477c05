#!/usr/bin/env bash
# CPU use of the idle program: starts build/pellucor under a virtual X
# server, lets it settle on its first screen, then measures user + system
# CPU seconds over ten seconds of real time and prints them per wall second
# (1.0 would be one core kept busy).
#
#   bench/idle_cpu.sh [PROGRAM] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/pellucor}
seconds=${2:-10}
[ -x "$program" ] || { echo "build the program first: cmake --build build --target pellucor" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat >"$home/measure.sh" <<'INSIDE'
#!/usr/bin/env bash
set -euo pipefail
program=$1
seconds=$2
"$program" 2>/dev/null &
pid=$!
# The program may still be saving its settings when asked to end: wait for
# it, so that the home around it is not removed under its feet.
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true' EXIT
sleep 2 # start-up and the first screen are not idle time
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks $pid); w0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks $pid); w1=$(date +%s.%N)
awk -v t="$((t1 - t0))" -v hz="$hz" -v w0="$w0" -v w1="$w1" 'BEGIN {
    cpu = t / hz; wall = w1 - w0
    printf "idle CPU: %.3f s user+system over %.2f s wall = %.4f CPU seconds per wall second\n", cpu, wall, cpu / wall
}'
INSIDE
chmod +x "$home/measure.sh"
XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$home/measure.sh" "$(realpath "$program")" "$seconds"
