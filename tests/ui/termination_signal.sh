#!/usr/bin/env bash
# A termination signal ends the game as quitting does, whatever its
# player's "save/" folder holds: a pipe named like a profile there once held
# the start-up for good, and the signal with it (the signal only noted the
# request, and the loop that acts on it never came round again).
#
#   termination_signal.sh GAME
set -euo pipefail
game=$1
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

install=$work/install
save="$XDG_DATA_HOME/Pellucor 1.5/save" # where the game keeps its players
mkdir -p "$save" "$install"
cp "$game" "$(dirname "$game")/main.pak" "$(dirname "$game")/data.pak" "$install/"
# Ann, as an earlier run left her: a new profile's 59 bytes.
{
    printf '\001\001\000\000Ann'
    head -c 12 /dev/zero
    printf '\000\000\000\012\000\000\000\012\000\000\000\012'
    head -c 24 /dev/zero
    printf '\000\002\000\000'
} >"$save/Ann_.usr"
cp "$save/Ann_.usr" "$work/ann-before"
mkfifo "$save/Bob_.usr"
# What a save killed long ago left: the game removes it as it starts to read
# its players, which tells this script that the reading has begun. No
# system gives out process numbers this high.
: >"$save/Zed_.usr.tmp-999999999-0"

"$install/$(basename "$game")" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 600); do
    [ -e "$save/Zed_.usr.tmp-999999999-0" ] && kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -e "$save/Zed_.usr.tmp-999999999-0" ]; then
    echo "FAILED: the game did not come to reading its players"
    cat "$work/err"
    exit 1
fi
kill -TERM "$pid"
code=""
for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || { code=0; wait "$pid" || code=$?; break; }
    sleep 0.1
done
failures=0
if [ -z "$code" ]; then
    echo "FAILED: the game did not end within a minute of SIGTERM (main thread: $(cat /proc/$pid/wchan 2>/dev/null))"
    failures=$((failures + 1))
elif [ "$code" -ne 0 ]; then
    echo "FAILED: the game ended with $code after SIGTERM, not as quitting does"
    failures=$((failures + 1))
fi
pid=""
if ! cmp -s "$save/Ann_.usr" "$work/ann-before"; then
    echo "FAILED: Ann's profile changed or went"
    failures=$((failures + 1))
fi
if [ ! -p "$save/Bob_.usr" ]; then
    echo "FAILED: the pipe was not left as it was"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || { echo "standard error:"; sed 's/^/    /' "$work/err"; }
echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
[ "$failures" -eq 0 ]
