#!/usr/bin/env bash
# Starts the program under a virtual X server, looks at its window, clicks
# the OK button of the framework's dialog and checks that the screen changed
# the way a player would see it: the grey dialog gives way to a red one.
# Then Alt+F4 must end the program normally.
#
#   framework_screen.sh PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail

program=$1
out=$2
for tool in xvfb-run xdotool xwd convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
mkdir -p "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

cat >"$home/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -euo pipefail
program=$1
out=$2
log=$out/program.log

shot() { xwd -root -silent | convert xwd:- "$1"; }
# The colour of one screen pixel as "r,g,b".
pixel() {
    convert "$1" -format '%[fx:round(255*p{'"$2"','"$3"'}.r)],%[fx:round(255*p{'"$2"','"$3"'}.g)],%[fx:round(255*p{'"$2"','"$3"'}.b)]' info:
}
# True when two "r,g,b" colours differ by at most 2 in every channel (the
# display may scale channels through its own pixel format).
near() {
    local IFS=,
    read -r r1 g1 b1 <<<"$1"
    read -r r2 g2 b2 <<<"$2"
    for d in $((r1 - r2)) $((g1 - g2)) $((b1 - b2)); do
        [ "${d#-}" -le 2 ] || return 1
    done
}
wait_for_line() {
    for _ in $(seq 1 100); do
        grep -q "$1" "$log" && return 0
        sleep 0.1
    done
    echo "the program never reported: $1"; cat "$log"; return 1
}

# Under AddressSanitizer the X, D-Bus and GL client libraries keep memory
# until exit, which the leak check would report as ours: it is off for this
# run (the unit tests check our own code for leaks).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
PELLUCOR_DEBUG_OUTPUT=1 "$program" 2>"$log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pellucor$' | head -1)
wait_for_line 'Dialog 1 first button at'
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
echo "window $window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq 768 ] || { echo "window is not 1024x768"; exit 1; }

shot "$out/before.png"
# Inside the first dialog, away from its buttons: its grey-blue face.
probe_x=$((X + 512)); probe_y=$((Y + 330))
before=$(pixel "$out/before.png" $probe_x $probe_y)
backdrop=$(pixel "$out/before.png" $((X + 40)) $((Y + 40)))
echo "before: dialog face $before, backdrop $backdrop"
near "$before" "70,70,90" || { echo "the first dialog is not on screen"; exit 1; }
near "$backdrop" "12,52,30" || { echo "the backdrop is not on screen"; exit 1; }

# Click the middle of the OK button, where the program says it is.
read -r bx by bw bh < <(sed -n 's/.*Dialog 1 first button at \([0-9]*\),\([0-9]*\) size \([0-9]*\)x\([0-9]*\).*/\1 \2 \3 \4/p' "$log" | head -1)
xdotool mousemove --window "$window" $((bx + bw / 2)) $((by + bh / 2))
sleep 0.3
xdotool click 1
wait_for_line 'Dialog 2 first button at'
sleep 1

shot "$out/after.png"
after=$(pixel "$out/after.png" $probe_x $probe_y)
echo "after: $after"
near "$after" "150,40,40" || { echo "the click did not bring up the second dialog"; exit 1; }
changed=$(compare -metric AE "$out/before.png" "$out/after.png" null: 2>&1 || true)
echo "pixels changed: $changed"
[ "${changed%%.*}" -gt 10000 ] || { echo "the screen hardly changed"; exit 1; }

# Alt+F4 closes the window; the program ends on its own, with its statistics.
xdotool windowfocus --sync "$window"
xdotool key alt+F4
for _ in $(seq 1 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "Alt+F4 did not end the program"; exit 1; fi
code=0
wait $pid || code=$?
trap - EXIT
[ "$code" -eq 0 ] || { echo "the program ended with $code"; cat "$log"; exit 1; }
grep -q 'Update Count' "$log" || { echo "the program did not leave its loop normally"; exit 1; }
echo "1 passed, 0 failed"
INSIDE
chmod +x "$home/inside.sh"

XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$home/inside.sh" "$program" "$out"
