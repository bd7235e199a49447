#!/usr/bin/env bash
# What the player has begun in the speech form survives automatic refresh:
# typed into the day page's box with a vote and its target chosen, it is
# still there, caret and all, after two timer refreshes whose bodies carry an
# empty TXTMSG as always; the player's own post then sends it. A tick that
# comes while the player types waits for the typing to pause. Newest-first
# mode keeps the draft too. Reports the time from a tick to the draft put
# back (JINRO_TRACE).
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
write_ini "[ZENPAN]" "jidokosin_kankaku=2" $(placement_lines)
village_start day-night
client_start
login
village_advance   # voting time: the command select offers 投票
page_picture "$WORK/day_page.png"
press_button manual_refresh
wait_status status_game '投票時間' 10 || e2e_fail "no vote page: $(status_of status_game)"
wait_new_page_painted "$WORK/day_page.png"

refresh_body="COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID="
# Every POST after SEQ is a refresh with the body as it always was.
check_refresh_bodies() {  # SEQ
  local line body
  while IFS= read -r line; do
    body=$(cut -f4 <<<"$line")
    case "$body" in "$refresh_body"[0-9]*) ;; *) e2e_fail "a refresh posted: $body" ;; esac
  done < <(requests_after "$1" | grep $'\tPOST\t')
}
wait_posts() {  # SEQ COUNT SECONDS: COUNT posts after SEQ
  local deadline=$(($(date +%s%N) + $3 * 1000000000))
  until [ "$(requests_after "$1" | grep -c $'\tPOST\t')" -ge "$2" ]; do
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}
# From the top of the page (its header), the tab order is: the role's link,
# the command select, the target select, the submit button, the speech box.
click_in $PAGE_X "$(page_y 12)"
xdotool key --clearmodifiers Tab Tab Down Tab Down Down Tab Tab
xdotool type --delay 60 'hello world'
xdotool key --clearmodifiers Left Left Left
# The keys reach the page through the browser's input, the draft is read
# through its scripts: nothing outside shows that the last key has arrived.
sleep 0.3

# Each timer tick in the client's log after line FROM has had its page shown
# with the draft put back.
log_lines() { grep -ac '' "$WORK/client.log"; }
drafts_back() {  # FROM
  local ticks back
  ticks=$(tail -n +$(($1 + 1)) "$WORK/client.log" | grep -ac 'jinro-trace refresh-tick ')
  back=$(tail -n +$(($1 + 1)) "$WORK/client.log" | grep -ac 'jinro-trace draft-restored ')
  [ "$ticks" -ge 1 ] && [ "$back" -ge "$ticks" ]
}
# Automatic refresh on; two ticks' refreshes pass.
seq=$(last_request_seq)
from_line=$(log_lines)
press_button auto_refresh
wait_posts "$seq" 2 20 || e2e_fail "fewer than two refreshes: $(requests_after "$seq" | cut -f1-4)"
check_refresh_bodies "$seq"
press_button auto_refresh  # off again: the player writes on
wait_status status_countdown '^$' 10 || e2e_fail "automatic refresh still on: $(status_of status_countdown)"
await 15 "the draft put back in each refreshed page" drafts_back "$from_line"
# The caret and the focus came back with the text: typing goes on where it was.
xdotool type --delay 60 'Z'
n=$(pages_read)
xdotool key --clearmodifiers shift+Tab Return   # the submit button
seq2=$(last_request_seq)
wait_request_after "$seq" 'TXTMSG=hello' 10 || e2e_fail "the player's post did not come: $(requests_after "$seq" | cut -f4)"
sent=$(requests_after "$seq" | grep 'TXTMSG=hello' | head -n 1 | cut -f4)
[[ "&$sent&" == *"&COMMAND=VOTE&CMBPLAYER="[1-9]*"&TXTMSG=hello+woZrld&"* ]] || e2e_fail "the player sent: $sent"
e2e_pass "draft kept over refreshes with an empty TXTMSG in each; the player sent: ${sent#*FORMID=*&}"

# The box is empty after the player's post, and stays so over a refresh.
wait_title '第' 10
wait_page_after "$n" || e2e_fail "the page after the player's post was not read"
seq=$(last_request_seq)
n=$(pages_read)
press_button manual_refresh
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh"
wait_page_after "$n" || e2e_fail "the refreshed page was not read"
mark_clipboard
click_in $PAGE_X "$(page_y 12)"
xdotool key --clearmodifiers Tab Tab Tab Tab Tab
xdotool type 'x'
xdotool key --clearmodifiers ctrl+a ctrl+c
await 10 "the speech box's text on the clipboard" clipboard_changed
box=$(clipboard_text)
[ "$box" = x ] || e2e_fail "the box after the player's post held more than was typed: '$box'"
xdotool key --clearmodifiers BackSpace
e2e_pass "a draft the player sent is not put back"

# Typing holds a tick back until it pauses; newest-first mode keeps the draft.
d=$(trace_count html-received)
press_button reverse
wait_trace html-received $((d + 2)) 15 || e2e_fail "the page newest-first was not shown"  # the server's page and its rewriting
click_in $PAGE_X "$(page_y 12)"
xdotool key --clearmodifiers Tab Tab Tab Tab Tab
from_line=$(log_lines)
press_button auto_refresh
xdotool type --delay 150 'typing on through a whole interval and more'
status_since status_countdown 0 | grep -q '入力中' || e2e_fail "no tick waited for the typing: $(status_since status_countdown 0 | sort -u | tr '\n' ' ')"
seq=$(last_request_seq)
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh after the typing paused"
press_button auto_refresh
wait_status status_countdown '^$' 10 || e2e_fail "automatic refresh still on: $(status_of status_countdown)"
await 15 "the draft put back in each refreshed page" drafts_back "$from_line"
check_refresh_bodies "$seq"
mark_clipboard
xdotool key --clearmodifiers ctrl+a ctrl+c
await 10 "the speech box's text on the clipboard" clipboard_changed
box=$(clipboard_text)
[ "$box" = 'typing on through a whole interval and more' ] || e2e_fail "newest-first page's box: '$box'"
e2e_pass "a tick waited for the typing; newest-first page kept the draft"

# From a tick to the draft back in the new page.
awk '$1 == "jinro-trace" && $2 == "refresh-tick" { t = $3 }
     $1 == "jinro-trace" && $2 == "draft-restored" && t { printf "%.1f\n", ($3 - t) / 1e6; t = 0 }' \
  "$WORK/client.log" >"$WORK/restore_ms.txt"
[ -s "$WORK/restore_ms.txt" ] || e2e_fail "no trace of a draft put back"
e2e_pass "tick to draft restored (ms): $(sort -n "$WORK/restore_ms.txt" | tr '\n' ' ')"
