#!/usr/bin/env bash
# How long the program takes from launch to its start screen on the screen:
# starts build/pellucor under a virtual X server on a machine of its own
# (no profiles, no settings, the web pages asked of a port where nothing
# listens), several times, and times each run from the moment the process
# is started to the first moment the X server shows the start screen as it
# settles (the picture of a first run, sampled on a grid). Prints each run
# and the median in milliseconds.
#
#   bench/launch_to_start_screen.sh [PROGRAM] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/pellucor}
runs=${2:-7}
[ -x "$program" ] || { echo "build the program first: cmake --build build --target pellucor" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }
command -v python3 >/dev/null || { echo "python3 is not installed" >&2; exit 2; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat >"$home/measure.py" <<'INSIDE'
import ctypes, ctypes.util, os, shutil, signal, statistics, subprocess, sys, tempfile, time

program, runs = sys.argv[1], int(sys.argv[2])
x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
ZPIXMAP, ALL_PLANES = 2, 0xFFFFFFFF
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
# A grid over the 1024 x 768 window at the top left of the screen.
points = [(x, y) for x in range(40, 1024, 80) for y in range(30, 768, 60)]

def sample():
    image = x11.XGetImage(display, root, 0, 0, 1024, 768, ALL_PLANES, ZPIXMAP)
    pixels = [x11.XGetPixel(image, x, y) for x, y in points]
    x11.XDestroyImage(image)
    return pixels

def launch():
    folder = tempfile.mkdtemp()
    env = dict(os.environ, HOME=folder, XDG_DATA_HOME=folder + "/data", XDG_CONFIG_HOME=folder + "/config",
               XDG_RUNTIME_DIR=folder, PELLUCOR_WEB_SERVER="http://127.0.0.1:9")
    start = time.perf_counter()
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return process, start, folder

def end(process, folder):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    shutil.rmtree(folder, ignore_errors=True)
    time.sleep(0.3)

blank = sample()
# The settled start screen of a first run.
process, _, folder = launch()
time.sleep(3)
settled = sample()
end(process, folder)
changed = [i for i in range(len(points)) if settled[i] != blank[i]]
if len(changed) < len(points) // 2:
    sys.exit("the start screen did not come up")

times = []
for _ in range(runs):
    process, start, folder = launch()
    shown = None
    while time.perf_counter() - start < 10:
        now = sample()
        if sum(now[i] == settled[i] for i in changed) >= 0.95 * len(changed):
            shown = (time.perf_counter() - start) * 1000
            break
    end(process, folder)
    if shown is None:
        sys.exit("the start screen did not show within 10 s")
    times.append(shown)
    print("launch to start screen: %.0f ms" % shown)
print("median of %d: %.0f ms" % (runs, statistics.median(times)))
INSIDE
xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$home/measure.py" "$(realpath "$program")" "$runs"
