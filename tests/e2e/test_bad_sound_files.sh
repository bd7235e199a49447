#!/usr/bin/env bash
# Alarms whose sound file is missing, cut short, or not what its name says:
# the alarm is silent, the client goes on, and the reason is given (the
# status line, and a line on the client's standard error that this test
# reads), naming the file as the settings do. A good file set afterwards
# plays again.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
# The vote alarm's file does not exist; the night alarm's is text named .wav;
# the daytime alarm's is a WAV file cut in the middle of its sound data.
rm -f "$APP/t_vote.wav"
printf 'this is not a sound\n' >"$APP/t_night.wav"
head -c 20000 "$APP/t_day.wav" >"$APP/t_cut.wav"
write_ini $(sound_lines | sed 's/^daytime_sound_path=.*/daytime_sound_path=t_cut.wav/') $(placement_lines)
village_start day-night
client_start
login

# refresh_and_listen: a refresh, then two seconds of what the sound card got.
refresh_and_listen() {
  FROM=$(audio_bytes)
  local seq; seq=$(last_request_seq)
  press_button manual_refresh
  wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh"
  wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((FROM + BYTES_PER_SECOND * 2)) ]"
}
reason_given() {  # KIND TEXT
  wait_for 5 grep -qF "the $1 alarm is silent: $2" "$WORK/client.log"
}

village_advance   # voting time: the vote alarm, its file missing
refresh_and_listen
client_alive || e2e_fail "the client died on a missing sound file"
[ -z "$(sound_runs "$FROM")" ] || e2e_fail "a sound from a missing file: $(sound_runs "$FROM")"
reason_given tohyo "cannot open t_vote.wav: " || e2e_fail "no reason for the missing file: $(grep -a 'silent' "$WORK/client.log")"
e2e_pass "missing file: silent, reason given"

village_advance   # night: its file is text
refresh_and_listen
client_alive || e2e_fail "the client died on a text file named .wav"
[ -z "$(sound_runs "$FROM")" ] || e2e_fail "a sound from a text file: $(sound_runs "$FROM")"
reason_given night "t_night.wav is not a sound file" || e2e_fail "no reason for the text file: $(grep -a 'silent' "$WORK/client.log")"
e2e_pass "not a sound file: silent, reason given"

village_advance   # day 2: its file is cut short
refresh_and_listen
client_alive || e2e_fail "the client died on a truncated file"
[ -z "$(sound_runs "$FROM")" ] || e2e_fail "a sound from a truncated file: $(sound_runs "$FROM")"
reason_given daytime "t_cut.wav: the WAV file is truncated" || e2e_fail "no reason for the cut file: $(grep -a 'silent' "$WORK/client.log")"
e2e_pass "truncated file: silent, reason given"

# Each reason once, however often the page is refreshed.
refresh_and_listen
[ -z "$(grep -a 'alarm is silent' "$WORK/client.log" | sort | uniq -d)" ] ||
  e2e_fail "reasons repeated: $(grep -a 'silent' "$WORK/client.log")"

# The vote file appears: the next voting time sounds it.
tone t_vote.wav 0.30 0.4
village_advance   # voting time of day 2
refresh_and_listen
[ "$(runs_of_tone "$FROM" t_vote.wav)" -ge 1 ] || e2e_fail "no vote alarm once its file exists: $(sound_runs "$FROM")"
e2e_pass "a good file plays again"
