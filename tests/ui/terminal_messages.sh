#!/usr/bin/env bash
# What a person starting the programs from a terminal sees: every fatal
# start-up error of the game on standard error (with no display to show its
# box on), and a usage line from each tool asked for --help, which makes no
# file.
#
#   terminal_messages.sh GAME TOOL...
set -euo pipefail
game=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
# No window system to show a box on: the terminal is the only place left.
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
failures=0

# Runs the command; its exit code must be $1 and its standard error must
# hold the text $2.
expect() {
    local code=$1 text=$2
    shift 2
    local got=0
    timeout 60 "$@" >"$work/out" 2>"$work/err" || got=$?
    if [ "$got" -ne "$code" ] || ! grep -qF -- "$text" "$work/err"; then
        echo "FAILED: $* (exit $got, expected $code; standard error:)"
        sed 's/^/    /' "$work/err"
        failures=$((failures + 1))
    else
        echo "ok: $*"
    fi
}

# A start that did not happen ends as a failure, naming what is wrong.
expect 1 "FATAL ERROR: Invalid command line parameter: -bogus" "$game" -bogus
expect 1 "FATAL ERROR: Invalid command line parameter: -recnum=abc (\"abc\" is not a whole number)" "$game" -recnum=abc
expect 1 "FATAL ERROR: Invalid command line parameter: -demofile= (the demo file's name is empty)" \
    "$game" -play -demofile=
expect 1 "Demo file not found: $work/data/" "$game" -play
expect 1 "FATAL ERROR: -playnum=3 asks for the 3rd latest numbered demo, but there is none: no file $work/data/" "$game" -playnum=3
expect 1 "Demo file not found: $work/none.dmo" "$game" -play "-demofile=$work/none.dmo"
# A pipe is no demo: it is refused at once, not waited on for a writer.
mkfifo "$work/pipe.dmo"
expect 1 "Demo file not found: $work/pipe.dmo" "$game" -play "-demofile=$work/pipe.dmo"
printf 'not a demo' >"$work/bad.dmo"
expect 1 "Invalid demo file. ($work/bad.dmo)" "$game" -play "-demofile=$work/bad.dmo"
# With nothing to show its window on, SDL would settle for a driver that
# shows nothing (as it does where no display is set): the game says so and
# ends rather than run unseen.
SDL_VIDEODRIVER=x11,offscreen expect 1 "FATAL ERROR: The game's window cannot be shown (no display: DISPLAY is not set)." "$game"
# A crash asked for is reported even so: the report is written where
# reports go, and its viewer puts it on the terminal before the program
# ends, so that a script reading standard error until the exit has it all
# (in a build whose crash handler stands aside for the address checker
# there is no viewer: the file is all).
got=0
SDL_VIDEODRIVER=x11,offscreen timeout 60 python3 "$(dirname "$0")/standard_error_at_exit.py" "$game" -crash \
    >"$work/err" 2>"$work/after" || got=$?
report=$(find "$work/data" -name crash.txt)
viewer=${PELLUCOR_TEST_CRASH_VIEWER:-1}
said=$(cat "$work/err")
if [ "$got" -ne 5 ] || ! grep -qF "FATAL ERROR: The game's window cannot be shown" "$work/err" || [ -z "$report" ] ||
    ! grep -q "^Exception: Access Violation" "$report" ||
    { [ "$viewer" = 1 ] &&
        { ! grep -qF "The crash report cannot be shown in a window (no display: DISPLAY is not set); it is kept in $report:" \
            "$work/err" || [[ "$said" != *"$(tr -d '\r' <"$report")"* ]]; }; }; then
    echo "FAILED: -crash without a display (exit $got, expected 5): report ${report:-not written}; standard error" \
        "as the program ended:"
    sed 's/^/    /' "$work/err" "$work/after"
    failures=$((failures + 1))
else
    echo "ok: -crash without a display wrote $report and said it before it ended"
fi

# The program reads "main.pak" from its own folder.
mkdir -p "$work/install"
cp "$game" "$work/install/"
for damaged in '' 'not an archive'; do
    printf '%s' "$damaged" >"$work/install/main.pak"
    expect 1 "Cannot use the program's archive (main.pak:" "$work/install/$(basename "$game")"
done

# And the game's "data.pak" beside it, without which it would show empty
# boxes: missing or a folder, it is as fatal.
cp "$(dirname "$game")/main.pak" "$work/install/"
expect 1 "Cannot use the program's archive (data.pak: cannot open the file" "$work/install/$(basename "$game")"
mkdir "$work/install/data.pak"
expect 1 "Cannot use the program's archive (data.pak: cannot open the file (a folder" \
    "$work/install/$(basename "$game")"

mkdir -p "$work/cwd"
for tool in "$@"; do
    got=0
    (cd "$work/cwd" && timeout 60 "$tool" --help >"$work/out" 2>"$work/err") || got=$?
    if [ "$got" -ne 0 ] || ! head -1 "$work/out" | grep -q '^usage: ' || [ -n "$(ls -A "$work/cwd")" ]; then
        echo "FAILED: $tool --help (exit $got; output and files:)"
        cat "$work/out" "$work/err"
        ls -A "$work/cwd"
        failures=$((failures + 1))
    else
        echo "ok: $(basename "$tool") --help"
    fi
done

echo "$failures failed"
[ "$failures" -eq 0 ]
