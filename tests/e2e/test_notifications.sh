#!/usr/bin/env bash
# Alarms while the player works in another window: each alarm that starts
# then is told once by a desktop notification (the program's name, the
# alarm's name as the sound settings call it, the program's picture) and the
# window asks for attention; an alarm heard at the window tells nothing more.
# Without a session bus the alarm and the attention stay, and nothing shows.
# Runs on a private session bus with a stand-in notification service, under
# openbox, which marks the window that asks for attention.
set -u
if [ -z "${JINRO_E2E_PRIVATE_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "FAIL: dbus-run-session is missing" >&2; exit 1; }
  JINRO_E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'fd limit' >&2)
fi
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
# Automatic refresh every two seconds: the alarms come without a click that
# would bring the client's window to the front.
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=2" $(placement_lines)
start_openbox "$WORK"
NOTES="$WORK/notifications.log"
: >"$NOTES"
e2e_start SERVICE_PID "$E2E_TOOLS/notification-server" "$NOTES" >"$WORK/service.out"
wait_for 10 grep -q ready "$WORK/service.out" || e2e_fail "the notification service did not start"
village_start day-night
client_start
login

notes() { wc -l <"$NOTES"; }
wants_attention() { xprop -id "$CLIENT_WIN" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }
# Waits until the disk writer has sounded something after byte FROM.
wait_sound() { wait_for 15 sh -c "$(declare -f sound_runs); WORK='$WORK'; [ -n \"\$(sound_runs $1)\" ]"; }

# 1. At the window: the vote alarm sounds, nothing else tells it.
press_button auto_refresh
xdotool windowactivate --sync "$CLIENT_WIN" 2>/dev/null
from=$(audio_bytes)
village_advance
wait_sound "$from" || e2e_fail "no vote alarm"
sleep 1  # no notification comes: nothing shows that but its absence, a second after the alarm
[ "$(notes)" -eq 0 ] || e2e_fail "a notification while the window was active: $(cat "$NOTES")"
wants_attention && e2e_fail "the active window asks for attention"
e2e_pass "an alarm at the window: no notification, no attention asked"

# 2. Another window in front: nightfall, then morning, each told once. The
# seer's night page asks for the night's action too: its alarm gives way to
# nightfall's within the page and comes back on the next refresh, which tells
# it then.
e2e_start OTHER_PID "$E2E_TOOLS/x11-test-window" OtherProgram other "another program" 400x300+300+300 \
  >"$WORK/other.out"
wait_for 10 test -s "$WORK/other.out" || e2e_fail "no other window"
other=$(head -n 1 "$WORK/other.out")
xdotool windowactivate --sync "$other" 2>/dev/null
wait_for 5 sh -c "[ \"\$(xdotool getactivewindow)\" = \"$((other))\" ]" || e2e_fail "the other window did not come to the front"
from=$(audio_bytes)
village_advance
wait_for 15 sh -c "[ \$(wc -l <'$NOTES') -ge 2 ]" || e2e_fail "no notification of nightfall: $(cat "$NOTES")"
wait_for 5 wants_attention || e2e_fail "the window did not ask for attention: $(xprop -id "$CLIENT_WIN" _NET_WM_STATE WM_HINTS)"
n=$(pages_read)
wait_page_after $((n + 1)) || e2e_fail "the night page was not refreshed twice more"  # two more reads of the same night page
[ "$(notes)" -eq 2 ] || e2e_fail "the night told $(notes) times: $(cat "$NOTES")"
village_advance
wait_for 15 sh -c "[ \$(wc -l <'$NOTES') -ge 3 ]" || e2e_fail "no notification of the morning"
n=$(pages_read)
wait_page_after $((n + 1)) || e2e_fail "the morning page was not refreshed twice more"  # nothing more told on them
line() { printf '%s\t%s\t%s\t%s\t%s\n' 人狼クライアント jinro-client 人狼クライアント "$1" 48x48; }
expected=$(line 夜に変わった時; line 行動決定時間中; line 昼に変わった時)
[ "$(cat "$NOTES")" = "$expected" ] || e2e_fail "notifications: $(cat "$NOTES")"
[ -n "$(sound_runs "$from")" ] || e2e_fail "the alarms did not sound"
e2e_pass "in the background: one notification per alarm, named as the sound settings name it; attention asked"

# 3. Back at the window: it no longer asks for attention.
xdotool windowactivate --sync "$CLIENT_WIN" 2>/dev/null
wait_for 5 sh -c "$(declare -f wants_attention); CLIENT_WIN=$CLIENT_WIN; ! wants_attention" ||
  e2e_fail "the window still asks for attention: $(xprop -id "$CLIENT_WIN" _NET_WM_STATE)"
client_alive || e2e_fail "the client died"
e2e_pass "attention ends when the player comes to the window"

# 4. No session bus (a bare X server): the alarm sounds and the window asks
# for attention all the same; no message, no notification.
kill "$CLIENT_PID"
wait_for 10 is_gone "$CLIENT_PID" || e2e_fail "the client did not close"
unset DBUS_SESSION_BUS_ADDRESS
client_start
login
press_button auto_refresh
xdotool windowactivate --sync "$other" 2>/dev/null
from=$(audio_bytes)
village_advance
wait_sound "$from" || e2e_fail "no alarm without a session bus"
wait_for 5 wants_attention || e2e_fail "no attention asked without a session bus"
n=$(pages_read)
wait_page_after "$n" || e2e_fail "no refresh read after the alarm without a session bus"  # the client went on, no box in its way
client_alive || e2e_fail "the client died without a session bus"
windows=$(xdotool search --onlyvisible --pid "$CLIENT_PID" 2>/dev/null | wc -l)
[ "$windows" -eq 1 ] || e2e_fail "$windows windows shown without a session bus (a message box?)"
[ "$(notes)" -eq 3 ] || e2e_fail "a notification without a session bus: $(cat "$NOTES")"
e2e_pass "without a session bus: the alarm sounds, attention asked, nothing else"
