#!/usr/bin/env bash
# Fails when a file includes a header from a folder that its own folder may not use. A folder uses
# itself and the folders below it:
#   platform <- services <- imaging <- {widgets, model} <- runtime <- ui <- app
# widgets and model stand side by side and never include each other. tests, bench and fuzz may
# include anything; nothing in the program includes them. Form files (.ui) count with the headers
# of their custom controls.
#
# Every spelling a compiler takes is read: blanks or tabs before and after the '#', no blank before
# the quote, angle brackets, #include_next and #import, and paths with "." or ".." in them. A quoted
# include is looked for beside the including file first and then from the source root, so both
# readings of its path must stay within the allowed folders.
set -u
root=${1:-.}
cd "$root" || exit 2
folders=(platform services imaging widgets model runtime ui app)
mapfile -d '' files < <(find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \
  -o -name '*.inl' -o -name '*.h.in' -o -name '*.ui' \) -print0 2>/dev/null | sort -z)
[ ${#files[@]} -eq 0 ] && { echo "no source files under $root"; exit 2; }
# shellcheck disable=SC2016
bad=$(awk '
  BEGIN {
    n = split("platform services imaging widgets model runtime ui app tests bench fuzz", names, " ")
    split("0 1 2 3 3 4 5 6 99 99 99", ranks, " ")
    for (i = 1; i <= n; i++) rank[names[i]] = ranks[i]
  }
  # The path with "." and ".." taken out; "" when it climbs above the source root.
  function normal(path,    parts, n, i, out, depth, kept) {
    n = split(path, parts, "/")
    depth = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == "..") { if (depth == 0) return ""; depth--; continue }
      kept[++depth] = parts[i]
    }
    out = ""
    for (i = 1; i <= depth; i++) out = out (i > 1 ? "/" : "") kept[i]
    return out
  }
  function folder(path,    p) {
    p = index(path, "/")
    return p ? substr(path, 1, p - 1) : ""
  }
  # Reports the include when the folder it reaches is a known one that is not below "from".
  function judge(reached, header,    to) {
    to = folder(reached)
    if (to == "" || to == from || !(to in rank)) return
    if (rank[to] >= rank[from]) printf "%s:%d: %s\n", FILENAME, FNR, header
  }
  FNR == 1 {
    from = folder(FILENAME)
    dir = FILENAME
    sub(/\/[^\/]*$/, "", dir)
    form = FILENAME ~ /\.ui$/
  }
  { sub(/\r$/, "") }
  form && match($0, /<(header|include)[^>]*>[^<]+<\//) {
    text = substr($0, RSTART, RLENGTH - 2)
    sub(/^<[^>]*>/, "", text)
    gsub(/^[ \t]+|[ \t]+$/, "", text)
    # uic writes the header into a generated file of the build tree: only the root path counts.
    judge(normal(text), text)
    next
  }
  !form && match($0, /^[ \t]*#[ \t]*(include_next|include|import)[ \t]*["<][^">]+[">]/) {
    text = substr($0, RSTART, RLENGTH)
    quoted = text ~ /"$/
    sub(/^[^"<]*["<]/, "", text)
    sub(/[">]$/, "", text)
    judge(normal(text), text)
    if (quoted) judge(normal(dir "/" text), text)
  }
' "${files[@]}" | sort -u)
if [ -n "$bad" ]; then
  echo "These includes reach a folder that is not below their own (see the layer order above):"
  printf '%s\n' "$bad"
  exit 1
fi
echo "every include points to the same or a lower layer"
