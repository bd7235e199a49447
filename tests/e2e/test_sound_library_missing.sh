#!/usr/bin/env bash
# Without SDL2_mixer on the system the client still starts and plays the
# game: the alarm it cannot sound is told in the status bar and the log,
# naming the library. The library is hidden from the client alone, behind an
# empty file in a mount namespace of its own (skipped where none can be made).
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
unshare -m true 2>/dev/null || { echo "skipped: no mount namespace can be made here"; exit 77; }
mixer=$(ldconfig -p | sed -n 's/^\s*libSDL2_mixer-2\.0\.so\.0 (libc6,x86-64) => //p' | head -n 1)
[ -n "$mixer" ] || e2e_fail "SDL2_mixer is not installed, so there is nothing to hide"
client_setup
village_start day-night
: >"$WORK/empty" && : >"$WORK/audio.raw"
e2e_start CLIENT_PID unshare -m sh -c "mount --bind '$WORK/empty' '$(readlink -f "$mixer")' && exec env \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='$WORK/audio.raw' '$APP/jinro-client' --server-url '$BASE_URL'" \
  >>"$WORK/client.log" 2>&1
wait_for 40 client_window_now || e2e_fail "no client window without the sound library"
CLIENT_WIN=$(client_window_now)
login
village_advance   # voting time: its alarm
seq=$(last_request_seq)
press_button manual_refresh
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh"
wait_status status_game '投票時間' || e2e_fail "the voting page was not read: $(status_of status_game)"
wait_status status_text 'the sound library cannot be opened: .*libSDL2_mixer-2\.0\.so\.0' ||
  e2e_fail "the status bar does not name the missing library: $(status_of status_text)"
grep -aq 'the tohyo alarm is silent: no audio output: the sound library cannot be opened' "$WORK/client.log" ||
  e2e_fail "no reason in the log: $(grep -a silent "$WORK/client.log")"
client_alive || e2e_fail "the client died without its sound library"
[ ! -s "$WORK/audio.raw" ] || e2e_fail "a sound was played without the sound library"
e2e_pass "without SDL2_mixer: the game is read, the silent alarm is told with the library's name"
