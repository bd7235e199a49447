#!/usr/bin/env bash
# A whole game on a village that speaks the public 2004 script's dialect,
# with automatic refresh on: the login, the lobby filling to 22 of 22 (the
# notice, the capacity alarm), night 1, the action prompt, day 2, the vote
# prompt, ... the wolves' victory (a lobby of 22 first, then a game of 8). Every refresh keeps the login; the alarms
# sound in order; the day's log opens at nightfall and at the end; the status
# bar names each state.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=2" $(placement_lines)
village_start full-lobby-22 --dialect 2004
login_seq=$(last_request_seq)
client_start

# The alarms the client started, in order (the trace's play-called marks).
alarms_played() { grep -a 'play-called' "$WORK/client.log" | awk '{ print $NF }' | paste -sd' '; }
viewers() { xdotool search --class "^$VIEWER_CLASS\$" 2>/dev/null | while read -r w; do
  [ "$(wm_class "$w")" = "$VIEWER_CLASS" ] && echo "$w"; done; }
viewer_titles() { viewers | while read -r w; do title_of "$w"; done | sort | paste -sd' '; }
notices() { xdotool search --name '^お知らせ$' 2>/dev/null; }
game_is() {  # PATTERN WHAT
  wait_status status_game "$1" 15 || e2e_fail "$2: the status bar says '$(status_of status_game)'; alarms: $(alarms_played)"
}
step_to() {  # PATTERN WHAT: the village moves on; automatic refresh brings the page
  village_advance
  game_is "$1" "$2"
}

# The entry form of the script, filled in for the player (no. 3): Tab to the
# password and press Enter, once the client has read the page.
wait_request_after "$login_seq" 'GET.*index2.html' 20 || e2e_fail "the start page was not requested"
wait_for 20 sh -c "[ \$(grep -ac 'jinro-trace analysed' '$WORK/client.log') -ge 1 ]" || e2e_fail "the start page was not read"
click_in $PAGE_X "$(page_y 200)"
xdotool key --clearmodifiers Tab Tab Return
wait_request_after "$login_seq" 'COMMAND=LOGIN' 10 || e2e_fail "no login post"
game_is '^事件前日$' "the lobby"
wait_for 10 sh -c "$(declare -f notices); [ -n \"\$(notices)\" ]" || e2e_fail "no capacity notice on the lobby page"
box=$(notices | head -n 1)
focus_on "$box"
xdotool key --clearmodifiers Return
wait_for 5 sh -c "$(declare -f notices); [ -z \"\$(notices)\" ]" || e2e_fail "the notice did not close"
e2e_pass "logged in; the lobby and its capacity notice"

# Automatic refresh on: 21 of 22, then 22 of 22 sounds the capacity alarm and
# switches automatic refresh off, so that the lobby stays as it is.
press_button auto_refresh
step_to '^事件前日$' "21 of 22"
step_to '^定員到達$' "22 of 22"
wait_for 10 sh -c "grep -aEq 'play-called [0-9]+ full_alarm$' '$WORK/client.log'" || e2e_fail "no capacity alarm: $(alarms_played)"
wait_status status_countdown '^$' 5 || e2e_fail "automatic refresh still on: $(status_of status_countdown)"
click_in $PAGE_X "$(page_y 300)" 1   # a click on the page stops the alarm
e2e_pass "the full lobby: $(status_of status_game), its alarm, automatic refresh off"

# A game of eight, refreshed automatically from its lobby to its end.
control 'scenario?name=demo' >/dev/null
press_button auto_refresh
for living in 5 6 7 8; do
  seq=$(last_request_seq)
  village_advance
  wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh in the lobby of $living"
done
game_is '^事件前日$' "the lobby of eight"
step_to '^1日目 夜$' "night 1"
wait_for 15 sh -c "$(declare -f viewers wm_class); VIEWER_CLASS=$VIEWER_CLASS; [ -n \"\$(viewers)\" ]" ||
  e2e_fail "no viewer at nightfall"
step_to '^1日目 行動決定時間$' "the action prompt"
step_to '^2日目 昼$' "day 2"
step_to '^2日目 投票時間$' "the vote prompt"
step_to '^2日目 夜$' "night 2"
step_to '^2日目 行動決定時間$' "the action prompt of night 2"
step_to '^3日目 昼$' "day 3"
step_to '^3日目 投票時間$' "the vote of day 3"
step_to '^3日目 夜$' "night 3"
step_to '^3日目 行動決定時間$' "the action prompt of night 3"
step_to '^4日目 昼$' "day 4"
step_to '^4日目 投票時間$' "the vote of day 4"
step_to '^人狼勝利$' "the wolves' victory"
e2e_pass "the game followed to its end: $(status_of status_game)"

# The alarms, in order: the lobby's, then each change of phase and each
# prompt once, then the victory.
wait_for 10 sh -c "grep -aEq 'play-called [0-9]+ jinro$' '$WORK/client.log'"
played=$(alarms_played)
[ "$played" = "full_alarm$(printf ' night kodo daytime tohyo%.0s' 1 2 3) jinro" ] || e2e_fail "alarms: $played"
e2e_pass "alarms in order: $played"

# The day's logs: one at each nightfall and one at the end, titled by day.
all_logs_open() { local t; for t in 事件前日 2日目の記録 3日目の記録 4日目の記録; do echo " $(viewer_titles) " | grep -q " $t " || return 1; done; }
wait_for 10 all_logs_open
titles=$(viewer_titles)
for t in 事件前日 2日目の記録 3日目の記録 4日目の記録; do
  echo " $titles " | grep -q " $t " || e2e_fail "no viewer titled $t: $titles"
done
e2e_pass "log viewers: $titles"

# Every post after the login kept it: the empty command, the player's number
# and the page's FORMID, never an empty body.
posts=$(requests_after "$login_seq" | awk -F'\t' '$2 == "POST" && $3 ~ /cgi_jinro.cgi$/ { print $4 }' | tail -n +2)
n=$(echo "$posts" | grep -c .)
[ "$n" -ge 15 ] || e2e_fail "only $n refreshes"
bad=$(echo "$posts" | grep -Ev '^COMMAND=&CMBPLAYER=&TXTMSG=&TXTPNO=3&VILLAGENO=1&TXTLOGIN=2&FORMID=[0-9]+$' | head -n 3)
[ -z "$bad" ] || e2e_fail "refresh bodies: $bad"
e2e_pass "$n refreshes, each keeping the login"
