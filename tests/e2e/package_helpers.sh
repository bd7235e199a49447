# Helpers of the end-to-end tests of the installed program (they bring in
# tools/x11_lib.sh, village_helpers.sh and tests/package/package_lib.sh): the
# package unpacked into a private root (ROOT, the program at
# ROOT/usr/games/jinro-client), a private home with its XDG folders, and the
# client started against the village and closed as its close box closes it.

source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/village_helpers.sh"
source "$JINRO_SOURCE_DIR/tests/package/package_lib.sh"

CLIENT_CLASS=CLS_ZAZOR_AVOVEZ_32v1

# installed_setup: WORK (scratch), ROOT, HOME and the XDG folders.
installed_setup() {
  WORK=$(mktemp -d /tmp/jinro-installed.XXXXXX)
  trap installed_teardown EXIT
  local deb
  deb=$(package_deb "$WORK") || e2e_fail "no package"
  ROOT="$WORK/root"
  dpkg-deb -x "$deb" "$ROOT" || e2e_fail "dpkg-deb -x $deb"
  mkdir -p "$WORK/home" "$WORK/run"
  chmod 700 "$WORK/run"
  export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run"
  export XDG_CONFIG_HOME="$WORK/home/config" XDG_CACHE_HOME="$WORK/home/cache"
  export QTWEBENGINE_DISABLE_SANDBOX=1 SDL_AUDIODRIVER=dummy
  # The desktop's file opener, standing in: it writes down what it was asked to open.
  mkdir -p "$WORK/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened.txt"\n' "$WORK" >"$WORK/bin/xdg-open"
  chmod +x "$WORK/bin/xdg-open"
  export PATH="$WORK/bin:$PATH" BROWSER="$WORK/bin/xdg-open"
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION DEFAULT_BROWSER
  VILLAGE_FREE_PORT=1 village_start day-night || e2e_fail "the village did not start"
}

installed_teardown() {
  village_stop
  e2e_cleanup
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$WORK"
}

# The settings that point a client at the village, for a client that cannot
# be told on its command line.
village_ini_lines() {
  printf '%s\r\n' "[ZENPAN]" "URL_non_frame=${VILLAGE_URL}index2.html" "URL_frame=$VILLAGE_URL" \
    "URL_cgi=${VILLAGE_URL}cgi_jinro.cgi"
}

# installed_client_start PROGRAM: starts it on the village; CLIENT_PID, CLIENT_WIN.
installed_client_start() {
  e2e_start CLIENT_PID "$1" --server-url "$VILLAGE_URL" >>"$WORK/client.log" 2>&1
  wait_for 40 client_window_now || { cat "$WORK/client.log" >&2; e2e_fail "no client window"; }
  CLIENT_WIN=$(client_window_now)
}
client_window_now() { viewable_window_of "$CLIENT_PID" "$CLIENT_CLASS"; }
# The start page, asked of the village.
wait_start_page() {
  wait_for 20 sh -c "[ \$(curl -fsS --max-time 2 '$VILLAGE_ORIGIN/__control/requests?format=lines' |
    awk -F '\t' 'index(\$3, \"index2.html\") { n++ } END { print n + 0 }') -ge 1 ]"
}
# Closes the client as SIGTERM does (placement saved) and waits for its end.
installed_client_close() {
  kill -TERM "$CLIENT_PID" 2>/dev/null
  wait_for 20 is_gone "$CLIENT_PID" || e2e_fail "the client did not close"
}
# Every file under a folder with its checksum, to see that nothing changed.
tree_sums() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
