#!/bin/sh
# Installs the build into a scratch prefix (with a blank in its name) and checks that every file
# lands where the program and the desktop look for it.
build="$1"
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tolvane install.XXXXXX") || exit 1
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1
status=0
for f in bin/tolvane share/tolvane/tolvane_default.lng share/tolvane/tolvane.html \
         share/applications/tolvane.desktop share/icons/hicolor/scalable/apps/tolvane.svg \
         share/icons/hicolor/16x16/apps/tolvane.png; do
  if [ ! -f "$prefix/$f" ]; then
    echo "missing after install: $f"
    status=1
  fi
done
[ -x "$prefix/bin/tolvane" ] || { echo "bin/tolvane is not executable"; status=1; }
if ! grep -qx "Exec=\"$prefix/bin/tolvane\"" "$prefix/share/applications/tolvane.desktop"; then
  echo "the menu entry does not start the installed program:"
  grep '^Exec=' "$prefix/share/applications/tolvane.desktop"
  status=1
fi
exit $status
