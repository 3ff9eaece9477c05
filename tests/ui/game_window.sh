#!/usr/bin/env bash
# Starts the game under a virtual X server as a player would, on a machine
# with no profiles and no settings: the window comes up at 1024 x 768 with
# the start screen (for now an empty screen with the home-page button at
# (52, 49)); closing the window ends the program, with exit code 0 and its
# loop left normally.
#
#   game_window.sh PROGRAM OUTPUT_FOLDER
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
# How many pixels of the area W H X Y of an image match an fx condition.
count_where() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -fx "($6)?1:0" -format '%[fx:round(mean*w*h)]' info:
}

export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
PELLUCOR_DEBUG_OUTPUT=1 "$program" 2>"$log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pellucor 1.5$' | head -1)
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
echo "window $window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq 768 ] || { echo "window is not 1024x768"; exit 1; }

shot "$out/start.png"
# The home-page button: a round green and gold emblem of 68 x 68 around
# (52, 49).
lit=$(count_where "$out/start.png" 68 68 $((X + 18)) $((Y + 15)) 'r+g+b>0.3')
echo "home-page button: $lit lit pixels"
[ "$lit" -ge 2000 ] || { echo "the home-page button is not on screen"; exit 1; }
if grep -E 'Failed to load|drawn off its bounds|Font Descriptor Error' "$log"; then
    echo "the program could not draw something"; exit 1
fi

xdotool windowfocus --sync "$window"
xdotool key alt+F4
for _ in $(seq 1 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "closing the window did not end the program"; exit 1; fi
code=0
wait $pid || code=$?
trap - EXIT
[ "$code" -eq 0 ] || { echo "the program ended with $code"; cat "$log"; exit 1; }
grep -q 'Update Count' "$log" || { echo "the program did not leave its loop normally"; exit 1; }
echo "1 passed, 0 failed"
INSIDE
chmod +x "$home/inside.sh"

HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$home/inside.sh" "$program" "$out"
