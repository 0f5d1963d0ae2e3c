#!/usr/bin/env bash
# scripts/start-xvfb.sh: displays started at the same moment never collide, each is a working X
# server, and an Xvfb that cannot start says why. Skips (77) without Xvfb.
set -u
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
source "$(dirname "$0")/../../scripts/start-xvfb.sh"
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Four at once, as under ctest -j: each reports its display and keeps its server until told.
for i in 1 2 3 4; do
  (
    start_xvfb "$tmp/xvfb$i.log" -screen 0 64x64x24 -nolisten tcp || exit 1
    echo "$DISPLAY" >"$tmp/display$i"
    while [ ! -e "$tmp/done" ]; do sleep 0.1; done
    kill "$XVFB_PID"
    wait "$XVFB_PID"
  ) &
done
for ((t = 0; t < 200; t++)); do
  [ "$(cat "$tmp"/display? 2>/dev/null | wc -l)" -eq 4 ] && break
  sleep 0.1
done
displays=$(cat "$tmp"/display? 2>/dev/null | sort -u)
[ "$(echo "$displays" | wc -l)" -eq 4 ] || fail "four servers gave the displays: $displays"
for d in $displays; do
  [ -S "/tmp/.X11-unix/X${d#:}" ] || fail "no server listens on $d"
done
touch "$tmp/done"
wait

# A server that cannot start: no display, result 1, and Xvfb's own words on standard error.
unset DISPLAY
if start_xvfb "$tmp/bad.log" -screen 0 1x1x99 2>"$tmp/bad.err"; then
  fail "a server with a depth of 99 bits started on $DISPLAY"
fi
[ -z "${DISPLAY:-}" ] || fail "DISPLAY was set to $DISPLAY"
grep -q "Xvfb did not start" "$tmp/bad.err" || fail "no report: $(cat "$tmp/bad.err")"
[ "$(grep -c '  Xvfb: ' "$tmp/bad.err")" -ge 1 ] || fail "Xvfb's messages are missing"
echo "PASS"
