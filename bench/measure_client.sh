#!/usr/bin/env bash
# Measures the real client against its floor, a bare QWebEngineView
# (jinro_webengine_floor) on the same page, started in turn in the same run so
# that both see the same load on the machine: the time from the start to the
# first page shown (the client: the start page analysed, its title in the
# window's caption; the bare view: its load finished, the title in its
# caption), both seen alike from outside and by the programs' own clocks, the
# stages of both starts from their traces, and the memory of each process
# tree (the program and its browser processes) on that page: PSS and private dirty
# memory (the sum of Private_Dirty in /proc/<pid>/smaps_rollup). Then the
# client's memory on a day game page of the demo village, and the work on one
# completed page (the jinro_bench benchmarks of the event sink).
#   bash bench/measure_client.sh [BUILD_DIR]     (needs a display, or runs Xvfb)
# Environment: RUNS (rounds of one start each, default 5).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/processes.sh"
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
cleanup() { [ -n "$client" ] && kill "$client" 2>/dev/null; [ -n "${floor:-}" ] && kill "$floor" 2>/dev/null; sleep 1; kill "$village" 2>/dev/null; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$work/village.port" ] && break; sleep 0.1; done
[ -s "$work/village.port" ] || { echo "the village did not start" >&2; exit 1; }
hostport=127.0.0.1:$(cat "$work/village.port")
url="http://$hostport/jinro/"

caption() {  # [PID]: the captions of that program's windows (the client's by default)
  local w
  for w in $(xdotool search --pid "${1:-$client}" 2>/dev/null); do
    xprop -id "$w" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
  done
}
# tree_memory PID: "<PSS KiB> <Private_Dirty KiB> <processes>" of the tree,
# from smaps_rollup (private dirty: the memory the tree alone has written,
# which no other process shares and nothing but swap can take back).
tree_memory() {
  local pids
  pids=$(tree_pids "$1")
  # shellcheck disable=SC2086
  awk -v n="$(echo $pids | wc -w)" '/^Pss:/ { pss += $2 } /^Private_Dirty:/ { pd += $2 } END { print pss, pd, n }' \
    $(for p in $pids; do echo "/proc/$p/smaps_rollup"; done) 2>/dev/null
}
# process_memory PID: "<PSS> <Private_Dirty> <Anonymous>" KiB of that process alone.
process_memory() {
  awk '/^Pss:/ { a = $2 } /^Private_Dirty:/ { b = $2 } /^Anonymous:/ { c = $2 } END { print a, b, c }' "/proc/$1/smaps_rollup"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# Starts a program after writing the monotonic time to stderr as a trace
# line ("jinro-trace launch NS"): the programs' own marks are then measured
# from their launch, without the delay of polling the window's caption.
# (A command, not a function: started with &, the program keeps perl's pid.)
launch=(perl -MTime::HiRes=clock_gettime,CLOCK_MONOTONIC
  -e 'printf STDERR "jinro-trace launch %.0f\n", clock_gettime(CLOCK_MONOTONIC) * 1e9; exec @ARGV or exit 127')
mark_ms() {  # FILE FROM TO: milliseconds between two trace marks
  awk -v a="$2" -v b="$3" '$1 == "jinro-trace" && $2 == a && !ta { ta = $3 } $1 == "jinro-trace" && $2 == b && !tb { tb = $3 }
    END { if (ta && tb) printf "%.0f\n", (tb - ta) / 1e6 }' "$1"
}

stages_since_launch() {  # TRACE LAST: "<stage> <ms since the one before>" up to LAST
  awk -v last="$2" '$1 == "jinro-trace" && !seen[$2]++ { if (prev) printf "%s %.1f\n", $2, ($3 - prev) / 1e6; prev = $3 }
       $2 == last { exit }' "$1"
}
print_stage_medians() {  # FILE of stage lines from several starts
  awk '{ v[$1] = v[$1] " " $2; if (!($1 in o)) { o[$1] = ++n; name[n] = $1 } }
       END { for (k = 1; k <= n; k++) print name[k], v[name[k]] }' "$1" |
    while read -r stage values; do
      # shellcheck disable=SC2086
      printf '  %-22s %7s ms\n' "$stage" "$(printf '%s\n' $values | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')"
    done
}

client_window() {  # the client's main window (its class), else its last window
  local w
  for w in $(xdotool search --pid "$client" 2>/dev/null); do
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q CLS_ZAZOR_AVOVEZ_32v1 && break
  done
  echo "$w"
}

# start_client: starts the client and waits for its first page; sets elapsed
# to the milliseconds from the start to the start page's title in the caption.
start_client() {
  local t0 t1
  t0=$(date +%s%N)
  JINRO_TRACE=1 "${launch[@]}" "$work/jinro-client" --server-url "$url" >/dev/null 2>"$work/trace.txt" &
  client=$!
  until caption | grep -q '入口'; do
    [ $(( ($(date +%s%N) - t0) / 1000000 )) -gt 60000 ] && { echo "no first page within 60 s" >&2; exit 1; }
    sleep 0.02
  done
  t1=$(date +%s%N)
  elapsed=$(( (t1 - t0) / 1000000 ))
  # The bare view is given the size of the client's whole window (its page
  # has a little less, beside the menus and bars), so that it paints no more.
  if [ -z "${client_size:-}" ]; then
    client_size=$(xdotool getwindowgeometry "$(client_window)" | sed -n 's/^ *Geometry: \([0-9]*x[0-9]*\)$/\1/p')
    client_size=${client_size:-600x400}
  fi
}
stop_client() { kill "$client" 2>/dev/null; wait "$client" 2>/dev/null; client=; }

# The client turns the browser's GPU process off on Xvfb (it gives pages that
# never report their scroll position there); the bare view gets the same, so
# that both start the same set of processes.
floor_flags=${QTWEBENGINE_CHROMIUM_FLAGS:-}
display_number=${DISPLAY#*:} display_number=${display_number%%.*}
if [ "$(cat "/proc/$(cat "/tmp/.X$display_number-lock" 2>/dev/null | tr -d ' ')/comm" 2>/dev/null)" = Xvfb ] &&
  [[ $floor_flags != *--disable-gpu* ]]; then
  floor_flags="${floor_flags:+$floor_flags }--disable-gpu"
fi

# start_floor: the bare view on the same page, left open; sets floor_elapsed
# (polled as the client's is: the bare view puts the page's title in its
# caption when the load has finished) and floor_own (its own clock).
start_floor() {
  local t0 t1
  : >"$work/floor.out"
  t0=$(date +%s%N)
  JINRO_TRACE=1 QTWEBENGINE_CHROMIUM_FLAGS=$floor_flags "${launch[@]}" "$bin/jinro_webengine_floor" --stay \
    --size "$client_size" "${url}index2.html" >"$work/floor.out" 2>"$work/floor.err" &
  floor=$!
  until caption "$floor" | grep -q '入口'; do
    [ $(( ($(date +%s%N) - t0) / 1000000 )) -gt 60000 ] && { echo "the bare view loaded nothing within 60 s" >&2; exit 1; }
    sleep 0.02
  done
  t1=$(date +%s%N)
  floor_elapsed=$(( (t1 - t0) / 1000000 ))
  floor_own=$(awk '$1 == "jinro-trace" && $2 == "launch" { print $3 }' "$work/floor.err" |
    awk -v done="$(awk '$1 == "loaded" { print $3 }' "$work/floor.out")" '{ printf "%.0f\n", (done - $1) / 1e6 }')
}
stop_floor() { kill "$floor" 2>/dev/null; wait "$floor" 2>/dev/null; floor=; }

# RUNS rounds (default 5), each a start of the client then one of the bare
# view, so that both see the same load on the machine; the first start makes
# jinro.ini, as a new player's does. Memory is read 3 s after the first page.
runs=${RUNS:-5}
times=() floor_times=() own=() floor_owns=() c_pss=() c_pd=() f_pss=() f_pd=() p_pss=() p_pd=() p_anon=()
: >"$work/stages.txt" && : >"$work/floor-stages.txt"
have_floor=; [ -x "$bin/jinro_webengine_floor" ] && have_floor=1
for i in $(seq 1 "$runs"); do
  start_client
  times+=("$elapsed")
  own+=("$(mark_ms "$work/trace.txt" launch caption-set)")
  sleep 3
  read -r pss pd n <<<"$(tree_memory "$client")"
  c_pss+=("$pss") c_pd+=("$pd") c_n=$n
  read -r a b c <<<"$(process_memory "$client")"
  p_pss+=("$a") p_pd+=("$b") p_anon+=("$c")
  # Each stage of this start since the one before, from the client's own trace.
  stages_since_launch "$work/trace.txt" caption-set >>"$work/stages.txt"
  stop_client
  if [ -n "$have_floor" ]; then
    start_floor
    floor_times+=("$floor_elapsed")
    floor_owns+=("$floor_own")
    stages_since_launch "$work/floor.err" load-finished >>"$work/floor-stages.txt"
    sleep 3
    read -r pss pd n <<<"$(tree_memory "$floor")"
    f_pss+=("$pss") f_pd+=("$pd") f_n=$n
    stop_floor
  fi
done
cm=$(printf '%s\n' "${times[@]}" | median)
com=$(printf '%s\n' "${own[@]}" | median)
echo "start to first page shown: median $cm ms (${times[*]}), seen from outside (caption polled every 20 ms)"
echo "  by the client's own clock, launch to caption-set: median $com ms (${own[*]})"
echo "stages of the client's starts (medians, each since the one before):"
print_stage_medians "$work/stages.txt"
cpss=$(printf '%s\n' "${c_pss[@]}" | median) cpd=$(printf '%s\n' "${c_pd[@]}" | median)
echo "client on the start page ($c_n processes): PSS $(mib "$cpss") MiB, private dirty $(mib "$cpd") MiB (medians)"
echo "  the client process alone: PSS $(mib "$(printf '%s\n' "${p_pss[@]}" | median)") MiB," \
  "private dirty $(mib "$(printf '%s\n' "${p_pd[@]}" | median)") MiB," \
  "anonymous $(mib "$(printf '%s\n' "${p_anon[@]}" | median)") MiB"
if [ -n "$have_floor" ]; then
  fm=$(printf '%s\n' "${floor_times[@]}" | median)
  fpss=$(printf '%s\n' "${f_pss[@]}" | median) fpd=$(printf '%s\n' "${f_pd[@]}" | median)
  fom=$(printf '%s\n' "${floor_owns[@]}" | median)
  echo "bare WebEngine view ($client_size), start to the same page loaded: median $fm ms (${floor_times[*]}), seen from outside (caption polled)"
  echo "  by its own clock, launch to loadFinished: median $fom ms (${floor_owns[*]})"
  echo "stages of the bare view's starts (medians, each since the one before):"
  print_stage_medians "$work/floor-stages.txt"
  echo "bare view on the same page ($f_n processes): PSS $(mib "$fpss") MiB, private dirty $(mib "$fpd") MiB (medians)"
  awk -v c="$cm" -v f="$fm" -v cp="$cpss" -v fp="$fpss" -v cd="$cpd" -v fd="$fpd" 'BEGIN {
    printf "client / bare view: start-up %.2fx, PSS %.2fx; private dirty %+.1f MiB\n", c / f, cp / fp, (cd - fd) / 1024 }'
  awk -v c="$com" -v f="$fom" 'BEGIN { printf "  start-up by the programs\x27 own clocks: %.2fx\n", c / f }'
fi

# Log in with the page's form and measure on a day page, in a start of its
# own: each round's client was stopped before its bare view started.
start_client
w=$(client_window)
curl -s "http://$hostport/__control/state" >/dev/null
xdotool mousemove --window "$w" 400 260 click 1
xdotool key --clearmodifiers Tab Tab Tab Return
for _ in $(seq 1 100); do caption | grep -q '第' && break; sleep 0.1; done
sleep 2
read -r pss pd n <<<"$(tree_memory "$client")"
echo "client on a day game page ($n processes): PSS $(mib "$pss") MiB, private dirty $(mib "$pd") MiB"

if [ -x "$bin/jinro_bench" ]; then
  echo "one completed page through the event sink (conversion, cut, analysis, reversal):"
  "$bin/jinro_bench" --benchmark_filter='DocumentComplete' 2>/dev/null | grep '^BM_'
fi

