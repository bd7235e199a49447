#!/usr/bin/env bash
# Day to night: the vote alarm, then the night alarm, and the log viewer opens
# on its own with the day's log title, "tmp.html" holding the last day page;
# night to day sounds the daytime alarm. Pages in another encoding (UTF-8,
# EUC-JP) do not upset the client.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start day-night
client_start
login
viewers() { xdotool search --class "^$VIEWER_CLASS\$" 2>/dev/null | while read -r w; do
  [ "$(wm_class "$w")" = "$VIEWER_CLASS" ] && echo "$w"; done; }

# The first game page is classified silently: read (the login waits for
# that), and nothing sounds during a second and a half of the sound card's
# time after it.
wait_audio_past "$(audio_bytes)" 1.5 20
[ "$(sound_runs 0 | wc -l)" -eq 0 ] || e2e_fail "a sound on the first game page: $(sound_runs 0)"
[ -z "$(viewers)" ] || e2e_fail "a viewer opened on the first game page"

# Voting time: the vote alarm on the next refresh.
village_advance
from=$(audio_bytes)
press_button manual_refresh
wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_vote.wav)" -ge 1 ] || e2e_fail "no vote alarm: $(sound_runs "$from")"
e2e_pass "vote alarm"

# Night falls.
village_advance
from=$(audio_bytes)
press_button manual_refresh
wait_title '夜' 10 || true
wait_for 15 sh -c "$(declare -f viewers wm_class); VIEWER_CLASS=$VIEWER_CLASS; [ -n \"\$(viewers)\" ]" ||
  e2e_fail "no viewer window at nightfall"
win=$(viewers | head -n 1)
title=$(title_of "$win")
[ "$title" = "1日目の記録" ] || e2e_fail "viewer title: '$title'"
e2e_pass "viewer opened at nightfall, titled $title"

[ -s "$APP/tmp.html" ] || e2e_fail "no tmp.html"
log=$(iconv -f CP932 -t UTF-8 "$APP/tmp.html") || e2e_fail "tmp.html is not Shift_JIS"
echo "$log" | grep -q '(昼' || e2e_fail "tmp.html does not hold the day page"
echo "$log" | grep -q '(夜' && e2e_fail "tmp.html holds the night page"
grep -q $'\r$' "$APP/tmp.html" || e2e_fail "tmp.html lines do not end in CR LF"
e2e_pass "tmp.html holds the last day page"

wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_night.wav)" -eq 1 ] || e2e_fail "night alarm: $(sound_runs "$from")"
e2e_pass "night alarm sounded once"

# The viewer did not take the focus from the client.
focus=$(xdotool getwindowfocus 2>/dev/null)
[ "$focus" != "$win" ] || e2e_fail "the viewer took the focus"

# Day comes again.
village_advance
from=$(audio_bytes)
press_button manual_refresh
wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_day.wav)" -eq 1 ] || e2e_fail "daytime alarm: $(sound_runs "$from")"
e2e_pass "daytime alarm"

# Pages in UTF-8 and EUC-JP: the client stays up and goes on refreshing.
for enc in utf8 eucjp; do
  control "scenario?name=$enc" >/dev/null
  seq=$(last_request_seq)
  n=$(pages_read)
  press_button manual_refresh
  wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh ($enc)"
  wait_page_after "$n" || e2e_fail "the $enc page was not read"
  client_alive || e2e_fail "the client died on a $enc page"
done
e2e_pass "pages in other encodings: still running"
