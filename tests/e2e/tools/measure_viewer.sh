#!/usr/bin/env bash
# Measures quill_pane: time from start to its window on the screen, CPU time
# to lay out a log, and the memory of a dozen open viewers (RSS and PSS).
#   JINRO_BIN_DIR=<build>/bin bash measure_viewer.sh [log.html]
# Needs DISPLAY (run it under scripts/with-display.sh). Without a log file
# it makes a 500 KB Shift_JIS game log of 2,000 speeches.
set -u
source "$(dirname "$0")/x11_lib.sh"
VIEWER="$JINRO_BIN_DIR/quill_pane"
work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/run"; mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
log=${1:-}
if [ -z "$log" ]; then
  log="$work/tmp.html"
  {
    echo '<html><body bgcolor="#000000" text="#ffffff"><table border="0"><tr><td>3</td></tr></table>日目<table>'
    for i in $(seq 1 2000); do
      echo "<tr><td width=\"140\"><font color=\"#ff8000\">◆</font><b>村人$i</b>さん</td><td>「今日は${i}回目の発言です。狼は誰だろう？　占い師さんＣＯお願いします。」<a href=\"http://127.0.0.1:8399/jinro/cgi_jinro.cgi?x=$i\">link</a></td></tr>"
    done
    echo '</table></body></html>'
  } | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$log"
fi
echo "log: $log ($(stat -c %s "$log") bytes)"
e2e_start keeper "$E2E_TOOLS/x11-test-window" keep keep keep 10x10+0+0 >/dev/null
wait_for 10 window_of_pid "$keeper"

ms() { echo $(( $(date +%s%N) / 1000000 )); }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
settle() { # waits until the process has used no CPU for 0.3 s
  local prev=-1 now
  for _ in $(seq 1 200); do
    now=$(cpu_ticks "$1"); [ "$now" = "$prev" ] && return; prev=$now; sleep 0.3
  done
}

echo "start to window mapped, 10 runs (ms):"
times=()
for _ in $(seq 1 10); do
  t0=$(ms)
  "$VIEWER" "$log" "3日目の記録" 2>/dev/null & p=$!
  until [ "$(timeout 2 xdotool search --pid "$p" --onlyvisible 2>/dev/null | head -1)" != "" ]; do sleep 0.005; done
  times+=($(( $(ms) - t0 )))
  settle "$p"
  ticks=$(cpu_ticks "$p")
  kill "$p"; wait "$p" 2>/dev/null
done
echo "  ${times[*]}  (median $(printf '%s\n' "${times[@]}" | sort -n | sed -n 5p))"
echo "CPU time to show the log: $((ticks * 10)) ms"

echo "a dozen viewers open at once:"
pids=()
for i in $(seq 1 12); do e2e_start p "$VIEWER" "$log" "$i日目の記録" 2>/dev/null; pids+=("$p"); done
for p in "${pids[@]}"; do wait_for 20 window_of_pid "$p"; settle "$p"; done
rss=0; pss=0
for p in "${pids[@]}"; do
  r=$(awk '/^Rss:/ {print $2}' "/proc/$p/smaps_rollup"); s=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup")
  rss=$((rss + r)); pss=$((pss + s))
done
echo "  RSS per viewer $((rss / 12 / 1024)) MiB; PSS total $((pss / 1024)) MiB ($((pss / 12 / 1024)) MiB each)"
