# Sourced by the scripts and tests that need a private X display:
#   source scripts/start-xvfb.sh
#   start_xvfb <log file> [Xvfb options...] || exit 1
# Xvfb picks a free display number itself and tells it (-displayfd), so runs in parallel never
# take each other's display. On success DISPLAY is exported and XVFB_PID names the server; when
# Xvfb does not start, its own messages go to standard error and the result is 1.
start_xvfb() {
  local log=$1
  shift
  local numbers
  numbers=$(mktemp)
  Xvfb -displayfd 3 "$@" 3>"$numbers" 2>"$log" &
  XVFB_PID=$!
  # The number comes as one line once the server listens.
  local tenths
  for ((tenths = 0; tenths < 150; tenths++)); do
    [ "$(wc -l <"$numbers")" -ge 1 ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  local number
  number=$(head -n1 "$numbers")
  rm -f "$numbers"
  if [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    sed 's/^/  Xvfb: /' "$log" >&2
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    return 1
  fi
  export DISPLAY=":$number"
}
