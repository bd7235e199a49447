#!/usr/bin/env bash
# Automatic refresh never logs the player out. A page reached by its own
# address (the registration form) is asked for again by it and sounds its
# alarm. A page that is no game page and came back from the bare script
# address (an error in the middle of a game) is followed by a refresh of the
# game page's form, in either dialect; with no game page before it (a wrong
# password), automatic refresh pauses and says so.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=2" $(placement_lines)
village_start registration
client_start

cgi_posts_after() {  # SEQ: the bodies of the posts to the bare script address
  requests_after "$1" | awk -F'\t' '$2 == "POST" && $3 ~ /cgi_jinro.cgi$/ { print $4 }'
}
fail_next() { control "fail-next?n=${1:-1}" >/dev/null; }
fails_left() { control state | sed -n 's/.*"fail_next":\([0-9]*\).*/\1/p'; }
# An error page answers the next post; the refresh after it brings the game
# back: every post kept the game's form.
error_then_game() {  # BODY_PATTERN STATUS_PATTERN
  local seq from
  seq=$(last_request_seq)
  from=$(status_lines)
  fail_next 1
  wait_for 10 sh -c "$(declare -f control fails_left); BASE_HOSTPORT=$BASE_HOSTPORT; [ \"\$(fails_left)\" = 0 ]" ||
    e2e_fail "no post met the error"
  wait_for 10 sh -c "$(declare -f status_since); WORK='$WORK'; status_since status_game $from | grep -qx ''"
  wait_status status_game "$2" 10 || e2e_fail "the game did not come back: '$(status_of status_game)'"
  status_since status_game "$from" | grep -qx '' || e2e_fail "the error page was not shown"
  local bodies; bodies=$(cgi_posts_after "$seq")
  [ "$(echo "$bodies" | grep -c .)" -ge 2 ] || e2e_fail "posts after the error: $bodies"
  local bad; bad=$(echo "$bodies" | grep -Ev "$1" | head -n 2)
  [ -z "$bad" ] || e2e_fail "a post without the game's form: '$bad'"
}

# 1. The registration form, reached by its link: its alarm, and automatic
# refresh asks for it again by its own address.
wait_title '入口' 20 || e2e_fail "no entry page: $(client_title)"
click_in $PAGE_X "$(page_y 200)"
xdotool key --clearmodifiers Tab Tab Tab Tab Tab Return
wait_status status_game '^登録受付中$' 15 || e2e_fail "no registration form: '$(status_of status_game)'"
wait_for 10 sh -c "grep -aEq 'play-called [0-9]+ sonmintoroku$' '$WORK/client.log'" || e2e_fail "no registration alarm"
seq=$(last_request_seq)
n=$(pages_read)
press_button auto_refresh
wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh of the registration form"
wait_page_after "$n" || e2e_fail "the refreshed registration form was not read"
line=$(requests_after "$seq" | awk -F'\t' '$2 == "POST"' | head -n 1)
target=$(printf '%s\n' "$line" | cut -f3)
body=$(printf '%s\n' "$line" | cut -f4)
[ "$target" = "${BASE_PATH}cgi_jinro.cgi?COMMAND=ENTRY&VILLAGENO=123" ] || e2e_fail "refreshed $target"
[ -z "$body" ] || e2e_fail "the registration form was posted '$body'"
[ "$(status_of status_game)" = 登録受付中 ] || e2e_fail "after the refresh: $(status_of status_game)"
e2e_pass "the registration form: its alarm, refreshed by its own address"

# 2. Our dialect: an error in the middle of the game.
control 'scenario?name=day-night' >/dev/null
press_button return_top
login
press_button auto_refresh
error_then_game '^COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID=[0-9]+$' \
  '^1日目 昼$'
e2e_pass "our dialect: the refresh after an error page posted the game's form"

# 3. The 2004 dialect. A wrong password, with no game page before it:
# automatic refresh pauses until the player brings another page.
village_stop
village_start day-night --dialect 2004
seq=0
n=$(pages_read)
press_button return_top
wait_request_after "$seq" "index2.html" 15 || e2e_fail "no start page: $(requests | tail -n 3 | cut -f1-4)"
wait_page_after "$n" || e2e_fail "the start page was not read"
click_in $PAGE_X "$(page_y 200)"
n=$(pages_read)
xdotool key --clearmodifiers Tab Tab x Return
wait_request_after "$seq" 'COMMAND=LOGIN' 10 || e2e_fail "no login post"
wait_page_after "$n" || e2e_fail "the wrong password's page was not read"
press_button auto_refresh
wait_status status_countdown '^自動更新を一時停止 — ゲーム画面ではありません$' 10 ||
  e2e_fail "no pause: '$(status_of status_countdown)'"
seq=$(last_request_seq)
sleep 5  # that nothing is posted in this time is what is tested
[ -z "$(requests_after "$seq" | awk -F'\t' '$2 == "POST"')" ] || e2e_fail "a paused refresh posted"
e2e_pass "a wrong password: automatic refresh paused"

seq=$(last_request_seq)
n=$(pages_read)
press_button return_top
wait_request_after "$seq" "index2.html" 15 || e2e_fail "no start page: $(requests | tail -n 3 | cut -f1-4)"
wait_page_after "$n" || e2e_fail "the start page was not read"
click_in $PAGE_X "$(page_y 200)"
xdotool key --clearmodifiers Tab Tab Return
wait_status status_game '^1日目 夜$' 15 || e2e_fail "no game page after the login: '$(status_of status_game)'"
press_button auto_refresh
wait_status status_countdown '^次の更新まで' 10 || e2e_fail "automatic refresh did not go on: '$(status_of status_countdown)'"
error_then_game '^COMMAND=&CMBPLAYER=&TXTMSG=&TXTPNO=3&VILLAGENO=1&TXTLOGIN=2&FORMID=[0-9]+$' '^1日目 夜$'
[ -z "$(requests | awk -F'\t' '$2 == "POST" && $3 ~ /cgi_jinro.cgi$/ && $4 == ""')" ] || e2e_fail "an empty post reached the script"
e2e_pass "the 2004 dialect: the refresh after an error page posted the game's form; no empty post"
