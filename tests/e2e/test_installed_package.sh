#!/usr/bin/env bash
# The Debian package, unpacked into a private root, runs as an installed
# program: its window opens on the village's start page, the Help menu's
# readme is the installed one, jinro.ini is made in the user's XDG config
# folder, and nothing is written into the unpacked program's folders.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/package_helpers.sh"
installed_setup
PROGRAM="$ROOT/usr/games/jinro-client"
[ -x "$PROGRAM" ] && [ -x "$ROOT/usr/libexec/jinro-client/quill_pane" ] || e2e_fail "the package lacks a program"
before=$(tree_sums "$ROOT")

installed_client_start "$PROGRAM"
wait_start_page || e2e_fail "the start page was not asked for: $(village_request_lines | cut -f2,3)"
e2e_pass "the installed client's window opened on the start page"

xdotool mousemove --window "$CLIENT_WIN" 300 10 click 1
open_menu h
xdotool key r
wait_for 5 grep -q "^\(file://\)\?$ROOT/usr/share/doc/jinro-client/readme.txt\$" "$WORK/opened.txt" ||
  e2e_fail "readme not opened: $(cat "$WORK/opened.txt" 2>/dev/null)"
e2e_pass "the Help menu opens the installed readme"

installed_client_close
ini="$XDG_CONFIG_HOME/jinro-client/jinro.ini"
grep -q 'WINDOW_PLACEMENT' "$ini" 2>/dev/null || e2e_fail "no placement saved in $ini: $(ls -la "$XDG_CONFIG_HOME"/jinro-client 2>&1)"
[ -d "$XDG_CACHE_HOME/jinro-client" ] || e2e_fail "no cache folder for the day's log"
[ "$(tree_sums "$ROOT")" = "$before" ] || e2e_fail "the client wrote into its installed folders:
$(diff <(echo "$before") <(tree_sums "$ROOT"))"
e2e_pass "jinro.ini saved in \$XDG_CONFIG_HOME/jinro-client, nothing written beside the program"
