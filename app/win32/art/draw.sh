#!/usr/bin/env bash
# Draws the program's icons and banner with ImageMagick (and the DejaVu Serif font). The
# results are kept in the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
font=DejaVu-Serif-Bold

# A wax seal: a red disc with a scalloped rim, a raised inner ring and a cream "Q".
seal() {  # seal SIZE OUT
  local n=$1 points="" i
  for i in $(seq 0 2 358); do
    points+=$(awk -v a="$i" -v n="$n" 'BEGIN { r = n * (0.47 + 0.025 * cos(a * 3.14159265 / 180 * 12));
      printf "%.1f,%.1f ", n / 2 + r * cos(a * 3.14159265 / 180), n / 2 + r * sin(a * 3.14159265 / 180) }')
  done
  convert -size "${n}x${n}" xc:none \
    \( -size "${n}x${n}" radial-gradient:'#c43a32-#7a1412' \) \
    \( -size "${n}x${n}" xc:none -fill white -draw "polygon $points" \) \
    -delete 0 -alpha off -compose copy-opacity -composite \
    -fill none -stroke '#e8a08a' -strokewidth "$((n / 40 + 1))" \
    -draw "circle $((n / 2)),$((n / 2)) $((n / 2)),$((n / 2 - n * 33 / 100))" \
    -stroke none -fill '#f6e7c8' -font "$font" -pointsize "$((n * 52 / 100))" -gravity center \
    -annotate +0+"$((n / 40))" 'Q' "$2"
}

seal 256 "$work/seal.png"
for s in 16 24 32 48 64; do convert "$work/seal.png" -resize "${s}x${s}" "$work/seal-$s.png"; done
convert "$work"/seal-{16,24,32,48,64}.png \( "$work/seal.png" -depth 8 \) program.ico

# Status icons of the approval list: a verified certification, and one without a trusted key.
status_icon() {  # status_icon COLOUR DRAW OUT
  convert -size 64x64 xc:none -fill "$1" -draw 'circle 32,32 32,3' \
    -stroke white -strokewidth 8 -fill none -draw "stroke-linejoin round stroke-linecap round $2" "$work/status.png"
  convert "$work/status.png" -resize 16x16 "$work/status-16.png"
  convert "$work/status.png" -resize 32x32 "$work/status-32.png"
  convert "$work/status-16.png" "$work/status-32.png" "$3"
}
status_icon '#2e8b3e' 'polyline 17,33 28,44 48,22' key_found.ico
status_icon '#d98a00' 'line 32,15 32,37 line 32,46 32,50' key_missing.ico

# The banner across the top of the main window.
convert -size 65x450 gradient:'#2f5d62-#1f2a44' -rotate 90 \
  \( "$work/seal.png" -resize 52x52 \) -geometry +12+6 -composite \
  -fill '#f6e7c8' -font "$font" -pointsize 30 -gravity west -annotate +76-2 'Quillseal' \
  -fill '#c9a45c' -draw 'rectangle 0,62 450,64' \
  -type truecolor BMP3:banner.bmp
