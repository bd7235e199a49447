# Helpers of the client's end-to-end tests, sourced by tests/e2e/test_client_*.sh
# after tools/x11_lib.sh: a private copy of the program folder (its own
# jinro.ini, tmp.html, sounds), the village started in manual mode on a free
# port of its own (BASE_URL, chosen as this file is sourced), the client started with
# --server-url BASE_URL and SDL's disk writer as its sound card, and what a
# person does: clicks, keys, the clipboard.

CLIENT_CLASS=CLS_ZAZOR_AVOVEZ_32v1
VIEWER_CLASS=QuillpaneClass_9gdFZb
BYTES_PER_SECOND=176400  # s16le stereo at 44.1 kHz, as SDL's disk writer stores it

# A TCP port of 127.0.0.1 that nothing listens on now: a random one below the
# kernel's own range for outgoing connections, so that two runs at once
# hardly ever meet.
free_port() {
  local port _
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 12000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
  done
  return 1
}
# use_base_url URL: the game server of this test (BASE_URL, BASE_HOSTPORT, BASE_PATH).
use_base_url() {
  BASE_URL=$1
  BASE_HOSTPORT=$(echo "$BASE_URL" | sed -E 's#^https?://([^/]*)/.*#\1#')
  BASE_PATH=$(echo "$BASE_URL" | sed -E 's#^https?://[^/]*##')
}
use_base_url "http://127.0.0.1:$(free_port)/jinro/"

# client_setup: WORK (scratch), APP (the program folder the client runs from).
client_setup() {
  case "$BASE_HOSTPORT" in *:) e2e_fail "no free port for the village" ;; esac
  WORK=$(mktemp -d /tmp/jinro-e2e.XXXXXX)
  APP="$WORK/app"
  mkdir -p "$APP" "$WORK/home" "$WORK/run"
  chmod 700 "$WORK/run"
  local f
  for f in jinro-client quill_pane readme.txt; do
    [ -e "$JINRO_BIN_DIR/$f" ] || e2e_fail "missing $JINRO_BIN_DIR/$f"
    cp "$JINRO_BIN_DIR/$f" "$APP/"
  done
  cp "$JINRO_BIN_DIR"/*.wav "$JINRO_BIN_DIR"/*.mid "$APP/" 2>/dev/null
  export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" XDG_CONFIG_HOME="$WORK/home/.config"
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION DEFAULT_BROWSER
  export QTWEBENGINE_DISABLE_SANDBOX=1
  # The tests wait on what the client tells: its trace marks (in client.log)
  # and its status bar (status.txt).
  export JINRO_TRACE=1
  status_file_on
  # The desktop's browser and file opener, standing in: they write down what
  # they were asked to open.
  mkdir -p "$WORK/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened.txt"\n' "$WORK" >"$WORK/bin/xdg-open"
  chmod +x "$WORK/bin/xdg-open"
  export PATH="$WORK/bin:$PATH" BROWSER="$WORK/bin/xdg-open"
  trap 'client_teardown' EXIT
}

# On a failure: the top-level windows on the display, and the program's last
# trace marks.
e2e_diagnose() {
  local w
  echo "--- windows (id, pid, geometry, name):"
  for w in $(timeout 5 xdotool search --onlyvisible --name '' 2>/dev/null); do
    echo "  $w $(xdotool getwindowpid "$w" 2>/dev/null) $(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/^ *\(Position\|Geometry\): //p' | tr '\n' ' ')$(title_of "$w")"
  done
  if [ -s "${WORK:-/nonexistent}/client.log" ]; then
    echo "--- the client's last lines:"
    tail -n 25 "$WORK/client.log" | cut -c1-200
  fi
}

# Ends the viewers the client started from this folder (detached from it).
stop_viewers() {
  local exe
  for exe in /proc/[0-9]*/exe; do
    case "$(readlink "$exe" 2>/dev/null)" in "$APP/quill_pane"*) exe=${exe#/proc/}; kill "${exe%/exe}" 2>/dev/null ;; esac
  done
}

client_teardown() {
  [ -n "${VILLAGE_PID:-}" ] && village_stop
  e2e_cleanup
  stop_viewers
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$WORK"
}

# write_ini TEXT...: lines of jinro.ini (UTF-8 here, written as Shift_JIS).
write_ini() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 >"$APP/jinro.ini"; }

# A placement section that puts the window's frame at (40, 40), 900 x 700.
placement_lines() {
  local show=${1:-1} l=${2:-40} t=${3:-40} r=${4:-940} b=${5:-740}
  printf '%s\n' "[WINDOW_PLACEMENT]" "length=44" "flags=0" "showCmd=$show" "ptMinPosition_x=-1" \
    "ptMinPosition_y=-1" "ptMaxPosition_x=-1" "ptMaxPosition_y=-1" \
    "rcNormalPosition_left=$l" "rcNormalPosition_top=$t" "rcNormalPosition_right=$r" "rcNormalPosition_bottom=$b"
}

# Sound files of our own that tell apart which alarm sounds: square waves of
# distinct loudness (the WAV alarms) and one short MIDI note (the MIDI alarms).
# tone NAME VOLUME SECONDS
tone() { sox -D -n -r 44100 -c 2 -b 16 "$APP/$1" synth "$3" square 440 vol "$2" 2>/dev/null || e2e_fail "sox"; }
make_test_sounds() {
  tone t_night.wav 0.10 0.6
  tone t_day.wav 0.20 0.6
  tone t_vote.wav 0.30 0.4
  tone t_full.wav 0.40 0.4
  # MThd, one track: a note on, half a second, note off, end of track.
  printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\14\0\220\74\144\140\200\74\100\0\377\57\0' >"$APP/t_note.mid"
}
# The [SOUND1..3] sections that use them; extra lines may follow.
sound_lines() {
  printf '%s\n' "[SOUND1]" "night_sound_path=t_night.wav" "night_sound_roop_check=0" \
    "daytime_sound_path=t_day.wav" "daytime_sound_roop_check=0" \
    "tohyo_sound_path=t_vote.wav" "tohyo_sound_roop_check=0" "kodo_sound_path=t_vote.wav" "kodo_sound_roop_check=0" \
    "[SOUND2]" "sonmin_sound_path=t_note.mid" "sonmin_sound_roop_check=0" "jinro_sound_path=t_note.mid" \
    "jinro_sound_roop_check=0" "yoko_sound_path=t_note.mid" "yoko_sound_roop_check=0" \
    "hikiwake_sound_path=t_note.mid" "hikiwake_sound_roop_check=0" \
    "[SOUND3]" "nekomata_sound_path=t_note.mid" "nekomata_sound_roop_check=0" \
    "sonmintoroku_sound_path=t_note.mid" "sonmintoroku_sound_roop_check=0" \
    "full_alarm_sound_path=t_full.wav" "full_alarm_check=1"
}

# --- the village --------------------------------------------------------------
village_start() {  # SCENARIO [more options]
  local scenario=$1; shift
  curl -s -m 2 "http://$BASE_HOSTPORT/__control/shutdown" >/dev/null 2>&1 &&
    await 5 "the old village on $BASE_HOSTPORT to stop" sh -c "! curl -s -m 1 -o /dev/null 'http://$BASE_HOSTPORT/__control/state'"
  e2e_start VILLAGE_PID "$JINRO_BIN_DIR/jinro-village" --url "$BASE_URL" --scenario "$scenario" --manual \
    --port-file "$WORK/village.port" "$@"
  wait_for 10 test -s "$WORK/village.port" || e2e_fail "the village did not start"
}
village_stop() {  # a village busy with a page of megabytes may not stop at once
  kill "$VILLAGE_PID" 2>/dev/null
  wait_for 5 is_gone "$VILLAGE_PID" || kill -9 "$VILLAGE_PID" 2>/dev/null
  wait "$VILLAGE_PID" 2>/dev/null
}
control() { curl -s -m 5 "http://$BASE_HOSTPORT/__control/$1"; }
village_advance() { control "advance?n=${1:-1}" >/dev/null; }
# The requests as lines: seq TAB method TAB target TAB body TAB headers (decoded,
# headers joined by " | ").
requests() {
  # (Tabs are whitespace to read: an empty body would vanish. Split on US.)
  control 'requests?format=lines' | tr '\t' '\037' | while IFS=$'\037' read -r seq method target body headers; do
    printf '%s\t%s\t%s\t%s\t%s\n' "$seq" "$method" "$target" "$(echo "$body" | base64 -d)" \
      "$(echo "$headers" | base64 -d | tr -d '\r' | paste -sd'|' | sed 's/|/ | /g')"
  done
}
request_count() { requests | grep -c -- "$1"; }  # PATTERN
last_request_seq() { control 'requests?format=lines' | tail -n 1 | cut -f1; }
requests_after() { requests | awk -F'\t' -v s="$1" '$1 > s'; }  # SEQ
wait_request_after() {  # SEQ PATTERN [SECONDS]
  wait_for "${3:-15}" sh -c "$(declare -f requests control requests_after); BASE_HOSTPORT=$BASE_HOSTPORT; requests_after $1 | grep -q -- '$2'"
}

# --- the client -------------------------------------------------------------
client_start() {
  : >"$WORK/audio.raw"
  e2e_start CLIENT_PID env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" "$APP/jinro-client" \
    --server-url "$BASE_URL" >>"$WORK/client.log" 2>&1
  wait_for 40 client_window_now || { cat "$WORK/client.log" >&2; e2e_fail "no client window"; }
  CLIENT_WIN=$(client_window_now)
}
client_window_now() { viewable_window_of "$CLIENT_PID" "$CLIENT_CLASS"; }
client_alive() { kill -0 "$CLIENT_PID" 2>/dev/null; }
# A process and every process below it (the client: the browser engine's helpers).
tree_pids() {  # PID
  local all="$1" frontier=$1 next p c
  while [ -n "$frontier" ]; do
    next=""
    for p in $frontier; do
      for c in $(ps -o pid= --ppid "$p" 2>/dev/null); do all+=" $c"; next+=" $c"; done
    done
    frontier=$next
  done
  echo "$all"
}
title_of() { xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }
client_title() { title_of "$CLIENT_WIN"; }
wait_title() { wait_for "${2:-15}" sh -c "xprop -id $CLIENT_WIN -notype _NET_WM_NAME | grep -q -- '$1'"; }  # PATTERN

# Clicks at a point of the client window's inside (its top-left is 0, 0).
# The pointer rests on the spot a moment before the press, as a hand's does
# (the page sees it arrive before the button goes down). The click makes the
# window take the keyboard; keys typed before it has would be lost, so that
# is waited for. Inside the page the click moves the page's own focus, in the
# browser's page process: nothing outside shows when that is done, and keys
# that come before it go astray (a page just loaded takes a moment), so the
# click is given 0.3 s. What else the click brings about, the caller waits for.
click_in() {  # X Y [BUTTON]
  xdotool windowraise "$CLIENT_WIN" 2>/dev/null
  xdotool mousemove --window "$CLIENT_WIN" "$1" "$2" sleep 0.1 click "${3:-1}"
  wait_for 5 has_focus "$CLIENT_WIN"
  sleep 0.3
}
# The toolbar buttons: centres of the five buttons in the band under the menu.
toolbar_y() { echo $((MENU_HEIGHT + 15)); }
button_x() {  # NAME: manual_refresh auto_refresh return_top reverse copy_speech
  case $1 in manual_refresh) echo 58 ;; auto_refresh) echo 92 ;; return_top) echo 128 ;; reverse) echo 172 ;;
    copy_speech) echo 208 ;; esac
}
press_button() { click_in "$(button_x "$1")" "$(toolbar_y)"; }
# Opens the version box from the Help menu and closes it with Enter; fails
# with MESSAGE when it does not appear within SECONDS.
version_box_round() {  # SECONDS MESSAGE
  click_in 300 "$((MENU_HEIGHT + 15))"
  open_menu h
  xdotool key v
  wait_for "$1" sh -c "xdotool search --name '^ﾊﾞｰｼﾞｮﾝ情報\$'" || e2e_fail "$2"
  local box; box=$(xdotool search --name '^ﾊﾞｰｼﾞｮﾝ情報$' | head -n 1)
  focus_on "$box"
  xdotool key --clearmodifiers Return
}
# A point inside the page: below the band, left margin.
PAGE_X=400
page_y() { echo $((MENU_HEIGHT + 30 + ${1:-100})); }
MENU_HEIGHT=${MENU_HEIGHT:-18}

# Logs in from the entry page: the form has the player's number and password
# filled in; focus the password box and press Enter.
login() {
  local seq n; seq=$(last_request_seq)
  wait_title '入口' 20 || e2e_fail "the entry page did not open (title: $(client_title)); last requests:
$(requests | tail -n 4 | cut -f1-4 | cut -c1-160)"
  # The form's text boxes: click into the page, then Tab to the password box.
  click_in $PAGE_X "$(page_y 200)"
  n=$(pages_read)
  xdotool key --clearmodifiers Tab Tab Tab Return
  wait_request_after "$seq" 'COMMAND=LOGIN' 10 || e2e_fail "no login post"
  wait_title '第' 15 || e2e_fail "no game page after login (title: $(client_title))"
  wait_page_after "$n" || e2e_fail "the game page after the login was not read"
}

# --- the trace ------------------------------------------------------------------
# The client's trace marks in client.log (JINRO_TRACE=1): "jinro-trace STAGE
# NANOSECONDS [DETAIL]". "analysed": a page the client read; "html-received":
# a document the browser finished (a page newest-first is two: the server's
# and its rewriting); "draft-restored": a speech draft put back;
# "play-called KIND": an alarm started.
trace_count() { grep -ac "jinro-trace $1 " "$WORK/client.log"; }  # STAGE
wait_trace() {  # STAGE COUNT [SECONDS]: until there are COUNT marks of STAGE
  wait_for "${3:-15}" sh -c "[ \$(grep -ac 'jinro-trace $1 ' '$WORK/client.log') -ge $2 ]"
}
pages_read() { trace_count analysed; }
wait_page_after() { wait_trace analysed $(($1 + 1)) "${2:-15}"; }  # N [SECONDS]: a page read after N
# Refreshes by the 手 button and waits until the page that came is read.
refresh_and_read() {  # WHAT
  local n; n=$(pages_read)
  press_button manual_refresh
  wait_page_after "$n" || e2e_fail "${1:-the refreshed page} was not read"
}

# --- the page's picture -------------------------------------------------------------
# A page just read may not take clicks until the browser has painted it; the
# picture of the page area tells when it has: it differs from the picture of
# the page before and has stopped changing.
page_picture() { import -window "$CLIENT_WIN" -crop "860x400+0+$((MENU_HEIGHT + 40))" +repage "$1" 2>/dev/null; }  # FILE
pictures_differ() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
new_page_painted() {  # OLD: the picture differs from OLD and did not change over the last grab
  page_picture "$WORK/painted.png" || return 1
  local d; d=$(pictures_differ "$1" "$WORK/painted.png")
  if [ "$d" -gt 1000 ] 2>/dev/null && [ -e "$WORK/painted.last.png" ] &&
    [ "$(pictures_differ "$WORK/painted.last.png" "$WORK/painted.png")" -lt 200 ] 2>/dev/null; then
    rm -f "$WORK/painted.last.png"; return 0
  fi
  mv "$WORK/painted.png" "$WORK/painted.last.png"; return 1
}
wait_new_page_painted() { rm -f "$WORK/painted.last.png"; await 15 "the new page painted" new_page_painted "$1"; }  # OLD

# --- the sound ----------------------------------------------------------------
audio_bytes() { stat -c %s "$WORK/audio.raw" 2>/dev/null || echo 0; }
# Loudness in the disk writer's output from byte FROM on, in tenths of a
# second: lines "start_s end_s peak" for every stretch that is not silent.
sound_runs() {  # FROM
  local from=$(( ${1:-0} / 4 * 4 ))
  tail -c +$((from + 1)) "$WORK/audio.raw" | od -An -v -td2 -w4 | awk -v rate=44100 -v off="$from" '
    { a = $1 < 0 ? -$1 : $1; b = $2 < 0 ? -$2 : $2; if (b > a) a = b
      blk = int(NR / (rate / 10)); if (a > peak[blk]) peak[blk] = a; last = blk }
    END { t0 = off / 176400; on = 0
      for (i = 0; i <= last; i++) {
        p = peak[i] + 0
        if (p > 200 && !on) { on = 1; s = i; m = p } else if (p > 200) { if (p > m) m = p }
        else if (on) { printf "%.1f %.1f %d\n", t0 + s / 10, t0 + i / 10, m; on = 0 }
      }
      if (on) printf "%.1f %.1f %d\n", t0 + s / 10, t0 + (last + 1) / 10, m }'
}
# The disk writer has written SECONDS of sound after byte FROM (it writes at
# the pace of a real sound card).
audio_past() {  # FROM SECONDS (a fraction too)
  [ "$(audio_bytes)" -gt "$(awk -v f="$1" -v s="$2" -v r=$BYTES_PER_SECOND 'BEGIN { printf "%d", f + r * s }')" ]
}
wait_audio_past() { await "${3:-20}" "$2 s of sound after byte $1" audio_past "$1" "$2"; }  # FROM SECONDS [BOUND]
# The last three tenths of a second the disk writer wrote are silent.
audio_quiet_now() {
  local n=$((BYTES_PER_SECOND * 3 / 10))
  [ "$(audio_bytes)" -ge "$n" ] || return 1
  tail -c "$n" "$WORK/audio.raw" | od -An -v -td2 -w2 | awk '{ a = $1 < 0 ? -$1 : $1; if (a > 200) exit 1 }'
}
# Something sounded after byte FROM and has ended: silence follows it.
sound_over() {  # FROM
  audio_quiet_now && [ -n "$(sound_runs "$1")" ]
}

# The peak of one of our sound files, as a sample value.
peak_of() { sox "$APP/$1" -n stat 2>&1 | awk '/Maximum amplitude/ { printf "%d", $3 * 32768 }'; }
# Number of stretches whose peak is within 5% of the file's.
runs_of_tone() {  # FROM FILE
  local want; want=$(peak_of "$2")
  sound_runs "$1" | awk -v w="$want" '{ d = $3 - w; if (d < 0) d = -d; if (d < w * 0.05) n++ } END { print n + 0 }'
}
# Seconds of sound whose peak is within 5% of the file's.
seconds_of_tone() {  # FROM FILE
  local want; want=$(peak_of "$2")
  sound_runs "$1" | awk -v w="$want" '{ d = $3 - w; if (d < 0) d = -d; if (d < w * 0.05) t += $2 - $1 } END { printf "%.1f\n", t + 0 }'
}

# --- the status bar -------------------------------------------------------------
# The client's status bar, read from outside: with JINRO_STATUS_FILE=<path>
# in its environment the client appends a line "<field>\t<text>" (UTF-8) for
# every change of a field of its status bar (status_game: the game's state,
# status_countdown: the countdown to the next automatic refresh, status_load:
# the last page load). client_setup turns it on (status_file_on).
status_file_on() { export JINRO_STATUS_FILE="$WORK/status.txt"; : >"$JINRO_STATUS_FILE"; }
status_of() { grep -a "^$1"$'\t' "$WORK/status.txt" 2>/dev/null | tail -n 1 | cut -f2-; }  # FIELD
status_lines() { grep -ac '' "$WORK/status.txt" 2>/dev/null || echo 0; }
# Waits until the field's latest text matches the pattern (grep -E).
wait_status() {  # FIELD PATTERN [SECONDS]
  local deadline=$(($(date +%s%N) + ${3:-15} * 1000000000))
  until status_of "$1" | grep -Eq -- "$2"; do
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
# The field's texts written after line FROM of the status file, one a line.
status_since() { tail -n +"$(($2 + 1))" "$WORK/status.txt" | grep -a "^$1"$'\t' | cut -f2-; }  # FIELD FROM
