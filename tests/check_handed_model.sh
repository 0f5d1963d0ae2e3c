#!/usr/bin/env bash
# Fails when the runtime, the user interface or the program (app/) reach for the current model
# instead of the model they were handed: a call of TModel::Current() (or CurrentOrNone()) in their sources, or a
# library built without TOLVANE_HANDED_MODEL_ONLY, under which the compiler refuses every other
# name that reaches the current model (model/CurrentModel.h).
set -u
root=${1:-.}
cd "$root" || exit 2
failed=0
hits=$(grep -rn -E 'TModel::(Current|CurrentOrNone)\(' --include='*.cpp' --include='*.h' runtime ui app)
if [ -n "$hits" ]; then
  echo "These lines reach the current model; use the model handed over instead:"
  echo "$hits"
  failed=1
fi
for lib in runtime ui app; do
  if ! grep -q "target_compile_definitions($lib PRIVATE TOLVANE_HANDED_MODEL_ONLY)" \
    "$lib/CMakeLists.txt"; then
    echo "$lib/CMakeLists.txt no longer builds $lib with TOLVANE_HANDED_MODEL_ONLY"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "runtime, ui and app work on the model they are handed"
exit "$failed"
