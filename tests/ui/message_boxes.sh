#!/usr/bin/env bash
# The boxes the program draws itself, on a desktop where the system's box
# cannot show: an X server with only its built-in font (SDL's box wants a
# core font it lacks) and no zenity on the program's path, whatever the
# machine has installed. Each box says its text on standard error while it
# is up, shows in a window of its own, and is answered as a player does:
#  - a fatal start-up error (an unknown option), before any other window:
#    Return closes it and the program ends as it does after that box;
#  - a settings warning (a damaged settings file), in front of the game's
#    window once it shows: a click on OK closes it, the game goes on and
#    closes normally, and the warning was said once.
# Screenshots of both boxes are kept in OUTPUT_FOLDER.
#
#   message_boxes.sh PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
export X_SERVER_OPTIONS="-fp built-ins"

# Waits (10 s at most) for a window named NAME; prints its id.
wait_for_window() {
    local id
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) || true
    [ -n "$id" ] || { echo "no window named '$1'" >&2; return 1; }
    echo "$id"
}
wait_for_gone() {
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    echo "the window $1 did not go"; return 1
}
# How many pixels of the window's area in the screenshot have the colour
# of the drawn box's caption band (52, 73, 94).
band_pixels() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$2")"
    count_where "$1" "$WIDTH" 24 "$X" "$Y" 'abs(r*255-52)<3&&abs(g*255-73)<3&&abs(b*255-94)<3'
}

box_test() {
    program=$1
    local folder=$2
    rm -rf "$folder"
    mkdir -p "$folder"
    # The program finds no zenity (neither SDL's box nor ours runs it).
    printf '#!/bin/sh\nPATH=/nonexistent exec "%s" "$@"\n' "$program" >"$folder/program"
    chmod +x "$folder/program"

    # ---- a fatal error before any window ----
    local log=$folder/fatal.log
    "$folder/program" -bogus 2>"$log" &
    pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    local box
    box=$(wait_for_window 'FATAL ERROR')
    grep -q 'FATAL ERROR: Invalid command line parameter: -bogus' "$log" ||
        { echo "the error is not on standard error while its box is up"; cat "$log"; exit 1; }
    shot "$folder/fatal_box.png"
    local band
    band=$(band_pixels "$folder/fatal_box.png" "$box")
    echo "fatal error box: window $box, caption band $band pixels"
    [ "$band" -ge 3000 ] || { echo "the box is not drawn"; exit 1; }
    timeout 5 xdotool windowfocus --sync "$box"
    xdotool key Return
    local code=0
    wait "$pid" || code=$?
    trap - EXIT
    [ "$code" -eq 0 ] || { echo "the program ended with $code after its fatal error"; cat "$log"; exit 1; }

    # ---- a settings warning in front of the game ----
    mkdir -p "$XDG_CONFIG_HOME/pellucor"
    echo 'not a settings file' >"$XDG_CONFIG_HOME/pellucor/registry.txt"
    # (start_program sets pid, log and window.)
    start_program "$folder/program" "$folder/game" '^Pellucor 1.5$'
    local game=$window gameX=$X gameY=$Y
    box=$(wait_for_window 'Settings')
    grep -q 'Settings: The settings could not be kept as they should be:' "$log" ||
        { echo "the warning is not on standard error while its box is up"; cat "$log"; exit 1; }
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$box")"
    echo "settings box: window $box at $X,$Y size ${WIDTH}x$HEIGHT, over the game at $gameX,$gameY"
    local centreX=$((X + WIDTH / 2)) centreY=$((Y + HEIGHT / 2))
    [ $((centreX - gameX - 512)) -ge -2 ] && [ $((centreX - gameX - 512)) -le 2 ] &&
        [ $((centreY - gameY - 384)) -ge -2 ] && [ $((centreY - gameY - 384)) -le 2 ] ||
        { echo "the box is not in front of the middle of the game's window"; exit 1; }
    shot "$folder/settings_box.png"
    band=$(band_pixels "$folder/settings_box.png" "$box")
    [ "$band" -ge 3000 ] || { echo "the box is not drawn ($band band pixels)"; exit 1; }
    # OK is the one button, at the bottom right.
    xdotool mousemove --sync $((X + WIDTH - 16 - 42)) $((Y + HEIGHT - 14 - 14)) click 1
    wait_for_gone "$box" Settings
    [ -f "$XDG_CONFIG_HOME/pellucor/registry.txt.corrupt" ] || { echo "the damaged settings were not kept"; exit 1; }
    trap - EXIT
    close_and_expect_clean_exit "$game" "$pid" "$log"
    local said
    said=$(grep -c 'Settings: The settings could not be kept' "$log" || true)
    [ "$said" -eq 1 ] || { echo "the warning was said $said times"; cat "$log"; exit 1; }
    echo "2 passed, 0 failed"
}

run_in_x_server box_test "$@"
