#!/usr/bin/env bash
# The long fuzzing run: every fuzz target (or the ones named) for a number of
# executions or a time, whichever comes first, each as one process, a few at
# a time. Builds the targets with clang first. Prints executions, executions
# per second and time per target; exits non-zero when a target found
# something (the input is kept in the log folder).
#
#   bash scripts/fuzz-long.sh [--runs N] [--seconds S] [--parallel P]
#                             [--build DIR] [--no-build] [target...]
# Defaults: 10,000,000 executions or 3600 s, one target at a time, build dir
# build-fuzz. Each target grows its own working corpus (DIR/fuzz-work/<target>,
# seeded from fuzz/corpus/<target>); logs and findings go to DIR/fuzz-long/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=10000000
seconds=3600
parallel=1
build="$root/build-fuzz"
do_build=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --parallel) parallel=$2; shift 2 ;;
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --no-build) do_build=0; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    -*) echo "fuzz-long: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
source "$root/scripts/fuzz-common.sh"
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(fuzz_targets)
[ "$do_build" = 0 ] || fuzz_build "$build" "${targets[@]}"
logs="$build/fuzz-long"
mkdir -p "$logs"

run_one() {
  local t=$1 work="$build/fuzz-work/$1"
  mkdir -p "$work" "$logs/$t"
  # -jobs=1 -workers=1 would fork a second process and write fuzz-0.log;
  # one plain process is the same thing.
  "$build/bin/$t" -runs="$runs" -max_total_time="$seconds" -timeout=25 -max_len="$(fuzz_max_len "$t")" -print_final_stats=1 \
    -artifact_prefix="$logs/$t/" "$work" "$root/fuzz/corpus/$t" >"$logs/$t.log" 2>&1
}

report() {
  local t=$1 rc=$2 log="$logs/$1.log"
  local n s secs
  n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  s=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  secs=$(cat "$logs/$t.seconds" 2>/dev/null || echo "?")
  local verdict="no finding"
  [ "$rc" -ne 0 ] && verdict="FINDING (exit $rc): see $log and $logs/$t/"
  printf '%-26s %12s execs %8s exec/s %6s s  %s\n' "$t" "${n:-?}" "${s:-?}" "$secs" "$verdict"
}

status=0
declare -A running=() started=()  # pid -> target, target -> start time
finish_one() {
  local pid rc=0
  wait -n -p pid "${!running[@]}" || rc=$?
  local t=${running[$pid]}
  unset "running[$pid]"
  echo $(( $(date +%s) - started[$t] )) >"$logs/$t.seconds"
  report "$t" "$rc"
  [ "$rc" -ne 0 ] && status=1
  return 0
}
echo "fuzzing ${#targets[@]} targets: $runs executions or $seconds s each, $parallel at a time; logs in $logs"
for t in "${targets[@]}"; do
  [ -x "$build/bin/$t" ] || { echo "fuzz-long: no $build/bin/$t" >&2; exit 2; }
  while [ ${#running[@]} -ge "$parallel" ]; do finish_one; done
  started[$t]=$(date +%s)
  run_one "$t" &
  running[$!]=$t
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done
exit $status
