#!/usr/bin/env bash
# Runs scripts/check-layers.sh, with the project's layer graph, over a
# throw-away tree: first with only allowed includes, then with a few
# includes against the graph and a folder that is not a layer.
set -euo pipefail
check=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/check-layers.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

fail() { echo "test_check_layers: $*" >&2; exit 1; }

mkdir -p "$tree/src/base" "$tree/src/page" "$tree/tests/fakes"
printf '#pragma once\n' > "$tree/src/base/text.h"
printf '#pragma once\n' > "$tree/src/page/reading.h"
cat > "$tree/src/page/reading.cpp" <<'EOF'
#include <string>
#include "reading.h"
#include "base/text.h"
#include "jinro/server_base_url.h"
EOF
printf '#include "base/text.h"\n#include "fakes/other.h"\n' > "$tree/tests/fakes/fakes.h"

out=$(bash "$check" "$tree") || fail "allowed includes were refused: $out"
[ "$out" = "layers: 4 files checked, no include against the graph" ] || fail "unexpected report: $out"

cat >> "$tree/src/page/reading.cpp" <<'EOF'
  #  include "ui/main_window.h"
#include "fakes/fakes.h"
#include "monitor/alarm_player.h"
EOF
mkdir "$tree/src/monitor" && printf '#pragma once\n' > "$tree/src/monitor/alarm_player.h"
status=0
out=$(bash "$check" "$tree") || status=$?
[ "$status" -eq 1 ] || fail "exit status $status for includes against the graph"
expected='src/monitor/alarm_player.h: in folder src/monitor, which is not a layer of scripts/layers.txt
src/page/reading.cpp:5: includes "ui/main_window.h" (layer page may not include layer ui)
src/page/reading.cpp:6: includes "fakes/fakes.h" (layer page may not include layer tests/fakes)
src/page/reading.cpp:7: includes "monitor/alarm_player.h" (layer page may not include unknown folder monitor)
layers: 5 files checked, 4 against the graph'
[ "$out" = "$expected" ] || fail "unexpected report:
$out"
# The old file's vocabulary: allowed in the jinro.ini codec, refused elsewhere.
rm -rf "$tree/src/monitor"
printf '#include "base/text.h"\n' > "$tree/src/page/reading.cpp"
mkdir -p "$tree/src/settings"
printf 'int showCmd = 3; // SW_SHOWMAXIMIZED\n' > "$tree/src/settings/settings.cpp"
printf 'const char* kind = "WaveAudio";\n' > "$tree/src/page/sound.cpp"
status=0
out=$(bash "$check" "$tree") || status=$?
[ "$status" -eq 1 ] || fail "exit status $status for a term of the old file outside its codec"
[ "$out" = 'src/page/sound.cpp:1: uses "WaveAudio" outside the jinro.ini codec' ] || fail "unexpected report:
$out"
# Shift_JIS conversions: allowed in the page layer and the settings codec,
# refused in the client, the dialogs, the platform interfaces and the Qt backend.
rm -f "$tree/src/page/sound.cpp"
printf 'int showCmd = 3;\n' > "$tree/src/settings/settings.cpp"
printf 'std::string t = utf8ToShiftJis(s);\n' >> "$tree/src/settings/settings.cpp"
printf 'std::string t = shiftJisToUtf8(s);\n' > "$tree/src/page/reading.cpp"
mkdir -p "$tree/src/client" "$tree/src/ui" "$tree/src/platform" "$tree/src/backends/qt"
printf '// the page'"'"'s text, Shift_JIS\nvoid f() { pageTextToUtf8(s); }\n' > "$tree/src/client/client.cpp"
printf 'int a;\nQString t = fromShiftJis(s); // toShiftJis\n' > "$tree/src/ui/dialog.cpp"
printf 'void showHtml(std::string_view shiftJisHtml);\n' > "$tree/src/platform/browser.h"
printf 'QUrl u = urlFromShiftJis(url);\n' > "$tree/src/backends/qt/browser.cpp"
status=0
out=$(bash "$check" "$tree") || status=$?
[ "$status" -eq 1 ] || fail "exit status $status for Shift_JIS conversions outside the page layer"
expected='src/backends/qt/browser.cpp:1: uses "urlFromShiftJis" outside the page layer and the codecs
src/platform/browser.h:1: uses "shiftJisHtml" outside the page layer and the codecs
src/ui/dialog.cpp:2: uses "fromShiftJis" outside the page layer and the codecs
src/ui/dialog.cpp:2: uses "toShiftJis" outside the page layer and the codecs'
[ "$out" = "$expected" ] || fail "unexpected report:
$out"
rm -f "$tree/src/ui/dialog.cpp" "$tree/src/platform/browser.h" "$tree/src/backends/qt/browser.cpp"
out=$(bash "$check" "$tree") || fail "conversions at the edges were refused: $out"
echo "test_check_layers: ok"
