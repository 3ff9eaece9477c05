#!/usr/bin/env bash
# Starts the game under a virtual X server as a player would, on a machine
# with no profiles and no settings: the window comes up at 1024 x 768 with
# the start screen (the home-page button at (52, 49), and the new-player
# dialog asking for a first name) and nothing the program failed to draw;
# closing the window ends the program, with exit code 0 and its loop left
# normally.
#
#   game_window.sh PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"

screen_test() {
    start_program "$1" "$2" '^Pellucor 1.5$'

    # The home-page button: a round green and gold emblem of 68 x 68 around
    # (52, 49); 30 s at most for the first frame to reach the screen.
    local lit=0
    for _ in $(seq 1 300); do
        shot "$out/start.png"
        lit=$(count_where "$out/start.png" 68 68 $((X + 18)) $((Y + 15)) 'r+g+b>0.3')
        [ "$lit" -ge 2000 ] && break
        sleep 0.1
    done
    echo "home-page button: $lit lit pixels"
    [ "$lit" -ge 2000 ] || { echo "the home-page button is not on screen"; exit 1; }
    if grep -E 'Failed to load|drawn off its bounds|Font Descriptor Error' "$log"; then
        echo "the program could not draw something"; exit 1
    fi

    trap - EXIT
    close_and_expect_clean_exit "$window" "$pid" "$log"
    echo "1 passed, 0 failed"
}

run_in_x_server screen_test "$@"
