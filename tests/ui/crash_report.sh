#!/usr/bin/env bash
# The crash handler in the running program, end to end. Twice, with a demo
# being recorded: the real program started with "-crash", and a test build
# of it (the same program with a fault on purpose linked in) that writes
# through a null pointer while it runs and takes input. Each time "crash.txt"
# (in the user's data folder) must begin with the access-violation line, list the calls that led there
# by their readable names out to main, and carry the application's lines,
# the demo must be there and whole (a readable header, every command of its
# stream complete, the closing padding command last), and the report viewer
# must have started as a process of its own. Its window must keep to its
# 400 x 300 on a 1280 x 1024 screen and on a 1024 x 768 one, scroll the
# report, and close with "Close Now" (screenshots in OUTPUT_FOLDER). None of
# it may hang on what the desktop offers: "-crash" runs with nothing on the
# program's path, the fault with xmessage alone, and the viewer alone with
# the path as it is, on an X server without core fonts. The viewer ends on
# SIGTERM, and where no display can be reached it puts the report on the
# terminal and ends.
#
#   crash_report.sh PROGRAM FAULTING_PROGRAM OUTPUT_FOLDER
#
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail
source "$(dirname "$0")/screen_tools.sh"
command -v python3 >/dev/null 2>&1 || { echo "skipped: python3 is not installed"; exit 77; }

# Reads a demo file whole: the header, then every command of the stream with
# its payload, bit by bit as the recorder wrote it. Prints the final update,
# the number of commands, how many were mouse commands and the last command.
read_demo_py=$(cat <<'PYTHON'
import struct, sys

data = open(sys.argv[1], "rb").read()
magic, version, seed, text_length = struct.unpack_from("<IIIH", data, 0)
assert magic == 0x42BEEF78, "not a demo file"
at = 14 + text_length
block_size, = struct.unpack_from("<I", data, at)
at += 4 + block_size
final_update, = struct.unpack_from("<I", data, at)
stream = data[at + 4:]
bits = len(stream) * 8
pos = 0

def take(count):
    global pos
    assert pos + count <= bits, "the stream breaks off inside a command"
    value = 0
    for i in range(count):
        value |= ((stream[(pos + i) // 8] >> ((pos + i) % 8)) & 1) << i
    pos += count
    return value

def take_bytes(count):
    for _ in range(count):
        take(8)

long_payloads = {0: 24, 1: 1, 2: 8, 3: 8, 4: 8, 6: 0, 7: 0, 8: 0, 9: 0, 12: 1, 21: 8, 23: 16, 31: 0}
commands = mouse = 0
last = None
# Every command takes 10 bits or more; fewer than 8 left are the zero bits
# that fill the last byte.
while bits - pos >= 8:
    take(4)
    short = take(1)
    ident = take(1 if short else 5)
    if short:
        take(12 if ident == 0 else 4)
        mouse += 1
    elif ident == 5:
        take(16 if take(1) else 8)
    elif ident == 11:
        if take(1):
            take(32)
            take_bytes(take(32))
    elif ident == 15:
        if take(1):
            take_bytes(take(32))
    elif ident == 17:
        take(40)
        take_bytes(take(16))
    elif ident == 18:
        take_bytes(take(32))
    else:
        assert ident in long_payloads, "unknown command %d" % ident
        take(long_payloads[ident])
        mouse += ident == 0
    commands += 1
    last = ("short " if short else "long ") + str(ident)
print(final_update, commands, mouse, last)
PYTHON
)


wait_for_text() {
    for _ in $(seq 1 300); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "never seen in $1: $2"; cat "$1"; return 1
}
# The frames of crash.txt in $1 must begin with the function $2 and reach
# main, each named readably with its module's offset, none repeated.
check_frames() {
    local frames
    frames=$(grep -aE '^[0-9A-F]{8,16} [0-9A-F]{8,16} ' "$1/crash.txt" | tr -d '\r')
    head -1 <<<"$frames" | grep -qF " $2" ||
        { echo "the first frame is not $2:"; echo "$frames"; exit 1; }
    grep -qE ' main\+[0-9A-F]+ \([^ ]+\+[0-9A-F]+\)$' <<<"$frames" ||
        { echo "the frames do not reach main:"; echo "$frames"; exit 1; }
    ! grep -q ' _Z' <<<"$frames" || { echo "a frame keeps its linker name:"; echo "$frames"; exit 1; }
    [ "$(wc -l <<<"$frames")" -lt 64 ] || { echo "the frames run to the limit:"; echo "$frames"; exit 1; }
}
# The crash window on this screen: its client area 400 x 300 wholly on the
# screen, the report scrolling in its box, and "Close Now" ending it.
# Screenshots $1/crash-window-$2.png and $1/crash-window-$2-scrolled.png.
check_crash_window() {
    local window screen_w screen_h
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Fatal Error!$' | head -1)
    [ -n "$window" ] || { echo "no crash window on the $2 screen"; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$window")"
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    echo "crash window at $X,$Y size ${WIDTH}x$HEIGHT on a ${screen_w}x$screen_h screen"
    [ "$WIDTH" -eq 400 ] && [ "$HEIGHT" -eq 300 ] || { echo "the crash window is not 400x300"; exit 1; }
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_w" ] && [ $((Y + HEIGHT)) -le "$screen_h" ] ||
        { echo "the crash window leaves the screen"; exit 1; }
    sleep 0.5
    shot "$1/crash-window-$2.png"
    xdotool mousemove --sync $((X + 150)) $((Y + 150)) click 5 click 5 click 5
    sleep 0.5
    shot "$1/crash-window-$2-scrolled.png"
    local before after
    before=$(convert "$1/crash-window-$2.png" -crop "380x164+$((X + 10))+$((Y + 94))" +repage -format '%#' info:)
    after=$(convert "$1/crash-window-$2-scrolled.png" -crop "380x164+$((X + 10))+$((Y + 94))" +repage -format '%#' info:)
    [ "$before" != "$after" ] || { echo "the wheel did not scroll the report"; exit 1; }
    xdotool mousemove --sync $((X + 200)) $((Y + 280)) click 1
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name '^Fatal Error!$' >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    echo "Close Now did not close the crash window"; exit 1
}
# The report is the user's: in the data folder, never beside the program.
# Once the viewer has shown it, it is moved to $1 for the checks that follow,
# and the next crash's report is its own.
check_report() {
    local report
    [ ! -e "$1/crash.txt" ] || { echo "a crash.txt beside the program in $1"; exit 1; }
    report=$(find "$XDG_DATA_HOME" -name crash.txt)
    [ -n "$report" ] && [ -f "$report" ] || { echo "no crash.txt in $XDG_DATA_HOME"; exit 1; }
    head -1 "$report" | grep -q '^Exception: Access Violation (code 0xc0000005) at address ' ||
        { echo "the report does not begin with the access violation:"; head -3 "$report"; exit 1; }
    for line in 'Product: Pellucor' 'Version: ' 'Time Loaded: ' 'Primary ThreadId: ' 'DDraw Ver: SDL ' \
                'DSound Ver: SDL '; do
        grep -q "$line" "$report" || { echo "the report lacks '$line'"; cat "$report"; exit 1; }
    done
    # The viewer, a process of its own, shows the report (on the terminal
    # when the desktop offers no window for it).
    wait_for_text "$1/program.log" 'An unexpected error has occured!'
    mv "$report" "$1/crash.txt"
}
# Prints "final-update commands mouse-commands last-command" of the one demo
# recorded in the data folder, and takes it away.
read_demo() {
    local demo
    demo=$(find "$XDG_DATA_HOME" -name zoltapp.dmo)
    [ -n "$demo" ] && [ -f "$demo" ] || { echo "no demo in $XDG_DATA_HOME" >&2; exit 1; }
    python3 -c "$read_demo_py" "$demo"
    rm -f "$demo"
}
# A folder to run in, with the program's archives.
run_folder() {
    mkdir -p "$1"
    ln -sf "$(dirname "$program")/main.pak" "$(dirname "$program")/data.pak" "$1/"
}

crash_test() {
    program=$1
    local faulting=$2
    out=$3
    rm -rf "$out"

    # ---- "-crash" ----
    run_folder "$out/requested"
    local code=0
    PATH=/nonexistent "$program" -record -crash "-changedir=$out/requested" 2>"$out/requested/program.log" || code=$?
    # ExitProcess with the exception code: its low byte is what the shell sees.
    [ "$code" -eq 5 ] || { echo "-crash ended with $code"; cat "$out/requested/program.log"; exit 1; }
    check_report "$out/requested"
    check_frames "$out/requested" 'Zolt::RaiseCrashReport()+'
    check_crash_window "$out" 1280x1024
    # The viewer alone, with the same report, on a smaller screen.
    with_x_server -screen 0 1024x768x24 -fp built-ins -- \
        env PELLUCOR_CRASH_REPORT="$out/requested/crash.txt" timeout 60 bash "$0" --viewer-window "$program" "$out"
    local final commands mouse last
    read -r final commands mouse last < <(read_demo)
    echo "-crash: demo of $commands commands up to update $final, last $last"
    [ "$last" = "long 31" ] || { echo "the demo does not end with the closing padding command"; exit 1; }

    # ---- a real fault while recording ----
    run_folder "$out/fault"
    local log=$out/fault/program.log
    mkdir -p "$out/fault/path"
    if command -v xmessage >/dev/null; then ln -s "$(command -v xmessage)" "$out/fault/path/"; fi
    PELLUCOR_FAULT_TRIGGER=$out/fault/now PELLUCOR_DEBUG_OUTPUT=1 PATH=$out/fault/path \
        PELLUCOR_PROGRAM_RUN="fault-$$" "$faulting" -record "-changedir=$out/fault" 2>"$log" &
    local pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    local window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Pellucor' | head -1)
    # Input for the demo to hold: moves across the window and a click.
    local step
    for step in 1 2 3 4 5 6; do
        xdotool mousemove --sync --window "$window" $((60 * step)) $((40 * step))
        sleep 0.1
    done
    xdotool click 1
    # A moment for the loop to take the input into the demo.
    sleep 1
    touch "$out/fault/now"
    code=0
    wait $pid || code=$?
    trap - EXIT
    [ "$code" -eq 139 ] || { echo "the fault ended the program with $code, not SIGSEGV"; cat "$log"; exit 1; }
    check_report "$out/fault"
    check_frames "$out/fault" '(anonymous namespace)::WriteThroughNull('
    read -r final commands mouse last < <(read_demo)
    echo "fault: demo of $commands commands ($mouse mouse) up to update $final, last $last"
    [ "$final" -gt 0 ] || { echo "the demo holds no update"; exit 1; }
    [ "$mouse" -ge 1 ] || { echo "the demo lost the input before the fault"; exit 1; }
    [ "$last" = "long 31" ] || { echo "the demo does not end with the closing padding command"; exit 1; }
    viewer_ends "$out"
    echo "4 passed, 0 failed"
}

# The viewer the fault started outlives the program, but not the session:
# it ends on SIGTERM; and started where no display can be reached, it puts
# the report on the terminal and ends by itself.
viewer_ends() {
    local marked="$screen_tools_folder/../../tools/marked-processes PELLUCOR_PROGRAM_RUN fault-$$" viewer _
    viewer=$($marked | cut -d' ' -f1) || true
    [ -n "$viewer" ] || { echo "no report viewer runs after the fault"; exit 1; }
    local since
    since=$(date +%s.%N)
    kill -TERM $viewer
    # Ended once nothing of the run is left (an ended viewer may wait a
    # while for whichever process took it over to reap it).
    for _ in $(seq 1 300); do
        $marked >/dev/null && break
        sleep 0.05
    done
    $marked >/dev/null || { echo "the report viewer did not end on SIGTERM"; exit 1; }
    echo "the report viewer ended $(awk -v from="$since" -v to="$(date +%s.%N)" 'BEGIN { printf "%.2f", to - from }') s after SIGTERM"
    local code=0
    env -u DISPLAY PELLUCOR_CRASH_REPORT="$1/fault/crash.txt" timeout 60 "$program" 2>"$1/viewer-without-display.log" ||
        code=$?
    [ "$code" -eq 0 ] || { echo "the viewer without a display ended with $code"; cat "$1/viewer-without-display.log"; exit 1; }
    grep -q 'cannot be shown in a window' "$1/viewer-without-display.log" &&
        grep -q '^Exception: Access Violation' "$1/viewer-without-display.log" ||
        { echo "the viewer without a display did not put the report on the terminal"; exit 1; }
}

# The report viewer started on its own (the report named in the
# environment) in the X server of the caller: its window, checked as above.
viewer_window() {
    "$1" 2>/dev/null &
    check_crash_window "$2" 1024x768
    wait
}

if [ "${1:-}" = --viewer-window ]; then
    shift
    viewer_window "$@"
    exit
fi
run_in_x_server crash_test "$@"
