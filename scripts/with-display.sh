#!/usr/bin/env bash
# Runs a command with an X display: the one in DISPLAY if it answers, else a
# private Xvfb that is stopped afterwards.
set -u
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
for n in $(seq 91 140); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=":$n"; break; }
done
Xvfb "$disp" -screen 0 1280x1024x24 -nolisten tcp >/tmp/xvfb$disp.log 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do DISPLAY=$disp xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$disp
"$@"
rc=$?
kill $xvfb_pid 2>/dev/null
wait $xvfb_pid 2>/dev/null
exit $rc
