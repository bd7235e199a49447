#!/usr/bin/env bash
# The viewer window sweeps (close, minimise, move to the top-left) on two
# quill_pane windows, with no window manager and under openbox: they act on
# every window of class "QuillpaneClass_9gdFZb" and on no other window, not
# even one whose class differs only in letter case.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
VIEWER="$JINRO_BIN_DIR/quill_pane"
SWEEP="$E2E_TOOLS/jinro-sweep"
TESTWIN="$E2E_TOOLS/x11-test-window"
CLASS=QuillpaneClass_9gdFZb
[ -x "$VIEWER" ] && [ -x "$SWEEP" ] && [ -x "$TESTWIN" ] || e2e_fail "missing binaries in $JINRO_BIN_DIR / $E2E_TOOLS"

work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

printf '<html><body><p>%s</p></body></html>\r\n' "1日目の記録" | iconv -f UTF-8 -t CP932 >"$work/tmp.html"

# With no display a sweep does nothing and says so.
[ "$(env -u DISPLAY "$SWEEP" close)" = 0 ] || e2e_fail "a sweep without a display"
e2e_pass "no display: nothing swept"

# Other programs' windows, there for the whole run (they also keep the
# display from resetting between clients).
start_other() { # VAR CLASS GEOMETRY
  e2e_start "$1" "$TESTWIN" "$2" other "$2" "$3" >/dev/null
  wait_for 10 window_of_pid "${!1}" || e2e_fail "test window $2 did not open"
}
start_other other_pid Other 200x150+700+100
start_other lower_pid quillpaneclass_9gdfzb 200x150+700+300
start_other longer_pid ${CLASS}X 200x150+700+500
others="$other_pid $lower_pid $longer_pid"

# "frame-x frame-y width height map-state wm-state" of a process's window.
state_of() {
  local w f
  w=$(window_of_pid "$1") || return 1
  f=$(frame_of "$w") || return 1
  echo "$(geometry "$f" | cut -d' ' -f1,2) $(geometry "$w" | cut -d' ' -f3,4) $(map_state "$w") $(wm_state "$w")"
}
record_others() { local p; for p in $others; do state_of "$p"; done; }
others_untouched() {
  local p now
  for p in $others; do kill -0 "$p" 2>/dev/null || e2e_fail "another program's window was closed ($1)"; done
  now=$(record_others)
  [ "$now" = "$others_before" ] || e2e_fail "another program's window changed ($1): $others_before -> $now"
}
sweep() { # KIND EXPECTED-COUNT
  local n
  n=$(timeout 10 "$SWEEP" "$1") || e2e_fail "jinro-sweep $1 failed"
  [ "$n" = "$2" ] || e2e_fail "jinro-sweep $1 acted on $n windows, not $2 ($mode)"
}
at_top_left() { state_of "$1" | grep -q '^0 0 640 480 '; }
is_iconic() { state_of "$1" | grep -q ' IsUnMapped Iconic$'; }
away_from_corner() { state_of "$1" | grep -qv '^0 0 '; }
is_viewable() { state_of "$1" | grep -q ' IsViewable'; }

run_sweeps() {
  mode=$1
  local v1 v2 p
  e2e_start v1 "$VIEWER" "$work/tmp.html" "1日目の記録"
  e2e_start v2 "$VIEWER" "$work/tmp.html" "2日目の記録"
  for p in $v1 $v2; do
    wait_for 10 window_of_pid "$p" || e2e_fail "no viewer window ($mode)"
    [ "$(wm_class "$(window_of_pid "$p")")" = "$CLASS" ] || e2e_fail "viewer class"
    if [ "$mode" = openbox ]; then wait_for 10 sh -c "xprop -id $(window_of_pid "$p") WM_STATE | grep -q Normal"; fi
  done
  # Away from the corner first.
  timeout 5 xdotool windowmove "$(window_of_pid "$v1")" 150 120
  timeout 5 xdotool windowmove "$(window_of_pid "$v2")" 330 260
  for p in $v1 $v2; do
    wait_for 10 away_from_corner "$p" ||
      e2e_fail "could not move a viewer away from the corner ($mode)"
  done
  others_before=$(record_others)

  sweep move 2
  for p in $v1 $v2; do
    wait_for 10 at_top_left "$p" || e2e_fail "viewer not moved to the top-left keeping its size ($mode): $(state_of "$p")"
  done
  sleep 0.5  # the other windows stay: no sign of that but their staying, half a second on
  others_untouched "move, $mode"
  e2e_pass "move ($mode): both viewers' outer corner at (0, 0), size kept, other windows untouched"

  if [ "$mode" = openbox ]; then
    sweep minimize 2
    for p in $v1 $v2; do
      wait_for 10 is_iconic "$p" || e2e_fail "viewer not iconified ($mode): $(state_of "$p")"
    done
    sleep 0.5  # the other windows stay: no sign of that but their staying, half a second on
    others_untouched "minimize, $mode"
    e2e_pass "minimize ($mode): both viewers iconic, other windows untouched"
  else
    # Nothing can iconify a window without a window manager: nothing happens.
    sweep minimize 0
    sleep 0.5  # nothing changes: no sign of that but the windows staying, half a second on
    for p in $v1 $v2; do is_viewable "$p" || e2e_fail "a viewer changed on minimize ($mode)"; done
    others_untouched "minimize, $mode"
    e2e_pass "minimize ($mode): no window manager, nothing changes, 0 reported"
  fi

  sweep close 2
  for p in $v1 $v2; do
    wait_for 10 is_gone "$p" || e2e_fail "a viewer did not close ($mode)"
    wait "$p"; local rc=$?
    [ "$rc" = 0 ] || e2e_fail "a viewer ended with status $rc on close ($mode)"
  done
  sleep 0.5  # the other windows stay: no sign of that but their staying, half a second on
  others_untouched "close, $mode"
  e2e_pass "close ($mode): both viewers closed normally, other windows untouched"

  sweep move 0
  sweep close 0
  e2e_pass "no viewer left ($mode): the sweeps act on nothing"
}

run_sweeps "no window manager"

# A window of the viewer's class that offers no close request is moved like
# the others but never killed.
e2e_start stubborn "$TESTWIN" "$CLASS" stubborn stubborn 200x150+400+400 nodelete >/dev/null
wait_for 10 window_of_pid "$stubborn" || e2e_fail "no stubborn window"
sweep close 0
sleep 0.5  # the window is not closed: no sign of that but its staying, half a second on
kill -0 "$stubborn" 2>/dev/null || e2e_fail "a window without WM_DELETE_WINDOW was closed"
sweep move 1
wait_for 10 sh -c "xwininfo -id $(window_of_pid "$stubborn") | grep -q -- '-geometry 200x150+0+0'" ||
  e2e_fail "the stubborn window was not moved"
kill "$stubborn"
e2e_pass "a viewer-class window without a close request is left running"

start_openbox "$work"
run_sweeps openbox
stop_openbox
echo "PASS"
