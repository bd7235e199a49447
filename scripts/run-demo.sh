#!/usr/bin/env bash
# The demo: installs what is needed (as root), builds the client, the log
# viewer and the demo village, starts the village with a short phase clock in
# the background and the client against it. Log in with the form as it is
# filled in (villager no. 3, password "pass"); the game moves on by itself.
# Ends the village when the client is closed.
#   PHASE_SECONDS=15 bash scripts/run-demo.sh   (seconds per step of the game)
#   DIALECT=2004 bash scripts/run-demo.sh      (the pages of the 2004 game script;
#                                               default standard)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ "$(id -u)" -eq 0 ]; then bash scripts/install-deps.sh; fi
build=${BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target jinro-client quill_pane jinro-village jinro_runtime_files
bin="$build/bin"
url=$(sed -n 's/^JINRO_SERVER_BASE_URL:STRING=//p' "$build/CMakeCache.txt")

"$bin/jinro-village" --url "$url" --scenario demo --dialect "${DIALECT:-standard}" \
  --phase-seconds "${PHASE_SECONDS:-15}" &
village=$!
trap 'kill $village 2>/dev/null; wait $village 2>/dev/null' EXIT
sleep 0.5

run_client() { "$bin/jinro-client"; }
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run_client
else
  echo "No display: starting a private one (Xvfb); nothing will be visible on screen." >&2
  bash scripts/with-display.sh "$bin/jinro-client"
fi
