#!/usr/bin/env bash
# The program's boxes on three desktops, with the same facts checked on each
# (whatever the machine offers, the program draws its box itself: its
# caption band is looked for):
#  - desktop: the machine as it is (the X server's core fonts, the programs
#    on the path, zenity among them where installed);
#  - xmessage: the same X server, and of the desktop's dialog programs only
#    xmessage on the program's path;
#  - none: an X server with only its built-in font and nothing on the
#    program's path (OK is clicked).
# Each box says its text on standard error while it is up, shows in a window
# named by its caption, and is answered as a player does:
#  - a fatal start-up error (an unknown option), before any other window:
#    Return closes it, pressed without choosing a window (on "none", the
#    session ends instead, SIGTERM) and the program ends as it does after
#    that box, with a failure's exit code;
#  - a settings warning (a damaged settings file), in front of the game's
#    window once it shows: answered, the game goes on and closes normally,
#    and the warning was said once.
# Screenshots of both boxes are kept in OUTPUT_FOLDER.
#
#   message_boxes.sh PROGRAM OUTPUT_FOLDER desktop|xmessage|none
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
desktop=${3:?which desktop: desktop, xmessage or none}
[ "$desktop" != none ] || export X_SERVER_OPTIONS="-fp built-ins"
command -v xwininfo >/dev/null 2>&1 || { echo "skipped: xwininfo is not installed"; exit 77; }

# Return, where the keyboard is (a key pressed as the box comes up may be
# missed: the callers press until it goes).
press_return() {
    xdotool key Return 2>/dev/null || true
}
# How many pixels of the window's area in the screenshot have the colour
# of the drawn box's caption band (52, 73, 94).
band_pixels() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$2")"
    count_where "$1" "$WIDTH" 24 "$X" "$Y" 'abs(r*255-52)<3&&abs(g*255-73)<3&&abs(b*255-94)<3'
}
# The box $2 in the screenshot $1: the program drew it, its band shows.
check_drawn() {
    local band
    band=$(band_pixels "$1" "$2")
    echo "drawn box: caption band $band pixels"
    [ "$band" -ge 3000 ] || { echo "the box is not drawn"; exit 1; }
}

box_test() {
    program=$1
    local folder=$2
    rm -rf "$folder"
    mkdir -p "$folder/path"
    local path=$PATH
    case $desktop in
    xmessage)
        path=$folder/path
        if command -v xmessage >/dev/null; then ln -s "$(command -v xmessage)" "$folder/path/"; fi
        ;;
    none) path=/nonexistent ;;
    esac
    printf '#!/bin/sh\nPATH=%s exec "%s" "$@"\n' "$path" "$program" >"$folder/program"
    chmod +x "$folder/program"

    # ---- a fatal error before any window ----
    local log=$folder/fatal.log
    setsid "$folder/program" -bogus 2>"$log" &
    pid=$!
    trap 'kill -- -$pid 2>/dev/null || true' EXIT
    local box
    box=$(wait_for_window 'FATAL ERROR')
    grep -q 'FATAL ERROR: Invalid command line parameter: -bogus' "$log" ||
        { echo "the error is not on standard error while its box is up"; cat "$log"; exit 1; }
    shot "$folder/fatal_box.png"
    echo "fatal error box: window $box"
    check_drawn "$folder/fatal_box.png" "$box"
    # The session ends while the drawn box is up: it goes unanswered.
    [ "$desktop" != none ] || kill -TERM "$pid"
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        [ "$desktop" = none ] || press_return
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && { echo "the program did not end"; exit 1; }
    local code=0
    wait "$pid" || code=$?
    trap - EXIT
    # A start that did not happen is no success, whether the box was
    # answered or the session ended under it.
    [ "$code" -eq 1 ] || { echo "the program ended with $code after its fatal error"; cat "$log"; exit 1; }

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
    [ "$X" -ge "$gameX" ] && [ "$Y" -ge "$gameY" ] &&
        [ $((X + WIDTH)) -le $((gameX + 1024)) ] && [ $((Y + HEIGHT)) -le $((gameY + 768)) ] ||
        { echo "the box is not in front of the game's window"; exit 1; }
    shot "$folder/settings_box.png"
    check_drawn "$folder/settings_box.png" "$box"
    if [ "$desktop" = none ]; then
        # The drawn box stands in the middle of the game; OK is its one
        # button, at the bottom right.
        local centreX=$((X + WIDTH / 2 - gameX - 512)) centreY=$((Y + HEIGHT / 2 - gameY - 384))
        [ "${centreX#-}" -le 2 ] && [ "${centreY#-}" -le 2 ] ||
            { echo "the box is not in the middle of the game's window"; exit 1; }
        xdotool mousemove --sync $((X + WIDTH - 16 - 42)) $((Y + HEIGHT - 14 - 14)) click 1
    else
        for _ in $(seq 1 50); do
            [ -n "$(window_named Settings)" ] || break
            press_return
            sleep 0.1
        done
    fi
    wait_for_gone Settings
    [ -f "$XDG_CONFIG_HOME/pellucor/registry.txt.corrupt" ] || { echo "the damaged settings were not kept"; exit 1; }
    trap - EXIT
    close_and_expect_clean_exit "$game" "$pid" "$log"
    local said
    said=$(grep -c 'Settings: The settings could not be kept' "$log" || true)
    [ "$said" -eq 1 ] || { echo "the warning was said $said times"; cat "$log"; exit 1; }
    echo "2 passed, 0 failed"
}

run_in_x_server box_test "$@"
