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

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
# The page's text as shown: select all in the page and copy it.
page_text() {
  click_in $PAGE_X "$(page_y 150)"
  xdotool key --clearmodifiers ctrl+a ctrl+c
  sleep 0.4
  clipboard
}
# The page area of the window, as an image.
shot() {  # FILE
  xdotool mousemove --window "$CLIENT_WIN" 800 "$((MENU_HEIGHT + 10))"
  sleep 0.6
  import -window "$CLIENT_WIN" -crop "860x560+0+$((MENU_HEIGHT + 40))" +repage "$1"
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# 1. Speech copy (コ).
printf 'before' | xclip -selection clipboard
press_button copy_speech
sleep 0.5
copied=$(clipboard)
[ -n "$copied" ] && [ "$copied" != before ] || e2e_fail "speech copy put nothing on the clipboard"
lines=$(printf '%s\n' "$copied" | grep -c '「')
[ "$lines" -ge 20 ] || e2e_fail "only $lines speeches copied"
printf '%s' "$copied" | grep -q $'\r' && e2e_fail "CR left in the clipboard text"
first=$(printf '%s\n' "$copied" | grep '「' | head -n 1)
last=$(printf '%s\n' "$copied" | grep '「' | tail -n 1)
e2e_pass "speech copy: $lines speeches, one per line"

# 2. Reverse-row mode (逆): shown from memory, newest first.
normal=$(page_text)
seq=$(last_request_seq)
press_button reverse
wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh on 逆"
sleep 2
n=$(requests_after "$seq" | grep -c "${BASE_PATH}cgi_jinro.cgi")
[ "$n" -eq 1 ] || e2e_fail "$n requests of the game page for one reverse refresh"
reversed=$(page_text)
pos() { printf '%s\n' "$1" | grep -n -F -- "$2" | head -n 1 | cut -d: -f1; }
speech_of() { echo "$1" | sed 's/^[^「]*//'; }
a=$(speech_of "$first"); b=$(speech_of "$last")
[ "$(pos "$normal" "$a")" -lt "$(pos "$normal" "$b")" ] || e2e_fail "normal order not as expected"
[ "$(pos "$reversed" "$b")" -lt "$(pos "$reversed" "$a")" ] || e2e_fail "rows not reversed on the page"
press_button copy_speech
sleep 0.5
rcopied=$(clipboard)
[ "$(printf '%s\n' "$rcopied" | grep '「' | head -n 1 | sed 's/^[^「]*//')" = "$b" ] ||
  e2e_fail "reverse-mode copy does not start with the newest speech"
e2e_pass "reverse-row mode shows and copies the rows newest first"

# 3. The scroll position survives a refresh.
shot "$WORK/top.png"
click_in $PAGE_X "$(page_y 150)"
xdotool key --clearmodifiers Next Next
sleep 0.8
shot "$WORK/scrolled.png"
[ "$(differing "$WORK/top.png" "$WORK/scrolled.png")" -gt 1000 ] || e2e_fail "the page did not scroll"
seq=$(last_request_seq)
press_button manual_refresh
wait_request_after "$seq" 'POST' 10 || e2e_fail "no refresh"
sleep 2.5
shot "$WORK/refreshed.png"
d=$(differing "$WORK/scrolled.png" "$WORK/refreshed.png")
[ "$d" -lt 2000 ] || e2e_fail "the refresh lost the scroll position ($d pixels differ)"
e2e_pass "scroll position kept over a refresh in reverse-row mode ($d pixels differ)"

# And in normal mode.
press_button reverse
sleep 2.5
click_in $PAGE_X "$(page_y 150)"
xdotool key --clearmodifiers Next Next
sleep 0.8
shot "$WORK/scrolled2.png"
press_button manual_refresh
sleep 2.5
shot "$WORK/refreshed2.png"
d=$(differing "$WORK/scrolled2.png" "$WORK/refreshed2.png")
[ "$d" -lt 2000 ] || e2e_fail "normal mode: the refresh lost the scroll position ($d pixels differ)"
e2e_pass "scroll position kept over a refresh in normal mode"
