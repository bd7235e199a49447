#!/usr/bin/env bash
# Draws the toolbar glyphs (one coloured character on grey, 16x15) and the
# application icon with ImageMagick and the IPA Gothic font. The PNGs are
# committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"
font=$(fc-match -f '%{file}' 'IPAGothic')
glyph() {  # name character colour
  convert -size 16x15 xc:'#c0c0c0' -font "$font" -pointsize 14 -fill "$3" \
    -gravity center -annotate +0+0 "$2" -strip "$1.png"
}
glyph manual_refresh 手 '#d00000'
glyph auto_refresh 自 '#0000d0'
glyph return_top 戻 '#008080'
glyph reverse 逆 '#c8a000'
glyph copy_speech コ '#800080'
glyph notes メ '#206020'
# The application icon: a pale moon over a dark night sky, with 狼 on it.
for size in 16 32 48 64 128; do
  convert -size ${size}x${size} xc:'#1b2340' \
    -fill '#f3e7a0' -draw "circle $((size/2)),$((size/2)) $((size/2)),$((size/12))" \
    -font "$font" -pointsize $((size*5/8)) -fill '#5a1010' -gravity center -annotate +0+$((size/32)) 狼 \
    -strip app_$size.png
done
