#!/usr/bin/env bash
# Fails when clang-tidy (the checks of .clang-tidy) finds something in the program's own source
# files: platform services imaging widgets model runtime ui app, with the headers they include;
# not the tests, and not the files the build generates (moc, uic). Uses the compile commands of a
# configured build folder. JOBS=n runs n clang-tidy processes at once (default: every processor).
# Usage: check-tidy.sh [build folder, default build-test]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
tidy=${CLANG_TIDY:-clang-tidy}
jobs=${JOBS:-$(nproc)}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: configure that build folder first"
  exit 2
fi
start=$(date +%s)
mapfile -t files < <(git ls-files -co --exclude-standard -- \
  'platform/*.cpp' 'services/*.cpp' 'imaging/*.cpp' 'widgets/*.cpp' 'model/*.cpp' \
  'runtime/*.cpp' 'ui/*.cpp' 'app/*.cpp')
# A file without a compile command would be read with guessed flags: refuse instead.
missing=$(python3 - "$build/compile_commands.json" "${files[@]}" <<'EOF'
import json, os, sys
known = {os.path.realpath(os.path.join(e["directory"], e["file"])) for e in json.load(open(sys.argv[1]))}
print("\n".join(f for f in sys.argv[2:] if os.path.realpath(f) not in known))
EOF
)
if [ -n "$missing" ]; then
  echo "not in $build/compile_commands.json (rebuild that folder):"
  printf '%s\n' "$missing"
  exit 2
fi
# Each file's findings are printed together, and only when there are some.
status=0
printf '%s\0' "${files[@]}" | xargs -0 -P "$jobs" -n 1 sh -c '
  out=$("$0" -p "$1" --quiet "$2" 2>&1) || { printf "%s\n" "$out"; exit 1; }' "$tidy" "$build" ||
  status=$?
elapsed=$(($(date +%s) - start))
if [ "$status" -ne 0 ]; then
  echo "clang-tidy: findings above ($elapsed s)"
  exit 1
fi
echo "clang-tidy: ${#files[@]} files clean ($elapsed s)"
