#!/usr/bin/env bash
# The speech table as a player uses it: speech copy puts the speeches on the
# clipboard one per line; reverse-row mode shows the rows newest first (the
# page's own text, selected and copied, says so) without asking the server
# again, and a refresh keeps the scroll position of a long page.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start day-night
for _ in $(seq 1 25); do control chatter >/dev/null; done
client_start
login

clipboard() { clipboard_text; }
# The page's text as shown: select all in the page and copy it.
page_text() {
  mark_clipboard
  click_in $PAGE_X "$(page_y 150)"
  xdotool key --clearmodifiers ctrl+a ctrl+c
  await 10 "the page's text on the clipboard" clipboard_changed
  clipboard
}
# Presses the speech copy button (コ) and waits for the clipboard to change.
copy_speeches() {
  mark_clipboard
  press_button copy_speech
  wait_for 10 clipboard_changed  # (a copy that brings nothing is told by the checks after it)
}
# The page area of the window, as an image, once the page shows still: the
# same picture three times in a row (but for a blinking caret), so that a
# scroll that is still under way is not taken for its end.
grab() { import -window "$CLIENT_WIN" -crop "860x560+0+$((MENU_HEIGHT + 40))" +repage "$1"; }
shot() {  # FILE
  xdotool mousemove --window "$CLIENT_WIN" 800 "$((MENU_HEIGHT + 10))"
  grab "$1"
  STILL=0
  await 10 "the page to show still" still_shot "$1"
}
still_shot() {  # FILE: grabs again; true when the picture has not changed over the last three grabs
  local next="${1%.png}.next.png" d
  grab "$next"
  d=$(differing "$1" "$next")
  mv "$next" "$1"
  if [ "$d" -lt 200 ] 2>/dev/null; then STILL=$((STILL + 1)); else STILL=0; fi
  [ "$STILL" -ge 2 ]
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# The document of each page shown newest-first is two: the server's and its rewriting.
docs() { trace_count html-received; }
wait_docs() { wait_trace html-received "$1" 15 || e2e_fail "$2 was not shown"; }  # COUNT WHAT

# 1. Speech copy (コ).
copy_speeches
copied=$(clipboard)
[ -n "$copied" ] && [ "$copied" != "$CLIPBOARD_MARK" ] || e2e_fail "speech copy put nothing on the clipboard"
lines=$(printf '%s\n' "$copied" | grep -c '「')
[ "$lines" -ge 20 ] || e2e_fail "only $lines speeches copied"
printf '%s' "$copied" | grep -q $'\r' && e2e_fail "CR left in the clipboard text"
first=$(printf '%s\n' "$copied" | grep '「' | head -n 1)
last=$(printf '%s\n' "$copied" | grep '「' | tail -n 1)
e2e_pass "speech copy: $lines speeches, one per line"

# 2. Reverse-row mode (逆): shown from memory, newest first.
normal=$(page_text)
seq=$(last_request_seq)
d=$(docs)
press_button reverse
wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh on 逆"
wait_docs $((d + 2)) "the page newest-first"
n=$(requests_after "$seq" | grep -c "${BASE_PATH}cgi_jinro.cgi")
[ "$n" -eq 1 ] || e2e_fail "$n requests of the game page for one reverse refresh"
reversed=$(page_text)
pos() { printf '%s\n' "$1" | grep -n -F -- "$2" | head -n 1 | cut -d: -f1; }
speech_of() { echo "$1" | sed 's/^[^「]*//'; }
a=$(speech_of "$first"); b=$(speech_of "$last")
[ "$(pos "$normal" "$a")" -lt "$(pos "$normal" "$b")" ] || e2e_fail "normal order not as expected"
[ "$(pos "$reversed" "$b")" -lt "$(pos "$reversed" "$a")" ] || e2e_fail "rows not reversed on the page"
copy_speeches
rcopied=$(clipboard)
[ "$(printf '%s\n' "$rcopied" | grep '「' | head -n 1 | sed 's/^[^「]*//')" = "$b" ] ||
  e2e_fail "reverse-mode copy does not start with the newest speech"
e2e_pass "reverse-row mode shows and copies the rows newest first"

# 3. The scroll position survives a refresh.
shot "$WORK/top.png"
click_in $PAGE_X "$(page_y 150)"
xdotool key --clearmodifiers Next Next
shot "$WORK/scrolled.png"
[ "$(differing "$WORK/top.png" "$WORK/scrolled.png")" -gt 1000 ] || e2e_fail "the page did not scroll"
seq=$(last_request_seq)
d=$(docs)
press_button manual_refresh
wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh"
wait_docs $((d + 2)) "the refreshed page newest-first"
shot "$WORK/refreshed.png"
d=$(differing "$WORK/scrolled.png" "$WORK/refreshed.png")
[ "$d" -lt 2000 ] || e2e_fail "the refresh lost the scroll position ($d pixels differ)"
e2e_pass "scroll position kept over a refresh in reverse-row mode ($d pixels differ)"

# And in normal mode.
n=$(pages_read)
press_button reverse
wait_page_after "$n" || e2e_fail "the page in normal order was not read"
click_in $PAGE_X "$(page_y 150)"
xdotool key --clearmodifiers Next Next
shot "$WORK/scrolled2.png"
refresh_and_read "the refreshed page in normal order"
shot "$WORK/refreshed2.png"
d=$(differing "$WORK/scrolled2.png" "$WORK/refreshed2.png")
[ "$d" -lt 2000 ] || e2e_fail "normal mode: the refresh lost the scroll position ($d pixels differ)"
e2e_pass "scroll position kept over a refresh in normal mode"
