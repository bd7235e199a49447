#!/usr/bin/env bash
# quill_pane, the log viewer, as the client starts it: a Shift_JIS log under
# the day's title in a window of class "QuillpaneClass_9gdFZb"; web links go
# to the desktop's browser; files it can't show give a message, not a crash;
# it doesn't take the focus when it opens.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
VIEWER="$JINRO_BIN_DIR/quill_pane"
CLASS=QuillpaneClass_9gdFZb
[ -x "$VIEWER" ] || e2e_fail "no viewer at $VIEWER"

work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION DEFAULT_BROWSER

# Keeps the display from resetting between the viewers' connections.
e2e_start keeper "$E2E_TOOLS/x11-test-window" KeepAlive keep keep 100x100+1000+800 >/dev/null
wait_for 10 sh -c "xdotool search --classname '^keep$'" || e2e_fail "test window did not open"

# The desktop's browser, standing in: it writes down what it was asked to open.
cat >"$work/browser.sh" <<EOS
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
EOS
chmod +x "$work/browser.sh"
export BROWSER="$work/browser.sh"

# start_viewer FILE TITLE: starts the viewer; VIEWER_PID, VIEWER_WIN.
start_viewer() {
  e2e_start VIEWER_PID "$VIEWER" "$@"
  wait_for 10 window_of_pid "$VIEWER_PID" || e2e_fail "no viewer window for: $*"
  VIEWER_WIN=$(window_of_pid "$VIEWER_PID")
}
stop_viewer() { kill "$VIEWER_PID" 2>/dev/null; wait "$VIEWER_PID" 2>/dev/null; }

# 1. A day's log, written as the client writes it: Shift_JIS, CR LF.
printf '%s\n' \
  '<html><head><title>人狼の村</title></head><body bgcolor="#000000" text="#ffffff">' \
  '<p><a href="http://example.org/log?day=3&amp;v=1"><font size="7">WEBLINK</font></a></p>' \
  '<p><a href="cgi_jinro.cgi?room=12"><font size="7">RELLINK</font></a></p>' \
  '<p><a href="file:///etc/passwd"><font size="7">FILELINK</font></a></p>' \
  '<table border="1"><tr><td><font color="#ff0000">◆狼</font>さん</td><td>「３日目の朝です。」</td></tr></table>' \
  '<img src="/dev/zero">' \
  '</body></html>' | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$work/tmp.html" || e2e_fail "iconv"
title="3日目の記録"
start_viewer "$work/tmp.html" "$title"
[ "$(wm_class "$VIEWER_WIN")" = "$CLASS" ] || e2e_fail "window class is '$(wm_class "$VIEWER_WIN")'"
[ "$(prop_bytes "$VIEWER_WIN" _NET_WM_NAME)" = "$(str_bytes "$title")" ] ||
  e2e_fail "_NET_WM_NAME is $(prop_bytes "$VIEWER_WIN" _NET_WM_NAME)"
timeout 5 xprop -id "$VIEWER_WIN" WM_NAME | grep -q '日目' || e2e_fail "WM_NAME: $(xprop -id "$VIEWER_WIN" WM_NAME)"
timeout 5 xprop -id "$VIEWER_WIN" _NET_WM_USER_TIME | grep -q '= 0$' || e2e_fail "the viewer asks for the focus"
read -r _ _ w h <<<"$(geometry "$VIEWER_WIN")"
[ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "size ${w}x$h"
e2e_pass "window of class $CLASS titled $title, 640x480"

text=$(copy_text_of "$VIEWER_WIN")
for want in "◆狼さん" "「３日目の朝です。」" WEBLINK; do
  grep -qF "$want" <<<"$text" || e2e_fail "the shown text lacks '$want': $text"
done
grep -q '<table' <<<"$text" && e2e_fail "the page shows as source"
e2e_pass "the Shift_JIS page is shown as a page"

# The three links are at the start of three lines of big letters.
sel() { timeout 5 xdotool mousemove --window "$VIEWER_WIN" 40 "$1" click 1; }
y_web=$(( 20 )); y_rel=$(( 78 )); y_file=$(( 136 ))
sel $y_web
wait_for 10 test -s "$work/opened.txt" || e2e_fail "the web link did not open"
sel $y_rel
wait_for 10 sh -c "[ \$(wc -l <'$work/opened.txt') -ge 2 ]" || e2e_fail "the relative link did not open"
sel $y_file
sleep 1  # the file link opens nothing: no sign of that but the silence, a second on
expected="http://example.org/log?day=3&v=1
${JINRO_SERVER_BASE_URL:-http://127.0.0.1:8399/jinro/}cgi_jinro.cgi?room=12"
[ "$(cat "$work/opened.txt")" = "$expected" ] || e2e_fail "the browser was asked for: $(cat "$work/opened.txt")"
e2e_pass "web links open in the browser, relative ones on the game server, file links nowhere"

# It closes on the window's close request like any window.
"$E2E_TOOLS/jinro-sweep" close >/dev/null
wait_for 10 is_gone "$VIEWER_PID" || e2e_fail "the viewer did not close on WM_DELETE_WINDOW"
wait "$VIEWER_PID"; rc=$?
[ "$rc" = 0 ] || e2e_fail "the viewer ended with status $rc"
e2e_pass "closes on WM_DELETE_WINDOW, status 0"

# White text on black, as game pages set it on <body>: the text must show.
printf '<html><body bgcolor="#000000" text="#ffffff"><font size="7">■■■■■■</font></body></html>' |
  iconv -f UTF-8 -t CP932 >"$work/dark.html"
start_viewer "$work/dark.html" "dark"
# The page once it shows still: the same picture twice in a row.
grab_dark() { timeout 10 import -window "$VIEWER_WIN" "$1"; }
dark_still() {
  grab_dark "$work/dark.next.png" || return 1
  local d; d=$(compare -metric AE "$work/dark.png" "$work/dark.next.png" null: 2>&1 | cut -d' ' -f1)
  mv "$work/dark.next.png" "$work/dark.png"
  [ "$d" -lt 200 ] 2>/dev/null
}
grab_dark "$work/dark.png" || e2e_fail "no screenshot"
await 10 "the dark page to show still" dark_still
bright=$(timeout 10 convert "$work/dark.png" -crop 200x40+4+4 -format '%[fx:mean]' info:)
awk -v m="$bright" 'BEGIN {exit !(m > 0.25)}' || e2e_fail "the text of a dark page is not light (mean $bright)"
stop_viewer
e2e_pass "a page's own text colour on its own background"

# 2. Files it can't show: a message in the window, the viewer keeps running.
mkfifo "$work/fifo"
truncate -s 3M "$work/huge.html"
printf '<html>\0\0garbage' >"$work/binary.html"
: >"$work/empty.html"
check_message() { # FILE TITLE EXPECTED-TEXT [EXPECTED-TITLE]
  start_viewer "$1" "$2"
  if [ $# -ge 4 ] && [ "$(prop_bytes "$VIEWER_WIN" _NET_WM_NAME)" != "$(str_bytes "$4")" ]; then
    e2e_fail "title '$4' shown as $(prop_bytes "$VIEWER_WIN" _NET_WM_NAME)"
  fi
  local shown
  shown=$(copy_text_of "$VIEWER_WIN")
  grep -qF "$3" <<<"$shown" || e2e_fail "for $1 the window shows: $shown"
  sleep 0.3  # the viewer keeps running: no sign of that but its running, a moment on
  kill -0 "$VIEWER_PID" 2>/dev/null || e2e_fail "the viewer ended on $1"
  stop_viewer
}
# The title is kept exactly, "[*]" included (Qt reads it as a placeholder).
check_message "$work/missing.html" "no log [*]" "ファイルがありません: $work/missing.html" "no log [*]"
check_message "$work/fifo" "fifo" "普通のファイルではありません"
check_message "$work" "folder" "普通のファイルではありません"
check_message "$work/huge.html" "huge" "ファイルが大きすぎます"
check_message "$work/binary.html" "binary" "HTML のテキストではありません"
# Thousands of nested tables overflow the layout's stack: refused with a note.
for _ in $(seq 1 3000); do printf '<table><tr><td>'; done >"$work/deep.html"
check_message "$work/deep.html" "deep" "HTML の入れ子が深すぎます"
# A title in Shift_JIS, as an older caller would pass it, is read as such.
check_message "$work/empty.html" "$(printf '%s' "5日目の記録" | iconv -f UTF-8 -t CP932)" "記録は空です" "5日目の記録"
start_viewer
shown=$(copy_text_of "$VIEWER_WIN")
grep -qF "使い方" <<<"$shown" || e2e_fail "without arguments the window shows: $shown"
stop_viewer
e2e_pass "missing, special, huge, binary, too deep and empty files and no arguments give messages; titles kept"

# An old-style page that leaves its cells, rows and paragraphs open is shown.
{ echo '<TABLE>'; for i in $(seq 1 1500); do echo "<TR><TD><FONT COLOR=red>◆<TD><P>発言$i<P>続き"; done; } |
  iconv -f UTF-8 -t CP932 >"$work/sloppy.html"
start_viewer "$work/sloppy.html" "sloppy"
shown=$(copy_text_of "$VIEWER_WIN")
grep -qF "発言1500" <<<"$shown" || e2e_fail "the page with open cells shows: ${shown:0:200}"
stop_viewer
e2e_pass "a page with cells and paragraphs left open is shown whole"

# 3. Under a window manager that gives new windows the focus, the viewer
# opens without taking it.
start_openbox "$work"
e2e_start game "$E2E_TOOLS/x11-test-window" GameWindow game game 400x300+300+300 >/dev/null
wait_for 10 window_of_pid "$game" || e2e_fail "no game window"
game_win=$(window_of_pid "$game")
game_hex=$(printf '0x%x' "$game_win")
active() { timeout 5 xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*window id # //p'; }
active_is() { [ "$(active)" = "$1" ]; }
activate_game() { timeout 2 xdotool windowactivate "$game_win" >/dev/null 2>&1; sleep 0.2; active_is "$game_hex"; }
wait_for 10 activate_game || e2e_fail "could not activate the game window: active $(active), game $game_hex"
start_viewer "$work/tmp.html" "$title"
wait_for 5 test "$(wm_state "$VIEWER_WIN")" = Normal || e2e_fail "openbox did not manage the viewer"
sleep 1  # the viewer does not take the focus: no sign of that but its not taking it, a second on
active_is "$game_hex" || e2e_fail "the viewer took the focus: active $(active)"
stop_viewer
kill "$game" 2>/dev/null
stop_openbox
e2e_pass "opens without taking the focus under openbox"
echo "PASS"
