#!/usr/bin/env bash
# A short fuzzing run of every fuzz target (about a minute in all) and a
# replay of every committed seed corpus, under AddressSanitizer and UBSan.
# Builds the targets with clang in build-fuzz (or $JINRO_FUZZ_BUILD_DIR).
# Exits non-zero when a target finds something; its log and the input are
# kept and named. The committed corpora are left as they are.
#   bash scripts/fuzz-smoke.sh [seconds in all, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
total=${1:-60}
build=${JINRO_FUZZ_BUILD_DIR:-$root/build-fuzz}

source "$root/scripts/fuzz-common.sh"
mapfile -t targets < <(fuzz_targets)
fuzz_build "$build" "${targets[@]}"

out="$build/fuzz-smoke"
rm -rf "$out"
mkdir -p "$out"
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1

failed=0
for t in "${targets[@]}"; do
  bin="$build/bin/$t"
  seeds="$root/fuzz/corpus/$t"
  mkdir -p "$out/$t/work"
  # 1. Every seed once.
  shopt -s nullglob
  files=("$seeds"/*)
  shopt -u nullglob
  if [ ${#files[@]} -gt 0 ] &&
     ! "$bin" -timeout=25 "${files[@]}" >"$out/$t.replay.log" 2>&1; then
    echo "$t: a seed of fuzz/corpus/$t fails; see $out/$t.replay.log"
    tail -n 30 "$out/$t.replay.log"
    failed=1
    continue
  fi
  # 2. A short run from the seeds, in a scratch copy of the corpus.
  if ! "$bin" -max_total_time="$each" -timeout=25 -max_len="$(fuzz_max_len "$t")" \
       -print_final_stats=1 -artifact_prefix="$out/$t/" "$out/$t/work" "$seeds" >"$out/$t.log" 2>&1; then
    echo "$t: FINDING; see $out/$t.log and $out/$t/"
    grep -E "ERROR|SUMMARY|^[a-z ]+: " "$out/$t.log" | head -n 10
    failed=1
    continue
  fi
  n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -1)
  printf 'fuzz smoke: %-26s %3d seeds replayed, %9s executions in %d s, no finding\n' "$t" "${#files[@]}" "${n:-?}" "$each"
done
[ "$failed" -eq 0 ] || { echo "fuzz smoke: findings (see above)"; exit 1; }
echo "fuzz smoke: ${#targets[@]} targets, no finding"
