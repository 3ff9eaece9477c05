#!/usr/bin/env bash
# A box in front of the game, as a player meets it: the settings cannot be
# saved (their folder may not be written), so the program says so in a box
# over its start screen, in a window or in full screen, with the openbox
# window manager or with none. Three starts, one for each way of answering
# (Return, Escape, a click on OK); in each:
#  - the box is the program's own (no process of the program's runs it);
#  - the box stands above the game's window (the X server's stacking order)
#    and shows in a screenshot where it stands, its caption on it where no
#    window manager frames it;
#  - the box is a dialog of the game to a window manager (no minimise, no
#    maximise), and when the game comes back into view with the box up,
#    the game's picture shows again with the box in front of it;
#  - the box has the keyboard: the keys are pressed without choosing a
#    window, as a player presses them;
#  - a click on the game's close button and Alt+F4 typed into its window
#    while the box is up do nothing, then or after the box: the game goes
#    on and closes normally.
# Screenshots are kept in OUTPUT_FOLDER.
#
#   boxes_in_front.sh PROGRAM OUTPUT_FOLDER openbox|none window|full
#
# Exits 77 (skipped) when the X tools are not installed, or openbox when it
# is asked for.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
manager=${3:?openbox or none}
mode=${4:?window or full}
if [ "${PELLUCOR_IN_X_SERVER:-}" != 1 ]; then
    tools="xwininfo xprop"
    [ "$manager" = none ] || tools="$tools $manager"
    # Whoever runs the test as root may write any folder: the program then
    # runs without that power, as a player does.
    [ "$(id -u)" != 0 ] || tools="$tools setpriv"
    for tool in $tools; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
fi

# The child of the root window that holds window $1 (its frame, under a
# window manager), in decimal.
top_level() {
    local id=$1 root parent
    root=$(($(xwininfo -root | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')))
    while parent=$(($(xwininfo -id "$id" -children | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p'))) &&
        [ "$parent" -ne "$root" ]; do
        id=$parent
    done
    echo "$id"
}
# Where window $1 stands among the root's children, counted from the top
# (xwininfo lists them so).
stacking_place() {
    local want=$1 place=0 id
    for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        place=$((place + 1))
        [ "$((id))" -eq "$want" ] && { echo "$place"; return; }
    done
    echo 0
}
# Sets X, Y, WIDTH and HEIGHT to window $1's place on the screen (xdotool's
# place of a framed window is off by its frame).
geometry_of() {
    local info
    info=$(xwininfo -id "$1")
    X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
    HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}
face='abs(r*255-242)<2&&abs(g*255-242)<2&&abs(b*255-242)<2'
band='abs(r*255-52)<3&&abs(g*255-73)<3&&abs(b*255-94)<3'

# Settings that say where the game shows, and lack the note a first run
# writes at its start (so that the start saves them, and fails); a player
# profile named Ann as the game saves it, so the start screen needs no name.
prepare_files() {
    chmod -R u+w "$XDG_CONFIG_HOME" 2>/dev/null || true
    rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
    mkdir -p "$XDG_CONFIG_HOME/pellucor" "$XDG_DATA_HOME/Pellucor 1.5/save"
    local full=%00
    [ "$mode" = window ] || full=%01
    printf '%s\n' 'pellucor-registry 2' 'key SOFTWARE' 'key SOFTWARE\Tovrelly' 'key SOFTWARE\Tovrelly\Pellucor' \
        'key SOFTWARE\Tovrelly\Pellucor\Options' "value FullScreen 4 $full%00%00%00" 'end' \
        >"$XDG_CONFIG_HOME/pellucor/registry.txt"
    local ann="$XDG_DATA_HOME/Pellucor 1.5/save/Ann_.usr"
    { printf '\1\1\0\0Ann' && head -c 15 /dev/zero && printf '\n\0\0\0\n\0\0\0\n' && head -c 25 /dev/zero; } >"$ann"
    printf '\2\0\0' >>"$ann"
    chmod 555 "$XDG_CONFIG_HOME/pellucor"
}

# The screen position of a point of the game's 1024 x 768 picture, in the
# game's window $1 (scaled to fit in full screen).
picture_point() {
    local X Y WIDTH HEIGHT
    geometry_of "$1"
    awk -v x="$2" -v y="$3" -v X="$X" -v Y="$Y" -v W="$WIDTH" -v H="$HEIGHT" 'BEGIN {
        s = W / 1024 < H / 768 ? W / 1024 : H / 768
        printf "%d %d\n", X + (W - 1024 * s) / 2 + x * s, Y + (H - 768 * s) / 2 + y * s }'
}

# The box $1 is a dialog of the game $2 to a window manager: transient for
# the game, of a fixed size, with neither minimise (which takes the game
# along) nor maximise in what it asks of the manager (openbox draws its
# minimise button whatever a window asks); and when the game comes back into
# view with the box up (restored under a manager, mapped again without one),
# the game shows its picture again beside the box, which stands in front.
box_is_a_dialog_and_the_game_shows_again() {
    local box=$1 game=$2 folder=$3 props
    props=$(xprop -id "$box" _NET_WM_WINDOW_TYPE WM_TRANSIENT_FOR _MOTIF_WM_HINTS WM_NORMAL_HINTS)
    grep -q '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG$' <<<"$props" &&
        grep -q "WM_TRANSIENT_FOR(WINDOW): window id # $(printf 0x%x "$game")\$" <<<"$props" ||
        { echo "the box is not a dialog of the game:"; echo "$props"; exit 1; }
    # Motif: flags, functions (minimise 8, maximise 16, resize 2, all 1),
    # decorations (minimise 32, maximise 64, all 1).
    local flags=0 functions=0 decorations=0
    read -r flags functions decorations < <(sed -n 's/^_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = \([^,]*\), \([^,]*\), \([^,]*\),.*/\1 \2 \3/p' <<<"$props") || true
    [ $((${flags:-0} & 3)) -eq 3 ] && [ $((functions & (1 | 2 | 8 | 16))) -eq 0 ] && [ $((decorations & (1 | 32 | 64))) -eq 0 ] ||
        { echo "the box asks the window manager for minimise, maximise or resizing:"; echo "$props"; exit 1; }
    [ "$(sed -n 's/.*minimum size: //p' <<<"$props")" = "$(sed -n 's/.*maximum size: //p' <<<"$props")" ] ||
        { echo "the box can be resized:"; echo "$props"; exit 1; }
    if [ "$manager" != none ]; then
        ! xprop -id "$box" _NET_WM_ALLOWED_ACTIONS | grep -q 'MAXIMIZE\|RESIZE' ||
            { echo "the window manager lets the box be resized or maximised"; exit 1; }
        xdotool windowminimize "$game"
        for _ in $(seq 1 100); do
            [ -z "$(window_named 'Pellucor 1.5')" ] && break
            sleep 0.1
        done
        xdotool windowactivate "$game" 2>/dev/null || true
    else
        xdotool windowunmap --sync "$game"
        xdotool windowmap --sync "$game"
    fi
    # The wood of the start screen left of the box, not the black the
    # display leaves in a window that is not drawn again.
    local left top right bottom wood=0
    for _ in $(seq 1 100); do
        [ -n "$(window_named 'Pellucor 1.5')" ] || { sleep 0.1; continue; }
        read -r left top < <(picture_point "$game" 20 250)
        read -r right bottom < <(picture_point "$game" 120 450)
        shot "$folder/restored.png"
        wood=$(count_where "$folder/restored.png" $((right - left)) $((bottom - top)) "$left" "$top" 'r+g+b>0.1')
        [ "$wood" -ge $(((right - left) * (bottom - top) * 9 / 10)) ] && break
        sleep 0.1
    done
    echo "back in view: the game's picture shows on $wood of $(((right - left) * (bottom - top))) pixels beside the box"
    [ "$wood" -ge $(((right - left) * (bottom - top) * 9 / 10)) ] ||
        { echo "the game's window is not drawn again while the box is up"; exit 1; }
    [ "$(stacking_place "$(top_level "$box")")" -lt "$(stacking_place "$(top_level "$game")")" ] ||
        { echo "the box is under the game's window once the game is back"; exit 1; }
}

one_start() {
    local answer=$1 folder=$2
    prepare_files
    mkdir -p "$folder"
    local log=$folder/program.log
    local as_player=()
    [ "$(id -u)" != 0 ] || as_player=(setpriv --bounding-set -dac_override,-dac_read_search)
    PELLUCOR_DEBUG_OUTPUT=1 PELLUCOR_WEB_SERVER=http://127.0.0.1:9 setsid "${as_player[@]}" "$program" 2>"$log" &
    pid=$!
    trap 'kill -KILL -- -$pid 2>/dev/null || true' EXIT
    # The box comes once the game's window has drawn its first picture (a
    # full-screen start makes a window and then its full-screen one).
    local game box
    box=$(wait_for_window 'Settings')
    game=$(wait_for_window 'Pellucor 1.5')
    grep -q 'Settings: The settings could not be kept as they should be:' "$log" ||
        { echo "the warning is not on standard error while its box is up"; cat "$log"; exit 1; }

    # The box is the program's own, in its process: nothing of it can stay
    # behind when the program ends.
    local children
    children=$(grep -ls "^PPid:[[:space:]]*$pid\$" /proc/[0-9]*/status || true)
    [ -z "$children" ] || { echo "the box runs in a process of its own: $children"; exit 1; }

    # In front: above the game in the stacking order, and on the screen.
    local boxPlace gamePlace
    boxPlace=$(stacking_place "$(top_level "$box")")
    gamePlace=$(stacking_place "$(top_level "$game")")
    echo "$answer: box $box stands at $boxPlace, the game $game at $gamePlace (from the top)"
    [ "$boxPlace" -lt "$gamePlace" ] || { echo "the box is under the game's window"; exit 1; }
    shot "$folder/box.png"
    local X Y WIDTH HEIGHT
    geometry_of "$box"
    local shown
    shown=$(count_where "$folder/box.png" "$WIDTH" "$HEIGHT" "$X" "$Y" "$face")
    echo "the box's face shows on $shown of its $((WIDTH * HEIGHT)) pixels"
    [ "$shown" -ge $((WIDTH * HEIGHT / 2)) ] || { echo "the box does not show on the screen"; exit 1; }
    if [ "$manager" = none ]; then
        local caption
        caption=$(count_where "$folder/box.png" "$WIDTH" 24 "$X" "$Y" "$band")
        echo "no frame: the caption band shows on $caption pixels"
        [ "$caption" -ge $((WIDTH * 12)) ] || { echo "the box shows no caption of its own"; exit 1; }
    fi

    [ "$answer" != Return ] || box_is_a_dialog_and_the_game_shows_again "$box" "$game" "$folder"

    # A click on the game's close button while the box is up: a window
    # manager gives the game the keyboard for it, the box takes it back.
    xdotool mousemove --sync $(picture_point "$game" 1016 66) click 1
    for _ in $(seq 1 100); do
        [ "$(xdotool getwindowfocus)" = "$box" ] && break
        sleep 0.1
    done
    [ "$(xdotool getwindowfocus)" = "$box" ] || { echo "the box has not the keyboard"; exit 1; }
    # And Alt+F4 typed into the game's window (its close button shows in
    # full screen only).
    xdotool key --window "$game" alt+F4

    case $answer in
    Return | Escape) xdotool key "$answer" ;;
    mouse) xdotool mousemove --sync $((X + WIDTH - 16 - 42)) $((Y + HEIGHT - 14 - 14)) click 1 ;;
    esac
    wait_for_gone Settings || { echo "$answer did not answer the box"; exit 1; }
    # The game has drawn where the box stood (its loop ran on, and took
    # what was queued for it), or it has ended.
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        shot "$folder/after.png"
        [ "$(count_where "$folder/after.png" "$WIDTH" "$HEIGHT" "$X" "$Y" "$face")" -lt $((WIDTH * HEIGHT / 10)) ] && break
    done
    kill -0 "$pid" 2>/dev/null && [ -n "$(window_named 'Pellucor 1.5')" ] ||
        { echo "what was done under the box closed the game after it"; exit 1; }
    trap - EXIT
    close_and_expect_clean_exit "$game" "$pid" "$log"
}

box_walk() {
    program=$1
    local folder=$2
    rm -rf "$folder"
    if [ "$manager" != none ]; then
        start_window_manager "$manager" "$XDG_RUNTIME_DIR/$manager.log" || exit 1
    fi
    for answer in Return Escape mouse; do
        one_start "$answer" "$folder/$answer"
    done
    # (On a failure the manager ends with the X server.)
    [ "$manager" = none ] || kill "$manager_pid"
    echo "3 passed, 0 failed"
}

run_in_x_server box_walk "$@"
