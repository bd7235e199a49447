#!/usr/bin/env bash
# The alarms a player hears: a victory page sounds its alarm once, not again
# on later refreshes; the full lobby shows the notice once and starts the
# capacity alarm, which repeats until a left click on the page stops it (a
# right click doesn't). The sound goes to SDL's disk writer.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start victory
client_start
login_from=$(audio_bytes)
login
wait_audio() { wait_audio_past "$1" "$2" 20; }  # FROM SECONDS: until the disk writer has written that much after FROM

# 1. Victory: one play of its sound, none on the refreshes after it. (The
# first page is the vote: its alarm plays first and is let finish.)
await 20 "the vote page's alarm to sound and end" sound_over "$login_from"
village_advance
from=$(audio_bytes)
press_button manual_refresh
wait_title '' 5
wait_audio "$from" 6
n=$(sound_runs "$from" | wc -l)
[ "$n" -eq 1 ] || e2e_fail "victory page: $n sounds: $(sound_runs "$from")"
from=$(audio_bytes)
refresh_and_read "the victory page, refreshed"
refresh_and_read "the victory page, refreshed again"
wait_audio "$from" 4
[ "$(sound_runs "$from" | wc -l)" -eq 0 ] || e2e_fail "victory alarm again on refresh: $(sound_runs "$from")"
e2e_pass "victory alarm once"

# 2. The full lobby.
notices() { xdotool search --name '^お知らせ$' 2>/dev/null; }
control 'scenario?name=full-lobby' >/dev/null
press_button return_top
login
wait_for 10 sh -c "$(declare -f notices); [ -n \"\$(notices)\" ]" || e2e_fail "no capacity notice on the lobby page"
box=$(notices | head -n 1)
focus_on "$box"
xdotool key --clearmodifiers Return
wait_for 5 sh -c "$(declare -f notices); [ -z \"\$(notices)\" ]" || e2e_fail "the notice did not close"
refresh_and_read "the lobby page, refreshed"
sleep 1  # the notice does not come back: no sign but its absence, for a second after the page was read
[ -z "$(notices)" ] || e2e_fail "the notice came again"
e2e_pass "capacity notice shown once"

village_advance   # the lobby fills
from=$(audio_bytes)
press_button manual_refresh
wait_audio "$from" 3
# The file lasts 0.4 s: more than a second of it means it repeats.
t=$(seconds_of_tone "$from" t_full.wav)
awk -v t="$t" 'BEGIN { exit !(t >= 1.2) }' || e2e_fail "capacity alarm does not repeat: $(sound_runs "$from")"
e2e_pass "capacity alarm repeats (${t} s of a 0.4 s sound)"

click_in $PAGE_X "$(page_y 300)" 3
xdotool key Escape
from=$(audio_bytes)
wait_audio "$from" 2
t=$(seconds_of_tone "$from" t_full.wav)
awk -v t="$t" 'BEGIN { exit !(t >= 1.5) }' || e2e_fail "a right click stopped the capacity alarm: $(sound_runs "$from")"
click_in $PAGE_X "$(page_y 300)" 1
wait_for 5 audio_quiet_now  # the alarm stopped (the check below says so if not)
from=$(audio_bytes)
wait_audio "$from" 3
[ "$(sound_runs "$from" | wc -l)" -eq 0 ] || e2e_fail "the left click did not stop it: $(sound_runs "$from")"
e2e_pass "a left click on the page stops the capacity alarm, a right click does not"
