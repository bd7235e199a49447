#!/usr/bin/env bash
# The keyboard in the settings dialogs and the program's Japanese, worked by
# keys as a player would: Enter on a focused "開く" in "音声の設定" opens the
# file chooser (the sheet stays open), a file typed there lands in its box
# and OK writes it; Enter on a focused "ｷｬﾝｾﾙ" in "全般の設定" cancels; Qt's
# own texts come from its Japanese catalogue; the version box names the
# program and its version in Japanese.
set -u
source "${JINRO_SOURCE_DIR:?}/tests/e2e/tools/x11_lib.sh"
source "$JINRO_SOURCE_DIR/tests/e2e/client_helpers.sh"
client_setup
make_test_sounds
write_ini $(sound_lines) "[ZENPAN]" "jidokosin_kankaku=30" $(placement_lines)
village_start day-night
client_start
wait_title '入口' 20 || e2e_fail "the entry page did not open"

ini_text() { iconv -f CP932 -t UTF-8 "$APP/jinro.ini" | tr -d '\r'; }
shown() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
# Until the window is shown and has the keyboard (the keys typed next are its).
wait_shown() {
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^$1\$'" || e2e_fail "no window '$1'"
  await 10 "the keyboard in '$1'" sh -c "$(declare -f focus_window); [ \"\$(focus_window)\" = \"\$(xdotool search --onlyvisible --name '^$1\$' | head -n 1)\" ]"
}
wait_gone() { wait_for 10 sh -c "! xdotool search --onlyvisible --name '^$1\$'" || e2e_fail "'$1' still open"; }
keys() { xdotool key --clearmodifiers "$@"; }

# 1. Qt's Japanese catalogue is loaded whatever the locale (LANG is C here).
grep -q '/qtbase_ja\.qm$' "/proc/$CLIENT_PID/maps" || e2e_fail "Qt's Japanese texts are not loaded"
e2e_pass "Qt's Japanese catalogue loaded"

# 2. 設定 → 音声の設定; the first box has the focus, "開く" of the night's
# sound is four stops further. Enter opens the chooser, not OK.
click_in $PAGE_X "$(page_y 300)"
open_menu c
keys s
wait_shown '音声の設定'
keys Tab Tab Tab Tab
keys Return
wait_shown '再生したい音声ファイルを選択'
[ -n "$(shown '音声の設定')" ] || e2e_fail "Enter on 開く closed the sheet"
# The chooser's file name box has the focus: a full path, Enter.
xdotool type --delay 20 "$APP/t_day.wav"
keys Return
wait_gone '再生したい音声ファイルを選択'
# Back on "開く" (the sheet given the keyboard again: no window manager does
# it here); one stop back is its box; Enter there is OK.
focus_on "$(shown '音声の設定')"
keys shift+Tab
n=$(pages_read)
keys Return
wait_gone '音声の設定'
# OK asks for the page again; the window takes keys again once it is read.
wait_page_after "$n" || e2e_fail "the page was not read again after OK"
ini_text | grep -qx "night_sound_path=$APP/t_day.wav" || e2e_fail "the chosen file was not written: $(ini_text | grep night_sound)"
e2e_pass "Enter on 開く opens the chooser; the chosen file is written by OK"

# 3. 設定 → 全般の設定: a changed URL, then Tab to ｷｬﾝｾﾙ (past the interval,
# the two notification switches, the server's kind and OK) and Enter:
# nothing written.
before=$(ini_text)
click_in $PAGE_X "$(page_y 300)"
open_menu c
keys g
wait_shown '全般の設定'
keys ctrl+a
xdotool type --delay 20 "http://changed.example/"
keys Tab Tab Tab Tab Tab Tab Tab Tab
keys Return
wait_gone '全般の設定'
[ "$(ini_text)" = "$before" ] || e2e_fail "Enter on ｷｬﾝｾﾙ changed jinro.ini"
e2e_pass "Enter on a focused ｷｬﾝｾﾙ cancels"

# 4. ﾍﾙﾌﾟ → ﾊﾞｰｼﾞｮﾝ情報: its text, copied as a player copies it (a click
# into the text, Ctrl+A, Ctrl+C).
mark_clipboard
click_in $PAGE_X "$(page_y 300)"
open_menu h
keys v
wait_shown 'ﾊﾞｰｼﾞｮﾝ情報'
box=$(shown 'ﾊﾞｰｼﾞｮﾝ情報')
xdotool mousemove --window "$box" 200 20 click 1
keys ctrl+a ctrl+c
await 10 "the version box's text on the clipboard" clipboard_changed
text=$(clipboard_text)
echo "$text" | grep -q '人狼クライアント バージョン 1\.0\.0' || e2e_fail "the version box says: $text"
echo "$text" | grep -q 'デスクトップで遊ぶ' || e2e_fail "the version box is not in Japanese: $text"
keys Return
wait_gone 'ﾊﾞｰｼﾞｮﾝ情報'
client_alive || e2e_fail "the client died"
e2e_pass "the version box names the program and its version in Japanese"
