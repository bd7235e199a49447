#!/usr/bin/env bash
# Measures the real client: the time from its start to the first page shown
# (the start page analysed: its title in the window's caption), the memory of
# its process tree (PSS, the client and its browser processes) on the start
# page and on a day game page of the demo village, and the work on one
# completed page (the jinro_bench benchmarks of the event sink).
#   bash bench/measure_client.sh [BUILD_DIR]     (needs a display, or runs Xvfb)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bin="$build/bin"
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  exec bash "$root/scripts/with-display.sh" bash "$0" "$build"
fi
work=$(mktemp -d)
cp "$bin/jinro-client" "$bin/quill_pane" "$work/"
cp "$bin"/*.wav "$bin"/*.mid "$work/" 2>/dev/null
export HOME="$work" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The village on a port the system finds free; the client is pointed at it.
"$bin/jinro-village" --url "http://127.0.0.1:0/jinro/" --port-file "$work/village.port" --scenario day-night \
  --manual >/dev/null 2>&1 &
village=$!
client=
cleanup() { [ -n "$client" ] && kill "$client" 2>/dev/null; sleep 1; kill "$village" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$work/village.port" ] && break; sleep 0.1; done
[ -s "$work/village.port" ] || { echo "the village did not start" >&2; exit 1; }
hostport=127.0.0.1:$(cat "$work/village.port")
url="http://$hostport/jinro/"

caption() {
  local w
  for w in $(xdotool search --pid "$client" 2>/dev/null); do
    xprop -id "$w" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
  done
}
tree_pss_mib() {  # the process and all its descendants
  local pids=("$client") i=0 kids total=0 p v
  while [ $i -lt ${#pids[@]} ]; do
    kids=$(pgrep -P "${pids[$i]}")
    for p in $kids; do pids+=("$p"); done
    i=$((i + 1))
  done
  for p in "${pids[@]}"; do
    v=$(awk '/^Pss:/ { print $2 }' "/proc/$p/smaps_rollup" 2>/dev/null)
    total=$((total + ${v:-0}))
  done
  echo "$((total / 1024)) MiB in ${#pids[@]} processes"
}

t0=$(date +%s%N)
JINRO_TRACE=1 "$work/jinro-client" --server-url "$url" >/dev/null 2>"$work/trace.txt" &
client=$!
until caption | grep -q '入口'; do
  [ $(( ($(date +%s%N) - t0) / 1000000 )) -gt 60000 ] && { echo "no first page within 60 s"; exit 1; }
  sleep 0.02
done
t1=$(date +%s%N)
echo "start to first page shown: $(( (t1 - t0) / 1000000 )) ms"
# Where the start goes, from the client's own trace (each stage since the one before).
awk '$1 == "jinro-trace" && !seen[$2]++ { if (prev) printf "  %-22s %6.0f ms\n", $2, ($3 - prev) / 1e6; prev = $3 }
     $2 == "caption-set" { exit }' "$work/trace.txt"
sleep 2
echo "memory on the start page: $(tree_pss_mib)"

# Log in with the page's form and measure on a day page.
w=$(xdotool search --pid "$client" | tail -n 1)
for w in $(xdotool search --pid "$client"); do
  xprop -id "$w" WM_CLASS 2>/dev/null | grep -q CLS_ZAZOR_AVOVEZ_32v1 && break
done
curl -s "http://$hostport/__control/state" >/dev/null
xdotool mousemove --window "$w" 400 260 click 1
xdotool key --clearmodifiers Tab Tab Tab Return
for _ in $(seq 1 100); do caption | grep -q '第' && break; sleep 0.1; done
sleep 2
echo "memory on a day game page: $(tree_pss_mib)"

if [ -x "$bin/jinro_bench" ]; then
  echo "one completed page through the event sink (conversion, cut, analysis, reversal):"
  "$bin/jinro_bench" --benchmark_filter='DocumentComplete' 2>/dev/null | grep '^BM_'
fi
