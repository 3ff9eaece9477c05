#!/usr/bin/env bash
# The game started as soon as the screen tests' set-up takes the window
# manager for ready (start_window_manager, screen_tools.sh), with the
# manager slow to finish its start: openbox's menu file is a pipe that gives
# the menu only once the game has made its window (or after ten seconds), as
# a slow disk would just after openbox has published its list of windows.
# The game's window shows, framed by openbox, within a minute; SIGTERM then
# ends the program with exit code 0, leaving nothing of it running. A
# screenshot of the window in OUTPUT_FOLDER.
#
#   window_manager_slow_to_start.sh PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools or openbox are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
source "$(dirname "$0")/ending_tools.sh"

program=$1
out=$2
manager=openbox
need_x_tools
begin_ending_test
own_machine "$work"
put_new_profile Ann

# openbox reads its menu (menu.xml in the settings folder first) after it
# has claimed the screen and published its list of windows; read from a
# pipe, it waits there until the pipe is written.
menu=$XDG_CONFIG_HOME/openbox/menu.xml
mkdir -p "$(dirname "$menu")"
mkfifo "$menu"

# The X server alone (the manager named for this call only); the window
# manager is started below.
manager=none start_x_server

# The menu is given once a window of the game exists (it maps it right
# after), or after ten seconds when the set-up waits for openbox first, as
# it should.
(
    for _ in $(seq 1 100); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Pellucor 1.5"' && { sleep 1; break; }
        sleep 0.1
    done
    printf '<openbox_menu xmlns="http://openbox.org/3.4/menu"><menu id="root-menu" label="Openbox 3"/></openbox_menu>\n' \
        >"$menu"
) &

start_window_manager openbox "$work/openbox.log" || exit 1
run=game
start_program_run "$program"
if window=$(wait_for_window_named 'Pellucor 1.5'); then
    parent=$(xwininfo -id "$window" -children | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    root=$(xwininfo -root | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
    [ "$parent" != "$root" ] || fail "the game's window shows, but openbox did not frame it"
    shot "$out/window.png"
else
    fail "no game window within a minute of its start, openbox having been slow to start: $(xprop -root _NET_CLIENT_LIST)"
    cat "$log"
fi
end_by "SIGTERM to the game" "$pid" TERM 0
kill "$x_server" 2>/dev/null || true
verdict
