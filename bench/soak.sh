#!/usr/bin/env bash
# A long game at a 1-second automatic refresh: the real client plays the
# village (manual mode, moved on every few seconds; a new game after each
# end), its log viewers opened by nightfalls and game ends and closed again
# after a while, as a player reads and closes them. Beside it, for the same
# time, the floor: a bare WebEngine view (jinro_webengine_floor) posting the
# same game page again a second after each load. Prints every minute the
# private dirty memory and PSS of both process trees, and at the end the
# refreshes, the CPU seconds per refresh of each tree, and the growth.
#   bash bench/soak.sh MINUTES [BUILD_DIR]   (default build/; needs a display, or runs Xvfb)
# The 1-second interval is written into jinro.ini by hand (jidokosin_kankaku
# in [ZENPAN]): the settings dialog takes 10 to 10000 seconds, but the
# client's timer runs any interval of at least one second from the file.
# Environment: ADVANCE_SECONDS (the game's step, default 5), VIEWER_SECONDS
# (how long a log viewer stays open, default 10), KEEP_WORK=1 keeps the trace,
# CLIENT_WRAPPER runs the client under a command (for example
# "heaptrack -o /tmp/soak" to see where its memory goes).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/processes.sh"
minutes=${1:-}
case "$minutes" in ''|*[!0-9]*) echo "usage: bash bench/soak.sh MINUTES [BUILD_DIR]" >&2; exit 2 ;; esac
build=$(cd "${2:-$root/build}" 2>/dev/null && pwd) || { echo "no build folder ${2:-$root/build}" >&2; exit 2; }
bin="$build/bin"
for f in jinro-client quill_pane jinro-village jinro_webengine_floor; do
  [ -x "$bin/$f" ] || { echo "missing $bin/$f" >&2; exit 2; }
done
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  exec bash "$root/scripts/with-display.sh" bash "$0" "$minutes" "$build"
fi
advance_every=${ADVANCE_SECONDS:-5}
viewer_seconds=${VIEWER_SECONDS:-10}
scenario=day-night

work=$(mktemp -d /tmp/jinro-soak.XXXXXX)
app="$work/app"
mkdir -p "$app/home" "$app/run"
chmod 700 "$app/run"
cp "$bin/jinro-client" "$bin/quill_pane" "$app/"
cp "$bin"/*.wav "$bin"/*.mid "$app/" 2>/dev/null
[ -e "$bin/readme.txt" ] && cp "$bin/readme.txt" "$app/"
printf '[ZENPAN]\r\njidokosin_kankaku=1\r\n' >"$app/jinro.ini"

village= client= floor=
cleanup() {
  stop_pid "$client"; stop_pid "$floor"
  local p
  for p in $(own_viewers "$app"); do kill "$p" 2>/dev/null; done
  stop_pid "$village"
  if [ -n "${KEEP_WORK:-}" ]; then echo "kept in $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$bin/jinro-village" --url "http://127.0.0.1:0/jinro/" --scenario "$scenario" --manual --port-file "$work/village.port" \
  >"$work/village.log" 2>&1 &
village=$!
for _ in $(seq 1 100); do [ -s "$work/village.port" ] && break; sleep 0.1; done
[ -s "$work/village.port" ] || { echo "the village did not start" >&2; exit 1; }
hostport=127.0.0.1:$(cat "$work/village.port")
url="http://$hostport/jinro/"
control() { curl -s -m 5 "http://$hostport/__control/$1"; }
phase() { control state | sed -n 's/.*"phase":"\([a-z]*\)".*/\1/p'; }

# --- memory and CPU of a process tree ----------------------------------------
tree_memory() {  # PID: "<private dirty KiB> <PSS KiB>"
  local p files=()
  for p in $(tree_pids "$1"); do files+=("/proc/$p/smaps_rollup"); done
  awk '/^Pss:/ { pss += $2 } /^Private_Dirty:/ { pd += $2 } END { print pd + 0, pss + 0 }' "${files[@]}" 2>/dev/null
}
tree_cpu_ticks() {  # PID: user + system time of the tree's processes, and of their reaped children
  local p sum=0 t
  for p in $(tree_pids "$1"); do
    t=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 + $14 + $15 }' "/proc/$p/stat" 2>/dev/null)
    sum=$((sum + ${t:-0}))
  done
  echo "$sum"
}
hz=$(getconf CLK_TCK)

# --- the client, logged in, automatic refresh on ------------------------------
MENU_HEIGHT=18
trace="$work/trace.txt"
HOME="$app/home" XDG_RUNTIME_DIR="$app/run" XDG_CONFIG_HOME="$app/home/.config" \
  QTWEBENGINE_DISABLE_SANDBOX=1 SDL_AUDIODRIVER=dummy JINRO_TRACE=1 \
  ${CLIENT_WRAPPER:-} "$app/jinro-client" --server-url "$url" >/dev/null 2>"$trace" &
client=$!
if [ -n "${CLIENT_WRAPPER:-}" ]; then  # the client is the wrapper's child
  for _ in $(seq 1 100); do p=$(pgrep -n -f "^$app/jinro-client") && { client=$p; break; }; sleep 0.1; done
fi
win=
for _ in $(seq 1 400); do
  for w in $(xdotool search --pid "$client" 2>/dev/null); do
    xprop -id "$w" -notype WM_CLASS 2>/dev/null | grep -q '"CLS_ZAZOR_AVOVEZ_32v1"' || continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && { win=$w; break; }
  done
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no client window" >&2; exit 1; }
title() { xprop -id "$win" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }
wait_title() { local i; for i in $(seq 1 $(($2 * 10))); do title | grep -q -- "$1" && return 0; sleep 0.1; done; return 1; }
click_in() { xdotool windowraise "$win" 2>/dev/null; xdotool mousemove --window "$win" "$1" "$2" sleep 0.1 click 1; }
wait_title '入口' 40 || { echo "the entry page did not open" >&2; exit 1; }
sleep 0.5
click_in 400 $((MENU_HEIGHT + 230))
sleep 0.3
xdotool key --clearmodifiers Tab Tab Tab Return
wait_title '第' 20 || { echo "no game page after login" >&2; exit 1; }
sleep 1
click_in 92 $((MENU_HEIGHT + 15))  # 自: automatic refresh
sleep 2
ticks() { grep -c '^jinro-trace refresh-tick ' "$trace"; }
[ "$(ticks)" -gt 0 ] || { echo "automatic refresh did not start" >&2; exit 1; }

# --- the floor: the game page the client posts, posted again after each load ---
line=$(control 'requests?format=lines' | awk -F'\t' '$2 == "POST" && $3 ~ /cgi_jinro\.cgi/' | tail -n 1)
target=$(printf '%s' "$line" | cut -f3)
body=$(printf '%s' "$line" | cut -f4 | base64 -d)
[ -n "$target" ] || { echo "no game page post to repeat" >&2; exit 1; }
"$bin/jinro_webengine_floor" --reload-every 1000 --post "$body" "http://$hostport$target" >"$work/floor.out" 2>/dev/null &
floor=$!

# --- the soak ------------------------------------------------------------------
start=$(date +%s)
end=$((start + minutes * 60))
ticks0=$(ticks)
floor0=$(grep -c '^reloaded' "$work/floor.out")
cpu0=$(tree_cpu_ticks "$client") fcpu0=$(tree_cpu_ticks "$floor")
next_sample=$start next_advance=$((start + advance_every))
declare -A viewer_seen
viewers=0 games=0
printf '%6s %9s %16s %10s %9s %16s %10s\n' minute refreshes "client priv.dirty" "client PSS" reloads "floor priv.dirty" "floor PSS"
# The client tree's private dirty memory at each sample (KiB), for the growth.
dirty=()
sample() {
  local m f
  m=$(tree_memory "$client") f=$(tree_memory "$floor")
  dirty+=("${m% *}")
  printf '%6d %9d %12.1f MiB %6.1f MiB %9d %12.1f MiB %6.1f MiB\n' $((($(date +%s) - start) / 60)) $(($(ticks) - ticks0)) \
    "$(awk -v k="${m% *}" 'BEGIN { print k / 1024 }')" "$(awk -v k="${m#* }" 'BEGIN { print k / 1024 }')" \
    $(($(grep -c '^reloaded' "$work/floor.out") - floor0)) \
    "$(awk -v k="${f% *}" 'BEGIN { print k / 1024 }')" "$(awk -v k="${f#* }" 'BEGIN { print k / 1024 }')"
}
while :; do
  now=$(date +%s)
  [ "$now" -ge "$end" ] && break
  kill -0 "$client" 2>/dev/null || { echo "the client ended" >&2; exit 1; }
  kill -0 "$floor" 2>/dev/null || { echo "the bare view ended" >&2; exit 1; }
  if [ "$now" -ge "$next_sample" ]; then sample; next_sample=$((next_sample + 60)); fi
  if [ "$now" -ge "$next_advance" ]; then
    if [ "$(phase)" = over ]; then
      control "scenario?name=$scenario" >/dev/null; games=$((games + 1))
    else
      control advance >/dev/null
    fi
    next_advance=$((now + advance_every))
  fi
  # A log viewer is read for a while, then closed.
  for p in $(own_viewers "$app"); do
    if [ -z "${viewer_seen[$p]:-}" ]; then
      viewer_seen[$p]=$now viewers=$((viewers + 1))
    elif [ $((now - viewer_seen[$p])) -ge "$viewer_seconds" ]; then
      kill "$p" 2>/dev/null
    fi
  done
  sleep 1
done
sample
refreshes=$(($(ticks) - ticks0))
reloads=$(($(grep -c '^reloaded' "$work/floor.out") - floor0))
cpu=$(( $(tree_cpu_ticks "$client") - cpu0 )) fcpu=$(( $(tree_cpu_ticks "$floor") - fcpu0 ))
echo
echo "$minutes minutes: $refreshes automatic refreshes, $games games ended, $viewers log viewers opened and closed"
awk -v c="$cpu" -v n="$refreshes" -v f="$fcpu" -v r="$reloads" -v hz="$hz" 'BEGIN {
  printf "client CPU: %.1f s, %.3f s per refresh\n", c / hz, n ? c / hz / n : 0
  printf "bare view CPU: %.1f s over %d loads, %.3f s per load\n", f / hz, r, r ? f / hz / r : 0 }'
# Growth from the first minute's sample (the first pages read and the sound
# prepared by then), and from the start.
if [ "${#dirty[@]}" -ge 3 ]; then
  awk -v a="${dirty[0]}" -v b="${dirty[1]}" -v z="${dirty[${#dirty[@]} - 1]}" 'BEGIN {
    printf "client private dirty: %.1f MiB after a minute, %.1f MiB at the end: %+.1f%% (%+.1f%% from the start, %.1f MiB)\n",
      b / 1024, z / 1024, (z - b) * 100 / b, (z - a) * 100 / a, a / 1024 }'
fi
[ -n "${KEEP_WORK:-}" ] && cp "$trace" "$work/client-trace.txt"
exit 0
