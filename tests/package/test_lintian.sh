#!/usr/bin/env bash
# lintian finds no error and no warning in the Debian package.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/package/package_lib.sh"
command -v lintian >/dev/null || { echo "FAIL: no lintian (scripts/packages.txt)"; exit 1; }
scratch=$(mktemp -d /tmp/jinro-lintian.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
deb=$(package_deb "$scratch") || { echo "FAIL: no package"; exit 1; }
report=$(lintian "$deb" 2>/dev/null)
[ -n "$report" ] && echo "$report"
if echo "$report" | grep -q '^[EW]:'; then
  echo "FAIL: lintian reports errors or warnings in $deb"
  exit 1
fi
echo "ok: lintian finds no error and no warning in $(basename "$deb")"
