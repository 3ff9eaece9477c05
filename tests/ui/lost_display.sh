#!/usr/bin/env bash
# The display comes and goes under the program, as a player meets it:
#  - the X server goes away (killed, as a crash or a restart ends it, or a
#    remote display dropped) under a running game at the start screen, at a
#    table and with Options open: each time the program ends by itself,
#    with exit code 1 and a line on standard error that the display went
#    away, leaving no process of it and no crash report; then a new start
#    over the same player files on a new X server shows its window (the
#    single-copy lock was let go), and a second start there is told that the
#    first came to the front;
#  - under SDL's own box (no font to draw one with), where the program
#    waits for the box's process: the X server going away ends it the same
#    way, and the window manager force-quitting the game's window (the
#    server closes the game's connection, as xkill has it do) too, the
#    box's process with it; the line is written once, and a new start gets
#    its window;
#  - a display that does not answer yet when the program starts (its X
#    server still starting) is waited for: the window shows once it answers.
# With the window manager named (openbox) or none. Screenshots of each
# state, and of the window after the new start, in OUTPUT_FOLDER.
#
#   lost_display.sh PROGRAM OUTPUT_FOLDER openbox|none
#
# Exits 77 (skipped) when the X tools or the window manager are not
# installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
source "$(dirname "$0")/ending_tools.sh"

program=$1
out=$2
manager=$3
need_x_tools
begin_ending_test
own_machine "$work"
put_new_profile Ann

# The program's window, once it shows; sets window, and X and Y of its
# client area on the screen (inside a frame the window manager gave it). In
# vain, says where each thread of the run waits.
find_game_window() {
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Pellucor 1.5$' | head -1) || true
    [ -n "$window" ] || {
        echo "no game window within two minutes"
        say_where_the_run_waits
        cat "$log"
        exit 1
    }
    X=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left X: *//p')
    Y=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left Y: *//p')
}
# (What the click did is waited for as a sight.)
click_at() {
    xdotool mousemove --window "$window" "$1" "$2" click 1 || { echo "could not click at $1,$2"; exit 1; }
}

# The start screen: its emblem lit (see game_window.sh).
see_start_screen() { wait_for_sight "the start screen" 68 68 18 15 2000 'r+g+b>0.3'; }

# Brings the running game to the state $1.
go_to() {
    see_start_screen
    case $1 in
    start) ;;
    table)
        click_at 402 370 # Limit
        # The set-up screen's Start button, red where the start screen
        # shows its wood (a window shows no close button of the game's).
        wait_for_sight "the set-up screen" 90 20 867 694 400 'r>g+0.2&&r>b+0.2'
        click_at 911 703 # Start
        # The felt left of the table's middle.
        wait_for_sight "the table" 100 20 150 330 2000 'g>r+0.05&&g>b'
        ;;
    options)
        click_at 111 734
        # The dialog's panel where the start screen shows its wood.
        wait_for_sight "the Options dialog" 150 15 330 245 2000 'g>r+0.03'
        ;;
    esac
}

lost_under() {
    local state=$1
    start_x_server
    run=lost-$state
    start_program_run "$program"
    find_game_window
    go_to "$state"
    shot "$out/$state.png"
    # Killed, as a crash ends it.
    end_by "$state: the X server went away" "$x_server" KILL 1
    said_once "$state"
    [ -z "$(find "$XDG_DATA_HOME" -name crash.txt)" ] || fail "$state: a crash report was written"

    # A new start over the same player files, on a new display.
    start_x_server
    run=after-$state
    start_program_run "$program"
    find_game_window
    see_start_screen
    shot "$out/$state-then-new-start.png"
    local first=$pid firstLog=$log
    run=second-after-$state
    start_program_run "$program"
    wait_for_end "$(date +%s.%N)"
    grep -q 'is already running; its window was brought to the front.' "$log" ||
        fail "$state: a second start was not told that the first came forward: $(cat "$log")"
    pid=$first
    log=$firstLog
    run=after-$state
    end_by "$state: SIGTERM to the new start" "$pid" TERM 0
    kill "$x_server" 2>/dev/null || true
}

# Standard error says once which display went away, and why ($1 names the
# case).
said_once() {
    local lines
    lines=$(grep -c 'went away' "$log" || true)
    [ "$lines" -eq 1 ] || fail "$1: the display's going was said $lines times: $(cat "$log")"
    grep -qE '^The display :[0-9]+(\.[0-9]+)? went away \(the X server closed the connection\); the program ends\.$' \
        "$log" || fail "$1: standard error does not say which display went away, and why: $(cat "$log")"
}

# What a window manager does to force-quit the window $1 (xkill's way).
force_quit() { xkill -id "$1" >/dev/null; }

# The program waiting for SDL's own box: the X server goes away (killed),
# or the window manager force-quits the game's window ("force-quit"); the
# program ends at once with exit code 1, the box's process with it, saying
# so once; after a force-quit a new start on the same display shows its
# window.
under_sdls_box() {
    local how=$1
    start_under_sdls_box "$work/sdl-box-$how" "sdl-box-$how" "$program" || return
    local game_window
    game_window=$(wait_for_window_named 'Pellucor 1.5') || { fail "$how: no game window behind SDL's box"; return; }
    shot "$out/sdl-box-$how.png"
    if [ "$how" = force-quit ]; then
        end_after "the game's window force-quit under SDL's box" 1 force_quit "$game_window"
        said_once "$how under SDL's box"
        shot "$out/sdl-box-force-quit-after.png"
        start_again_without_fonts "a force-quit under SDL's box" "$program"
        kill "$x_server" 2>/dev/null || true
    else
        end_by "the X server went away under SDL's box" "$x_server" KILL 1
        said_once "$how under SDL's box"
    fi
}

# The display named before its X server starts: the program waits for it.
late_display() {
    local number=$((200 + RANDOM % 400))
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    run=late-display
    DISPLAY=:$number start_program_run "$program"
    local _
    for _ in $(seq 1 1200); do
        grep -q 'does not answer yet' "$log" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    grep -q 'does not answer yet' "$log" || { fail "the program did not wait for its display"; cat "$log"; return; }
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    x_server=$!
    disown "$x_server"
    export DISPLAY=:$number
    wait_for_x_server
    find_game_window
    see_start_screen
    echo "late display: the window showed once the X server answered"
    kill -TERM "$pid"
    wait_for_end "$(date +%s.%N)"
    kill "$x_server" 2>/dev/null || true
}

for state in start table options; do
    lost_under "$state"
done
late_display
under_sdls_box server-ends
under_sdls_box force-quit
verdict
