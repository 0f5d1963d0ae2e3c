#!/usr/bin/env bash
# Runs a command on a private Xvfb display with the xcb platform. Exits 77 (skipped) when Xvfb is
# not installed or does not start.
set -u
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }
source "$(dirname "$0")/../../scripts/start-xvfb.sh"
log=$(mktemp)
trap 'kill "${XVFB_PID:-}" 2>/dev/null; wait "${XVFB_PID:-}" 2>/dev/null; rm -f "$log"' EXIT
start_xvfb "$log" -screen 0 1024x768x24 -nolisten tcp || { echo "skipped"; exit 77; }
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# Under LeakSanitizer: the X11 platform loads the system's D-Bus library, whose allocations are
# kept until the process ends.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/lsan-x11.supp"
"$@"
