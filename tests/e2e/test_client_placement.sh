#!/usr/bin/env bash
# The window's placement in jinro.ini: with no section the frame starts at
# (50, 50), 600 x 400; a moved window, closed and started again, comes back
# where it was left, frame and size; a maximised one comes back maximised and
# remembers its normal rectangle; a saved rectangle too small for the page or
# off every screen gives way to a centred default. Under openbox, and the move
# with no window manager as well.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
village_start day-night
ini_value() { tr -d '\r' <"$APP/jinro.ini" | sed -n "s/^$1=//p"; }
frame_geometry() { geometry "$(frame_of "$CLIENT_WIN")"; }
close_by_menu() {
  click_in 300 "$((MENU_HEIGHT + 15))"
  open_menu f
  xdotool key q
  wait_for 15 is_gone "$CLIENT_PID" || e2e_fail "$1: the client did not close"
  grep -q '^\[WINDOW_PLACEMENT\]' "$APP/jinro.ini" || e2e_fail "$1: no placement saved"
}
# The client started, its start page read, and its frame where it is put
# (EXPECTED "X Y W H"; the window manager may take a moment to frame and
# place it).
start_and_settle() {  # [EXPECTED]
  local n; n=$(pages_read)
  client_start
  wait_title '入口' 20 || e2e_fail "no start page"
  wait_page_after "$n" 20 || e2e_fail "the start page was not read"
  [ -z "${1:-}" ] || wait_for 5 frame_is "$1"
}
frame_is() { [ "$(frame_geometry)" = "$1" ]; }
frame_moved_from() { local g; g=$(frame_geometry); [ -n "$g" ] && [ "$g" != "$1" ]; }
net_state() { xprop -id "$CLIENT_WIN" _NET_WM_STATE 2>/dev/null; }
screen_width() { xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x.*/\1/p'; }
maximised_wide() { [ "$(frame_geometry | cut -d' ' -f3)" = "$(screen_width)" ]; }

check_move() {  # LABEL
  local label=$1 g g2
  rm -f "$APP/jinro.ini"
  start_and_settle "50 50 600 400"
  g=$(frame_geometry)
  [ "$(echo "$g" | cut -d' ' -f1-2)" = "50 50" ] || e2e_fail "$label: first start at $g, not at (50, 50)"
  [ "$(echo "$g" | cut -d' ' -f3-)" = "600 400" ] || e2e_fail "$label: first frame size $g, not 600 x 400"
  xdotool windowmove "$CLIENT_WIN" 210 160
  wait_for 5 frame_moved_from "$g" || e2e_fail "$label: the window did not move from $g"
  g=$(frame_geometry)
  close_by_menu "$label"
  local l t
  l=$(echo "$g" | cut -d' ' -f1); t=$(echo "$g" | cut -d' ' -f2)
  [ "$(ini_value rcNormalPosition_left)" = "$l" ] && [ "$(ini_value rcNormalPosition_top)" = "$t" ] ||
    e2e_fail "$label: saved $(ini_value rcNormalPosition_left),$(ini_value rcNormalPosition_top) for a frame at $l,$t"
  [ "$(ini_value showCmd)" = 1 ] || e2e_fail "$label: showCmd $(ini_value showCmd)"
  start_and_settle "$g"
  g2=$(frame_geometry)
  [ "$g2" = "$g" ] || e2e_fail "$label: came back at $g2, left at $g"
  e2e_pass "$label: moved window restored at $g2"
}

check_move "no window manager"
close_by_menu "no window manager"

start_openbox "$WORK"
check_move "openbox"

# Maximise (the title bar's double click), close, start again.
normal=$(frame_geometry)
fx=$(echo "$normal" | cut -d' ' -f1); fy=$(echo "$normal" | cut -d' ' -f2)
xdotool mousemove $((fx + 150)) $((fy + 6)) click --repeat 2 --delay 80 1
wait_for 5 sh -c "xprop -id $CLIENT_WIN _NET_WM_STATE | grep -q MAXIMIZED_VERT" || e2e_fail "could not maximise"
await 5 "the maximised frame to span the screen" maximised_wide
close_by_menu "openbox maximised"
[ "$(ini_value showCmd)" = 3 ] || e2e_fail "maximised window saved with showCmd $(ini_value showCmd)"
[ $(( $(ini_value flags) & 2 )) -eq 2 ] || e2e_fail "maximised window saved without WPF_RESTORETOMAXIMIZED: $(ini_value flags)"
[ "$(ini_value rcNormalPosition_left)" = "$fx" ] || e2e_fail "normal rectangle lost: $(ini_value rcNormalPosition_left) vs $fx"
start_and_settle
wait_for 5 sh -c "xprop -id $CLIENT_WIN _NET_WM_STATE | grep -q MAXIMIZED_VERT" || e2e_fail "not maximised again: $(net_state)"
e2e_pass "maximised window comes back maximised"
# Restored, it takes its normal rectangle again.
xdotool mousemove 300 6 click --repeat 2 --delay 80 1
wait_for 5 sh -c "! xprop -id $CLIENT_WIN _NET_WM_STATE | grep -q MAXIMIZED_VERT" || e2e_fail "could not restore"
wait_for 5 frame_is "$normal"
[ "$(frame_geometry)" = "$normal" ] || e2e_fail "restored to $(frame_geometry), not $normal"
e2e_pass "and restores to its normal rectangle"
close_by_menu "openbox"

# A saved normal rectangle that could not show the page (a flat one, one off
# every screen) is replaced by 1024 x 768 centred on the screen.
read -r sw sh <<<"$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')"
centred="$(((sw - 1024) / 2)) $(((sh - 768) / 2)) 1024 768"
write_ini $(placement_lines 3 -20 0 700 0)
start_and_settle
wait_for 5 sh -c "xprop -id $CLIENT_WIN _NET_WM_STATE | grep -q MAXIMIZED_VERT" || e2e_fail "flat placement: not maximised: $(net_state)"
xdotool mousemove 300 6 click --repeat 2 --delay 80 1
wait_for 5 sh -c "! xprop -id $CLIENT_WIN _NET_WM_STATE | grep -q MAXIMIZED_VERT" || e2e_fail "could not restore"
wait_for 5 frame_is "$centred"
[ "$(frame_geometry)" = "$centred" ] || e2e_fail "flat placement restored to $(frame_geometry), not $centred"
close_by_menu "flat placement"
e2e_pass "a maximised window with a flat normal rectangle restores to $centred"
write_ini $(placement_lines 1 5000 4000 5900 4700)
start_and_settle "$centred"
[ "$(frame_geometry)" = "$centred" ] || e2e_fail "off-screen placement came back at $(frame_geometry), not $centred"
close_by_menu "off-screen placement"
e2e_pass "an off-screen window comes back at $centred"
stop_openbox || true
e2e_pass "done"
