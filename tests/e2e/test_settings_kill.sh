#!/usr/bin/env bash
# jinro.ini survives a client killed while it saves. The client saves its
# placement when it closes; each run moves the window somewhere new, asks it
# to close (SIGTERM, as a session's end does) and kills it (SIGKILL) a random
# moment later, around the save. Every time the file is whole and readable:
# either the old bytes exactly, or every other section byte for byte with a
# complete placement naming the new position.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
RUNS=${KILL_RUNS:-30}
write_ini $(sound_lines) "[ZENPAN]" "URL_non_frame=${BASE_URL}index2.html" "jidokosin_kankaku=45" \
  "[EXTRA]" "kept=はい" $(placement_lines)
INI="$APP/jinro.ini"

# The file without its placement section (what no close may change).
without_placement() { awk '/^\[/ { skip = ($0 ~ /^\[WINDOW_PLACEMENT\]/) } !skip' "$1"; }
# The placement section's "key=value" lines, CR removed.
placement_of() { awk '/^\[/ { on = ($0 ~ /^\[WINDOW_PLACEMENT\]/); next } on' "$1" | tr -d '\r'; }
PLACEMENT_KEYS="flags showCmd ptMinPosition_x ptMinPosition_y ptMaxPosition_x ptMaxPosition_y rcNormalPosition_left rcNormalPosition_top rcNormalPosition_right rcNormalPosition_bottom"
# whole_placement FILE: all ten keys, once each, integer values, CRLF lines.
whole_placement() {
  local p k; p=$(placement_of "$1")
  [ "$(echo "$p" | wc -l)" -eq 10 ] || return 1
  for k in $PLACEMENT_KEYS; do
    echo "$p" | grep -qE "^$k=-?[0-9]+\$" || return 1
  done
  [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ] || return 1
}
value_of() { placement_of "$1" | sed -n "s/^$2=//p"; }  # FILE KEY
us() { local t=${EPOCHREALTIME/./}; echo "$t"; }
# Waiting without starting a process, so that the kill can land within the
# first milliseconds: a loop of the shell's own, counted in microseconds.
t=$(us); for ((i = 0; i < 200000; i++)); do :; done
LOOPS_PER_MS=$((200000 * 1000 / ($(us) - t + 1) + 1))
spin_us() { local n=$(($1 * LOOPS_PER_MS / 1000)) i; for ((i = 0; i < n; i++)); do :; done; }

# One run: start, move to (X, Y), close, and SIGKILL after DELAY_US (none: let it finish).
run_once() {  # X Y [DELAY_US]
  client_start
  xdotool windowmove "$CLIENT_WIN" "$1" "$2"
  wait_for 5 sh -c "xwininfo -id $CLIENT_WIN | grep -q 'Absolute upper-left X:  *$1\$'" ||
    e2e_fail "the window did not move to $1, $2: $(geometry "$CLIENT_WIN")"
  # The client learns of the move from the window system in its own time and
  # nothing of it shows outside; the close is a signal, not a window event
  # behind the move, so the move is given this moment to arrive.
  sleep 0.3
  local pids; pids=$(tree_pids "$CLIENT_PID")
  T0=${EPOCHREALTIME/./}
  kill -TERM "$CLIENT_PID"
  if [ -n "${3:-}" ]; then
    spin_us "$3"
    kill -KILL "$CLIENT_PID" 2>/dev/null
  fi
  wait_for 15 is_gone "$CLIENT_PID" || e2e_fail "the client did not end"
  wait "$CLIENT_PID" 2>/dev/null
  # The browser's helper processes follow their parent.
  local p
  for p in $pids; do
    wait_for 10 is_gone "$p" || { kill -KILL "$p" 2>/dev/null; e2e_fail "process $p outlived the client"; }
  done
}

# A close that is not interrupted saves the new placement; how long after the
# request the file is replaced sets the range of the kill's random moments.
cp "$INI" "$WORK/old.ini"
run_once 123 77
whole_placement "$INI" || e2e_fail "the placement saved on close is not whole: $(placement_of "$INI")"
[ "$(value_of "$INI" rcNormalPosition_left),$(value_of "$INI" rcNormalPosition_top)" = "123,77" ] ||
  e2e_fail "saved placement: $(placement_of "$INI" | tr '\n' ' ')"
cmp -s <(without_placement "$WORK/old.ini") <(without_placement "$INI") || e2e_fail "a close changed other sections"
# (The file's time is coarse: a few milliseconds.)
saved_after_us=$(( $(stat -c %.6Y "$INI" | tr -d .) - T0 ))
[ "$saved_after_us" -gt 1000 ] || saved_after_us=1000
span_us=$((saved_after_us * 2 + 4000))
e2e_pass "an uninterrupted close saves the placement, about $((saved_after_us / 1000)) ms after the request"

old=0 new=0
for run in $(seq 1 "$RUNS"); do
  cp "$INI" "$WORK/old.ini"
  x=$((RANDOM % 300 + 1)) y=$((RANDOM % 200 + 1))
  delay=$(( (RANDOM * 32768 + RANDOM) % span_us ))
  run_once "$x" "$y" "$delay"
  [ -f "$INI" ] || e2e_fail "run $run (kill after $delay us): jinro.ini is gone"
  if cmp -s "$WORK/old.ini" "$INI"; then
    old=$((old + 1))
  else
    cmp -s <(without_placement "$WORK/old.ini") <(without_placement "$INI") ||
      e2e_fail "run $run (kill after $delay us): other sections changed: $(diff <(without_placement "$WORK/old.ini") <(without_placement "$INI") | head -5)"
    whole_placement "$INI" || e2e_fail "run $run (kill after $delay us): a broken placement: $(placement_of "$INI" | tr '\n' ' ')"
    [ "$(value_of "$INI" rcNormalPosition_left),$(value_of "$INI" rcNormalPosition_top)" = "$x,$y" ] ||
      e2e_fail "run $run: the placement is neither the old nor the new one: $(placement_of "$INI" | tr '\n' ' ')"
    new=$((new + 1))
  fi
  iconv -f CP932 -t UTF-8 "$INI" | grep -q '^kept=はい' || e2e_fail "run $run: the [EXTRA] section is lost"
done
leftovers=$(find "$APP" -maxdepth 1 -name 'jinro.ini?*' | wc -l)
e2e_pass "$RUNS kills around the save: $old times the old file, $new times the new one, always whole ($leftovers temporary files left beside it)"
