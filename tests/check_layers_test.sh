#!/usr/bin/env bash
# The layer check over planted lines in a scratch tree: each upward include, in any spelling the
# compiler takes, must be reported with its file and line; the lines a folder may write must pass.
# Usage: check_layers_test.sh <check_layers.sh>
set -u
checker=${1:?usage: check_layers_test.sh <check_layers.sh>}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# A tree with one real header per folder, so that relative paths lead to files that exist.
make_tree() {
  local tree=$1 f
  for f in platform services imaging widgets model runtime ui app; do
    mkdir -p "$tree/$f"
    printf '#pragma once\n' >"$tree/$f/Header.h"
  done
}

# plant <file> <line>: a tree whose only include is <line>, at line 3 of <file>; the checker must
# fail and name <file>:3.
plant() {
  local file=$1 line=$2 tree out
  tree=$(mktemp -d "$scratch/tree.XXXX")
  make_tree "$tree"
  mkdir -p "$(dirname "$tree/$file")"
  printf '// planted\n\n%s\n' "$line" >"$tree/$file"
  if out=$(bash "$checker" "$tree" 2>&1); then
    echo "MISSED in $file: $line"
    failures=$((failures + 1))
  elif ! grep -qF "$file:3: " <<<"$out"; then
    echo "NOT NAMED ($file:3) for: $line"
    printf '%s\n' "$out"
    failures=$((failures + 1))
  fi
}

tab=$'\t'
plant model/Planted.cpp '# include "ui/Header.h"'
plant model/Planted.cpp '#include "../runtime/Header.h"'
plant model/Planted.cpp "#${tab}include \"ui/Header.h\""
plant model/Planted.cpp "${tab}#include \"ui/Header.h\""
plant model/Planted.cpp '  #  include   "ui/Header.h"  // the main window'
plant model/Planted.cpp '#include"ui/Header.h"'
plant model/Planted.cpp '#include <ui/Header.h>'
plant model/Planted.cpp '#include<runtime/Header.h>'
plant model/Planted.cpp '#include_next "ui/Header.h"'
plant model/Planted.cpp '#import "ui/Header.h"'
plant model/Planted.cpp '#include "./../ui/Header.h"'
plant model/Planted.cpp '#include "../model/../ui/Header.h"'
plant model/Planted.cpp '#include "imaging/../ui/Header.h"'
plant model/Planted.cpp '#include "model//../app/Header.h"'
plant model/Planted.cpp $'#include "ui/Header.h"\r'
plant model/Planted.h '#include "../widgets/Header.h"'
plant model/nested/Planted.cpp '#include "../../ui/Header.h"'
plant widgets/Planted.cpp '#include "model/Header.h"'
plant widgets/Planted.cpp '#include "../model/Header.h"'
plant platform/Planted.cpp '#include "../services/Header.h"'
plant imaging/Planted.h.in '#include "widgets/Header.h"'
plant runtime/Planted.ui '  <header>ui/Header.h</header>'
plant ui/Planted.ui '<include location="local">app/Header.h</include>'

# Lines every folder may write: its own headers (also by relative paths), lower folders,
# generated headers, system and Qt headers, and a commented-out include.
clean=$(mktemp -d "$scratch/clean.XXXX")
make_tree "$clean"
printf '#pragma once\n' >"$clean/ui/Sibling.h"
cat >"$clean/ui/Clean.cpp" <<'EOF'
#include "Sibling.h"
#include "./Sibling.h"
#include "../ui/Sibling.h"
#include "ui/Sibling.h"
#  include "runtime/Header.h"
#include "../model/Header.h"
#include "../widgets/Header.h"
#include "ui_FormMain.h"
#include "platform/Version.h"
#include <QWidget>
#include <QtWidgets/QTabBar>
#include <sys/stat.h>
#include <curl/curl.h>
#include <vector>
// #include "app/Header.h" is what main() would write
EOF
printf '#include "platform/Header.h"\n#include "../services/Header.h"\n' >"$clean/model/Clean.cpp"
printf '#include "imaging/Header.h"\n#include <QTabBar>\n' >"$clean/widgets/Clean.h"
printf '<header>widgets/Header.h</header>\n<header>QTabBar</header>\n' >"$clean/runtime/Clean.ui"
printf '#include "ui/Header.h"\n#include "../runtime/Header.h"\n' >"$clean/app/Clean.cpp"
if ! out=$(bash "$checker" "$clean" 2>&1); then
  echo "REFUSED clean lines:"
  printf '%s\n' "$out"
  failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures case(s) went wrong"
  exit 1
fi
echo "the layer check names every planted upward include and passes the clean lines"
