#!/usr/bin/env bash
# Rebuilds the seed corpora in fuzz/corpus/<target>/ from the village's pages
# (every scenario, a few steps each), the sound files in resources/sounds and
# a few settings files. Needs jinro-village: JINRO_BIN_DIR=<build>/bin.
#   JINRO_BIN_DIR=build/bin bash fuzz/make_corpora.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
: "${JINRO_BIN_DIR:?set JINRO_BIN_DIR to the folder that holds jinro-village}"
export JINRO_BIN_DIR
pages=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-pages.XXXXXX")
trap 'village_stop >/dev/null 2>&1; rm -rf "$pages"' EXIT
# shellcheck source=../tests/e2e/village_helpers.sh
source "$root/tests/e2e/village_helpers.sh"

login="TXTPNO=3&TXTPASS=pass&VILLAGENO=123&TXTLOGIN=1&FORMID="
# scenario and how many steps to follow it
scenarios="demo:10 registration:2 full-lobby:3 full-lobby-nospace:3 day-night:6 victory:2 victory-wolf:2
victory-fox:2 victory-cat:2 draw:2 utf8:3 eucjp:3 self-navigate:1 opens-windows:1 rows-100000:1
nested-10000:1 random-bytes:1"
VILLAGE_FREE_PORT=1 village_start demo
village_get "" >"$pages/entry.html"
village_get index2.html >"$pages/index2.html"
village_get jinro_rule.html >"$pages/rule.html" || true
for entry in $scenarios; do
  name=${entry%%:*}
  steps=${entry##*:}
  village_scenario "$name" >/dev/null
  mkdir -p "$pages/$name"
  village_post cgi_jinro.cgi "$login" >"$pages/$name/00.html"
  for i in $(seq 1 "$steps"); do
    village_advance >/dev/null
    village_post cgi_jinro.cgi "COMMAND=MSG&CMBPLAYER=&TXTMSG=&$login" >"$pages/$name/$(printf %02d "$i").html"
  done
done
village_stop || true

python3 - "$pages" "$root" <<'PY'
import hashlib, os, struct, sys
pages, root = sys.argv[1], sys.argv[2]
corpus = os.path.join(root, "fuzz", "corpus")
# Pages longer than this are cut: the seeds stay small and quick to mutate.
CUT = 8192

def put(target, data):
    d = os.path.join(corpus, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, hashlib.sha1(data).hexdigest()[:16]), "wb") as f:
        f.write(data)

def read(p):
    with open(p, "rb") as f:
        return f.read()[:CUT]

for t in os.listdir(corpus) if os.path.isdir(corpus) else []:
    for f in os.listdir(os.path.join(corpus, t)):
        os.unlink(os.path.join(corpus, t, f))

sequences = []
singles = [read(os.path.join(pages, f)) for f in ("entry.html", "index2.html", "rule.html")
           if os.path.exists(os.path.join(pages, f))]
for name in sorted(os.listdir(pages)):
    p = os.path.join(pages, name)
    if os.path.isdir(p):
        sequences.append([read(os.path.join(p, f)) for f in sorted(os.listdir(p))])
everything = singles + [pg for seq in sequences for pg in seq]

SEP = b"\xff\xfe\xfd"
for i, page in enumerate(everything):
    put("fuzz_day_log", page)
    put("fuzz_speech_copy", page)
    put("fuzz_row_reversal", bytes([i & 1]) + page)
    name = [b"TXTPNO", b"TXTPASS", b"VILLAGENO", b"TXTLOGIN", b"FORMID", b"COMMAND"][i % 6]
    put("fuzz_extract_field_value", name + b"\\Z" + page)
# Two and three pages in a row, with a few settings: sound on, reverse rows
# now and then, the capacity alarm armed.
for n, seq in enumerate(sequences):
    for i in range(len(seq) - 1):
        flags = bytes([0xFF, 0, 1 | (4 if n % 2 else 0) | (8 if i % 3 == 0 else 0) | 0x20 | 0x40,
                       (i % 4), 1, 0, 0, 0])
        put("fuzz_page_analysis", flags + SEP + SEP.join(seq[i:i + 3]))
# The text primitives: markers of the pages searched, replaced and inserted
# in pieces of real pages. Layout: pattern, other (strings ended by "\Z"),
# the text, then from (2 bytes), slack (1 byte) and the operation (1 byte)
# from the end.
pairs = [(b"./", b"http://127.0.0.1:8399/jinro/"), (b"</tr>", b"\r\n"), (b"<title>", b""),
         (b"\x93\xfa\x96\xda", b"x"), (b"\x82\xf1\x81u", b"\x82\xf1 \x81u"), (b"value", b"VALUE=")]
for i, page in enumerate(everything[:40]):
    pat, other = pairs[i % len(pairs)]
    for op in range(5):
        put("fuzz_text_ops", pat + b"\\Z" + other + b"\\Z" + page[:1024] + bytes([0, 0, 16, op]))
# A replacement that makes its match again ("a" by "A"): replaceAll stops at
# the limit.
put("fuzz_text_ops", b"a href\\ZA HREF\\Z<a href=x>" + bytes([0, 0, 16, 4]))

# Sound files: the MIDI files whole; the WAV files with their sound data cut
# to 256 bytes (sizes mended), and a truncated one; an MP3 frame and an ID3 tag.
snd = os.path.join(root, "resources", "sounds")
for f in sorted(os.listdir(snd)):
    b = open(os.path.join(snd, f), "rb").read()
    if f.endswith(".mid"):
        put("fuzz_sound_file", b)
        put("fuzz_sound_file", b"RIFF" + struct.pack("<I", len(b) + 12) + b"RMIDdata" + struct.pack("<I", len(b)) + b)
    elif f.endswith(".wav"):
        at = b.find(b"data")
        if at > 0:
            body = b[at + 8:at + 8 + 256]
            w = b[:at] + b"data" + struct.pack("<I", len(body)) + body
            w = w[:4] + struct.pack("<I", len(w) - 8) + w[8:]
            put("fuzz_sound_file", w)
            put("fuzz_sound_file", w[:at + 8 + 100][:len(w) - 1])
put("fuzz_sound_file", b"ID3\x04\x00\x00\x00\x00\x00\x00" + b"\xff\xfb\x90\x64" + bytes(64))
put("fuzz_sound_file", b"\xff\xfb\x90\x64" + bytes(200))

# Settings files: the program's sections, with CRLF and LF line ends, a byte
# order mark, repeated sections, blank lines; the section to write and a pair
# or two come first (strings ended by "\Z"), the operation byte last.
def ini(eol):
    s = ["[ZENPAN]", "URL_non_frame=http://127.0.0.1:8399/jinro/", "URL_frame=http://127.0.0.1:8399/jinro/index.html",
         "URL_cgi=http://127.0.0.1:8399/jinro/cgi_jinro.cgi", "refresh_interval=10", "",
         "[SOUND1]", "night_left_trigger_string=" + "\u591c\u304c\u660e\u3051".encode("cp932").decode("latin1"),
         "night_sound_path=monst01.wav", "night_sound_roop_check=1", "tohyo_trigger_string=\"\u6295\u7968\"".encode("cp932").decode("latin1"),
         "", "", "[SOUND2]", "jinro_trigger_string=" + "\u4eba\u72fc\u306e\u52dd\u5229".encode("cp932").decode("latin1"),
         "jinro_sound_path=tam-g09.mid", "[SOUND3]", "full_alarm_check=1", "full_alarm_sound_path=bin100818210142001.wav",
         "[WINDOW_PLACEMENT]", "flags=0", "showCmd=1", "rcNormalPosition_left=50"]
    return eol.join(s).encode("latin1") + eol.encode()
for k, content in enumerate([ini("\r\n"), ini("\n"), b"\xef\xbb\xbf" + ini("\r\n"),
                             ini("\r\n") + b"[sound1]\r\nnight_sound_path=dup.wav\r\n", ini("\n")[:-1], b""]):
    for op in (1, 2, 3, 4, 0xA9):
        put("fuzz_profile_file", b"night_sound_path\\Zbird.wav\\Zkey\\Z value \\Z" + content + bytes([2, op]))
PY
for d in "$root"/fuzz/corpus/*/; do echo "$(basename "$d"): $(ls "$d" | wc -l) files, $(du -sk "$d" | cut -f1) KB"; done
