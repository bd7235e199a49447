#!/usr/bin/env bash
# From page loaded to alarm heard: the real client against the demo village
# (manual mode, pages padded to about 500 kB), driven the way a person does it
# with the refresh button, with its trace on (JINRO_TRACE=1). For every page
# load that sounded an alarm it takes the trace's marks
#   load-finished -> html-received -> converted -> analysed -> play-called -> first-audio
# and prints the median of each step and of the whole way, for two cases:
#   WAV:  the default phase alarms (day, vote, night; WAV) on day-night-500k
#   MIDI: the village's victory alarm (MIDI; the phase alarms cannot be
#         MIDI files: their device plays WAV only) on victory-500k, over and
#         over, with a jinro.ini that names the MIDI files
# The sound goes to SDL's dummy driver, which mixes in real time and plays
# nothing: "first-audio" is when the first mixed buffer that carries the
# alarm's sound leaves the mixer.
#   bash bench/page_to_sound.sh [BUILD_DIR]   (default build/; needs a display, or runs Xvfb)
# Environment: LOADS (traced alarm loads per case, default 20), KEEP_WORK=1
# keeps the scratch folder with the raw traces.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/processes.sh"
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd) || { echo "no build folder ${1:-$root/build}" >&2; exit 2; }
bin="$build/bin"
for f in jinro-client quill_pane jinro-village; do
  [ -x "$bin/$f" ] || { echo "missing $bin/$f (build jinro-client quill_pane jinro-village jinro_runtime_files)" >&2; exit 2; }
done
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  exec bash "$root/scripts/with-display.sh" bash "$0" "$build"
fi
for tool in xdotool xprop xwininfo curl iconv awk; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
want=${LOADS:-20}
case_seconds=300  # each case stops after this long, traced enough or not
# The village serves the build's base URL: the client's refresh sends that
# URL as its referrer, and the browser engine refuses the request when the
# page comes from anywhere else. Nothing else may use that port meanwhile (the
# end-to-end tests use it too).
# The village takes a port the system finds free; the client is pointed at it
# with --server-url.
url="http://127.0.0.1:0/jinro/"

work=$(mktemp -d /tmp/jinro-page-to-sound.XXXXXX)
village= client= app=
stop_client() {
  [ -n "$client" ] || return 0
  stop_pid "$client"
  client=
  local p
  for p in $(own_viewers "$app"); do kill "$p" 2>/dev/null; done
}
cleanup() {
  stop_client
  stop_pid "$village"
  if [ -n "${KEEP_WORK:-}" ]; then echo "traces kept in $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

control() { curl -s -m 5 "http://$hostport/__control/$1"; }
phase() { control state | sed -n 's/.*"phase":"\([a-z]*\)".*/\1/p'; }

"$bin/jinro-village" --url "$url" --scenario day-night-500k --manual --port-file "$work/village.port" \
  >"$work/village.log" 2>&1 &
village=$!
for _ in $(seq 1 100); do [ -s "$work/village.port" ] && break; sleep 0.1; done
[ -s "$work/village.port" ] || { echo "the village did not start:" >&2; cat "$work/village.log" >&2; exit 1; }
url="http://127.0.0.1:$(cat "$work/village.port")/jinro/"
hostport=127.0.0.1:$(cat "$work/village.port")

# --- the client, as a person drives it ---------------------------------------
MENU_HEIGHT=18
win=
client_window() {
  local w
  for w in $(xdotool search --pid "$client" 2>/dev/null); do
    xprop -id "$w" -notype WM_CLASS 2>/dev/null | grep -q '"CLS_ZAZOR_AVOVEZ_32v1"' || continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$w"; return 0; }
  done
  return 1
}
title() { xprop -id "$win" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }
wait_title() {  # PATTERN SECONDS
  local i
  for i in $(seq 1 $(($2 * 10))); do title | grep -q -- "$1" && return 0; sleep 0.1; done
  return 1
}
click_in() {  # X Y: a point of the window's inside
  xdotool windowraise "$win" 2>/dev/null
  xdotool mousemove --window "$win" "$1" "$2" sleep 0.1 click 1
}
press_refresh() { click_in 58 $((MENU_HEIGHT + 15)); }  # the toolbar's refresh button
login() {
  wait_title '入口' 40 || { echo "the entry page did not open" >&2; return 1; }
  sleep 0.5
  click_in 400 $((MENU_HEIGHT + 230))
  sleep 0.3
  xdotool key --clearmodifiers Tab Tab Tab Return
  wait_title '第' 20 || { echo "no game page after login" >&2; return 1; }
}

# --- the trace ---------------------------------------------------------------
# One line per page load that sounded an alarm of the wanted device:
#   kinds lf->hr hr->cv cv->an an->pc pc->fa total   (milliseconds)
# A load's chain starts at "converted" (a page the client shows from memory,
# in reverse-row mode, has none) with the load and HTML marks before it; the
# last play-called of the load (the night plays the action prompt's alarm,
# then the night's) and the first-audio after it close it. Later first-audio
# marks (a repeating alarm starting again) belong to no load.
chains() {  # TRACE DEVICE(wave|midi)
  awk -v device="$2" '
    function wave(k) { return k == "night" || k == "daytime" || k == "tohyo" || k == "kodo" || k == "full_alarm" }
    $1 != "jinro-trace" || NF < 3 { next }
    { t = $3 / 1e6 }
    $2 == "load-finished" { lf = t }
    $2 == "html-received" { hr = t; hrlf = lf }
    $2 == "converted" { open = 1; c_lf = hrlf; c_hr = hr; c_cv = t; c_an = 0; c_pc = 0; kinds = "" }
    $2 == "analysed" && open { c_an = t }
    $2 == "play-called" && open && c_an { c_pc = t; kinds = kinds (kinds == "" ? "" : "+") $4; last = $4 }
    $2 == "first-audio" && open && c_pc {
      open = 0
      if ((device == "wave") != wave(last)) next
      printf "%s %.3f %.3f %.3f %.3f %.3f %.3f\n", kinds, c_hr - c_lf, c_cv - c_hr, c_an - c_cv, c_pc - c_an, t - c_pc, t - c_lf
    }' "$1"
}
count_chains() { chains "$1" "$2" | wc -l; }

# Waits for the page a refresh asked for: its "analysed" mark, then its
# sound when it plays one. Returns 1 when the page never came.
settle() {  # TRACE LINES_BEFORE
  local i state=none
  for i in $(seq 1 200); do
    state=$(tail -n +$(($2 + 1)) "$1" | awk '
      $1 != "jinro-trace" { next }
      $2 == "analysed" { a = 1 }
      a && $2 == "play-called" { p = 1; f = 0 } p && $2 == "first-audio" { f = 1 }
      END { print a && (!p || f) ? "done" : a ? "page" : "none" }')
    [ "$state" = done ] && break
    sleep 0.1
  done
  sleep 0.3
  [ "$state" != none ]
}

# run_case NAME SCENARIO DEVICE [jinro.ini lines...]
run_case() {
  local name=$1 scenario=$2 device=$3; shift 3
  app="$work/$name"
  mkdir -p "$app/home" "$app/run"
  chmod 700 "$app/run"
  cp "$bin/jinro-client" "$bin/quill_pane" "$app/"
  cp "$bin"/*.wav "$bin"/*.mid "$app/" 2>/dev/null
  [ -e "$bin/readme.txt" ] && cp "$bin/readme.txt" "$app/"
  [ $# -gt 0 ] && printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 >"$app/jinro.ini"
  local trace="$work/$name.trace"
  : >"$trace"
  control "scenario?name=$scenario" >/dev/null
  HOME="$app/home" XDG_RUNTIME_DIR="$app/run" XDG_CONFIG_HOME="$app/home/.config" \
    QTWEBENGINE_DISABLE_SANDBOX=1 SDL_AUDIODRIVER=dummy JINRO_TRACE=1 \
    "$app/jinro-client" --server-url "$url" >/dev/null 2>>"$trace" &
  client=$!
  win=
  for _ in $(seq 1 400); do win=$(client_window) && break; sleep 0.1; done
  [ -n "$win" ] || { echo "$name: no client window" >&2; return 1; }
  local before
  before=$(wc -l <"$trace")
  login || return 1
  settle "$trace" "$before"

  local deadline=$(($(date +%s) + case_seconds)) refreshes=0 missed=0 viewers=0 p
  while [ "$(count_chains "$trace" "$device")" -lt "$want" ] && [ "$(date +%s)" -lt "$deadline" ] \
    && [ $refreshes -lt $((want * 4)) ]; do
    p=$(phase)
    if [ "$p" = over ]; then
      control "scenario?name=$scenario" >/dev/null   # a new game, same scenario
    else
      control advance >/dev/null
      # A game that has ended starts afresh before the client sees it: a
      # game-over page would end the phase alarms of this client's game.
      [ "$device" = wave ] && [ "$(phase)" = over ] && control "scenario?name=$scenario" >/dev/null
    fi
    before=$(wc -l <"$trace")
    press_refresh
    settle "$trace" "$before" || missed=$((missed + 1))
    refreshes=$((refreshes + 1))
    # The log viewer that nightfall and the game's end start is closed, and
    # given time to go, so that it does not share the CPU with the next page.
    sleep 0.5
    for p in $(own_viewers "$app"); do kill "$p" 2>/dev/null && viewers=$((viewers + 1)); done
    sleep 0.3
    kill -0 "$client" 2>/dev/null || { echo "$name: the client ended" >&2; return 1; }
  done
  echo "$name: $(count_chains "$trace" "$device") alarm loads traced in $refreshes refreshes ($missed without a page, $viewers log viewers closed)" >&2
  stop_client
}

run_case wav day-night-500k wave || exit 1
run_case midi victory-500k midi \
  "[SOUND2]" "sonmin_sound_path=tamhe06.mid" "jinro_sound_path=tam-g09.mid" "yoko_sound_path=tam-g09.mid" \
  "hikiwake_sound_path=tam-g09.mid" "[SOUND3]" "nekomata_sound_path=tamhe06.mid" || exit 1

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) printf "%.1f", v[(NR + 1) / 2]; else printf "%.1f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_of() { chains "$work/$1.trace" "$2" | awk -v c="$3" '{ print $c }' | median; }
kinds_of() { chains "$work/$1.trace" "$2" | awk '{ n[$1]++ } END { for (k in n) printf "%s%s x%d", (s++ ? ", " : ""), k, n[k] }'; }
nw=$(count_chains "$work/wav.trace" wave)
nm=$(count_chains "$work/midi.trace" midi)
echo
echo "From page loaded to alarm heard, median milliseconds (500 kB pages, SDL dummy driver)"
printf '%-38s %12s %12s\n' "step" "WAV (n=$nw)" "MIDI (n=$nm)"
i=2
for step in "load-finished -> html-received" "html-received -> converted" "converted -> analysed" \
  "analysed -> play-called" "play-called -> first-audio" "total (load-finished -> first-audio)"; do
  printf '%-38s %12s %12s\n' "$step" "$(column_of wav wave $i)" "$(column_of midi midi $i)"
  i=$((i + 1))
done
echo "WAV alarms: $(kinds_of wav wave)"
echo "MIDI alarms: $(kinds_of midi midi)"
[ "$nw" -ge "$want" ] && [ "$nm" -ge "$want" ] || { echo "fewer alarm loads traced than the $want wanted" >&2; exit 1; }
