#!/usr/bin/env bash
# The end-to-end suite under load: two whole suites at once from one build,
# each on a display of its own, ROUNDS times in a row. Stops at the first
# round in which either suite fails and says where its logs are.
#   bash scripts/e2e-under-load.sh [ROUNDS] [BUILD_DIR]   (default 3, build/)
# The tests take their own scratch folders and free ports, and write nothing
# into the build, so two suites can share it; only CTest's own last-run log
# is shared, and each suite's output goes to a file of its own.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
case "$rounds" in ''|*[!0-9]*) echo "usage: bash scripts/e2e-under-load.sh [ROUNDS] [BUILD_DIR]" >&2; exit 2 ;; esac
build=$(cd "${2:-$root/build}" 2>/dev/null && pwd) || { echo "no build folder ${2:-$root/build}" >&2; exit 2; }
# As in CI (scripts/test-all.sh).
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" SDL_AUDIODRIVER=dummy
logs=$(mktemp -d /tmp/e2e-under-load.XXXXXX)
echo "logs: $logs"
for round in $(seq 1 "$rounds"); do
  start=$(date +%s)
  pids=()
  for suite in a b; do
    (cd "$build" && env -u DISPLAY bash "$root/scripts/with-display.sh" ctest -L e2e --output-on-failure \
      >"$logs/round$round-$suite.log" 2>&1) &
    pids+=("$!")
  done
  failed=0
  for p in "${pids[@]}"; do wait "$p" || failed=1; done
  echo "round $round: $(($(date +%s) - start)) s of wall time"
  for suite in a b; do
    echo "  suite $suite: $(grep -h 'tests passed' "$logs/round$round-$suite.log")"
    grep -h '^FAIL\|\*\*\*' "$logs/round$round-$suite.log" | sed 's/^/    /'
  done
  [ "$failed" -eq 0 ] || { echo "round $round failed"; exit 1; }
done
echo "$rounds rounds passed"
