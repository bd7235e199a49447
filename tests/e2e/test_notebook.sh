#!/usr/bin/env bash
# The player's notebook against the village: notes typed in the pane come
# back after a restart for the same village and not for another; a Ctrl+click
# on a speech quotes it into the notes; after two nightfalls 過去の記録 lists
# day 2 and day 1, and opens each in the log viewer under its title.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start day-night
for _ in $(seq 1 6); do control chatter >/dev/null; done
export JINRO_TRACE=1
status_file_on
client_start
login
wait_status status_game '昼' 15 || e2e_fail "no day page (status: $(status_of status_game))"

host="127.0.0.1_${BASE_HOSTPORT##*:}"
notes_of() { cat "$APP/villages/$host/$1/notes.txt" 2>/dev/null; }  # VILLAGE
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
# The pane sits at the window's right (the window is 900 pixels wide).
NOTES_X=820
click_notes() { click_in $NOTES_X "$(page_y 150)"; }
traces() { grep -ac "jinro-trace $1" "$WORK/client.log"; }

# 1. Notes typed in the pane are saved for village 123.
xdotool key --clearmodifiers ctrl+m
click_notes
xdotool type --delay 30 "seer: taro"
wait_for 10 sh -c "grep -q 'seer: taro' '$APP/villages/$host/123/notes.txt'" ||
  e2e_fail "the notes were not saved (folder: $(ls -R "$APP/villages" 2>&1 | head -5))"
e2e_pass "notes saved for the village"

# 2. Ctrl+click on a speech: aim down the speech column until a row quotes;
# then again with the speeches shown newest first.
quote_a_speech() {
  local y before
  for y in $(seq 40 16 420); do
    before=$(traces speech-row)
    xdotool mousemove --window "$CLIENT_WIN" 300 "$(page_y "$y")" keydown ctrl click 1 keyup ctrl
    wait_for 3 sh -c "[ \$(grep -ac 'jinro-trace speech-row' '$WORK/client.log') -gt $before ]" || continue
    grep -a 'jinro-trace speech-row' "$WORK/client.log" | tail -n 1 | grep -q quoted && { QUOTED_Y=$y; return 0; }
  done
  return 1
}
quote_a_speech || e2e_fail "no Ctrl+click quoted a speech"
wait_for 10 sh -c "grep -q '◆.*「' '$APP/villages/$host/123/notes.txt'" || e2e_fail "the quote is not in the notes: $(notes_of 123)"
[ "$(notes_of 123 | grep -c '「')" -eq 1 ] || e2e_fail "one Ctrl+click, more than one quote: $(notes_of 123)"
e2e_pass "a Ctrl+clicked speech is quoted into the notes: $(notes_of 123 | grep '「')"

# The page's context menu quotes the same way: メモに引用 is its last item.
before=$(traces speech-row)
windows=$(xdotool search --onlyvisible --pid "$CLIENT_PID" 2>/dev/null | wc -l)
xdotool mousemove --window "$CLIENT_WIN" 300 "$(page_y "$QUOTED_Y")" click 3
wait_for 5 sh -c "[ \$(xdotool search --onlyvisible --pid $CLIENT_PID 2>/dev/null | wc -l) -gt $windows ]" ||
  e2e_fail "no context menu on the page"
xdotool key --clearmodifiers Up Return
wait_for 5 sh -c "[ \$(grep -ac 'jinro-trace speech-row' '$WORK/client.log') -gt $before ]" || e2e_fail "メモに引用 did nothing"
wait_for 10 sh -c "[ \$(grep -c '「' '$APP/villages/$host/123/notes.txt') -eq 2 ]" ||
  e2e_fail "the context menu's quote is not in the notes: $(notes_of 123)"
e2e_pass "メモに引用 in the page's context menu quotes the speech"

before=$(traces own-page-shown)
press_button reverse
wait_for 10 sh -c "[ \$(grep -ac 'jinro-trace own-page-shown' '$WORK/client.log') -gt $before ]" ||
  e2e_fail "the page was not shown newest first"
quote_a_speech || e2e_fail "no Ctrl+click quoted a speech in newest-first mode"
wait_for 10 sh -c "[ \$(grep -c '「' '$APP/villages/$host/123/notes.txt') -eq 3 ]" ||
  e2e_fail "the newest-first quote is not in the notes: $(notes_of 123)"
e2e_pass "a speech is quoted in newest-first mode too"
[ -n "${JINRO_NOTES_SHOT:-}" ] && import -window "$CLIENT_WIN" "$JINRO_NOTES_SHOT"
before=$(traces analysed)
press_button reverse
wait_for 10 sh -c "[ \$(grep -ac 'jinro-trace analysed' '$WORK/client.log') -gt $before ]" || e2e_fail "no page after 逆"

# 3. A restart: the notes are back for the same village.
kill -TERM "$CLIENT_PID"
wait_for 15 is_gone "$CLIENT_PID" || e2e_fail "the client did not close"
wait "$CLIENT_PID"
status=$?
[ "$status" -eq 0 ] || e2e_fail "the client ended with status $status when asked to close"
client_start
login
wait_status status_game '昼' 15 || e2e_fail "no day page after the restart"
xdotool key --clearmodifiers ctrl+m
click_notes
printf 'none' | xclip -selection clipboard
xdotool key --clearmodifiers ctrl+a ctrl+c
wait_for 5 sh -c "timeout 5 xclip -o -selection clipboard | grep -q 'seer: taro'" ||
  e2e_fail "the notes did not come back after the restart: '$(clipboard)'"
e2e_pass "the notes came back after a restart"

# 4. Another village starts empty: one letter typed is all its notes hold.
control "scenario?name=day-night&village=124" >/dev/null
press_button return_top
login
wait_status status_game '昼' 15 || e2e_fail "no day page in village 124"
click_notes
xdotool key --clearmodifiers ctrl+End
xdotool type --delay 30 "x"
wait_for 10 sh -c "[ \"\$(cat '$APP/villages/$host/124/notes.txt' 2>/dev/null)\" = x ]" ||
  e2e_fail "village 124's notes: '$(notes_of 124)'"
notes_of 123 | grep -q 'seer: taro' || e2e_fail "village 123's notes were lost"
e2e_pass "another village starts with empty notes"

# 5. Two nightfalls (vote, night, day 2, vote, night), each day's log kept.
for step in 1 2 3 4 5; do
  village_advance
  before=$(traces analysed)
  press_button manual_refresh
  wait_for 10 sh -c "[ \$(grep -ac 'jinro-trace analysed' '$WORK/client.log') -gt $before ]" ||
    e2e_fail "the page of step $step was not read"
done
wait_for 10 test -s "$APP/villages/$host/124/day-2.html" || e2e_fail "no day 2 log kept: $(ls "$APP/villages/$host/124")"
[ -s "$APP/villages/$host/124/day-1.html" ] || e2e_fail "no day 1 log kept"
iconv -f CP932 -t UTF-8 "$APP/villages/$host/124/day-1.html" | grep -q '(昼' || e2e_fail "day-1.html is not the day's page"
e2e_pass "the logs of day 1 and day 2 are kept"

viewer_titled() {  # TITLE
  local w
  for w in $(xdotool search --class "^$VIEWER_CLASS\$" 2>/dev/null); do
    [ "$(title_of "$w")" = "$1" ] && return 0
  done
  return 1
}
# The viewers the nightfalls opened go first.
stop_viewers
wait_for 10 sh -c "! xdotool search --class '^$VIEWER_CLASS\$' >/dev/null 2>&1" || true
open_archive() {
  click_in 300 "$((MENU_HEIGHT + 15))"
  xdotool key --clearmodifiers alt+k
  sleep 0.5
  xdotool key p
  wait_for 10 sh -c "xdotool search --name '^過去の記録\$' >/dev/null 2>&1" || e2e_fail "過去の記録 did not open"
  # No window manager here gives the dialog the keyboard: the keys go to it.
  focus_on "$(xdotool search --name '^過去の記録$' | head -n 1)"
}
open_archive
xdotool key --clearmodifiers Return
wait_for 15 viewer_titled "2日目の記録" || e2e_fail "the newest day did not open first in the viewer"
e2e_pass "過去の記録 opens day 2 first"
open_archive
xdotool key --clearmodifiers Down Return
wait_for 15 viewer_titled "1日目の記録" || e2e_fail "day 1 did not open from 過去の記録"
e2e_pass "過去の記録 lists day 1 after day 2 and opens it"
