#!/usr/bin/env bash
# Installs what is missing, builds Tolvane with its tests and runs every test. JOBS=n limits the
# build and the test run to n parallel jobs (default: every processor), for a shared machine.
# TOLVANE_BUILD_ONLY=1 stops after the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TOLVANE_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON \
  ${TOLVANE_CMAKE_ARGS:-} >/dev/null
jobs=${JOBS:-$(nproc)}
cmake --build "$build" -j "$jobs"
[ "${TOLVANE_BUILD_ONLY:-0}" = 1 ] && exit 0
cd "$build"
ctest -j "$jobs" --output-on-failure --timeout 300
