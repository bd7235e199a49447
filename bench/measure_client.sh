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

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# start_client: starts the client and waits for its first page; sets elapsed
# to the milliseconds from the start to the start page's title in the caption.
start_client() {
  local t0 t1
  t0=$(date +%s%N)
  JINRO_TRACE=1 "$work/jinro-client" --server-url "$url" >/dev/null 2>"$work/trace.txt" &
  client=$!
  until caption | grep -q '入口'; do
    [ $(( ($(date +%s%N) - t0) / 1000000 )) -gt 60000 ] && { echo "no first page within 60 s" >&2; exit 1; }
    sleep 0.02
  done
  t1=$(date +%s%N)
  elapsed=$(( (t1 - t0) / 1000000 ))
}
stop_client() { kill "$client" 2>/dev/null; wait "$client" 2>/dev/null; client=; }

# RUNS starts (default 5); the first one makes jinro.ini, as a new player's does.
runs=${RUNS:-5}
times=()
for i in $(seq 1 "$runs"); do
  [ -n "$client" ] && stop_client
  start_client
  times+=("$elapsed")
done
echo "start to first page shown: median $(printf '%s\n' "${times[@]}" | median) ms (${times[*]})"
# Where the last start went, from the client's own trace (each stage since the one before).
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

# The floor: a bare WebEngine view, shown, loading the same start page.
if [ -x "$bin/jinro_webengine_floor" ]; then
  stop_client
  floor=()
  for i in $(seq 1 "$runs"); do
    t0=$(date +%s%N)
    done_ns=$("$bin/jinro_webengine_floor" "${url}index2.html" 2>/dev/null | awk '$1 == "loaded" { print $2 }')
    [ -n "$done_ns" ] && floor+=($(( (done_ns - t0) / 1000000 )))
  done
  echo "a bare WebEngine view, start to the same page loaded: median $(printf '%s\n' "${floor[@]}" | median) ms (${floor[*]})"
fi
