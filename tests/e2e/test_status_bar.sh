#!/usr/bin/env bash
# The status bar at the window's foot names what the client recognised on
# the last page (a day, voting time, the night, a victory), counts down to
# the next automatic refresh and starts again with each tick, tells the time
# of the last page loaded, and a page that could not load until one does.
# Read through the client's status file (JINRO_STATUS_FILE).
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
write_ini "[ZENPAN]" "jidokosin_kankaku=3" $(placement_lines)
village_start day-night
client_start
login
game_is() {  # PATTERN WHAT
  wait_status status_game "$1" 10 || e2e_fail "$2: the status bar says '$(status_of status_game)'"
}
refresh_page() { press_button manual_refresh; }

# The day, voting time, action time and the night; the time of the page.
game_is '^1日目 昼$' "day page"
wait_status status_load '^最終読込 [0-9]{2}:[0-9]{2}:[0-9]{2}$' 5 || e2e_fail "load time: '$(status_of status_load)'"
[ -z "$(status_of status_countdown)" ] || e2e_fail "a countdown while automatic refresh is off: $(status_of status_countdown)"
village_advance; refresh_page
game_is '^1日目 投票時間$' "vote page"
page_picture "$WORK/vote_page.png"
village_advance; refresh_page
game_is '^1日目 行動決定時間$' "night page of the seer, who has yet to act"
wait_new_page_painted "$WORK/vote_page.png"
# The seer acts through the form (command, target, the submit button): a
# night with nothing left to do.
click_in $PAGE_X "$(page_y 12)"
xdotool key --clearmodifiers Tab Tab Down Tab Down Tab Return
game_is '^1日目 夜$' "night page"
e2e_pass "day, vote, action time and night named: $(status_of status_game); $(status_of status_load)"

# The countdown: on with 自, counting down from the interval, back to the
# full interval after each tick, gone with 自 off.
from=$(status_lines)
countdown_seconds() { status_since status_countdown "$from" | sed -n 's/^次の更新まで \([0-9]*\)秒$/\1/p' | tr '\n' ' '; }
two_rounds_counted() { countdown_seconds | grep -Eq '(^| )3 2 1 3 2 1 3 '; }
press_button auto_refresh
wait_for 15 two_rounds_counted
press_button auto_refresh
wait_status status_countdown '^$' 5
seconds=$(countdown_seconds)
echo "$seconds" | grep -Eq '(^| )3 2 1 3 2 1 3 ' || e2e_fail "countdown: $seconds"
[ -z "$(status_of status_countdown)" ] || e2e_fail "countdown left after 自 off: $(status_of status_countdown)"
e2e_pass "countdown: $seconds then hidden"

# A victory.
village_stop
village_start victory
press_button return_top
login
game_is '^1日目 投票時間$' "vote page of the second village"
village_advance; refresh_page
game_is '^村人勝利$' "victory page"
e2e_pass "victory named: $(status_of status_game)"

# A page that cannot load, until one does.
village_stop
refresh_page
wait_status status_load '^接続できません — 次の更新で再試行$' 10 || e2e_fail "no failure shown: '$(status_of status_load)'"
sleep 1  # the failure stays: nothing shows that but its staying, a second on
[ "$(status_of status_load)" = '接続できません — 次の更新で再試行' ] || e2e_fail "the failure did not stay"
village_start victory
refresh_page
wait_status status_load '^最終読込 ' 10 || e2e_fail "the failure stayed after a page loaded: '$(status_of status_load)'"
e2e_pass "failed load shown until a page loaded"
