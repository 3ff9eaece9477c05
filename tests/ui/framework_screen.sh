#!/usr/bin/env bash
# Starts the program under a virtual X server, looks at its window, clicks
# the OK button of the framework's dialog and checks that the screen changed
# the way a player would see it: the grey dialog gives way to a red one, and
# both show their texts (yellow lines, dark button labels). Then Alt+F4 must
# end the program normally.
#
#   framework_screen.sh PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"

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
# Checks that the button the program reported (in window coordinates) shows
# a label: dark glyph pixels on its light face, inside its border.
check_label() {
    local dark
    dark=$(count_where "$1" $(($4 - 8)) $(($5 - 8)) $((X + $2 + 4)) $((Y + $3 + 4)) 'r<0.3&&g<0.3&&b<0.3')
    echo "$6 button: $dark dark label pixels"
    [ "$dark" -ge 20 ] || { echo "the $6 button shows no label"; exit 1; }
}
# Checks that a dialog's text lines show: yellow glyph pixels in the band
# W H X Y (window coordinates).
check_lines() {
    local yellow
    yellow=$(count_where "$1" "$2" "$3" $((X + $4)) $((Y + $5)) 'r>0.7&&g>0.7&&b<0.4')
    echo "$6: $yellow yellow text pixels"
    [ "$yellow" -ge 40 ] || { echo "$6 shows no text"; exit 1; }
}
wait_for_line() {
    for _ in $(seq 1 300); do
        grep -q "$1" "$log" && return 0
        sleep 0.1
    done
    echo "the program never reported: $1"; cat "$log"; return 1
}
# Takes screenshots into $1 until the screen pixel X Y is near the colour
# $4 (the frame the program reported has reached the screen); 30 s at most.
wait_for_pixel() {
    for _ in $(seq 1 300); do
        shot "$1"
        near "$(pixel "$1" "$2" "$3")" "$4" && return 0
        sleep 0.1
    done
    echo "the screen never showed $4 at $2,$3"; return 1
}

screen_test() {
    start_program "$1" "$2" '^Pellucor$'
    wait_for_line 'Dialog 1 first button at'

    # Inside the first dialog, below its texts and above its buttons: its
    # grey-blue face.
    probe_x=$((X + 512)); probe_y=$((Y + 400))
    wait_for_pixel "$out/before.png" $probe_x $probe_y "70,70,90" || exit 1
    before=$(pixel "$out/before.png" $probe_x $probe_y)
    backdrop=$(pixel "$out/before.png" $((X + 40)) $((Y + 40)))
    echo "before: dialog face $before, backdrop $backdrop"
    near "$before" "70,70,90" || { echo "the first dialog is not on screen"; exit 1; }
    near "$backdrop" "12,52,30" || { echo "the backdrop is not on screen"; exit 1; }
    # The first dialog's line runs across its upper part (the box spans
    # x 312..712 from y 264).
    check_lines "$out/before.png" 360 80 332 284 "the first dialog"

    # Click the middle of the OK button, where the program says it is.
    read -r bx by bw bh < <(sed -n 's/.*Dialog 1 first button at \([0-9]*\),\([0-9]*\) size \([0-9]*\)x\([0-9]*\).*/\1 \2 \3 \4/p' "$log" | head -1)
    check_label "$out/before.png" "$bx" "$by" "$bw" "$bh" "OK"
    xdotool mousemove --sync --window "$window" $((bx + bw / 2)) $((by + bh / 2))
    xdotool click 1
    wait_for_line 'Dialog 2 first button at'

    wait_for_pixel "$out/after.png" $probe_x $probe_y "150,40,40" || { echo "the click did not bring up the second dialog"; exit 1; }
    after=$(pixel "$out/after.png" $probe_x $probe_y)
    echo "after: $after"
    near "$after" "150,40,40" || { echo "the click did not bring up the second dialog"; exit 1; }
    changed=$(compare -metric AE "$out/before.png" "$out/after.png" null: 2>&1 || true)
    echo "pixels changed: $changed"
    [ "${changed%%.*}" -gt 10000 ] || { echo "the screen hardly changed"; exit 1; }
    # The second dialog (x 212..812 from y 184) has its own line and a BACK button.
    check_lines "$out/after.png" 560 100 232 204 "the second dialog"
    read -r bx by bw bh < <(sed -n 's/.*Dialog 2 first button at \([0-9]*\),\([0-9]*\) size \([0-9]*\)x\([0-9]*\).*/\1 \2 \3 \4/p' "$log" | head -1)
    check_label "$out/after.png" "$bx" "$by" "$bw" "$bh" "BACK"

    # Alt+F4 closes the window; the program ends on its own, with its statistics.
    trap - EXIT
    close_and_expect_clean_exit "$window" "$pid" "$log"
    echo "1 passed, 0 failed"
}

run_in_x_server screen_test "$@"
