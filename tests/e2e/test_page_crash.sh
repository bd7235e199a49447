#!/usr/bin/env bash
# The page's process killed during a game, with automatic refresh off: the
# client asks for the game page again by itself, the caption comes back, the
# status line says what happened, and the game's alarms carry on.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start day-night
status_file_on
client_start
login
wait_status status_game '昼' 15 || e2e_fail "no day page (status: $(status_of status_game))"
title=$(client_title)

# The page's process: the engine's zygote forks it, so it is a helper whose
# parent is a helper too (its command line is the zygote's).
renderers() {
  local p parent
  for p in $(tree_pids "$CLIENT_PID"); do
    parent=$(ps -o ppid= -p "$p" 2>/dev/null | tr -d ' ')
    [ -n "$parent" ] && grep -qa QtWebEngineProcess "/proc/$parent/cmdline" 2>/dev/null && echo "$p"
  done
}
pids=$(renderers)
[ -n "$pids" ] || e2e_fail "no page process under the client"
seq=$(last_request_seq)
kill -9 $pids
wait_request_after "$seq" 'TXTLOGIN' 20 || e2e_fail "the game page was not asked for again"
e2e_pass "the game page was asked for again after the page process died"
wait_status status_text '表示が停止したため再読み込みしました' 20 || e2e_fail "status line: '$(status_of status_text)'"
wait_for 20 sh -c "[ \"\$(xprop -id $CLIENT_WIN -notype _NET_WM_NAME)\" = '_NET_WM_NAME = \"$title\"' ]" ||
  e2e_fail "caption after the reload: '$(client_title)', before: '$title'"
client_alive || e2e_fail "the client died with its page"
e2e_pass "caption back and the status line says the page was reloaded"

# Night falls: its alarm sounds as ever.
village_advance 2
from=$(audio_bytes)
press_button manual_refresh
wait_for 15 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_night.wav)" -ge 1 ] || e2e_fail "no night alarm after the crash: $(sound_runs "$from")"
e2e_pass "the night alarm after the crash"
