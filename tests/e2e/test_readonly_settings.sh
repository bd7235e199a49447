#!/usr/bin/env bash
# A program folder whose jinro.ini cannot be saved: the player is told so in
# one message box in the whole run, as it starts (not a box per save, not
# silence, not only when the close has already lost the placement), the
# client goes on and closes normally, and the old file is left as it was.
# Tests run as root, whom permission bits do not stop: the folder is mounted
# read-only in a mount namespace of the client's own where that is allowed;
# elsewhere (or with UNWRITABLE_BY=directory) jinro.ini is made a directory,
# which no save can replace.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=30" $(placement_lines)
village_start day-night
BOX_TITLE='設定を保存できません'

probe="$WORK/probe"
mkdir -p "$probe"
if [ "${UNWRITABLE_BY:-}" != directory ] && unshare -m sh -c "mount --bind '$probe' '$probe' && mount -o remount,bind,ro '$probe' '$probe' && ! touch '$probe/x'" \
  2>/dev/null; then
  MODE=readonly
  cp "$APP/jinro.ini" "$WORK/old.ini"
  # The same pid all the way: unshare and sh exec what follows.
  e2e_start CLIENT_PID unshare -m sh -c "mount --bind '$APP' '$APP' && mount -o remount,bind,ro '$APP' '$APP' &&
    exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='$WORK/audio.raw' '$APP/jinro-client' --server-url '$BASE_URL'" \
    >>"$WORK/client.log" 2>&1
else
  MODE=directory
  rm -f "$APP/jinro.ini"
  mkdir "$APP/jinro.ini"
  e2e_start CLIENT_PID env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" "$APP/jinro-client" \
    --server-url "$BASE_URL" >>"$WORK/client.log" 2>&1
fi
echo "   jinro.ini made unwritable: $MODE"
boxes() { xdotool search --onlyvisible --name "^$BOX_TITLE\$" 2>/dev/null; }
SEEN=0
# Dismisses the box if it is up (its caption names the trouble; its text is
# the unit tests' to check) by pressing Enter.
take_box() {
  local w; w=$(boxes | head -n 1)
  [ -n "$w" ] || return 1
  SEEN=$((SEEN + 1))
  [ "$SEEN" -eq 1 ] || e2e_fail "a second message box"
  focus_on "$w"
  xdotool key --clearmodifiers Return
  wait_for 5 sh -c "! xdotool search --onlyvisible --name '^$BOX_TITLE\$'" || e2e_fail "the box did not close"
}

wait_for 20 client_window_now || { cat "$WORK/client.log" >&2; e2e_fail "no client window"; }
CLIENT_WIN=$(client_window_now)
# Told when it starts, before the player changes anything.
wait_for 8 sh -c "xdotool search --onlyvisible --name '^$BOX_TITLE\$'" || e2e_fail "not told at the start"
take_box
login
client_alive || e2e_fail "the client died"

# Close it from the menu: the placement cannot be saved.
open_menu f
xdotool key q
wait_for 10 sh -c "xdotool search --onlyvisible --name '^$BOX_TITLE\$' || ! kill -0 $CLIENT_PID" ||
  e2e_fail "the client neither closed nor said why"
client_alive && take_box
wait_for 10 is_gone "$CLIENT_PID" || e2e_fail "the client did not close"
[ "$SEEN" -eq 1 ] || e2e_fail "the player was not told that the settings could not be saved"
grep -q 'settings could not be saved' "$WORK/client.log" || e2e_fail "nothing on standard error"
if [ "$MODE" = readonly ]; then
  cmp -s "$WORK/old.ini" "$APP/jinro.ini" || e2e_fail "jinro.ini changed"
  [ -z "$(find "$APP" -maxdepth 1 -name 'jinro.ini?*')" ] || e2e_fail "files left beside jinro.ini"
fi
e2e_pass "one clear message in the run, the client closed, jinro.ini as it was ($MODE)"
