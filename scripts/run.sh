#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and starts it. On a machine without a display it starts
# a virtual one (Xvfb) with a window manager and a notification area, runs the program there and
# saves a screenshot after a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TOLVANE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tolvane
program="$PWD/$build/app/tolvane"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
fi

# Headless: a virtual screen with openbox and a tray (trayer).
display=:77
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
sleep 1
"$program" "$@" &
app=$!
sleep 5
shot="$PWD/$build/tolvane-screenshot.png"
import -window root "$shot"
echo "Tolvane runs on the virtual display $display (pid $app); screenshot: $shot"
echo "Press Ctrl+C to stop."
wait "$app" || true
kill "$xvfb" 2>/dev/null || true
