#!/usr/bin/env bash
# Hostile game pages from the village: 5 MB pages, random bytes, 100,000
# speech rows, tables nested 10,000 deep, a page that navigates itself every
# 100 ms, pages that open windows, pages in UTF-8 and EUC-JP. The client keeps
# running, its process tree's memory stays bounded and does not grow load
# after load, windows the pages open go to the desktop's browser (never a
# window of the client's own), and afterwards an ordinary game page is still
# read: the refresh posts the exact body and the vote alarm sounds.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) $(placement_lines)
village_start day-night
client_start
login

LIMIT_KB=$((1536 * 1024))   # 1.5 GiB for the client and its browser processes
PEAK_KB=0

# The client and every process below it (the browser engine's helpers).
tree_pids() {
  local all=" $1 " frontier=$1 next p
  while [ -n "$frontier" ]; do
    next=""
    for p in $frontier; do
      for c in $(ps -o pid= --ppid "$p" 2>/dev/null); do all+="$c "; next+="$c "; done
    done
    frontier=$next
  done
  echo $all
}
# "PSS RSS" of the tree in kB.
tree_memory() {
  local p pss=0 rss=0 v
  for p in $(tree_pids "$CLIENT_PID"); do
    v=$(awk '/^Pss:/ {p = $2} /^Rss:/ {r = $2} END {print p + 0, r + 0}' "/proc/$p/smaps_rollup" 2>/dev/null) || continue
    pss=$((pss + ${v% *})); rss=$((rss + ${v#* }))
  done
  echo "$pss $rss"
}
check_memory() {  # WHAT [quiet]
  local m; m=$(tree_memory)
  local pss=${m% *}
  [ "$pss" -gt "$PEAK_KB" ] && PEAK_KB=$pss
  [ -n "${2:-}" ] || echo "   memory after $1: PSS $((pss / 1024)) MiB, RSS $((${m#* } / 1024)) MiB"
  [ "$pss" -lt "$LIMIT_KB" ] || e2e_fail "$1: the client's processes hold $((pss / 1024)) MiB"
  LAST_PSS=$pss
}
# The client's own visible top-level windows.
client_windows() {
  local p w
  for p in $(tree_pids "$CLIENT_PID"); do
    for w in $(xdotool search --onlyvisible --pid "$p" 2>/dev/null); do
      [ -n "$(wm_class "$w")" ] && echo "$w"
    done
  done | sort -u
}
# Requests the game page afresh and waits until the village got the post and
# the page has had time to load. (The log is read raw: the self-navigating
# page fills it quickly.)
load_page() {  # SETTLE_SECONDS
  local seq; seq=$(last_request_seq)
  press_button 50007
  wait_for 20 sh -c "[ \$(curl -s -m 5 'http://$BASE_HOSTPORT/__control/requests?format=lines' | awk -F '\t' -v s='$seq' '\$1 > s + 0 && \$2 == \"POST\"' | wc -l) -ge 1 ]" ||
    e2e_fail "no refresh posted ($scenario): $(control 'requests?format=lines' | cut -f1-3 | tail -n 5)"
  sleep "$1"
  client_alive || e2e_fail "the client died on the $scenario page"
}

# The page engine still renders and runs pages: the self-navigating page,
# requested afresh, goes on to itself several times.
view_count() { control 'requests?format=lines' | cut -f3 | grep -c 'COMMAND=VIEW'; }
engine_alive() {  # SECONDS
  local before deadline; before=$(view_count)
  deadline=$(($(date +%s) + $1))
  control "scenario?name=self-navigate" >/dev/null
  press_button 50007
  while [ "$(date +%s)" -lt "$deadline" ]; do
    check_memory "$scenario (busy)" quiet
    [ "$(view_count)" -ge $((before + 5)) ] && return 0
    sleep 1
  done
  return 1
}

check_memory "login"
windows_before=$(client_windows)
[ -n "$windows_before" ] || e2e_fail "no client window found"

# Each scenario loaded by a refresh (the 5 MB page four times, to see whether
# memory climbs load after load), then the engine checked. A page of random
# bytes or of 100,000 rows may keep the engine's page process busy for a
# while; meanwhile the client goes on, and afterwards pages load again.
for scenario in huge opens-windows utf8 eucjp self-navigate random-bytes rows-100000; do
  control reset-log >/dev/null   # the self-navigating page fills it; reading it must stay quick
  control "scenario?name=$scenario" >/dev/null
  case $scenario in
    huge) loads=4 settle=2 wait=20 ;;
    random-bytes | rows-100000) loads=1 settle=3 wait=150 ;;
    *) loads=1 settle=2 wait=20 ;;
  esac
  for i in $(seq 1 "$loads"); do
    load_page "$settle"
    check_memory "$scenario #$i"
    [ "$scenario" = huge ] && [ "$i" -eq 2 ] && HUGE_SECOND=$LAST_PSS
  done
  if [ "$scenario" = huge ]; then
    # Two more loads of the same page may not add more than 256 MiB.
    [ $((LAST_PSS - HUGE_SECOND)) -lt $((256 * 1024)) ] ||
      e2e_fail "memory grows load after load: $((HUGE_SECOND / 1024)) MiB after the 2nd, $((LAST_PSS / 1024)) MiB after the 4th"
  fi
  t0=$(date +%s)
  engine_alive "$wait" ||
    e2e_fail "after the $scenario pages the browser no longer loads pages"
  client_alive || e2e_fail "the client died after the $scenario pages"
  check_memory "$scenario, then self-navigating"
  e2e_pass "$scenario: still running, pages load again after $(($(date +%s) - t0)) s"
done

# The windows the page opened: none of the client's own; the desktop's
# browser (the stand-in) was asked, or at least nothing else happened.
sleep 1
windows_after=$(client_windows)
[ "$windows_after" = "$windows_before" ] ||
  e2e_fail "the client has new windows: $(for w in $windows_after; do echo "$w $(title_of "$w")"; done)"
if [ -s "$WORK/opened.txt" ]; then
  grep -qv 'jinro_rule.html' "$WORK/opened.txt" && e2e_fail "the desktop was asked to open: $(cat "$WORK/opened.txt")"
  e2e_pass "opened windows went to the desktop's browser ($(wc -l <"$WORK/opened.txt") times)"
else
  e2e_pass "no window was opened"
fi

# An ordinary game again: the refresh posts the exact body, the caption is the
# page's, and voting time sounds the vote alarm.
scenario=day-night
control reset-log >/dev/null
control "scenario?name=day-night" >/dev/null
load_page 1.5
body="COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID="
seq=$(last_request_seq)
press_button 50007
wait_request_after "$seq" 'COMMAND=MSG' 10 || e2e_fail "no refresh after the hostile pages"
sent=$(requests_after "$seq" | grep $'\tPOST\t' | head -n 1 | cut -f4)
case "$sent" in "$body"[0-9]*) ;; *) e2e_fail "refresh body after the hostile pages: $sent" ;; esac
wait_title '人狼の村 第123村' 10 || e2e_fail "caption: $(client_title)"
village_advance
from=$(audio_bytes)
press_button 50007
wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_vote.wav)" -ge 1 ] || e2e_fail "no vote alarm after the hostile pages: $(sound_runs "$from")"
e2e_pass "an ordinary page afterwards: exact refresh, caption, vote alarm"

# Tables nested 10,000 deep keep the engine's page process busy for a minute
# or more (until it gives up). Meanwhile the client itself answers: it stays
# up, its memory bounded, and its refresh still goes out.
scenario=nested-10000
control reset-log >/dev/null
control "scenario?name=nested-10000" >/dev/null
load_page 2
for i in $(seq 1 15); do check_memory "nested-10000 (busy)" quiet; sleep 1; done
check_memory "nested-10000, 17 s"
load_page 1
client_alive || e2e_fail "the client died on the nested-10000 page"
e2e_pass "nested-10000: still running, refresh still posted"
echo "   peak memory of the client's processes: PSS $((PEAK_KB / 1024)) MiB"
