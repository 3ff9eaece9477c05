#!/usr/bin/env bash
# A termination signal (SIGTERM: the session ends, or someone asks with
# kill) ends the game, however it is held, leaving no process of it:
#  - without any display, with a pipe named like a profile in its players'
#    folder: the game ends as quitting does (exit code 0), Ann's profile and
#    the pipe untouched (the pipe once held the start-up for good, and the
#    signal with it);
#  - under a virtual X server, with each kind of box up (a settings warning,
#    damaged player profiles, a fatal error before any window): the program
#    ends with exit code 0 (1 under the fatal error: the start failed) and
#    nothing of it is left running (a damaged
#    profile is told in the game's own notice, in its window). The box is
#    the one the program draws itself ("drawn": an X server without core
#    fonts) or the one the desktop offers ("system": the X server as it is;
#    where the system's box cannot show, the drawn one does), with the
#    window manager named or none. Screenshots of each box, and how long
#    each end took, in OUTPUT_FOLDER;
#  - with the system's boxes: SIGKILL under SDL's own box (no font to draw
#    one with) leaves nothing of the game running, and the next start is
#    not refused.
#
#   termination_signal.sh GAME
#   termination_signal.sh GAME OUTPUT_FOLDER drawn|system openbox|none
#
# Exits 77 (skipped) when the X tools or the window manager are not
# installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
source "$(dirname "$0")/ending_tools.sh"
game=$1
begin_ending_test

without_display() {
    own_machine "$work"
    unset DISPLAY WAYLAND_DISPLAY
    export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
    out=$work
    install=$work/install
    local save
    save=$(save_folder)
    mkdir -p "$install"
    cp "$game" "$(dirname "$game")/main.pak" "$(dirname "$game")/data.pak" "$install/"
    put_new_profile Ann
    cp "$save/Ann_.usr" "$work/ann-before"
    mkfifo "$save/Bob_.usr"
    # What a save killed long ago left: the game removes it as it starts to
    # read its players, which tells this script that the reading has begun.
    # No system gives out process numbers this high.
    : >"$save/Zed_.usr.tmp-999999999-0"

    run=no-display
    start_program_run "$install/$(basename "$game")"
    local _
    for _ in $(seq 600); do
        [ -e "$save/Zed_.usr.tmp-999999999-0" ] && kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ ! -e "$save/Zed_.usr.tmp-999999999-0" ] ||
        { echo "FAILED: the game did not come to reading its players"; cat "$log"; exit 1; }
    end_by "SIGTERM while the game reads its players" "$pid" TERM 0
    cmp -s "$save/Ann_.usr" "$work/ann-before" || fail "Ann's profile changed or went"
    [ -p "$save/Bob_.usr" ] || fail "the pipe was not left as it was"
}

# One run under an X server of its own: the box $1 (captioned $2) up, then
# SIGTERM.
under_box() {
    local kind=$1 caption=$2
    own_machine "$work/$kind"
    local fonts=()
    [ "$boxes" = system ] || fonts=(-fp built-ins)
    start_x_server "${fonts[@]}"
    local args=()
    case $kind in
    settings)
        mkdir -p "$XDG_CONFIG_HOME/pellucor"
        echo 'not a settings file' >"$XDG_CONFIG_HOME/pellucor/registry.txt"
        ;;
    profile)
        put_new_profile Ann
        echo 'not a profile' >"$(save_folder)/Bob_.usr"
        ;;
    fatal) args=(-bogus) ;;
    esac
    run=$kind
    start_program_run "$game" "${args[@]}"
    local box
    box=$(wait_for_window_named "$caption") || { fail "$kind: no box '$caption'"; cat "$log"; return; }
    local drawn=system
    ! xprop -id "$box" WM_CLASS | grep -q pellucor || drawn=drawn
    if [ "$kind" = profile ]; then
        # The game tells a damaged profile in its own notice, in its window.
        drawn="game's notice in the"
        local _
        for _ in $(seq 1 600); do
            grep -q 'Player files: The profile Bob_.usr was not loaded' "$log" && break
            sleep 0.1
        done
        grep -q 'Player files: The profile Bob_.usr was not loaded' "$log" ||
            { fail "$kind: the damaged profile was not told"; cat "$log"; return; }
    fi
    shot "$out/$kind-box.png"
    # A start that failed (the fatal error) stays a failure when the signal
    # ends it; the others end as quitting does.
    local expected=0
    [ "$kind" != fatal ] || expected=1
    end_by "$kind: SIGTERM under the $drawn box '$caption'" "$pid" TERM "$expected"
    kill "$x_server" 2>/dev/null || true
}

# SDL's own box (the settings warning without fonts): the game killed
# under it (SIGKILL, which nothing of the game sees) leaves nothing of it
# running, the box's process among them, and the next start is not refused
# as a copy already running.
killed_under_sdls_box() {
    start_under_sdls_box "$work/sdl-box" sdl-box "$game" || return
    shot "$out/sdl-box.png"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    local left _
    for _ in $(seq 1 600); do
        left=$(left_of_run)
        [ -n "$left" ] || break
        sleep 0.1
    done
    [ -z "$left" ] || fail "SIGKILL under SDL's box: left running: $left"
    start_again_without_fonts "SIGKILL under SDL's box" "$game"
    kill "$x_server" 2>/dev/null || true
}

if [ $# -eq 1 ]; then
    without_display
else
    out=$2
    boxes=$3
    manager=$4
    need_x_tools
    under_box settings Settings
    under_box profile 'Pellucor 1.5'
    under_box fatal 'FATAL ERROR'
    [ "$boxes" != system ] || killed_under_sdls_box
fi
[ "$failures" -eq 0 ] || { echo "standard error:"; sed 's/^/    /' "$log"; }
verdict
