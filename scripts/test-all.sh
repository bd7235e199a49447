#!/usr/bin/env bash
# Builds everything and runs every test: the sanitizer build of the logic and
# its unit tests first, then the full build (unit, sound, village, widget,
# end-to-end tests). Run as root on Debian 12; installs what it needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
jobs=$(nproc)

export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
export SDL_AUDIODRIVER=dummy

# The layer graph first: it takes a second and says where an include went wrong.
bash scripts/check-layers.sh

# The logic and its unit tests under AddressSanitizer and UBSan.
cmake -S . -B build-asan -DJINRO_SANITIZE=ON -DJINRO_BUILD_GUI=OFF -DJINRO_BUILD_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs" --target jinro_unit_tests
(cd build-asan && ctest -L unit --output-on-failure -j"$jobs") > build-asan/ctest.log 2>&1 || {
  cat build-asan/ctest.log; echo "sanitizer build: unit tests failed"; exit 1; }
grep -E "tests passed|tests failed" build-asan/ctest.log | sed "s/^/sanitizer build: /"
bash scripts/fuzz-smoke.sh

# Everything, tested under a display.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
cd build
# The Debian package (build/package/), which the package tests check and run.
cpack
bash ../scripts/with-display.sh ctest --output-on-failure -j"$jobs"
