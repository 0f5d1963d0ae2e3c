#!/usr/bin/env bash
# Runs a command on a private Xvfb display with a window manager (openbox), which frames,
# stacks and activates the windows as a desktop does. Exits 77 (skipped) when Xvfb, openbox or
# xprop is not installed or the display does not start.
set -u
for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
source "$(dirname "$0")/../../scripts/start-xvfb.sh"
log=$(mktemp)
wm_log=$(mktemp)
trap 'kill "${WM_PID:-}" "${XVFB_PID:-}" 2>/dev/null; wait 2>/dev/null; rm -f "$log" "$wm_log"' EXIT
start_xvfb "$log" -screen 0 1024x768x24 -nolisten tcp || { echo "skipped"; exit 77; }
openbox >"$wm_log" 2>&1 &
WM_PID=$!
# The window manager is ready once it names itself on the root window.
for ((tenths = 0; tenths < 100; tenths++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
  { echo "openbox did not start: skipped"; cat "$wm_log"; exit 77; }
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/../runtime/lsan-x11.supp"
"$@"
