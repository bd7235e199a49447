#!/usr/bin/env bash
# The settings dialogs of the running client, worked by keys as a player
# would: "音声の設定" mends the vote alarm's trigger text and the current page
# is requested again once, sounding the alarm at once; "全般の設定" refuses an
# interval of 9 with its message, takes "010" as typed, and the running
# automatic refresh goes on at the new interval.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
# The vote trigger as shipped, spoiled by three letters at its end; a slow
# automatic refresh; a section of another name that every save must keep.
write_ini "[SOUND1]" "tohyo_trigger_string=投票</font>を行ってください。XYZ" $(sound_lines | tail -n +2) \
  "[ZENPAN]" "jidokosin_kankaku=30" "[EXTRA]" "kept=yes" $(placement_lines)
village_start day-night
client_start
login

ini_text() { iconv -f CP932 -t UTF-8 "$APP/jinro.ini" | tr -d '\r'; }
dialog_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
wait_dialog() {  # TITLE: until it is shown and has the keyboard (the keys typed next are its)
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^$1\$'" || e2e_fail "no window '$1'"
  await 10 "the keyboard in '$1'" sh -c "$(declare -f focus_window); [ \"\$(focus_window)\" = \"\$(xdotool search --onlyvisible --name '^$1\$' | head -n 1)\" ]"
}
wait_dialog_gone() { wait_for 10 sh -c "! xdotool search --onlyvisible --name '^$1\$'" || e2e_fail "'$1' still open"; }
keys() { xdotool key --clearmodifiers "$@"; }
# The level of what sounded from byte FROM on: the median loudness of the
# samples that are not silent (a square tone's plateau; the peak may ring
# above it where the sound card resamples); 0 for silence.
sound_level() {  # FROM
  tail -c +$(( ${1:-0} / 2 * 2 + 1 )) "$WORK/audio.raw" | od -An -v -td2 -w2 |
    awk '{ a = $1 < 0 ? -$1 : $1; if (a > 200) print a }' | sort -n | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : 0 }'
}
is_tone() {  # LEVEL VOLUME: within 5% of the tone of sox volume VOLUME
  awk -v l="$1" -v v="$2" 'BEGIN { w = v * 32767; d = l - w; if (d < 0) d = -d; exit !(d < w * 0.05) }'
}

# 1. Voting time with the spoiled trigger: no vote alarm.
village_advance
from=$(audio_bytes)
seq=$(last_request_seq)
n=$(pages_read)
press_button manual_refresh
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh"
wait_page_after "$n" || e2e_fail "the vote page was not read"
# Nothing sounds: a second and a half of the sound card's time after the page was read.
wait_audio_past "$(audio_bytes)" 1.5 20
[ "$(sound_level "$from")" -eq 0 ] || e2e_fail "a sound with the vote trigger spoiled: $(sound_runs "$from")"
e2e_pass "no vote alarm while its trigger is spoiled"

# 2. 設定(&C) 音声の設定(&S): the first page's first box has the focus; the
# vote trigger box is nine stops further. Drop the three letters, OK.
click_in $PAGE_X "$(page_y 300)"
open_menu c
keys s
wait_dialog '音声の設定'
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab
keys End BackSpace BackSpace BackSpace
from=$(audio_bytes)
seq=$(last_request_seq)
keys Return
wait_dialog_gone '音声の設定'
ini_text | grep -qx 'tohyo_trigger_string=投票</font>を行ってください。' || e2e_fail "SOUND1 not written: $(ini_text)"
ini_text | grep -qx 'sonmin_sound_path=t_note.mid' || e2e_fail "SOUND2 lost"
ini_text | grep -qx 'kept=yes' || e2e_fail "another section lost"
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "the current page was not requested again"
wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
level=$(sound_level "$from")
is_tone "$level" 0.30 || e2e_fail "no vote alarm after the sheet: level $level, $(sound_runs "$from")"
n=$(requests_after "$seq" | grep -c $'\tPOST\t')
[ "$n" -eq 1 ] || e2e_fail "the page was requested $n times after OK"
e2e_pass "sound sheet: trigger mended, page requested again once, vote alarm sounds"

# 3. Automatic refresh on at 30 s, then 設定(&C) 全般の設定(&G).
press_button auto_refresh
wait_status status_countdown '^次の更新まで' 10 || e2e_fail "automatic refresh did not start: '$(status_of status_countdown)'"
open_menu c
keys g
wait_dialog '全般の設定'
# Interval box: the fourth box from the focused first one.
keys Tab Tab Tab ctrl+a
xdotool type --delay 50 9
keys Return
wait_for 5 sh -c "xdotool search --onlyvisible --name '^ｴﾗｰ\$'" || e2e_fail "no message for 9 seconds"
focus_on "$(dialog_window 'ｴﾗｰ')"
keys Return
await 10 "the message to close" sh -c "! xdotool search --onlyvisible --name '^ｴﾗｰ\$'"
[ -n "$(dialog_window '全般の設定')" ] || e2e_fail "the dialog closed on a refused interval"
ini_text | grep -qx 'jidokosin_kankaku=30' || e2e_fail "a refused interval was written"
e2e_pass "interval 9 refused with its message; the dialog stays"

# Escape leaves it open too.
keys Escape
sleep 0.5  # the dialog stays: no sign of that but its staying, half a second after the key
[ -n "$(dialog_window '全般の設定')" ] || e2e_fail "Escape closed the dialog"

win=$(dialog_window '全般の設定')
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
await 10 "the keyboard in the dialog" has_focus "$win"
keys ctrl+a
xdotool type --delay 50 010
keys Return
wait_dialog_gone '全般の設定'
ok_at=$(date +%s%N)
seq=$(last_request_seq)
ini_text | grep -qx 'jidokosin_kankaku=010' || e2e_fail "interval not written as typed: $(ini_text | grep jidokosin)"
ini_text | grep -qx 'kept=yes' || e2e_fail "another section lost"
e2e_pass "interval written as typed (010)"

# The timer restarted with the new interval: the first refresh comes about
# 10 s after OK (the old 30 s timer would not fire for 24 s or more), the
# next 10 s later.
posts_after() { requests_after "$seq" | grep -c $'\tPOST\t'; }
at=()
for n in 1 2; do
  wait_for 30 sh -c "$(declare -f requests control requests_after posts_after); BASE_HOSTPORT=$BASE_HOSTPORT seq=$seq; [ \$(posts_after) -ge $n ]" ||
    e2e_fail "refresh $n did not come within 30 s"
  at+=($(( ($(date +%s%N) - ok_at) / 100000000 )))  # tenths of a second after OK
done
first=${at[0]} gap=$((at[1] - at[0]))
# ok_at is taken once the dialog is seen gone, up to a poll or two after the
# OK itself, so the first refresh may seem to come a little early.
[ "$first" -ge 80 ] && [ "$first" -le 140 ] || e2e_fail "first refresh $first/10 s after OK"
[ "$gap" -ge 85 ] && [ "$gap" -le 130 ] || e2e_fail "refreshes $gap/10 s apart"
e2e_pass "automatic refresh restarted at 10 s: first $first/10 s after OK, then $gap/10 s apart"
