#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and starts it. On a machine without a display it starts
# a virtual one (Xvfb, on a display number Xvfb chooses) with a window manager and a notification
# area, runs the program there, opens its main window with a second start and saves a screenshot.
# JOBS=n limits the build to n parallel jobs (default: every processor).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TOLVANE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BENCH=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target tolvane default_language_file
program="$PWD/$build/app/tolvane"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
fi

# Headless: a virtual screen with openbox and a tray (trayer). Their messages go to log files in
# the build folder.
source scripts/start-xvfb.sh
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
# Ended by a signal (kill, timeout), the script still stops what it started.
trap 'exit 143' TERM
start_xvfb "$build/xvfb.log" -screen 0 1024x768x24 -nolisten tcp || exit 1
# The virtual display is an X server, whatever platform the calling shell chose.
export QT_QPA_PLATFORM=xcb
openbox >"$build/openbox.log" 2>&1 &
trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
  >"$build/trayer.log" 2>&1 &
sleep 1
"$program" "$@" &
app=$!
sleep 4
# The program lives in the tray; a tray icon on a black screen shows little. A second start hands
# over to the running copy, which opens its main window, so the screenshot shows the program.
if [ $# -eq 0 ] && kill -0 "$app" 2>/dev/null; then
  "$program" || echo "The second start did not reach the running copy." >&2
  sleep 2
fi
shot="$PWD/$build/tolvane-screenshot.png"
import -window root "$shot"
echo "Tolvane runs on the virtual display $DISPLAY (pid $app); screenshot: $shot"
echo "Press Ctrl+C to stop."
wait "$app" || true
kill "$XVFB_PID" 2>/dev/null || true
