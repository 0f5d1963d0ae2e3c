#!/usr/bin/env bash
# The program in a real X session with a tray: it starts, its icon docks in the tray, a
# second start from a terminal without a display stops it, and the log has its start and stop.
# Skips (77) when Xvfb or trayer is missing.
#   tray_session.sh <tolvane> <tray probe> [<folder for the screenshot>]
set -u
tolvane=$1
probe=$2
artefacts=${3:-}

for tool in Xvfb trayer xwininfo; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

# Under LeakSanitizer: the X11 platform loads the system's D-Bus library, whose allocations are
# kept until the process ends.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/.." && pwd)/lsan-x11.supp"

tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null
    wait "${pids[$i]}" 2>/dev/null
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/tolvane.err" ] && sed 's/^/  tolvane: /' "$tmp/tolvane.err"; exit 1; }

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1; shift
  for ((t = 0; t < tenths; t++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

source "$(cd "$(dirname "$0")/../../.." && pwd)/scripts/start-xvfb.sh"
start_xvfb "$tmp/xvfb.log" -screen 0 800x600x24 -nolisten tcp || fail "Xvfb did not start"
pids+=("$XVFB_PID")
# The session is an X one, whatever platform the calling shell chose: the tray probe below
# looks for the tray through it.
export QT_QPA_PLATFORM=xcb
# Without a session bus Qt uses the XEmbed tray that trayer offers.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
if command -v openbox >/dev/null 2>&1; then
  openbox >"$tmp/openbox.log" 2>&1 &
  pids+=($!)
fi
trayer --edge top --align right --widthtype request --height 24 >"$tmp/trayer.log" 2>&1 &
pids+=($!)
wait_for 100 "$probe" >/dev/null 2>&1 || fail "the tray did not come up"

mkdir -p "$tmp/home" "$tmp/run" "$tmp/program"
chmod 700 "$tmp/run"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_RUNTIME_DIR=$tmp/run \
  TOLVANE_RUNTIME_DIR=$tmp/run TOLVANE_PROGRAM_DIR=$tmp/program
"$tolvane" >"$tmp/tolvane.out" 2>"$tmp/tolvane.err" &
tv=$!
pids+=($tv)

"$probe" || fail "the program's session has no tray"
docked() {
  xwininfo -root -tree | awk '
    /\("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0;
             else if ($0 ~ /\("tolvane" "Tolvane"\)/) found = 1 }
    END { exit found ? 0 : 1 }'
}
wait_for 100 docked || fail "the tray icon did not dock in the tray"
if [ -n "$artefacts" ] && command -v import >/dev/null 2>&1; then
  import -window root "$artefacts/tray_session.png" 2>/dev/null
fi

env -u DISPLAY -u QT_QPA_PLATFORM "$tolvane" stop || fail "tolvane stop failed"
wait_for 100 bash -c "! kill -0 $tv 2>/dev/null" || fail "the program did not end"
wait "$tv"
code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"

log=$HOME/Documents/Tolvane/tolvane.log
grep -q $'\tProgram start\t' "$log" || fail "no Program start in the log"
grep -q $'\tProgram stop\t' "$log" || fail "no Program stop in the log"
echo "PASS"
