#!/usr/bin/env bash
# Runs a command with an X display: the one in DISPLAY if it answers, else a
# private Xvfb that is stopped afterwards and does not reset meanwhile. Xvfb
# picks the display number itself (-displayfd), so runs that start at the
# same moment never take the same one.
set -u
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/with-display.XXXXXX") || exit 1
# Xvfb writes the number on this file descriptor once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 200); do
  [ -s "$dir/display" ] && grep -q '^[0-9][0-9]*$' "$dir/display" && break
  kill -0 $xvfb_pid 2>/dev/null || break
  sleep 0.05
done
if ! grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null; then
  echo "with-display: Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  kill $xvfb_pid 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
export DISPLAY=":$(cat "$dir/display")"
# Xvfb resets when its last client leaves, and a program that connects during
# the reset cannot open the display (Qt then aborts: 8 connections of 300
# failed so here). Programs started one after another, as the tests and
# benchmarks do, would sometimes land there: one connection is held open.
xprop -root -spy >/dev/null 2>&1 &
holder_pid=$!
"$@"
rc=$?
kill $holder_pid 2>/dev/null
kill $xvfb_pid 2>/dev/null
wait $xvfb_pid 2>/dev/null
rm -rf "$dir"
exit $rc
