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

# For the client and its browser processes. A page of 100,000 speech rows
# (11 MB) alone takes the browser's page process to about 1.4 GiB, the whole
# tree to about 1.55 GiB (PSS) once it is laid out; 2 GiB leaves room for
# that and still catches memory that runs away.
LIMIT_KB=$((2048 * 1024))
PEAK_KB=0

# "PSS RSS" of the tree in kB.
tree_memory() {
  local p pss=0 rss=0 v
  for p in $(tree_pids "$CLIENT_PID"); do
    v=$(awk '/^Pss:/ {p = $2} /^Rss:/ {r = $2} END {print p + 0, r + 0}' "/proc/$p/smaps_rollup" 2>/dev/null) || continue
    pss=$((pss + ${v% *})); rss=$((rss + ${v#* }))
  done
  echo "$pss $rss"
}
# The memory the tree keeps after a load: the least of samples over five
# seconds, so that garbage the page's engine has yet to collect at one
# instant is not taken for growth.
kept_pss() {
  local least="" m n
  for n in 1 2 3 4 5 6 7 8 9 10; do
    m=$(tree_memory); m=${m% *}
    { [ -z "$least" ] || [ "$m" -lt "$least" ]; } && least=$m
    sleep 0.5  # the samples are spread over the five seconds that are measured
  done
  echo "$least"
}
check_memory() {  # WHAT [quiet]
  local m; m=$(tree_memory)
  local pss=${m% *}
  [ "$pss" -gt "$PEAK_KB" ] && PEAK_KB=$pss
  [ -n "${2:-}" ] || echo "   memory after $1: PSS $((pss / 1024)) MiB, RSS $((${m#* } / 1024)) MiB"
  [ "$pss" -lt "$LIMIT_KB" ] || e2e_fail "$1: the client's processes hold $((pss / 1024)) MiB"
  LAST_PSS=$pss
}
# CPU time of the client's tree and of the village (which takes a while to
# make the largest pages), in ticks.
tree_ticks() {
  local p t=0 f
  for p in $(tree_pids "$CLIENT_PID") "$VILLAGE_PID"; do
    f=$(cut -d' ' -f14,15 "/proc/$p/stat" 2>/dev/null) || continue
    t=$((t + ${f% *} + ${f#* }))
  done
  echo "$t"
}
# Waits until the page is done: these processes were busy (or MIN
# seconds went by) and are now idle for two seconds in a row; at most MAX
# seconds. Memory is watched meanwhile.
settle() {  # MAX MIN
  local start; start=$(date +%s)
  local last now quiet=0 busy=0
  last=$(tree_ticks)
  while [ "$(date +%s)" -lt $((start + $1)) ]; do
    sleep 1  # the CPU time used in each second tells busy from idle
    check_memory "$scenario (loading)" quiet
    now=$(tree_ticks)
    if [ $((now - last)) -le 5 ]; then quiet=$((quiet + 1)); else quiet=0; fi
    [ $((now - last)) -gt 10 ] && busy=1
    last=$now
    [ "$quiet" -ge 2 ] && { [ "$busy" = 1 ] || [ "$(date +%s)" -ge $((start + $2)) ]; } && break
  done
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
wait_post_after() {  # SEQ SECONDS
  wait_for "$2" sh -c "[ \$(curl -s -m 5 'http://$BASE_HOSTPORT/__control/requests?format=lines' | awk -F '\t' -v s='$1' '\$1 > s + 0 && \$2 == \"POST\"' | wc -l) -ge 1 ]"
}
load_page() {  # MAX_SECONDS [MIN_SECONDS]
  local seq; seq=$(last_request_seq)
  press_button manual_refresh
  wait_post_after "$seq" 20 ||
    e2e_fail "no refresh posted ($scenario): $(control 'requests?format=lines' | cut -f1-3 | tail -n 5)"
  settle "$1" "${2:-3}"
  client_alive || e2e_fail "the client died on the $scenario page"
}

# The page engine still renders and runs pages: the self-navigating page,
# requested afresh, goes on to itself several times.
view_count() { control 'requests?format=lines' | cut -f3 | grep -c 'COMMAND=VIEW'; }
engine_alive() {  # SECONDS
  local before deadline; before=$(view_count)
  deadline=$(($(date +%s) + $1))
  control "scenario?name=self-navigate" >/dev/null
  press_button manual_refresh
  while [ "$(date +%s)" -lt "$deadline" ]; do
    check_memory "$scenario (busy)" quiet
    [ "$(view_count)" -ge $((before + 5)) ] && return 0
    sleep 1  # each round also reads the memory of the whole process tree
  done
  return 1
}

check_memory "login"
LOGIN_PSS=$LAST_PSS
windows_before=$(client_windows)
[ -n "$windows_before" ] || e2e_fail "no client window found"

# Each scenario loaded by a refresh and left to load to its end (the 5 MB
# page twice, to see whether memory climbs load after load), then the engine
# checked: a fresh page loads and runs.
for scenario in huge opens-windows utf8 eucjp self-navigate random-bytes rows-100000; do
  control reset-log >/dev/null   # the self-navigating page fills it; reading it must stay quick
  control "scenario?name=$scenario" >/dev/null
  case $scenario in
    huge) loads=2 settle=150 min=15 wait=60 ;;
    rows-100000) loads=1 settle=150 min=15 wait=60 ;;
    random-bytes) loads=1 settle=150 min=10 wait=60 ;;
    *) loads=1 settle=10 min=3 wait=30 ;;
  esac
  for i in $(seq 1 "$loads"); do
    load_page "$settle" "$min"
    check_memory "$scenario #$i"
    [ "$scenario" = huge ] && HUGE_KEPT[$i]=$(kept_pss) && echo "   kept after $scenario #$i: PSS $((HUGE_KEPT[$i] / 1024)) MiB"
  done
  if [ "$scenario" = huge ]; then
    # Loading the same page again may not keep half as much again as the
    # first load took (about 470 MiB): a page's memory kept load after load
    # would. A fixed bound of 128 MiB was within the engine's own variation
    # (60 to 165 MiB seen from one run to the next).
    [ $((HUGE_KEPT[2] - HUGE_KEPT[1])) -lt $(((HUGE_KEPT[1] - LOGIN_PSS) / 2)) ] ||
      e2e_fail "memory grows load after load: $((HUGE_KEPT[1] / 1024)) MiB after the 1st, $((HUGE_KEPT[2] / 1024)) MiB after the 2nd"
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
windows_after=$(client_windows)
[ "$windows_after" = "$windows_before" ] ||
  e2e_fail "the client has new windows: $(for w in $windows_after; do echo "$w $(title_of "$w")"; done)"
if [ -s "$WORK/opened.txt" ]; then
  grep -qv 'jinro_rule.html' "$WORK/opened.txt" && e2e_fail "the desktop was asked to open: $(cat "$WORK/opened.txt")"
  e2e_pass "opened windows went to the desktop's browser ($(wc -l <"$WORK/opened.txt") times)"
else
  e2e_pass "no window was opened"
fi

# An ordinary game again, from the start page (the pages above took the
# login values from their own fields): the login and refresh post the exact
# body, the caption is the page's, and voting time sounds the vote alarm.
scenario=day-night
control reset-log >/dev/null
control "scenario?name=day-night" >/dev/null
press_button return_top
login
body="COMMAND=MSG&CMBPLAYER=&TXTMSG=&TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID="
seq=$(last_request_seq)
press_button manual_refresh
wait_post_after "$seq" 10 || e2e_fail "no refresh after the hostile pages"
sent=$(control 'requests?format=lines' | awk -F '\t' -v s="$seq" '$1 > s + 0 && $2 == "POST"' | head -n 1 | cut -f4 | base64 -d)
case "$sent" in "$body"[0-9]*) ;; *) e2e_fail "refresh body after the hostile pages: $sent" ;; esac
wait_title '人狼の村 第123村' 10 || e2e_fail "caption: $(client_title)"
village_advance
from=$(audio_bytes)
press_button manual_refresh
wait_for 10 sh -c "[ \$(stat -c %s '$WORK/audio.raw') -gt $((from + BYTES_PER_SECOND * 2)) ]"
[ "$(runs_of_tone "$from" t_vote.wav)" -ge 1 ] || e2e_fail "no vote alarm after the hostile pages: $(sound_runs "$from")"
e2e_pass "an ordinary page afterwards: exact refresh, caption, vote alarm"

# Tables nested 10,000 deep keep the engine's page process busy for a minute
# or more (until it gives up). Meanwhile the client itself answers: it stays
# up, its memory bounded, and its refresh still goes out.
scenario=nested-10000
control reset-log >/dev/null
control "scenario?name=nested-10000" >/dev/null
load_page 20
check_memory "nested-10000, 20 s"
load_page 1
client_alive || e2e_fail "the client died on the nested-10000 page"
e2e_pass "nested-10000: still running, refresh still posted"
echo "   peak memory of the client's processes: PSS $((PEAK_KB / 1024)) MiB"
