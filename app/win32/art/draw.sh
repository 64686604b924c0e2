#!/usr/bin/env bash
# Draws the program's icons, those of its file types and its banner with ImageMagick (and the
# DejaVu Serif font). The results are kept in the repository; run this only to change them.
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

# The icons of the program's file types: a page with a folded corner, the type's sign on it
# and the program's seal in the lower right corner. The signs: a padlock, a signed line, a
# rosette (certificate), a check mark (certification), and a key, green for the public key,
# gold for the public and red for the private certification key, blue with a turning arrow
# for the backup.
key='circle 92,104 92,134 rectangle 112,96 196,112 rectangle 166,112 178,136 rectangle 184,112 196,128'
key_hole=(-fill '#fbf7ee' -draw 'circle 84,104 84,116')
type_sign() {  # type_sign TYPE: sets sign to the drawing arguments of the type's sign
  case $1 in
    encrypted) sign=(-fill none -stroke '#2f5d62' -strokewidth 16 -draw 'arc 90,46 166,122 180,360'
      -stroke none -fill '#2f5d62' -draw 'roundrectangle 72,84 184,160 12,12'
      -fill '#fbf7ee' -draw 'circle 128,112 128,124' -draw 'rectangle 123,116 133,142') ;;
    signature) sign=(-fill none -stroke '#1f2a44' -strokewidth 9
      -draw "stroke-linecap round stroke-linejoin round path 'M 66,138 C 84,52 110,58 96,132 C 90,162 128,154 138,104 C 144,80 150,150 166,118 C 172,106 180,116 192,108'"
      -strokewidth 5 -draw 'line 62,158 194,158') ;;
    certificate) sign=(-stroke none -fill '#c9a45c'
      -draw 'circle 128,92 128,130 polygon 104,118 90,178 110,166 122,186 124,126 polygon 152,118 166,178 146,166 134,186 132,126'
      -fill '#f6e7c8' -draw 'circle 128,92 128,114') ;;
    certification) sign=(-stroke none -fill '#2e8b3e' -draw 'circle 128,100 128,150'
      -fill none -stroke '#fbf7ee' -strokewidth 14 -draw 'stroke-linecap round stroke-linejoin round polyline 104,100 122,118 154,84') ;;
    public_key) sign=(-stroke none -fill '#2e8b3e' -draw "$key" "${key_hole[@]}") ;;
    public_cert_key) sign=(-stroke none -fill '#c9a45c' -draw "$key" "${key_hole[@]}") ;;
    private_cert_key) sign=(-stroke none -fill '#7a1412' -draw "$key" "${key_hole[@]}") ;;
    key_backup) sign=(-stroke none -fill '#1f5fa8' -draw "$key" "${key_hole[@]}"
      -fill none -stroke '#1f5fa8' -strokewidth 8 -draw 'arc 56,40 200,184 200,340'
      -stroke none -fill '#1f5fa8' -draw 'polygon 186,52 204,86 170,84') ;;
  esac
}
file_icon() {  # file_icon TYPE: file_TYPE.ico
  local page="$work/page-$1.png" s sign
  type_sign "$1"
  convert -size 256x256 xc:none \
    -fill '#fbf7ee' -stroke '#8a8478' -strokewidth 6 -draw 'polygon 40,10 166,10 214,58 214,246 40,246' \
    -fill '#e6dfcf' -draw 'polygon 166,10 166,58 214,58' \
    "${sign[@]}" \
    \( "$work/seal.png" -resize 112x112 \) -geometry +140+140 -composite "$page"
  for s in 16 24 32 48 64; do convert "$page" -resize "${s}x${s}" "$work/$1-$s.png"; done
  convert "$work/$1"-{16,24,32,48,64}.png \( "$page" -depth 8 \) "file_$1.ico"
}
for t in encrypted signature certificate certification public_key public_cert_key private_cert_key key_backup; do
  file_icon "$t"
done

# The banner across the top of the main window.
convert -size 65x450 gradient:'#2f5d62-#1f2a44' -rotate 90 \
  \( "$work/seal.png" -resize 52x52 \) -geometry +12+6 -composite \
  -fill '#f6e7c8' -font "$font" -pointsize 30 -gravity west -annotate +76-2 'Quillseal' \
  -fill '#c9a45c' -draw 'rectangle 0,62 450,64' \
  -type truecolor BMP3:banner.bmp
