#!/usr/bin/env bash
# Fails when a file includes a header from a folder that its own folder may not use. A folder uses
# itself and the folders below it:
#   platform <- services <- imaging <- {widgets, model} <- runtime <- ui <- app
# widgets and model stand side by side and never include each other. tests, bench and fuzz may
# include anything; nothing in the program includes them. Form files (.ui) count with the headers
# of their custom controls.
set -u
root=${1:-.}
cd "$root" || exit 2
declare -A rank=([platform]=0 [services]=1 [imaging]=2 [widgets]=3 [model]=3 [runtime]=4 [ui]=5
  [app]=6 [tests]=99 [bench]=99 [fuzz]=99)
folders="platform services imaging widgets model runtime ui app"
bad=""
# shellcheck disable=SC2086
while IFS=: read -r file line header; do
  from=${file%%/*}
  to=${header%%/*}
  [ "$from" = "$to" ] || [ -z "${rank[$to]+known}" ] && continue
  if [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
    bad+="$file:$line: $header"$'\n'
  fi
done < <(grep -rn -o -E '#include *["<][a-z]+/[^">]+[">]|<header>[a-z]+/[^<]+</header>' \
  --include='*.cpp' --include='*.h' --include='*.ui' $folders 2>/dev/null |
  sed -E 's/#include *["<]([^">]+)[">]$/\1/; s#<header>([^<]+)</header>$#\1#')
if [ -n "$bad" ]; then
  echo "These includes reach a folder that is not below their own (see the layer order above):"
  printf '%s' "$bad"
  exit 1
fi
echo "every include points to the same or a lower layer"
