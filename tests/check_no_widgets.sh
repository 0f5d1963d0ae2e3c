#!/usr/bin/env bash
# Fails when a program built from the model alone needs Qt Widgets: the settings tool must neither
# link libQt6Widgets nor need it to run.
set -u
tool=$1
if ! deps=$(ldd "$tool"); then
  echo "cannot list the libraries of $tool"
  exit 1
fi
if grep -q 'libQt6Widgets' <<<"$deps"; then
  echo "$tool links Qt Widgets:"
  grep 'libQt6' <<<"$deps"
  exit 1
fi
sandbox=$(mktemp -d) || exit 2
trap 'rm -rf "$sandbox"' EXIT
if ! HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config XDG_RUNTIME_DIR=$sandbox \
  "$tool" local show >/dev/null; then
  echo "$tool does not run"
  exit 1
fi
echo "the settings tool links and runs without Qt Widgets"
