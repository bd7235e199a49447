#!/usr/bin/env bash
# The client as a player starts it: its window (class, menu, toolbar), the
# start page, the login, then the refreshes: automatic refresh posts exactly
# the body and the two header lines, on the toolbar's buttons and the menu's
# keys; the return to the start page; the start page switches automatic
# refresh off.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
# A short refresh interval (the file's value is taken as it stands).
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=2" $(placement_lines)
village_start day-night
client_start

# 1. The window: WM_CLASS class part exactly, the start page opened with a GET.
[ "$(wm_class "$CLIENT_WIN")" = "$CLIENT_CLASS" ] || e2e_fail "WM_CLASS is $(xprop -id "$CLIENT_WIN" WM_CLASS)"
wait_title '入口' 20 || e2e_fail "start page not shown: $(client_title)"
requests | grep -q $'\tGET\t'"${BASE_PATH}index2.html" || e2e_fail "no GET of the start page"
xprop -id "$CLIENT_WIN" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (' || e2e_fail "no application icon"
e2e_pass "window class, icon and start page"

# ﾍﾙﾌﾟ(&H): the read-me goes to the desktop's opener, the version box opens.
click_in 300 "$((MENU_HEIGHT + 15))"
open_menu h
xdotool key r
wait_for 5 grep -q "$APP/readme.txt" "$WORK/opened.txt" || e2e_fail "readme.txt not opened: $(cat "$WORK/opened.txt" 2>/dev/null)"
version_box_round 5 "no version box"
wait_for 5 sh -c "! xdotool search --name '^ﾊﾞｰｼﾞｮﾝ情報\$'" || e2e_fail "the version box did not close"
e2e_pass "read-me opened with the desktop's opener; version box"

# 2. Login through the page's own form, by keys.
login
e2e_pass "logged in: $(client_title)"

body="COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID="
check_refresh_post() {  # LINE
  local method target sent headers
  IFS=$'\t' read -r _ method target sent headers <<<"$1"
  [ "$method" = POST ] || e2e_fail "refresh is $method"
  [ "$target" = "${BASE_PATH}cgi_jinro.cgi" ] || e2e_fail "refresh went to $target"
  case "$sent" in "$body"[0-9]*) ;; *) e2e_fail "refresh body: $sent" ;; esac
  echo "$headers" | grep -q 'Content-Type: application/x-www-form-urlencoded' || e2e_fail "content type: $headers"
  echo "$headers" | grep -q "Referer: ${BASE_URL}cgi_jinro.cgi" || e2e_fail "referer: $headers"
}

# 3. Manual refresh from the toolbar (手) and from the menu by its keys.
seq=$(last_request_seq)
press_button manual_refresh
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no post after the 手 button"
check_refresh_post "$(requests_after "$seq" | grep POST | head -n 1)"
seq=$(last_request_seq)
click_in $PAGE_X "$(page_y 300)"   # the page has the focus
open_menu f
xdotool key h
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no post after ﾌｧｲﾙ(&F) 手動更新(&H) typed in the page"
e2e_pass "manual refresh: exact body and headers; menu mnemonics work with the page focused"

# 4. Automatic refresh on (自): posts every 2 s without a click.
seq=$(last_request_seq)
press_button auto_refresh
sleep 5.5  # the number of posts in this time is what is tested
n=$(requests_after "$seq" | grep -c $'\tPOST\t')
[ "$n" -ge 2 ] && [ "$n" -le 4 ] || e2e_fail "automatic refresh posted $n times in 5.5 s"
while IFS= read -r line; do check_refresh_post "$line"; done < <(requests_after "$seq" | grep $'\tPOST\t')
e2e_pass "automatic refresh: $n posts in 5.5 s, each exact"

# 5. The return to the start page (戻) posts to the start page and switches
# automatic refresh off: nothing more is posted afterwards.
seq=$(last_request_seq)
n=$(pages_read)
press_button return_top
wait_request_after "$seq" "POST.${BASE_PATH}index2.html" 10 || e2e_fail "no post to the start page"
line=$(requests_after "$seq" | grep $'\tPOST\t'"${BASE_PATH}index2.html" | head -n 1)
echo "$line" | grep -q "Referer: ${BASE_URL}cgi_jinro.cgi" || e2e_fail "return to top headers: $line"
wait_title '入口' 10 || e2e_fail "not on the start page: $(client_title)"
wait_page_after "$n" || e2e_fail "the start page was not read"
seq=$(last_request_seq)
sleep 4.5  # that nothing is posted in this time is what is tested
n=$(requests_after "$seq" | grep -c $'\tPOST\t')
[ "$n" -eq 0 ] || e2e_fail "automatic refresh still posted $n times after the start page"
e2e_pass "return to top posts to the start page and ends automatic refresh"

# The Referer is the built-in one even where the page shown is elsewhere: a
# refresh of the start page carries .../cgi_jinro.cgi, not the page's address.
seq=$(last_request_seq)
press_button manual_refresh
wait_request_after "$seq" "POST.${BASE_PATH}index2.html" 10 || e2e_fail "no refresh of the start page"
requests_after "$seq" | grep $'\tPOST\t' | head -n 1 | grep -q "Referer: ${BASE_URL}cgi_jinro.cgi" ||
  e2e_fail "start page refresh: $(requests_after "$seq" | head -n 1)"
e2e_pass "the Referer is the built-in address"

# 6. The village stops mid-game: the client stays up; back again, it goes on.
login
village_stop
press_button manual_refresh
wait_status status_load '^接続できません' 10 || e2e_fail "the failed load was not shown: '$(status_of status_load)'"
client_alive || e2e_fail "the client died when the village stopped"
village_start day-night
press_button return_top
login
client_alive || e2e_fail "the client died"
e2e_pass "village stopped mid-game: the client kept running"

# 7. ﾌｧｲﾙ(&F) 終了(&Q) closes it.
open_menu f
xdotool key q
wait_for 10 is_gone "$CLIENT_PID" || e2e_fail "the client did not close on 終了"
e2e_pass "closed from the menu"

# 8. No browser engine to be had: "初期化に失敗" in a box captioned "ごめりんこ",
# then the program ends.
e2e_start BROKEN_PID env QTWEBENGINEPROCESS_PATH=/nonexistent "$APP/jinro-client" >>"$WORK/client.log" 2>&1
wait_for 20 sh -c "xdotool search --name '^ごめりんこ\$'" || e2e_fail "no failure box"
box=$(xdotool search --name '^ごめりんこ$' | head -n 1)
focus_on "$box"
xdotool key --clearmodifiers Return
wait_for 10 is_gone "$BROKEN_PID" || e2e_fail "the program did not end after the failure box"
e2e_pass "a browser that cannot be created: the failure box, then the end"
