#!/usr/bin/env bash
# CPU use and wake-ups of the idle program: starts a program (build/pellucor
# unless another is named, such as a reference game) under a virtual X
# server with a home of its own, lets it settle on its first screen, then
# measures over ten seconds of real time:
#   - CPU seconds per wall second (1.0 would be one core kept busy), for the
#     whole process;
#   - wake-ups per second of each thread: its context switches (voluntary
#     and not), each a time the thread was put back to work.
#
#   bench/idle_cpu.sh [PROGRAM] [SECONDS]
#
# IDLE_CPU_DISPLAY=N runs the X server as display :N (for a machine shared
# with other X servers); otherwise the first free number is taken.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/pellucor}
seconds=${2:-10}
[ -x "$program" ] || { echo "build the program first: cmake --build build --target pellucor" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }

server=(-a)
[ -n "${IDLE_CPU_DISPLAY:-}" ] && server=(-n "$IDLE_CPU_DISPLAY")

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat >"$home/measure.sh" <<'INSIDE'
#!/usr/bin/env bash
set -euo pipefail
program=$1
seconds=$2
"$program" >/dev/null 2>&1 &
pid=$!
# The program may still be saving its settings when asked to end: wait for
# it, so that the home around it is not removed under its feet.
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true' EXIT
sleep 2 # start-up and the first screen are not idle time
# Nanoseconds on a processor so far, summed over the threads (the
# scheduler's own count: finer than the clock ticks of /proc/PID/stat).
runtime() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {printf "%d\n", n}'; }
# One line per thread: id, context switches so far, name.
switches() {
    for task in /proc/"$1"/task/*; do
        awk -v id="${task##*/}" -v name="$(cat "$task/comm" 2>/dev/null)" \
            '/^(non)?voluntary_ctxt_switches/ {n += $2} END {print id, n, name}' "$task/status" 2>/dev/null || true
    done
}
s0=$(switches $pid); t0=$(runtime $pid); w0=$(date +%s.%N)
sleep "$seconds"
s1=$(switches $pid); t1=$(runtime $pid); w1=$(date +%s.%N)
awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" 'BEGIN {
    cpu = (t1 - t0) / 1e9; wall = w1 - w0
    printf "idle CPU: %.4f s on a processor over %.2f s wall = %.5f CPU seconds per wall second\n", cpu, wall, cpu / wall
}'
# Threads alive at both readings.
awk -v w0="$w0" -v w1="$w1" '
    NR == FNR { before[$1] = $2; next }
    ($1 in before) { name = $3; for (i = 4; i <= NF; i++) name = name " " $i
                     rate = ($2 - before[$1]) / (w1 - w0); total += rate
                     if (rate > 0) line = line sprintf("  %s %.1f", name, rate) }
    END { printf "wake-ups: %.1f per second:%s\n", total, line }' <(echo "$s0") <(echo "$s1")
INSIDE
chmod +x "$home/measure.sh"
HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    xvfb-run "${server[@]}" -s "-screen 0 1280x1024x24" "$home/measure.sh" "$(realpath "$program")" "$seconds"
