#!/usr/bin/env bash
# Draws the 256 x 256 application icon (a calendar page with a month picture above the
# day grid) into vistelle-256.png; the result is committed, so this runs only when the
# icon changes. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
im=/usr/bin/convert-im6.q16
[[ -x $im ]] || im=convert

grid=()
for row in 0 1 2 3; do
  for col in 0 1 2 3 4 5 6; do
    x=$((52 + col * 22)); y=$((162 + row * 18))
    grid+=(-draw "rectangle $x,$y $((x + 14)),$((y + 11))")
  done
done

"$im" -size 256x256 xc:none \
  -fill '#00000040' -draw "roundrectangle 22,26 238,246 22,22" \
  -fill white -stroke '#9a9a9a' -strokewidth 2 -draw "roundrectangle 18,20 234,240 22,22" \
  -stroke none -fill '#d42020' -draw "roundrectangle 18,20 234,74 22,22" -draw "rectangle 18,50 234,74" \
  -fill '#0b1d4a' -draw "rectangle 40,84 212,150" \
  -fill '#f4f1d0' -draw "circle 182,102 182,110" \
  -fill '#3d5f8f' -draw "polygon 40,150 84,108 118,138 150,112 212,150" \
  -fill '#e8eef8' -draw "polygon 72,120 84,108 96,120 88,116 80,122" \
  -fill '#202a80' "${grid[@]}" \
  -fill '#d42020' -draw "rectangle 184,216 198,227" \
  -fill '#5a5a5a' -draw "roundrectangle 62,8 76,40 6,6" -draw "roundrectangle 176,8 190,40 6,6" \
  -depth 8 -strip PNG32:vistelle-256.png
