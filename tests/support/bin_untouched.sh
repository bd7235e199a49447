#!/usr/bin/env bash
# The tests' own files go to folders of their own, never beside the built
# programs, where a player's jinro.ini and tmp.html would be. Run as the first
# test (record) and the last (check):
#   bin_untouched.sh record|check BIN_DIR STATE_FILE
# check fails when jinro.ini or tmp.html appeared in BIN_DIR or changed there
# since record (one that was there before, from a run of the client, is left
# alone).
set -u
mode=$1 bin=$2 state=$3
snapshot() {
  local f
  for f in jinro.ini tmp.html; do
    if [ -e "$bin/$f" ]; then echo "$f $(stat -c '%s %Y' "$bin/$f") $(cksum <"$bin/$f" | cut -d' ' -f1)"; else echo "$f absent"; fi
  done
}
case $mode in
  record) mkdir -p "$(dirname "$state")" && snapshot >"$state" ;;
  check)
    [ -r "$state" ] || { echo "no record of $bin from before the tests ($state)" >&2; exit 1; }
    now=$(snapshot)
    if [ "$now" != "$(cat "$state")" ]; then
      echo "a test wrote beside the programs in $bin:" >&2
      diff <(cat "$state") <(echo "$now") >&2
      exit 1
    fi
    echo "nothing written beside the programs in $bin"
    ;;
  *) echo "usage: $0 record|check BIN_DIR STATE_FILE" >&2; exit 2 ;;
esac
