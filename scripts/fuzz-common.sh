# What the fuzzing scripts share: the list of targets, their build with
# clang, the sanitizer options and each target's longest input. Sourced by
# fuzz-smoke.sh and fuzz-long.sh with $root set to the source tree.

# Every fuzz/fuzz_*.cpp is a target, one name a line.
fuzz_targets() {
  local f
  for f in "$root"/fuzz/fuzz_*.cpp; do basename "$f" .cpp; done
}

# fuzz_build DIR TARGET...: configures DIR for the fuzz targets and builds those named.
fuzz_build() {
  local build=$1
  shift
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DJINRO_FUZZ=ON -DJINRO_BUILD_GUI=OFF \
    -DJINRO_BUILD_BENCH=OFF -DJINRO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target "$@" >/dev/null
}

# Longest input: a few pages' worth for the analysis of pages in a row, a
# page for the others.
fuzz_max_len() { case "$1" in fuzz_page_analysis) echo 12288 ;; *) echo 4096 ;; esac; }

export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
