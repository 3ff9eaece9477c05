# What the tests of the program's ending share (sourced, not run, after
# screen_tools.sh): a machine of the test's own, X servers of its own that
# it can end as a crash would, the program started so that every process of
# it can be found afterwards, and the wait for its end.

# A work folder ($work), taken away with all the test started when the
# script ends, however it ends; and the count of failed checks, which
# `fail` adds to and `verdict` reports.
begin_ending_test() {
    work=$(mktemp -d)
    trap 'take_away_what_the_test_started; rm -rf "$work"' EXIT
    # A step that fails ends the script (set -e): it says which.
    set -E
    trap 'echo "FAILED: $(basename "$0") line $LINENO stopped at: $BASH_COMMAND"' ERR
    failures=0
}
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
verdict() {
    echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# Skips the test (77) unless the X tools it uses, and the window manager
# $manager when not "none", are installed; makes the output folder $out
# afresh.
need_x_tools() {
    local tool tools="Xvfb xdotool xwd convert xwininfo xprop xkill"
    [ "$manager" = none ] || tools="$tools $manager"
    for tool in $tools; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    rm -rf "$out"
    mkdir -p "$out"
}

# Home, data, settings and runtime folders of the test's own, under $1;
# every process started from here on is marked (screen_tools.sh) and taken
# away when the script ends.
own_machine() {
    export HOME=$1/home XDG_DATA_HOME=$1/data XDG_CONFIG_HOME=$1/config XDG_RUNTIME_DIR=$1
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
    mark_what_the_test_starts
    # The version and news pages are asked of a loopback port where nothing
    # listens: a test never reaches an outside address.
    export PELLUCOR_WEB_SERVER=http://127.0.0.1:9
    # Under AddressSanitizer the X client libraries keep memory until exit.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}

# The folder of the game's players on this machine.
save_folder() { echo "$XDG_DATA_HOME/Pellucor 1.5/save"; }

# A player as a new profile is saved: 59 bytes, named $1 (three letters).
put_new_profile() {
    mkdir -p "$(save_folder)"
    {
        printf '\001\001\000\000%s' "$1"
        head -c 12 /dev/zero
        printf '\000\000\000\012\000\000\000\012\000\000\000\012'
        head -c 24 /dev/zero
        printf '\000\002\000\000'
    } >"$(save_folder)/$1_.usr"
}

# Waits (a minute at most) for the X server at $DISPLAY to answer.
wait_for_x_server() {
    local _
    for _ in $(seq 1 600); do
        xwininfo -root >/dev/null 2>&1 && return
        sleep 0.1
    done
    echo "the X server at $DISPLAY does not answer"
    exit 1
}

# Starts a virtual X server of the test's own on a display it picks (with
# arguments $@ added; it does not reset as its last client leaves, which
# would refuse the next one for a moment), and the window manager $manager unless it is "none";
# sets x_server (its process) and DISPLAY once the server answers.
start_x_server() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 3>"$number_file" >/dev/null 2>&1 &
    x_server=$!
    disown "$x_server" # ended on purpose: the shell need not say so
    local _
    for _ in $(seq 1 600); do
        [ -s "$number_file" ] && break
        sleep 0.1
    done
    [ -s "$number_file" ] || { echo "the X server did not start"; exit 1; }
    export DISPLAY=":$(head -1 "$number_file")"
    rm -f "$number_file"
    wait_for_x_server
    [ "${manager:-none}" = none ] && return
    start_window_manager "$manager" "$work/$manager.log" || exit 1
}

# Starts PROGRAM with its arguments in a session of its own, its standard
# output and error in $out/$run.log; every process it starts carries the mark of this
# run (PELLUCOR_PROGRAM_RUN=$run) so that what is left of it can be found.
# Sets pid and log. $run names the run.
start_program_run() {
    log=$out/$run.log
    PELLUCOR_DEBUG_OUTPUT=1 PELLUCOR_PROGRAM_RUN="$PELLUCOR_TEST_RUN-$run" setsid "$@" >"$log" 2>&1 &
    pid=$!
}

# The processes of the program's run $run still there ("pid command" a line).
left_of_run() {
    "$screen_tools_folder/../../tools/marked-processes" PELLUCOR_PROGRAM_RUN "$PELLUCOR_TEST_RUN-$run" || true
}

# Waits (a minute at most) for the program $pid to end; sets code (its exit
# status, "" when it did not end) and seconds (how long it took since
# $1, a `date +%s.%N` stamp).
wait_for_end() {
    code=""
    local _
    for _ in $(seq 1 3000); do
        if ! kill -0 "$pid" 2>/dev/null; then
            code=0
            wait "$pid" || code=$?
            break
        fi
        sleep 0.02
    done
    seconds=$(awk -v from="$1" -v to="$(date +%s.%N)" 'BEGIN { printf "%.2f", to - from }')
}

# Sends the signal $3 to the process $2 (the program $pid, or its X
# server), and expects the program to end by itself with the exit code $4,
# leaving no process of its run; $1 says what happened, for the messages.
end_by() {
    end_after "$1" "$4" kill "-$3" "$2"
}

# Runs the command $3... (what happens to the program, $1 for the
# messages), and expects the program to end by itself with the exit code
# $2, leaving no process of its run.
end_after() {
    local what=$1 expected=$2 since left
    shift 2
    since=$(date +%s.%N)
    "$@"
    wait_for_end "$since"
    echo "$what: the program ended with ${code:-nothing} after $seconds s"
    if [ -z "$code" ]; then
        fail "$what: the program did not end within a minute"
        kill -KILL "$pid" 2>/dev/null || true
    elif [ "$code" -ne "$expected" ]; then
        fail "$what: the program ended with $code, not $expected"
    fi
    left=$(left_of_run)
    [ -z "$left" ] || fail "$what: left running: $left"
}

# Where each process of the run $run waits, a line per thread: its name,
# its state and the system call it is in (its number and arguments, as the
# system shows them), and, where a debugger is at hand, the calls each thread
# is in: for the message of a test that waited in vain (screen_tools.sh).
say_where_the_run_waits() { left_of_run | say_where_processes_wait; }

# Waits (a minute at most) for the window named $1 while the program runs;
# in vain, says (on standard error) where each thread of the run waits.
wait_for_window_named() {
    local id _
    for _ in $(seq 1 600); do
        id=$(window_named "$1")
        [ -n "$id" ] && { echo "$id"; return; }
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "no window named '$1'" >&2
    say_where_the_run_waits >&2
    return 1
}

# Waits (a minute at most) until the area W H X Y of the game's window
# ($window, else the one at $X, $Y) has at least N pixels meeting the fx condition C; $1 names the
# sight for the message.
wait_for_sight() {
    local name=$1 width=$2 height=$3 left=$4 top=$5 least=$6 condition=$7 count=0 _
    for _ in $(seq 1 600); do
        # The window can still move after it was first seen (framed and
        # placed by its manager, or placed by the program): where it stands
        # is read again at each look.
        local info
        if [ -n "${window:-}" ] && info=$(xwininfo -id "$window" 2>/dev/null); then
            X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
            Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
        fi
        shot "$out/sight.png"
        count=$(count_where "$out/sight.png" "$width" "$height" $((X + left)) $((Y + top)) "$condition")
        [ "$count" -ge "$least" ] && return
        sleep 0.1
    done
    echo "never saw $name ($count of $least pixels)"
    exit 1
}

# The program under SDL's own box, which shows only where no font can be
# found to draw one: a machine of its own under $1 whose settings cannot be
# read (the warning is the box, captioned "Settings"), an X server of its
# own with a font SDL's box can write with (it uses the X server's own
# fonts, which a machine may lack: the server is given one, made of a font
# file installed here), and no font for the program ($3). Sets box (the
# box's window), no_fonts (the font settings that find none) and what
# start_program_run sets, the run named $2; fails (1) when the box is not
# SDL's.
start_under_sdls_box() {
    own_machine "$1"
    mkdir -p "$1/x-fonts"
    ln -s "$(fc-match -f '%{file}' sans)" "$1/x-fonts/box.ttf"
    printf '1\nbox.ttf -misc-box-medium-r-normal--0-0-0-0-p-0-iso8859-1\n' >"$1/x-fonts/fonts.dir"
    start_x_server -fp "built-ins,$1/x-fonts"
    mkdir -p "$XDG_CONFIG_HOME/pellucor" "$1/fonts"
    echo 'not a settings file' >"$XDG_CONFIG_HOME/pellucor/registry.txt"
    no_fonts=$1/no-fonts.conf
    printf '<fontconfig><cachedir>%s</cachedir></fontconfig>\n' "$1/fonts" >"$no_fonts"
    run=$2
    FONTCONFIG_FILE=$no_fonts start_program_run "$3"
    box=$(wait_for_window_named Settings) || {
        fail "$run: no box 'Settings' without fonts"
        cat "$log"
        return 1
    }
    ! xprop -id "$box" WM_CLASS | grep -q pellucor || { fail "$run: without fonts the box is the game's own"; return 1; }
}

# After the run under SDL's box ended ($1 says how), a new start of the
# program $2 on the same machine and display is not refused: it shows a
# window of its own (an ended game's stays on the screen for as long as
# anything holds its connection to the display). Then SIGTERM ends it.
start_again_without_fonts() {
    local what=$1 mine="" _
    run=after-$run
    FONTCONFIG_FILE=$no_fonts start_program_run "$2"
    for _ in $(seq 1 600); do
        mine=$(xdotool search --all --onlyvisible --pid "$pid" --name 'Pellucor 1.5' 2>/dev/null || true)
        [ -z "$mine" ] && kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$mine" ] || {
        fail "the start after $what was refused"
        say_where_the_run_waits
        cat "$log"
        return
    }
    end_by "the start after $what" "$pid" TERM 0
}
