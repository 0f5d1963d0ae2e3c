#!/bin/sh
# The default language file the build made against the one kept in the sources: a renamed
# control, a frame's keys in its form's section or a caption that lost its key shows as a
# difference. After a deliberate change of the windows, renew the kept file with
#   cmake --build build-cc --target update_default_language_file
# and look at the difference before committing it.
golden="$1"
built="$2"
if [ ! -f "$built" ]; then
  echo "no default language file was built: $built"
  exit 1
fi
if diff -u "$golden" "$built"; then
  exit 0
fi
echo
echo "The default language file differs from $golden (lines with - are expected, + are made)."
echo "When the windows changed on purpose: cmake --build build-cc --target update_default_language_file"
exit 1
