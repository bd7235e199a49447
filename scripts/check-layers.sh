#!/usr/bin/env bash
# Checks that no source folder includes a layer above it: every quoted
# #include in src/ and in the layers outside src/ (tests/fakes) must name its
# own folder or a layer that scripts/layers.txt lets it include. The graph is
# read from that file only, so it is the one place to change it.
#   bash scripts/check-layers.sh [repository root, default: this script's parent folder]
# Prints each include against the graph as
#   path:line: includes "x/y.h" (layer X may not include layer Y)
# and exits 1 when there is one, 0 when there is none, 2 when it cannot run.
# Includes in <...> are the system's and are not checked; a quoted include
# without a folder is a same-folder include and is always allowed.
#
# It also checks that the old file's vocabulary stays where jinro.ini is read
# and written (src/settings/settings.* and window_geometry.*): no placement
# record's terms, no old device type names and no old window message ids
# elsewhere in src/, printed as
#   path:line: uses "term" outside the jinro.ini codec
# And that Shift_JIS stays at the edges: the page layer reads pages in it and
# the settings codec reads and writes jinro.ini in it, while the client, the
# dialogs, the platform interfaces and the Qt backend speak UTF-8 and call no
# Shift_JIS conversion (a page's own encoding is named by the page layer),
# printed as
#   path:line: uses "word" outside the page layer and the codecs
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=${1:-$here/..}
layers=$here/layers.txt

if [ ! -d "$root/src" ]; then
  echo "check-layers: $root has no src/ folder" >&2
  exit 2
fi
if [ ! -r "$layers" ]; then
  echo "check-layers: cannot read the layer graph $layers" >&2
  exit 2
fi
cd "$root"

# Layers outside src/ are named tests/<folder> in the table; scan those folders too.
dirs=(src)
while read -r d; do
  [ -d "$d" ] && dirs+=("$d")
done < <(sed -n 's/^[ \t]*\(tests\/[^: \t]*\)[ \t]*:.*/\1/p' "$layers")

files=()
mapfile -d '' files < <(find "${dirs[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

# The old file's vocabulary, outside its codec.
legacy=$(grep -nowE 'rcNormal[A-Za-z]*|showCmd|SW_SHOW[A-Z]*|WPF_[A-Z]*|WaveAudio|Sequencer|500[0-9][0-9]' \
  $(printf '%s\n' "${files[@]}" | grep '^src/' | grep -vE '^src/settings/(settings|window_geometry)\.(h|cpp)$') \
  2>/dev/null | sed -E 's/^([^:]*:[0-9]+):(.*)$/\1: uses "\2" outside the jinro.ini codec/' || true)
if [ -n "$legacy" ]; then
  printf '%s\n' "$legacy"
  exit 1
fi

# Shift_JIS conversions outside the page layer and the codecs.
utf8_only=()
mapfile -t utf8_only < <(printf '%s\n' "${files[@]}" | grep -E '^src/(client|ui|platform|backends/qt)/' || true)
if [ "${#utf8_only[@]}" -gt 0 ]; then
  encoding=$(grep -noE '[A-Za-z0-9_]*(shiftJis|ShiftJis)[A-Za-z0-9_]*' "${utf8_only[@]}" \
    | sed -E 's/^([^:]*:[0-9]+):(.*)$/\1: uses "\2" outside the page layer and the codecs/' || true)
  if [ -n "$encoding" ]; then
    printf '%s\n' "$encoding"
    exit 1
  fi
fi

exec awk -v layers="$layers" '
function dirname(p,   i, d) {
  d = ""
  for (i = length(p); i > 0; i--) if (substr(p, i, 1) == "/") { d = substr(p, 1, i - 1); break }
  return d
}
function data_error(msg) {
  if (ln) printf "check-layers: %s:%d: %s\n", layers, ln, msg > "/dev/stderr"
  else printf "check-layers: %s: %s\n", layers, msg > "/dev/stderr"
  failed_to_run = 1
  exit 2
}
BEGIN {
  ln = 0
  while ((r = (getline line < layers)) > 0) {
    ln++
    sub(/\r$/, "", line); sub(/#.*/, "", line)
    gsub(/^[ \t]+|[ \t]+$/, "", line)
    if (line == "") continue
    if (line ~ /^"[^"]+"[ \t]*=[ \t]*[^ \t]+$/) {
      hdr = line; sub(/^"/, "", hdr); sub(/".*/, "", hdr)
      to = line; sub(/.*=[ \t]*/, "", to)
      generated[hdr] = to; generated_line[hdr] = ln
      continue
    }
    if (line !~ /^[^ \t:"]+:/) data_error("expected \"layer: layers it may include\" or a generated header line, found: " line)
    name = line; sub(/:.*/, "", name)
    if (name in known) data_error("layer " name " is listed twice")
    known[name] = 1; names[++nnames] = name; name_line[name] = ln
    rest = line; sub(/^[^:]*:/, "", rest)
    n = split(rest, allowed, /[ \t]+/)
    for (i = 1; i <= n; i++) if (allowed[i] != "") { allow_list[name] = allow_list[name] " " allowed[i] }
  }
  if (r < 0) { ln = 0; data_error("cannot read it") }
  if (nnames == 0) { ln = 0; data_error("lists no layer") }

  # A layer under tests/ is included by the path below tests/; every other by its name.
  for (i = 1; i <= nnames; i++) {
    name = names[i]
    in_src[name] = (name !~ /^tests\//)
    d = in_src[name] ? name : substr(name, 7)
    layer_of_dir[d] = name
  }
  for (i = 1; i <= nnames; i++) {
    name = names[i]; ln = name_line[name]
    n = split(allow_list[name], allowed, " ")
    for (j = 1; j <= n; j++) {
      a = allowed[j]
      if (a == "*") { for (k = 1; k <= nnames; k++) if (in_src[names[k]]) allow[name, names[k]] = 1; continue }
      if (!(a in known)) data_error("layer " name " lists " a ", which is not a layer")
      allow[name, a] = 1
    }
  }
  for (hdr in generated) {
    ln = generated_line[hdr]
    if (!(generated[hdr] in known)) data_error("\"" hdr "\" counts as " generated[hdr] ", which is not a layer")
  }

  nfiles = ARGC - 1
  for (i = 1; i < ARGC; i++) {
    f = ARGV[i]; d = dirname(f); layer = ""
    if (d ~ /^src\//) { d = substr(d, 5); if ((d in known) && in_src[d]) layer = d }
    else if ((d in known) && !in_src[d]) layer = d
    layer_of_file[f] = layer
    if (layer == "") { printf "%s: in folder %s, which is not a layer of scripts/layers.txt\n", f, dirname(f); bad++ }
  }
  if (nfiles == 0) exit 0
}
FNR == 1 { cur = layer_of_file[FILENAME] }
cur == "" { next }
/^[ \t]*#[ \t]*include[ \t]*"/ {
  s = substr($0, index($0, "\"") + 1)
  e = index(s, "\"")
  if (e == 0) next
  inc = substr(s, 1, e - 1)
  if (inc !~ /\//) next
  if (inc in generated) to = generated[inc]
  else { d = dirname(inc); to = (d in layer_of_dir) ? layer_of_dir[d] : "" }
  if (to == "") {
    printf "%s:%d: includes \"%s\" (layer %s may not include unknown folder %s)\n", FILENAME, FNR, inc, cur, d
    bad++
  } else if (to != cur && !((cur, to) in allow)) {
    printf "%s:%d: includes \"%s\" (layer %s may not include layer %s)\n", FILENAME, FNR, inc, cur, to
    bad++
  }
}
END {
  if (failed_to_run) exit 2
  if (bad) { printf "layers: %d files checked, %d against the graph\n", nfiles, bad; exit 1 }
  printf "layers: %d files checked, no include against the graph\n", nfiles
}
' "${files[@]}"
