#!/usr/bin/env bash
# A copy of the installed program that carries its own jinro.ini beside the
# executable keeps its settings there, as a program in one folder always
# did, and makes nothing in the user's XDG folders.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/package_helpers.sh"
installed_setup
PROGRAM="$ROOT/usr/games/jinro-client"
village_ini_lines >"$ROOT/usr/games/jinro.ini"

installed_client_start "$PROGRAM"
wait_start_page || e2e_fail "the start page was not asked for: $(village_request_lines | cut -f2,3)"
installed_client_close
ini="$ROOT/usr/games/jinro.ini"
grep -q 'WINDOW_PLACEMENT' "$ini" || e2e_fail "no placement saved beside the program: $(cat "$ini")"
grep -q "URL_non_frame=${VILLAGE_URL}index2.html" "$ini" || e2e_fail "the settings beside the program were lost: $(cat "$ini")"
[ ! -e "$XDG_CONFIG_HOME/jinro-client" ] && [ ! -e "$XDG_CACHE_HOME/jinro-client" ] ||
  e2e_fail "a portable copy made XDG folders: $(find "$HOME")"
e2e_pass "a copy with its own jinro.ini keeps its settings beside the executable"
