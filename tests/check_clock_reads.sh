#!/usr/bin/env bash
# Fails when a source file other than the clock reads the system's wall clock directly.
set -u
root=${1:-.}
cd "$root" || exit 2
hits=$(grep -rn -E 'QDateTime::currentDateTime|QDateTime::currentMSecsSinceEpoch|QDate::currentDate|QTime::currentTime|std::chrono::system_clock|[^_a-zA-Z.>]time\(|gettimeofday|localtime\(' \
  --include='*.cpp' --include='*.h' platform services imaging widgets model runtime ui app 2>/dev/null |
  grep -v -E '^platform/Clock\.cpp:')
if [ -n "$hits" ]; then
  echo "These lines read the system clock; use currentClock() instead:"
  echo "$hits"
  exit 1
fi
echo "only the clock reads the system time"
