# Helpers of the end-to-end tests on X11, sourced by the test scripts: wait
# loops with timeouts, window properties read as bytes, cleanup of what the
# script started. Needs DISPLAY, xdotool, xprop, xwininfo, xclip.

E2E_PIDS=()
E2E_TOOLS="${JINRO_BIN_DIR:?JINRO_BIN_DIR names the bin folder of the build}/../e2e-tools"

e2e_fail() {
  echo "FAIL: $*" >&2
  # What the display and the program were doing: CI keeps only this output.
  declare -F e2e_diagnose >/dev/null && e2e_diagnose >&2
  exit 1
}
e2e_pass() { echo "ok: $*"; }

# e2e_start VAR CMD...: starts CMD in the background, stores its pid in VAR
# and remembers it for the cleanup.
e2e_start() {
  local e2e_var_=$1; shift
  "$@" &
  E2E_PIDS+=("$!")
  printf -v "$e2e_var_" '%s' "$!"
}

e2e_cleanup() {
  local p
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${E2E_PIDS[@]}"; do wait "$p" 2>/dev/null; done
  [ -z "${OPENBOX_PID:-}" ] || forget_window_manager
}

# wait_for SECONDS CMD...: runs CMD every 0.1 s until it succeeds; fails
# after SECONDS.
wait_for() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# await SECONDS WHAT CMD...: wait_for, and the test fails naming WHAT when
# CMD has not succeeded by then.
await() {
  local seconds=$1 what=$2; shift 2
  wait_for "$seconds" "$@" || e2e_fail "waited $seconds s for $what"
}

is_gone() { ! kill -0 "$1" 2>/dev/null; }

# The class and instance parts of a window's WM_CLASS.
wm_class() { timeout 5 xprop -id "$1" -notype WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS = "\(.*\)", "\(.*\)"$/\2/p'; }
wm_instance() { timeout 5 xprop -id "$1" -notype WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS = "\(.*\)", "\(.*\)"$/\1/p'; }

# The top-level window of a process (the one with a WM_CLASS), if it has one.
window_of_pid() {
  local w
  for w in $(timeout 5 xdotool search --pid "$1" 2>/dev/null); do
    [ -n "$(wm_class "$w")" ] && { echo "$w"; return 0; }
  done
  return 1
}

# The mapped top-level window of a process whose WM_CLASS class is CLASS.
viewable_window_of() {  # PID CLASS
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    [ "$(wm_class "$w")" = "$2" ] && [ "$(map_state "$w")" = IsViewable ] && { echo "$w"; return 0; }
  done
  return 1
}

# A property's bytes as lower-case hex pairs, and a string's the same way.
prop_bytes() {
  local out b
  out=$(timeout 5 xprop -id "$1" -notype -f "$2" 8x ' $0+' "$2" 2>/dev/null) || return 1
  case "$out" in *"not found"* | *"no such atom"*) return 1 ;; esac
  for b in $(echo "${out#* }" | tr ',' ' '); do printf '%02x ' "$((b))"; done
  echo
}
str_bytes() { printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //'; echo; }

# "X Y W H": the window's absolute position and its size.
geometry() {
  timeout 5 xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
    /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {if (w != "") print x, y, w, h}'
}
map_state() { timeout 5 xwininfo -id "$1" 2>/dev/null | sed -n 's/^  Map State: //p'; }
# Normal, Iconic, or nothing (no WM_STATE: no window manager).
wm_state() { timeout 5 xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: //p'; }

# The root's child that holds the window: its frame under a reparenting
# window manager, the window itself without one.
frame_of() {
  local w=$1 info parent
  for _ in 1 2 3 4 5 6 7 8; do
    info=$(timeout 5 xwininfo -children -id "$w" 2>/dev/null) || return 1
    parent=$(echo "$info" | sed -n 's/^  Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    if echo "$info" | grep -q '^  Parent window id: .*(the root window)'; then echo "$w"; return 0; fi
    w=$parent
  done
  return 1
}

# The clipboard's text (empty when nothing owns it).
clipboard_text() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
# Puts a text of our own on the clipboard, so that a copy can be told by the
# clipboard changing. (xclip stays behind to serve it: its output goes
# nowhere, or a $(...) around the caller would wait for it.)
mark_clipboard() {
  CLIPBOARD_MARK="clipboard-mark-$$-$RANDOM"
  printf '%s' "$CLIPBOARD_MARK" | timeout 5 xclip -selection clipboard >/dev/null 2>&1
}
clipboard_changed() { [ "$(clipboard_text)" != "$CLIPBOARD_MARK" ]; }

# The window that has the keyboard (the X input focus), in decimal.
focus_window() { timeout 5 xdotool getwindowfocus -f 2>/dev/null; }
has_focus() { [ "$(focus_window)" = "$(($1))" ]; }
# Gives a window the keyboard and waits until it has it.
focus_on() {  # WINDOW
  timeout 5 xdotool windowfocus "$1" >/dev/null 2>&1
  await 5 "the keyboard focus on window $1" has_focus "$1"
}

# Selects all of a window's text and copies it; prints the clipboard. Keys
# that come before the window has the keyboard are lost: they are pressed
# again until the copy lands.
copy_text_of() {
  mark_clipboard
  focus_on "$1"
  local deadline=$(($(date +%s) + 10)) _
  while :; do
    timeout 5 xdotool key --clearmodifiers ctrl+a ctrl+c
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      clipboard_changed && { clipboard_text; return 0; }
      sleep 0.1
    done
    [ "$(date +%s)" -lt "$deadline" ] || { echo "FAIL: waited 10 s for the text of window $1 on the clipboard" >&2; return 1; }
  done
}

# A menu of process PID is open: a shown window of it that no window manager
# manages (override-redirect, as popups are). Its type is no sign: a menu
# shown a second time carries the type of a normal window.
menu_open() {  # [PID]
  local w
  for w in $(timeout 5 xdotool search --onlyvisible --pid "${1:-$CLIENT_PID}" 2>/dev/null); do
    timeout 5 xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
# Opens the client's menu by its key (alt+KEY) and waits until it is shown,
# so that the next key goes to the menu and not to the page. A key that comes
# while the window is still taking the keyboard back (from a dialog just
# closed) is lost: it is pressed once more if the menu has not shown after
# two seconds.
open_menu() {  # KEY
  timeout 5 xdotool key --clearmodifiers "alt+$1"
  wait_for 2 menu_open && return 0
  timeout 5 xdotool key --clearmodifiers "alt+$1"
  await 3 "the menu of alt+$1 to open" menu_open
}

# Starts openbox and waits until it manages the screen; OPENBOX_PID.
start_openbox() {
  mkdir -p "$1/openbox-config"
  e2e_start OPENBOX_PID env XDG_CONFIG_HOME="$1/openbox-config" openbox --sm-disable >>"$1/openbox.log" 2>&1
  wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || e2e_fail "openbox did not start"
}
stop_openbox() {
  kill "$OPENBOX_PID" 2>/dev/null
  wait "$OPENBOX_PID" 2>/dev/null
  forget_window_manager
}
# A window manager that has gone leaves its marks on the root window (the
# check window, the active window, the work area). A program started after
# would take them for a window manager's and wait on it for what it does
# itself without one (moves, the keyboard). The display outlives the test:
# with-display.sh keeps its Xvfb from resetting, or reuses one already up.
forget_window_manager() {
  local p
  for p in $(timeout 5 xprop -root 2>/dev/null | sed -n 's/^\(_NET_[A-Z_]*\|_OB_[A-Z_]*\)(.*/\1/p'); do
    timeout 5 xprop -root -remove "$p" 2>/dev/null
  done
}
