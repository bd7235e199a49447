#!/usr/bin/env bash
# Makes the build's Debian package in <build>/package unless the one there is
# newer than the programs it holds, so that the tests that unpack or check it
# share one and cpack runs once.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/package/package_lib.sh"
build="${JINRO_BIN_DIR:?}/.."
package_is_fresh && exit 0
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/package-cpack.log" 2>&1 || {
  cat "$build/package-cpack.log" >&2
  exit 1
}
package_is_fresh || { echo "cpack wrote no package" >&2; exit 1; }
echo "package: $(package_is_fresh)"
