#!/usr/bin/env bash
# Pages that try the client: a link to the framed entry (refused, back to
# the start page), pages that open new windows (they open outside, in the
# desktop's browser), a page that keeps navigating itself, a day page of more
# than 5 MB, 1 MiB of random bytes, 100,000 rows, tables nested 10,000 deep.
# The client keeps running and keeps its state: a refresh afterwards still
# posts the page's form.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
# The rules page stands for the framed entry here: the village's pages link
# to it, so a player can follow such a link.
write_ini $(sound_lines) "[ZENPAN]" "URL_frame=${BASE_URL}jinro_rule.html" $(placement_lines)
village_start day-night
client_start
wait_title '入口' 20 || e2e_fail "no start page"

# 1. The link to the refused address: the entry page's ルール, by keys.
seq=$(last_request_seq)
click_in $PAGE_X "$(page_y 250)"
xdotool key --clearmodifiers Tab Tab Tab Tab Tab Tab Tab Return
wait_request_after "$seq" "POST.${BASE_PATH}index2.html" 10 || e2e_fail "no return to the start page"
requests_after "$seq" | grep -q "jinro_rule.html" && requests_after "$seq" | grep -q $'\tGET\t'"${BASE_PATH}jinro_rule.html" &&
  e2e_fail "the refused page was fetched"
wait_title '入口' 10 || e2e_fail "not on the start page: $(client_title)"
e2e_pass "a link to the refused address lands on the start page"

login
game_post_after() {  # SEQ: a refresh of the game page was posted
  requests_after "$1" | grep $'\tPOST\t' | grep -q "cgi_jinro.cgi"
}
still_playing() {  # LABEL: alive, one window, and a refresh posts the player's form
  client_alive || e2e_fail "$1: the client died"
  local n=0 w
  for w in $(xdotool search --pid "$CLIENT_PID" 2>/dev/null); do
    [ "$(wm_class "$w")" = "$CLIENT_CLASS" ] && [ "$(map_state "$w")" = IsViewable ] && n=$((n + 1))
  done
  [ "$n" -eq 1 ] || e2e_fail "$1: $n client windows on screen"
  local seq; seq=$(last_request_seq)
  press_button manual_refresh
  # Pages of 10 MB take the village and the browser their time.
  wait_for 90 sh -c "$(declare -f requests control requests_after game_post_after); BASE_HOSTPORT=$BASE_HOSTPORT; game_post_after $seq" ||
    e2e_fail "$1: no refresh of the player's page afterwards"
}

# 2. New windows open outside.
control 'scenario?name=opens-windows' >/dev/null
press_button manual_refresh
wait_for 15 sh -c "[ \$(grep -c 'jinro_rule.html' '$WORK/opened.txt' 2>/dev/null) -ge 5 ]" ||
  e2e_fail "new windows did not go to the desktop's browser: $(cat "$WORK/opened.txt" 2>/dev/null)"
grep -q "${BASE_URL}jinro_rule.html?w=0" "$WORK/opened.txt" || e2e_fail "opened: $(cat "$WORK/opened.txt")"
still_playing "opens-windows"
e2e_pass "window.open goes to the desktop's browser ($(wc -l <"$WORK/opened.txt") opened)"

# 3. A page that keeps navigating itself (to the spectators' view, whose
# form the next refreshes then post: that is the page's doing). Afterwards a
# plain game again: a refresh replaces the page that navigates itself, and
# once it is quiet the return to the start page and a new login.
control "scenario?name=self-navigate" >/dev/null
seq=$(last_request_seq)
press_button manual_refresh
# The page at work: it has gone to itself a few times.
await 30 "the page to navigate itself" sh -c "$(declare -f requests control requests_after); BASE_HOSTPORT=$BASE_HOSTPORT; [ \$(requests_after $seq | grep -c 'COMMAND=VIEW') -ge 5 ]"
still_playing "self-navigate"
control 'scenario?name=day-night' >/dev/null
press_button manual_refresh
for _ in $(seq 1 30); do   # until the page has stopped navigating: no request for 1.5 s
  a=$(last_request_seq); sleep 1.5; [ "$(last_request_seq)" = "$a" ] && break
done
press_button return_top
login
e2e_pass "self-navigate: still running; back to a normal game afterwards"

# CMD... asks for the scenario's page; waits until the village has been asked.
hostile_refresh() {
  local seq; seq=$(last_request_seq)
  "$@"
  wait_for 90 sh -c "$(declare -f requests control requests_after game_post_after); BASE_HOSTPORT=$BASE_HOSTPORT; game_post_after $seq" ||
    e2e_fail "$scenario: the page was not asked for"
}
# 4.-7. Huge pages, in normal (and for the 5 MB page also in reverse-row) mode.
for scenario in huge random-bytes rows-100000 nested-10000; do
  control "scenario?name=$scenario" >/dev/null
  hostile_refresh press_button manual_refresh
  still_playing "$scenario"
  case $scenario in huge)
    hostile_refresh press_button reverse   # reverse-row mode on
    still_playing "$scenario (reverse rows)"
    hostile_refresh press_button reverse ;;
  esac
  e2e_pass "$scenario: still running, still refreshing"
done

# Tables nested 10,000 deep keep the browser's page process busy for long;
# the client's own window still answers: the version box opens and closes.
version_box_round 10 "the window does not answer"
e2e_pass "the client's window answers while the page is busy"
