#!/usr/bin/env bash
# The window menu's sweeps over the log viewers, whoever started them: move
# all to the top-left corner (sizes kept, the client last), minimise all (the
# client too), close all log windows; and the close of the client closes
# them as well. Another program's window, and one whose class differs only
# in letter case, are left alone. Under openbox and with no window manager.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
write_ini $(placement_lines 1 300 200 1100 800)
village_start day-night
printf '<html><body><p>log</p></body></html>\r\n' >"$WORK/log.html"

# Viewers started by hand, and two windows that are not viewers.
start_viewers() {
  e2e_start V1 "$APP/quill_pane" "$WORK/log.html" "one"
  e2e_start V2 "$APP/quill_pane" "$WORK/log.html" "two"
  wait_for 10 window_of_pid "$V1" || e2e_fail "viewer one did not open"
  wait_for 10 window_of_pid "$V2" || e2e_fail "viewer two did not open"
  W1=$(window_of_pid "$V1"); W2=$(window_of_pid "$V2")
  local g1 g2; g1=$(geometry "$W1"); g2=$(geometry "$W2")
  xdotool windowmove "$W1" 500 400 windowmove "$W2" 600 450
  await 10 "the viewers to move" sh -c "$(declare -f geometry); [ \"\$(geometry $W1)\" != '$g1' ] && [ \"\$(geometry $W2)\" != '$g2' ]"
}
e2e_start O1 "$E2E_TOOLS/x11-test-window" Other other Other 200x150+900+100 >/dev/null
e2e_start O2 "$E2E_TOOLS/x11-test-window" quillpaneclass_9gdfzb other lower 200x150+900+400 >/dev/null
wait_for 10 window_of_pid "$O1" && wait_for 10 window_of_pid "$O2" || e2e_fail "test windows"
OW1=$(window_of_pid "$O1"); OW2=$(window_of_pid "$O2")

menu() {  # KEY of the ｳｨﾝﾄﾞｳ(&W) menu; what it does, the caller waits for
  click_in 400 "$((MENU_HEIGHT + 15))"
  open_menu w
  xdotool key "$1"
  await 5 "the menu to close" sh -c "$(declare -f menu_open); CLIENT_PID=$CLIENT_PID; ! menu_open"
}
size_of() { geometry "$1" | cut -d' ' -f3-; }
corner_of() { geometry "$(frame_of "$1")" | cut -d' ' -f1-2; }
all_at_corner() { [ "$(corner_of "$W1")" = "0 0" ] && [ "$(corner_of "$W2")" = "0 0" ] && [ "$(corner_of "$CLIENT_WIN")" = "0 0" ]; }
all_iconic() { [ "$(wm_state "$W1")" = Iconic ] && [ "$(wm_state "$W2")" = Iconic ] && [ "$(wm_state "$CLIENT_WIN")" = Iconic ]; }

run_sweeps() {  # LABEL WM(yes/no)
  local label=$1 wm=$2 s1 s2 o1 o2
  client_start
  wait_title '入口' 20 || e2e_fail "$label: no start page"
  start_viewers
  s1=$(size_of "$W1"); s2=$(size_of "$W2"); o1=$(geometry "$OW1"); o2=$(geometry "$OW2")

  menu t   # 全ｳｨﾝﾄﾞｳを左上へ移動(&T)
  wait_for 10 all_at_corner
  [ "$(corner_of "$W1")" = "0 0" ] && [ "$(corner_of "$W2")" = "0 0" ] ||
    e2e_fail "$label: viewers not at the top-left: $(corner_of "$W1") / $(corner_of "$W2")"
  [ "$(size_of "$W1")" = "$s1" ] && [ "$(size_of "$W2")" = "$s2" ] || e2e_fail "$label: viewer sizes changed"
  [ "$(corner_of "$CLIENT_WIN")" = "0 0" ] || e2e_fail "$label: the client is at $(corner_of "$CLIENT_WIN")"
  [ "$(geometry "$OW1")" = "$o1" ] && [ "$(geometry "$OW2")" = "$o2" ] || e2e_fail "$label: other windows moved"
  e2e_pass "$label: moved to the top-left"

  menu l   # 全ｳｨﾝﾄﾞｳを最小化(&L)
  if [ "$wm" = yes ]; then
    wait_for 10 all_iconic
    [ "$(wm_state "$W1")" = Iconic ] && [ "$(wm_state "$W2")" = Iconic ] || e2e_fail "$label: viewers not minimised"
    [ "$(wm_state "$CLIENT_WIN")" = Iconic ] || e2e_fail "$label: the client not minimised"
    [ "$(wm_state "$OW1")" != Iconic ] && [ "$(wm_state "$OW2")" != Iconic ] || e2e_fail "$label: others minimised"
    xdotool windowactivate "$CLIENT_WIN" 2>/dev/null || xdotool windowmap "$CLIENT_WIN"
    await 10 "the client's window back on the screen" sh -c "[ \"\$(xwininfo -id $CLIENT_WIN | sed -n 's/^  Map State: //p')\" = IsViewable ]"
    # Openbox hands the keyboard round once more after bringing a window
    # back, in its own time; nothing shows when it is done: a second.
    sleep 1
    e2e_pass "$label: minimised all"
  else
    # Nothing can iconify a window without a window manager: all stay as they
    # are. No sign shows that the sweep is done but its having done nothing:
    # it is given a second and a half.
    sleep 1.5
    [ "$(map_state "$W1")" = IsViewable ] && [ "$(map_state "$CLIENT_WIN")" = IsViewable ] ||
      e2e_fail "$label: a window vanished"
    e2e_pass "$label: minimise all leaves the windows as they are (no window manager)"
  fi

  menu c   # 全ﾛｸﾞｳｨﾝﾄﾞｳを閉じる(&C)
  wait_for 10 is_gone "$V1" && wait_for 10 is_gone "$V2" || e2e_fail "$label: viewers not closed"
  is_gone "$O1" || is_gone "$O2" && e2e_fail "$label: another window was closed"
  client_alive || e2e_fail "$label: the client closed"
  e2e_pass "$label: closed all log windows"

  # Closing the client closes the viewers too.
  start_viewers
  kill "$CLIENT_PID"
  wait_for 15 is_gone "$CLIENT_PID" || e2e_fail "$label: the client did not close"
  wait_for 10 is_gone "$V1" && wait_for 10 is_gone "$V2" || e2e_fail "$label: viewers left open on close"
  is_gone "$O1" && e2e_fail "$label: another window was closed"
  e2e_pass "$label: closing the client closed the viewers"
}

run_sweeps "no window manager" no
start_openbox "$WORK"
write_ini $(placement_lines 1 300 200 1100 800)
run_sweeps "openbox" yes
stop_openbox || true
e2e_pass "done"
