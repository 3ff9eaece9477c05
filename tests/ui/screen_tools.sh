# What the screen tests share (sourced, not run): running a test body in a
# virtual X server on a machine of its own, screenshots and pixel counts,
# and closing the program's window as a player does.

# On a loaded machine a fresh virtual X server may not answer yet when its
# first client starts; a program would then rightly say it has no display. Waits until it answers (a minute at most).
wait_for_x_server() {
    local _
    for _ in $(seq 1 600); do
        xwininfo -root >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the virtual X server $DISPLAY does not answer"
    return 1
}

screen_tools_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Runs COMMAND in a virtual X server of its own, started with the server
# OPTIONS, and ends the server after it; the command's status:
#
#   with_x_server OPTION... -- COMMAND...
#
# The server picks a free display number itself (-displayfd), so that two
# tests starting at once never take the same one, as the free number that
# xvfb-run -a looks for beforehand can be; and it does not reset when its
# last client leaves, which would refuse a client coming in that moment.
with_x_server() {
    local options=()
    while [ "$1" != -- ]; do
        options+=("$1")
        shift
    done
    shift
    local number_file server status=0 _
    number_file=$(mktemp)
    Xvfb -displayfd 3 -nolisten tcp -noreset "${options[@]}" 3>"$number_file" >/dev/null 2>&1 &
    server=$!
    for _ in $(seq 1 600); do
        [ -s "$number_file" ] && break
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$number_file" ]; then
        echo "the virtual X server did not start"
        kill "$server" 2>/dev/null || true
        rm -f "$number_file"
        return 1
    fi
    DISPLAY=":$(head -1 "$number_file")" "$@" || status=$?
    rm -f "$number_file"
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    return "$status"
}

# Every process a screen test starts carries a mark in its environment
# (PELLUCOR_TEST_RUN), whatever session or parent it ends up with: what of
# them is left when the test ends, however it ends (the program, a box's
# process, its crash report viewer, xmessage, a window manager, the X
# server), is taken away then.
mark_what_the_test_starts() {
    [ -n "${PELLUCOR_TEST_RUN:-}" ] && return
    export PELLUCOR_TEST_RUN="$$-$(date +%s%N)"
    owns_test_mark=1
}
take_away_what_the_test_started() {
    [ "${owns_test_mark:-}" = 1 ] || return 0
    "$screen_tools_folder/../../tools/marked-processes" --kill PELLUCOR_TEST_RUN "$PELLUCOR_TEST_RUN" >/dev/null ||
        true
}

# Runs the function `body` with the script's arguments inside a virtual X
# server, with home, data, settings and runtime folders of its own: the
# script starts itself again in a server of its own (with X_SERVER_OPTIONS
# added to the server's). Exits 77 (skipped) when the X tools are not
# installed.
run_in_x_server() {
    local body=$1
    shift
    if [ "${PELLUCOR_IN_X_SERVER:-}" = 1 ]; then
        wait_for_x_server || exit 1
        "$body" "$@"
        return
    fi
    local tool
    for tool in Xvfb xdotool xwd convert; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    x_server_home=$(mktemp -d)
    mark_what_the_test_starts
    trap 'take_away_what_the_test_started; rm -rf "$x_server_home"' EXIT
    # shellcheck disable=SC2086 # the options are words
    with_x_server -screen 0 1280x1024x24 ${X_SERVER_OPTIONS:-} -- \
        env PELLUCOR_IN_X_SERVER=1 HOME="$x_server_home" XDG_DATA_HOME="$x_server_home/data" \
        XDG_CONFIG_HOME="$x_server_home/config" XDG_RUNTIME_DIR="$x_server_home" timeout 240 bash "$0" "$@"
}

# Under AddressSanitizer the X, D-Bus and GL client libraries keep memory
# until exit, which the leak check would report as ours: it is off for the
# programs these tests start (the unit tests check our own code for leaks).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Starts PROGRAM with its debug output in OUTPUT/program.log and waits for
# its 1024 x 768 window named by TITLE (a pattern); sets out, log, pid,
# window and the window's X and Y.
start_program() {
    out=$2
    log=$out/program.log
    mkdir -p "$out"
    # The version and news pages are asked of a loopback port where nothing
    # listens: a test never reaches an outside address.
    # In a session of its own, so that a test that fails takes away all it
    # started (SDL's box runs in a process of its own).
    PELLUCOR_DEBUG_OUTPUT=1 PELLUCOR_WEB_SERVER=${PELLUCOR_WEB_SERVER:-http://127.0.0.1:9} setsid "$1" 2>"$log" &
    pid=$!
    trap 'kill -- -$pid 2>/dev/null || true' EXIT
    window=$(timeout 120 xdotool search --sync --onlyvisible --name "$3" | head -1) || true
    [ -n "$window" ] || {
        echo "no window named '$3' within two minutes"
        processes_of_session "$pid" | say_where_processes_wait
        cat "$log"
        exit 1
    }
    eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
    echo "window $window at $X,$Y size ${WIDTH}x$HEIGHT"
    [ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq 768 ] || { echo "window is not 1024x768"; exit 1; }
}

# Where each process listed on standard input ("pid ..." a line) waits, a
# line per thread: its name, its state and the system call it is in (its
# number and arguments, as the system shows them); and, where a debugger is
# at hand, the calls each thread is in. For the message of a test that
# waited in vain for a window or a sight.
say_where_processes_wait() {
    local process task
    while read -r process _; do
        [ -n "$process" ] || continue
        echo "process $process ($(tr '\0' ' ' <"/proc/$process/cmdline" 2>/dev/null | cut -c1-80)):"
        for task in /proc/"$process"/task/*; do
            echo "  thread ${task##*/} $(cat "$task/comm" 2>/dev/null)" \
                "$(sed -n 's/^State:[[:space:]]*//p' "$task/status" 2>/dev/null)," \
                "in $(cat "$task/wchan" 2>/dev/null || true), system call $(cat "$task/syscall" 2>/dev/null || echo '?')"
        done
        if command -v gdb >/dev/null 2>&1; then
            timeout 60 gdb -p "$process" -batch -ex 'thread apply all bt 16' 2>/dev/null |
                sed -n 's/^\(Thread [0-9]*\).*(LWP \([0-9]*\)).*/  \1 (\2):/p; s/^#[0-9]* *\(0x[0-9a-f]* in \)\{0,1\}\([^ ]*\).*/    \2/p' || true
        fi
    done
}

# The processes of the session of $1 (a program started with setsid), "pid
# command" a line.
processes_of_session() {
    ps -e -o pid=,sid=,comm= | awk -v session="$1" '$2 == session { print $1, $3 }'
}

# A screenshot of the whole X screen in FILE. xwd looks at every window as
# it takes the screen, and gives up when one goes meanwhile (a box answered,
# a frame taken down): it tries again.
#
#   shot FILE
shot() {
    local dump=$1.xwd _
    for _ in $(seq 1 20); do
        xwd -root -silent >"$dump" 2>/dev/null && break
        sleep 0.05
    done
    convert "xwd:$dump" "$1"
    rm -f "$dump"
}

# Starts the window manager MANAGER (its output in LOG) and waits, two
# minutes at most, until it takes new windows; sets manager_pid. A manager
# claims the screen (_NET_SUPPORTING_WM_CHECK) and publishes its list of
# windows (_NET_CLIENT_LIST) before its start is over: openbox goes on to
# read its menus and look at its own windows, and the request of a window
# mapped meanwhile is read into its queue there, which its loop, once it
# runs, does not look at until the next event comes: the window is never
# shown, and SDL waits for it for good. So the manager is asked something
# only its loop answers (a desktop fewer, or more where it has one, then as
# many as before), again until it has answered: that loop then runs, and
# what was waiting in its queue was taken with the answer.
#
# A manager that ends, or does not answer, is the test's set-up failing: it
# is said so, with the manager's output, and the function fails (1).
#
#   start_window_manager MANAGER LOG
start_window_manager() {
    "$1" >"$2" 2>&1 &
    manager_pid=$!
    local count="" wanted="" original="" asked=0 step=0 _
    for _ in $(seq 1 1200); do
        if ! kill -0 "$manager_pid" 2>/dev/null; then
            echo "the test's set-up failed: the window manager $1 ended as it started; its output:"
            cat "$2"
            return 1
        fi
        count=$(xprop -root _NET_NUMBER_OF_DESKTOPS 2>/dev/null | sed -n 's/^_NET_NUMBER_OF_DESKTOPS(CARDINAL) = //p')
        if [ -n "$count" ]; then
            if [ -z "$wanted" ]; then
                original=$count
                wanted=$((count > 1 ? count - 1 : count + 1))
            elif [ "$count" = "$wanted" ]; then
                [ "$step" = 0 ] || return 0
                step=1
                wanted=$original
                asked=0
            fi
            # Asked again every half second: a request read into the
            # queue before the loop ran waits there for the next one.
            if [ $((asked % 5)) = 0 ]; then
                xdotool set_num_desktops "$wanted" >/dev/null 2>&1 || true
            fi
            asked=$((asked + 1))
        fi
        sleep 0.1
    done
    echo "the test's set-up failed: the window manager $1 did not take windows within two minutes" \
        "(it was asked for $wanted desktops, and has ${count:-none}); its output:"
    cat "$2"
    return 1
}

# The visible top-level window named NAME, in decimal ("" when none); a
# window under a window manager's frame too, which xdotool's search misses.
window_named() {
    local id
    for id in $(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\": .*/\1/p"); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { echo $((id)); return; }
    done
}
# Waits (30 s at most) for the window named NAME; prints its id. In vain,
# says (on standard error) where each thread of the program $pid's session
# waits, when one was started.
wait_for_window() {
    local id
    for _ in $(seq 1 300); do
        id=$(window_named "$1")
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window named '$1'" >&2
    [ -z "${pid:-}" ] || processes_of_session "$pid" | say_where_processes_wait >&2
    return 1
}
# Waits (10 s at most) for the window named NAME to go.
wait_for_gone() {
    for _ in $(seq 1 100); do
        [ -n "$(window_named "$1")" ] || return 0
        sleep 0.1
    done
    echo "the window '$1' did not go"
    return 1
}

# How many pixels of the area W H X Y of an image match an fx condition.
count_where() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -fx "($6)?1:0" -format '%[fx:round(mean*w*h)]' info:
}

# Alt+F4 on the window; the program (process $2, log $3) must end by itself
# with exit code 0, having left its loop normally (its statistics logged).
close_and_expect_clean_exit() {
    local window=$1 pid=$2 log=$3
    xdotool windowfocus --sync "$window"
    xdotool key alt+F4
    for _ in $(seq 1 600); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then echo "Alt+F4 did not end the program"; exit 1; fi
    local code=0
    wait "$pid" || code=$?
    [ "$code" -eq 0 ] || { echo "the program ended with $code"; cat "$log"; exit 1; }
    grep -q 'Update Count' "$log" || { echo "the program did not leave its loop normally"; exit 1; }
}
