#!/usr/bin/env bash
# Another game server for one run: jinro-client --server-url URL. A URL that
# cannot serve, or an option it does not know, ends the program with status 2
# and a reason before any window opens; a good one is followed everywhere: the
# start page of a new jinro.ini, the refresh's Referer, the links of the day's
# log (row reversal and "./"), the log viewer it starts.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup

# 1. Refusals: status 2, the reason on stderr, no window, no settings written.
refused() {  # WANT-IN-STDERR ARGS...
  local want=$1; shift
  timeout 20 "$APP/jinro-client" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
  local rc=$?
  [ "$rc" = 2 ] || e2e_fail "jinro-client $* ended with $rc, not 2"
  grep -q -- "$want" "$WORK/err.txt" || e2e_fail "jinro-client $*: stderr says: $(cat "$WORK/err.txt")"
}
refused 'http:// or https://' --server-url ftp://x/
refused 'end with /' --server-url "http://127.0.0.1:1/jinro"
refused 'must not contain ./' --server-url "http://127.0.0.1:1/a/./"
refused 'needs a URL' --server-url
refused 'unknown option' --no-such-option
[ -z "$(xdotool search --class "^$CLIENT_CLASS\$" 2>/dev/null)" ] || e2e_fail "a window opened for a refused option"
[ ! -e "$APP/jinro.ini" ] || e2e_fail "a refused run wrote jinro.ini"
timeout 20 "$APP/jinro-client" --help >"$WORK/out.txt" 2>&1 || e2e_fail "--help ended with $?"
grep -q -- '--server-url URL' "$WORK/out.txt" || e2e_fail "--help says: $(cat "$WORK/out.txt")"
e2e_pass "bad URLs and unknown options refused with status 2 before any window; --help"

# 2. A village on another port and another path than the build's; no
# jinro.ini, so the start page is the new file's default.
use_base_url "http://127.0.0.1:$(free_port)/mura/"
village_start day-night
client_start
login
requests | grep -q $'\tGET\t/mura/index2.html' || e2e_fail "the start page was not asked of /mura/"
e2e_pass "a new jinro.ini starts on ${BASE_URL}index2.html; logged in"

# Rows newest first: the refresh it makes carries the Referer of this server.
seq=$(last_request_seq)
press_button reverse
wait_request_after "$seq" $'\tPOST\t/mura/cgi_jinro.cgi' 10 || e2e_fail "no refresh on 逆"
requests_after "$seq" | grep $'\tPOST\t' | head -n 1 | grep -q "Referer: ${BASE_URL}cgi_jinro.cgi" ||
  e2e_fail "refresh headers: $(requests_after "$seq" | grep $'\tPOST\t' | head -n 1)"
e2e_pass "Referer: ${BASE_URL}cgi_jinro.cgi"

# Vote, then night: the day's log is written and the viewer opens on it.
village_advance 2
press_button manual_refresh
wait_for 20 sh -c "xdotool search --class '^$VIEWER_CLASS\$'" || e2e_fail "no log viewer at nightfall"
[ -s "$APP/tmp.html" ] || e2e_fail "no tmp.html"
grep -qF "${BASE_URL}cgi_jinro.cgi" "$APP/tmp.html" || e2e_fail "the log's form does not post to ${BASE_URL}"
grep -qF "${BASE_URL}index2.html" "$APP/tmp.html" || e2e_fail "the log's ./ links do not lead to ${BASE_URL}"
grep -q '"\./' "$APP/tmp.html" && e2e_fail "a ./ link left in the log"
viewer_pid=$(xdotool getwindowpid "$(xdotool search --class "^$VIEWER_CLASS\$" | head -n 1)")
tr '\0' '\n' <"/proc/$viewer_pid/environ" | grep -qx "JINRO_SERVER_URL=$BASE_URL" ||
  e2e_fail "the viewer was not told the server: $(tr '\0' '\n' <"/proc/$viewer_pid/environ" | grep JINRO)"
e2e_pass "the day's log links to ${BASE_URL}, and so does the viewer"
